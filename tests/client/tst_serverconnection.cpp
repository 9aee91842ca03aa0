#include "serverconnection.h"
#include "tst_clientfakeserver.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// The connection on its own against a server on loopback that goes away
// and comes back on the same port.
class TestServerConnection : public QObject
{
    Q_OBJECT

private slots:
    void comesBackWithTheSameLogin_data();
    void comesBackWithTheSameLogin();
};

void TestServerConnection::comesBackWithTheSameLogin_data()
{
    QTest::addColumn<int>("downMs");
    QTest::newRow("a blip") << 0;
    QTest::newRow("a server restart") << 3000;
}

void TestServerConnection::comesBackWithTheSameLogin()
{
    QFETCH(int, downMs);
    const int first = 200;
    const int longest = 800;
    FakeServer server;
    QVERIFY(server.listen());
    const quint16 port = server.port();
    ServerConnection connection(QHostAddress::LocalHost, port);
    connection.setRetryDelays(first, longest);
    connection.open();
    QTRY_COMPARE(connection.state(), ServerConnection::State::Online);
    const LoginCredentials login{QStringLiteral("Иванова"), "secret"};
    QVERIFY(connection.logIn(login));
    QTRY_COMPARE(server.received(), *loginRequestBytes(login));
    server.takeReceived();
    QSignalSpy data(&connection, &ServerConnection::dataArrived);
    server.sendDataReply({}, {});
    QVERIFY(data.wait());

    // Every attempt to connect, timed.
    QVector<qint64> attempts;
    QElapsedTimer clock;
    clock.start();
    connect(connection.findChild<QTcpSocket *>(), &QAbstractSocket::stateChanged, this,
            [&](QAbstractSocket::SocketState state) {
                if (state == QAbstractSocket::ConnectingState)
                    attempts.append(clock.elapsed());
            });
    server.close();
    QTRY_COMPARE(connection.state(), ServerConnection::State::Offline);
    QVERIFY(!connection.refresh());
    QTest::qWait(downMs);
    QVERIFY(server.listen(QHostAddress::LocalHost, port));

    QTRY_COMPARE_WITH_TIMEOUT(server.received(), *loginRequestBytes(login), 10000);
    QCOMPARE(connection.state(), ServerConnection::State::LoggingInAgain);
    server.sendDataReply({}, {});
    QVERIFY(data.wait());
    QCOMPARE(connection.state(), ServerConnection::State::Online);
    // Never sooner than the first wait, and less often as it goes on.
    for (int i = 1; i < attempts.size(); ++i)
        QVERIFY(attempts.at(i) - attempts.at(i - 1) >= first - 5);
    if (downMs > 0)
        QVERIFY(attempts.last() - attempts.at(attempts.size() - 2) > attempts.at(1) - attempts.at(0));
    QVERIFY(attempts.size() >= (downMs > 0 ? 4 : 1));
}

QTEST_GUILESS_MAIN(TestServerConnection)
#include "tst_serverconnection.moc"
