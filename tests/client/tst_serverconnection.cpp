#include "serverconnection.h"
#include "tst_clientfakeserver.h"

#include <QSignalSpy>
#include <QTest>

// The connection on its own, against a server on loopback that goes away.
class TestServerConnection : public QObject
{
    Q_OBJECT

private slots:
    void comesBackWithTheSameLogin();
    void idleConnectionMadeAgain();
};

void TestServerConnection::comesBackWithTheSameLogin()
{
    FakeServer server;
    QVERIFY(server.listen());
    const quint16 port = server.port();
    ServerConnection connection(QHostAddress::LocalHost, port);
    connection.open();
    QTRY_COMPARE(connection.state(), ServerConnection::State::Online);
    const LoginCredentials login{QStringLiteral("Иванова"), "secret"};
    QVERIFY(connection.logIn(login));
    QTRY_COMPARE(server.received(), *loginRequestBytes(login));
    server.sendDataReply({}, {});
    QTRY_VERIFY(connection.isLoggedIn());

    server.close();
    QTRY_COMPARE(connection.state(), ServerConnection::State::Offline);
    QTest::qWait(3 * ServerConnection::FirstRetryMs);
    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    // The same login again, on the new connection.
    QTRY_COMPARE_WITH_TIMEOUT(server.received(), loginRequestBytes(login)->repeated(2), 20000);
    server.sendDataReply({}, {});
    QTRY_COMPARE(connection.state(), ServerConnection::State::Online);
}

// The server closes a connection that has not logged in within its limit;
// the login window must not be left without one.
void TestServerConnection::idleConnectionMadeAgain()
{
    FakeServer server;
    QVERIFY(server.listen());
    ServerConnection connection(QHostAddress::LocalHost, server.port());
    QSignalSpy states(&connection, &ServerConnection::stateChanged);
    connection.open();
    QTRY_COMPARE(connection.state(), ServerConnection::State::Online);
    server.dropClient();
    QTRY_COMPARE(states.count(), 3);
    QCOMPARE(connection.state(), ServerConnection::State::Online);
    const LoginCredentials login{QStringLiteral("Иванова"), "secret"};
    QVERIFY(connection.logIn(login));
    QTRY_COMPARE(server.received(), *loginRequestBytes(login));
}

QTEST_GUILESS_MAIN(TestServerConnection)
#include "tst_serverconnection.moc"
