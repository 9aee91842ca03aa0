// Opens the two real windows on a school with 65 535 answers and prints how
// long each takes until it is shown and its event loop responds, and how
// much memory that adds:
//   - the server window opening on a store of that size (beside the same
//     school without answers), its history tab, "Обновить", a scroll to the
//     end of the history and the deletion of the last card; then the tab
//     "Итоги сезона": shown, switched to the whole store and back, and the
//     sums over the answers alone;
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
#include "benchstore.h"
#include "benchsupport.h"
#include "client.h"
#include "cliententry.h"
#include "datastore.h"
#include "message.h"
#include "messageassembler.h"
#include "passwordwindow.h"
#include "requesthandler.h"
#include "seasonoverviewmodel.h"
#include "seasonoverviewtab.h"
#include "server.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QScrollBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// ---- The school ----------------------------------------------------------------

QDate seasonStart()
{
    const QDate today = QDate::currentDate();
    return QDate(today.month() >= 9 ? today.year() : today.year() - 1, 9, 1);
}

// A school of 8 blocks of 10 questions, 3 experts, 50 teachers of each kind
// and `count` answers.
School benchSchool(int count)
{
    return makeSchool(SchoolSize(), count);
}

// ---- Reporting -----------------------------------------------------------------

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

// The tab "Итоги сезона" of `server`: shown (the first refresh), switched to
// the whole store and back to the season (each a refresh of the sums over
// every answer), and those sums alone.
bool timeOverview(Server &server, QTabWidget *tabs)
{
    auto *overview = server.findChild<SeasonOverviewTab *>();
    auto *season = overview ? overview->findChild<QComboBox *>(QStringLiteral("cb_overview_season")) : nullptr;
    if (!season)
        return false;
    printLine(QStringLiteral("  show the season overview tab"),
              secondsText(timeResponse(server, [&] { tabs->setCurrentWidget(overview); })));
    printLine(QStringLiteral("  season overview: whole store"),
              secondsText(timeResponse(server, [season] { season->setCurrentIndex(1); })));
    printLine(QStringLiteral("  season overview: current season"),
              secondsText(timeResponse(server, [season] { season->setCurrentIndex(0); })));
    const DataStore &store = server.dataStore();
    QElapsedTimer clock;
    clock.start();
    const OverviewTally sums(store.questions(), store.accounts(), store.answers(), QDate());
    printLine(QStringLiteral("    of which the sums over all answers"), secondsText(clock.nsecsElapsed() / 1e9));
    return overview->model()->rowCount() > 0;
}

int runServer(int count, const Ending &ending)
{
    // The server program's folder, under the temporary folder main() chose.
    const QString folder = temporaryDataFolder();
    {
        DataStore store(folder);
        if (!loadSchool(store, benchSchool(count), seasonStart()))
            return 1;
    }
    warmUp();

    const Span span;
    Server server(folder, 0);
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
    return finish(tabs, ending, timeOverview(server, tabs) && right);
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
    School school = benchSchool(count);
    if (!loadSchool(store, school, seasonStart()))
        return {};
    RequestHandler handler(store);
    ClientEntry expert;
    expert.state = ClientEntry::LoggedIn;
    expert.roleCode = roleCodeForKind(ExpertKind);
    expert.accountId = store.accounts().at(ExpertKind).first().id;

    const QByteArray first = handler.handle(expert, emptyMessageBytes());
    QVector<Answer> batch = school.answers.mid(0, std::min(count, 25));
    for (Answer &answer : batch) {
        answer.date = QDate::currentDate();
        answer.authorId = expert.accountId;
    }
    school.answers.remove(0, batch.size());
    school.answers += batch;
    if (!loadSchool(store, school, seasonStart()))
        return {};
    return {first, handler.handle(expert, emptyMessageBytes())};
}

int runClient(int count, const Ending &ending)
{
    const QVector<QByteArray> replies = expertReplies(count);
    if (replies.size() < 2)
        return 1;
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
