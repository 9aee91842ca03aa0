#include "datastore.h"
#include "encoding.h"
#include "message.h"
#include "requesthandler.h"
#include "tst_corefixtures.h"

#include <QtTest>

#include <functional>

Q_DECLARE_METATYPE(AnswerItem)
Q_DECLARE_METATYPE(QVector<AnswerItem>)

using namespace fixtures;

namespace {

Message unpacked(const QByteArray &reply)
{
    const UnpackResult result = unpackMessage(reply);
    return result.status == UnpackResult::Complete ? result.message : Message();
}

QVector<qint32> sectionTypes(const QByteArray &reply)
{
    return fixtures::sectionTypes(unpacked(reply));
}

QByteArray sectionData(const QByteArray &reply, qint32 type)
{
    for (const Section &section : unpacked(reply).sections) {
        if (section.type == type)
            return section.data;
    }
    return QByteArray();
}

QVector<QuestionBlock> blocksIn(const QByteArray &reply)
{
    return decodeBlockList(sectionData(reply, BlockListSection)).value_or(QVector<QuestionBlock>());
}

QVector<Answer> answersIn(const QByteArray &reply)
{
    return decodeAnswerList(sectionData(reply, AnswerListSection)).value_or(QVector<Answer>());
}

QVector<TeacherEntry> progressIn(const QByteArray &reply)
{
    return decodeTeacherList(sectionData(reply, TeacherProgressSection)).value_or(QVector<TeacherEntry>());
}

QVector<qint32> blockIds(const QVector<QuestionBlock> &blocks)
{
    QVector<qint32> ids;
    for (const QuestionBlock &b : blocks)
        ids.append(b.id);
    return ids;
}

QByteArray attemptsLeftReply(qint32 attempts)
{
    return packMessage(Message::single(AttemptsLeftSection, encodeAttemptsLeft(attempts))).value();
}

const QByteArray EmptyDataReply = QByteArray::fromHex("0200"
                                                      "00000000" "03000000" "02000000" "0000"
                                                      "00000000" "04000000" "02000000" "0000");

} // namespace

class tst_RequestHandler : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void loginByKind_data();
    void loginByKind();
    void loginCountdownThenSilence();
    void loginRefused_data();
    void loginRefused();
    void firstMatchDecides_data();
    void firstMatchDecides();
    void unreadableMessageIgnored();
    void teacherReplyBytes();

    void blocksByKind_data();
    void blocksByKind();
    void seasonRule_data();
    void seasonRule();
    void answerListByKind();
    void answerTextsOnlyOnSentCopy();
    void answerWithoutQuestionLeftOut();
    void answerWithoutAuthorKeepsName();
    void answerWithoutSubjectKept();
    void staleBatchRefused_data();
    void staleBatchRefused();
    void teacherProgress();

    void selfRatingStoredForTeacher_data();
    void selfRatingStoredForTeacher();
    void groupFollowsSubject_data();
    void groupFollowsSubject();
    void subjectChecked_data();
    void subjectChecked();
    void invalidItemsDropped_data();
    void invalidItemsDropped();
    void shortBatchDropped();
    void countBeyondSectionReadsWholeItems();
    void emptyBatchRewritesFile();
    void refreshWritesNothing();
    void secondLoginReadAsBatch();
    void deletedAccountGetsEmptyReply_data();
    void deletedAccountGetsEmptyReply();
    void orphanedEntryGetsEmptyReply_data();
    void orphanedEntryGetsEmptyReply();
    void unstoredBatchGetsNoReply_data();
    void unstoredBatchGetsNoReply();
    void replyFollowsIntake();
    void repeatRefusedWhileCommitting();
    void keptEncodingsFollowChanges_data();
    void keptEncodingsFollowChanges();

private:
    ClientEntry loggedIn(const QString &login, const QByteArray &password);

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<DataStore> m_store;
    QScopedPointer<RequestHandler> m_handler;
};

void tst_RequestHandler::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_store.reset(new DataStore(m_dir->path()));
    QVERIFY(loadSchool(*m_store));
    m_handler.reset(new RequestHandler(*m_store));
}

ClientEntry tst_RequestHandler::loggedIn(const QString &login, const QByteArray &password)
{
    ClientEntry entry;
    m_handler->handle(entry, loginRequest(login, password));
    return entry;
}

void tst_RequestHandler::loginByKind_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<qint32>("roleCode");
    QTest::addColumn<qint32>("accountId");
    QTest::addColumn<QVector<qint32>>("sections");

    const QVector<qint32> twoLists{BlockListSection, AnswerListSection};
    QTest::newRow("teacher of additional education")
        << QStringLiteral("Иванова") << QByteArray("p1") << 3 << qint32(TeacherDo) << twoLists;
    QTest::newRow("expert") << QStringLiteral("Смирнов") << QByteArray("p2") << 2 << qint32(Expert)
                            << QVector<qint32>{BlockListSection, AnswerListSection, TeacherProgressSection};
    QTest::newRow("parent") << QStringLiteral("Родитель") << QByteArray("p3") << 4 << qint32(Parent) << twoLists;
    QTest::newRow("school teacher") << QStringLiteral("Петров") << QByteArray("p4") << 5 << qint32(SchoolTeacher)
                                    << twoLists;
}

