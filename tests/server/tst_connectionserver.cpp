#include "connectionserver.h"
#include "datastore.h"
#include "encoding.h"
#include "loginlimiter.h"
#include "message.h"
#include "messageassembler.h"
#include "tst_corefixtures.h"

#include <QTcpSocket>
#include <QtTest>

#include <memory>

using namespace fixtures;

namespace {

const QVector<qint32> ExpertReply{BlockListSection, AnswerListSection, TeacherProgressSection};
const QVector<qint32> OtherReply{BlockListSection, AnswerListSection};

// A client on a loopback socket that collects what the server sends.
class TestClient
{
public:
    // Connects from `from` when it is given and can be bound.
    explicit TestClient(quint16 port, const QHostAddress &from = QHostAddress())
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_received += m_socket.readAll(); });
        if (!from.isNull())
            m_bound = m_socket.bind(from);
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }

    bool isBound() const { return m_bound; }

    QTcpSocket &socket() { return m_socket; }
    const QByteArray &received() const { return m_received; }

    void send(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // Takes one whole message from the server if one has arrived.
    std::optional<Message> takeReply()
    {
        const UnpackResult result = unpackMessage(m_received);
        if (result.status != UnpackResult::Complete)
            return std::nullopt;
        m_received.clear();
        return result.message;
    }

    // Waits for one whole message from the server and takes it.
    std::optional<Message> reply(int timeoutMs = 5000)
    {
        QSignalSpy arrived(&m_socket, &QTcpSocket::readyRead);
        const QDeadlineTimer deadline(timeoutMs);
        while (unpackMessage(m_received).status != UnpackResult::Complete) {
            const qint64 left = deadline.remainingTime();
            if (left <= 0 || !arrived.wait(int(left)))
                return std::nullopt;
        }
        return takeReply();
    }

    // True when nothing arrives for `ms` milliseconds.
    bool staysSilent(int ms = 300)
    {
        QSignalSpy spy(&m_socket, &QTcpSocket::readyRead);
        return !spy.wait(ms) && m_received.isEmpty();
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
    bool m_bound = false;
};

} // namespace

class tst_ConnectionServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listensOnGivenPort();
    void newConnectionWaitsForClient();
    void loginCountdownThenSilence();
    void repliesByKind_data();
    void repliesByKind();
    void expertSession();
    void selfRatingOverTheWire();
    void messageAcrossChunks_data();
    void messageAcrossChunks();
    void overlappingClients();
    void busyClientsDoNotStarveAnother();
    void disconnectMidMessage();
    void entriesKeepStateWhenEarlierOneLeaves();
    void stalledMessageGivenUp();
    void oversizedMessageDisconnects();
    void manyClients();
    void unreadRepliesNotQueued();
    void clientGoneWhileCommitting();
    void deletedAccountsIdReused_data();
    void deletedAccountsIdReused();
    void blockedAddressRefused();

private:
    std::unique_ptr<TestClient> connectedClient();
    std::vector<std::unique_ptr<TestClient>> connectedClients(int count);
    std::unique_ptr<TestClient> loggedInClient(const QString &login, const QByteArray &password);

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<DataStore> m_store;
    QScopedPointer<ConnectionServer> m_server;
};

void tst_ConnectionServer::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_store.reset(new DataStore(m_dir->path()));
    QVERIFY(loadSchool(*m_store));
    m_server.reset(new ConnectionServer(m_store.data(), 0));
    QVERIFY(m_server->listen());
}

void tst_ConnectionServer::cleanup()
{
    m_server.reset();
    m_store.reset();
}

std::unique_ptr<TestClient> tst_ConnectionServer::connectedClient()
{
    std::vector<std::unique_ptr<TestClient>> clients = connectedClients(1);
    return clients.empty() ? nullptr : std::move(clients.front());
}

// Connects `count` clients at once; empty unless the server took them all.
std::vector<std::unique_ptr<TestClient>> tst_ConnectionServer::connectedClients(int count)
{
    const int before = m_server->clients().size();
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < count; ++i)
        clients.push_back(std::make_unique<TestClient>(m_server->serverPort()));
    const auto allConnected = [&] {
        for (const std::unique_ptr<TestClient> &client : clients) {
            if (client->socket().state() != QAbstractSocket::ConnectedState)
                return false;
        }
        return m_server->clients().size() == before + count;
    };
    if (!QTest::qWaitFor(allConnected, 5000))
        clients.clear();
    return clients;
}

