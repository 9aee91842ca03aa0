#include "answerhistoryview.h"
#include "client.h"
#include "connectionserver.h"
#include "datastore.h"
#include "questtestunit.h"
#include "tst_clienthelpers.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

// The real server core on a loopback port and a real client window: what a
// user types in the client reaches the server's store, and what the server
// answers is what the client shows.

namespace {

enum : qint32 {
    ClubsBlock = 10,    // about teachers of additional education
    LessonsBlock = 20,  // about school teachers
    Ivanova = 1,        // "Педагог ДО"
    Smirnov = 2,        // expert
    Parent = 3,         // parent
    Petrov = 4          // "Учитель"
};

} // namespace

class TestClientEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void ratingReachesTheServer_data();
    void ratingReachesTheServer();
    void threeWrongPasswordsEndTheClient();
    void serverProgramRestartedWhileLoggedIn();

private:
    void logIn(Client &client, const QString &login, const QString &password);

    OwnSettingsStore m_settings;
    QTemporaryDir *m_dir = nullptr;
    DataStore *m_store = nullptr;
    ConnectionServer *m_server = nullptr;
};

void TestClientEndToEnd::init()
{
    QVERIFY(m_settings.isValid());
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    // Where a server program with TMPDIR set to `m_dir` keeps its data.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("School")));
    m_store = new DataStore(m_dir->filePath(QStringLiteral("School")));
    m_store->load();

    QuestionStore questions = m_store->questions();
    questions[0].blocks = {makeBlock(ClubsBlock, QStringLiteral("Кружки"), 0,
                                     {makeQuestion(100, QStringLiteral("Занятия интересны?"), 1, 5),
                                      makeQuestion(101, QStringLiteral("Дети занимаются охотно?"), 0, 10)})};
    questions[1].blocks = {makeBlock(LessonsBlock, QStringLiteral("Уроки"), 1,
                                     {makeQuestion(200, QStringLiteral("Объясняет понятно?"), -2, 2)})};
    QVERIFY(m_store->setQuestions(questions));
    QVERIFY(m_store->addAccount(TeacherDoKind, makeAccount(Ivanova, QStringLiteral("Иванова"), "p1", true, 1)));
    QVERIFY(m_store->addAccount(ExpertKind, makeAccount(Smirnov, QStringLiteral("Смирнов"), "p2", true, 2)));
    QVERIFY(m_store->addAccount(ParentKind, makeAccount(Parent, QStringLiteral("Родитель"), "p3", true, 0)));
    QVERIFY(m_store->addAccount(SchoolTeacherKind, makeAccount(Petrov, QStringLiteral("Петров"), "p4", true, 5)));

    m_server = new ConnectionServer(m_store, 0);
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
}

void TestClientEndToEnd::cleanup()
{
    delete m_server;
    delete m_store;
    delete m_dir;
}

void TestClientEndToEnd::logIn(Client &client, const QString &login, const QString &password)
{
    PasswordWindow *window = client.loginWindow();
    QVERIFY(waitUntil([window] { return child<QPushButton>(window, "pb_enter")->isVisible(); }));
    child<QLineEdit>(window, "le_login")->setText(login);
    child<QLineEdit>(window, "le_password")->setText(password);
    QTest::mouseClick(child<QPushButton>(window, "pb_enter"), Qt::LeftButton);
}

void TestClientEndToEnd::ratingReachesTheServer_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("kind");      // the kind of teacher an expert chooses, -1 for others
    QTest::addColumn<QString>("teacher"); // the teacher an expert chooses
    QTest::addColumn<QString>("block");
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("author");
    QTest::addColumn<int>("subject");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("historyAfter");
    QTest::addColumn<bool>("blockStaysOffered");

    QTest::newRow("expert rates a school teacher")
        << "Смирнов" << "p2" << 1 << "Петров" << "Уроки" << QVector<int>{-1} << int(Smirnov) << int(Petrov) << 1
        << 1 << false;
    QTest::newRow("expert rates a teacher of additional education")
        << "Смирнов" << "p2" << 0 << "Иванова" << "Кружки" << QVector<int>{4, 9} << int(Smirnov) << int(Ivanova)
        << 0 << 2 << false;
    QTest::newRow("teacher of additional education rates herself")
        << "Иванова" << "p1" << -1 << "" << "Кружки" << QVector<int>{5, 0} << int(Ivanova) << int(Ivanova) << 0
        << 2 << false;
    QTest::newRow("school teacher rates himself")
        << "Петров" << "p4" << -1 << "" << "Уроки" << QVector<int>{2} << int(Petrov) << int(Petrov) << 1 << 1
        << false;
    QTest::newRow("parent rates nobody")
        << "Родитель" << "p3" << -1 << "" << "Уроки" << QVector<int>{-2} << int(Parent) << -1 << 1 << 0 << true;
}