void tst_RequestHandler::loginByKind()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(qint32, roleCode);
    QFETCH(qint32, accountId);
    QFETCH(QVector<qint32>, sections);

    ClientEntry entry;
    const QByteArray reply = m_handler->handle(entry, loginRequest(login, password));
    QCOMPARE(sectionTypes(reply), sections);
    QCOMPARE(entry.state, qint32(ClientEntry::LoggedIn));
    QCOMPARE(entry.roleCode, roleCode);
    QCOMPARE(entry.accountId, accountId);
    QCOMPARE(entry.attemptsLeft, 3);
}

void tst_RequestHandler::loginCountdownThenSilence()
{
    ClientEntry entry;
    const QByteArray wrong = loginRequest(QStringLiteral("Иванова"), "wrong");
    QCOMPARE(m_handler->handle(entry, wrong), QByteArray::fromHex("0100" "00000000" "02000000" "04000000"
                                                                   "02000000"));
    QCOMPARE(m_handler->handle(entry, wrong), attemptsLeftReply(1));
    QCOMPARE(m_handler->handle(entry, wrong), attemptsLeftReply(0));
    QCOMPARE(m_handler->handle(entry, wrong), QByteArray());
    QCOMPARE(m_handler->handle(entry, wrong), QByteArray());
    QCOMPARE(entry.attemptsLeft, 0);
    QCOMPARE(entry.state, qint32(ClientEntry::AwaitingLogin));
    QCOMPARE(entry.roleCode, 0);
    QCOMPARE(entry.accountId, 0);
}

void tst_RequestHandler::loginRefused_data()
{
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("wrong password") << loginRequest(QStringLiteral("Иванова"), "p2");
    QTest::newRow("password with a trailing space") << loginRequest(QStringLiteral("Иванова"), "p1 ");
    QTest::newRow("start of the password") << loginRequest(QStringLiteral("Иванова"), "p");
    QTest::newRow("empty password") << loginRequest(QStringLiteral("Иванова"), "");
    QTest::newRow("login in another case") << loginRequest(QStringLiteral("иванова"), "p1");
    QTest::newRow("unknown login") << loginRequest(QStringLiteral("Никто"), "p1");
    QTest::newRow("inactive account, right password") << loginRequest(QStringLiteral("Соня"), "p5");
    QTest::newRow("credentials in a section of another type")
        << packMessage(Message::single(AnswerBatchSection,
                                       encodeLoginCredentials({QStringLiteral("Иванова"), "p1"}).value()))
               .value();
    QTest::newRow("message without sections") << emptyMessageBytes();
    QTest::newRow("credentials cut short")
        << packMessage(Message::single(LoginCredentialsSection, QByteArray::fromHex("0500"))).value();
}

void tst_RequestHandler::loginRefused()
{
    QFETCH(QByteArray, message);

    ClientEntry entry;
    QCOMPARE(m_handler->handle(entry, message), attemptsLeftReply(2));
    QCOMPARE(entry.state, qint32(ClientEntry::AwaitingLogin));
    QCOMPARE(entry.attemptsLeft, 2);
}

void tst_RequestHandler::firstMatchDecides_data()
{
    QTest::addColumn<bool>("firstActive");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("lower kind active wins") << true << true;
    QTest::newRow("lower kind inactive refuses") << false << false;
}

void tst_RequestHandler::firstMatchDecides()
{
    QFETCH(bool, firstActive);
    QFETCH(bool, accepted);

    QVERIFY(m_store->addAccount(TeacherDoKind, makeAccount(30, QStringLiteral("Двойник"), "same", firstActive)));
    QVERIFY(m_store->addAccount(ExpertKind, makeAccount(31, QStringLiteral("Двойник"), "same")));
    const ClientEntry entry = loggedIn(QStringLiteral("Двойник"), "same");
    QCOMPARE(entry.state == ClientEntry::LoggedIn, accepted);
    QCOMPARE(entry.accountId, accepted ? 30 : 0);
    QCOMPARE(entry.roleCode, accepted ? 3 : 0);
}

void tst_RequestHandler::unreadableMessageIgnored()
{
    ClientEntry entry;
    // Counts a section whose head is missing.
    QCOMPARE(m_handler->handle(entry, QByteArray::fromHex("010000")), QByteArray());
    QCOMPARE(entry.attemptsLeft, 3);
    // A negative section size.
    QCOMPARE(m_handler->handle(entry, QByteArray::fromHex("0100" "00000000" "01000000" "ffffffff")), QByteArray());
    QCOMPARE(entry.attemptsLeft, 3);
}

void tst_RequestHandler::teacherReplyBytes()
{
    QVERIFY(loadStores(*m_store,
                       {QuestionGroup{QString(), -1, {makeBlock(3, QStringLiteral("B"), 0,
                                                                {makeQuestion(7, QStringLiteral("q"), 0, 2)})}},
                        QuestionGroup()},
                       {{makeAccount(1, QStringLiteral("t"), "p")}, {}, {}, {}}));

    ClientEntry entry;
    const QByteArray reply = m_handler->handle(entry, loginRequest(QStringLiteral("t"), "p"));
    const QByteArray expected = QByteArray::fromHex(
        "0200"                                   // two sections
        "00000000" "03000000" "21000000"         // BlockList, 33 bytes
        "0100"                                   // one block
        "0100" "4200" "03000000" "00000000"      // name, id, ordinal
        "01" "00" "0100"                         // active, group, one question
        "0100" "7100" "07000000" "01"            // text, id, active
        "0200" "0000" "0000"                     // maxValue, minValue, reserved
        "00000000" "04000000" "02000000" "0000"  // AnswerList: none
    );
    QCOMPARE(reply, expected);
}

