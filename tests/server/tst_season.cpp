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

QTEST_GUILESS_MAIN(tst_Season)
#include "tst_season.moc"