std::unique_ptr<TestClient> tst_ConnectionServer::loggedInClient(const QString &login, const QByteArray &password)
{
    std::unique_ptr<TestClient> client = connectedClient();
    if (!client)
        return nullptr;
    client->send(loginRequest(login, password));
    if (!client->reply())
        return nullptr;
    return client;
}

void tst_ConnectionServer::listensOnGivenPort()
{
    QVERIFY(m_server->isListening());
    QVERIFY(m_server->serverPort() != 0);

    ConnectionServer second(m_store.data(), m_server->serverPort());
    QVERIFY(!second.listen());
    QVERIFY(!second.isListening());
    QVERIFY(!second.errorString().isEmpty());
}

void tst_ConnectionServer::newConnectionWaitsForClient()
{
    m_server->setLoginTimeout(1500);
    std::unique_ptr<TestClient> client = connectedClient();
    QVERIFY(client);
    QSignalSpy closed(&client->socket(), &QTcpSocket::disconnected);
    const ClientEntry entry = m_server->clients().first();
    QCOMPARE(entry.state, qint32(ClientEntry::AwaitingLogin));
    QCOMPARE(entry.attemptsLeft, 3);
    QCOMPARE(entry.roleCode, 0);
    QCOMPARE(entry.accountId, 0);
    QVERIFY(entry.socket);
    // The client speaks first.
    QVERIFY(client->staysSilent(100));
    // Not logged in in time, it is closed; one that has logged in stays.
    std::unique_ptr<TestClient> loggedIn = loggedInClient(QStringLiteral("Смирнов"), "p2");
    QVERIFY(loggedIn);
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 10000);
    QTRY_COMPARE(m_server->clients().size(), 1);
    loggedIn->send(emptyMessageBytes());
    QVERIFY(loggedIn->reply());
}

void tst_ConnectionServer::loginCountdownThenSilence()
{
    std::unique_ptr<TestClient> client = connectedClient();
    QVERIFY(client);
    const QByteArray wrong = loginRequest(QStringLiteral("Смирнов"), "wrong");
    for (qint32 left : {2, 1, 0}) {
        client->send(wrong);
        const std::optional<Message> reply = client->reply();
        QVERIFY(reply);
        QCOMPARE(*reply, Message::single(AttemptsLeftSection, encodeAttemptsLeft(left)));
    }
    client->send(wrong);
    QVERIFY(client->staysSilent());
    QCOMPARE(m_server->clients().first().attemptsLeft, 0);
    QCOMPARE(m_server->clients().first().state, qint32(ClientEntry::AwaitingLogin));
}

void tst_ConnectionServer::repliesByKind_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QVector<qint32>>("sections");
    QTest::addColumn<QVector<qint32>>("blocks");
    QTest::addColumn<int>("answers");

    // Stored: one self-rating of each teacher and one expert answer.
    QTest::newRow("expert") << QStringLiteral("Смирнов") << QByteArray("p2") << ExpertReply
                            << QVector<qint32>{LessonBlock, ClassBlock} << 3;
    QTest::newRow("teacher of additional education")
        << QStringLiteral("Иванова") << QByteArray("p1") << OtherReply << QVector<qint32>{} << 1;
    QTest::newRow("school teacher") << QStringLiteral("Петров") << QByteArray("p4") << OtherReply
                                    << QVector<qint32>{ClassBlock} << 1;
    QTest::newRow("parent") << QStringLiteral("Родитель") << QByteArray("p3") << OtherReply
                            << QVector<qint32>{LessonBlock, ClassBlock} << 0;
}