void tst_RequestHandler::blocksByKind_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QVector<qint32>>("blocks");

    QTest::newRow("teacher of additional education: group 0")
        << QStringLiteral("Иванова") << QByteArray("p1") << QVector<qint32>{LessonBlock};
    QTest::newRow("school teacher: group 1") << QStringLiteral("Петров") << QByteArray("p4")
                                             << QVector<qint32>{ClassBlock};
    QTest::newRow("expert: both groups") << QStringLiteral("Смирнов") << QByteArray("p2")
                                         << QVector<qint32>{LessonBlock, ClassBlock};
    QTest::newRow("parent: both groups") << QStringLiteral("Родитель") << QByteArray("p3")
                                         << QVector<qint32>{LessonBlock, ClassBlock};
}

void tst_RequestHandler::blocksByKind()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(QVector<qint32>, blocks);

    ClientEntry entry;
    const QVector<QuestionBlock> sent = blocksIn(m_handler->handle(entry, loginRequest(login, password)));
    QCOMPARE(blockIds(sent), blocks);
    // Only active questions travel; the inactive block never does.
    QuestionBlock lesson = m_store->questions()[0].blocks[0];
    lesson.questions = {lesson.questions.first()};
    const QuestionBlock classBlock = m_store->questions()[1].blocks[0];
    for (const QuestionBlock &b : sent)
        QCOMPARE(b, b.id == LessonBlock ? lesson : classBlock);
}

void tst_RequestHandler::seasonRule_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<qint32>("author");
    QTest::addColumn<QDate>("answered");
    QTest::addColumn<QDate>("seasonStart");
    QTest::addColumn<bool>("offered");

    const QDate today = QDate::currentDate();
    const QString teacher = QStringLiteral("Иванова");
    QTest::newRow("answered today, no season begun") << teacher << QByteArray("p1") << qint32(TeacherDo) << today
                                                     << QDate() << false;
    QTest::newRow("answered years ago, no season begun")
        << teacher << QByteArray("p1") << qint32(TeacherDo) << QDate(2001, 1, 1) << QDate() << false;
    QTest::newRow("answered on the season's first day")
        << teacher << QByteArray("p1") << qint32(TeacherDo) << today << today << false;
    QTest::newRow("answered before the season") << teacher << QByteArray("p1") << qint32(TeacherDo)
                                                << today.addDays(-1) << today << true;
    QTest::newRow("season begun after the answer")
        << teacher << QByteArray("p1") << qint32(TeacherDo) << today << today.addDays(1) << true;
    QTest::newRow("answered by an expert about the teacher")
        << teacher << QByteArray("p1") << qint32(Expert) << today << QDate() << true;
    QTest::newRow("experts get answered blocks again")
        << QStringLiteral("Смирнов") << QByteArray("p2") << qint32(Expert) << today << QDate() << true;
}

void tst_RequestHandler::seasonRule()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(qint32, author);
    QFETCH(QDate, answered);
    QFETCH(QDate, seasonStart);
    QFETCH(bool, offered);

    QVERIFY(m_store->appendAnswers({makeAnswer(GoalQuestion, LessonBlock, author, TeacherDo, answered)}));
    QVERIFY(m_store->setSeasonStart(seasonStart));
    ClientEntry entry;
    const QVector<qint32> sent = blockIds(blocksIn(m_handler->handle(entry, loginRequest(login, password))));
    QCOMPARE(sent.contains(LessonBlock), offered);
}

void tst_RequestHandler::answerListByKind()
{
    const QDate day(2024, 9, 2);
    QVERIFY(m_store->appendAnswers({makeAnswer(GoalQuestion, LessonBlock, TeacherDo, TeacherDo, day), // self-rating
                                    makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, day),    // about her
                                    makeAnswer(PlanQuestion, ClassBlock, SchoolTeacher, SchoolTeacher, day, 0, 1),
                                    makeAnswer(GoalQuestion, LessonBlock, Parent, TeacherDo, day)}));
    const AnswerStore stored = m_store->answers();

    ClientEntry expert;
    QCOMPARE(answersIn(m_handler->handle(expert, loginRequest(QStringLiteral("Смирнов"), "p2"))).size(), 4);

    ClientEntry teacher;
    const QVector<Answer> own = answersIn(m_handler->handle(teacher, loginRequest(QStringLiteral("Иванова"), "p1")));
    QCOMPARE(own.size(), 1);
    QCOMPARE(own.first().authorId, qint32(TeacherDo));
    QCOMPARE(own.first().subjectId, qint32(TeacherDo));

    ClientEntry schoolTeacher;
    const QVector<Answer> schoolOwn =
        answersIn(m_handler->handle(schoolTeacher, loginRequest(QStringLiteral("Петров"), "p4")));
    QCOMPARE(schoolOwn.size(), 1);
    QCOMPARE(schoolOwn.first().questionId, qint32(PlanQuestion));

    ClientEntry parent;
    const QByteArray parentReply = m_handler->handle(parent, loginRequest(QStringLiteral("Родитель"), "p3"));
    QCOMPARE(sectionData(parentReply, AnswerListSection), QByteArray::fromHex("0000"));

    QCOMPARE(m_store->answers(), stored);
}

void tst_RequestHandler::answerTextsOnlyOnSentCopy()
{
    const Answer stored = makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, QDate(2024, 9, 2), -1, 1);
    QVERIFY(m_store->appendAnswers({stored}));

    ClientEntry entry;
    const QVector<Answer> sent = answersIn(m_handler->handle(entry, loginRequest(QStringLiteral("Смирнов"), "p2")));
    Answer expected = stored;
    expected.questionText = QStringLiteral("План урока");
    expected.blockName = QStringLiteral("Урок");
    expected.authorName = QStringLiteral("Смирнов");
    expected.subjectName = QStringLiteral("Петров");
    QCOMPARE(sent, QVector<Answer>{expected});
    QCOMPARE(m_store->answers(), AnswerStore{stored});
}

