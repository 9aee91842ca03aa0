#include "answerfixture.h"
#include "chartresult.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(ChartSelection)
Q_DECLARE_METATYPE(ChartChoice)
Q_DECLARE_METATYPE(ChartBlock)

namespace {

const QDate D1(2024, 3, 1);
const QDate D2(2024, 3, 5);
const QDate D3(2024, 3, 10);

// Block 1 about teachers 10 and 11, block 2 about teacher 10.
QVector<Answer> fixtureAnswers()
{
    return makeAnswers({
        {101, 2, 10, D1, 4},
        {100, 1, 10, D1, 5},
        {100, 2, 10, D2, 3},
        {100, 3, 11, D2, 2},
        {101, 1, 11, D2, 1},
        {100, 1, 10, D3, 2},
        {200, 1, 10, D2, 4, 2},
    });
}

QVector<ChartBlock> fixtureBlocks()
{
    return {
        {blockName(1), 1, {{teacherName(10), 10}, {teacherName(11), 11}}},
        {blockName(2), 2, {{teacherName(10), 10}}},
    };
}

ChartSelection teacherView(int block, int teacher, QDate first = D1, QDate last = D3)
{
    ChartSelection s;
    s.block = block;
    s.teacher = teacher;
    s.first = first;
    s.last = last;
    return s;
}

ChartSelection groupView(QVector<bool> members, int teacher = 0)
{
    ChartSelection s = teacherView(0, teacher);
    s.groupView = true;
    s.groupMembers = members;
    return s;
}

ChartResult result(QList<qint32> questions, QList<qint32> authors, QVector<ChartRow> rows)
{
    ChartResult r;
    for (qint32 q : questions)
        r.questionTexts.append(questionName(q));
    for (qint32 a : authors)
        r.authorNames.append(authorName(a));
    r.rows = rows;
    return r;
}

} // namespace

class TestChartResult : public QObject
{
    Q_OBJECT

private slots:
    void collectChartBlocks_addsBlocksAndTeachersInFirstMetOrder();
    void followChoice_data();
    void followChoice();
    void computeChartResult_data();
    void computeChartResult();
    void computeChartResult_rowRangeSpansCountedAnswers();
    void share_data();
    void share();
    void authorColor_data();
    void authorColor();
    void legendEntries_followAuthors();
};

void TestChartResult::collectChartBlocks_addsBlocksAndTeachersInFirstMetOrder()
{
    const QVector<Answer> answers = makeAnswers({
        {100, 1, 10, D1, 3, 7},
        {300, 1, 11, D1, 3, 8, 1, 5, 1},
        {100, 2, 12, D1, 3, 7},
        {200, 1, 10, D1, 3, 9},
        {101, 2, 10, D1, 3, 7},
        {100, 1, 13, D1, 3, 7, 1, 5, 2},
    });

    const QVector<ChartBlock> group0 = ::collectChartBlocks(0, answers);
    const QVector<ChartBlock> expected0{
        {blockName(7), 7, {{teacherName(10), 10}, {teacherName(12), 12}}},
        {blockName(9), 9, {{teacherName(10), 10}}},
    };
    QCOMPARE(group0, expected0);

    const QVector<ChartBlock> group1 = ::collectChartBlocks(1, answers);
    const QVector<ChartBlock> expected1{{blockName(8), 8, {{teacherName(11), 11}}}};
    QCOMPARE(group1, expected1);
}

void TestChartResult::followChoice_data()
{
    QTest::addColumn<QVector<ChartBlock>>("now");
    QTest::addColumn<ChartChoice>("expected");
    QTest::addColumn<QStringList>("gone"); // block, teacher, members

    // Chosen before: teacher 11 of block 1, and a group of 11 and 10.
    const ChartBlock only10{blockName(1), 1, {{teacherName(10), 10}}};
    QTest::newRow("teacher gone from the block, still a member")
        << QVector<ChartBlock>{only10, {blockName(2), 2, {{teacherName(11), 11}}}} << ChartChoice{1, -1, {11, 10}}
        << QStringList{"", teacherName(11), ""};
    QTest::newRow("block gone") << QVector<ChartBlock>{{blockName(2), 2, {{teacherName(10), 10}}}}
                                << ChartChoice{-1, -1, {10}} << QStringList{blockName(1), "", teacherName(11)};
}

void TestChartResult::followChoice()
{
    QFETCH(QVector<ChartBlock>, now);
    QFETCH(ChartChoice, expected);
    QFETCH(QStringList, gone);
    const FollowedChoice followed = ::followChoice(fixtureBlocks(), now, ChartChoice{1, 11, {11, 10}});
    QCOMPARE(followed.choice, expected);
    QCOMPARE(QStringList({followed.goneBlock.value_or(""), followed.goneTeacher.value_or(""),
                          followed.goneMembers.join(',')}),
             gone);
}

