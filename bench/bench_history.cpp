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

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <functional>

namespace {

constexpr int MaxAnswers = 65535;

QString pick(QRandomGenerator &random, const QStringList &words)
{
    return words.at(random.bounded(words.size()));
}

QString personName(QRandomGenerator &random)
{
    static const QStringList surnames = {
        QStringLiteral("Иванов"), QStringLiteral("Смирнов"), QStringLiteral("Кузнецов"),
        QStringLiteral("Попов"), QStringLiteral("Васильев"), QStringLiteral("Петров"),
        QStringLiteral("Соколов"), QStringLiteral("Михайлов"), QStringLiteral("Новиков"),
        QStringLiteral("Фёдоров"), QStringLiteral("Морозов"), QStringLiteral("Волков"),
        QStringLiteral("Алексеев"), QStringLiteral("Лебедев"), QStringLiteral("Семёнов"),
        QStringLiteral("Егоров"), QStringLiteral("Павлов"), QStringLiteral("Козлов")};
    static const QStringList menNames = {
        QStringLiteral("Александр"), QStringLiteral("Сергей"), QStringLiteral("Дмитрий"),
        QStringLiteral("Андрей"), QStringLiteral("Алексей"), QStringLiteral("Михаил"),
        QStringLiteral("Николай"), QStringLiteral("Владимир")};
    static const QStringList womenNames = {
        QStringLiteral("Елена"), QStringLiteral("Ольга"), QStringLiteral("Татьяна"),
        QStringLiteral("Наталья"), QStringLiteral("Ирина"), QStringLiteral("Светлана"),
        QStringLiteral("Марина"), QStringLiteral("Анна")};
    static const QStringList fathers = {
        QStringLiteral("Александров"), QStringLiteral("Сергеев"), QStringLiteral("Дмитриев"),
        QStringLiteral("Андреев"), QStringLiteral("Алексеев"), QStringLiteral("Михайлов"),
        QStringLiteral("Николаев"), QStringLiteral("Владимиров")};
    if (random.bounded(2) == 0)
        return QStringLiteral("%1 %2 %3ич").arg(pick(random, surnames), pick(random, menNames), pick(random, fathers));
    return QStringLiteral("%1а %2 %3на").arg(pick(random, surnames), pick(random, womenNames), pick(random, fathers));
}

// A question of 60 to 200 characters, cut at a word.
QString questionText(QRandomGenerator &random)
{
    static const QStringList openings = {
        QStringLiteral("Насколько педагог"), QStringLiteral("Как часто педагог"),
        QStringLiteral("В какой мере учитель"), QStringLiteral("Оцените, насколько учитель")};
    static const QStringList actions = {
        QStringLiteral("использует современные образовательные технологии"),
        QStringLiteral("учитывает индивидуальные особенности обучающихся"),
        QStringLiteral("организует самостоятельную работу на занятии"),
        QStringLiteral("поддерживает дисциплину и рабочую атмосферу"),
        QStringLiteral("применяет дифференцированный подход к заданиям"),
        QStringLiteral("привлекает родителей к жизни объединения")};
    static const QStringList tails = {
        QStringLiteral("при подготовке и проведении занятий"),
        QStringLiteral("в течение всего учебного года"),
        QStringLiteral("с учётом требований образовательного стандарта"),
        QStringLiteral("и анализирует результаты своей работы вместе с коллегами"),
        QStringLiteral("на уроках и во внеурочной деятельности"),
        QStringLiteral("когда готовит обучающихся к конкурсам и олимпиадам")};
    const int wanted = 60 + random.bounded(141);
    QString text = pick(random, openings) + QLatin1Char(' ') + pick(random, actions);
    while (text.size() < wanted)
        text += QLatin1Char(' ') + pick(random, tails);
    if (text.size() > 199)
        text.truncate(text.lastIndexOf(QLatin1Char(' '), 199));
    return text + QLatin1Char('?');
}

QVector<Answer> makeAnswers(int count)
{
    static const QStringList blocks = {
        QStringLiteral("Организация образовательного процесса"), QStringLiteral("Методическая работа"),
        QStringLiteral("Работа с родителями"), QStringLiteral("Воспитательная работа"),
        QStringLiteral("Профессиональное развитие"), QStringLiteral("Использование ИКТ")};
    QRandomGenerator random(20240901);
    QStringList experts;
    QStringList teachers;
    for (int i = 0; i < 3; ++i)
        experts << personName(random);
    for (int i = 0; i < 100; ++i)
        teachers << personName(random);
    QVector<QString> questions;
    for (int i = 0; i < 40; ++i)
        questions << questionText(random);

    QVector<Answer> answers;
    answers.reserve(count);
    for (int i = 0; i < count; ++i) {
        Answer a;
        a.questionId = i % questions.size();
        a.questionText = questions.at(a.questionId);
        a.blockId = a.questionId / 10;
        a.blockName = blocks.at(a.blockId % blocks.size());
        a.group = random.bounded(2);
        a.date = QDate(2024, 9, 2).addDays(i / 300);
        a.minValue = 0;
        a.maxValue = 10;
        a.value = qint16(random.bounded(11));
        a.authorId = random.bounded(3);
        a.subjectId = 3 + random.bounded(100);
        a.authorName = experts.at(a.authorId);
        a.subjectName = teachers.at(a.subjectId - 3);
        answers.append(a);
    }
    return answers;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
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

// Returns once the window is on screen and a zero timer has come through
// the event loop behind every pending layout and paint event.
void waitUntilResponsive(QWidget &window)
{
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

// The way both windows once filled their history: every card at once.
void addCards(QWidget *container, const QVector<Answer> &answers)
{
    for (int i = 0; i < answers.size(); ++i) {
        auto *card = new AnswerTestUnit(container, i + 1, true);
        card->setAnswer(answers.at(i), i + 1);
        container->layout()->addWidget(card);
    }
}

// Loads fonts, style and platform pieces that any first window would.
void warmUp()
{
    HistoryWindow warm;
    addCards(warm.container, makeAnswers(1));
    waitUntilResponsive(warm.window);
}

QString seconds(double value)
{
    return QString::number(value, 'f', 3) + QStringLiteral(" s");
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
    printRow(what, QString::number(count), seconds(time),
             QString::number(megabytes, 'f', 1) + QStringLiteral(" MB"));
}

void printTime(const QString &what, double time)
{
    printRow(QStringLiteral("  ") + what, QString(), seconds(time), QString());
}

// Times `fill` and the showing of `history` that follows it, and prints that
// with the memory they added.
void timeOpening(const QString &name, int count, HistoryWindow &history, const std::function<void()> &fill)
{
    warmUp();
    const double before = residentMegabytes();
    QElapsedTimer timer;
    timer.start();
    fill();
    waitUntilResponsive(history.window);
    printFigure(name, count, timer.nsecsElapsed() / 1e9, residentMegabytes() - before);
}

double timeResponse(QWidget &window, const std::function<void()> &change)
{
    QElapsedTimer timer;
    timer.start();
    change();
    waitUntilResponsive(window);
    return timer.nsecsElapsed() / 1e9;
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
