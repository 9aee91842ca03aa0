#include "answerhistoryview.h"
#include "client.h"
#include "clientprotocol.h"
#include "messageassembler.h"
#include "questtestunit.h"
#include "serverconnection.h"
#include "tst_clienthelpers.h"
#include "tst_clientfakeserver.h"

#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QPointer>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TeacherEntry)

#define RETURN_IF_FAILED()                                                                                    \
    do {                                                                                                       \
        if (QTest::currentTestFailed())                                                                        \
            return;                                                                                            \
    } while (false)

namespace {

const QString Thanks = QStringLiteral("Ваши ответы приняты.\nСпасибо!");
const QString LateThanks = QStringLiteral("Связь с сервером восстановлена.\nВаши ответы приняты.\nСпасибо!");
const QString NotReceived = QStringLiteral("Ваши ответы не сохранены: связь с сервером прерывалась, и сервер их "
                                           "не получил.\nОтветы остались на месте: нажмите «Ответить» ещё раз.");
const QString CannotTell = QStringLiteral("Связь с сервером прерывалась, пока ответы отправлялись, и программа не "
                                          "может узнать, дошли ли они до сервера.\nОтветы остались на месте. Если "
                                          "отправить их ещё раз, сервер может сохранить их дважды.");
const QString NoConnection = QStringLiteral("Ваши ответы пока не сохранены: связи с сервером нет больше минуты.\n"
                                            "Ответы остались на месте. Когда связь восстановится, программа "
                                            "проверит, дошли ли они до сервера, и скажет об этом.");
const QString AnswersMissing = QStringLiteral("Ваши ответы не сохранены: сервер ответил без них.\n"
                                              "Нажмите «Ответить» ещё раз; если это повторится, сообщите "
                                              "администратору.");
const QString SubmissionUnreadable = QStringLiteral("Ваши ответы не сохранены: ответ сервера не удалось "
                                                    "прочитать.\nПроверьте соединение с сервером и нажмите "
                                                    "«Ответить» ещё раз.");
const QString Unreadable = QStringLiteral("Ответ сервера не удалось прочитать.\nПроверьте соединение с сервером.");

// A block list whose count promises a block that is not there.
const QByteArray DamagedReply = QByteArray::fromHex("0100" "00000000" "03000000" "04000000" "0100" "0300");

QStringList tabTitles(const QTabWidget *tabs)
{
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles.append(tabs->tabText(i));
    return titles;
}

// The question widgets shown, in layout order.
QList<QuestTestUnit *> questionUnits(const Client &client)
{
    QList<QuestTestUnit *> units;
    QLayout *layout = child<QWidget>(&client, "w_for_units")->layout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *unit = qobject_cast<QuestTestUnit *>(layout->itemAt(i)->widget()))
            units.append(unit);
    }
    return units;
}

// Closes every message box as soon as it opens and keeps its text.
class MessageBoxes : public QObject
{
public:
    MessageBoxes()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                texts.append(box->text());
                box->done(0);
            }
        });
        m_timer.start();
    }

    QStringList texts;

private:
    QTimer m_timer;
};

// The values chosen in the question cards, in order.
QVector<int> typedValues(const Client &client)
{
    QVector<int> values;
    for (const QuestTestUnit *unit : questionUnits(client))
        values.append(unit->answer().reserved);
    return values;
}

// What a server lists at the end of its answers once it has stored `sent`
// from author 20.
QVector<Answer> storedFrom(const AnswerBatch &sent)
{
    QVector<Answer> stored;
    for (const AnswerItem &item : sent.items)
        stored.append(makeAnswer(item.questionId, item.blockId, 20, sent.subject, QDate::currentDate(),
                                 qint16(item.value)));
    return stored;
}

// The progress of `teachers` once `sent` is stored.
QVector<TeacherEntry> progressAfter(const AnswerBatch &sent, QVector<TeacherEntry> teachers)
{
    for (TeacherEntry &teacher : teachers) {
        if (teacher.id == sent.subject && !sent.items.isEmpty())
            teacher.answeredBlocks.append(sent.items.first().blockId);
    }
    return teachers;
}

// Counts the widgets created inside a container, such as question cards.
class ChildCounter : public QObject
{
public:
    explicit ChildCounter(QWidget *container) { container->installEventFilter(this); }
    int created = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded && static_cast<QChildEvent *>(event)->child()->isWidgetType())
            ++created;
        return false;
    }
};

// A school with blocks for both kinds of teacher.
struct School
{
    Question q1 = makeQuestion(1, QStringLiteral("Занятия начинаются вовремя?"), 1, 5);
    Question q2 = makeQuestion(2, QStringLiteral("Дети охотно ходят на занятия?"), 0, 10);
    Question q3 = makeQuestion(3, QStringLiteral("Учитель объясняет понятно?"), 1, 5);
    Question q4 = makeQuestion(4, QStringLiteral("Домашние задания посильны?"), -2, 2);
    Question q5 = makeQuestion(5, QStringLiteral("Кабинет в порядке?"), 1, 3);
    QuestionBlock clubs = makeBlock(0, QStringLiteral("Кружки"), 0, {q1, q2});
    QuestionBlock events = makeBlock(1, QStringLiteral("Внеклассные мероприятия и праздники"), 0, {q5});
    QuestionBlock lessons = makeBlock(2, QStringLiteral("Уроки"), 1, {q3, q4});
    QuestionBlock classroom = makeBlock(3, QStringLiteral("Кабинет"), 1, {q5});
    QVector<QuestionBlock> allBlocks = {clubs, events, lessons, classroom};
    QVector<TeacherEntry> teachers = {makeTeacher(10, QStringLiteral("Иванова"), 0, {0}),
                                      makeTeacher(11, QStringLiteral("Петров"), 0),
                                      makeTeacher(12, QStringLiteral("Сидорова"), 1)};
    QVector<Answer> answers = {
        makeAnswer(q1, clubs, 4, 20, QStringLiteral("Эксперт"), 10, QStringLiteral("Иванова")),
        makeAnswer(q2, clubs, 7, 20, QStringLiteral("Эксперт"), 10, QStringLiteral("Иванова")),
        makeAnswer(q3, lessons, 5, 12, QStringLiteral("Сидорова"), 12, QStringLiteral("Сидорова"))};
};

// A fake server and a client connected to it, the login window showing.
struct Session
{
    FakeServer server;
    std::unique_ptr<Client> client;

    PasswordWindow *login() const { return client->loginWindow(); }

    void start()
    {
        QVERIFY(server.listen());
        client = std::make_unique<Client>(QHostAddress::LocalHost, server.port());
        client->show();
        QVERIFY(waitUntil([this] { return server.hasClient(); }));
        QVERIFY(waitUntil([this] { return child<QPushButton>(login(), "pb_enter")->isVisible(); }));
    }

    // Types a login, presses "Ввести" and checks the bytes that arrive.
    void sendLogin(const QString &name, const QString &password)
    {
        child<QLineEdit>(login(), "le_login")->setText(name);
        child<QLineEdit>(login(), "le_password")->setText(password);
        QTest::mouseClick(child<QPushButton>(login(), "pb_enter"), Qt::LeftButton);
        const QByteArray expected = *loginRequestBytes(LoginCredentials{name, password.toUtf8()});
        QVERIFY(waitUntil([&] { return server.received().size() >= expected.size(); }));
        QCOMPARE(server.takeReceived(), expected);
    }

