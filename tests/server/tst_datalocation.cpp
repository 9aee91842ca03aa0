#include "datafolder.h"
#include "datalocation.h"

#include <QtTest>

namespace {

// A school as older versions left it: the four files and an archive.
const QMap<QString, QByteArray> OldSchool = {
    {QStringLiteral("questions_file.bin"), "questions"},
    {QStringLiteral("users_file.bin"), "users"},
    {QStringLiteral("answer_file.bin"), "answers"},
    {QStringLiteral("setting.ini"), "season!!"},
    {QStringLiteral("archive/answers-2026-01-01.bin"), "archived"},
    {QStringLiteral("archive/answers-2026-01-01.csv"), "archived;csv"},
};

bool writeSchool(const QString &folder)
{
    for (auto it = OldSchool.cbegin(); it != OldSchool.cend(); ++it) {
        const QString path = folder + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            return false;
    }
    return true;
}

bool holdsSchool(const QString &folder)
{
    for (auto it = OldSchool.cbegin(); it != OldSchool.cend(); ++it) {
        QFile file(folder + QLatin1Char('/') + it.key());
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != it.value())
            return false;
    }
    return true;
}

QStringList movedAside(const QString &parent)
{
    return QDir(parent).entryList({QStringLiteral("School.moved-*")}, QDir::Dirs);
}

} // namespace

class tst_DataLocation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void locate_data();
    void locate();
    void killAtEachStep();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_lasting;
    QString m_old;
};

void tst_DataLocation::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_lasting = m_dir->filePath(QStringLiteral("share/School"));
    m_old = m_dir->filePath(QStringLiteral("tmp/School"));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("tmp"))));
}

void tst_DataLocation::locate_data()
{
    QTest::addColumn<bool>("oldData");
    QTest::addColumn<bool>("lastingData");
    QTest::addColumn<bool>("lastingEmptyFolder");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<QString>("noticeNames");

    QTest::newRow("fresh: nothing to move") << false << false << false << false << QString();
    QTest::newRow("old school: moved") << true << false << false << true << QStringLiteral("School.moved-");
    QTest::newRow("old school, empty lasting folder: moved") << true << false << true << true
                                                              << QStringLiteral("School.moved-");
    QTest::newRow("both hold data: lasting used, old named") << true << true << false << false
                                                              << QStringLiteral("tmp");
    QTest::newRow("lasting only") << false << true << false << false << QString();
}

void tst_DataLocation::locate()
{
    QFETCH(bool, oldData);
    QFETCH(bool, lastingData);
    QFETCH(bool, lastingEmptyFolder);
    QFETCH(bool, moves);
    QFETCH(QString, noticeNames);

    if (oldData)
        QVERIFY(writeSchool(m_old));
    if (lastingData) {
        QVERIFY(QDir().mkpath(m_lasting));
        QFile newer(m_lasting + QStringLiteral("/users_file.bin"));
        QVERIFY(newer.open(QIODevice::WriteOnly) && newer.write("newer") == 5);
    }
    if (lastingEmptyFolder)
        QVERIFY(QDir().mkpath(m_lasting));

    const DataLocation location = locateData(m_lasting, m_old);
    QCOMPARE(location.folder, m_lasting);
    QCOMPARE(location.refusal, QString());
    QCOMPARE(location.notice.isEmpty(), noticeNames.isEmpty());
    QVERIFY(location.notice.contains(noticeNames));
    QCOMPARE(holdsSchool(m_lasting), moves);
    QCOMPARE(QFileInfo::exists(m_old), oldData && !moves);
    const QStringList aside = movedAside(QFileInfo(m_old).absolutePath());
    QCOMPARE(aside.size(), moves ? 1 : 0);
    if (moves) {
        QVERIFY(holdsSchool(QFileInfo(m_old).absolutePath() + QLatin1Char('/') + aside.first()));
        // A folder once moved aside is never moved again.
        QVERIFY(QDir(m_lasting).removeRecursively());
        QVERIFY(locateData(m_lasting, m_old).notice.isEmpty());
        QVERIFY(!holdsDataFile(m_lasting));
    }
}

// The move stopped dead at each of its steps in turn leaves the old folder
// whole or a whole copy; the next start then ends with the school in the
// lasting folder.
void tst_DataLocation::killAtEachStep()
{
    for (int step = 1;; ++step) {
        init();
        QVERIFY(writeSchool(m_old));
        QProcess child;
        child.start(QStringLiteral(STEP_CHILD), {QString::number(step), QStringLiteral("migrate"), m_lasting, m_old});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0 || child.exitCode() == 3, qPrintable(QString::number(child.exitCode())));
        const bool oldWhole = holdsSchool(m_old);
        QVERIFY2(oldWhole || holdsSchool(m_lasting), qPrintable(QString::number(step)));
        if (!holdsSchool(m_lasting))
            QVERIFY(!holdsDataFile(m_lasting));

        const DataLocation next = locateData(m_lasting, m_old);
        QCOMPARE(next.refusal, QString());
        QVERIFY(holdsSchool(m_lasting));
        QVERIFY(!QFileInfo::exists(m_lasting + QStringLiteral(".incoming")));
        QCOMPARE(movedAside(QFileInfo(m_old).absolutePath()).size() + (holdsSchool(m_old) ? 1 : 0), 1);
        if (child.exitCode() == 0) {
            QVERIFY(step > 4);
            break;
        }
    }
}

QTEST_GUILESS_MAIN(tst_DataLocation)
#include "tst_datalocation.moc"
