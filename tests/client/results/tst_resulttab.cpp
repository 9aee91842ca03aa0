#include "answerfixture.h"
#include "csvtransform.h"
#include "graphpainter.h"
#include "graphunit.h"
#include "resulttab.h"
#include "unitwidgetlegend.h"
#include "widgetlegend.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QDate D(2024, 3, 5);
const QString teacherViewText = QStringLiteral("Включить режим просмотра группы");
const QString groupViewText = QStringLiteral("Включить режим просмотра педагога");

// Block 1 about teachers 10, 11, 12; block 2 about 12 and 10; block 3 about
// 11; block 5 about school teacher 20.
QVector<Answer> fixtureAnswers()
{
    return makeAnswers({
        {100, 1, 10, D, 5, 1},
        {100, 2, 11, D, 3, 1},
        {101, 3, 12, D, 4, 1},
        {200, 1, 12, D, 2, 2},
        {200, 2, 10, D, 4, 2},
        {300, 3, 11, D, 1, 3},
        {500, 1, 20, D, 5, 5, 1, 5, 1},
    });
}

QStringList texts(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

QStringList teachers(std::initializer_list<qint32> ids)
{
    QStringList names;
    for (qint32 id : ids)
        names.append(teacherName(id));
    return names;
}

// The widgets of one result tab, forwarded to the tab the way the client
// window forwards them.
class TabWindow : public QWidget
{
public:
    explicit TabWindow(int group)
    {
        auto layout = new QVBoxLayout(this);
        w.blocks = add<QComboBox>(layout);
        w.teacherLabel = add<QLabel>(layout);
        w.teacher = add<QComboBox>(layout);
        w.availableLabel = add<QLabel>(layout);
        w.available = add<QComboBox>(layout);
        w.add = add<QPushButton>(layout);
        w.groupLabel = add<QLabel>(layout);
        w.group = add<QComboBox>(layout);
        w.remove = add<QPushButton>(layout);
        w.begin = add<QDateEdit>(layout);
        w.end = add<QDateEdit>(layout);
        w.groupToggle = add<QPushButton>(layout);
        w.groupToggle->setText(teacherViewText);
        w.notice = add<QLabel>(layout);
        w.legend = add<WidgetLegend>(layout);
        w.painter = add<GraphPainter>(layout);
        for (QWidget *widget : groupWidgets() + QVector<QWidget *>{w.notice})
            widget->hide();

        tab = new ResultTab(group, w, this);
        connect(w.blocks, QOverload<int>::of(&QComboBox::currentIndexChanged), tab, &ResultTab::blockChosen);
        connect(w.add, &QPushButton::clicked, tab, &ResultTab::addToGroup);
        connect(w.remove, &QPushButton::clicked, tab, &ResultTab::removeFromGroup);
        connect(w.begin, &QDateEdit::dateChanged, tab, &ResultTab::beginDateChanged);
        connect(w.end, &QDateEdit::dateChanged, tab, &ResultTab::endDateChanged);
        connect(w.groupToggle, &QPushButton::clicked, tab, &ResultTab::toggleGroupView);
    }

    QVector<QWidget *> groupWidgets() const
    {
        return {w.availableLabel, w.available, w.add, w.groupLabel, w.group, w.remove};
    }

    void countEverything() { w.begin->setDate(QDate(2000, 1, 1)); }

    QStringList legendNames() const
    {
        QStringList names;
        for (const UnitWidgetLegend *row : w.legend->rows())
            names.append(row->name());
        return names;
    }

    QStringList chartTexts() const
    {
        QStringList questions;
        for (const GraphUnit *unit : w.painter->units())
            questions.append(unit->questionText());
        return questions;
    }

    ResultTabWidgets w;
    ResultTab *tab = nullptr;

private:
    template<typename T>
    T *add(QVBoxLayout *layout)
    {
        auto widget = new T(this);
        layout->addWidget(widget);
        return widget;
    }
};

} // namespace

class TestResultTab : public QObject
{
    Q_OBJECT

private slots:
    void constructor_setsDatesToToday_data();
    void constructor_setsDatesToToday();
    void rebuild_fillsCombosAndApplies();
    void rebuild_keepsChosenBlockAndTeacher();
    void dates_limitEachOther();
    void dates_boundTheAnswersCounted();
    void dates_followLaterAnswers_data();
    void dates_followLaterAnswers();
    void toggleGroupView_twice();
    void group_addAndRemove();
    void group_emptyCombosDoNothing();
    void group_keptByIdAcrossBlocks();
    void group_keptAcrossNewAnswerList();
    void apply_fillsLegendAndCharts();
    void exportCsv_writesCurrentResult();
    void exportCsv_reportsFailure();
};

