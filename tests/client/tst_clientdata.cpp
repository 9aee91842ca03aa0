#include "clientdata.h"
#include "questionchanges.h"
#include "recordbuilders.h"

#include <QTest>

Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(AnswerBatch)
Q_DECLARE_METATYPE(Question)

namespace {

template<typename Record>
QStringList names(const QVector<Record> &records)
{
    QStringList list;
    for (const Record &record : records)
        list.append(record.name);
    return list;
}

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
    data.expert = true;
    data.blocks = {makeBlock(0, QStringLiteral("Занятия"), 0, {}), makeBlock(1, QStringLiteral("Кружок"), 0, {}),
                   makeBlock(2, QStringLiteral("Уроки"), 1, {}), makeBlock(3, QStringLiteral("Классное руководство"), 1, {})};
    data.teachers = {makeTeacher(10, QStringLiteral("Иванова"), 0, {1}), makeTeacher(11, QStringLiteral("Смирнов"), 1),
                     makeTeacher(12, QStringLiteral("Орлова"), 0), makeTeacher(13, QStringLiteral("Кузнецова"), 1, {2, 3})};
    return data;
}

// An answer as a reply lists it: of question `questionId` of block 3.
Answer replied(qint32 questionId, qint16 value, qint32 subjectId)
{
    return makeAnswer(questionId, 3, 7, subjectId, QDate::currentDate(), value);
}

AnswerBatch batchOf(qint32 subject, const QVector<AnswerItem> &items)
{
    AnswerBatch batch;
    batch.subject = subject;
    batch.items = items;
    return batch;
}

} // namespace

class TestClientData : public QObject
{
    Q_OBJECT

private slots:
    void teachersOfGroupKeepListOrder();
    void openBlocksLeaveOutAnsweredOnes_data();
    void openBlocksLeaveOutAnsweredOnes();
    void offeredBlocks_data();
    void offeredBlocks();
    void blockByIdTellsSameNamesApart();
    void subjectId_data();
    void subjectId();
    void commonGroup_data();
    void commonGroup();
    void answerBatchCarriesChosenValues();
    void replyShowsSubmission_data();
    void replyShowsSubmission();
    void questionChanges_data();
    void questionChanges();
    void chartTabToRemove();
};

void TestClientData::teachersOfGroupKeepListOrder()
{
    const ClientData data = expertData();
    QCOMPARE(names(data.teachersOfGroup(0)), QStringList({QStringLiteral("Иванова"), QStringLiteral("Орлова")}));
    QCOMPARE(names(data.teachersOfGroup(1)), QStringList({QStringLiteral("Смирнов"), QStringLiteral("Кузнецова")}));
    QVERIFY(data.teachersOfGroup(2).isEmpty());
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
    QCOMPARE(::names(expertData().openBlocks(group, teacherIndex)), names);
}

void TestClientData::offeredBlocks_data()
{
    QTest::addColumn<bool>("expert");
    QTest::addColumn<bool>("withTeachers");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("teacherIndex");
    QTest::addColumn<QStringList>("names");

    const QStringList all{QStringLiteral("Занятия"), QStringLiteral("Кружок"), QStringLiteral("Уроки"),
                          QStringLiteral("Классное руководство")};
    QTest::newRow("expert: the teacher's open blocks")
        << true << true << 0 << 0 << QStringList{QStringLiteral("Занятия")};
    QTest::newRow("expert: blocks of the other kind")
        << true << true << 1 << 0 << QStringList{QStringLiteral("Уроки"), QStringLiteral("Классное руководство")};
    QTest::newRow("expert without a teacher of that kind") << true << true << 2 << 0 << QStringList();
    QTest::newRow("expert with an empty teacher list") << true << false << 0 << 0 << QStringList();
    QTest::newRow("not an expert: every block, whatever the kind") << false << false << 1 << -1 << all;
}

void TestClientData::offeredBlocks()
{
    QFETCH(bool, expert);
    QFETCH(bool, withTeachers);
    QFETCH(int, group);
    QFETCH(int, teacherIndex);
    QFETCH(QStringList, names);
    ClientData data = expertData();
    data.expert = expert;
    if (!withTeachers)
        data.teachers.clear();
    QCOMPARE(::names(data.offeredBlocks(group, teacherIndex)), names);
}

