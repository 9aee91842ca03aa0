#include "answerarchive.h"
#include "csvline.h"
#include "season.h"
#include "tst_serverfixtures.h"

#include <QtTest>

using namespace serverfixtures;

class tst_Season : public QObject
{
    Q_OBJECT

private slots:
    void beginSeason_data();
    void beginSeason();
    void archive_data();
    void archive();
};

void tst_Season::beginSeason_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QVector<int>>("remaining"); // indexes into schoolAnswers(answersDay)
    QTest::addColumn<QByteArray>("settingsFile");

    // The answers are dated 2000-01-01 ("today" of the school) and the day
    // before; 2000-01-01 is Julian day 2451545.
    QTest::newRow("on the day of the answers")
        << QDate(2000, 1, 1) << QVector<int> {0, 3, 4} << QByteArray::fromHex("5968250000000000");
    QTest::newRow("the day after") << QDate(2000, 1, 2) << QVector<int> {0, 1, 2, 3, 4, 5}
                                   << QByteArray::fromHex("5a68250000000000");
}

void tst_Season::beginSeason()
{
    QFETCH(QDate, today);
    QFETCH(QVector<int>, remaining);
    QFETCH(QByteArray, settingsFile);
    const QDate answersDay(2000, 1, 1);
    TemporarySchool school(answersDay);
    QVERIFY(school.ok);
    DataStore &store = school.store;
    const QByteArray questionsFile = fileBytes(store.questionsPath());
    const QByteArray accountsFile = fileBytes(store.accountsPath());
    QSignalSpy hints(&store, &DataStore::answersWritten);

    const int removed = ::beginSeason(store, today);

    QCOMPARE(store.seasonStart(), today);
    QCOMPARE(removed, 6 - remaining.size());
    QCOMPARE(seasonRemovalCount(schoolAnswers(answersDay), today), removed);
    const QVector<Answer> all = schoolAnswers(answersDay);
    QVector<Answer> expected;
    for (int i : remaining)
        expected.append(all.at(i));
    QCOMPARE(store.answers(), expected);
    QCOMPARE(fileBytes(store.settingsPath()), settingsFile);
    QCOMPARE(fileBytes(store.answersPath()), expectedAnswersFile(store));
    QCOMPARE(hints.count(), 1);
    QCOMPARE(fileBytes(store.questionsPath()), questionsFile);
    QCOMPARE(fileBytes(store.accountsPath()), accountsFile);

    // A restart finds the new season and no answer of today.
    DataStore restarted(school.dir.path());
    restarted.load();
    QCOMPARE(restarted.seasonStart(), today);
    QCOMPARE(restarted.answers(), expected);
}

void tst_Season::archive_data()
{
    QTest::addColumn<QDate>("seasonStart");
    QTest::addColumn<QString>("taken"); // a file already in the data folder
    QTest::addColumn<QVector<int>>("moved"); // indexes into schoolAnswers(answersDay)
    QTest::addColumn<QString>("archiveFile"); // empty: none written
    QTest::addColumn<bool>("blocked"); // a folder stands where the answers file belongs

    // The answers are dated 2000-01-01 and the day before; the archive is
    // made on 2000-01-02.
    const QDate answersDay(2000, 1, 1);
    QTest::newRow("season begun on the day of the answers")
        << answersDay << QString() << QVector<int> {0, 3, 4}
        << QStringLiteral("archive/answers-2000-01-02.bin") << false;
    QTest::newRow("second archive of the day")
        << answersDay << QStringLiteral("archive/answers-2000-01-02.csv") << QVector<int> {0, 3, 4}
        << QStringLiteral("archive/answers-2000-01-02-2.bin") << false;
    QTest::newRow("season begun the day after")
        << answersDay.addDays(1) << QString() << QVector<int> {0, 1, 2, 3, 4, 5}
        << QStringLiteral("archive/answers-2000-01-02.bin") << false;
    QTest::newRow("no season begun") << QDate() << QString() << QVector<int>() << QString() << false;
    // The folder cannot be made: nothing may leave the store.
    QTest::newRow("archive folder taken by a file")
        << answersDay << QStringLiteral("archive") << QVector<int>() << QString() << false;
    // No snapshot can be taken before the removal: nothing may leave the store.
    QTest::newRow("backups folder taken by a file")
        << answersDay << QStringLiteral("backups") << QVector<int>() << QString() << false;
    // The answers would stay in the store after a restart: the archive
    // must not keep them too.
    QTest::newRow("answers file cannot be rewritten")
        << answersDay << QString() << QVector<int>() << QString() << true;
}