void tst_ConnectionServer::repliesByKind()
{
    QFETCH(QString, login);
    QFETCH(QByteArray, password);
    QFETCH(QVector<qint32>, sections);
    QFETCH(QVector<qint32>, blocks);
    QFETCH(int, answers);

    const QDate today = QDate::currentDate();
    QVERIFY(m_store->appendAnswers(
        {makeAnswer(GoalQuestion, LessonBlock, TeacherDo, TeacherDo, today),
         makeAnswer(PlanQuestion, ClassBlock, SchoolTeacher, SchoolTeacher, today.addDays(-400), 0, 1),
         makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, today, 0, 1)}));
    QVERIFY(m_store->setSeasonStart(today.addDays(-30)));

    std::unique_ptr<TestClient> client = connectedClient();
    QVERIFY(client);
    client->send(loginRequest(login, password));
    const std::optional<Message> reply = client->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), sections);
    const QVector<QuestionBlock> sent = decodeBlockList(reply->sections.at(0).data).value();
    QVector<qint32> sentBlocks;
    for (const QuestionBlock &b : sent)
        sentBlocks.append(b.id);
    QCOMPARE(sentBlocks, blocks);
    QCOMPARE(decodeAnswerList(reply->sections.at(1).data).value().size(), answers);
    if (answers == 0)
        QCOMPARE(reply->sections.at(1).data, QByteArray::fromHex("0000"));
    QCOMPARE(m_server->clients().first().state, qint32(ClientEntry::LoggedIn));
}

void tst_ConnectionServer::expertSession()
{
    std::unique_ptr<TestClient> client = loggedInClient(QStringLiteral("Смирнов"), "p2");
    QVERIFY(client);
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    const QByteArray questionsFile = fileBytes(m_store->questionsPath());
    const QByteArray accountsFile = fileBytes(m_store->accountsPath());

    client->send(submission(SchoolTeacher, {{PlanQuestion, ClassBlock, -1}}));
    std::optional<Message> reply = client->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), ExpertReply);

    Answer stored;
    stored.questionId = PlanQuestion;
    stored.blockId = ClassBlock;
    stored.group = 1;
    stored.date = QDate::currentDate();
    stored.value = -1;
    stored.maxValue = 2;
    stored.minValue = -2;
    stored.authorId = Expert;
    stored.subjectId = SchoolTeacher;
    QCOMPARE(written.count(), 1);
    QCOMPARE(fileBytes(m_store->answersPath()), encodeAnswerList({stored}).value());
    // Only the answers file was written.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             QStringList({QStringLiteral("answer_file.bin"), QStringLiteral("questions_file.bin"),
                          QStringLiteral("users_file.bin")}));
    QCOMPARE(fileBytes(m_store->questionsPath()), questionsFile);
    QCOMPARE(fileBytes(m_store->accountsPath()), accountsFile);

    Answer shown = stored;
    shown.questionText = QStringLiteral("План урока");
    shown.blockName = QStringLiteral("Урок");
    shown.authorName = QStringLiteral("Смирнов");
    shown.subjectName = QStringLiteral("Петров");
    QCOMPARE(decodeAnswerList(reply->sections.at(1).data).value(), QVector<Answer>{shown});
    const QVector<TeacherEntry> progress = decodeTeacherList(reply->sections.at(2).data).value();
    QCOMPARE(progress.size(), 2);
    QCOMPARE(progress.at(1).id, qint32(SchoolTeacher));
    QCOMPARE(progress.at(1).answeredBlocks, QVector<qint32>{ClassBlock});

    client->send(emptyMessageBytes());
    reply = client->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), ExpertReply);
    QCOMPARE(decodeAnswerList(reply->sections.at(1).data).value(), QVector<Answer>{shown});
    QCOMPARE(written.count(), 1);
}

void tst_ConnectionServer::selfRatingOverTheWire()
{
    std::unique_ptr<TestClient> client = loggedInClient(QStringLiteral("Петров"), "p4");
    QVERIFY(client);
    client->send(submission(TeacherDo, {{PlanQuestion, ClassBlock, 2}}));
    const std::optional<Message> reply = client->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), OtherReply);
    // The block is answered for this season: no longer offered.
    QCOMPARE(reply->sections.at(0).data, QByteArray::fromHex("0000"));

    const AnswerStore written = decodeAnswerList(fileBytes(m_store->answersPath())).value();
    QCOMPARE(written.size(), 1);
    QCOMPARE(written.first().authorId, qint32(SchoolTeacher));
    QCOMPARE(written.first().subjectId, qint32(SchoolTeacher));
    QCOMPARE(written.first().group, 1);
}

void tst_ConnectionServer::messageAcrossChunks_data()
{
    QTest::addColumn<int>("pauseMs");
    QTest::newRow("chunks inside the quiet period") << 5;
    QTest::newRow("pauses longer than the quiet period") << 2 * MessageAssembler::QuietPeriodMs;
}