void tst_RequestHandler::answerWithoutQuestionLeftOut()
{
    QVERIFY(m_store->appendAnswers({makeAnswer(999, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2)),
                                    makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2))}));
    const AnswerStore stored = m_store->answers();

    ClientEntry entry;
    const QVector<Answer> sent = answersIn(m_handler->handle(entry, loginRequest(QStringLiteral("Смирнов"), "p2")));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().questionId, qint32(GoalQuestion));
    // Kept in the store: the question may be restored with its id.
    QCOMPARE(m_store->answers(), stored);
}

void tst_RequestHandler::answerWithoutAuthorKeepsName()
{
    Answer gone = makeAnswer(GoalQuestion, LessonBlock, 77, TeacherDo, QDate(2024, 9, 2));
    gone.authorName = QStringLiteral("Ушедший эксперт");
    QVERIFY(m_store->appendAnswers({gone}));

    ClientEntry entry;
    const QVector<Answer> sent = answersIn(m_handler->handle(entry, loginRequest(QStringLiteral("Смирнов"), "p2")));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().authorName, QStringLiteral("Ушедший эксперт"));
    QCOMPARE(sent.first().subjectName, QStringLiteral("Иванова"));
}

void tst_RequestHandler::answerWithoutSubjectKept()
{
    const Answer kept = makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2));
    const Answer byParent = makeAnswer(PlanQuestion, ClassBlock, Parent, -1, QDate(2024, 9, 3), 0, 1);
    QVERIFY(m_store->appendAnswers({makeAnswer(GoalQuestion, LessonBlock, Expert, 77, QDate(2024, 9, 2)), kept,
                                    byParent}));
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);

    // A teacher's reply chooses only self-ratings and removes nothing.
    ClientEntry teacher;
    m_handler->handle(teacher, loginRequest(QStringLiteral("Иванова"), "p1"));
    QCOMPARE(m_store->answers().size(), 3);

    ClientEntry entry;
    const QVector<Answer> sent = answersIn(m_handler->handle(entry, loginRequest(QStringLiteral("Смирнов"), "p2")));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().subjectId, qint32(TeacherDo));
    // Neither the answer about no account nor a parent's (about nobody) is
    // sent; both stay: only the administrator removes answers.
    QCOMPARE(m_store->answers().size(), 3);
    QCOMPARE(written.count(), 0);
}

void tst_RequestHandler::teacherProgress()
{
    const QDate today = QDate::currentDate();
    QVERIFY(m_store->setSeasonStart(today.addDays(-10)));
    QVERIFY(m_store->appendAnswers({
        makeAnswer(PlanQuestion, ClassBlock, Expert, TeacherDo, today),
        makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, today),
        makeAnswer(PlanQuestion, ClassBlock, Expert, TeacherDo, today),               // listed once
        makeAnswer(GoalQuestion, LessonBlock, Expert, SchoolTeacher, today.addDays(-11)), // last season
        makeAnswer(GoalQuestion, LessonBlock, SleepingExpert, SchoolTeacher, today),  // another expert
        makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, today, 0, 1)}));
    QVERIFY(m_store->addAccount(TeacherDoKind, makeAccount(8, QStringLiteral("Орлова"), "p8")));

    ClientEntry entry;
    const QByteArray reply = m_handler->handle(entry, loginRequest(QStringLiteral("Смирнов"), "p2"));
    const QVector<TeacherEntry> expected{
        {TeacherDo, QStringLiteral("Иванова"), QString(), {ClassBlock, LessonBlock}, 0},
        {8, QStringLiteral("Орлова"), QString(), {}, 0},
        {SchoolTeacher, QStringLiteral("Петров"), QString(), {ClassBlock}, 1}};
    QCOMPARE(progressIn(reply), expected);
    QCOMPARE(sectionData(reply, TeacherProgressSection), encodeTeacherList(expected).value());
}

void tst_RequestHandler::selfRatingStoredForTeacher_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<qint32>("id");
    QTest::addColumn<AnswerItem>("item");
    QTest::addColumn<qint32>("group");

    QTest::newRow("teacher of additional education") << QStringLiteral("Иванова") << QByteArray("p1")
                                                     << qint32(TeacherDo)
                                                     << AnswerItem{GoalQuestion, LessonBlock, 4} << 0;
    QTest::newRow("school teacher") << QStringLiteral("Петров") << QByteArray("p4") << qint32(SchoolTeacher)
                                    << AnswerItem{PlanQuestion, ClassBlock, -2} << 1;
}

void tst_RequestHandler::selfRatingStoredForTeacher()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(qint32, id);
    QFETCH(AnswerItem, item);
    QFETCH(qint32, group);

    ClientEntry entry = loggedIn(login, password);
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    // Whatever subject the batch names, a teacher rates itself.
    const QByteArray reply = m_handler->handle(entry, submission(Expert, {item}));

    const Question &q = *std::find_if(m_store->questions()[group].blocks[0].questions.cbegin(),
                                      m_store->questions()[group].blocks[0].questions.cend(),
                                      [&](const Question &x) { return x.id == item.questionId; });
    Answer expected;
    expected.questionId = item.questionId;
    expected.blockId = item.blockId;
    expected.group = group;
    expected.date = QDate::currentDate();
    expected.value = qint16(item.value);
    expected.maxValue = q.maxValue;
    expected.minValue = q.minValue;
    expected.authorId = id;
    expected.subjectId = id;
    QCOMPARE(m_store->answers(), AnswerStore{expected});
    QCOMPARE(written.count(), 1);
    QCOMPARE(fileBytes(m_store->answersPath()), encodeAnswerList({expected}).value());
    QCOMPARE(entry.state, qint32(ClientEntry::LoggedIn));
    QCOMPARE(sectionTypes(reply), (QVector<qint32>{BlockListSection, AnswerListSection}));
}