    void logIn(const QString &name, const QVector<QuestionBlock> &blocks, const QVector<Answer> &answers,
               const QVector<TeacherEntry> *teachers = nullptr)
    {
        start();
        RETURN_IF_FAILED();
        sendLogin(name, QStringLiteral("secret"));
        RETURN_IF_FAILED();
        server.sendDataReply(blocks, answers, teachers);
        QVERIFY(waitUntil([this] { return client->isVisible(); }));
    }

    void logInExpert(const School &school)
    {
        logIn(QStringLiteral("Эксперт"), school.allBlocks, school.answers, &school.teachers);
    }
};

} // namespace

class TestClient : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void form();
    void windowIconLoads();
    void chartTabControls_data();
    void chartTabControls();
    void onlyLoginWindowAtStart();
    void noServerKeepsWaiting();
    void loginIsSentOnEveryPress();
    void refusalShowsAttemptsLeft();
    void lastRefusalEndsTheProgram();
    void cancellingEndsTheProgram_data();
    void cancellingEndsTheProgram();
    void teacherReply();
    void longBlockNameShownInFull();
    void secondReplyKeepsTitleAndTabs();
    void expertReply();
    void expertChoosesKindAndTeacher();
    void expertSendsAnswers();
    void replyAfterSendingDropsAnsweredBlock();
    void submissionConfirmedByItsReply_data();
    void submissionConfirmedByItsReply();
    void parentSendsNobody();
    void sameBlockNameInBothGroups_data();
    void sameBlockNameInBothGroups();
    void expertWithoutTeacherOfTheKind_data();
    void expertWithoutTeacherOfTheKind();
    void questionCardsBuiltOncePerReply_data();
    void questionCardsBuiltOncePerReply();
    void emptyBlockListDisablesSending();
    void answersAloneRemoveTheOtherTab();
    void bothGroupsKeepBothTabs();
    void reconnection_data();
    void reconnection();
    void refreshSendsEmptyMessage();
    void damagedMessageChangesNothing_data();
    void damagedMessageChangesNothing();
    void replyAboveDefaultSizeLimitIsTaken();
    void messageWithPauseIsStillOneMessage();
    void unknownSectionShowsMainWindow();
    void historyIsRebuiltOnEveryAnswerList();
    void welcomeWindowOncePerZero();
    void noWelcomeWithoutZero_data();
    void noWelcomeWithoutZero();
    void helpButton_data();
    void helpButton();
    void exportResult_data();
    void exportResult();

private:
    OwnSettingsStore m_settings;
};

void TestClient::init()
{
    QVERIFY(m_settings.isValid());
    QSettings(QStringLiteral("School"), QStringLiteral("Client")).clear();
}

void TestClient::form()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    QCOMPARE(c.windowTitle(), QStringLiteral("Опросник"));
    QCOMPARE(c.size(), QSize(626, 436));
    QVERIFY(!c.windowIcon().isNull());
    QVERIFY(c.styleSheet().startsWith(QStringLiteral("QWidget{\ncolor: #3F220C;\nbackground-color: #FFEECC;\n}")));

    auto *tabs = child<QTabWidget>(&c, "tw_main");
    QCOMPARE(tabTitles(tabs), QStringList({QStringLiteral("Оценивание"), QStringLiteral("Результаты"),
                                           QStringLiteral("График педагогов ДО"), QStringLiteral("График учителей")}));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("tab"));
    QCOMPARE(tabs->widget(3)->objectName(), QStringLiteral("tab_4"));

    QCOMPARE(child<QLabel>(&c, "label_17")->text(), QStringLiteral("Тестовая версия"));
    auto *help = child<QPushButton>(&c, "pb_help");
    QCOMPARE(help->text(), QStringLiteral("Помощь"));
    QCOMPARE(help->minimumSize(), QSize(85, 25));
    QCOMPARE(help->maximumSize(), QSize(85, 25));
    QCOMPARE(help->font().pointSize(), 14);
    auto *update = child<QPushButton>(&c, "pb_update_expert");
    QCOMPARE(update->text(), QStringLiteral("Обновить"));
    QCOMPARE(update->font().pointSize(), 14);
    QVERIFY(update->minimumWidth() >= 85);

    QCOMPARE(child<QGroupBox>(&c, "groupBox")->title(), QStringLiteral("Параметры"));
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_type_user")),
             QStringList({QStringLiteral("Педагог ДО"), QStringLiteral("Учитель")}));
    QCOMPARE(child<QLabel>(&c, "label_10")->text(), QStringLiteral("Тип пользователя:"));
    QCOMPARE(child<QLabel>(&c, "label_12")->text(), QStringLiteral("Педагог ДО:"));
    QCOMPARE(child<QLabel>(&c, "label_9")->text(), QStringLiteral("Учитель:"));
    QCOMPARE(child<QLabel>(&c, "label")->text(), QStringLiteral("Блок вопросов:"));
    QCOMPARE(child<QPushButton>(&c, "pb_send")->text(), QStringLiteral("Ответить"));
    QVERIFY(child<QPushButton>(&c, "pb_send")->maximumHeight() <= 22);
    QVERIFY(child<QLabel>(&c, "l_pikto"));
    QVERIFY(child<QWidget>(&c, "w_for_units"));
    QVERIFY(child<QWidget>(&c, "w_for_units_history")->findChild<AnswerHistoryView *>());
}

void TestClient::windowIconLoads()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    // A resource that cannot be read still gives an icon, but one without
    // any size.
    QVERIFY(!s.client->windowIcon().availableSizes().isEmpty());
}

void TestClient::chartTabControls_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("teacherLabel");
    QTest::addColumn<QString>("teacherText");
    QTest::addColumn<QString>("availableLabel");
    QTest::addColumn<QString>("availableText");
    QTest::addColumn<QString>("groupLabel");

    QTest::newRow("teachers of additional education") << "" << "label_3" << "Оцениваемый педагог ДО"
                                                      << "label_5" << "Доступные педагоги ДО" << "label_6";
    QTest::newRow("school teachers") << "_2" << "label_13" << "Оцениваемый учитель" << "label_14"
                                     << "Доступные учителя" << "label_15";
}

void TestClient::chartTabControls()
{
    QFETCH(QString, suffix);
    QFETCH(QString, teacherLabel);
    QFETCH(QString, teacherText);
    QFETCH(QString, availableLabel);
    QFETCH(QString, availableText);
    QFETCH(QString, groupLabel);

    Session s;
    s.start();
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    const auto named = [&](const char *name) {
        QWidget *w = c.findChild<QWidget *>(QLatin1String(name) + suffix);
        if (!w)
            qFatal("no widget %s%s", name, qPrintable(suffix));
        return w;
    };
    const auto text = [](QWidget *w) {
        if (auto *button = qobject_cast<QPushButton *>(w))
            return button->text();
        return qobject_cast<QLabel *>(w)->text();
    };
    QCOMPARE(text(c.findChild<QLabel *>(teacherLabel)), teacherText);
    QCOMPARE(text(c.findChild<QLabel *>(availableLabel)), availableText);
    QCOMPARE(text(c.findChild<QLabel *>(groupLabel)), QStringLiteral("Группа"));
    QCOMPARE(text(named("pb_graph_add")), QStringLiteral("Добавить в группу"));
    QCOMPARE(text(named("pb_graph_del")), QStringLiteral("Удалить из группы"));
    QCOMPARE(text(named("pb_graph_group")), QStringLiteral("Включить режим просмотра группы"));
    QCOMPARE(text(named("pb_graph_filter")), QStringLiteral("Применить"));
    QCOMPARE(text(named("pb_graph_export")), QStringLiteral("Экспорт в *.csv"));
    for (const char *name : {"cb_graph_blocks", "cb_graph_expert", "cb_graph_write", "cb_graph_group"})
        QVERIFY(qobject_cast<QComboBox *>(named(name)));
    for (const char *name : {"w_legend", "w_graph"})
        QCOMPARE(named(name)->layout()->count(), 1);

    // Both date fields start at today.
    QCOMPARE(qobject_cast<QDateEdit *>(named("de_begin"))->date(), QDate::currentDate());
    QCOMPARE(qobject_cast<QDateEdit *>(named("de_end"))->date(), QDate::currentDate());

    // Nobody has logged in: the expert and group controls are hidden.
    for (const char *name : {"cb_graph_expert", "cb_graph_write", "cb_graph_group", "pb_graph_add", "pb_graph_del",
                             "pb_graph_group"})
        QVERIFY2(named(name)->isHidden(), name);
    QVERIFY(c.findChild<QLabel *>(teacherLabel)->isHidden());
}

