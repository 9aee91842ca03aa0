#include "addressline.h"
#include "clientfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAddressLine : public QObject
{
    Q_OBJECT

private slots:
    void scan_data();
    void scan();
    void readsOnlyTheFirstLine();
    void missingFileGivesZero();
    void locatesTheFile_data();
    void locatesTheFile();
};

void TestAddressLine::scan_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("address");

    QTest::newRow("four numbers and semicolon") << "server=192.168.0.10;\n" << "192.168.0.10";
    QTest::newRow("loopback") << "server=127.0.0.1;\n" << "127.0.0.1";
    QTest::newRow("windows line end") << "server=10.0.5.7;\r\n" << "10.0.5.7";
    QTest::newRow("no line end") << "server=10.1.2.3;" << "10.1.2.3";
    QTest::newRow("without semicolon") << "server=192.168.0.10\n" << "192.168.0.10";
    QTest::newRow("without semicolon, windows line end") << "server=192.168.0.10\r\n" << "192.168.0.10";
    QTest::newRow("without semicolon or line end") << "server=192.168.0.10" << "192.168.0.10";
    QTest::newRow("no equals sign") << "192.168.0.10;\n" << "0.0.0.0";
    QTest::newRow("empty line") << "" << "0.0.0.0";
    QTest::newRow("text before equals is ignored") << "адрес.сервера;=1.2.3.4;\n" << "1.2.3.4";
    QTest::newRow("numbers keep their low byte") << "s=256.300.1.511;\n" << "0.44.1.255";
    QTest::newRow("text that is no number counts 0") << "s=1.x.3.4;\n" << "1.0.3.4";
    QTest::newRow("spaces around numbers") << "s= 10 . 20 . 30 . 40 ;\n" << "10.20.30.40";
    QTest::newRow("text after semicolon waits for a separator") << "s=1.2.3.4; comment\n" << "1.2.3.4";
    QTest::newRow("a later separator adds what followed") << "s=1.2.3.4;5;\n" << "1.2.3.9";
    QTest::newRow("three numbers and semicolon") << "s=10.20.30;\n" << "0.10.20.30";
}

void TestAddressLine::scan()
{
    QFETCH(QString, line);
    QFETCH(QString, address);
    QCOMPARE(QHostAddress(scanAddressLine(line)).toString(), address);
}

void TestAddressLine::readsOnlyTheFirstLine()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("setting_client.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("server=172.16.4.2;\nother=9.9.9.9;\n");
    file.close();
    QCOMPARE(readServerAddress(file.fileName()), QHostAddress(QStringLiteral("172.16.4.2")));
}

void TestAddressLine::missingFileGivesZero()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(readServerAddress(dir.filePath(QStringLiteral("setting_client.ini"))), QHostAddress(quint32(0)));
}

// Where the client looks for the address file, its pictures and its help.
void TestAddressLine::locatesTheFile_data()
{
    QTest::addColumn<QStringList>("holders");
    QTest::addColumn<QString>("found");

    const QString installed = QStringLiteral("share/school");
    QTest::newRow("the working folder first") << QStringList{"work", "bin", installed} << "work";
    QTest::newRow("then beside the program") << QStringList{"bin", installed} << "bin";
    QTest::newRow("then the installed folder") << QStringList{installed} << installed;
    QTest::newRow("nowhere: where an installation puts it") << QStringList() << installed;
}

void TestAddressLine::locatesTheFile()
{
    QFETCH(QStringList, holders);
    QFETCH(QString, found);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir root(dir.path());
    for (const char *folder : {"work", "bin", "share/school"})
        QVERIFY(root.mkpath(QLatin1String(folder)));
    for (const QString &folder : holders) {
        QFile file(root.filePath(folder + QStringLiteral("/pikto.png")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QCOMPARE(locateFile(QStringLiteral("pikto.png"), root.filePath(QStringLiteral("work")),
                        root.filePath(QStringLiteral("bin")), QStringLiteral("../share/school")),
             root.filePath(found + QStringLiteral("/pikto.png")));
}

QTEST_GUILESS_MAIN(TestAddressLine)
#include "tst_addressline.moc"
