// The morning rush: the real server program on a full store with every
// account of a school at once, timed from outside over loopback. The load
// comes from processes of its own (each expert in one of its own, the other
// accounts shared among a few), released together, so that the clients are
// not what is measured:
//   - 30 school teachers alone at once: login and a batch of 25 answers;
//   - all 75 at once: 10 experts logging in and refreshing, the 30 school
//     teachers sending their answers, 30 teachers of additional education
//     and 5 parents logging in;
//   - the server's peak resident memory meanwhile.
// Each in 3 rounds on fresh connections; medians over every client of them.
//
//   bench_rush                       the whole table
//   bench_rush --load ROUND SPEC...  one load process (run by the first):
//                                    SPEC is KIND:INDEX:ADDRESS

#include "benchwire.h"

#include "datastore.h"
#include "encoding.h"
#include "message.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

// Blocks of 25 questions, so that a batch of 25 answers is one block's.
const SchoolSize Size = {8, 25, {30, 10, 5, 30}};
const int Rounds = 3;
// Processes for the accounts other than experts.
const int SharedProcesses = 4;

// One client of the load: it logs in, then an expert refreshes and a
// school teacher sends the 25 answers of the round's block.
struct Client
{
    int kind = 0;
    Account account;
    QByteArray next;
    QTcpSocket socket;
    QByteArray received;
    qint64 bytes = 0;
    double seconds = -1;
};

int runLoad(const QStringList &args)
{
    const int round = args.value(0).toInt();
    const School school = makeSchool(Size, 0);
    const QuestionBlock &block = school.questions.at(1).blocks.at(round % school.questions.at(1).blocks.size());
    AnswerBatch batch;
    batch.subject = -1;
    for (const Question &question : block.questions)
        batch.items.append({question.id, block.id, question.minValue});
    const QByteArray batchBytes = packMessage(Message::single(AnswerBatchSection, *encodeAnswerBatch(batch))).value();

    std::vector<std::unique_ptr<Client>> clients;
    for (const QString &spec : args.mid(1)) {
        const QStringList parts = spec.split(QLatin1Char(':'));
        auto client = std::make_unique<Client>();
        client->kind = parts.at(0).toInt();
        client->account = school.accounts.at(client->kind).at(parts.at(1).toInt());
        if (client->kind == ExpertKind)
            client->next = emptyMessageBytes();
        else if (client->kind == SchoolTeacherKind)
            client->next = batchBytes;
        // Each from an address of its own, as in a school.
        client->socket.bind(QHostAddress(parts.at(2)));
        client->socket.connectToHost(QHostAddress::LocalHost, ServerPort);
        if (!client->socket.waitForConnected(5000))
            return 1;
        clients.push_back(std::move(client));
    }
    out() << "ready" << Qt::endl;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly) || input.readLine().trimmed() != "go")
        return 1;

    QElapsedTimer timer;
    timer.start();
    int done = 0;
    for (const std::unique_ptr<Client> &c : clients) {
        Client *client = c.get();
        QObject::connect(&client->socket, &QTcpSocket::readyRead, [client, &timer, &done] {
            const QByteArray arrived = client->socket.readAll();
            client->received += arrived;
            client->bytes += arrived.size();
            if (messageStatus(client->received) != UnpackResult::Complete)
                return;
            client->received.clear();
            if (!client->next.isEmpty()) {
                client->socket.write(std::exchange(client->next, QByteArray()));
                return;
            }
            client->seconds = timer.nsecsElapsed() / 1e9;
            ++done;
        });
        client->socket.write(loginBytes(client->account));
    }
    const int count = int(clients.size());
    if (!waitFor([&] { return done == count; }, 120000))
        return 1;
    for (const std::unique_ptr<Client> &client : clients)
        out() << client->kind << ' ' << client->seconds << ' ' << client->bytes << '\n';
    out().flush();
    return 0;
}

struct Figures
{
    QVector<double> seconds[AccountKindCount];
    qint64 expertBytes = 0;
};

// One round: the load processes connect, are released together, and
// report each client's time.
bool runRound(int round, const QVector<QStringList> &processes, Figures &figures)
{
    std::vector<std::unique_ptr<QProcess>> load;
    for (const QStringList &specs : processes) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       QStringList{QStringLiteral("--load"), QString::number(round)} + specs);
        load.push_back(std::move(process));
    }
    for (const std::unique_ptr<QProcess> &process : load) {
        if (!process->waitForReadyRead(30000) || process->readLine().trimmed() != "ready")
            return false;
    }
    for (const std::unique_ptr<QProcess> &process : load)
        process->write("go\n");
    for (const std::unique_ptr<QProcess> &process : load) {
        if (!process->waitForFinished(180000) || process->exitCode() != 0)
            return false;
        for (const QByteArray &line : process->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() != 3)
                continue;
            const int kind = words.at(0).toInt();
            figures.seconds[kind].append(words.at(1).toDouble());
            if (kind == ExpertKind)
                figures.expertBytes += words.at(2).toLongLong();
        }
    }
    return true;
}