void tst_ConnectionServer::messageAcrossChunks()
{
    QFETCH(int, pauseMs);

    std::unique_ptr<TestClient> client = connectedClient();
    QVERIFY(client);
    const QByteArray message = loginRequest(QStringLiteral("Смирнов"), "p2");
    for (int i = 0; i < message.size(); i += 7) {
        client->send(message.mid(i, 7));
        QTest::qWait(pauseMs);
    }
    const std::optional<Message> reply = client->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), ExpertReply);
    // Handled once, as one message.
    QVERIFY(client->staysSilent(100));
    QCOMPARE(m_server->clients().first().attemptsLeft, 3);
}

void tst_ConnectionServer::overlappingClients()
{
    std::unique_ptr<TestClient> first = connectedClient();
    std::unique_ptr<TestClient> second = connectedClient();
    QVERIFY(first && second);

    const QByteArray firstLogin = loginRequest(QStringLiteral("Смирнов"), "p2");
    first->send(firstLogin.left(10));
    QTest::qWait(30);
    // Arrives while the first client's message is being collected: it is
    // served at once, neither held up by the first nor mixed into it.
    second->send(loginRequest(QStringLiteral("Иванова"), "p1"));
    const std::optional<Message> secondReply = second->reply();
    QVERIFY(secondReply);
    QVERIFY(first->staysSilent(50));
    first->send(firstLogin.mid(10));

    const std::optional<Message> firstReply = first->reply();
    QVERIFY(firstReply);
    QCOMPARE(sectionTypes(*firstReply), ExpertReply);
    QCOMPARE(sectionTypes(*secondReply), OtherReply);
    QCOMPARE(m_server->clients().at(0).accountId, qint32(Expert));
    QCOMPARE(m_server->clients().at(1).accountId, qint32(TeacherDo));
}

// Two clients that send again as soon as they are answered must not keep a
// third, whose message waits, from being served.
void tst_ConnectionServer::busyClientsDoNotStarveAnother()
{
    constexpr int Rounds = 3;
    std::unique_ptr<TestClient> first = loggedInClient(QStringLiteral("Смирнов"), "p2");
    std::unique_ptr<TestClient> second = loggedInClient(QStringLiteral("Петров"), "p4");
    std::unique_ptr<TestClient> waiting = connectedClient();
    QVERIFY(first && second && waiting);

    // Each busy client sends a refresh again on each reply, `Rounds` in all.
    int answered[2] = {0, 0};
    TestClient *const busy[2] = {first.get(), second.get()};
    for (int i = 0; i < 2; ++i) {
        TestClient *client = busy[i];
        int *count = &answered[i];
        QObject::connect(&client->socket(), &QTcpSocket::readyRead, &client->socket(), [client, count] {
            if (client->takeReply() && ++*count < Rounds)
                client->send(emptyMessageBytes());
        });
    }
    const QByteArray refresh = emptyMessageBytes();
    first->send(refresh.left(1));
    QVERIFY(QTest::qWaitFor([&] { return m_server->clients().at(0).assembler->isCollecting(); }));
    second->send(refresh);
    waiting->send(loginRequest(QStringLiteral("Родитель"), "p3"));
    first->send(refresh.mid(1));

    const std::optional<Message> reply = waiting->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), OtherReply);
    // Served right after the busy clients' first messages.
    QVERIFY2(answered[0] <= 1 && answered[1] <= 1,
             qPrintable(QStringLiteral("busy clients answered %1 and %2 times before")
                            .arg(answered[0])
                            .arg(answered[1])));
    QTRY_COMPARE(answered[0], Rounds);
    QTRY_COMPARE(answered[1], Rounds);
}