void TestClientData::blockByIdTellsSameNamesApart()
{
    ClientData data = expertData();
    data.blocks.append(makeBlock(7, QStringLiteral("Уроки"), 0, {makeQuestion(70, QStringLiteral("?"), 1, 5)}));
    const auto found = data.blockById(7);
    QVERIFY(found);
    QCOMPARE(*found, data.blocks.last());
    QCOMPARE(data.blockById(2)->group, quint8(1));
    QVERIFY(!data.blockById(8));
}

void TestClientData::subjectId_data()
{
    QTest::addColumn<bool>("expert");
    QTest::addColumn<bool>("withTeachers");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("teacherIndex");
    QTest::addColumn<int>("subject");

    const int none = -100;
    QTest::newRow("not an expert: nobody, -1") << false << false << 0 << -1 << -1;
    QTest::newRow("first teacher of first kind") << true << true << 0 << 0 << 10;
    QTest::newRow("second teacher of first kind") << true << true << 0 << 1 << 12;
    QTest::newRow("second teacher of second kind") << true << true << 1 << 1 << 13;
    QTest::newRow("kind without teachers: nothing to send") << true << true << 2 << 0 << none;
    QTest::newRow("no teacher chosen: nothing to send") << true << true << 0 << -1 << none;
    QTest::newRow("past the end: nothing to send") << true << true << 1 << 2 << none;
    QTest::newRow("expert with an empty teacher list: nothing to send") << true << false << 0 << 0 << none;
}