void TestClient::onlyLoginWindowAtStart()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    QTRY_VERIFY(!s.client->isVisible());
    QVERIFY(s.login()->isVisible());
    QVERIFY(!child<QLabel>(s.login(), "l_information")->isVisible());
}

void TestClient::noServerKeepsWaiting()
{
    // A port that nobody listens on any more.
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    Client client(QHostAddress::LocalHost, port);
    client.show();
    auto *socket = client.findChild<QTcpSocket *>();
    QVERIFY(socket);
    QTRY_COMPARE(socket->state(), QAbstractSocket::UnconnectedState);
    QTRY_VERIFY(!client.isVisible());
    QVERIFY(client.loginWindow()->isVisible());
    QVERIFY(!child<QPushButton>(client.loginWindow(), "pb_enter")->isVisible());
    QCOMPARE(child<QLabel>(client.loginWindow(), "l_information")->text(),
             QStringLiteral("Нет соединения с сервером."));
}

void TestClient::loginIsSentOnEveryPress()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    s.sendLogin(QStringLiteral("Иванова"), QStringLiteral("a1b2"));
    RETURN_IF_FAILED();
    s.sendLogin(QStringLiteral("Иванова"), QStringLiteral("a1b3"));
}

void TestClient::refusalShowsAttemptsLeft()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    s.sendLogin(QStringLiteral("user"), QStringLiteral("wrong"));
    RETURN_IF_FAILED();
    auto *info = child<QLabel>(s.login(), "l_information");
    s.server.sendAttemptsLeft(2);
    QTRY_COMPARE(info->text(), QStringLiteral("Попыток осталось: 2"));
    QVERIFY(info->isVisible());
    QVERIFY(s.login()->isVisible());
    QVERIFY(!s.client->isVisible());
    QCOMPARE(child<QLineEdit>(s.login(), "le_password")->text(), QStringLiteral("wrong"));

    s.sendLogin(QStringLiteral("user"), QStringLiteral("wrong again"));
    RETURN_IF_FAILED();
    s.server.sendAttemptsLeft(1);
    QTRY_COMPARE(info->text(), QStringLiteral("Попыток осталось: 1"));
}

void TestClient::lastRefusalEndsTheProgram()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    QSignalSpy finished(s.client.get(), &Client::sg_finished);
    s.sendLogin(QStringLiteral("user"), QStringLiteral("wrong"));
    RETURN_IF_FAILED();
    s.server.sendAttemptsLeft(0);
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(!s.client->isVisible());
}

void TestClient::cancellingEndsTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Отмена") << "button";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("window frame") << "close";
}

void TestClient::cancellingEndsTheProgram()
{
    QFETCH(QString, how);
    Session s;
    s.start();
    RETURN_IF_FAILED();
    QSignalSpy finished(s.client.get(), &Client::sg_finished);
    if (how == QLatin1String("button"))
        QTest::mouseClick(child<QPushButton>(s.login(), "pb_cansel"), Qt::LeftButton);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(s.login(), Qt::Key_Escape);
    else
        s.login()->close();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(s.server.received().isEmpty());
}

void TestClient::teacherReply()
{
    School school;
    Session s;
    const QVector<QuestionBlock> blocks = {school.clubs, school.events};
    const QVector<Answer> own = {school.answers.at(0), school.answers.at(1)};
    s.logIn(QStringLiteral("Иванова"), blocks, own);
    RETURN_IF_FAILED();
    const Client &c = *s.client;

    QVERIFY(!s.login()->isVisible());
    QCOMPARE(c.windowTitle(), QStringLiteral("Опросник (пользователь: Иванова)"));
    for (const char *hidden : {"cb_type_user", "label_10", "cb_list_teachere", "label_12", "label_9",
                               "pb_update_expert", "cb_graph_expert", "pb_graph_group"})
        QVERIFY2(child<QWidget>(&c, hidden)->isHidden(), hidden);

    // Only blocks about teachers of additional education: the school
    // teachers' chart tab goes.
    QCOMPARE(tabTitles(child<QTabWidget>(&c, "tw_main")),
             QStringList({QStringLiteral("Оценивание"), QStringLiteral("Результаты"),
                          QStringLiteral("График педагогов ДО")}));

    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_block")), QStringList({school.clubs.name, school.events.name}));
    const QList<QuestTestUnit *> units = questionUnits(c);
    QCOMPARE(units.size(), 2);
    QCOMPARE(child<QGroupBox>(units.at(0), "gb_main")->title(), QStringLiteral("1"));
    QCOMPARE(child<QGroupBox>(units.at(1), "gb_main")->title(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>(units.at(1), "l_quest")->text(), school.q2.text);
    QCOMPARE(child<QLabel>(units.at(1), "l_diap")->text(), QStringLiteral("[0-10]"));
    QVERIFY(child<QPushButton>(&c, "pb_send")->isEnabled());

    auto *history = c.findChild<AnswerHistoryView *>();
    QCOMPARE(history->count(), 2);
    QCOMPARE(history->answerAt(1), own.at(1));
    QCOMPARE(history->numberAt(0), 0);
    QVERIFY(!history->isDeletable());

    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_graph_blocks")), QStringList{school.clubs.name});
    QCOMPARE(c.receivedData().blocks, blocks);
    QCOMPARE(c.receivedData().answers, own);
    QVERIFY(c.receivedData().teachers.isEmpty());
}

void TestClient::longBlockNameShownInFull()
{
    School school;
    const QString name25 = QString(25, QChar(0x0431));
    const QString name26 = QString(26, QChar(0x0431));
    Session s;
    s.logIn(QStringLiteral("Иванова"), {makeBlock(0, name25, 0, {school.q1}), makeBlock(1, name26, 0, {school.q2})},
            {});
    RETURN_IF_FAILED();
    auto *full = child<QLabel>(s.client.get(), "l_block_dublicate");
    QVERIFY(full->isHidden());
    QVERIFY(full->text().isEmpty());
    child<QComboBox>(s.client.get(), "cb_list_block")->setCurrentIndex(1);
    QVERIFY(!full->isHidden());
    QCOMPARE(full->text(), name26);
    child<QComboBox>(s.client.get(), "cb_list_block")->setCurrentIndex(0);
    QVERIFY(full->isHidden());
}

void TestClient::secondReplyKeepsTitleAndTabs()
{
    School school;
    Session s;
    s.logIn(QStringLiteral("Сидорова"), {school.lessons}, {});
    RETURN_IF_FAILED();
    auto *tabs = child<QTabWidget>(s.client.get(), "tw_main");
    QCOMPARE(tabTitles(tabs), QStringList({QStringLiteral("Оценивание"), QStringLiteral("Результаты"),
                                           QStringLiteral("График учителей")}));

    QSignalSpy handled(s.client->findChild<MessageAssembler *>(), &MessageAssembler::messageReady);
    s.server.sendDataReply({school.classroom}, {school.answers.at(2)});
    QVERIFY(handled.wait());
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(s.client->windowTitle(), QStringLiteral("Опросник (пользователь: Сидорова)"));
    QCOMPARE(comboItems(child<QComboBox>(s.client.get(), "cb_list_block")), QStringList{school.classroom.name});
}

void TestClient::expertReply()
{
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    const Client &c = *s.client;

    for (const char *shown : {"cb_type_user", "label_10", "cb_list_teachere", "label_12", "pb_update_expert",
                              "label_3", "cb_graph_expert", "pb_graph_group", "pb_graph_group_2", "label_13",
                              "cb_graph_expert_2"})
        QVERIFY2(!child<QWidget>(&c, shown)->isHidden(), shown);
    QVERIFY(child<QLabel>(&c, "label_9")->isHidden());
    QCOMPARE(child<QTabWidget>(&c, "tw_main")->count(), 4);

    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_teachere")),
             QStringList({QStringLiteral("Иванова"), QStringLiteral("Петров")}));
    // Иванова has been rated on "Кружки" already.
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_block")), QStringList{school.events.name});
    QCOMPARE(questionUnits(c).size(), 1);
    QCOMPARE(c.findChild<AnswerHistoryView *>()->count(), 3);
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_graph_blocks")), QStringList{school.clubs.name});
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_graph_blocks_2")), QStringList{school.lessons.name});
}

