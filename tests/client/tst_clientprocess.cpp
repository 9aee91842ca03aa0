#include "tst_clientfakeserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The real client program as a child process: it ends with status 1 when
// the server refuses the last login and when the user cancels the login.

namespace {

// The child's leaks are not what these tests look at; a leak report would
// change its exit status. Its settings store is a folder in `dir`, never
// the user's.
QProcessEnvironment childEnvironment(const QTemporaryDir &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("detect_leaks=0"));
    return env;
}

void writeAddressFile(const QTemporaryDir &dir, const QByteArray &line)
{
    QFile file(dir.filePath(QStringLiteral("setting_client.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(line);
}

// Runs a command to its end and returns what it printed; empty on failure.
QString run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return QString();
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace

class TestClientProcess : public QObject
{
    Q_OBJECT

private slots:
    void lastRefusalEndsWithStatusOne_data();
    void lastRefusalEndsWithStatusOne();
    void cancellingEndsWithStatusOne_data();
    void cancellingEndsWithStatusOne();
};

void TestClientProcess::lastRefusalEndsWithStatusOne_data()
{
    QTest::addColumn<QByteArray>("addressLine");
    QTest::newRow("address ended by a semicolon") << QByteArray("server=127.0.0.1;\n");
    QTest::newRow("address without the semicolon") << QByteArray("server=127.0.0.1\n");
}

void TestClientProcess::lastRefusalEndsWithStatusOne()
{
    QFETCH(QByteArray, addressLine);

    // The program always uses the server's own port; another test on this
    // machine may hold it for a moment.
    FakeServer server;
    QElapsedTimer waited;
    waited.start();
    while (!server.listen(QHostAddress::LocalHost, ServerPort)) {
        if (waited.elapsed() > 30000)
            QSKIP("port 23432 stays in use by another program");
        QTest::qWait(200);
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeAddressFile(dir, addressLine);
    QProcess client;
    client.setProcessEnvironment(childEnvironment(dir));
    client.setWorkingDirectory(dir.path());
    client.start(QStringLiteral(CLIENT_BINARY), QStringList());
    QVERIFY(client.waitForStarted());

    QTRY_VERIFY_WITH_TIMEOUT(server.hasClient(), 30000);
    server.sendAttemptsLeft(2);
    server.sendAttemptsLeft(0);
    // Two messages within the quiet period are one; the first count word
    // covers only the first section, so the client must still be running.
    QVERIFY(!client.waitForFinished(500));
    server.sendAttemptsLeft(0);
    QVERIFY(client.waitForFinished(30000));
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), 1);
}

void TestClientProcess::cancellingEndsWithStatusOne_data()
{
    QTest::addColumn<QStringList>("keys");
    // The login window starts with the cursor in the login field; without a
    // connection "Ввести" is hidden, so two tabs reach "Отмена".
    QTest::newRow("Отмена") << QStringList{QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("space")};
    QTest::newRow("Escape") << QStringList{QStringLiteral("Escape")};
}

void TestClientProcess::cancellingEndsWithStatusOne()
{
    QFETCH(QStringList, keys);

    // Keys can only reach the window of another process on a real display.
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xvfb.isEmpty() || xdotool.isEmpty())
        QSKIP("needs Xvfb and xdotool");

    // Xvfb names its display once it is ready and ends at once when another
    // server holds it, as one started at the same moment may: then the next
    // display is tried.
    QProcess server;
    QString displayName;
    for (int display = 120; displayName.isEmpty() && display < 160; ++display) {
        server.start(xvfb, {QStringLiteral(":%1").arg(display), QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        QVERIFY(server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine() || server.state() == QProcess::NotRunning, 10000);
        if (server.canReadLine())
            displayName = QStringLiteral(":%1").arg(display);
    }
    QVERIFY2(!displayName.isEmpty(), "no display free for Xvfb");

    // No address file: no connection, the login window waits.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcessEnvironment env = childEnvironment(dir);
    env.insert(QStringLiteral("DISPLAY"), displayName);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // A display that has named itself has been seen to refuse a connection
    // for a moment: a small client of its own must get in first.
    QTRY_VERIFY_WITH_TIMEOUT(!run(xdotool, {QStringLiteral("getdisplaygeometry")}, env, 5000).isEmpty(), 10000);
    QProcess client;
    client.setProcessEnvironment(env);
    client.setWorkingDirectory(dir.path());
    client.start(QStringLiteral(CLIENT_BINARY), QStringList());
    QVERIFY(client.waitForStarted());

    // Asked again and again: xdotool's own --sync looks only every half second.
    QString window;
    QElapsedTimer waited;
    waited.start();
    while (window.isEmpty() && client.state() == QProcess::Running && waited.elapsed() < 30000) {
        window = run(xdotool, {QStringLiteral("search"), QStringLiteral("--name"),
                               QStringLiteral("Опросник. Введите пароль")},
                     env, 10000)
                     .section(QLatin1Char('\n'), 0, 0);
        if (window.isEmpty())
            QTest::qWait(20);
    }
    // What the program printed tells why, should its window not appear.
    const QString state = client.state() == QProcess::Running
        ? QStringLiteral("still runs")
        : QStringLiteral("ended with status %1").arg(client.exitCode());
    QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("the login window did not appear; the program %1: %2")
                                               .arg(state, QString::fromLocal8Bit(client.readAllStandardError()))));
    run(xdotool, {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, env, 10000);
    run(xdotool, QStringList{QStringLiteral("key")} + keys, env, 10000);

    const bool ended = client.waitForFinished(20000);
    if (!ended)
        client.kill();
    server.terminate();
    server.waitForFinished();
    QVERIFY(ended);
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestClientProcess)
#include "tst_clientprocess.moc"