void tst_ConnectionServer::disconnectMidMessage()
{
    std::unique_ptr<TestClient> loggedIn = loggedInClient(QStringLiteral("Петров"), "p4");
    std::unique_ptr<TestClient> leaving = connectedClient();
    std::unique_ptr<TestClient> waiting = connectedClient();
    QVERIFY(loggedIn && leaving && waiting);

    leaving->send(submission(TeacherDo, {{GoalQuestion, LessonBlock, 1}}).left(12));
    QTest::qWait(30);
    waiting->send(loginRequest(QStringLiteral("Родитель"), "p3"));
    leaving->socket().abort();

    const std::optional<Message> reply = waiting->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), OtherReply);
    QTRY_COMPARE(m_server->clients().size(), 2);
    QCOMPARE(m_server->clients().at(0).accountId, qint32(SchoolTeacher));
    QCOMPARE(m_server->clients().at(0).state, qint32(ClientEntry::LoggedIn));
    QCOMPARE(m_server->clients().at(1).accountId, qint32(Parent));
    QVERIFY(m_store->answers().isEmpty());
}

void tst_ConnectionServer::entriesKeepStateWhenEarlierOneLeaves()
{
    std::unique_ptr<TestClient> first = loggedInClient(QStringLiteral("Смирнов"), "p2");
    std::unique_ptr<TestClient> second = connectedClient();
    QVERIFY(first && second);
    second->send(loginRequest(QStringLiteral("Иванова"), "bad"));
    QVERIFY(second->reply());

    first->socket().disconnectFromHost();
    QTRY_COMPARE(m_server->clients().size(), 1);
    const ClientEntry entry = m_server->clients().first();
    QCOMPARE(entry.state, qint32(ClientEntry::AwaitingLogin));
    QCOMPARE(entry.attemptsLeft, 2);

    second->send(loginRequest(QStringLiteral("Иванова"), "p1"));
    const std::optional<Message> reply = second->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), OtherReply);
    QCOMPARE(m_server->clients().first().roleCode, 3);
}

void tst_ConnectionServer::stalledMessageGivenUp()
{
    std::unique_ptr<TestClient> stalled = connectedClient();
    std::unique_ptr<TestClient> other = connectedClient();
    QVERIFY(stalled && other);
    // Sooner than the program's two seconds, so that the test is quick.
    m_server->clients().at(0).assembler->setGiveUpInterval(200);

    stalled->send(loginRequest(QStringLiteral("Смирнов"), "p2").left(5));
    QTest::qWait(30);
    other->send(loginRequest(QStringLiteral("Родитель"), "p3"));
    const std::optional<Message> reply = other->reply(5000);
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), OtherReply);
    QVERIFY(stalled->staysSilent(50));
    QCOMPARE(m_server->clients().size(), 2);
}

void tst_ConnectionServer::oversizedMessageDisconnects()
{
    std::unique_ptr<TestClient> flooding = connectedClient();
    std::unique_ptr<TestClient> other = connectedClient();
    QVERIFY(flooding && other);
    QSignalSpy cut(&flooding->socket(), &QTcpSocket::disconnected);

    const QByteArray huge =
        packMessage(Message::single(AnswerBatchSection, QByteArray(int(ConnectionServer::MaxMessageSize), 'x')))
            .value();
    flooding->send(huge);
    QVERIFY(cut.wait(10000));
    QTRY_COMPARE(m_server->clients().size(), 1);

    other->send(loginRequest(QStringLiteral("Родитель"), "p3"));
    QVERIFY(other->reply());
}

void tst_ConnectionServer::manyClients()
{
    QSignalSpy warnings(m_server.data(), &ConnectionServer::warning);
    // More clients than a signed 8-bit position could address, from as many
    // addresses as they need: one address holds at most 20 that have not
    // logged in.
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 140; ++i) {
        const QHostAddress from(QStringLiteral("127.0.0.%1").arg(1 + i / ConnectionServer::MaxAwaitingPerAddress));
        clients.push_back(std::make_unique<TestClient>(m_server->serverPort(), from));
        if (!clients.back()->isBound())
            QSKIP("This system has no further loopback addresses.");
        // In batches that the listening socket's backlog holds.
        if (i % 35 == 34)
            QTRY_COMPARE_WITH_TIMEOUT(m_server->clients().size(), i + 1, 10000);
    }
    TestClient extra(m_server->serverPort(), QHostAddress(QStringLiteral("127.0.0.1")));
    QSignalSpy closed(&extra.socket(), &QTcpSocket::disconnected);
    QVERIFY(closed.wait(5000));
    QCOMPARE(warnings.count(), 1);
    QVERIFY(warnings.first().first().toString().contains(QLatin1String("127.0.0.1")));

    TestClient &last = *clients.back();
    last.send(loginRequest(QStringLiteral("Смирнов"), "p2"));
    const std::optional<Message> reply = last.reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), ExpertReply);
    QCOMPARE(m_server->clients().last().accountId, qint32(Expert));
    QCOMPARE(m_server->clients().first().accountId, 0);
}

