#include "seasonoverview.h"
#include "tst_overviewfixtures.h"

#include <QtTest>

using namespace overviewfixtures;

class tst_SeasonOverview : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void layout_data();
    void layout();
    void csv();
};

void tst_SeasonOverview::cells_data()
{
    QTest::addColumn<bool>("wholeStore");
    QTest::addColumn<qint32>("teacher");
    QTest::addColumn<qint32>("block");
    QTest::addColumn<int>("experts");
    // -1: no mean.
    QTest::addColumn<double>("mean");
    QTest::addColumn<bool>("self");
    QTest::addColumn<QString>("text");

    // (1 + 0.5 + 0.25) / 3; the parent's answer and Анна's own do not count.
    QTest::newRow("two experts in the season") << false << 1 << 10 << 2 << 175.0 / 3 << true << "2 эксп. · 58 %";
    QTest::newRow("the answer before the season joins") << true << 1 << 10 << 2 << 43.75 << true << "2 эксп. · 44 %";
    QTest::newRow("an expert on a question without a range") << false << 1 << 11 << 1 << -1.0 << false << "1 эксп.";
    QTest::newRow("not rated") << false << 2 << 10 << 0 << -1.0 << false << "—";
    QTest::newRow("rated before the season only") << false << 2 << 11 << 0 << -1.0 << false << "—";
    QTest::newRow("rated before the season, whole store") << true << 2 << 11 << 1 << 50.0 << false << "1 эксп. · 50 %";
    QTest::newRow("school teacher") << false << 3 << 20 << 1 << 100.0 << false << "1 эксп. · 100 %";
    QTest::newRow("self-rating before the season") << true << 3 << 20 << 1 << 100.0 << true << "1 эксп. · 100 %";
}

void tst_SeasonOverview::cells()
{
    QFETCH(bool, wholeStore);
    QFETCH(qint32, teacher);
    QFETCH(qint32, block);
    QFETCH(int, experts);
    QFETCH(double, mean);
    QFETCH(bool, self);
    QFETCH(QString, text);
    const OverviewTally tally(questions(), accounts(), answers(), wholeStore ? QDate() : seasonStart());
    const OverviewCell cell = tally.cell(teacher, block);
    QCOMPARE(cell.experts, experts);
    QCOMPARE(cell.meanPercent.has_value(), mean >= 0);
    if (cell.meanPercent)
        QCOMPARE(*cell.meanPercent, mean);
    QCOMPARE(tally.ratedSelf(teacher, block), self);
    QCOMPARE(cellText(cell), text);
}

void tst_SeasonOverview::layout_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<QVector<qint32>>("rows");
    QTest::addColumn<QStringList>("columns");

    // A block name both groups use is told apart by its group.
    QTest::newRow("both groups") << -1 << QVector<qint32>{1, 2, 3}
                                 << QStringList{"Урок", "Общие (Педагог ДО)", "Общие (Учитель)"};
    QTest::newRow("teachers of additional education") << 0 << QVector<qint32>{1, 2} << QStringList{"Урок", "Общие"};
    QTest::newRow("school teachers") << 1 << QVector<qint32>{3} << QStringList{"Общие"};
}

void tst_SeasonOverview::layout()
{
    QFETCH(int, group);
    QFETCH(QVector<qint32>, rows);
    QFETCH(QStringList, columns);
    const OverviewLayout layout = overviewLayout(questions(), accounts(), group);
    QVector<qint32> rowIds;
    for (const OverviewRow &row : layout.rows)
        rowIds.append(row.id);
    QStringList titles;
    for (const OverviewColumn &column : layout.columns)
        titles.append(column.title);
    QCOMPARE(rowIds, rows);
    QCOMPARE(titles, columns);
}

// Blocks of the other group leave their fields empty; decimal commas; the
// self-rating counts the blocks that apply.
void tst_SeasonOverview::csv()
{
    const OverviewLayout layout = overviewLayout(questions(), accounts(), -1);
    const OverviewTally tally(questions(), accounts(), answers(), seasonStart());
    const QVector<QStringList> lines = overviewCsv(layout, tally);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0).join(';'), QStringLiteral("Педагог;Группа;Урок: экспертов;Урок: средний %;"
                                                   "Общие (Педагог ДО): экспертов;Общие (Педагог ДО): средний %;"
                                                   "Общие (Учитель): экспертов;Общие (Учитель): средний %;Самооценка"));
    QCOMPARE(lines.at(1).join(';'), QStringLiteral("Анна Петрова;Педагог ДО;2;58,3;1;;;;1 из 2 блоков"));
    QCOMPARE(lines.at(2).join(';'), QStringLiteral("Борис Иванов;Педагог ДО;0;;0;;;;0 из 2 блоков"));
    QCOMPARE(lines.at(3).join(';'), QStringLiteral("Вера Смирнова;Учитель;;;;;1;100,0;0 из 1 блока"));
}

QTEST_GUILESS_MAIN(tst_SeasonOverview)
#include "tst_seasonoverview.moc"