void TestClient::expertChoosesKindAndTeacher()
{
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    auto *teachers = child<QComboBox>(&c, "cb_list_teachere");
    auto *blocks = child<QComboBox>(&c, "cb_list_block");

    teachers->setCurrentIndex(1);
    QCOMPARE(comboItems(blocks), QStringList({school.clubs.name, school.events.name}));
    QCOMPARE(questionUnits(c).size(), 2);

    child<QComboBox>(&c, "cb_type_user")->setCurrentIndex(1);
    QVERIFY(!child<QLabel>(&c, "label_9")->isHidden());
    QVERIFY(child<QLabel>(&c, "label_12")->isHidden());
    QCOMPARE(comboItems(teachers), QStringList{QStringLiteral("Сидорова")});
    QCOMPARE(comboItems(blocks), QStringList({school.lessons.name, school.classroom.name}));
    const QList<QuestTestUnit *> units = questionUnits(c);
    QCOMPARE(units.size(), 2);
    QCOMPARE(child<QLabel>(units.at(0), "l_quest")->text(), school.q3.text);

    child<QComboBox>(&c, "cb_type_user")->setCurrentIndex(0);
    QVERIFY(child<QLabel>(&c, "label_9")->isHidden());
    QCOMPARE(comboItems(teachers), QStringList({QStringLiteral("Иванова"), QStringLiteral("Петров")}));
}

void TestClient::expertSendsAnswers()
{
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    child<QComboBox>(&c, "cb_type_user")->setCurrentIndex(1);
    child<QComboBox>(&c, "cb_list_block")->setCurrentIndex(0);
    const QList<QuestTestUnit *> units = questionUnits(c);
    QCOMPARE(units.size(), 2);
    child<QSpinBox>(units.at(0), "sb_type1")->setValue(5);
    child<QSpinBox>(units.at(1), "sb_type1")->setValue(-2);

    MessageBoxes boxes;
    auto *send = child<QPushButton>(&c, "pb_send");
    QTest::mouseClick(send, Qt::LeftButton);
    AnswerBatch expected;
    expected.subject = 12;
    expected.items = {AnswerItem{school.q3.id, school.lessons.id, 5}, AnswerItem{school.q4.id, school.lessons.id, -2}};
    QTRY_COMPARE(s.server.received(), *answerSubmissionBytes(expected));

    // Waiting for the reply: nothing can be sent meanwhile.
    QTest::qWait(50);
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(!send->isEnabled());
    QCOMPARE(send->text(), QStringLiteral("Отправка…"));
    QVERIFY(!child<QPushButton>(&c, "pb_update_expert")->isEnabled());
    send->click();
    QTest::qWait(50);
    QCOMPARE(s.server.received(), *answerSubmissionBytes(expected));

    const QVector<TeacherEntry> progress = progressAfter(expected, school.teachers);
    s.server.sendDataReply(school.allBlocks, school.answers + storedFrom(expected), &progress);
    QTRY_COMPARE(boxes.texts, QStringList{Thanks});
    QCOMPARE(send->text(), QStringLiteral("Ответить"));
    QVERIFY(child<QPushButton>(&c, "pb_update_expert")->isEnabled());
    QVERIFY(send->styleSheet().contains(QStringLiteral("rgba(204, 183, 144, 255)")));
}

void TestClient::replyAfterSendingDropsAnsweredBlock()
{
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    child<QComboBox>(&c, "cb_list_teachere")->setCurrentIndex(1);
    child<QComboBox>(&c, "cb_list_block")->setCurrentIndex(1);

    child<QSpinBox>(questionUnits(c).at(0), "sb_type1")->setValue(3);

    // The server answers the submission with fresh data.
    QVector<TeacherEntry> progress = school.teachers;
    progress[1].answeredBlocks = {school.events.id};
    QVector<Answer> answers = school.answers;
    answers.append(makeAnswer(school.q5, school.events, 3, 20, QStringLiteral("Эксперт"), 11, QStringLiteral("Петров")));
    MessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&c, "pb_send"), Qt::LeftButton);
    QTRY_VERIFY(!s.server.received().isEmpty());
    s.server.sendDataReply(school.allBlocks, answers, &progress);
    QTRY_COMPARE(boxes.texts, QStringList{Thanks});

    QCOMPARE(c.findChild<AnswerHistoryView *>()->count(), 4);
    // Петров stays chosen; the block just answered is gone for him only.
    QCOMPARE(child<QComboBox>(&c, "cb_list_teachere")->currentText(), QStringLiteral("Петров"));
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_block")), QStringList{school.clubs.name});
    child<QComboBox>(&c, "cb_list_teachere")->setCurrentIndex(0);
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_block")), QStringList{school.events.name});
}

void TestClient::submissionConfirmedByItsReply_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("a slow reply still arriving") << "expert" << "slow" << QStringList{Thanks};
    QTest::newRow("a block without questions") << "expert, empty block" << "stored" << QStringList{Thanks};
    QTest::newRow("expert: answers missing") << "expert" << "without answers" << QStringList{AnswersMissing};
    QTest::newRow("a pause of seconds inside the reply") << "teacher" << "paused" << QStringList{Thanks};
    // The progress covers the current season only.
    QTest::newRow("expert: block missing from the progress") << "expert" << "without progress" << QStringList{Thanks};
    QTest::newRow("teacher: new answers missing") << "teacher" << "without answers" << QStringList{AnswersMissing};
    QTest::newRow("no reply, not stored") << "teacher" << "none" << QStringList{NotReceived};
    QTest::newRow("connection lost, not stored") << "expert" << "lost" << QStringList{NotReceived};
    QTest::newRow("connection lost, stored") << "teacher" << "lost, stored" << QStringList{LateThanks};
    QTest::newRow("parent: connection lost") << "parent" << "lost" << QStringList{CannotTell};
    QTest::newRow("whole reply, then the connection closed") << "expert" << "closed" << QStringList{Thanks};
    QTest::newRow("no connection for long") << "expert" << "gone" << QStringList{NoConnection};
    QTest::newRow("unreadable reply") << "teacher" << "unreadable" << QStringList{SubmissionUnreadable};
}

