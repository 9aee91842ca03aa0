#include "datalocation.h"
#include "datastore.h"
#include "encoding.h"
#include "filesizelimit.h"
#include "tst_corefixtures.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace fixtures;

namespace {

enum DataFile { QuestionsFile, AccountsFile, AnswersFile, SettingsFile };

// Rewrites one data file through changes that leave its store as it was.
bool rewrite(DataStore &store, int file)
{
    switch (file) {
    case QuestionsFile:
        return store.setQuestions(store.questions());
    case AccountsFile:
        return store.addAccount(ParentKind, Account())
            && store.removeAccount(ParentKind, store.accounts().at(ParentKind).size() - 1);
    case AnswersFile:
        return store.appendAnswers({});
    default:
        return store.setSeasonStart(store.seasonStart());
    }
}

QString filePath(const DataStore &store, int file)
{
    const QString paths[] = {store.questionsPath(), store.accountsPath(), store.answersPath(),
                             store.settingsPath()};
    return paths[file];
}

void writeAll(DataStore &store)
{
    for (int file = QuestionsFile; file <= SettingsFile; ++file)
        QVERIFY(rewrite(store, file));
}

QStringList damagedCopies(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.damaged-*")}, QDir::Files, QDir::Name);
}

} // namespace

class tst_DataStore : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void defaultFolderIsSchoolInAppData();
    void emptyFolderGivesDefaultShapes();
    void emptyStoreBytes_data();
    void emptyStoreBytes();
    void seasonStartBytes();
    void accountTableBytes();
    void answerListBytes();
    void groupListBytes();
    void roundTrip();
    void accountKindsResized_data();
    void accountKindsResized();
    void onlyChangedFileIsRewritten_data();
    void onlyChangedFileIsRewritten();
    void damagedFileSetAside_data();
    void damagedFileSetAside();
    void damagedTwiceKeepsBothCopies();
    void failedWriteKeepsChangeInMemory();
    void writeOnFullDiskKeepsOldFile_data();
    void writeOnFullDiskKeepsOldFile();
    void overlongTextIsNotWritten();
    void appendRefused_data();
    void appendRefused();
    void groupCommit();
    void checkRoom();
    void checkLength();
    void fewGroupsPadded_data();
    void fewGroupsPadded();
    void removeAccountTellsItsId();
    void filesForOwnerOnly();
    void refusedFolderUntouched();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_DataStore::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path() + QStringLiteral("/School");
}

void tst_DataStore::defaultFolderIsSchoolInAppData()
{
    // The folder that lasts, not one the system empties at boot.
    const QString folder = lastingDataFolder();
    QVERIFY(folder.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + QLatin1Char('/')));
    QVERIFY(folder.endsWith(QStringLiteral("/School")));
    QCOMPARE(temporaryDataFolder(), QDir::tempPath() + QStringLiteral("/School"));
    const DataStore store(folder);
    QCOMPARE(store.questionsPath(), folder + QStringLiteral("/questions_file.bin"));
    QCOMPARE(store.accountsPath(), folder + QStringLiteral("/users_file.bin"));
    QCOMPARE(store.answersPath(), folder + QStringLiteral("/answer_file.bin"));
    QCOMPARE(store.settingsPath(), folder + QStringLiteral("/setting.ini"));
}

void tst_DataStore::emptyFolderGivesDefaultShapes()
{
    DataStore store(m_folder);
    QSignalSpy warnings(&store, &DataStore::warning);
    store.load();

    QVERIFY(QDir(m_folder).exists());
    QCOMPARE(store.questions(), QuestionStore(3));
    QCOMPARE(store.accounts(), AccountStore(4));
    QVERIFY(store.answers().isEmpty());
    QVERIFY(store.seasonStart().isNull());
    QCOMPARE(warnings.count(), 0);
    // Loading reads; it writes nothing.
    QVERIFY(QDir(m_folder).entryList(QDir::Files).isEmpty());
}

