#include "datastore.h"
#include "snapshots.h"
#include "tst_corefixtures.h"

#include <QtTest>

using namespace fixtures;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(12, 0));

QStringList snapshotNames(const QString &folder)
{
    return QDir(folder + QStringLiteral("/backups")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QVector<Answer> someAnswers(int count)
{
    QVector<Answer> answers;
    for (int i = 0; i < count; ++i)
        answers.append(makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2026, 1, 1 + i % 28), i % 5));
    return answers;
}

} // namespace

class tst_Snapshots : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startTakesOneUnlessSame();
    void prune_data();
    void prune();
    void listsOtherEntriesAsDamaged();
    void restoreBringsBackTheStore();
    void failedSnapshotStopsRemoval();
    void killAtEachStepOfRestore();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_Snapshots::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("School"));
}

void tst_Snapshots::startTakesOneUnlessSame()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    const QStringList first = snapshotNames(m_folder);
    QCOMPARE(first.size(), 1);
    const QString taken = m_folder + QStringLiteral("/backups/") + first.first();
    QCOMPARE(fileBytes(taken + QStringLiteral("/users_file.bin")), fileBytes(store.accountsPath()));
    QVERIFY(!QFileInfo::exists(taken + QStringLiteral("/answer_file.bin")));

    store.load();
    QCOMPARE(snapshotNames(m_folder), first);
    // Another in the same second gets a name of its own.
    QVERIFY(store.snapshotBefore(QStringLiteral("Удаление ответа")));
    QVERIFY(store.snapshotBefore(QStringLiteral("Удаление ответа")));
    QCOMPARE(snapshotNames(m_folder).size(), 3);

    const QVector<SnapshotInfo> listed = store.snapshots().list();
    QCOMPARE(listed.size(), 3);
    QCOMPARE(listed.first().reason, QStringLiteral("Удаление ответа"));
    QCOMPARE(listed.last().reason, QStringLiteral("Запуск сервера"));
    QCOMPARE(listed.last().accounts, 5);
    QCOMPARE(listed.last().blocks, 3);
    QCOMPARE(listed.last().damage, QString());
}

void tst_Snapshots::prune_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("the last 24 hours: all")
        << QStringList{"2026-12-06_12-00-01", "2026-12-06_130000", "2026-12-07_080000", "2026-12-07_080000-2"}
        << QStringList{"2026-12-06_12-00-01", "2026-12-06_130000", "2026-12-07_080000", "2026-12-07_080000-2"};
    QTest::newRow("older days: the newest of each")
        << QStringList{"2026-12-01_090000", "2026-12-01_170000", "2026-12-06_110000", "2026-12-06_090000"}
        << QStringList{"2026-12-01_170000", "2026-12-06_110000"};
    QTest::newRow("beyond 30 days: none")
        << QStringList{"2026-11-01_090000", "2026-11-07_090000", "2026-11-06_235959"}
        << QStringList{"2026-11-07_090000"};
}

void tst_Snapshots::prune()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, kept);

    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    QVERIFY(QDir(m_folder + QStringLiteral("/backups")).removeRecursively());
    for (const QString &name : existing) {
        const QString path = m_folder + QStringLiteral("/backups/") + name;
        QVERIFY(QDir().mkpath(path));
        QVERIFY(putFile(path + QStringLiteral("/reason.txt"), "x"));
    }
    QCOMPARE(Snapshots(m_folder).take(QStringLiteral("Проверка"), Now), QString());
    QStringList expected = kept;
    // Names that are no snapshot (the first row's) are never removed.
    expected.append(Now.toString(QStringLiteral("yyyy-MM-dd_HHmmss")));
    expected.sort();
    QCOMPARE(snapshotNames(m_folder), expected);
}