void TestClient::submissionConfirmedByItsReply()
{
    QFETCH(QString, account);
    QFETCH(QString, reply);
    QFETCH(QStringList, messages);

    School school;
    const QuestionBlock empty = makeBlock(4, QStringLiteral("Без вопросов"), 1, {});
    const bool expert = account.startsWith(QLatin1String("expert"));
    QVector<QuestionBlock> blocks = {school.clubs, school.events};
    QVector<Answer> answers = {school.answers.at(0), school.answers.at(1)};
    QuestionBlock chosen = school.clubs;
    Session s;
    if (expert) {
        blocks = school.allBlocks + QVector<QuestionBlock>{empty};
        answers = school.answers;
        chosen = account == QLatin1String("expert") ? school.lessons : empty;
        s.logIn(QStringLiteral("Эксперт"), blocks, answers, &school.teachers);
        RETURN_IF_FAILED();
        child<QComboBox>(s.client.get(), "cb_type_user")->setCurrentIndex(1);
    } else if (account == QLatin1String("parent")) {
        answers.clear();
        s.logIn(QStringLiteral("Родитель"), blocks, answers);
    } else {
        // A teacher with answers from earlier seasons.
        s.logIn(QStringLiteral("Иванова"), blocks, answers);
    }
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    auto *blockChoice = child<QComboBox>(&c, "cb_list_block");
    blockChoice->setCurrentIndex(blockChoice->findText(chosen.name));
    QCOMPARE(blockChoice->currentText(), chosen.name);
    AnswerBatch sent;
    sent.subject = expert ? 12 : -1;
    for (QuestTestUnit *unit : questionUnits(c)) {
        unit->setValue(unit->answer().maxValue);
        sent.items.append(AnswerItem{unit->answer().id, chosen.id, unit->answer().maxValue});
    }
    const QVector<int> typed = typedValues(c);

    const bool timed = reply == QLatin1String("slow") || reply == QLatin1String("none");
    const int timeout = 1000;
    auto *connection = s.client->findChild<ServerConnection *>();
    connection->setReplyTimeout(timed ? timeout : ReplyTimeoutMs);
    if (reply == QLatin1String("gone"))
        connection->setSettleTimeout(timeout);
    MessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&c, "pb_send"), Qt::LeftButton);
    QTRY_COMPARE(s.server.received(), *answerSubmissionBytes(sent));

    const QVector<TeacherEntry> progress = progressAfter(sent, school.teachers);
    const QVector<Answer> stored = answers + storedFrom(sent);
    const QVector<TeacherEntry> *teachers = expert ? &progress : nullptr;
    // The reply to the login after reconnecting, with the answers or without.
    const auto loginAgain = [&](const QVector<Answer> &shown) {
        const QByteArray login = *loginRequestBytes(s.login()->loginData());
        QVERIFY(waitUntil([&] { return s.server.received().endsWith(login); }, 30000));
        s.server.sendDataReply(blocks, shown, expert ? &school.teachers : nullptr);
    };
    if (reply == QLatin1String("stored")) {
        s.server.sendDataReply(blocks, stored, teachers);
    } else if (reply == QLatin1String("slow")) {
        // Longer than the time-out in all, but never silent for that long.
        Message message;
        message.sections = {Section{0, BlockListSection, *encodeBlockList(blocks)},
                            Section{0, AnswerListSection, *encodeAnswerList(stored)},
                            Section{0, TeacherProgressSection, *encodeTeacherList(progress)}};
        const QByteArray bytes = *packMessage(message);
        const int third = bytes.size() / 3;
        QElapsedTimer elapsed;
        elapsed.start();
        s.server.sendRaw(bytes.left(third));
        QTest::qWait(timeout * 6 / 10);
        s.server.sendRaw(bytes.mid(third, third));
        QTest::qWait(timeout * 6 / 10);
        s.server.sendRaw(bytes.mid(2 * third));
        QVERIFY(elapsed.elapsed() > timeout);
    } else if (reply == QLatin1String("without answers")) {
        s.server.sendDataReply(blocks, answers, expert ? &school.teachers : nullptr);
    } else if (reply == QLatin1String("without progress")) {
        s.server.sendDataReply(blocks, stored, &school.teachers);
    } else if (reply == QLatin1String("paused")) {
        const QByteArray bytes = *packMessage(Message{{Section{0, BlockListSection, *encodeBlockList(blocks)},
                                                       Section{0, AnswerListSection, *encodeAnswerList(stored)}}});
        s.server.sendRaw(bytes.left(bytes.size() / 2));
        QTest::qWait(MessageAssembler::GiveUpMs + 500);
        s.server.sendRaw(bytes.mid(bytes.size() / 2));
    } else if (reply == QLatin1String("none")) {
        loginAgain(answers);
    } else if (reply.startsWith(QLatin1String("lost"))) {
        s.server.dropClient();
        loginAgain(reply.endsWith(QLatin1String("stored")) ? stored : answers);
    } else if (reply == QLatin1String("closed")) {
        s.server.sendDataReply(blocks, stored, teachers);
        s.server.dropClient();
        loginAgain(stored);
    } else if (reply == QLatin1String("gone")) {
        s.server.close();
    } else if (reply == QLatin1String("unreadable")) {
        s.server.sendRaw(DamagedReply);
    }
    QTRY_COMPARE(boxes.texts, messages);

    // Ready to send again (not while unsettled); after a failure with the
    // values as they were.
    auto *send = child<QPushButton>(&c, "pb_send");
    const bool settled = reply != QLatin1String("gone");
    QTRY_COMPARE(send->isEnabled(), settled);
    QCOMPARE(send->text(), settled ? QStringLiteral("Ответить") : QStringLiteral("Отправка…"));
    if (!messages.last().contains(QStringLiteral("приняты"))) {
        QCOMPARE(blockChoice->currentText(), chosen.name);
        QCOMPARE(typedValues(c), typed);
    }
}

void TestClient::parentSendsNobody()
{
    School school;
    Session s;
    s.logIn(QStringLiteral("Родитель"), school.allBlocks, {});
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    // A parent chooses no kind of teacher and is offered every block.
    QVERIFY(child<QComboBox>(&c, "cb_type_user")->isHidden());
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_block")),
             QStringList({school.clubs.name, school.events.name, school.lessons.name, school.classroom.name}));
    child<QComboBox>(&c, "cb_list_block")->setCurrentIndex(3);
    child<QSpinBox>(questionUnits(c).at(0), "sb_type1")->setValue(2);

    MessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&c, "pb_send"), Qt::LeftButton);
    AnswerBatch expected;
    expected.subject = -1;
    expected.items = {AnswerItem{school.q5.id, school.classroom.id, 2}};
    QTRY_COMPARE(s.server.received(), *answerSubmissionBytes(expected));

    // A parent is shown no answers: the reply itself confirms them, and
    // the block stays offered with the values chosen.
    s.server.sendDataReply(school.allBlocks, {});
    QTRY_COMPARE(boxes.texts, QStringList{Thanks});
    QCOMPARE(c.findChild<AnswerHistoryView *>()->count(), 0);
    QCOMPARE(child<QComboBox>(&c, "cb_list_block")->currentIndex(), 3);
    QCOMPARE(typedValues(c), QVector<int>{2});
}

void TestClient::sameBlockNameInBothGroups_data()
{
    QTest::addColumn<bool>("expert");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("firstGroup");
    QTest::addColumn<int>("chosenGroup");

    // "firstGroup" is the group of the block of that name that comes first
    // in the block list.
    QTest::newRow("expert rating a teacher of additional education") << true << 0 << 1 << 0;
    QTest::newRow("expert rating a school teacher") << true << 1 << 0 << 1;
    QTest::newRow("parent choosing the second of the two") << false << 0 << 0 << 1;
    QTest::newRow("parent choosing the first of the two") << false << 0 << 1 << 1;
}