void tst_DataStore::emptyStoreBytes_data()
{
    QTest::addColumn<int>("file");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("three blank groups")
        << int(QuestionsFile) << QByteArray::fromHex("0300" "0000ffffffff0000" "0000ffffffff0000" "0000ffffffff0000");
    QTest::newRow("four empty kinds") << int(AccountsFile) << QByteArray::fromHex("04000000000000000000");
    QTest::newRow("no answers") << int(AnswersFile) << QByteArray::fromHex("0000");
    QTest::newRow("no season begun") << int(SettingsFile) << QByteArray::fromHex("0000000000000080");
}

void tst_DataStore::emptyStoreBytes()
{
    QFETCH(int, file);
    QFETCH(QByteArray, bytes);

    DataStore store(m_folder);
    store.load();
    QVERIFY(rewrite(store, file));
    QCOMPARE(fileBytes(filePath(store, file)), bytes);
}

void tst_DataStore::seasonStartBytes()
{
    DataStore store(m_folder);
    store.load();
    QVERIFY(store.setSeasonStart(QDate(2000, 1, 1)));
    // Julian day 2451545, little-endian, 64 bits.
    QCOMPARE(fileBytes(store.settingsPath()), QByteArray::fromHex("5968250000000000"));

    DataStore reloaded(m_folder);
    reloaded.load();
    QCOMPARE(reloaded.seasonStart(), QDate(2000, 1, 1));
}

void tst_DataStore::accountTableBytes()
{
    DataStore store(m_folder);
    store.load();
    Account a = makeAccount(7, QStringLiteral("Ая"), "ab");
    a.kindCode = 2;
    a.information = QStringLiteral("x");
    QVERIFY(store.addAccount(ExpertKind, a));

    const QByteArray expected = QByteArray::fromHex(
        "0400"                 // four kinds
        "0000"                 // kind 0: none
        "0100"                 // kind 1: one account
        "07000000"             // id
        "0200" "1004" "4f04"   // name
        "0200" "6162" "0000"   // password area: the bytes, then as many filler bytes
        "02000000"             // kindCode
        "01"                   // active
        "03000000"             // reserved
        "0100" "7800"          // information
        "0000"                 // note
        "0000" "0000");        // kinds 2 and 3: none
    QCOMPARE(fileBytes(store.accountsPath()), expected);
}

void tst_DataStore::answerListBytes()
{
    DataStore store(m_folder);
    store.load();
    Answer a = makeAnswer(100, 10, 2, 4, QDate(2000, 1, 1), -1, 1);
    a.minValue = -2;
    a.authorName = QStringLiteral("Я");
    QVERIFY(store.appendAnswers({a}));

    const QByteArray expected = QByteArray::fromHex(
        "0100"              // one answer
        "64000000"          // questionId
        "0000"              // questionText
        "0a000000"          // blockId
        "01000000"          // group
        "0000"              // blockName
        "5968250000000000"  // date
        "ffff" "0500" "feff" // value, maxValue, minValue
        "02000000"          // authorId
        "04000000"          // subjectId
        "0100" "2f04"       // authorName
        "0000");            // subjectName
    QCOMPARE(fileBytes(store.answersPath()), expected);
}

void tst_DataStore::groupListBytes()
{
    DataStore store(m_folder);
    store.load();
    QuestionBlock b = makeBlock(0, QStringLiteral("Б"), 0, {makeQuestion(1, QStringLiteral("abc"), 0, 5)});
    QVERIFY(store.setQuestions({QuestionGroup{QString(), -1, {b}}}));

    const QByteArray expected = QByteArray::fromHex(
        "0300"                       // three groups: the one set, two blank ones added
        "0000" "ffffffff" "0100"     // name, id, one block
        "0100" "1104"                // block name
        "00000000" "00000000"        // id, ordinal
        "01" "00" "0100"             // active, group, one question
        "0300" "610062006300"        // text
        "01000000" "01"              // id, active
        "0500" "0000" "0000"         // maxValue, minValue, reserved
        "0000ffffffff0000" "0000ffffffff0000");
    QCOMPARE(fileBytes(store.questionsPath()), expected);
}

