// Opens the two real windows on a school with 65 535 answers and prints how
// long each takes until it is shown and its event loop responds, and how
// much memory that adds:
//   - the server window opening on a store of that size (beside the same
//     school without answers), its history tab, "Обновить", a scroll to the
//     end of the history and the deletion of the last card;
//   - an expert's client window taking in the DataReply of that store from a
//     stand-in server on loopback, its history and chart tabs, then two more
//     replies of the same size: the one that follows "Ответить" (asked for
//     with the expert's "Обновить", so that no message box opens) and a
//     refresh with the history at its end.
// The last card of each history must carry the last answer's number.
// Each case runs in a fresh process so that memory freed by one does not
// hide the next one's.
//
//   bench_windows [--count N]                 all cases
//   bench_windows --case NAME [--count N]     one case (server-empty, server, client)
//   bench_windows --show server|client [--count N] [--tab I]
//                                             keeps the window open on the
//                                             history's end, or on tab I
//                                             (for screenshots)

#include "answerhistoryview.h"
#include "answertestunit.h"
#include "client.h"
#include "cliententry.h"
#include "datastore.h"
#include "message.h"
#include "messageassembler.h"
#include "passwordwindow.h"
#include "requesthandler.h"
#include "server.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int BlocksPerGroup = 4;
constexpr int QuestionsPerBlock = 10;
constexpr int TeachersPerKind = 50;
constexpr int Experts = 3;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// ---- A school of realistic size and wording --------------------------------

struct PersonNames
{
    QStringList surnames;
    QStringList given;
    QStringList patronymics;
};

