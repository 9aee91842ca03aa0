// Starts the real server program on a generated school, logs 30 clients in
// (30 connections of the client, in this one process), kills the server,
// keeps it down for a while and starts it again on the same port. Prints,
// for each time down, how long after the server listens again the clients
// are logged in again (the slowest and the median), and the shortest time
// between two logins of any one client over the whole run.
//
// Uses port 23432, so no other server may run.

#include "benchsupport.h"
#include "benchwire.h"
#include "serverconnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace {

const int Clients = 30;
const int DownSeconds[] = {2, 6, 20};

QString seconds(double s)
{
    return QStringLiteral("%1 s").arg(s, 5, 'f', 2);
}

// One client: its connection and the times it sent a login.
struct Rater
{
    std::unique_ptr<ServerConnection> connection;
    QVector<qint64> logins;
    qint64 backAt = -1; // when its login was last accepted
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    const School school = makeSchool(SchoolSize{4, 10, {Clients, 3, 0, 10}}, 2000);
    ServerProcess server;
    QElapsedTimer clock;
    clock.start();
    if (!server.start(school, QDate::currentDate().addMonths(-2))) {
        out() << "the server did not start" << Qt::endl;
        return 1;
    }
    qint64 listensAt = clock.elapsed();
    // Started again with the same program, options and data folder.
    const auto restartServer = [&] {
        server.process.start();
        const bool started = server.process.waitForStarted() && waitFor(ServerProcess::accepts);
        listensAt = clock.elapsed();
        return started;
    };

    // Every teacher of additional education logs in from a client of its own.
    std::vector<Rater> raters(Clients);
    for (int i = 0; i < Clients; ++i) {
        Rater &rater = raters[i];
        rater.connection = std::make_unique<ServerConnection>(QHostAddress::LocalHost, ServerPort);
        ServerConnection *connection = rater.connection.get();
        const Account &account = school.accounts.at(TeacherDoKind).at(i);
        // The server closes what it cannot yet take of one address's
        // connections that have not logged in: each logs in once it stands.
        QObject::connect(connection->findChild<QTcpSocket *>(), &QTcpSocket::connected, connection,
                         [&rater, &clock, account] {
                             rater.logins.append(clock.elapsed());
                             if (!rater.connection->isLoggedIn())
                                 rater.connection->logIn(LoginCredentials{account.name, account.password});
                         });
        QObject::connect(connection, &ServerConnection::dataArrived, connection,
                         [&rater, &clock] { rater.backAt = clock.elapsed(); });
        connection->open();
    }
    const auto allBack = [&] {
        return std::all_of(raters.cbegin(), raters.cend(), [&](const Rater &r) { return r.backAt >= listensAt; });
    };
    if (!waitFor(allBack)) {
        out() << "the clients did not log in" << Qt::endl;
        return 1;
    }

    out() << Clients << " logged-in clients, the server program killed and started again on the same machine\n";
    for (const int down : DownSeconds) {
        server.process.kill();
        server.process.waitForFinished();
        waitFor([] { return false; }, down * 1000);
        if (!restartServer()) {
            out() << "the server did not start again" << Qt::endl;
            return 1;
        }
        if (!waitFor(allBack, 60000)) {
            // A refusal can only come from another server on the port.
            out() << "not every client came back within 60 s; is another program using port " << ServerPort
                  << "?" << Qt::endl;
            return 1;
        }
        QVector<double> back;
        for (const Rater &rater : raters)
            back.append((rater.backAt - listensAt) / 1000.0);
        std::sort(back.begin(), back.end());
        out() << "down " << down << " s: back after the server listens again   slowest "
              << seconds(back.last()) << ", median " << seconds(back.at(back.size() / 2)) << " (aim <= 12 s)\n";
    }
    qint64 closest = std::numeric_limits<qint64>::max();
    int logins = 0;
    for (const Rater &rater : raters) {
        logins += rater.logins.size();
        for (int i = 1; i < rater.logins.size(); ++i)
            closest = std::min(closest, rater.logins.at(i) - rater.logins.at(i - 1));
    }
    out() << "logins sent in all " << logins << "; shortest time between two logins of one client "
          << seconds(closest / 1000.0) << " (aim >= 1 s)" << Qt::endl;
    return 0;
}