void tst_RequestHandler::groupFollowsSubject_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<qint32>("subject");
    QTest::addColumn<qint32>("group");

    const QString expert = QStringLiteral("Смирнов");
    const QString parent = QStringLiteral("Родитель");
    QTest::newRow("expert about a teacher of additional education") << expert << QByteArray("p2")
                                                                    << qint32(TeacherDo) << 0;
    QTest::newRow("expert about a school teacher") << expert << QByteArray("p2") << qint32(SchoolTeacher) << 1;
    QTest::newRow("parent without a subject") << parent << QByteArray("p3") << -1 << 1;
    QTest::newRow("parent about a teacher of additional education") << parent << QByteArray("p3")
                                                                    << qint32(TeacherDo) << 0;
    QTest::newRow("parent about a school teacher") << parent << QByteArray("p3") << qint32(SchoolTeacher) << 1;
}

void tst_RequestHandler::groupFollowsSubject()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(qint32, subject);
    QFETCH(qint32, group);

    ClientEntry entry = loggedIn(login, password);
    const AnswerItem item = group == 0 ? AnswerItem{GoalQuestion, LessonBlock, 1} : AnswerItem{PlanQuestion, ClassBlock, 1};
    m_handler->handle(entry, submission(subject, {item}));
    const AnswerStore written = decodeAnswerList(fileBytes(m_store->answersPath())).value();
    QCOMPARE(written.size(), 1);
    QCOMPARE(written.first().subjectId, subject);
    QCOMPARE(written.first().group, group);
    QCOMPARE(written.first().authorId, entry.accountId);
    QCOMPARE(m_store->answers(), written);
}

void tst_RequestHandler::subjectChecked_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<qint32>("subject");
    QTest::addColumn<qint32>("storedSubject"); // -2: the batch is dropped

    const QString expert = QStringLiteral("Смирнов");
    const QString parent = QStringLiteral("Родитель");
    QTest::newRow("expert about a teacher") << expert << QByteArray("p2") << qint32(TeacherDo)
                                            << qint32(TeacherDo);
    QTest::newRow("expert about a school teacher") << expert << QByteArray("p2") << qint32(SchoolTeacher)
                                                   << qint32(SchoolTeacher);
    QTest::newRow("expert about nobody") << expert << QByteArray("p2") << -1 << -2;
    QTest::newRow("expert about an unknown account") << expert << QByteArray("p2") << 77 << -2;
    QTest::newRow("expert about an expert") << expert << QByteArray("p2") << qint32(SleepingExpert) << -2;
    QTest::newRow("expert about himself") << expert << QByteArray("p2") << qint32(Expert) << -2;
    QTest::newRow("expert about a parent") << expert << QByteArray("p2") << qint32(Parent) << -2;
    QTest::newRow("parent about nobody") << parent << QByteArray("p3") << -1 << -1;
    QTest::newRow("parent about a teacher") << parent << QByteArray("p3") << qint32(SchoolTeacher)
                                            << qint32(SchoolTeacher);
    QTest::newRow("parent about an expert") << parent << QByteArray("p3") << qint32(Expert) << -2;
    QTest::newRow("parent about himself") << parent << QByteArray("p3") << qint32(Parent) << -2;
    QTest::newRow("parent about an unknown account") << parent << QByteArray("p3") << 77 << -2;
    QTest::newRow("teacher naming an expert rates herself") << QStringLiteral("Иванова") << QByteArray("p1")
                                                            << qint32(Expert) << qint32(TeacherDo);
    QTest::newRow("teacher naming nobody rates himself") << QStringLiteral("Петров") << QByteArray("p4") << 77
                                                         << qint32(SchoolTeacher);
}

void tst_RequestHandler::subjectChecked()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(qint32, subject);
    QFETCH(qint32, storedSubject);

    ClientEntry entry = loggedIn(login, password);
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    const bool schoolGroup = entry.roleCode == 5 || (entry.roleCode != 3 && subject == SchoolTeacher);
    const AnswerItem item = schoolGroup ? AnswerItem{PlanQuestion, ClassBlock, 1} : AnswerItem{GoalQuestion, LessonBlock, 1};
    const QByteArray reply = m_handler->handle(entry, submission(subject, {item}));

    const bool dropped = storedSubject == -2;
    QCOMPARE(m_store->answers().size(), dropped ? 0 : 1);
    QCOMPARE(written.count(), dropped ? 0 : 1);
    QCOMPARE(QFileInfo::exists(m_store->answersPath()), !dropped);
    if (!dropped)
        QCOMPARE(m_store->answers().first().subjectId, storedSubject);
    // A dropped batch gets no reply: a reply would tell the client that its
    // answers were kept.
    QCOMPARE(entry.state, qint32(ClientEntry::LoggedIn));
    QCOMPARE(reply.isEmpty(), dropped);
    if (!dropped)
        QCOMPARE(sectionTypes(reply).mid(0, 2), (QVector<qint32>{BlockListSection, AnswerListSection}));
}