void tst_DataStore::roundTrip()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    QVERIFY(store.appendAnswers({makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2), 4),
                                 makeAnswer(PlanQuestion, ClassBlock, SchoolTeacher, SchoolTeacher,
                                            QDate(2024, 9, 3), -2, 1),
                                 makeAnswer(PlanQuestion, ClassBlock, Parent, -1, QDate(2024, 9, 2), 0, 1)}));
    QVERIFY(store.setSeasonStart(QDate(2024, 9, 1)));
    writeAll(store);

    DataStore reloaded(m_folder);
    QSignalSpy warnings(&reloaded, &DataStore::warning);
    reloaded.load();
    QCOMPARE(reloaded.questions(), store.questions());
    QCOMPARE(reloaded.accounts(), store.accounts());
    QCOMPARE(reloaded.answers(), store.answers());
    QCOMPARE(reloaded.seasonStart(), store.seasonStart());
    QCOMPARE(warnings.count(), 0);

    // An older accounts file put back: the answers about accounts it lacks
    // are kept (they come back with the accounts), and the administrator is
    // told how many; a parent's answer is about nobody.
    AccountStore older = schoolAccounts();
    older[TeacherDoKind].clear();
    DataStore withOlder(m_folder);
    QSignalSpy told(&withOlder, &DataStore::warning);
    QVERIFY(loadStores(withOlder, schoolQuestions(), older));
    QCOMPARE(told.count(), 1);
    QVERIFY(told.first().first().toString().contains(QLatin1String(": 1.")));
    QCOMPARE(withOlder.answers(), store.answers());
}

void tst_DataStore::accountKindsResized_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("firstKindSize");

    // Kind 0 holds one account {id 9, name "a", no password, ...}.
    const QByteArray one = QByteArray::fromHex("0100" "09000000" "01006100" "0000" "00000000" "01" "03000000"
                                               "0000" "0000");
    QTest::newRow("two kinds get two empty ones") << QByteArray::fromHex("0200") + one + QByteArray::fromHex("0000")
                                                  << 1;
    QTest::newRow("five kinds lose the last")
        << QByteArray::fromHex("0500") + one + QByteArray::fromHex("0000" "0000" "0000" "0000") << 1;
    QTest::newRow("no kinds") << QByteArray::fromHex("0000") << 0;
}

void tst_DataStore::accountKindsResized()
{
    QFETCH(QByteArray, file);
    QFETCH(int, firstKindSize);

    QVERIFY(QDir().mkpath(m_folder));
    DataStore store(m_folder);
    QVERIFY(putFile(store.accountsPath(), file));
    QSignalSpy warnings(&store, &DataStore::warning);
    store.load();
    QCOMPARE(store.accounts().size(), 4);
    QCOMPARE(store.accounts().at(0).size(), firstKindSize);
    for (int kind = 1; kind < 4; ++kind)
        QVERIFY(store.accounts().at(kind).isEmpty());
    if (firstKindSize)
        QCOMPARE(store.accounts().at(0).first().name, QStringLiteral("a"));
    QCOMPARE(warnings.count(), 0);
}

void tst_DataStore::onlyChangedFileIsRewritten_data()
{
    QTest::addColumn<int>("file");
    QTest::newRow("questions") << int(QuestionsFile);
    QTest::newRow("accounts") << int(AccountsFile);
    QTest::newRow("answers") << int(AnswersFile);
    QTest::newRow("settings") << int(SettingsFile);
}

void tst_DataStore::onlyChangedFileIsRewritten()
{
    QFETCH(int, file);

    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    writeAll(store);
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
    for (int f = QuestionsFile; f <= SettingsFile; ++f) {
        QFile data(filePath(store, f));
        QVERIFY(data.open(QIODevice::ReadOnly));
        QVERIFY(data.setFileTime(old, QFileDevice::FileModificationTime));
    }

    QVERIFY(rewrite(store, file));
    for (int f = QuestionsFile; f <= SettingsFile; ++f) {
        const QDateTime modified = QFileInfo(filePath(store, f)).lastModified();
        QCOMPARE(modified == old, f != file);
    }
}