void TestResultTab::constructor_setsDatesToToday_data()
{
    QTest::addColumn<int>("group");
    QTest::newRow("teachers of additional education") << 0;
    QTest::newRow("school teachers") << 1;
}

void TestResultTab::constructor_setsDatesToToday()
{
    QFETCH(int, group);
    TabWindow window(group);
    const QDate today = QDate::currentDate();
    QCOMPARE(window.w.begin->date(), today);
    QCOMPARE(window.w.end->date(), today);
    QCOMPARE(window.w.begin->maximumDate(), today);
    QCOMPARE(window.w.end->maximumDate(), today);
    QVERIFY(!window.tab->isGroupView());
    QCOMPARE(window.tab->computeResult(), ChartResult());
}

void TestResultTab::rebuild_fillsCombosAndApplies()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    QCOMPARE(texts(window.w.blocks), (QStringList{blockName(1), blockName(2), blockName(3)}));
    QCOMPARE(window.w.blocks->currentIndex(), 0);
    QCOMPARE(texts(window.w.teacher), teachers({10, 11, 12}));
    QCOMPARE(window.w.teacher->currentIndex(), 0);
    QCOMPARE(texts(window.w.available), teachers({10, 11, 12}));
    QCOMPARE(window.w.group->count(), 0);
    QCOMPARE(window.tab->teacherNames(), teachers({10, 11, 12}));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{false, false, false}));
    // The answers are older than today, the range the tab starts with.
    QVERIFY(window.legendNames().isEmpty());

    window.countEverything();
    window.tab->apply();
    QCOMPARE(window.legendNames(), QStringList{authorName(1)});
    QCOMPARE(window.chartTexts(), QStringList{questionName(100)});

    TabWindow schoolTab(1);
    schoolTab.tab->rebuild(fixtureAnswers());
    QCOMPARE(texts(schoolTab.w.blocks), QStringList{blockName(5)});
    QCOMPARE(texts(schoolTab.w.teacher), teachers({20}));
}

void TestResultTab::rebuild_keepsChosenBlockAndTeacher()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    window.w.blocks->setCurrentIndex(1);
    QCOMPARE(texts(window.w.teacher), teachers({12, 10}));
    window.w.teacher->setCurrentIndex(1);

    // The latest list names the chosen teacher anew.
    QVector<Answer> more = fixtureAnswers();
    more.prepend(makeAnswer({400, 1, 10, D, 3, 4}));
    more.append(makeAnswer({201, 3, 11, D, 3, 2}));
    const QString renamed = QStringLiteral("Педагог 10 после переименования");
    for (Answer &answer : more)
        answer.subjectName = answer.subjectId == 10 ? renamed : answer.subjectName;
    window.tab->rebuild(more);
    QCOMPARE(texts(window.w.blocks), (QStringList{blockName(4), blockName(1), blockName(2), blockName(3)}));
    QCOMPARE(window.w.blocks->currentText(), blockName(2));
    QCOMPARE(texts(window.w.teacher), (QStringList{teacherName(12), renamed, teacherName(11)}));
    QCOMPARE(window.w.teacher->currentText(), renamed);

    // Without answers about them left in the block, nobody is chosen.
    more.removeAt(5);
    window.tab->rebuild(more);
    QCOMPARE(window.w.teacher->currentIndex(), -1);
    QCOMPARE(window.w.notice->isHidden() ? QString() : window.w.notice->text(),
             QStringLiteral("«%1» больше нет в списке оцениваемых этого блока: ответов не осталось.").arg(renamed));
}

void TestResultTab::dates_limitEachOther()
{
    TabWindow window(0);
    window.w.begin->setDate(QDate(2024, 2, 1));
    QCOMPARE(window.w.end->minimumDate(), QDate(2024, 2, 1));
    window.w.end->setDate(QDate(2024, 6, 1));
    QCOMPARE(window.w.begin->maximumDate(), QDate(2024, 6, 1));
    // The first day cannot pass the last one.
    window.w.begin->setDate(QDate(2024, 7, 1));
    QCOMPARE(window.w.begin->date(), QDate(2024, 6, 1));
}

void TestResultTab::dates_boundTheAnswersCounted()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    window.w.begin->setDate(D);
    window.w.end->setDate(D);
    QCOMPARE(window.tab->computeResult().authorNames, QStringList{authorName(1)});

    window.w.end->setDate(D.addDays(3));
    window.w.begin->setDate(D.addDays(1));
    QCOMPARE(window.tab->computeResult(), ChartResult());
}

