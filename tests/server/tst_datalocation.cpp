#include "datafolder.h"
#include "datalocation.h"
#include "tst_corefixtures.h"

#include <QtTest>

#include <unistd.h>

using namespace fixtures;

namespace {

// A school as older versions left it: data files and an archive.
const QMap<QString, QByteArray> OldSchool = {
    {QStringLiteral("questions_file.bin"), "questions"},
    {QStringLiteral("setting.ini"), "season!!"},
    {QStringLiteral("archive/answers-2026-01-01.csv"), "archived;csv"},
};

// Writes the school into `folder`, or checks that `folder` holds it.
bool school(const QString &folder, bool write = false)
{
    for (auto it = OldSchool.cbegin(); it != OldSchool.cend(); ++it) {
        QFile file(folder + QLatin1Char('/') + it.key());
        if (write ? !QDir().mkpath(QFileInfo(file).path()) || !file.open(QIODevice::WriteOnly)
                        || file.write(it.value()) != it.value().size()
                  : !file.open(QIODevice::ReadOnly) || file.readAll() != it.value())
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
    void killAtEachStep_data();
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
    QTest::addColumn<int>("lasting"); // 0 missing, 1 an empty folder, 2 holding data
    QTest::addColumn<bool>("moves");
    QTest::addColumn<QString>("noticeNames");

    QTest::newRow("fresh: nothing to move") << false << 0 << false << QString();
    QTest::newRow("old school: moved") << true << 0 << true << QStringLiteral("School.moved-");
    QTest::newRow("old school, empty lasting folder: moved") << true << 1 << true << QStringLiteral("School.moved-");
    QTest::newRow("both hold data: lasting used, old named") << true << 2 << false << QStringLiteral("tmp");
}

void tst_DataLocation::locate()
{
    QFETCH(bool, oldData);
    QFETCH(int, lasting);
    QFETCH(bool, moves);
    QFETCH(QString, noticeNames);

    if (oldData)
        QVERIFY(school(m_old, true));
    if (lasting > 0)
        QVERIFY(QDir().mkpath(m_lasting));
    if (lasting > 1)
        QVERIFY(QFile(m_lasting + QStringLiteral("/users_file.bin")).open(QIODevice::WriteOnly));

    const DataLocation location = locateData(m_lasting, m_old);
    QCOMPARE(location.refusal, QString());
    QVERIFY(noticeNames.isEmpty() ? location.notice.isEmpty() : location.notice.contains(noticeNames));
    QCOMPARE(school(m_lasting), moves);
    QCOMPARE(QFileInfo::exists(m_old), oldData && !moves);
    const QStringList aside = movedAside(QFileInfo(m_old).absolutePath());
    QCOMPARE(aside.size(), moves ? 1 : 0);
    if (moves) {
        QVERIFY(school(QFileInfo(m_old).absolutePath() + QLatin1Char('/') + aside.first()));
        // A folder once moved aside is never moved again.
        QVERIFY(QDir(m_lasting).removeRecursively());
        QVERIFY(locateData(m_lasting, m_old).notice.isEmpty());
        QVERIFY(!holdsDataFile(m_lasting));
    }
}

void tst_DataLocation::killAtEachStep_data()
{
    QTest::addColumn<bool>("restore");
    QTest::newRow("moving an old school") << false;
    QTest::newRow("restoring a snapshot") << true;
}

// The work stopped dead at each of its steps in turn. A move leaves the old
// folder whole or a whole copy, and the next start then ends with the school
// in the lasting folder; a restore leaves, at the next start, either the old
// store or the restored one.
void tst_DataLocation::killAtEachStep()
{
    QFETCH(bool, restore);
    int step = 1;
    for (;; ++step) {
        init();
        AnswerStore before;
        QString snapshot;
        if (restore) {
            DataStore store(m_lasting);
            QVERIFY(loadSchool(store));
            snapshot = store.snapshots().list().first().path;
            QVERIFY(store.appendAnswers(
                QVector<Answer>(4, makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2026, 1, 1), 3))));
            QVERIFY(store.removeAccount(ExpertKind, 0));
            QVERIFY(store.setSeasonStart(QDate(2026, 9, 1)));
            before = store.answers();
        } else {
            QVERIFY(school(m_old, true));
        }
        const QString work = restore ? QStringLiteral("restore") : QStringLiteral("migrate");
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--stop-at"), QString::number(step), work, m_lasting, restore ? snapshot : m_old});
        QVERIFY(child.waitForFinished(60000) && (child.exitCode() == 0 || child.exitCode() == 3));
        const bool done = child.exitCode() == 0;
        if (restore) {
            DataStore after(m_lasting);
            after.load();
            const bool restored = after.answers().isEmpty() && after.accounts() == schoolAccounts()
                && !after.seasonStart().isValid();
            const bool old = after.answers() == before && after.accounts() != schoolAccounts()
                && after.seasonStart() == QDate(2026, 9, 1);
            QVERIFY2(restored || (old && !done), qPrintable(QString::number(step)));
            // The state before the restore is a snapshot of its own.
            if (done)
                QCOMPARE(after.snapshots().list().at(1).answers, 4);
        } else {
            // No half copy is ever taken for the school.
            QVERIFY2(school(m_lasting) || (school(m_old) && !holdsDataFile(m_lasting)), qPrintable(QString::number(step)));
            QCOMPARE(locateData(m_lasting, m_old).refusal, QString());
            QVERIFY(school(m_lasting));
            QVERIFY(!QFileInfo::exists(m_lasting + QStringLiteral(".incoming")));
            QCOMPARE(movedAside(QFileInfo(m_old).absolutePath()).size() + (school(m_old) ? 1 : 0), 1);
        }
        if (done)
            break;
    }
    QVERIFY(step > 4);
}

static int stopAt = 0;

// Run as "tst_datalocation --stop-at STEP migrate LASTING OLD" or "...
// restore FOLDER SNAPSHOT", this is the program the kill tests stop dead,
// like a power cut, at step STEP: it exits 3 then, 0 when the work ended
// first.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args.at(1) == QLatin1String("--stop-at")) {
        stopAt = args.at(2).toInt();
        setStepHook([](int step) {
            if (step == stopAt)
                ::_exit(3);
        });
        if (args.at(3) == QLatin1String("migrate"))
            return locateData(args.at(4), args.at(5)).refusal.isEmpty() ? 0 : 1;
        DataStore store(args.at(4));
        store.load();
        return store.restore(args.at(5)).isEmpty() ? 0 : 1;
    }
    tst_DataLocation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_datalocation.moc"