void TestClient::sameBlockNameInBothGroups()
{
    QFETCH(bool, expert);
    QFETCH(int, kind);
    QFETCH(int, firstGroup);
    QFETCH(int, chosenGroup);

    School school;
    const QuestionBlock roomDo = makeBlock(5, school.classroom.name, 0, {school.q1, school.q2});
    const QuestionBlock roomSchool = school.classroom;
    QVector<QuestionBlock> blocks = {school.clubs, school.lessons};
    blocks += firstGroup == 0 ? QVector<QuestionBlock>{roomDo, roomSchool} : QVector<QuestionBlock>{roomSchool, roomDo};
    const QuestionBlock &chosen = chosenGroup == 0 ? roomDo : roomSchool;

    Session s;
    s.logIn(expert ? QStringLiteral("Эксперт") : QStringLiteral("Родитель"), blocks, {},
            expert ? &school.teachers : nullptr);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    auto *blockChoice = child<QComboBox>(&c, "cb_list_block");
    int row = blocks.indexOf(chosen);
    if (expert) {
        child<QComboBox>(&c, "cb_type_user")->setCurrentIndex(kind);
        // An expert is offered the one block of that name of the chosen kind.
        QCOMPARE(comboItems(blockChoice).count(chosen.name), 1);
        row = blockChoice->findText(chosen.name);
    }
    blockChoice->setCurrentIndex(row);
    QCOMPARE(blockChoice->currentText(), chosen.name);

    const QList<QuestTestUnit *> units = questionUnits(c);
    QCOMPARE(units.size(), chosen.questions.size());
    AnswerBatch expected;
    expected.subject = !expert ? -1 : kind == 0 ? 10 : 12;
    for (int i = 0; i < units.size(); ++i) {
        const Question &question = chosen.questions.at(i);
        QCOMPARE(child<QLabel>(units.at(i), "l_quest")->text(), question.text);
        child<QSpinBox>(units.at(i), "sb_type1")->setValue(question.maxValue);
        expected.items.append(AnswerItem{question.id, chosen.id, question.maxValue});
    }

    MessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&c, "pb_send"), Qt::LeftButton);
    QTRY_COMPARE(s.server.received(), *answerSubmissionBytes(expected));
    const QVector<TeacherEntry> progress = progressAfter(expected, school.teachers);
    s.server.sendDataReply(blocks, storedFrom(expected), expert ? &progress : nullptr);
    QTRY_COMPARE(boxes.texts, QStringList{Thanks});
}

void TestClient::expertWithoutTeacherOfTheKind_data()
{
    QTest::addColumn<QVector<TeacherEntry>>("teachers");
    QTest::newRow("only school teachers") << QVector<TeacherEntry>{makeTeacher(12, QStringLiteral("Сидорова"), 1)};
    QTest::newRow("no teacher at all") << QVector<TeacherEntry>();
}

void TestClient::expertWithoutTeacherOfTheKind()
{
    QFETCH(QVector<TeacherEntry>, teachers);
    School school;
    Session s;
    s.logIn(QStringLiteral("Эксперт"), school.allBlocks, {}, &teachers);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    auto *kind = child<QComboBox>(&c, "cb_type_user");
    auto *blocks = child<QComboBox>(&c, "cb_list_block");
    auto *send = child<QPushButton>(&c, "pb_send");
    const auto checkNothingToRate = [&] {
        QCOMPARE(kind->currentText(), QStringLiteral("Педагог ДО"));
        QCOMPARE(child<QComboBox>(&c, "cb_list_teachere")->count(), 0);
        QCOMPARE(blocks->count(), 0);
        QVERIFY(questionUnits(c).isEmpty());
        QVERIFY(!send->isEnabled());
        send->click();
        QTest::qWait(50);
        QVERIFY(s.server.received().isEmpty());
    };
    checkNothingToRate();
    RETURN_IF_FAILED();

    // A school teacher can be rated; back at the other kind there is
    // nobody again.
    kind->setCurrentIndex(1);
    QCOMPARE(comboItems(blocks), teachers.isEmpty() ? QStringList()
                                                    : QStringList({school.lessons.name, school.classroom.name}));
    QCOMPARE(send->isEnabled(), !teachers.isEmpty());
    kind->setCurrentIndex(0);
    checkNothingToRate();
}

void TestClient::questionCardsBuiltOncePerReply_data()
{
    QTest::addColumn<bool>("expert");
    QTest::addColumn<bool>("changeBlock");
    QTest::addColumn<int>("created");
    QTest::addColumn<QVector<int>>("values");
    // A teacher gets the questions of "Кружки", an expert those of the only
    // block still open for Иванова. "1" is typed into the last card before
    // the second reply, "0" after it.
    QTest::newRow("teacher: the same questions keep the cards") << false << false << 2 << QVector<int>{5, 10};
    QTest::newRow("expert: the same questions keep the cards") << true << false << 1 << QVector<int>{1};
    QTest::newRow("teacher: new cards for changed questions only") << false << true << 4 << QVector<int>{1, 10, 0};
}

void TestClient::questionCardsBuiltOncePerReply()
{
    QFETCH(bool, expert);
    QFETCH(bool, changeBlock);
    QFETCH(int, created);
    QFETCH(QVector<int>, values);
    School school;
    Session s;
    s.start();
    RETURN_IF_FAILED();
    s.sendLogin(QStringLiteral("Иванова"), QStringLiteral("secret"));
    RETURN_IF_FAILED();
    const QVector<TeacherEntry> *teachers = expert ? &school.teachers : nullptr;
    ChildCounter counter(child<QWidget>(s.client.get(), "w_for_units"));
    s.server.sendDataReply(school.allBlocks, school.answers, teachers);
    QTRY_VERIFY(s.client->isVisible());
    QCOMPARE(counter.created, questionUnits(*s.client).size());
    for (QuestTestUnit *unit : questionUnits(*s.client))
        unit->setValue(unit->answer().maxValue);
    s.client->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.client.get()));
    auto *typing = child<QSpinBox>(questionUnits(*s.client).last(), "sb_type1");
    typing->setFocus();
    typing->selectAll();
    QTest::keyClicks(typing, QStringLiteral("1"));

    // The next reply; in one row it changes the first question and adds one.
    QVector<QuestionBlock> blocks = school.allBlocks;
    if (changeBlock) {
        blocks[0].questions[0].text = QStringLiteral("Занятия начинаются и заканчиваются вовремя?");
        blocks[0].questions.append(makeQuestion(6, QStringLiteral("Есть ли выставки работ?"), 0, 1));
    }
    QSignalSpy handled(s.client->findChild<MessageAssembler *>(), &MessageAssembler::messageReady);
    s.server.sendDataReply(blocks, school.answers, teachers);
    QVERIFY(handled.wait());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
    QCOMPARE(counter.created, created);
    QCOMPARE(typedValues(*s.client), values);
    QCOMPARE(child<QLabel>(s.client.get(), "l_block_notice")->isHidden(), !changeBlock);
}