void TestResultTab::dates_followLaterAnswers_data()
{
    // Days from today on which the range ends before and after answers
    // dated two days on arrive, as on a client left open overnight.
    QTest::addColumn<int>("endBefore");
    QTest::addColumn<int>("endAfter");
    QTest::newRow("a range ending on the last day offered follows") << 0 << 2;
    QTest::newRow("a range ending earlier stays") << -1 << -1;
}

void TestResultTab::dates_followLaterAnswers()
{
    QFETCH(int, endBefore);
    QFETCH(int, endAfter);
    const QDate today = QDate::currentDate();
    TabWindow window(0);
    window.w.begin->setDate(today.addDays(-7));
    window.w.end->setDate(today.addDays(endBefore));

    window.tab->rebuild(makeAnswers({{100, 1, 10, today.addDays(2), 5}}));
    QCOMPARE(window.w.end->maximumDate(), today.addDays(2));
    QCOMPARE(window.w.end->date(), today.addDays(endAfter));
    QCOMPARE(window.w.begin->maximumDate(), today.addDays(endAfter));
    QCOMPARE(window.tab->computeResult().authorNames.size(), endAfter == 2 ? 1 : 0);
}

void TestResultTab::toggleGroupView_twice()
{
    TabWindow window(0);
    for (int round = 0; round < 2; ++round) {
        window.w.groupToggle->click();
        QVERIFY(window.tab->isGroupView());
        QCOMPARE(window.w.groupToggle->text(), groupViewText);
        QVERIFY(!window.w.teacher->isVisibleTo(&window));
        QVERIFY(!window.w.teacherLabel->isVisibleTo(&window));
        for (QWidget *widget : window.groupWidgets())
            QVERIFY(widget->isVisibleTo(&window));

        window.w.groupToggle->click();
        QVERIFY(!window.tab->isGroupView());
        QCOMPARE(window.w.groupToggle->text(), teacherViewText);
        QVERIFY(window.w.teacher->isVisibleTo(&window));
        QVERIFY(window.w.teacherLabel->isVisibleTo(&window));
        for (QWidget *widget : window.groupWidgets())
            QVERIFY(!widget->isVisibleTo(&window));
    }
}

void TestResultTab::group_addAndRemove()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    window.countEverything();
    window.w.groupToggle->click();
    QCOMPARE(window.tab->computeResult(), ChartResult());

    window.w.add->click();
    QCOMPARE(texts(window.w.group), teachers({10}));
    QCOMPARE(texts(window.w.available), teachers({11, 12}));
    QCOMPARE(window.w.available->currentText(), teacherName(11));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{true, false, false}));

    window.w.add->click();
    QCOMPARE(texts(window.w.group), teachers({10, 11}));
    QCOMPARE(window.w.group->currentText(), teacherName(11));
    QCOMPARE(texts(window.w.available), teachers({12}));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{true, true, false}));

    ChartResult expected;
    expected.questionTexts = QStringList{questionName(100)};
    expected.authorNames = QStringList{authorName(1), authorName(2)};
    expected.rows = {makeRow(1, 5, {5, 3}, {"5.3.2024", "5.3.2024"})};
    QCOMPARE(window.tab->computeResult(), expected);

    window.w.group->setCurrentIndex(0);
    window.w.remove->click();
    QCOMPARE(texts(window.w.group), teachers({11}));
    QCOMPARE(texts(window.w.available), teachers({10, 12}));
    QCOMPARE(window.w.available->currentText(), teacherName(10));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{false, true, false}));
    QCOMPARE(window.tab->computeResult().authorNames, QStringList{authorName(2)});

    // Back in teacher view the chosen teacher counts again, not the group.
    window.w.groupToggle->click();
    QCOMPARE(window.tab->computeResult().authorNames, QStringList{authorName(1)});
}

void TestResultTab::group_emptyCombosDoNothing()
{
    TabWindow window(0);
    window.w.add->click();
    window.w.remove->click();
    QCOMPARE(window.w.group->count(), 0);

    window.tab->rebuild(fixtureAnswers());
    window.w.remove->click();
    QCOMPARE(window.w.available->count(), 3);
    for (int i = 0; i < 4; ++i)
        window.w.add->click();
    QCOMPARE(window.w.available->count(), 0);
    QCOMPARE(texts(window.w.group), teachers({10, 11, 12}));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{true, true, true}));
}