void TestClientData::subjectId()
{
    QFETCH(bool, expert);
    QFETCH(bool, withTeachers);
    QFETCH(int, group);
    QFETCH(int, teacherIndex);
    QFETCH(int, subject);
    ClientData data = expertData();
    data.expert = expert;
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

void TestClientData::replyShowsSubmission_data()
{
    QTest::addColumn<bool>("expert");
    QTest::addColumn<AnswerBatch>("sent");
    QTest::addColumn<QVector<Answer>>("before");
    QTest::addColumn<QVector<Answer>>("reply");
    QTest::addColumn<QVector<qint32>>("answeredBlocks"); // of teacher 10 in the reply
    QTest::addColumn<bool>("shows");

    // Questions 30 and 31 of block 3 about teacher 10; the author is 7.
    const AnswerBatch aboutTeacher = batchOf(10, {AnswerItem{30, 3, 4}, AnswerItem{31, 3, -2}});
    const AnswerBatch own = batchOf(-1, aboutTeacher.items);
    const Answer older = replied(30, 1, 11);
    const QVector<Answer> stored = {older, replied(30, 4, 10), replied(31, -2, 10)};
    const QVector<qint32> answered = {1, 3};

    QTest::newRow("expert: answers last, block in the progress") << true << aboutTeacher << QVector<Answer>{older}
                                                                  << stored << answered << true;
    QTest::newRow("expert: answers missing") << true << aboutTeacher << QVector<Answer>{older}
                                             << QVector<Answer>{older} << answered << false;
    QTest::newRow("expert: only the last answer") << true << aboutTeacher << QVector<Answer>{older}
                                                  << stored.mid(0, 1) + stored.mid(2) << answered << false;
    QTest::newRow("expert: another rater's answer after them")
        << true << aboutTeacher << QVector<Answer>{} << stored + QVector<Answer>{older} << answered << true;
    QTest::newRow("expert: the same answers from before only") << true << aboutTeacher << stored << stored
                                                               << answered << false;
    QTest::newRow("expert: another value") << true << batchOf(10, {AnswerItem{30, 3, 4}, AnswerItem{31, 3, 2}})
                                           << QVector<Answer>{} << stored << answered << false;
    QTest::newRow("expert: about another teacher")
        << true << aboutTeacher << QVector<Answer>{}
        << QVector<Answer>{replied(30, 4, 12), replied(31, -2, 12)} << answered << false;
    // The progress covers the current season only; the answers settle it.
    QTest::newRow("expert: block not in the progress")
        << true << aboutTeacher << QVector<Answer>{} << stored << QVector<qint32>{1} << true;
    QTest::newRow("expert: nothing sent") << true << batchOf(10, {}) << QVector<Answer>{} << QVector<Answer>{}
                                          << QVector<qint32>{} << true;
    QTest::newRow("teacher: own answers last") << false << own << QVector<Answer>{} << stored.mid(1)
                                               << QVector<qint32>{} << true;
    QTest::newRow("teacher: earlier answers only") << false << own << QVector<Answer>{older}
                                                   << QVector<Answer>{older} << QVector<qint32>{} << false;
    QTest::newRow("teacher: answers gone") << false << own << QVector<Answer>{older} << QVector<Answer>{}
                                           << QVector<qint32>{} << false;
    // A reply to the submission itself shows that the answers are stored.
    QTest::newRow("parent: shown no answers") << false << own << QVector<Answer>{} << QVector<Answer>{}
                                              << QVector<qint32>{} << true;
}

void TestClientData::replyShowsSubmission()
{
    QFETCH(bool, expert);
    QFETCH(AnswerBatch, sent);
    QFETCH(QVector<Answer>, before);
    QFETCH(QVector<Answer>, reply);
    QFETCH(QVector<qint32>, answeredBlocks);
    QFETCH(bool, shows);

    ClientData previous;
    previous.expert = expert;
    previous.answers = before;
    ClientData replied = previous;
    replied.answers = reply;
    if (expert)
        replied.teachers = {makeTeacher(12, QStringLiteral("Орлова"), 0, {3}),
                            makeTeacher(10, QStringLiteral("Иванова"), 0, answeredBlocks)};
    QCOMPARE(::replyShowsSubmission(sent, previous, replied) != SubmissionShown::No, shows);
}

void TestClientData::questionChanges_data()
{
    QTest::addColumn<QVector<Question>>("newer");
    QTest::addColumn<QString>("told"); // between the block's line and "Проверьте ответы."

    // Shown: questions 1, 2 and 3 ranging 1 to 5, the first answered.
    const Question q1 = makeQuestion(1, QStringLiteral("Один"), 1, 5);
    const Question q3 = makeQuestion(3, QStringLiteral("Три"), 1, 5);
    QTest::newRow("a text and a range changed")
        << QVector<Question>{q1, makeQuestion(2, QStringLiteral("Два?"), 1, 5), makeQuestion(3, q3.text, 0, 5)}
        << QStringLiteral("— изменены вопросы 2, 3.");
    QTest::newRow("one removed, one added before")
        << QVector<Question>{makeQuestion(4, QStringLiteral("Четыре"), 1, 5), q1, q3}
        << QStringLiteral("— добавлен вопрос 1;\n— удалён вопрос «Два».");
    QTest::newRow("swapped") << QVector<Question>{q1, q3, makeQuestion(2, QStringLiteral("Два"), 1, 5)}
                             << QStringLiteral("— вопросы идут в другом порядке.");
}

void TestClientData::questionChanges()
{
    QFETCH(QVector<Question>, newer);
    QFETCH(QString, told);
    QVector<Question> shown = {makeQuestion(1, QStringLiteral("Один"), 1, 5), makeQuestion(2, QStringLiteral("Два"), 1, 5),
                               makeQuestion(3, QStringLiteral("Три"), 1, 5)};
    shown[0].reserved = 4;
    const QuestionChanges found = ::questionChanges(shown, newer);
    QCOMPARE(found.notice(QStringLiteral("Б")),
             QStringLiteral("Вопросы блока «Б» изменились на сервере:\n%1\nПроверьте ответы.").arg(told));
    QVERIFY(::questionChanges(shown, shown).isEmpty());
}

void TestClientData::chartTabToRemove()
{
    QCOMPARE(::chartTabToRemove(0), 3);
    QCOMPARE(::chartTabToRemove(1), 2);
}

QTEST_GUILESS_MAIN(TestClientData)
#include "tst_clientdata.moc"
