#include "clientdata.h"
#include "tst_clienthelpers.h"

#include <QTest>

Q_DECLARE_METATYPE(QuestionBlock)

namespace {

Answer answerOfGroup(qint32 group)
{
    Answer a;
    a.group = group;
    return a;
}

// An expert's view: two blocks per group, two teachers of each kind.
ClientData expertData()
{
    ClientData data;
    data.blocks = {makeBlock(0, QStringLiteral("Занятия"), 0, {}), makeBlock(1, QStringLiteral("Кружок"), 0, {}),
                   makeBlock(2, QStringLiteral("Уроки"), 1, {}), makeBlock(3, QStringLiteral("Классное руководство"), 1, {})};
    data.teachers = {makeTeacher(10, QStringLiteral("Иванова"), 0, {1}), makeTeacher(11, QStringLiteral("Смирнов"), 1),
                     makeTeacher(12, QStringLiteral("Орлова"), 0), makeTeacher(13, QStringLiteral("Кузнецова"), 1, {2, 3})};
    return data;
}

} // namespace

class TestClientData : public QObject
{
    Q_OBJECT

private slots:
    void teachersOfGroupKeepListOrder();
    void openBlocksLeaveOutAnsweredOnes_data();
    void openBlocksLeaveOutAnsweredOnes();
    void blockChoice_data();
    void blockChoice();
    void blockNamedFindsTheFirst();
    void subjectId_data();
    void subjectId();
    void commonGroup_data();
    void commonGroup();
    void answerBatchCarriesChosenValues();
    void chartTabToRemove();
};

void TestClientData::teachersOfGroupKeepListOrder()
{
    const ClientData data = expertData();
    QCOMPARE(data.teacherNames(0), QStringList({QStringLiteral("Иванова"), QStringLiteral("Орлова")}));
    QCOMPARE(data.teacherNames(1), QStringList({QStringLiteral("Смирнов"), QStringLiteral("Кузнецова")}));
    QVERIFY(data.teacherNames(2).isEmpty());
}

void TestClientData::openBlocksLeaveOutAnsweredOnes_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("teacherIndex");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("answered block gone for that teacher") << 0 << 0 << QStringList{QStringLiteral("Занятия")};
    QTest::newRow("still offered for another teacher")
        << 0 << 1 << QStringList{QStringLiteral("Занятия"), QStringLiteral("Кружок")};
    QTest::newRow("only blocks of the teacher's group")
        << 1 << 0 << QStringList{QStringLiteral("Уроки"), QStringLiteral("Классное руководство")};
    QTest::newRow("every block answered") << 1 << 1 << QStringList();
    QTest::newRow("no such teacher") << 1 << 2 << QStringList();
    QTest::newRow("no teacher chosen") << 0 << -1 << QStringList();
}

void TestClientData::openBlocksLeaveOutAnsweredOnes()
{
    QFETCH(int, group);
    QFETCH(int, teacherIndex);
    QFETCH(QStringList, names);
    QCOMPARE(expertData().openBlockNames(group, teacherIndex), names);
}

void TestClientData::blockChoice_data()
{
    QTest::addColumn<QVector<QuestionBlock>>("blocks");
    QTest::addColumn<int>("group");
    QTest::addColumn<QStringList>("names");

    const QVector<QuestionBlock> both = expertData().blocks;
    const QVector<QuestionBlock> schoolOnly = {makeBlock(2, QStringLiteral("Уроки"), 1, {}),
                                               makeBlock(3, QStringLiteral("Классное руководство"), 1, {})};
    QTest::newRow("both groups, first kind")
        << both << 0 << QStringList{QStringLiteral("Занятия"), QStringLiteral("Кружок")};
    QTest::newRow("both groups, second kind")
        << both << 1 << QStringList{QStringLiteral("Уроки"), QStringLiteral("Классное руководство")};
    QTest::newRow("both groups, no kind chosen")
        << both << -1
        << QStringList{QStringLiteral("Занятия"), QStringLiteral("Кружок"), QStringLiteral("Уроки"),
                       QStringLiteral("Классное руководство")};
    QTest::newRow("one group: all, whatever the kind")
        << schoolOnly << 0 << QStringList{QStringLiteral("Уроки"), QStringLiteral("Классное руководство")};
    QTest::newRow("no blocks") << QVector<QuestionBlock>() << 0 << QStringList();
}

