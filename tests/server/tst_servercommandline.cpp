#include <QtTest>

// The server program's options, run as the administrator would, without a
// display: none of them may need one.
class tst_ServerCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed"); // on standard output; empty: one line on standard error, status 2
        QTest::newRow("--help") << QStringList{"--help"} << QStringLiteral("--data-dir");
        QTest::newRow("--version") << QStringList{"--version"} << QStringLiteral("1.0");
        QTest::newRow("unknown option") << QStringList{"--date-dir", "x"} << QString();
        QTest::newRow("--data-dir without a folder") << QStringList{"--data-dir"} << QString();
    }

    void options()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, printed);
        QProcess server;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none"));
        server.setProcessEnvironment(env);
        server.start(QStringLiteral(SERVER_PROGRAM), arguments);
        QVERIFY(server.waitForFinished(60000) && server.exitStatus() == QProcess::NormalExit);
        QCOMPARE(server.exitCode(), printed.isEmpty() ? 2 : 0);
        const QString output = QString::fromLocal8Bit(server.readAllStandardOutput());
        QVERIFY2(printed.isEmpty() ? output.isEmpty() : output.contains(printed), qPrintable(output));
        QCOMPARE(server.readAllStandardError().count('\n'), printed.isEmpty() ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_ServerCommandLine)
#include "tst_servercommandline.moc"
