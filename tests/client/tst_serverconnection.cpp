#include "serverconnection.h"
#include "tst_clientfakeserver.h"

#include <QTest>

// The connection on its own, against a server on loopback that goes away.
class TestServerConnection : public QObject
{
    Q_OBJECT

private slots:
    void comesBackWithTheSameLogin();
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

QTEST_GUILESS_MAIN(TestServerConnection)
#include "tst_serverconnection.moc"