void tst_DataStore::damagedFileSetAside_data()
{
    QTest::addColumn<int>("file");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("questions shorter than their count") << int(QuestionsFile) << QByteArray::fromHex("02000000");
    QTest::newRow("accounts shorter than their count") << int(AccountsFile) << QByteArray::fromHex("04000100070000");
    QTest::newRow("answers shorter than their count") << int(AnswersFile) << QByteArray::fromHex("0200640000");
    QTest::newRow("empty questions file") << int(QuestionsFile) << QByteArray();
    QTest::newRow("settings under 8 bytes") << int(SettingsFile) << QByteArray::fromHex("59682500");
}

void tst_DataStore::damagedFileSetAside()
{
    QFETCH(int, file);
    QFETCH(QByteArray, bytes);

    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    QVERIFY(store.setSeasonStart(QDate(2024, 9, 1)));
    writeAll(store);
    QVERIFY(putFile(filePath(store, file), bytes));

    DataStore reloaded(m_folder);
    QSignalSpy warnings(&reloaded, &DataStore::warning);
    reloaded.load();

    QCOMPARE(warnings.count(), 1);
    QVERIFY(!QFileInfo::exists(filePath(store, file)));
    const QStringList copies = damagedCopies(m_folder);
    QCOMPARE(copies.size(), 1);
    const QString name = QFileInfo(filePath(store, file)).fileName();
    QVERIFY2(QRegularExpression(QStringLiteral("^%1\\.damaged-\\d{8}-\\d{4}$").arg(QRegularExpression::escape(name)))
                 .match(copies.first()).hasMatch(),
             qPrintable(copies.first()));
    QCOMPARE(fileBytes(m_folder + QLatin1Char('/') + copies.first()), bytes);
    QVERIFY(warnings.first().first().toString().contains(copies.first()));

    // The damaged store starts as a missing one; the others load as written.
    QCOMPARE(reloaded.questions(), file == QuestionsFile ? QuestionStore(3) : store.questions());
    QCOMPARE(reloaded.accounts(), file == AccountsFile ? AccountStore(4) : store.accounts());
    QCOMPARE(reloaded.answers(), file == AnswersFile ? AnswerStore() : store.answers());
    QCOMPARE(reloaded.seasonStart(), file == SettingsFile ? QDate() : store.seasonStart());

    // The next write makes a new file and leaves the copy alone.
    QVERIFY(rewrite(reloaded, file));
    QVERIFY(QFileInfo::exists(filePath(store, file)));
    QCOMPARE(fileBytes(m_folder + QLatin1Char('/') + copies.first()), bytes);
}

void tst_DataStore::damagedTwiceKeepsBothCopies()
{
    QVERIFY(QDir().mkpath(m_folder));
    DataStore store(m_folder);
    QVERIFY(putFile(store.settingsPath(), "1"));
    store.load();
    QVERIFY(putFile(store.settingsPath(), "22"));
    store.load();

    const QStringList copies = damagedCopies(m_folder);
    QCOMPARE(copies.size(), 2);
    QStringList contents;
    for (const QString &copy : copies)
        contents << QString::fromLatin1(fileBytes(m_folder + QLatin1Char('/') + copy));
    contents.sort();
    QCOMPARE(contents, QStringList({QStringLiteral("1"), QStringLiteral("22")}));
}