void tst_Season::archive()
{
    QFETCH(QDate, seasonStart);
    QFETCH(QString, taken);
    QFETCH(QVector<int>, moved);
    QFETCH(QString, archiveFile);
    QFETCH(bool, blocked);
    const QDate answersDay(2000, 1, 1);
    TemporarySchool school(answersDay);
    QVERIFY(school.ok);
    DataStore &store = school.store;
    if (seasonStart.isValid())
        QVERIFY(store.setSeasonStart(seasonStart));
    QDir folder(store.folder());
    if (!taken.isEmpty()) {
        QVERIFY(folder.mkpath(QFileInfo(taken).path()));
        QVERIFY(QDir(folder.filePath(taken)).removeRecursively());
        QVERIFY(putFile(folder.filePath(taken), "taken"));
    }
    const QByteArray answersFile = fileBytes(store.answersPath());
    if (blocked)
        QVERIFY(QFile::remove(store.answersPath()) && QDir().mkpath(store.answersPath()));
    QSignalSpy hints(&store, &DataStore::answersWritten);
    AnswerArchive archive(store);
    const bool fails = taken == QLatin1String("archive") || taken == QLatin1String("backups") || blocked;
    QCOMPARE(archive.archivableCount(), fails ? 3 : moved.size());

    const AnswerArchive::Outcome outcome = archive.archive(QDate(2000, 1, 2));

    const QVector<Answer> all = schoolAnswers(answersDay);
    QVector<Answer> kept;
    for (int i = 0; i < all.size(); ++i) {
        if (!moved.contains(i))
            kept.append(all.at(i));
    }
    QCOMPARE(outcome.moved, moved.size());
    QCOMPARE(outcome.error.isEmpty(), !fails);
    QCOMPARE(store.answers(), kept);
    if (moved.isEmpty()) {
        QCOMPARE(hints.count(), 0);
        if (blocked) {
            QCOMPARE(QDir(archive.folder()).entryList(QDir::Files), QStringList());
            QVERIFY(QDir(store.answersPath()).removeRecursively());
            return;
        }
        QCOMPARE(fileBytes(store.answersPath()), answersFile);
        if (fails)
            QCOMPARE(fileBytes(folder.filePath(taken)), QByteArray("taken"));
        else
            QVERIFY(!QFileInfo::exists(archive.folder()));
        return;
    }
    QCOMPARE(fileBytes(store.answersPath()), expectedAnswersFile(store));
    QCOMPARE(hints.count(), 1);

    // The answers file's decoder reads the archive back: the moved answers
    // with the names their question and accounts gave them.
    QCOMPARE(outcome.answersFile, folder.filePath(archiveFile));
    const std::optional<QVector<Answer>> archived = decodeAnswerList(fileBytes(outcome.answersFile));
    QVERIFY(archived);
    QCOMPARE(archived->size(), moved.size());
    for (int i = 0; i < moved.size(); ++i) {
        Answer stripped = archived->at(i);
        stripped.questionText = stripped.blockName = stripped.authorName = stripped.subjectName
            = QString();
        QCOMPARE(stripped, all.at(moved.at(i)));
    }
    QCOMPARE(archived->first().questionText, QStringLiteral("Цель занятия ясна"));
    QCOMPARE(archived->first().authorName, QStringLiteral("Смирнов"));
    QCOMPARE(archived->first().subjectName, QStringLiteral("Иванова"));

    QCOMPARE(outcome.csvFile,
             QString(outcome.answersFile).replace(QStringLiteral(".bin"), QStringLiteral(".csv")));
    const QByteArray csv = fileBytes(outcome.csvFile);
    QCOMPARE(csv.count("\r\n"), moved.size() + 1);
    QVERIFY(csv.contains(csvLine({QStringLiteral("31.12.1999"), QStringLiteral("Педагог ДО"),
                                  QStringLiteral("Занятие"), QStringLiteral("Цель занятия ясна"),
                                  QStringLiteral("Смирнов"), QStringLiteral("Иванова"),
                                  QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("5")})));
}

QTEST_GUILESS_MAIN(tst_Season)
#include "tst_season.moc"