// Russian full names, "Фамилия Имя Отчество", each different, men and women
// in turn.
QStringList fullNames(int count, QRandomGenerator &random)
{
    static const PersonNames men = {
        {QStringLiteral("Иванов"), QStringLiteral("Смирнов"), QStringLiteral("Кузнецов"), QStringLiteral("Попов"),
         QStringLiteral("Соколов"), QStringLiteral("Лебедев"), QStringLiteral("Козлов"), QStringLiteral("Новиков"),
         QStringLiteral("Морозов"), QStringLiteral("Волков"), QStringLiteral("Зайцев"), QStringLiteral("Павлов")},
        {QStringLiteral("Александр"), QStringLiteral("Дмитрий"), QStringLiteral("Сергей"), QStringLiteral("Андрей"),
         QStringLiteral("Алексей"), QStringLiteral("Михаил"), QStringLiteral("Николай"), QStringLiteral("Евгений")},
        {QStringLiteral("Александрович"), QStringLiteral("Дмитриевич"), QStringLiteral("Сергеевич"),
         QStringLiteral("Андреевич"), QStringLiteral("Викторович"), QStringLiteral("Николаевич")}};
    static const PersonNames women = {
        {QStringLiteral("Иванова"), QStringLiteral("Смирнова"), QStringLiteral("Кузнецова"), QStringLiteral("Попова"),
         QStringLiteral("Соколова"), QStringLiteral("Лебедева"), QStringLiteral("Козлова"), QStringLiteral("Новикова"),
         QStringLiteral("Морозова"), QStringLiteral("Волкова"), QStringLiteral("Зайцева"), QStringLiteral("Павлова")},
        {QStringLiteral("Елена"), QStringLiteral("Ольга"), QStringLiteral("Татьяна"), QStringLiteral("Наталья"),
         QStringLiteral("Ирина"), QStringLiteral("Светлана"), QStringLiteral("Екатерина"), QStringLiteral("Людмила")},
        {QStringLiteral("Александровна"), QStringLiteral("Дмитриевна"), QStringLiteral("Сергеевна"),
         QStringLiteral("Андреевна"), QStringLiteral("Викторовна"), QStringLiteral("Николаевна")}};
    QStringList names;
    while (names.size() < count) {
        const PersonNames &kind = names.size() % 2 == 0 ? women : men;
        const QString name = kind.surnames.at(random.bounded(kind.surnames.size())) + QLatin1Char(' ')
            + kind.given.at(random.bounded(kind.given.size())) + QLatin1Char(' ')
            + kind.patronymics.at(random.bounded(kind.patronymics.size()));
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

// A question of 60 to 200 characters: a subject and an action, then
// circumstances until the wanted length, cut back at a word.
QString questionText(QRandomGenerator &random)
{
    static const QStringList subjects = {
        QStringLiteral("Насколько педагог"), QStringLiteral("Как часто учитель"),
        QStringLiteral("В какой мере преподаватель"), QStringLiteral("Оцените, насколько последовательно педагог"),
        QStringLiteral("Насколько успешно учитель")};
    static const QStringList actions = {
        QStringLiteral("ставит перед обучающимися ясные цели занятия"),
        QStringLiteral("использует современные образовательные технологии"),
        QStringLiteral("организует самостоятельную и групповую работу детей"),
        QStringLiteral("учитывает индивидуальные особенности каждого ученика"),
        QStringLiteral("поддерживает интерес к предмету и мотивацию к учёбе"),
        QStringLiteral("даёт понятную обратную связь по выполненным заданиям"),
        QStringLiteral("привлекает родителей к жизни класса и объединения"),
        QStringLiteral("применяет цифровые ресурсы и электронный журнал")};
    static const QStringList circumstances = {
        QStringLiteral("на уроках и во внеурочной деятельности"),
        QStringLiteral("в течение всего учебного года"),
        QStringLiteral("с учётом требований образовательного стандарта"),
        QStringLiteral("при подготовке обучающихся к конкурсам и олимпиадам"),
        QStringLiteral("и анализирует результаты своей работы вместе с коллегами"),
        QStringLiteral("на открытых занятиях и в повседневной работе")};
    const int wanted = 60 + random.bounded(141);
    QString text = subjects.at(random.bounded(subjects.size())) + QLatin1Char(' ')
        + actions.at(random.bounded(actions.size()));
    while (text.size() < wanted)
        text += QLatin1Char(' ') + circumstances.at(random.bounded(circumstances.size()));
    if (text.size() > 199)
        text.truncate(text.lastIndexOf(QLatin1Char(' '), 199));
    return text + QLatin1Char('?');
}

QuestionStore makeQuestions(QRandomGenerator &random)
{
    static const QStringList blockNames[2] = {
        {QStringLiteral("Организация учебного занятия в объединении"),
         QStringLiteral("Воспитательная деятельность"), QStringLiteral("Работа с родителями"),
         QStringLiteral("Профессиональное развитие педагога")},
        {QStringLiteral("Организация урока"), QStringLiteral("Методическая работа"),
         QStringLiteral("Использование цифровых образовательных ресурсов"),
         QStringLiteral("Результаты обучающихся")}};
    QuestionStore groups(3);
    int questionId = 0;
    for (int g = 0; g < 2; ++g) {
        for (int b = 0; b < BlocksPerGroup; ++b) {
            QuestionBlock block;
            block.id = g * BlocksPerGroup + b;
            block.ordinal = b;
            block.active = true;
            block.group = quint8(g);
            block.name = blockNames[g].at(b);
            for (int q = 0; q < QuestionsPerBlock; ++q) {
                Question question;
                question.id = questionId++;
                question.active = true;
                question.minValue = q % 3 == 0 ? 1 : 0;
                question.maxValue = q % 3 == 0 ? 5 : 10;
                question.text = questionText(random);
                block.questions.append(question);
            }
            groups[g].blocks.append(block);
        }
    }
    return groups;
}

AccountStore makeAccounts(QRandomGenerator &random)
{
    const QStringList names = fullNames(2 * TeachersPerKind + Experts, random);
    AccountStore accounts(AccountKindCount);
    int id = 0;
    const auto add = [&](int kind, const QString &information) {
        Account account;
        account.id = id;
        account.name = names.at(id);
        account.password = QByteArray::number(100000 + random.bounded(900000));
        account.active = true;
        account.information = information;
        accounts[kind].append(account);
        ++id;
    };
    for (int i = 0; i < Experts; ++i)
        add(ExpertKind, QStringLiteral("Заместитель директора по учебно-воспитательной работе"));
    for (int i = 0; i < TeachersPerKind; ++i)
        add(TeacherDoKind, QStringLiteral("Педагог дополнительного образования, стаж %1 лет").arg(2 + i % 30));
    for (int i = 0; i < TeachersPerKind; ++i)
        add(SchoolTeacherKind, QStringLiteral("Учитель, стаж %1 лет, первая категория").arg(2 + i % 30));
    return accounts;
}

// A season's answers in the order they arrive: an expert rates a teacher on
// a whole block at a time, and now and then a teacher rates themself; the
// dates run through the last year up to today.
AnswerStore makeAnswers(const QuestionStore &questions, const AccountStore &accounts, int count,
                        QRandomGenerator &random)
{
    const QVector<Account> &experts = accounts.at(ExpertKind);
    const int sittings = (count + QuestionsPerBlock - 1) / QuestionsPerBlock;
    const QDate today = QDate::currentDate();
    AnswerStore answers;
    answers.reserve(count);
    for (int sitting = 0; answers.size() < count; ++sitting) {
        const int group = random.bounded(2);
        const QVector<Account> &teachers = accounts.at(group == 0 ? TeacherDoKind : SchoolTeacherKind);
        const QuestionBlock &block = questions.at(group).blocks.at(random.bounded(BlocksPerGroup));
        const qint32 subject = teachers.at(random.bounded(teachers.size())).id;
        const qint32 author = random.bounded(4) == 0 ? subject : experts.at(random.bounded(experts.size())).id;
        const QDate date = today.addDays(qint64(sitting) * 365 / sittings - 365);
        for (int q = 0; q < block.questions.size() && answers.size() < count; ++q) {
            const Question &question = block.questions.at(q);
            Answer answer;
            answer.questionId = question.id;
            answer.blockId = block.id;
            answer.group = group;
            answer.date = date;
            answer.minValue = question.minValue;
            answer.maxValue = question.maxValue;
            answer.value = qint16(question.minValue + random.bounded(question.maxValue - question.minValue + 1));
            answer.authorId = author;
            answer.subjectId = subject;
            answers.append(answer);
        }
    }
    return answers;
}

QDate seasonStart()
{
    const QDate today = QDate::currentDate();
    return QDate(today.month() >= 9 ? today.year() : today.year() - 1, 9, 1);
}

// Fills `store` with the school and `count` answers.
void fillSchool(DataStore &store, int count)
{
    QRandomGenerator random(20240901);
    store.questions() = makeQuestions(random);
    store.accounts() = makeAccounts(random);
    store.answers() = makeAnswers(store.questions(), store.accounts(), count, random);
    store.setSeasonStart(seasonStart());
}

// ---- Measuring ---------------------------------------------------------------

double statusMegabytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Gives the heap's free pages back to the system, so that resident memory
// counts what is in use.
void trimHeap()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// The time and the memory added since it was made. The peak counts from
// there too (the kernel's high-water mark is reset). Resident memory keeps
// pages the heap has freed but not returned; what stays after a trim is
// what is in use.
class Span
{
public:
    Span()
    {
        trimHeap();
        QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
        if (clearRefs.open(QIODevice::WriteOnly))
            clearRefs.write("5");
        m_resident = statusMegabytes("VmRSS:");
        m_timer.start();
    }

    double seconds() const { return m_timer.nsecsElapsed() / 1e9; }
    double addedMegabytes() const { return statusMegabytes("VmRSS:") - m_resident; }
    double peakMegabytes() const { return statusMegabytes("VmHWM:") - m_resident; }
    double inUseMegabytes() const
    {
        trimHeap();
        return statusMegabytes("VmRSS:") - m_resident;
    }

private:
    double m_resident;
    QElapsedTimer m_timer;
};

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 3) + QStringLiteral(" s");
}