void TestClient::emptyBlockListDisablesSending()
{
    Session s;
    s.logIn(QStringLiteral("Иванова"), {}, {});
    RETURN_IF_FAILED();
    auto *send = child<QPushButton>(s.client.get(), "pb_send");
    QCOMPARE(child<QComboBox>(s.client.get(), "cb_list_block")->count(), 0);
    QVERIFY(!send->isEnabled());
    QVERIFY(questionUnits(*s.client).isEmpty());
    QTest::mouseClick(send, Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY(s.server.received().isEmpty());
    QCOMPARE(child<QTabWidget>(s.client.get(), "tw_main")->count(), 4);
}

void TestClient::answersAloneRemoveTheOtherTab()
{
    School school;
    Session s;
    s.logIn(QStringLiteral("Сидорова"), {}, {school.answers.at(2)});
    RETURN_IF_FAILED();
    QCOMPARE(tabTitles(child<QTabWidget>(s.client.get(), "tw_main")),
             QStringList({QStringLiteral("Оценивание"), QStringLiteral("Результаты"), QStringLiteral("График учителей")}));
}

void TestClient::bothGroupsKeepBothTabs()
{
    School school;
    Session s;
    s.logIn(QStringLiteral("Родитель"), school.allBlocks, school.answers);
    RETURN_IF_FAILED();
    QCOMPARE(child<QTabWidget>(s.client.get(), "tw_main")->count(), 4);
}

void TestClient::reconnection_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::newRow("the same login accepted") << true;
    QTest::newRow("the same login refused") << false;
}

void TestClient::reconnection()
{
    QFETCH(bool, accepted);
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    child<QComboBox>(&c, "cb_type_user")->setCurrentIndex(1);
    child<QComboBox>(&c, "cb_list_block")->setCurrentIndex(1);
    questionUnits(c).at(0)->setValue(3);
    child<QTabWidget>(&c, "tw_main")->setCurrentIndex(1);
    auto *status = child<QLabel>(&c, "l_connection");
    auto *send = child<QPushButton>(&c, "pb_send");

    MessageBoxes boxes;
    s.server.dropClient();
    QTRY_VERIFY(status->isVisible());
    QCOMPARE(status->text(), QStringLiteral("Нет связи с сервером. Подключение…"));
    QVERIFY(!send->isEnabled());
    QCOMPARE(child<QPushButton>(&c, "pb_update_expert")->toolTip(),
             QStringLiteral("Нет связи с сервером: ответы сейчас не будут отправлены."));

    // The same login again; its reply is a refresh.
    const QByteArray login = *loginRequestBytes(s.login()->loginData());
    QVERIFY(waitUntil([&] { return s.server.received().endsWith(login); }, 30000));
    if (!accepted) {
        s.server.sendAttemptsLeft(2);
        QTRY_VERIFY(boxes.texts.value(0).startsWith(QStringLiteral("Сервер не принял вход")));
        QCOMPARE(status->text(), QStringLiteral("Сервер не принял вход. Перезапустите программу."));
        // No further attempt by itself, long after the first retry.
        QTest::qWait(2 * ServerConnection::FirstRetryMs + 500);
        QVERIFY(!s.server.received().endsWith(login + login));
        return;
    }
    s.server.sendDataReply(school.allBlocks, school.answers, &school.teachers);
    QTRY_VERIFY(status->isHidden());
    QVERIFY(send->isEnabled());
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(child<QTabWidget>(&c, "tw_main")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(&c, "cb_type_user")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(&c, "cb_list_block")->currentText(), school.classroom.name);
    QCOMPARE(typedValues(c), QVector<int>{3});
}

void TestClient::refreshSendsEmptyMessage()
{
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    const Client &c = *s.client;
    child<QComboBox>(&c, "cb_type_user")->setCurrentIndex(1);

    auto *update = child<QPushButton>(&c, "pb_update_expert");
    auto *send = child<QPushButton>(&c, "pb_send");
    QTest::mouseClick(update, Qt::LeftButton);
    QTRY_COMPARE(s.server.received(), QByteArray(2, '\0'));
    // Nothing is sent before the reply.
    QVERIFY(!update->isEnabled());
    QVERIFY(!send->isEnabled());
    QCOMPARE(send->text(), QStringLiteral("Ответить"));

    QVector<TeacherEntry> progress = school.teachers;
    progress.append(makeTeacher(13, QStringLiteral("Новикова"), 1));
    s.server.sendDataReply(school.allBlocks, {}, &progress);
    QTRY_COMPARE(comboItems(child<QComboBox>(&c, "cb_list_teachere")),
                 QStringList({QStringLiteral("Сидорова"), QStringLiteral("Новикова")}));
    QVERIFY(update->isEnabled());
    QVERIFY(send->isEnabled());
    QCOMPARE(child<QComboBox>(&c, "cb_type_user")->currentIndex(), 1);
    QCOMPARE(comboItems(child<QComboBox>(&c, "cb_list_block")), QStringList({school.lessons.name, school.classroom.name}));
    QCOMPARE(c.findChild<AnswerHistoryView *>()->count(), 0);
    QVERIFY(child<QLabel>(&c, "label_12")->isHidden());
    QVERIFY(!child<QLabel>(&c, "label_9")->isHidden());
}

void TestClient::damagedMessageChangesNothing_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("sizeLimit");

    School school;
    Message large;
    large.sections = {Section{0, BlockListSection, *encodeBlockList(school.allBlocks)}};
    QTest::newRow("block list promising a missing block") << DamagedReply << ReplySizeLimit;
    QTest::newRow("more than the client takes") << *packMessage(large) << qint64(100);
}

void TestClient::damagedMessageChangesNothing()
{
    QFETCH(QByteArray, reply);
    QFETCH(qint64, sizeLimit);
    Session s;
    s.start();
    RETURN_IF_FAILED();
    s.client->findChild<MessageAssembler *>()->setSizeLimit(sizeLimit);
    MessageBoxes boxes;
    s.server.sendRaw(reply);
    QTRY_COMPARE(boxes.texts, QStringList{Unreadable});
    QVERIFY(s.login()->isVisible());
    QTRY_VERIFY(!s.client->isVisible());
    QCOMPARE(s.client->windowTitle(), QStringLiteral("Опросник"));
    QVERIFY(s.client->receivedData().blocks.isEmpty());
}

void TestClient::replyAboveDefaultSizeLimitIsTaken()
{
    // An expert's reply at a full answer store about long questions is
    // larger than a message assembler takes by default.
    const QString text = QStringLiteral("Как часто педагог проводит открытые занятия? ").repeated(1400);
    QVector<QuestionBlock> blocks;
    while (qint64(blocks.size()) * 2 * text.size() <= MessageAssembler::DefaultSizeLimit)
        blocks.append(makeBlock(blocks.size(), QString::number(blocks.size()), 0,
                                {makeQuestion(blocks.size(), text, 1, 5)}));
    Session s;
    s.start();
    RETURN_IF_FAILED();
    s.sendLogin(QStringLiteral("Эксперт"), QStringLiteral("secret"));
    RETURN_IF_FAILED();
    MessageBoxes boxes;
    s.server.sendDataReply(blocks, {});
    QTRY_VERIFY_WITH_TIMEOUT(s.client->isVisible() || !boxes.texts.isEmpty(), 60000);
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(s.client->receivedData().blocks.size(), blocks.size());
}

void TestClient::messageWithPauseIsStillOneMessage()
{
    School school;
    Session s;
    s.start();
    RETURN_IF_FAILED();
    Message reply;
    reply.sections = {Section{0, BlockListSection, *encodeBlockList({school.clubs})},
                      Section{0, AnswerListSection, *encodeAnswerList(school.answers)}};
    const QByteArray bytes = *packMessage(reply);
    s.server.sendRaw(bytes.left(40));
    // Longer than the quiet period: the client must keep collecting.
    QTest::qWait(3 * MessageAssembler::QuietPeriodMs);
    QVERIFY(!s.client->isVisible() || s.client->receivedData().blocks.isEmpty());
    s.server.sendRaw(bytes.mid(40));
    QTRY_VERIFY(s.client->isVisible());
    QCOMPARE(s.client->receivedData().blocks, QVector<QuestionBlock>{school.clubs});
    QCOMPARE(s.client->receivedData().answers, school.answers);
}