void tst_DataStore::failedWriteKeepsChangeInMemory()
{
    DataStore store(m_folder);
    store.load();
    QVERIFY(store.appendAnswers({makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2))}));
    QVERIFY(QFile::remove(store.answersPath()));
    QVERIFY(QDir().mkpath(store.answersPath()));
    QSignalSpy warnings(&store, &DataStore::warning);
    QSignalSpy written(&store, &DataStore::answersWritten);

    QCOMPARE(store.removeAnswers([](const Answer &) { return true; }), 1);
    QCOMPARE(warnings.count(), 1);
    QVERIFY(warnings.first().first().toString().contains(QStringLiteral("answer_file.bin")));
    // The refresh hint follows every write, failed or not.
    QCOMPARE(written.count(), 1);
    QVERIFY(QFileInfo(store.answersPath()).isDir());
    QVERIFY(store.answers().isEmpty());

    // Memory kept the change, so the next write stores it.
    QVERIFY(QDir(store.answersPath()).removeRecursively());
    QVERIFY(store.appendAnswers({}));
    QCOMPARE(fileBytes(store.answersPath()), QByteArray::fromHex("0000"));
}

void tst_DataStore::writeOnFullDiskKeepsOldFile_data()
{
    QTest::addColumn<int>("file");
    QTest::newRow("small file, cut at the final flush") << int(AccountsFile);
    QTest::newRow("large file, cut while writing") << int(AnswersFile);
}

void tst_DataStore::writeOnFullDiskKeepsOldFile()
{
#ifdef Q_OS_UNIX
    QFETCH(int, file);

    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    writeAll(store);
    const QByteArray before = fileBytes(filePath(store, file));
    const auto change = [&] {
        if (file == AccountsFile)
            return store.addAccount(ExpertKind, makeAccount(6, QStringLiteral("Новый эксперт"), "secret"));
        return store.appendAnswers(
            QVector<Answer>(1000, makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2))));
    };
    QSignalSpy warnings(&store, &DataStore::warning);

    {
        FileSizeLimit full(16);
        QVERIFY(full.ok());
        QVERIFY(!change());
    }
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(fileBytes(filePath(store, file)), before);
    // No half-written temporary file is left beside it.
    QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 4);

    // Refused answers are sent again; a refused account stayed in memory
    // and goes with the next write.
    QVERIFY(file == AnswersFile ? change() : rewrite(store, file));
    QVERIFY(fileBytes(filePath(store, file)).size() > before.size());
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void tst_DataStore::overlongTextIsNotWritten()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    writeAll(store);
    const QByteArray before = fileBytes(store.questionsPath());
    QuestionStore questions = store.questions();
    questions[0].blocks[0].questions[0].text = QString(DataStore::MaxListCount + 1, QLatin1Char('a'));
    QSignalSpy warnings(&store, &DataStore::warning);

    QVERIFY(!store.setQuestions(questions));
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(fileBytes(store.questionsPath()), before);
}

void tst_DataStore::appendRefused_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("refused");  // answers in the refused batch
    QTest::addColumn<bool>("blocked"); // a folder stands where the answers file belongs

    QTest::newRow("one more than the file can count") << DataStore::MaxListCount - 1 << 2 << false;
    QTest::newRow("answers file cannot be written") << 1 << 1 << true;
}

// An intake that cannot reach the file leaves memory as it was, so that
// the store never holds answers a restart would lose.
void tst_DataStore::appendRefused()
{
    QFETCH(int, stored);
    QFETCH(int, refused);
    QFETCH(bool, blocked);

    DataStore store(m_folder);
    store.load();
    QVERIFY(store.appendAnswers(
        QVector<Answer>(stored, makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2)))));
    const AnswerStore before = store.answers();
    const QByteArray file = fileBytes(store.answersPath());
    if (blocked)
        QVERIFY(QFile::remove(store.answersPath()) && QDir().mkpath(store.answersPath()));
    QSignalSpy warnings(&store, &DataStore::warning);
    QSignalSpy written(&store, &DataStore::answersWritten);
    const Answer extra = makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, QDate(2024, 9, 3));

    QVERIFY(!store.appendAnswers(QVector<Answer>(refused, extra)));
    QCOMPARE(warnings.count(), 1);
    // The warning says the answers are not kept, not that they wait in memory.
    const QString warning = warnings.first().first().toString();
    QVERIFY2(warning.contains(blocked ? QStringLiteral("ответы не сохранены") : QStringLiteral("ответов не может")),
             qPrintable(warning));
    QCOMPARE(written.count(), 0);
    QCOMPARE(store.answers(), before);
    if (blocked) {
        QVERIFY(QFileInfo(store.answersPath()).isDir());
        QVERIFY(QDir(store.answersPath()).removeRecursively());
    } else {
        QCOMPARE(fileBytes(store.answersPath()), file);
    }

    QVERIFY(store.appendAnswers({extra}));
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(written.count(), 1);
    QCOMPARE(store.answers().size(), stored + 1);
    QCOMPARE(store.answers().last(), extra);
    QCOMPARE(decodeAnswerList(fileBytes(store.answersPath())).value(), store.answers());
}