QString megabytesText(double megabytes)
{
    // No "-0.0" for a change below what is shown.
    if (std::abs(megabytes) < 0.05)
        megabytes = 0;
    return QString::number(megabytes, 'f', 1) + QStringLiteral(" MB");
}

void printLine(const QString &what, const QString &time, const QStringList &memory = {})
{
    QString line = QStringLiteral("%1 %2").arg(what, -46).arg(time, 9);
    for (const QString &figure : memory)
        line += QStringLiteral(" %1").arg(figure, 10);
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    out() << line << Qt::endl;
}

void printSpan(const QString &what, const Span &span, double seconds)
{
    // Read in this order: the trim changes resident memory.
    const double added = span.addedMegabytes();
    const double peak = span.peakMegabytes();
    printLine(what, secondsText(seconds), {megabytesText(added), megabytesText(span.inUseMegabytes()), megabytesText(peak)});
}

// Waits until `ready` holds and `window` is on screen, then until a zero
// timer has come through the event loop behind every pending layout and
// paint event.
void waitUntilResponsive(QWidget &window, const std::function<bool()> &ready = [] { return true; })
{
    while (!ready() || !window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

double timeResponse(QWidget &window, const std::function<void()> &change)
{
    QElapsedTimer timer;
    timer.start();
    change();
    waitUntilResponsive(window);
    return timer.nsecsElapsed() / 1e9;
}

// Loads the platform, style and Cyrillic fonts that any first window would,
// so that the figures are those of the window itself.
void warmUp()
{
    QWidget window;
    AnswerTestUnit card(&window, 1, true);
    Answer answer;
    answer.blockName = QStringLiteral("Методическая работа");
    answer.questionText = QStringLiteral("Насколько педагог использует современные образовательные технологии?");
    answer.authorName = QStringLiteral("Иванова Елена Сергеевна");
    answer.subjectName = QStringLiteral("Смирнов Андрей Николаевич");
    answer.date = QDate::currentDate();
    card.setAnswer(answer, 1);
    window.show();
    waitUntilResponsive(window);
}

QWidget *tabHolding(QTabWidget *tabs, const QWidget *widget)
{
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->isAncestorOf(widget))
            return tabs->widget(i);
    }
    return nullptr;
}