void TestClientData::blockChoice()
{
    QFETCH(QVector<QuestionBlock>, blocks);
    QFETCH(int, group);
    QFETCH(QStringList, names);
    ClientData data;
    data.blocks = blocks;
    QCOMPARE(data.blockChoice(group), names);
}

void TestClientData::blockNamedFindsTheFirst()
{
    ClientData data = expertData();
    data.blocks.append(makeBlock(7, QStringLiteral("Уроки"), 0, {}));
    QCOMPARE(data.blockNamed(QStringLiteral("Уроки"))->id, 2);
    QVERIFY(!data.blockNamed(QStringLiteral("Нет такого")));
}

void TestClientData::subjectId_data()
{
    QTest::addColumn<bool>("withTeachers");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("teacherIndex");
    QTest::addColumn<int>("subject");

    const int none = -100;
    QTest::newRow("no teacher list: nobody, -1") << false << 0 << -1 << -1;
    QTest::newRow("first teacher of first kind") << true << 0 << 0 << 10;
    QTest::newRow("second teacher of first kind") << true << 0 << 1 << 12;
    QTest::newRow("second teacher of second kind") << true << 1 << 1 << 13;
    QTest::newRow("kind without teachers: nothing to send") << true << 2 << 0 << none;
    QTest::newRow("no teacher chosen: nothing to send") << true << 0 << -1 << none;
    QTest::newRow("past the end: nothing to send") << true << 1 << 2 << none;
}

void TestClientData::subjectId()
{
    QFETCH(bool, withTeachers);
    QFETCH(int, group);
    QFETCH(int, teacherIndex);
    QFETCH(int, subject);
    ClientData data = expertData();
    if (!withTeachers)
        data.teachers.clear();
    QCOMPARE(data.subjectId(group, teacherIndex).value_or(-100), subject);
}

void TestClientData::commonGroup_data()
{
    QTest::addColumn<QVector<qint32>>("groups");
    QTest::addColumn<int>("common");

    QTest::newRow("none") << QVector<qint32>() << -1;
    QTest::newRow("all first") << QVector<qint32>{0, 0} << 0;
    QTest::newRow("all second") << QVector<qint32>{1} << 1;
    QTest::newRow("mixed") << QVector<qint32>{1, 0, 1} << -1;
}

void TestClientData::commonGroup()
{
    QFETCH(QVector<qint32>, groups);
    QFETCH(int, common);
    ClientData data;
    for (qint32 g : groups) {
        data.blocks.append(makeBlock(data.blocks.size(), QString::number(g), quint8(g), {}));
        data.answers.append(answerOfGroup(g));
    }
    QCOMPARE(data.commonBlockGroup(), common);
    QCOMPARE(data.commonAnswerGroup(), common);
}

void TestClientData::answerBatchCarriesChosenValues()
{
    Question first;
    first.id = 5;
    first.reserved = 4;
    Question second;
    second.id = 8;
    second.reserved = -3;
    const AnswerBatch batch = buildAnswerBatch(12, 2, {first, second});
    QCOMPARE(batch.subject, 12);
    QCOMPARE(batch.reserved, -1);
    QCOMPARE(batch.items, (QVector<AnswerItem>{AnswerItem{5, 2, 4}, AnswerItem{8, 2, -3}}));
}

void TestClientData::chartTabToRemove()
{
    QCOMPARE(::chartTabToRemove(0), 3);
    QCOMPARE(::chartTabToRemove(1), 2);
}

QTEST_GUILESS_MAIN(TestClientData)
#include "tst_clientdata.moc"