// A client that asks again and again without reading the replies gets one
// reply after the one under way, with the state of its moment, instead of
// a queue of replies that grows without bound.
void tst_ConnectionServer::unreadRepliesNotQueued()
{
    const QDate day = QDate::currentDate().addDays(-1);
    QVERIFY(m_store->appendAnswers(AnswerStore(30000, makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, day))));
    std::unique_ptr<TestClient> client = loggedInClient(QStringLiteral("Смирнов"), "p2");
    QVERIFY(client);
    client->socket().setReadBufferSize(1);
    // The kernel would otherwise take in several replies for the client, on
    // either side of the connection.
    client->socket().setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
    QCOMPARE(m_server->clients().size(), 1);
    m_server->clients().at(0).socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 64 * 1024);
    QObject::disconnect(&client->socket(), &QTcpSocket::readyRead, nullptr, nullptr);
    for (int i = 0; i < 20; ++i) {
        client->send(emptyMessageBytes());
        QTest::qWait(2 * MessageAssembler::QuietPeriodMs);
    }
    QVERIFY(m_store->appendAnswers({makeAnswer(PlanQuestion, ClassBlock, Parent, SchoolTeacher, day, 0, 1)}));
    client->send(emptyMessageBytes());
    QTest::qWait(200);

    client->socket().setReadBufferSize(0);
    QByteArray rest;
    QSignalSpy arrived(&client->socket(), &QTcpSocket::readyRead);
    do
        rest += client->socket().readAll();
    while (arrived.wait(1000));
    QVector<int> answerCounts;
    for (; messageStatus(rest.left(int(knownMessageSize(rest)))) == UnpackResult::Complete;
         rest.remove(0, int(knownMessageSize(rest))))
        answerCounts.append(decodeAnswerList(unpackMessage(rest.left(int(knownMessageSize(rest)))).message.sections.at(1).data)->size());
    QVERIFY(rest.isEmpty());
    QVERIFY2(answerCounts.size() <= 3, qPrintable(QString::number(answerCounts.size())));
    // The last reply shows the state after the last request.
    QCOMPARE(answerCounts.last(), 30001);
}

// A client gone while its batch is committed is owed nothing; its answers
// are kept, and the other batches are answered.
void tst_ConnectionServer::clientGoneWhileCommitting()
{
    std::unique_ptr<TestClient> leaving = loggedInClient(QStringLiteral("Смирнов"), "p2");
    std::unique_ptr<TestClient> staying = loggedInClient(QStringLiteral("Иванова"), "p1");
    QVERIFY(leaving && staying);
    // Closed as soon as the server has taken its batch, before it is written.
    const ClientEntry gone = m_server->clients().at(0);
    QObject::connect(gone.assembler, &MessageAssembler::messageReady, gone.socket, &QTcpSocket::abort);
    leaving->send(submission(TeacherDo, {{GoalQuestion, LessonBlock, 1}}));
    staying->send(submission(-1, {{GoalQuestion, LessonBlock, 5}}));
    QVERIFY(staying->reply());
    QTRY_COMPARE(m_server->clients().size(), 1);
    QTRY_COMPARE(m_store->answers().size(), 2);
    QCOMPARE(decodeAnswerList(fileBytes(m_store->answersPath())).value(), m_store->answers());
    QVERIFY(leaving->received().isEmpty());
}

void tst_ConnectionServer::deletedAccountsIdReused_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("answered");
    QTest::newRow("refresh") << emptyMessageBytes() << true;
    // Its answers are not kept, so no reply may say they were.
    QTest::newRow("batch") << submission(TeacherDo, {{GoalQuestion, LessonBlock, 1}}) << false;
}