// The height of the part of `widget` that its parents leave in view.
int heightInView(const QWidget *widget)
{
    QRect shown = widget->rect();
    for (const QWidget *w = widget; !w->isWindow() && w->parentWidget(); w = w->parentWidget())
        shown = shown.translated(w->pos()) & w->parentWidget()->rect();
    return shown.height();
}

// Prints the number of the last card of `view` and how much of it is in
// view; true when it is on screen with the last answer's number.
bool reportLastCard(AnswerHistoryView *view)
{
    const QScrollBar *bar = view->verticalScrollBar();
    out() << "  the history is " << (bar->value() >= bar->maximum() ? "at its end" : "NOT at its end") << " ("
          << bar->value() << " of " << bar->maximum() << ")" << Qt::endl;
    const int lastRow = view->count() - 1;
    const int expected = view->numberAt(lastRow);
    const AnswerTestUnit *card = view->cardAt(lastRow);
    if (!card || !card->isVisible()) {
        out() << "  last card: none on screen, expected number " << expected << Qt::endl;
        return false;
    }
    const QGroupBox *box = card->findChild<QGroupBox *>();
    const QString title = box ? box->title() : QString();
    const int hidden = card->height() - heightInView(card);
    out() << "  last card: number " << card->number() << ", title \"" << title << "\", expected " << expected
          << (hidden == 0 ? QStringLiteral(", wholly in view")
                          : QStringLiteral(", %1 of its %2 px out of view").arg(hidden).arg(card->height()))
          << Qt::endl;
    return hidden < card->height() && card->number() == expected && title == QString::number(expected);
}

bool scrollToEnd(QWidget &window, AnswerHistoryView *view)
{
    QScrollBar *bar = view->verticalScrollBar();
    printLine(QStringLiteral("  scroll the history to the end"),
              secondsText(timeResponse(window, [bar] { bar->setValue(bar->maximum()); })));
    return reportLastCard(view);
}

// After the figures: ends with the verdict, or keeps the window open on the
// tab asked for (the history, scrolled to its end, when none is).
struct Ending
{
    bool keepOpen = false;
    int tab = -1;
};