// Batches queued together are one write; a write that fails keeps none of
// its group, and the next is written over what the file held. Batches
// queued when the store goes (the window closed) are written first.
void tst_DataStore::groupCommit()
{
#ifdef Q_OS_UNIX
    const auto batch = [](qint16 value) {
        return QVector<Answer>(3, makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2024, 9, 2), value));
    };
    const auto outcome = [](const QList<QVariant> &signal) {
        return qMakePair(signal.at(0).value<QVector<quint64>>(), signal.at(1).toBool());
    };
    QByteArray kept;
    {
        DataStore store(m_folder);
        store.load();
        QSignalSpy settled(&store, &DataStore::intakeSettled);
        const QVector<quint64> group{store.queueAnswers(batch(1)), store.queueAnswers(batch(2))};
        QTRY_COMPARE(settled.count(), 1);
        QCOMPARE(outcome(settled.first()), qMakePair(group, true));
        kept = fileBytes(store.answersPath());
        {
            // The file stops growing in the middle of the group's answers.
            FileSizeLimit full(kept.size() + 20);
            QVERIFY(full.ok());
            const QVector<quint64> refused{store.queueAnswers(batch(3)), store.queueAnswers(batch(4))};
            QVERIFY(!store.finishIntake(refused.last()));
            QCOMPARE(outcome(settled.last()), qMakePair(refused, false));
        }
        QCOMPARE(store.answers(), batch(1) + batch(2));
        QCOMPARE(fileBytes(store.answersPath()), kept);
        QVERIFY(store.queueAnswers(batch(5)));
    }
    QCOMPARE(fileBytes(m_folder + QStringLiteral("/answer_file.bin")),
             encodeAnswerList(batch(1) + batch(2) + batch(5)).value());
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void tst_DataStore::checkRoom()
{
    DataStore store(m_folder);
    QSignalSpy warnings(&store, &DataStore::warning);
    QVERIFY(store.checkRoom(DataStore::MaxListCount - 1, 1, QStringLiteral("блоков в группе")));
    QCOMPARE(warnings.count(), 0);
    QVERIFY(!store.checkRoom(DataStore::MaxListCount, 1, QStringLiteral("блоков в группе")));
    QCOMPARE(warnings.count(), 1);
    QVERIFY(warnings.first().first().toString().contains(QStringLiteral("блоков в группе")));
}

void tst_DataStore::checkLength()
{
    DataStore store(m_folder);
    QSignalSpy warnings(&store, &DataStore::warning);
    QVERIFY(store.checkLength(DataStore::MaxListCount, QStringLiteral("знаков в тексте вопроса")));
    QCOMPARE(warnings.count(), 0);
    QVERIFY(!store.checkLength(DataStore::MaxListCount + 1, QStringLiteral("знаков в тексте вопроса")));
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(warnings.first().first().toString(),
             QStringLiteral("Изменение не принято: знаков в тексте вопроса не может быть больше 65 535."));
}

void tst_DataStore::fewGroupsPadded_data()
{
    QTest::addColumn<int>("groups");
    QTest::addColumn<int>("loaded");
    QTest::newRow("no group") << 0 << 3;
    QTest::newRow("one group") << 1 << 3;
    QTest::newRow("two groups") << 2 << 3;
    QTest::newRow("three groups") << 3 << 3;
    QTest::newRow("five groups are all kept") << 5 << 5;
}