// The load processes for the accounts of `kinds`: each expert alone, the
// others dealt out among a few; each client from an address of its own.
QVector<QStringList> loadProcesses(const QVector<int> &kinds)
{
    QVector<QStringList> processes(SharedProcesses);
    int address = 0;
    int shared = 0;
    for (int kind : kinds) {
        for (int index = 0; index < Size.accounts[kind]; ++index) {
            const QString spec =
                QStringLiteral("%1:%2:127.0.%3.%4").arg(kind).arg(index).arg(1 + address / 250).arg(1 + address % 250);
            ++address;
            if (kind == ExpertKind)
                processes.append({spec});
            else
                processes[shared++ % SharedProcesses].append(spec);
        }
    }
    processes.removeAll(QStringList());
    return processes;
}

double residentPeakMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// How many answers an expert is shown now: every batch must have been kept.
int storedAnswers(const Account &expert)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, ServerPort);
    QByteArray received;
    socket.write(loginBytes(expert));
    waitFor([&] {
        received += socket.readAll();
        return messageStatus(received) == UnpackResult::Complete;
    });
    const UnpackResult reply = unpackMessage(received);
    if (reply.status != UnpackResult::Complete || reply.message.sections.size() < 2)
        return -1;
    return decodeAnswerList(reply.message.sections.at(1).data).value_or(QVector<Answer>()).size();
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 3) + QStringLiteral(" s");
}

int runRush()
{
    // Room for the rounds' batches below the limit.
    const int batches = 2 * Rounds * Size.accounts[SchoolTeacherKind];
    const School school = makeSchool(Size, DataStore::MaxListCount - batches * Size.questionsPerBlock);
    ServerProcess server;
    // A season beginning tomorrow: no block counts as answered, so that
    // every round's batches are taken.
    if (!server.start(school, QDate::currentDate().addDays(1))) {
        out() << "the server did not start" << Qt::endl;
        return 1;
    }
    Figures alone;
    for (int round = 0; round < Rounds; ++round) {
        if (!runRound(round, loadProcesses({SchoolTeacherKind}), alone))
            return 1;
    }
    // The peak of the rush alone, not of the start.
    QFile clearRefs(QStringLiteral("/proc/%1/clear_refs").arg(server.process.processId()));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    clearRefs.close();
    Figures all;
    for (int round = 0; round < Rounds; ++round) {
        const QVector<int> kinds{ExpertKind, SchoolTeacherKind, TeacherDoKind, ParentKind};
        if (!runRound(Rounds + round, loadProcesses(kinds), all))
            return 1;
    }
    const double peak = residentPeakMegabytes(server.process.processId());
    const int stored = storedAnswers(school.accounts.at(ExpertKind).first());
    if (stored != DataStore::MaxListCount) {
        out() << "the store holds " << stored << " answers, not " << DataStore::MaxListCount << Qt::endl;
        return 1;
    }
    const int experts = Size.accounts[ExpertKind];
    const double floor = experts * loopbackSeconds(all.expertBytes / experts / Rounds);
    const double expert = median(all.seconds[ExpertKind]);

    out() << "Full store, then " << batches << " batches of 25 answers; " << Rounds
          << " rounds, medians over the clients of all rounds\n";
    out() << "30 school teachers alone at once, login + 25 answers: median  " << secondsText(median(alone.seconds[SchoolTeacherKind]))
          << "   (aim <= 0.15 s)\n";
    out() << "75 at once: school teacher, login + 25 answers, median       "
          << secondsText(median(all.seconds[SchoolTeacherKind])) << "   (aim <= 0.3 s)\n";
    out() << "75 at once: teacher of additional education or parent, login "
          << secondsText(median(all.seconds[TeacherDoKind] + all.seconds[ParentKind])) << "   (aim <= 0.2 s)\n";
    out() << "75 at once: expert, login + refresh, median (slowest)         " << secondsText(expert) << " ("
          << secondsText(*std::max_element(all.seconds[ExpertKind].cbegin(), all.seconds[ExpertKind].cend())) << "), "
          << QString::number(expert / floor, 'f', 2) << " x the " << secondsText(floor) << " to move all experts' "
          << QString::number(all.expertBytes / Rounds / 1048576.0, 'f', 0) << " MB over loopback   (aim <= 1.5 x)\n";
    out() << "75 at once: server peak resident memory                       "
          << QString::number(peak, 'f', 0) << " MB   (aim <= 120 MB)" << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == QLatin1String("--load"))
        return runLoad(args.mid(2));
    return runRush();
}