int finish(QTabWidget *tabs, const Ending &ending, bool right)
{
    if (!ending.keepOpen)
        return right ? 0 : 1;
    if (ending.tab >= 0)
        tabs->setCurrentIndex(ending.tab);
    return QApplication::exec();
}

// ---- The server window ---------------------------------------------------------

int runServer(int count, const Ending &ending)
{
    {
        // The window's store reads these files from DataStore's default
        // folder, under the temporary folder main() chose.
        DataStore store;
        store.load();
        fillSchool(store, count);
        if (!store.writeQuestions() || !store.writeAccounts() || !store.writeAnswers() || !store.writeSettings())
            return 1;
    }
    warmUp();

    const Span span;
    Server server(0);
    const double built = span.seconds();
    server.show();
    waitUntilResponsive(server);
    printSpan(QStringLiteral("server window, %1 answers: open").arg(count), span, span.seconds());
    printLine(QStringLiteral("  of which the constructor"), secondsText(built));
    if (server.dataStore().answers().size() != count) {
        out() << "  the window read " << server.dataStore().answers().size() << " answers" << Qt::endl;
        return 1;
    }

    auto *view = server.findChild<AnswerHistoryView *>();
    auto *tabs = server.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *reload = server.findChild<QAbstractButton *>(QStringLiteral("pb_reload_filter"));
    if (!view || !tabs || !reload)
        return 1;
    printLine(QStringLiteral("  show the history tab"),
              secondsText(timeResponse(server, [&] { tabs->setCurrentWidget(tabHolding(tabs, view)); })));
    const Span reloadSpan;
    const double reloaded = timeResponse(server, [reload] { reload->click(); });
    printSpan(QStringLiteral("  \"Обновить\" (history rebuilt)"), reloadSpan, reloaded);
    if (count == 0)
        return finish(tabs, ending, view->count() == 0);
    bool right = scrollToEnd(server, view);

    // Deleting the last answer rewrites the answers file and rebuilds the
    // history; the card before it becomes the last one.
    AnswerTestUnit *last = view->cardAt(count - 1);
    auto *remove = last ? last->findChild<QAbstractButton *>(QStringLiteral("pb_delete")) : nullptr;
    if (!remove)
        return 1;
    const Span removeSpan;
    const double removed = timeResponse(server, [remove] { remove->click(); });
    printSpan(QStringLiteral("  delete the last card"), removeSpan, removed);
    right = reportLastCard(view) && server.dataStore().answers().size() == count - 1 && right;
    return finish(tabs, ending, right);
}

// ---- The client window ---------------------------------------------------------

// A stand-in server on loopback: takes one client and answers each message
// it gets with the next of its replies. A reply is handed to the socket a
// chunk at a time, so that its copy in the socket's buffer stays small and
// the memory figures are the client's.
class ReplyServer : public QObject
{
public:
    explicit ReplyServer(const QVector<QByteArray> &replies)
        : m_replies(replies)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_socket = m_server.nextPendingConnection();
            connect(m_socket, &QTcpSocket::readyRead, this, &ReplyServer::answer);
            connect(m_socket, &QTcpSocket::bytesWritten, this, &ReplyServer::sent);
        });
        m_server.listen(QHostAddress::LocalHost);
        m_clock.start();
    }

    quint16 port() const { return m_server.serverPort(); }
    // Seconds on the clock of since(): when the reply began to leave and
    // when its last byte left.
    double firstByteSent() const { return m_firstByte / 1e9; }
    double lastByteSent() const { return m_lastByte / 1e9; }
    double since() const { return m_clock.nsecsElapsed() / 1e9; }

