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

} // namespace

class tst_Snapshots : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void takeAndList();
    void prune_data();
    void prune();

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

// One at start unless the files are the same, one before a removal, and a
// name of its own for another in the same second; what else lies in the
// folder is listed as damaged and never restored.
void tst_Snapshots::takeAndList()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    store.load();
    QVERIFY(store.snapshotBefore(QStringLiteral("Удаление ответа")));
    QCOMPARE(store.snapshots().take(QStringLiteral("Удаление ответа"), Now), QString());
    QCOMPARE(store.snapshots().take(QStringLiteral("Удаление ответа"), Now), QString());
    const QStringList names = snapshotNames(m_folder);
    QCOMPARE(names.mid(0, 2), QStringList({QStringLiteral("2026-12-07_120000"), QStringLiteral("2026-12-07_120000-2")}));
    QCOMPARE(names.size(), 4);
    QCOMPARE(fileBytes(m_folder + QStringLiteral("/backups/") + names.last() + QStringLiteral("/users_file.bin")),
             fileBytes(store.accountsPath()));

    const QString backups = m_folder + QStringLiteral("/backups/");
    QVERIFY(QDir().mkpath(backups + QStringLiteral("photos")));
    QVERIFY(QDir().mkpath(backups + QStringLiteral("2026-01-01_100000")));
    QVERIFY(putFile(backups + QStringLiteral("2026-01-01_100000/reason.txt"), "x"));
    QVERIFY(putFile(backups + QStringLiteral("2026-01-01_100000/answer_file.bin"), QByteArray("\x05\x00\xff", 3)));

    const QVector<SnapshotInfo> listed = store.snapshots().list();
    QCOMPARE(listed.size(), 6);
    QCOMPARE(listed.first().reason, QStringLiteral("Удаление ответа"));
    QCOMPARE(listed.at(1).reason, QStringLiteral("Запуск сервера"));
    QCOMPARE(QVector<int>({listed.at(1).answers, listed.at(1).accounts, listed.at(1).blocks}),
             QVector<int>({0, 5, 3}));
    QVERIFY(listed.at(4).damage.contains(QStringLiteral("answer_file.bin")));
    QVERIFY(!listed.at(5).damage.isEmpty());
    const QByteArray accounts = fileBytes(store.accountsPath());
    QVERIFY(!store.restore(listed.at(4).path).isEmpty());
    QVERIFY(!store.restore(listed.at(5).path).isEmpty());
    QCOMPARE(fileBytes(store.accountsPath()), accounts);

    // A window still showing the widened range must not have its batch
    // stored against the range the restore brings back.
    QuestionStore widened = store.questions();
    QuestionBlock &block = *std::find_if(widened.begin(), widened.end(),
                                         [](const QuestionGroup &g) { return !g.blocks.isEmpty(); })->blocks.begin();
    block.questions[0].maxValue += 5;
    QVERIFY(store.setQuestions(widened));
    const quint64 shown = store.revision();
    QCOMPARE(store.restore(listed.at(1).path), QString());
    QVERIFY(store.reshapedSince(DataStore::Record::Question, block.questions[0].id, shown));
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

QTEST_GUILESS_MAIN(tst_Snapshots)
#include "tst_snapshots.moc"