void TestResultTab::group_keptByIdAcrossBlocks()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    window.w.add->click();                   // teacher 10
    window.w.available->setCurrentIndex(1);  // teacher 12
    window.w.add->click();
    QCOMPARE(texts(window.w.group), teachers({10, 12}));

    // Block 2 lists teacher 12 before teacher 10.
    window.w.blocks->setCurrentIndex(1);
    QCOMPARE(window.tab->teacherNames(), teachers({12, 10}));
    QCOMPARE(texts(window.w.group), teachers({10, 12}));
    QCOMPARE(window.w.available->count(), 0);
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{true, true}));

    // Neither member has answers in block 3.
    window.w.blocks->setCurrentIndex(2);
    QCOMPARE(window.w.group->count(), 0);
    QCOMPARE(texts(window.w.available), teachers({11}));
    QCOMPARE(window.tab->groupMembers(), QVector<bool>{false});

    window.w.blocks->setCurrentIndex(0);
    QCOMPARE(texts(window.w.group), teachers({10, 12}));
    QCOMPARE(texts(window.w.available), teachers({11}));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{true, false, true}));
}

void TestResultTab::group_keptAcrossNewAnswerList()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    window.w.available->setCurrentIndex(1);
    window.w.add->click(); // teacher 11

    QVector<Answer> more = fixtureAnswers();
    more.append(makeAnswer({100, 3, 13, D, 2, 1}));
    window.tab->rebuild(more);
    QCOMPARE(window.tab->teacherNames(), teachers({10, 11, 12, 13}));
    QCOMPARE(texts(window.w.group), teachers({11}));
    QCOMPARE(texts(window.w.available), teachers({10, 12, 13}));
    QCOMPARE(window.tab->groupMembers(), (QVector<bool>{false, true, false, false}));
}

void TestResultTab::apply_fillsLegendAndCharts()
{
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    window.countEverything();
    window.w.blocks->setCurrentIndex(1);
    window.w.groupToggle->click();
    window.w.add->click();
    window.w.add->click();
    window.tab->apply();

    QCOMPARE(window.legendNames(), (QStringList{authorName(1), authorName(2)}));
    QCOMPARE(window.w.legend->rows().at(1)->color(), ::authorColor(1, 2));
    QCOMPARE(window.chartTexts(), QStringList{questionName(200)});
    QCOMPARE(window.w.painter->result(), window.tab->computeResult());

    // An emptied group empties legend and charts at the next apply.
    window.w.remove->click();
    window.w.remove->click();
    window.tab->apply();
    QVERIFY(window.legendNames().isEmpty());
    QVERIFY(window.chartTexts().isEmpty());
}

void TestResultTab::exportCsv_writesCurrentResult()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TabWindow window(0);
    const QString empty = dir.filePath("empty.csv");
    QVERIFY(window.tab->exportCsv(empty));
    QFile emptyFile(empty);
    QVERIFY(emptyFile.open(QIODevice::ReadOnly));
    QCOMPARE(emptyFile.readAll(), QByteArray("\xed\xee\xec\xe5\xf0 \xe2\xee\xef\xf0\xee\xf1\xe0;"
                                             "\xe2\xee\xef\xf0\xee\xf1\xfb/\xfd\xea\xf1\xef\xe5\xf0\xf2\xfb\r\n"));

    // The dates are changed without applying them: the export applies them,
    // so that the chart shows what the file holds.
    window.tab->rebuild(fixtureAnswers());
    window.countEverything();
    QVERIFY(window.chartTexts().isEmpty());
    const QString fileName = dir.filePath("teacher.csv");
    QVERIFY(window.tab->exportCsv(fileName));
    QCOMPARE(window.chartTexts(), QStringList{questionName(100)});
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith(";\xc4\xe0\xf2\xe0 \xee\xf2\xe2\xe5\xf2\xe0\r"));
    QCOMPARE(lines.at(1), QByteArray("1;\xc2\xee\xef\xf0\xee\xf1 100;1;5.3.2024\r"));
    QCOMPARE(lines.at(2), QByteArray());
}

void TestResultTab::exportCsv_reportsFailure()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TabWindow window(0);
    window.tab->rebuild(fixtureAnswers());
    QVERIFY(!window.tab->exportCsv(dir.filePath("missing/folder/out.csv")));
    QVERIFY(!window.tab->exportCsv(dir.path()));
}

QTEST_MAIN(TestResultTab)
#include "tst_resulttab.moc"