void TestClient::unknownSectionShowsMainWindow()
{
    Session s;
    s.start();
    RETURN_IF_FAILED();
    QTRY_VERIFY(!s.client->isVisible());
    s.server.send(Message::single(42, QByteArray("??")));
    QTRY_VERIFY(s.client->isVisible());
    QVERIFY(!s.login()->isVisible());
}

void TestClient::historyIsRebuiltOnEveryAnswerList()
{
    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    auto *history = s.client->findChild<AnswerHistoryView *>();
    QCOMPARE(history->count(), 3);

    s.server.sendDataReply(school.allBlocks, {school.answers.at(2)}, &school.teachers);
    QTRY_COMPARE(history->count(), 1);
    QCOMPARE(history->answerAt(0), school.answers.at(2));
    // Charts offer what the answers of the latest reply are about.
    QCOMPARE(child<QComboBox>(s.client.get(), "cb_graph_blocks")->count(), 0);
}

void TestClient::welcomeWindowOncePerZero()
{
    QSettings(QStringLiteral("School"), QStringLiteral("Client")).setValue(QStringLiteral("Temp"), QStringLiteral("0"));
    FakeServer server;
    QVERIFY(server.listen());

    QString title;
    QString text;
    bool loginWindowShown = true;
    whenModalOpens([&](QWidget *welcome) {
        title = welcome->windowTitle();
        text = child<QLabel>(welcome, "l_text")->text();
        loginWindowShown = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            loginWindowShown = loginWindowShown || (qobject_cast<PasswordWindow *>(w) && w->isVisible());
        static_cast<QDialog *>(welcome)->done(0);
    });
    {
        Client first(QHostAddress::LocalHost, server.port());
        QCOMPARE(title, QStringLiteral("Приветствие!"));
        QCOMPARE(text, QStringLiteral("Здравствуйте,\nВы вошли в программу в первый раз,\n"
                                      "поэтому предлагаем вам расслабиться и наслаждаться моментом!"));
        QVERIFY(!loginWindowShown);
        QVERIFY(first.loginWindow()->isVisible());
    }
    QCOMPARE(QSettings(QStringLiteral("School"), QStringLiteral("Client")).value(QStringLiteral("Temp")).toString(),
             QStringLiteral("1"));

    title.clear();
    QTimer *watch = whenModalOpens([&](QWidget *modal) {
        title = modal->windowTitle();
        static_cast<QDialog *>(modal)->done(0);
    });
    Client second(QHostAddress::LocalHost, server.port());
    QVERIFY(title.isEmpty());
    delete watch;
}

void TestClient::noWelcomeWithoutZero_data()
{
    QTest::addColumn<QVariant>("temp");
    QTest::newRow("missing") << QVariant();
    QTest::newRow("one") << QVariant(QStringLiteral("1"));
    QTest::newRow("empty") << QVariant(QString());
    QTest::newRow("other text") << QVariant(QStringLiteral("00"));
}

void TestClient::noWelcomeWithoutZero()
{
    QFETCH(QVariant, temp);
    if (temp.isValid())
        QSettings(QStringLiteral("School"), QStringLiteral("Client")).setValue(QStringLiteral("Temp"), temp);
    FakeServer server;
    QVERIFY(server.listen());
    QString title;
    QTimer *watch = whenModalOpens([&](QWidget *modal) {
        title = modal->windowTitle();
        static_cast<QDialog *>(modal)->done(0);
    });
    Client client(QHostAddress::LocalHost, server.port());
    QVERIFY(title.isEmpty());
    QVERIFY(client.loginWindow()->isVisible());
    delete watch;
    QCOMPARE(QSettings(QStringLiteral("School"), QStringLiteral("Client")).value(QStringLiteral("Temp")), temp);
}

// Stands in for the desktop's document viewer.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

void TestClient::helpButton_data()
{
    QTest::addColumn<bool>("documentThere");
    QTest::addColumn<int>("opened");
    QTest::addColumn<int>("reported");

    QTest::newRow("the document in the working folder opens at each press") << true << 2 << 0;
    QTest::newRow("a missing document is reported with its path at each press") << false << 0 << 2;
}

void TestClient::helpButton()
{
    QFETCH(bool, documentThere);
    QFETCH(int, opened);
    QFETCH(int, reported);

    Session s;
    s.logIn(QStringLiteral("Иванова"), {}, {});
    RETURN_IF_FAILED();
    const QString document = QDir::current().absoluteFilePath(QStringLiteral("file.pdf"));
    if (documentThere) {
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QStringList messages;
    QTimer closer;
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, [&messages] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            messages.append(box->text());
            box->done(0);
        }
    });
    closer.start();
    UrlRecorder viewer;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
    auto *help = child<QPushButton>(s.client.get(), "pb_help");
    QTest::mouseClick(help, Qt::LeftButton);
    QTest::mouseClick(help, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QFile::remove(document);

    QCOMPARE(viewer.opened, QVector<QUrl>(opened, QUrl::fromLocalFile(document)).toList());
    QCOMPARE(messages.size(), reported);
    for (const QString &message : messages) {
        QVERIFY2(message.startsWith(QStringLiteral("Файл справки не найден:\n"))
                     && message.endsWith(QDir::toNativeSeparators(QStringLiteral("/file.pdf"))),
                 qPrintable(message));
    }
}

void TestClient::exportResult_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("message");

    QTest::newRow("the chosen name gets the extension")
        << "pb_graph_export" << QStringLiteral("итоги") << QByteArray() << QStringLiteral("итоги.csv") << QString();
    QTest::newRow("a file that cannot be written is reported")
        << "pb_graph_export_2" << QStringLiteral("нет такой папки/итоги.csv") << QByteArray() << QString()
        << QStringLiteral("Не удалось записать файл");
    // The question is refused: the file stays as it was.
    QTest::newRow("a file of the name with the extension is replaced only after asking")
        << "pb_graph_export" << QStringLiteral("итоги") << QByteArray("older results") << QString()
        << QStringLiteral("итоги.csv");
}

void TestClient::exportResult()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QByteArray, existing);
    QFETCH(QString, written);
    QFETCH(QString, message);

    School school;
    Session s;
    s.logInExpert(school);
    RETURN_IF_FAILED();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existingPath = dir.filePath(QStringLiteral("итоги.csv"));
    if (!existing.isEmpty()) {
        QFile file(existingPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing);
    }

    QString caption;
    QString shown;
    QPointer<QTimer> messageWatch;
    whenModalOpens([&](QWidget *modal) {
        caption = modal->windowTitle();
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        dialog->selectFile(dir.filePath(name));
        messageWatch = closeNextMessageBox(&shown);
        // As "Сохранить" is pressed; a refused question leaves it open.
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible())
            dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>(s.client.get(), button.toLatin1().constData()), Qt::LeftButton);
    delete messageWatch;
    QCOMPARE(caption, QStringLiteral("Сохраните экспортный файл"));
    QVERIFY2(shown.startsWith(message), qPrintable(shown));
    QCOMPARE(shown.isEmpty(), message.isEmpty());
    if (!existing.isEmpty()) {
        QFile file(existingPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), existing);
    }
    if (written.isEmpty())
        return;
    // The file starts with the header, in Windows-1251.
    QFile file(dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readLine().startsWith(QByteArray("\xed\xee\xec\xe5\xf0 \xe2\xee\xef\xf0\xee\xf1\xe0;")));
}

QTEST_MAIN(TestClient)
#include "tst_client.moc"