private:
    static constexpr qint64 Chunk = 256 * 1024;

    void answer()
    {
        m_socket->readAll();
        if (m_replies.isEmpty())
            return;
        m_sending = m_replies.takeFirst();
        m_handed = 0;
        m_sent = 0;
        m_firstByte = m_clock.nsecsElapsed();
        feed();
    }

    void sent(qint64 bytes)
    {
        m_sent += bytes;
        if (m_sent == m_sending.size())
            m_lastByte = m_clock.nsecsElapsed();
        feed();
    }

    void feed()
    {
        while (m_handed < m_sending.size() && m_socket->bytesToWrite() < Chunk) {
            const qint64 size = std::min(Chunk, m_sending.size() - m_handed);
            m_socket->write(m_sending.constData() + m_handed, size);
            m_handed += size;
        }
    }

    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    QVector<QByteArray> m_replies;
    QByteArray m_sending;
    qint64 m_handed = 0;
    qint64 m_sent = 0;
    QElapsedTimer m_clock;
    qint64 m_firstByte = 0;
    qint64 m_lastByte = 0;
};

// The replies an expert gets from a store of `count` answers: after the
// login, then after 25 answers have come in and as many old ones have gone,
// so that the list keeps its size but changes.
QVector<QByteArray> expertReplies(int count)
{
    QTemporaryDir folder;
    DataStore store(folder.path());
    fillSchool(store, count);
    RequestHandler handler(store);
    ClientEntry expert;
    expert.state = ClientEntry::LoggedIn;
    expert.roleCode = roleCodeForKind(ExpertKind);
    expert.accountId = store.accounts().at(ExpertKind).first().id;

    const QByteArray first = handler.handle(expert, emptyMessageBytes());
    AnswerStore &answers = store.answers();
    QVector<Answer> batch = answers.mid(0, std::min(count, 25));
    for (Answer &answer : batch) {
        answer.date = QDate::currentDate();
        answer.authorId = expert.accountId;
    }
    answers.remove(0, batch.size());
    answers += batch;
    return {first, handler.handle(expert, emptyMessageBytes())};
}

int runClient(int count, const Ending &ending)
{
    const QVector<QByteArray> replies = expertReplies(count);
    ReplyServer server({replies.at(0), replies.at(1), replies.at(0)});
    warmUp();

    Client client(QHostAddress::LocalHost, server.port());
    QObject::connect(&client, &Client::sg_finished, [](int code) {
        out() << "the client ended with " << code << Qt::endl;
        std::exit(1);
    });
    client.show();
    // Connected after the window's own handler, so it counts messages the
    // window has finished with.
    int handled = 0;
    QObject::connect(client.findChild<MessageAssembler *>(), &MessageAssembler::messageReady,
                     [&handled] { ++handled; });
    PasswordWindow *login = client.loginWindow();
    auto *enter = login->findChild<QAbstractButton *>(QStringLiteral("pb_enter"));
    waitUntilResponsive(*login, [enter] { return enter->isVisible(); });
    login->findChild<QLineEdit *>(QStringLiteral("le_login"))->setText(QStringLiteral("Иванова Елена Сергеевна"));
    login->findChild<QLineEdit *>(QStringLiteral("le_password"))->setText(QStringLiteral("123456"));

    auto *view = client.findChild<AnswerHistoryView *>();
    auto *tabs = client.findChild<QTabWidget *>(QStringLiteral("tw_main"));
    auto *refresh = client.findChild<QAbstractButton *>(QStringLiteral("pb_update_expert"));
    if (!view || !tabs || !refresh)
        return 1;
    const double megabytes = replies.at(0).size() / 1048576.0;

    // Times the reply that `request` asks for, until the window has taken
    // it in and responds.
    const auto timeReply = [&](const QString &what, const std::function<void()> &request) {
        const int before = handled;
        const Span span;
        request();
        waitUntilResponsive(client, [&] { return handled > before && client.isVisible(); });
        printSpan(what, span, server.since() - server.lastByteSent());
        printLine(QStringLiteral("  from the reply's first byte (%1 MB)").arg(megabytes, 0, 'f', 1),
                  secondsText(server.since() - server.firstByteSent()));
    };

    timeReply(QStringLiteral("client window, %1 answers: login reply").arg(count), [enter] { enter->click(); });
    if (client.receivedData().answers.size() != count) {
        out() << "  the window took in " << client.receivedData().answers.size() << " answers" << Qt::endl;
        return 1;
    }
    // The history and both chart tabs, as the user opens them in turn.
    for (int i = 1; i < tabs->count(); ++i) {
        printLine(QStringLiteral("  show the tab \"%1\"").arg(tabs->tabText(i)),
                  secondsText(timeResponse(client, [tabs, i] { tabs->setCurrentIndex(i); })));
    }
    // Each chart over the whole year of answers, as the user asks for it by
    // moving the begin date back and pressing "Применить".
    for (int i = 1; i < tabs->count(); ++i) {
        QWidget *tab = tabs->widget(i);
        const QString suffix = i == tabs->count() - 1 ? QStringLiteral("_2") : QString();
        auto *begin = tab->findChild<QDateEdit *>(QStringLiteral("de_begin") + suffix);
        auto *apply = tab->findChild<QAbstractButton *>(QStringLiteral("pb_graph_filter") + suffix);
        if (!begin || !apply)
            continue;
        tabs->setCurrentIndex(i);
        begin->setDate(QDate::currentDate().addYears(-1));
        printLine(QStringLiteral("  \"Применить\" on \"%1\", a year").arg(tabs->tabText(i)),
                  secondsText(timeResponse(client, [apply] { apply->click(); })));
    }
    QWidget *historyTab = tabHolding(tabs, view);
    tabs->setCurrentWidget(historyTab);
    bool right = count == 0 || scrollToEnd(client, view);

    // "Ответить" leaves the questionnaire tab in front.
    tabs->setCurrentIndex(0);
    timeReply(QStringLiteral("client: the reply after \"Ответить\""), [refresh] { refresh->click(); });
    tabs->setCurrentWidget(historyTab);
    if (count > 0)
        right = scrollToEnd(client, view) && right;
    timeReply(QStringLiteral("client: refresh, history at its end"), [refresh] { refresh->click(); });
    if (count > 0)
        right = reportLastCard(view) && right;
    return finish(tabs, ending, right);
}

