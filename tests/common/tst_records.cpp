#include "records.h"

#include <QtTest>

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
    void blankRecords();
    void nextFreeId_data();
    void nextFreeId();
    void nextFreeQuestionIdCountsOpenRows();
    void findQuestion();
    void findAccountPrefersLowerKind();
    void season_data();
    void season();
    void roleCodes();
};

void tst_Records::blankRecords()
{
    const Account account;
    QCOMPARE(account.id, -1);
    QCOMPARE(account.reserved, 3);
    QCOMPARE(account.kindCode, 0);
    QVERIFY(!account.active);

    const QuestionBlock block;
    QCOMPARE(block.id, -1);
    QCOMPARE(block.ordinal, -1);
    QVERIFY(!block.active);

    const Answer answer;
    QCOMPARE(answer.questionId, -1);
    QCOMPARE(answer.authorId, -1);
    QCOMPARE(answer.subjectId, -1);
    QVERIFY(answer.date.isNull());
    QCOMPARE(answer.date.toJulianDay(), std::numeric_limits<qint64>::min());

    const TeacherEntry entry;
    QCOMPARE(entry.id, -1);
    QCOMPARE(entry.group, quint8(0));
}

void tst_Records::nextFreeId_data()
{
    QTest::addColumn<QVector<qint32>>("ids");
    QTest::addColumn<qint32>("expected");

    QTest::newRow("none") << QVector<qint32>{} << 0;
    QTest::newRow("0,1,2") << QVector<qint32>{0, 1, 2} << 3;
    QTest::newRow("1,2") << QVector<qint32>{1, 2} << 0;
    QTest::newRow("2,0") << QVector<qint32>{2, 0} << 1;
    QTest::newRow("gap after deletion") << QVector<qint32>{0, 2, 3, 4} << 1;
    QTest::newRow("unsorted full") << QVector<qint32>{4, 3, 2, 1, 0} << 5;
    QTest::newRow("blank id -1 ignored") << QVector<qint32>{-1, 0} << 1;
    QTest::newRow("repeated ids") << QVector<qint32>{0, 0, 1} << 2;
    QTest::newRow("repeated and negative") << QVector<qint32>{2, -5, 1, 1, 0, 2} << 3;
}

void tst_Records::nextFreeId()
{
    QFETCH(QVector<qint32>, ids);
    QFETCH(qint32, expected);
    QCOMPARE(::nextFreeId(ids), expected);
}

void tst_Records::nextFreeQuestionIdCountsOpenRows()
{
    QuestionStore store(3);
    QuestionBlock block;
    block.id = 0;
    Question q;
    q.id = 0;
    block.questions << q;
    q.id = 2;
    block.questions << q;
    store[1].blocks << block;

    QCOMPARE(nextFreeQuestionId(store), 1);
    QCOMPARE(nextFreeQuestionId(store, {1, 0}), 3);
    QCOMPARE(nextFreeBlockId(store), 1);
}

void tst_Records::findQuestion()
{
    QuestionStore store(3);
    for (int g = 0; g < 2; ++g) {
        for (int b = 0; b < 2; ++b) {
            QuestionBlock block;
            block.id = g * 2 + b;
            for (int i = 0; i < 3; ++i) {
                Question q;
                q.id = 100 * g + 10 * b + i;
                block.questions << q;
            }
            store[g].blocks << block;
        }
    }
    QCOMPARE(::findQuestion(store, 112), (QuestionLocation{1, 1, 2}));
    QCOMPARE(::findQuestion(store, 0), (QuestionLocation{0, 0, 0}));
    QCOMPARE(::findQuestion(store, 999), QuestionLocation());
    QVERIFY(!::findQuestion(store, 999).isValid());
}

void tst_Records::findAccountPrefersLowerKind()
{
    AccountStore store(4);
    Account a;
    a.id = 7;
    store[3] << a;
    store[1] << Account() << a;
    QCOMPARE(findAccount(store, 7), (AccountLocation{1, 1}));
    QCOMPARE(findAccount(store, 8), AccountLocation());
}

void tst_Records::season_data()
{
    QTest::addColumn<QDate>("answer");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<bool>("current");

    const QDate start(2026, 9, 1);
    QTest::newRow("no season begun") << QDate(2001, 1, 1) << QDate() << true;
    QTest::newRow("on the first day") << start << start << true;
    QTest::newRow("the day before") << start.addDays(-1) << start << false;
    QTest::newRow("later") << start.addDays(30) << start << true;
    QTest::newRow("undated answer") << QDate() << start << false;
}

void tst_Records::season()
{
    QFETCH(QDate, answer);
    QFETCH(QDate, start);
    QFETCH(bool, current);
    QCOMPARE(inCurrentSeason(answer, start), current);
}

void tst_Records::roleCodes()
{
    QCOMPARE(roleCodeForKind(TeacherDoKind), 3);
    QCOMPARE(roleCodeForKind(ExpertKind), 2);
    QCOMPARE(roleCodeForKind(ParentKind), 4);
    QCOMPARE(roleCodeForKind(SchoolTeacherKind), 5);
    QCOMPARE(roleCodeForKind(4), 0);
}

QTEST_APPLESS_MAIN(tst_Records)
#include "tst_records.moc"
