// Starts the real server program on a generated school of 65 535 answers
// (400 questions in 16 blocks, 60 teachers, 10 experts) and times, from
// outside and over loopback, what a user waits for:
//   - an expert's refresh: from the RefreshRequest to the last byte of the
//     DataReply, beside its floor, the server's 25 ms quiet period plus
//     moving as many bytes over TCP loopback (measured in the same run);
//   - a school teacher's batch of 25 answers: from the AnswerSubmission to
//     the last byte of the reply, the answers committed to the file first;
//   - the client window (in a fresh process) from "Ввести" until its main
//     window responds, and the memory that adds.
// Medians of several runs.
//
//   bench_wire            all three
//   bench_wire --client   one client login, its figures on one line (run
//                         by the first, once per client run)

#include "benchsupport.h"
#include "benchwire.h"
#include "client.h"
#include "datastore.h"
#include "encoding.h"
#include "message.h"
#include "messageassembler.h"
#include "passwordwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Blocks of 25 questions: a batch of 25 answers is one block's.
const SchoolSize Size = {8, 25, {30, 10, 0, 30}};
const int Runs = 7;
const int ClientRuns = 5;

QString ms(double seconds)
{
    return QStringLiteral("%1 ms").arg(seconds * 1000, 6, 'f', 1);
}

// Appends what `socket` holds to `received`, as a client program does.
void receive(QTcpSocket &socket, QByteArray &received)
{
    received += socket.readAll();
}

// One raw connection to the server, as a client program would hold it.
class Peer
{
public:
    bool connectTo(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(5000);
    }

    // Seconds from writing `request` until a whole message has come back.
    std::optional<double> roundTrip(const QByteArray &request, QByteArray *reply = nullptr)
    {
        QByteArray received;
        QElapsedTimer timer;
        timer.start();
        m_socket.write(request);
        const bool whole = waitFor([&] {
            receive(m_socket, received);
            return !received.isEmpty() && messageStatus(received) == UnpackResult::Complete;
        });
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!whole)
            return std::nullopt;
        if (reply)
            *reply = received;
        return seconds;
    }

private:
    QTcpSocket m_socket;
};

// The answers to the 25 questions of `block`.
QByteArray batchOf25(const QuestionBlock &block)
{
    AnswerBatch batch;
    for (const Question &question : block.questions)
        batch.items.append({question.id, block.id, question.minValue});
    return packMessage(Message::single(AnswerBatchSection, *encodeAnswerBatch(batch))).value();
}

// The school, `missing` answers short of the limit, with the season that
// began on the last 1 September.
struct WireServer : ServerProcess
{
    School school;
    QDate seasonStart;

    bool start(int missing)
    {
        school = makeSchool(Size, DataStore::MaxListCount - missing);
        const QDate today = QDate::currentDate();
        seasonStart = QDate(today.month() >= 9 ? today.year() : today.year() - 1, 9, 1);
        return ServerProcess::start(school, seasonStart);
    }

    // The school's blocks that `teacher` has not answered this season: a
    // teacher answers each once a season.
    QVector<QuestionBlock> blocksOpenTo(const Account &teacher) const
    {
        QSet<qint32> answered;
        for (const Answer &answer : school.answers) {
            if (answer.authorId == teacher.id && answer.date >= seasonStart)
                answered.insert(answer.blockId);
        }
        QVector<QuestionBlock> open;
        for (const QuestionBlock &block : school.questions.at(1).blocks) {
            if (!answered.contains(block.id))
                open.append(block);
        }
        return open;
    }
};