void tst_RequestHandler::invalidItemsDropped_data()
{
    QTest::addColumn<qint32>("subject");
    QTest::addColumn<QVector<AnswerItem>>("items");
    QTest::addColumn<bool>("stored");

    const AnswerItem plan{PlanQuestion, ClassBlock, 1};
    const AnswerItem goal{GoalQuestion, LessonBlock, 5};
    QTest::newRow("valid") << qint32(SchoolTeacher) << QVector<AnswerItem>{plan} << true;
    QTest::newRow("lowest value allowed") << qint32(SchoolTeacher) << QVector<AnswerItem>{{PlanQuestion, ClassBlock, -2}} << true;
    QTest::newRow("highest value allowed") << qint32(SchoolTeacher) << QVector<AnswerItem>{{PlanQuestion, ClassBlock, 2}} << true;
    QTest::newRow("inactive question of an active block") << qint32(TeacherDo)
                                                          << QVector<AnswerItem>{goal, {PaceQuestion, LessonBlock, 1}} << true;
    QTest::newRow("unknown question") << qint32(SchoolTeacher) << QVector<AnswerItem>{plan, {999, ClassBlock, 1}} << false;
    QTest::newRow("question of another block") << qint32(SchoolTeacher) << QVector<AnswerItem>{{PlanQuestion, LessonBlock, 1}} << false;
    QTest::newRow("below the range") << qint32(SchoolTeacher) << QVector<AnswerItem>{{PlanQuestion, ClassBlock, -3}} << false;
    QTest::newRow("above the range") << qint32(SchoolTeacher) << QVector<AnswerItem>{{PlanQuestion, ClassBlock, 3}} << false;
    QTest::newRow("in range only in its low 16 bits") << qint32(SchoolTeacher) << QVector<AnswerItem>{{PlanQuestion, ClassBlock, 0x10001}} << false;
    QTest::newRow("question twice") << qint32(SchoolTeacher) << QVector<AnswerItem>{plan, plan} << false;
    QTest::newRow("two blocks") << qint32(TeacherDo) << QVector<AnswerItem>{goal, plan} << false;
    QTest::newRow("inactive block") << qint32(TeacherDo) << QVector<AnswerItem>{{HiddenQuestion, HiddenBlock, 1}} << false;
    QTest::newRow("block of another group") << qint32(SchoolTeacher) << QVector<AnswerItem>{goal} << false;
}

void tst_RequestHandler::invalidItemsDropped()
{
    QFETCH(qint32, subject);
    QFETCH(QVector<AnswerItem>, items);
    QFETCH(bool, stored);

    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    const QByteArray reply = m_handler->handle(entry, submission(subject, items));
    // One item left out would make the reply tell of answers not kept: the
    // batch is kept whole or not at all.
    QCOMPARE(m_store->answers().size(), stored ? items.size() : 0);
    QCOMPARE(reply.isEmpty(), !stored);
}

using Reshape = std::function<void(DataStore &)>;
Q_DECLARE_METATYPE(Reshape)

void tst_RequestHandler::staleBatchRefused_data()
{
    QTest::addColumn<Reshape>("change");
    QTest::addColumn<bool>("stored");
    // Edits the first block; with `restore`, puts the school back afterwards.
    const auto questions = [](auto edit, bool restore = true) {
        return Reshape([edit, restore](DataStore &store) {
            QuestionStore q = schoolQuestions();
            edit(q[0].blocks[0]);
            store.setQuestions(q);
            if (restore)
                store.setQuestions(schoolQuestions());
        });
    };
    QTest::newRow("subject deleted, another given its id") << Reshape([](DataStore &store) {
        store.removeAccount(TeacherDoKind, 0);
        store.addAccount(TeacherDoKind, makeAccount(TeacherDo, QStringLiteral("Петрова"), "x"));
    }) << false;
    QTest::newRow("question deleted and re-created") << questions([](QuestionBlock &b) { b.questions.removeFirst(); }) << false;
    QTest::newRow("range widened") << questions([](QuestionBlock &b) { b.questions[0].maxValue = 10; }, false) << false;
    QTest::newRow("block deleted and re-created") << questions([](QuestionBlock &b) { b.id = 12; }) << false;
    QTest::newRow("question renamed") << questions([](QuestionBlock &b) { b.questions[0].text = QStringLiteral("Цель"); }) << true;
}

// Ids are reused: a batch is about what its client was last shown, and is
// refused when a record it names is no longer that; a refresh shows it anew.
void tst_RequestHandler::staleBatchRefused()
{
    QFETCH(Reshape, change);
    QFETCH(bool, stored);
    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    change(*m_store);
    const QByteArray batch = submission(TeacherDo, {{GoalQuestion, LessonBlock, 5}});
    QCOMPARE(m_handler->handle(entry, batch).isEmpty(), !stored);
    QCOMPARE(m_store->answers().size(), stored ? 1 : 0);
    m_store->setQuestions(schoolQuestions());
    m_handler->handle(entry, emptyMessageBytes());
    QCOMPARE(m_handler->handle(entry, batch).isEmpty(), false);
}

void tst_RequestHandler::shortBatchDropped()
{
    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    const QByteArray reply =
        m_handler->handle(entry, packMessage(Message::single(AnswerBatchSection, QByteArray(9, '\0'))).value());
    QVERIFY(m_store->answers().isEmpty());
    QCOMPARE(written.count(), 0);
    QCOMPARE(reply, QByteArray());
}