// The editors address groups 0 and 1 (and the third, blank one), so a file
// of fewer groups is padded with blank ones; none is ever dropped.
void tst_DataStore::fewGroupsPadded()
{
    QFETCH(int, groups);
    QFETCH(int, loaded);

    QuestionStore stored;
    for (int g = 0; g < groups; ++g) {
        stored.append(QuestionGroup{QStringLiteral("Группа %1").arg(g), g,
                                    {makeBlock(10 + g, QStringLiteral("Блок %1").arg(g), quint8(g),
                                               {makeQuestion(100 + g, QStringLiteral("Вопрос"), 0, 5)})}});
    }
    QVERIFY(QDir().mkpath(m_folder));
    DataStore store(m_folder);
    QVERIFY(putFile(store.questionsPath(), encodeGroupList(stored).value()));
    QSignalSpy warnings(&store, &DataStore::warning);
    store.load();

    QCOMPARE(store.questions().size(), loaded);
    QCOMPARE(store.questions().mid(0, groups), stored);
    for (int g = groups; g < loaded; ++g)
        QCOMPARE(store.questions().at(g), QuestionGroup());
    QCOMPARE(warnings.count(), 0);
    // Padding is not a change: the file stays as it was until the next write.
    QCOMPARE(fileBytes(store.questionsPath()), encodeGroupList(stored).value());
}

void tst_DataStore::removeAccountTellsItsId()
{
    DataStore store(m_folder);
    QVERIFY(loadSchool(store));
    QSignalSpy removed(&store, &DataStore::accountRemoved);

    QVERIFY(store.removeAccount(ExpertKind, 1));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().first().value<qint32>(), qint32(SleepingExpert));
    QCOMPARE(store.accounts().at(ExpertKind).size(), 1);
    QCOMPARE(store.accounts().at(ExpertKind).first().id, qint32(Expert));
    QCOMPARE(fileBytes(store.accountsPath()), encodeAccountTable(store.accounts()).value());

    QVERIFY(!store.removeAccount(ExpertKind, 1));
    QVERIFY(!store.removeAccount(-1, 0));
    QVERIFY(!store.removeAccount(AccountKindCount, 0));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(store.accounts().at(ExpertKind).size(), 1);
}

void tst_DataStore::filesForOwnerOnly()
{
#ifndef Q_OS_UNIX
    QSKIP("File modes are set on Unix only.");
#else
    // Whatever the umask lets through, the files are the owner's only.
    const mode_t saved = ::umask(0);
    DataStore store(m_folder);
    store.load();
    writeAll(store);
    ::umask(saved);
    for (int f = QuestionsFile; f <= SettingsFile; ++f) {
        const QFileDevice::Permissions mode = QFileInfo(filePath(store, f)).permissions();
        QCOMPARE(mode & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
#endif
}

void tst_DataStore::refusedFolderUntouched()
{
#ifndef Q_OS_UNIX
    QSKIP("The data folder is checked on Unix only.");
#else
    {
        DataStore school(m_folder);
        QVERIFY(loadSchool(school));
    }
    QVERIFY(QFile::setPermissions(m_folder, QFileInfo(m_folder).permissions() | QFileDevice::WriteOther));
    const QByteArray accounts = fileBytes(m_folder + QStringLiteral("/users_file.bin"));

    DataStore store(m_folder);
    QSignalSpy warnings(&store, &DataStore::warning);
    store.load();
    QVERIFY(!store.isFolderUsable());
    QCOMPARE(warnings.count(), 1);
    QVERIFY(store.accounts().at(TeacherDoKind).isEmpty());

    QVERIFY(!store.addAccount(TeacherDoKind, makeAccount(7, QStringLiteral("Орлова"), "p7")));
    QCOMPARE(store.accounts().at(TeacherDoKind).size(), 1);
    QCOMPARE(fileBytes(m_folder + QStringLiteral("/users_file.bin")), accounts);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 2);
#endif
}

QTEST_GUILESS_MAIN(tst_DataStore)
#include "tst_datastore.moc"