void TestChartResult::computeChartResult_data()
{
    QTest::addColumn<ChartSelection>("selection");
    QTest::addColumn<ChartResult>("expected");

    const std::nullopt_t none = std::nullopt;
    const ChartResult teacher11 = result({100, 101}, {3, 1},
                                         {makeRow(1, 5, {2, none}, {"5.3.2024", ""}),
                                          makeRow(1, 5, {none, 1}, {"", "5.3.2024"})});

    QTest::newRow("teacher view, first-met order, last answer wins")
        << teacherView(0, 0)
        << result({101, 100}, {2, 1},
                  {makeRow(1, 5, {4, none}, {"1.3.2024", ""}),
                   makeRow(1, 5, {3, 2}, {"5.3.2024", "10.3.2024"})});
    QTest::newRow("first day of the range is counted")
        << teacherView(0, 0, D1, D1)
        << result({101, 100}, {2, 1},
                  {makeRow(1, 5, {4, none}, {"1.3.2024", ""}),
                   makeRow(1, 5, {none, 5}, {"", "1.3.2024"})});
    QTest::newRow("last day of the range is counted")
        << teacherView(0, 0, D3, D3) << result({100}, {1}, {makeRow(1, 5, {2}, {"10.3.2024"})});
    QTest::newRow("a day outside the range is not counted")
        << teacherView(0, 0, D1.addDays(1), D3.addDays(-1))
        << result({100}, {2}, {makeRow(1, 5, {3}, {"5.3.2024"})});
    QTest::newRow("range after every answer") << teacherView(0, 0, D3.addDays(1), D3.addDays(5))
                                              << ChartResult();
    QTest::newRow("other teacher's answers never counted") << teacherView(0, 1) << teacher11;
    QTest::newRow("second block") << teacherView(1, 0)
                                  << result({200}, {1}, {makeRow(1, 5, {4}, {"5.3.2024"})});
    QTest::newRow("group of both teachers")
        << groupView({true, true})
        << result({101, 100}, {2, 1, 3},
                  {makeRow(1, 5, {4, 1, none}, {"1.3.2024", "5.3.2024", ""}),
                   makeRow(1, 5, {3, 2, 2}, {"5.3.2024", "10.3.2024", "5.3.2024"})});
    QTest::newRow("group of the second teacher") << groupView({false, true}) << teacher11;
    QTest::newRow("group view ignores the teacher combo")
        << groupView({false, true}, -1) << teacher11;
    QTest::newRow("empty group selects nothing") << groupView({false, false}) << ChartResult();
    QTest::newRow("no block") << teacherView(-1, 0) << ChartResult();
    QTest::newRow("block out of range") << teacherView(2, 0) << ChartResult();
    QTest::newRow("no teacher") << teacherView(0, -1) << ChartResult();
}

void TestChartResult::computeChartResult()
{
    QFETCH(ChartSelection, selection);
    QFETCH(ChartResult, expected);
    QCOMPARE(::computeChartResult(fixtureAnswers(), fixtureBlocks(), selection), expected);
}

void TestChartResult::computeChartResult_rowRangeSpansCountedAnswers()
{
    // The question's range was widened between two answers.
    const QVector<Answer> answers = makeAnswers({
        {100, 1, 10, D1, 4, 1, 1, 5},
        {100, 2, 10, D2, 9, 1, 0, 10},
        {100, 3, 11, D2, -5, 1, -10, 20},
    });
    const ChartResult actual = ::computeChartResult(answers, fixtureBlocks(), teacherView(0, 0));
    QCOMPARE(actual, result({100}, {1, 2}, {makeRow(0, 10, {4, 9}, {"1.3.2024", "5.3.2024"})}));
}

void TestChartResult::share_data()
{
    QTest::addColumn<ChartRow>("row");
    QTest::addColumn<int>("author");
    QTest::addColumn<double>("expected"); // -1: no value

    const ChartRow row = makeRow(1, 5, {5, 3, 1, std::nullopt}, {"1.1.2024", "1.1.2024", "1.1.2024", ""});
    QTest::newRow("maximum") << row << 0 << 1.0;
    QTest::newRow("middle") << row << 1 << 0.5;
    QTest::newRow("minimum") << row << 2 << 0.0;
    QTest::newRow("missing answer") << row << 3 << -1.0;
    QTest::newRow("author out of range") << row << 4 << -1.0;
}

void TestChartResult::share()
{
    QFETCH(ChartRow, row);
    QFETCH(int, author);
    QFETCH(double, expected);
    const std::optional<double> actual = row.share(author);
    QCOMPARE(actual.has_value(), expected >= 0);
    if (actual)
        QCOMPARE(*actual, expected);
}

void TestChartResult::authorColor_data()
{
    QTest::addColumn<QVector<int>>("hues");

    QTest::newRow("one author") << QVector<int>{0};
    QTest::newRow("two authors") << QVector<int>{0, 180};
    QTest::newRow("three authors") << QVector<int>{0, 120, 240};
    QTest::newRow("four authors, the last far from the first") << QVector<int>{0, 90, 180, 270};
    QTest::newRow("seven authors") << QVector<int>{0, 51, 102, 154, 205, 257, 308};
}

void TestChartResult::authorColor()
{
    QFETCH(QVector<int>, hues);
    for (int i = 0; i < hues.size(); ++i) {
        const QColor color = ::authorColor(i, hues.size());
        QCOMPARE(color.hsvHue(), hues.at(i));
        QCOMPARE(color.hsvSaturation(), 200);
        QCOMPARE(color.value(), 200);
        QCOMPARE(color.alpha(), 255);
    }
}

void TestChartResult::legendEntries_followAuthors()
{
    QCOMPARE(::legendEntries({}).size(), 0);
    const QStringList names{authorName(4), authorName(2), authorName(9)};
    const QVector<LegendEntry> entries = ::legendEntries(names);
    QCOMPARE(entries.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(entries.at(i).name, names.at(i));
        QCOMPARE(entries.at(i).color, ::authorColor(i, 3));
    }
}

QTEST_APPLESS_MAIN(TestChartResult)
#include "tst_chartresult.moc"