void TestClientEndToEnd::ratingReachesTheServer()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(int, kind);
    QFETCH(QString, teacher);
    QFETCH(QString, block);
    QFETCH(QVector<int>, values);
    QFETCH(int, author);
    QFETCH(int, subject);
    QFETCH(int, group);
    QFETCH(int, historyAfter);
    QFETCH(bool, blockStaysOffered);

    Client client(QHostAddress::LocalHost, m_server->serverPort());
    client.show();
    logIn(client, login, password);
    QVERIFY(waitUntil([&] { return client.isVisible(); }));
    QVERIFY(!client.loginWindow()->isVisible());
    QCOMPARE(client.windowTitle(), QStringLiteral("Опросник (пользователь: %1)").arg(login));

    auto *teachers = child<QComboBox>(&client, "cb_list_teachere");
    auto *blocks = child<QComboBox>(&client, "cb_list_block");
    QCOMPARE(teachers->isHidden(), kind < 0);
    if (kind >= 0) {
        child<QComboBox>(&client, "cb_type_user")->setCurrentIndex(kind);
        teachers->setCurrentIndex(teachers->findText(teacher));
        QCOMPARE(teachers->currentText(), teacher);
    }
    blocks->setCurrentIndex(blocks->findText(block));
    QCOMPARE(blocks->currentText(), block);

    const QList<QuestTestUnit *> units = child<QWidget>(&client, "w_for_units")->findChildren<QuestTestUnit *>();
    QCOMPARE(units.size(), values.size());
    // The server's reply rebuilds the cards, so their questions are noted now.
    QVector<qint32> questionIds;
    for (int i = 0; i < units.size(); ++i) {
        units.at(i)->findChild<QSpinBox *>(QStringLiteral("sb_type1"))->setValue(values.at(i));
        questionIds.append(units.at(i)->answer().id);
    }

    QString confirmation;
    closeNextMessageBox(&confirmation);
    QTest::mouseClick(child<QPushButton>(&client, "pb_send"), Qt::LeftButton);
    // The thanks come with the server's reply, once the answers are stored.
    QTRY_COMPARE(confirmation, QStringLiteral("Ваши ответы приняты.\nСпасибо!"));

    // What the server stored.
    QVERIFY(waitUntil([&] { return m_store->answers().size() >= values.size(); }));
    QCOMPARE(m_store->answers().size(), values.size());
    const qint32 blockId = block == QStringLiteral("Уроки") ? LessonsBlock : ClubsBlock;
    for (int i = 0; i < values.size(); ++i) {
        const Answer &stored = m_store->answers().at(i);
        QCOMPARE(stored.questionId, questionIds.at(i));
        QCOMPARE(stored.blockId, blockId);
        QCOMPARE(int(stored.value), values.at(i));
        QCOMPARE(stored.authorId, author);
        QCOMPARE(stored.subjectId, subject);
        QCOMPARE(stored.group, group);
        QCOMPARE(stored.date, QDate::currentDate());
    }
    QVERIFY(QFile::exists(m_store->answersPath()));

    // What the client shows after the server's reply.
    auto *history = client.findChild<AnswerHistoryView *>();
    QVERIFY(waitUntil([&] { return history->count() == historyAfter; }));
    for (int i = 0; i < history->count(); ++i) {
        QCOMPARE(history->answerAt(i).authorName, login);
        QCOMPARE(int(history->answerAt(i).value), values.at(i));
    }
    QCOMPARE(comboItems(blocks).contains(block), blockStaysOffered);
    if (kind >= 0)
        QCOMPARE(teachers->currentText(), teacher);
}

void TestClientEndToEnd::threeWrongPasswordsEndTheClient()
{
    Client client(QHostAddress::LocalHost, m_server->serverPort());
    client.show();
    QSignalSpy finished(&client, &Client::sg_finished);
    auto *info = child<QLabel>(client.loginWindow(), "l_information");

    logIn(client, QStringLiteral("Смирнов"), QStringLiteral("wrong"));
    QTRY_COMPARE(info->text(), QStringLiteral("Попыток осталось: 2"));
    logIn(client, QStringLiteral("Смирнов"), QStringLiteral("p2 "));
    QTRY_COMPARE(info->text(), QStringLiteral("Попыток осталось: 1"));
    QVERIFY(finished.isEmpty());
    logIn(client, QStringLiteral("Нет такого"), QStringLiteral("p2"));
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(!client.isVisible());
    QVERIFY(m_store->answers().isEmpty());
}

void TestClientEndToEnd::serverProgramRestartedWhileLoggedIn()
{
    const auto listening = [] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, ServerPort);
        return probe.waitForConnected(200);
    };
    // The program takes the fixed port, which another test may hold a moment.
    QTRY_VERIFY_WITH_TIMEOUT(!listening(), 30000);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), m_dir->path());
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    QProcess server;
    server.setProcessEnvironment(env);
    server.start(QStringLiteral(SERVER_BINARY), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(listening(), 30000);

    Client client(QHostAddress::LocalHost, ServerPort);
    client.show();
    logIn(client, QStringLiteral("Смирнов"), QStringLiteral("p2"));
    QVERIFY(waitUntil([&] { return client.isVisible(); }, 30000));
    auto *status = child<QLabel>(&client, "l_connection");
    server.kill();
    QVERIFY(server.waitForFinished());
    QTRY_VERIFY(status->isVisible());

    // Started again: the client is let in again by itself.
    server.start(QStringLiteral(SERVER_BINARY), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(status->isHidden(), 30000);
    QVERIFY(child<QPushButton>(&client, "pb_send")->isEnabled());
    server.terminate();
    QVERIFY(server.waitForFinished());
}

QTEST_MAIN(TestClientEndToEnd)
#include "tst_clientendtoend.moc"