// A client still connected with a deleted account must not become the
// account that is given its id next, even one of the same kind.
void tst_ConnectionServer::deletedAccountsIdReused()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, answered);
    const QByteArray emptyReply = QByteArray::fromHex("0200"
                                                      "00000000" "03000000" "02000000" "0000"
                                                      "00000000" "04000000" "02000000" "0000");

    // Id 0, the one a new account takes first; a waiting client's entry
    // holds account id 0 too before it logs in.
    QVERIFY(m_store->addAccount(ExpertKind, makeAccount(0, QStringLiteral("Новиков"), "p0")));
    std::unique_ptr<TestClient> deleted = loggedInClient(QStringLiteral("Новиков"), "p0");
    std::unique_ptr<TestClient> other = loggedInClient(QStringLiteral("Смирнов"), "p2");
    std::unique_ptr<TestClient> waiting = connectedClient();
    QVERIFY(deleted && other && waiting);

    QSignalSpy removed(m_store.data(), &DataStore::accountRemoved);
    QVERIFY(m_store->removeAccount(ExpertKind, 2));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().first().value<qint32>(), 0);
    const qint32 reused = nextFreeAccountId(m_store->accounts());
    QCOMPARE(reused, 0);
    QVERIFY(m_store->addAccount(ExpertKind, makeAccount(reused, QStringLiteral("Орлов"), "p9")));

    QVERIFY(m_server->clients().at(0).orphaned);
    QSignalSpy written(m_store.data(), &DataStore::answersWritten);
    QSignalSpy closed(&deleted->socket(), &QTcpSocket::disconnected);
    deleted->send(message);
    std::optional<Message> reply;
    if (answered) {
        reply = deleted->reply();
        QVERIFY(reply);
        QCOMPARE(packMessage(*reply).value(), emptyReply);
    } else {
        // Its client learns at once that the answers were not kept.
        QVERIFY(closed.wait(5000));
        QVERIFY(deleted->received().isEmpty());
        QTRY_COMPARE(m_server->clients().size(), 2);
    }
    QVERIFY(m_store->answers().isEmpty());
    QCOMPARE(written.count(), 0);
    QVERIFY(!QFileInfo::exists(m_store->answersPath()));

    // Only the deleted account's connection lost its account.
    other->send(message);
    reply = other->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), ExpertReply);
    waiting->send(loginRequest(QStringLiteral("Орлов"), "p9"));
    reply = waiting->reply();
    QVERIFY(reply);
    QCOMPARE(sectionTypes(*reply), ExpertReply);
    const int count = m_server->clients().size();
    QCOMPARE(m_server->clients().last().accountId, reused);
    QVERIFY(!m_server->clients().at(count - 2).orphaned);
    QVERIFY(!m_server->clients().last().orphaned);
}

// A blocked address is refused even the right password, with the usual
// countdown; a connection already logged in from it and another address
// are served as before.
void tst_ConnectionServer::blockedAddressRefused()
{
    std::unique_ptr<TestClient> loggedIn = loggedInClient(QStringLiteral("Смирнов"), "p2");
    QVERIFY(loggedIn);
    for (int i = 0; i < LoginLimiter::MaxFailures; ++i)
        m_server->loginLimiter()->recordFailure(QHostAddress::LocalHost);

    std::unique_ptr<TestClient> blocked = connectedClient();
    QVERIFY(blocked);
    blocked->send(loginRequest(QStringLiteral("Смирнов"), "p2"));
    const std::optional<Message> refusal = blocked->reply();
    QVERIFY(refusal);
    QCOMPARE(*refusal, Message::single(AttemptsLeftSection, encodeAttemptsLeft(2)));

    loggedIn->send(emptyMessageBytes());
    const std::optional<Message> refreshed = loggedIn->reply();
    QVERIFY(refreshed);
    QCOMPARE(sectionTypes(*refreshed), ExpertReply);

    TestClient other(m_server->serverPort(), QHostAddress(QStringLiteral("127.0.0.2")));
    if (!other.isBound())
        QSKIP("This system has no second loopback address.");
    QVERIFY(other.socket().waitForConnected(5000));
    QTRY_COMPARE(m_server->clients().size(), 3);
    other.send(loginRequest(QStringLiteral("Смирнов"), "p2"));
    const std::optional<Message> accepted = other.reply();
    QVERIFY(accepted);
    QCOMPARE(sectionTypes(*accepted), ExpertReply);
}

QTEST_GUILESS_MAIN(tst_ConnectionServer)
#include "tst_connectionserver.moc"