void tst_Snapshots::listsOtherEntriesAsDamaged()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    const QString backups = m_folder + QStringLiteral("/backups/");
    QVERIFY(QDir().mkpath(backups + QStringLiteral("photos")));
    QVERIFY(QDir().mkpath(backups + QStringLiteral("2026-01-01_100000")));
    QVERIFY(putFile(backups + QStringLiteral("2026-01-01_100000/reason.txt"), "x"));
    QVERIFY(putFile(backups + QStringLiteral("2026-01-01_100000/answer_file.bin"), QByteArray("\x05\x00\xff", 3)));
    QVERIFY(putFile(backups + QStringLiteral("notes.txt"), "x"));

    const QVector<SnapshotInfo> listed = store.snapshots().list();
    QCOMPARE(listed.size(), 4);
    QCOMPARE(listed.at(0).damage, QString());
    QVERIFY(listed.at(1).damage.contains(QStringLiteral("answer_file.bin")));
    QVERIFY(!listed.at(2).damage.isEmpty());
    QVERIFY(!listed.at(3).damage.isEmpty());

    const QByteArray accounts = fileBytes(store.accountsPath());
    QVERIFY(!store.restore(listed.at(1).path).isEmpty());
    QVERIFY(!store.restore(listed.at(2).path).isEmpty());
    QCOMPARE(fileBytes(store.accountsPath()), accounts);
}

void tst_Snapshots::restoreBringsBackTheStore()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    QVERIFY(store.appendAnswers(someAnswers(3)));
    QVERIFY(store.snapshotBefore(QStringLiteral("Удаление")));
    const QString snapshot = store.snapshots().list().first().path;
    const AnswerStore then = store.answers();
    QVERIFY(store.removeAccount(ExpertKind, 0));
    QVERIFY(store.appendAnswers(someAnswers(5)));
    QCOMPARE(answerChange(store.answers(), then).lost, 5);
    QCOMPARE(answerChange(store.answers(), then).gained, 0);

    QSignalSpy removed(&store, &DataStore::accountRemoved);
    QCOMPARE(store.restore(snapshot), QString());
    QCOMPARE(store.answers(), then);
    QCOMPARE(store.accounts(), schoolAccounts());
    QCOMPARE(removed.count(), 0);
    // The state before the restore is a snapshot of its own.
    QCOMPARE(store.snapshots().list().first().answers, 8);
    DataStore reread(m_folder);
    reread.load();
    QCOMPARE(reread.answers(), then);
    QVERIFY(!QFileInfo::exists(m_folder + QStringLiteral("/.restore")));
}

void tst_Snapshots::failedSnapshotStopsRemoval()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    QVERIFY(QDir(m_folder + QStringLiteral("/backups")).removeRecursively());
    QVERIFY(putFile(m_folder + QStringLiteral("/backups"), "in the way"));
    QSignalSpy warnings(&store, &DataStore::warning);
    QVERIFY(!store.snapshotBefore(QStringLiteral("Удаление ответа")));
    QCOMPARE(warnings.count(), 1);
    QVERIFY(warnings.first().first().toString().contains(QStringLiteral("Ничего не удалено")));
}

// A restore stopped dead at each of its steps leaves, at the next start,
// either the old store or the restored one.
void tst_Snapshots::killAtEachStepOfRestore()
{
    for (int step = 1;; ++step) {
        init();
        AnswerStore before;
        QString snapshot;
        {
            DataStore store(m_folder);
            QVERIFY(loadSchool(store));
            snapshot = store.snapshots().list().first().path;
            QVERIFY(store.appendAnswers(someAnswers(4)));
            QVERIFY(store.removeAccount(ExpertKind, 0));
            QVERIFY(store.setSeasonStart(QDate(2026, 9, 1)));
            before = store.answers();
        }
        QProcess child;
        child.start(QStringLiteral(STEP_CHILD), {QString::number(step), QStringLiteral("restore"), m_folder, snapshot});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0 || child.exitCode() == 3, qPrintable(QString::number(child.exitCode())));

        DataStore after(m_folder);
        after.load();
        const bool restored = after.answers().isEmpty() && after.accounts() == schoolAccounts()
            && !after.seasonStart().isValid();
        const bool old = after.answers() == before && after.accounts() != schoolAccounts()
            && after.seasonStart() == QDate(2026, 9, 1);
        QVERIFY2(restored || old, qPrintable(QString::number(step)));
        if (child.exitCode() == 0) {
            QVERIFY(restored);
            QVERIFY(step > 4);
            break;
        }
    }
}

QTEST_GUILESS_MAIN(tst_Snapshots)
#include "tst_snapshots.moc"