// ---- Running -------------------------------------------------------------------

int runCase(const QString &name, int count, const Ending &ending)
{
    if (name == QLatin1String("server-empty"))
        return runServer(0, ending);
    if (name == QLatin1String("server"))
        return runServer(count, ending);
    if (name == QLatin1String("client"))
        return runClient(count, ending);
    out() << "unknown case " << name << Qt::endl;
    return 2;
}

int runAll(int count)
{
    out() << "Memory: resident memory added, what of it stays in use once the heap has given its free pages\n"
             "back, and the peak; all from the start of the step.\n";
    printLine(QStringLiteral("step"), QStringLiteral("time"),
              {QStringLiteral("added"), QStringLiteral("in use"), QStringLiteral("peak")});
    int failures = 0;
    for (const char *name : {"server-empty", "server", "client"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--case"), QLatin1String(name), QStringLiteral("--count"), QString::number(count)});
        child.waitForFinished(-1);
        if (child.exitCode() != 0 || child.exitStatus() != QProcess::NormalExit) {
            out() << "  FAILED: " << name << Qt::endl;
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

QString argumentAfter(const QStringList &args, const QString &option)
{
    const int at = args.indexOf(option);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    // A fresh temporary folder for the server's data files and the client's
    // settings, chosen before the application reads either location.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("TMPDIR", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    // Dates as the client program shows them.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool countGiven = false;
    const int count = argumentAfter(args, QStringLiteral("--count")).toInt(&countGiven);
    const int answers = countGiven ? std::clamp(count, 0, int(DataStore::MaxListCount)) : DataStore::MaxListCount;
    const QString caseName = argumentAfter(args, QStringLiteral("--case"));
    if (!caseName.isEmpty())
        return runCase(caseName, answers, Ending());
    const QString shown = argumentAfter(args, QStringLiteral("--show"));
    if (!shown.isEmpty()) {
        bool tabGiven = false;
        const int tab = argumentAfter(args, QStringLiteral("--tab")).toInt(&tabGiven);
        return runCase(shown, answers, {true, tabGiven ? tab : -1});
    }
    return runAll(answers);
}
