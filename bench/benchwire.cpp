#include "benchwire.h"

#include "benchstore.h"
#include "datastore.h"
#include "encoding.h"
#include "message.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

QTextStream &out()
{
    static QTextStream stream(stdout);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 writes UTF-8 whatever the locale.
    stream.setCodec("UTF-8");
#endif
    return stream;
}

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

double loopbackSeconds(qint64 size)
{
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    const quint16 port = listener.serverPort();
    const QByteArray bytes(int(qMin<qint64>(size, 64 * 1024 * 1024)), 'x');
    std::atomic<bool> go{false};
    std::thread sender([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            while (!go)
                std::this_thread::yield();
            for (qint64 sent = 0; sent < size;) {
                const qint64 at = sent % bytes.size();
                const ssize_t n = ::send(fd, bytes.constData() + at, size_t(qMin(size - sent, bytes.size() - at)), 0);
                if (n <= 0)
                    break;
                sent += n;
            }
        }
        ::close(fd);
    });
    double seconds = 0;
    if (listener.waitForNewConnection(5000)) {
        QTcpSocket *receiver = listener.nextPendingConnection();
        // Kept as a client keeps a reply, up to the size of one buffer.
        QByteArray received;
        qint64 count = 0;
        QElapsedTimer timer;
        timer.start();
        go = true;
        waitFor([&] {
            if (received.size() >= bytes.size())
                received.clear();
            const QByteArray arrived = receiver->readAll();
            received += arrived;
            count += arrived.size();
            return count >= size;
        });
        seconds = timer.nsecsElapsed() / 1e9;
    }
    go = true;
    sender.join();
    return seconds;
}

QByteArray loginBytes(const Account &account)
{
    return packMessage(Message::single(LoginCredentialsSection,
                                       *encodeLoginCredentials({account.name, account.password})))
        .value();
}

bool ServerProcess::start(const School &school, const QDate &seasonStart)
{
    DataStore files(home.path() + QStringLiteral("/School"));
    if (!loadSchool(files, school, seasonStart))
        return false;
    // The port of a server that has just ended is free again at once,
    // unless some other server holds it.
    if (!waitFor([] { return !accepts(); })) {
        out() << "another program holds port " << ServerPort << Qt::endl;
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(SERVER_PROGRAM), {QStringLiteral("--data-dir"), home.path() + QStringLiteral("/School")});
    if (!process.waitForStarted())
        return false;
    return waitFor([] { return accepts(); });
}

bool ServerProcess::accepts()
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, ServerPort);
    return probe.waitForConnected(200);
}

ServerProcess::~ServerProcess()
{
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished();
}