void tst_RequestHandler::countBeyondSectionReadsWholeItems()
{
    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    const QByteArray payload = QByteArray::fromHex("01000000" "ffffffff" "0300"        // subject 1, 3 items
                                                   "64000000" "0a000000" "02000000"    // one whole item
                                                   "6400000000");                      // and 5 stray bytes
    m_handler->handle(entry, packMessage(Message::single(AnswerBatchSection, payload)).value());
    QCOMPARE(m_store->answers().size(), 1);
    QCOMPARE(m_store->answers().first().value, qint16(2));
}

void tst_RequestHandler::emptyBatchRewritesFile()
{
    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    m_handler->handle(entry, submission(TeacherDo, {}));
    QVERIFY(m_store->answers().isEmpty());
    QCOMPARE(written.count(), 1);
    QCOMPARE(fileBytes(m_store->answersPath()), QByteArray::fromHex("0000"));
}

void tst_RequestHandler::refreshWritesNothing()
{
    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    const QByteArray reply = m_handler->handle(entry, emptyMessageBytes());
    QCOMPARE(written.count(), 0);
    QVERIFY(!QFileInfo::exists(m_store->answersPath()));
    QCOMPARE(sectionTypes(reply), (QVector<qint32>{BlockListSection, AnswerListSection, TeacherProgressSection}));
    QCOMPARE(entry.state, qint32(ClientEntry::LoggedIn));
}

void tst_RequestHandler::secondLoginReadAsBatch()
{
    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    // Its first section's bytes are read as a batch: subject, reserved and a
    // count of items that are not there.
    m_handler->handle(entry, loginRequest(QStringLiteral("Иванова"), "p1"));
    QCOMPARE(entry.accountId, qint32(Expert));
    QCOMPARE(entry.roleCode, 2);
    QVERIFY(m_store->answers().isEmpty());

    m_handler->handle(entry, submission(TeacherDo, {{GoalQuestion, LessonBlock, 1}}, LoginCredentialsSection));
    QCOMPARE(m_store->answers().size(), 1);
}

void tst_RequestHandler::deletedAccountGetsEmptyReply_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("reply");
    // A batch gets none: its answers are not kept.
    QTest::newRow("batch") << submission(TeacherDo, {{GoalQuestion, LessonBlock, 1}}) << QByteArray();
    QTest::newRow("refresh") << emptyMessageBytes() << EmptyDataReply;
}

void tst_RequestHandler::deletedAccountGetsEmptyReply()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, reply);

    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    QVERIFY(m_store->removeAccount(ExpertKind, 0));
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    QCOMPARE(m_handler->handle(entry, message), reply);
    QVERIFY(m_store->answers().isEmpty());
    QCOMPARE(written.count(), 0);

    // Its id given to an account of another kind does not make the
    // connection that account.
    QVERIFY(m_store->addAccount(ParentKind, makeAccount(Expert, QStringLiteral("Новый"), "n")));
    QCOMPARE(m_handler->handle(entry, message), reply);
    QVERIFY(m_store->answers().isEmpty());
}

void tst_RequestHandler::orphanedEntryGetsEmptyReply_data()
{
    deletedAccountGetsEmptyReply_data();
}

// The connection server marks an entry whose account was deleted; another
// account of the same kind may hold its id by then.
void tst_RequestHandler::orphanedEntryGetsEmptyReply()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, reply);

    ClientEntry entry = loggedIn(QStringLiteral("Смирнов"), "p2");
    entry.orphaned = true;
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    QCOMPARE(m_handler->handle(entry, message), reply);
    QVERIFY(m_store->answers().isEmpty());
    QCOMPARE(written.count(), 0);
    QVERIFY(!QFileInfo::exists(m_store->answersPath()));
}

void tst_RequestHandler::unstoredBatchGetsNoReply_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("blocked"); // a folder stands where the answers file belongs

    QTest::newRow("store full") << int(DataStore::MaxListCount) << false;
    QTest::newRow("answers file cannot be written") << 1 << true;
}

// A DataReply tells the client its answers are kept; answers that a
// restart would lose get none, and leave the store and its file as they
// were.
void tst_RequestHandler::unstoredBatchGetsNoReply()
{
    QFETCH(int, stored);
    QFETCH(bool, blocked);

    QVERIFY(m_store->appendAnswers(
        AnswerStore(stored, makeAnswer(GoalQuestion, LessonBlock, Parent, TeacherDo, QDate(2024, 9, 2)))));
    const AnswerStore before = m_store->answers();
    const QByteArray file = fileBytes(m_store->answersPath());
    if (blocked)
        QVERIFY(QFile::remove(m_store->answersPath()) && QDir().mkpath(m_store->answersPath()));
    ClientEntry entry = loggedIn(QStringLiteral("Петров"), "p4");
    QSignalSpy warnings(m_store.data(), &DataStore::warning);
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);

    QCOMPARE(m_handler->handle(entry, submission(-1, {{PlanQuestion, ClassBlock, 1}})), QByteArray());

    QCOMPARE(m_store->answers(), before);
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(written.count(), 0);
    if (blocked) {
        QVERIFY(QFileInfo(m_store->answersPath()).isDir());
        QVERIFY(QDir(m_store->answersPath()).removeRecursively());
    } else {
        QCOMPARE(fileBytes(m_store->answersPath()), file);
    }
    // The connection goes on: a refresh is answered as before.
    QCOMPARE(sectionTypes(m_handler->handle(entry, emptyMessageBytes())),
             (QVector<qint32>{BlockListSection, AnswerListSection}));
}

