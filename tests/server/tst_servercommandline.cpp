#include <QtTest>

// The server program's options, run as the administrator would.
class tst_ServerCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
};

void tst_ServerCommandLine::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // part of standard output
    QTest::addColumn<int>("errorLines");

    QTest::newRow("--help") << QStringList{"--help"} << 0 << QStringLiteral("--data-dir") << 0;
    QTest::newRow("-h") << QStringList{"-h"} << 0 << QStringLiteral("--data-dir") << 0;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QStringLiteral("1.0") << 0;
    QTest::newRow("unknown option") << QStringList{"--date-dir", "x"} << 2 << QString() << 1;
    QTest::newRow("--data-dir without a folder") << QStringList{"--data-dir"} << 2 << QString() << 1;
    QTest::newRow("stray argument") << QStringList{"School"} << 2 << QString() << 1;
}

void tst_ServerCommandLine::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(int, errorLines);

    QProcess server;
    // No display: none of these may need one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none"));
    server.setProcessEnvironment(env);
    server.start(QStringLiteral(SERVER_PROGRAM), arguments);
    QVERIFY(server.waitForFinished(60000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), exitCode);
    const QString output = QString::fromLocal8Bit(server.readAllStandardOutput());
    QVERIFY2(output.contains(out), qPrintable(output));
    QCOMPARE(output.isEmpty(), out.isEmpty());
    const QString errors = QString::fromLocal8Bit(server.readAllStandardError());
    QCOMPARE(errors.count(QLatin1Char('\n')), errorLines);
}

QTEST_GUILESS_MAIN(tst_ServerCommandLine)
#include "tst_servercommandline.moc"