int runServer()
{
    WireServer server;
    if (!server.start(25 * Runs)) {
        out() << "the server did not start" << Qt::endl;
        return 1;
    }
    const Account &expert = server.school.accounts.at(ExpertKind).first();
    const Account &teacher = server.school.accounts.at(SchoolTeacherKind).first();

    Peer teacherPeer;
    if (!teacherPeer.connectTo(ServerPort) || !teacherPeer.roundTrip(loginBytes(teacher)))
        return 1;
    const QVector<QuestionBlock> open = server.blocksOpenTo(teacher);
    if (open.size() < Runs) {
        out() << "the teacher has answered too many blocks this season" << Qt::endl;
        return 1;
    }
    QVector<double> intake;
    for (int run = 0; run < Runs; ++run) {
        const std::optional<double> seconds = teacherPeer.roundTrip(batchOf25(open.at(run)));
        if (!seconds)
            return 1;
        intake.append(*seconds);
    }

    Peer expertPeer;
    QByteArray reply;
    if (!expertPeer.connectTo(ServerPort) || !expertPeer.roundTrip(loginBytes(expert), &reply))
        return 1;
    const std::optional<Message> message = [&]() -> std::optional<Message> {
        UnpackResult unpacked = unpackMessage(reply);
        if (unpacked.status != UnpackResult::Complete || unpacked.message.sections.size() != 3)
            return std::nullopt;
        return unpacked.message;
    }();
    const std::optional<QVector<Answer>> answers =
        message ? decodeAnswerList(message->sections.at(1).data) : std::nullopt;
    if (!answers || answers->size() != DataStore::MaxListCount) {
        out() << "the expert's reply does not hold " << DataStore::MaxListCount << " answers" << Qt::endl;
        return 1;
    }
    QVector<double> refresh;
    QVector<double> floor;
    for (int run = 0; run < Runs; ++run) {
        const std::optional<double> seconds = expertPeer.roundTrip(emptyMessageBytes());
        if (!seconds)
            return 1;
        refresh.append(*seconds);
        floor.append(MessageAssembler::QuietPeriodMs / 1000.0 + loopbackSeconds(reply.size()));
    }

    const double refreshS = median(refresh);
    const double floorS = median(floor);
    out() << "School: " << DataStore::MaxListCount << " answers, 400 questions in 16 blocks, 60 teachers, "
          << "10 experts; medians of " << Runs << " runs\n";
    out() << "expert refresh round trip (" << QString::number(reply.size() / 1048576.0, 'f', 1) << " MB) "
          << ms(refreshS) << "   floor " << ms(floorS) << "   ratio "
          << QString::number(refreshS / floorS, 'f', 2) << " (aim <= 1.30)\n";
    out() << "school teacher, 25 answers round trip  " << ms(median(intake))
          << "   floor " << ms(MessageAssembler::QuietPeriodMs / 1000.0) << "   (aim <= 50 ms)" << Qt::endl;
    return 0;
}

int runClient()
{
    WireServer server;
    if (!server.start(0))
        return 1;
    const Account &expert = server.school.accounts.at(ExpertKind).first();
    warmUp();

    Client client(QHostAddress::LocalHost, ServerPort);
    client.show();
    int handled = 0;
    QObject::connect(client.findChild<MessageAssembler *>(), &MessageAssembler::messageReady,
                     [&handled] { ++handled; });
    PasswordWindow *login = client.loginWindow();
    auto *enter = login->findChild<QAbstractButton *>(QStringLiteral("pb_enter"));
    waitUntilResponsive(*login, [enter] { return enter->isVisible() && enter->isEnabled(); });
    login->findChild<QLineEdit *>(QStringLiteral("le_login"))->setText(expert.name);
    login->findChild<QLineEdit *>(QStringLiteral("le_password"))->setText(QString::fromUtf8(expert.password));

    // A user takes longer to type a password than the server takes to
    // settle after its start.
    QElapsedTimer typing;
    typing.start();
    waitFor([&typing] { return typing.elapsed() >= 2000; });

    const Span span;
    enter->click();
    waitUntilResponsive(client, [&] { return handled > 0 && client.isVisible(); });
    const double seconds = span.seconds();
    const double peak = span.peakMegabytes();
    if (client.receivedData().answers.size() != DataStore::MaxListCount) {
        out() << "the client took in " << client.receivedData().answers.size() << " answers" << Qt::endl;
        return 1;
    }
    // For the parent process to gather.
    out() << seconds << ' ' << peak << ' ' << span.peakResidentMegabytes() << Qt::endl;
    return 0;
}

// The client figures, each the median over fresh processes: a process
// takes its memory only once, so each login is measured in a new one.
bool reportClient()
{
    QVector<double> seconds;
    QVector<double> added;
    QVector<double> resident;
    for (int run = 0; run < ClientRuns; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--client")});
        child.waitForFinished(-1);
        const QString output = QString::fromUtf8(child.readAllStandardOutput());
        const QStringList figures = output.split(QLatin1Char(' '));
        if (child.exitCode() != 0 || figures.size() != 3) {
            out() << output;
            return false;
        }
        seconds.append(figures.at(0).toDouble());
        added.append(figures.at(1).toDouble());
        resident.append(figures.at(2).toDouble());
    }
    out() << QStringLiteral("client \"Ввести\" to a responsive window   ") << ms(median(seconds))
          << "   (aim <= 300 ms), medians of " << ClientRuns << " processes; memory peak "
          << megabytesText(median(added)) << " above the login window\n";
    out() << "client process peak resident memory    " << megabytesText(median(resident)) << " (aim <= 155 MB)"
          << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    if (QCoreApplication::arguments().contains(QStringLiteral("--client")))
        return runClient();

    const int served = runServer();
    return served == 0 && reportClient() ? 0 : 1;
}