void tst_RequestHandler::replyFollowsIntake()
{
    ClientEntry entry = loggedIn(QStringLiteral("Иванова"), "p1");
    const QByteArray reply = m_handler->handle(entry, submission(-1, {{GoalQuestion, LessonBlock, 5}}));
    // The block just answered is not offered again this season.
    QVERIFY(blocksIn(reply).isEmpty());
    const QVector<Answer> own = answersIn(reply);
    QCOMPARE(own.size(), 1);
    QCOMPARE(own.first().questionText, QStringLiteral("Цель занятия ясна"));
    QCOMPARE(own.first().subjectName, QStringLiteral("Иванова"));
    QCOMPARE(own.first().value, qint16(5));
    // Nor is it taken again.
    QCOMPARE(m_handler->handle(entry, submission(-1, {{GoalQuestion, LessonBlock, 4}})), QByteArray());
}

// A teacher's block counts as answered while its batch is being committed.
void tst_RequestHandler::repeatRefusedWhileCommitting()
{
    ClientEntry first = loggedIn(QStringLiteral("Иванова"), "p1");
    ClientEntry second = loggedIn(QStringLiteral("Иванова"), "p1");
    const QByteArray batch = submission(-1, {{GoalQuestion, LessonBlock, 5}});
    QVERIFY(m_handler->take(first, batch).isEmpty());
    QVERIFY(m_handler->take(second, batch).isEmpty());
    QCOMPARE(second.committing, quint64(0));
    QVERIFY(m_store->finishIntake(first.committing));
    QCOMPARE(m_store->answers().size(), 1);
}

enum class StoreChange { AnswersAppended, AnswerRemoved, AccountRenamed, QuestionRenamed, SubjectDeleted };
Q_DECLARE_METATYPE(StoreChange)
// What the server does right after the change, before the next answers.
enum class Then { Nothing, ExpertRefreshes, ReplyPrepared };
Q_DECLARE_METATYPE(Then)

void tst_RequestHandler::keptEncodingsFollowChanges_data()
{
    QTest::addColumn<StoreChange>("change");
    QTest::addColumn<Then>("then");
    const QVector<QPair<const char *, StoreChange>> changes{
        {"answers appended", StoreChange::AnswersAppended}, {"answer removed", StoreChange::AnswerRemoved},
        {"account renamed", StoreChange::AccountRenamed},   {"question renamed", StoreChange::QuestionRenamed},
        {"subject deleted", StoreChange::SubjectDeleted}};
    for (const auto &change : changes) {
        QTest::addRow("%s", change.first) << change.second << Then::Nothing;
        QTest::addRow("%s, expert refreshes", change.first) << change.second << Then::ExpertRefreshes;
        QTest::addRow("%s, reply prepared", change.first) << change.second << Then::ReplyPrepared;
    }
}

// The expert's answer list and the answers file image are kept between
// writes and replies; after any change they must equal fresh encodings.
void tst_RequestHandler::keptEncodingsFollowChanges()
{
    QFETCH(StoreChange, change);
    QFETCH(Then, then);
    ClientEntry expert = loggedIn(QStringLiteral("Смирнов"), "p2");
    QVERIFY(!m_handler->handle(expert, submission(TeacherDo, {{GoalQuestion, LessonBlock, 3}})).isEmpty());

    switch (change) {
    case StoreChange::AnswersAppended: {
        ClientEntry teacher = loggedIn(QStringLiteral("Петров"), "p4");
        QVERIFY(!m_handler->handle(teacher, submission(-1, {{PlanQuestion, ClassBlock, 1}})).isEmpty());
        break;
    }
    case StoreChange::AnswerRemoved:
        QVERIFY(m_store->removeAnswerAt(0));
        break;
    case StoreChange::AccountRenamed: {
        Account renamed = m_store->accounts().at(TeacherDoKind).first();
        renamed.name = QStringLiteral("Иванова-Петрова");
        QVERIFY(m_store->updateAccount(TeacherDoKind, 0, renamed));
        break;
    }
    case StoreChange::QuestionRenamed: {
        QuestionStore questions = m_store->questions();
        questions[0].blocks[0].questions[0].text = QStringLiteral("Цель занятия понятна");
        QVERIFY(m_store->setQuestions(questions));
        break;
    }
    case StoreChange::SubjectDeleted:
        QVERIFY(m_store->removeAccount(TeacherDoKind, 0));
        break;
    }
    if (then == Then::ExpertRefreshes)
        QVERIFY(!m_handler->handle(expert, emptyMessageBytes()).isEmpty());
    if (then == Then::ReplyPrepared)
        m_handler->prepareExpertReply();
    for (int i = 0; i < 2; ++i)
        QVERIFY(!m_handler->handle(expert, submission(SchoolTeacher, {{PlanQuestion, ClassBlock, i}})).isEmpty());

    QCOMPARE(fileBytes(m_store->answersPath()), encodeAnswerList(m_store->answers()).value());
    ClientEntry same = expert;
    QCOMPARE(m_handler->handle(expert, emptyMessageBytes()),
             RequestHandler(*m_store).handle(same, emptyMessageBytes()));
    // The answer list of the replies to experts is one buffer, not a copy each.
    const ReplyPieces one = m_handler->refresh(expert);
    QCOMPARE(one.size(), 3);
    QCOMPARE(one.at(1).constData(), m_handler->refresh(same).at(1).constData());
}

QTEST_GUILESS_MAIN(tst_RequestHandler)
#include "tst_requesthandler.moc"
