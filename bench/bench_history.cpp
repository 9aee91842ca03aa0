// Opens a history window on many answers and prints how long it takes until
// the window is shown and its event loop responds, and how much memory that
// adds: the answer history view (server and client numbering) beside one
// real card per answer built at once. Each case runs in a fresh process so
// that memory freed by one does not hide the next one's.
//
//   bench_history                     all cases
//   bench_history --case NAME         one case (view-server, view-client,
//                                     eager-1000, eager-5000)
//   bench_history --show server|client|eager [--end]
//                                     keeps a window open (for screenshots)

#include "answerhistoryview.h"
#include "answertestunit.h"
#include "benchsupport.h"

#include <QApplication>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int MaxAnswers = 65535;

// Answers with their texts, as both windows show them, from a school of 8
// blocks of 10 questions, 3 experts and 100 teachers.
QVector<Answer> makeAnswers(int count)
{
    return answersWithTexts(makeSchool(SchoolSize(), count));
}

// The history tab of a window: a resizable scroll area around the container
// that holds the cards.
struct HistoryWindow
{
    HistoryWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        area = new QScrollArea;
        area->setWidgetResizable(true);
        container = new QWidget;
        container->setObjectName(QStringLiteral("w_for_units_history"));
        new QVBoxLayout(container);
        area->setWidget(container);
        layout->addWidget(area);
        window.resize(900, 700);
    }

    QWidget window;
    QScrollArea *area;
    QWidget *container;
};

// The way both windows once filled their history: every card at once.
void addCards(QWidget *container, const QVector<Answer> &answers)
{
    for (int i = 0; i < answers.size(); ++i) {
        auto *card = new AnswerTestUnit(container, i + 1, true);
        card->setAnswer(answers.at(i), i + 1);
        container->layout()->addWidget(card);
    }
}

void printRow(const QString &what, const QString &count, const QString &time, const QString &memory)
{
    QString line = QStringLiteral("%1 %2 %3 %4").arg(what, -34).arg(count, 6).arg(time, 16).arg(memory, 13);
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    QTextStream(stdout) << line << '\n';
}

void printFigure(const QString &what, int count, double time, double megabytes)
{
    printRow(what, QString::number(count), secondsText(time), megabytesText(megabytes));
}

void printTime(const QString &what, double time)
{
    printRow(QStringLiteral("  ") + what, QString(), secondsText(time), QString());
}

// Times `fill` and the showing of `history` that follows it, and prints that
// with the memory they added.
void timeOpening(const QString &name, int count, HistoryWindow &history, const std::function<void()> &fill)
{
    warmUp();
    const Span span;
    fill();
    history.window.show();
    waitUntilResponsive(history.window);
    printFigure(name, count, span.seconds(), span.addedMegabytes());
}

int runView(const QString &name, int firstNumber, bool deletable)
{
    const QVector<Answer> answers = makeAnswers(MaxAnswers);
    HistoryWindow history;
    AnswerHistoryView view(firstNumber, deletable);
    view.embedInto(history.container);
    timeOpening(name, answers.size(), history, [&] { view.setAnswers(answers); });

    // What every answer list from the server costs an open client window.
    QVector<Answer> next = answers;
    next.removeFirst();
    printTime(QStringLiteral("rebuild with a new list"),
              timeResponse(history.window, [&] { view.setAnswers(next); }));
    QScrollBar *bar = view.verticalScrollBar();
    printTime(QStringLiteral("scroll to the end"),
              timeResponse(history.window, [bar] { bar->setValue(bar->maximum()); }));

    const AnswerTestUnit *last = view.cardAt(next.size() - 1);
    QTextStream(stdout) << "  last card on screen: number "
                        << (last ? QString::number(last->number()) : QStringLiteral("none")) << '\n';
    return last && last->number() == view.numberAt(next.size() - 1) ? 0 : 1;
}

int runEager(int count)
{
    const QVector<Answer> answers = makeAnswers(count);
    HistoryWindow history;
    timeOpening(QStringLiteral("eager: one card per answer"), count, history,
                [&] { addCards(history.container, answers); });
    return 0;
}

int runCase(const QString &name)
{
    if (name == QLatin1String("view-server"))
        return runView(QStringLiteral("view, server (from 1, deletable)"), 1, true);
    if (name == QLatin1String("view-client"))
        return runView(QStringLiteral("view, client (from 0, read-only)"), 0, false);
    if (name == QLatin1String("eager-1000"))
        return runEager(1000);
    if (name == QLatin1String("eager-5000"))
        return runEager(5000);
    QTextStream(stderr) << "unknown case " << name << '\n';
    return 2;
}

int runAll()
{
    printRow(QStringLiteral("case"), QStringLiteral("cards"), QStringLiteral("until responsive"),
             QStringLiteral("memory added"));
    int failures = 0;
    for (const char *name : {"view-server", "view-client", "eager-1000", "eager-5000"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--case"), QLatin1String(name)});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0 || child.exitStatus() != QProcess::NormalExit;
    }
    return failures == 0 ? 0 : 1;
}

int show(const QString &mode, bool atEnd)
{
    HistoryWindow history;
    if (mode == QLatin1String("eager")) {
        addCards(history.container, makeAnswers(50));
        history.window.show();
        return QApplication::exec();
    }
    const bool server = mode == QLatin1String("server");
    AnswerHistoryView view(server ? 1 : 0, server);
    history.window.setWindowTitle(server ? QStringLiteral("История") : QStringLiteral("Результаты"));
    view.embedInto(history.container);
    view.setAnswers(makeAnswers(MaxAnswers));
    history.window.show();
    if (atEnd)
        QTimer::singleShot(100, &view, [&view] { view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum()); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--case"))
        return runCase(args.at(2));
    if (args.size() >= 3 && args.at(1) == QLatin1String("--show"))
        return show(args.at(2), args.contains(QStringLiteral("--end")));
    return runAll();
}
