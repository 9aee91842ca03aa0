#include "accountlogic.h"
#include "requesthandler.h"
#include "tst_serverfixtures.h"
#include "windowslocale.h"

#include <QtTest>

using namespace serverfixtures;

class tst_AccountLogic : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void generatedPasswordsAreSixHexDigits();
    void generatedPasswordsVary();
    void kindCodes_data();
    void kindCodes();
    void addTakesSmallestFreeId();
    void addKeepsOnlyEnteredFields();
    void editKeepsOtherFields();
    void remove_data();
    void remove();
    void outOfRangeRowsChangeNothing_data();
    void outOfRangeRowsChangeNothing();
    void setActive();
    void apply_data();
    void apply();
    void removeTellsConnections();
    void fullKindRefusesAccount();
    void overlongTextsRefused_data();
    void overlongTextsRefused();
    void cyrillicPasswordLogsIn();

private:
    DataStore &store() { return m_school->store; }

    QScopedPointer<TemporarySchool> m_school;
};

void tst_AccountLogic::init()
{
    m_school.reset(new TemporarySchool(QDate(2026, 3, 10)));
    QVERIFY(m_school->ok);
}

void tst_AccountLogic::generatedPasswordsAreSixHexDigits()
{
    const QRegularExpression format(QStringLiteral("^[0-9a-f]{6}$"));
    for (int i = 0; i < 200; ++i) {
        const QByteArray password = AccountLogic::generatePassword();
        QVERIFY2(format.match(QString::fromLatin1(password)).hasMatch(), password.constData());
    }
}

void tst_AccountLogic::generatedPasswordsVary()
{
    QSet<QByteArray> seen;
    for (int i = 0; i < 50; ++i)
        seen.insert(AccountLogic::generatePassword());
    // 50 draws from 16.7 million values: a repeat is a one in 13 000 event.
    QVERIFY(seen.size() >= 49);
}

void tst_AccountLogic::kindCodes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint32>("code");
    QTest::newRow("teacher of additional education") << int(TeacherDoKind) << 1;
    QTest::newRow("expert") << int(ExpertKind) << 2;
    QTest::newRow("school teacher") << int(SchoolTeacherKind) << 5;
    QTest::newRow("parent has no tab") << int(ParentKind) << 0;
}

void tst_AccountLogic::kindCodes()
{
    QFETCH(int, kind);
    QFETCH(qint32, code);
    QCOMPARE(AccountLogic::kindCodeFor(kind), code);
}

void tst_AccountLogic::addTakesSmallestFreeId()
{
    // Ids 1..5 are in use.
    AccountLogic logic(store());
    Account entered;
    entered.name = QStringLiteral("Новиков");
    QCOMPARE(logic.add(ExpertKind, entered), 2);
    QCOMPARE(logic.accounts(ExpertKind).at(2).id, 0);
    QCOMPARE(logic.add(ExpertKind, entered), 3);
    QCOMPARE(logic.accounts(ExpertKind).at(3).id, 6);

    QVERIFY(logic.remove(TeacherDoKind, 0)); // id 1
    logic.add(SchoolTeacherKind, entered);
    QCOMPARE(logic.accounts(SchoolTeacherKind).last().id, 1);
    QCOMPARE(fileBytes(store().accountsPath()), expectedAccountsFile(store()));
}

void tst_AccountLogic::addKeepsOnlyEnteredFields()
{
    Account entered;
    entered.id = 77;
    entered.name = QStringLiteral("Орлова");
    entered.password = "a1b2c3";
    entered.kindCode = 9;
    entered.active = true;
    entered.information = QStringLiteral("Хореография");
    entered.note = QStringLiteral("заметка");

    const int row = AccountLogic(store()).add(SchoolTeacherKind, entered);

    Account expected;
    expected.id = 0;
    expected.name = entered.name;
    expected.password = entered.password;
    expected.kindCode = 5;
    expected.information = entered.information;
    QCOMPARE(store().accounts().at(SchoolTeacherKind).at(row), expected);
}

void tst_AccountLogic::editKeepsOtherFields()
{
    Account before = store().accounts().at(ExpertKind).at(0);
    before.note = QStringLiteral("старое");
    before.reserved = 11;
    QVERIFY(store().updateAccount(ExpertKind, 0, before));
    Account entered;
    entered.name = QStringLiteral("Смирнова");
    entered.password = "ffee00";
    entered.information = QStringLiteral("Методист");
    entered.active = false;

    QVERIFY(AccountLogic(store()).edit(ExpertKind, 0, entered));

    Account expected = before;
    expected.name = entered.name;
    expected.password = entered.password;
    expected.information = entered.information;
    QCOMPARE(store().accounts().at(ExpertKind).at(0), expected);
    QCOMPARE(fileBytes(store().accountsPath()), expectedAccountsFile(store()));
}

void tst_AccountLogic::remove_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row");
    QTest::addColumn<QVector<int>>("remainingAnswers"); // indexes into schoolAnswers()

    QTest::newRow("teacher: answers about her, her self-rating too")
        << int(TeacherDoKind) << 0 << QVector<int> {2, 3};
    QTest::newRow("school teacher: answers about him")
        << int(SchoolTeacherKind) << 0 << QVector<int> {0, 1, 2, 4, 5};
    QTest::newRow("expert: answers he gave") << int(ExpertKind) << 0 << QVector<int> {1, 2, 5};
    QTest::newRow("second expert: the answer he gave goes")
        << int(ExpertKind) << 1 << QVector<int> {0, 1, 2, 3, 4};
}

void tst_AccountLogic::remove()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    QFETCH(QVector<int>, remainingAnswers);
    const qint32 id = store().accounts().at(kind).at(row).id;
    const int accountsBefore = store().accounts().at(kind).size();

    QVERIFY(AccountLogic(store()).remove(kind, row));

    const QVector<Answer> all = schoolAnswers(QDate(2026, 3, 10));
    QVector<Answer> expected;
    for (int i : remainingAnswers)
        expected.append(all.at(i));
    QCOMPARE(store().answers(), expected);
    QCOMPARE(store().accounts().at(kind).size(), accountsBefore - 1);
    QVERIFY(!findAccount(store().accounts(), id).isValid());
    QCOMPARE(fileBytes(store().answersPath()), expectedAnswersFile(store()));
    QCOMPARE(fileBytes(store().accountsPath()), expectedAccountsFile(store()));
}

void tst_AccountLogic::outOfRangeRowsChangeNothing_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("no current row") << -1;
    QTest::newRow("past the end") << 1;
}

void tst_AccountLogic::outOfRangeRowsChangeNothing()
{
    QFETCH(int, row);
    const AccountStore accounts = store().accounts();
    const AnswerStore answers = store().answers();
    AccountLogic logic(store());
    QVERIFY(!logic.edit(TeacherDoKind, row, Account()));
    QVERIFY(!logic.remove(TeacherDoKind, row));
    QVERIFY(!logic.setActive(TeacherDoKind, row, false));
    QCOMPARE(store().accounts(), accounts);
    QCOMPARE(store().answers(), answers);
}

void tst_AccountLogic::setActive()
{
    AccountLogic logic(store());
    QVERIFY(logic.setActive(ExpertKind, 1, true));
    QVERIFY(store().accounts().at(ExpertKind).at(1).active);
    QCOMPARE(fileBytes(store().accountsPath()), expectedAccountsFile(store()));
    QVERIFY(logic.setActive(ExpertKind, 1, false));
    QVERIFY(!store().accounts().at(ExpertKind).at(1).active);
    QCOMPARE(fileBytes(store().accountsPath()), expectedAccountsFile(store()));
}

void tst_AccountLogic::apply_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("expectedPassword");

    QTest::newRow("new password") << QStringLiteral("Смирнов") << QStringLiteral("0a0b0c") << true
                                  << QByteArray("0a0b0c");
    QTest::newRow("empty password keeps the old one")
        << QStringLiteral("Смирнов") << QString() << true << QByteArray("p2");
    QTest::newRow("unknown name") << QStringLiteral("Никто") << QStringLiteral("0a0b0c") << false
                                  << QByteArray("p2");
}

void tst_AccountLogic::apply()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, found);
    QFETCH(QByteArray, expectedPassword);
    // A second expert of the same name: only the first one is changed.
    Account twin = makeAccount(8, QStringLiteral("Смирнов"), "twin");
    QVERIFY(store().addAccount(ExpertKind, twin));

    QCOMPARE(AccountLogic(store()).apply(ExpertKind, name, password, found, QStringLiteral("Инфо")),
             found);

    const Account &first = store().accounts().at(ExpertKind).at(0);
    QCOMPARE(first.password, expectedPassword);
    QCOMPARE(first.information, found ? QStringLiteral("Инфо") : QString());
    QCOMPARE(store().accounts().at(ExpertKind).at(2), twin);
}

void tst_AccountLogic::removeTellsConnections()
{
    QSignalSpy removed(&store(), &DataStore::accountRemoved);
    QVERIFY(AccountLogic(store()).remove(SchoolTeacherKind, 0));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().first().value<qint32>(), qint32(SchoolTeacher));
    QVERIFY(!AccountLogic(store()).remove(SchoolTeacherKind, 0));
    QCOMPARE(removed.count(), 1);
}

void tst_AccountLogic::fullKindRefusesAccount()
{
    AccountStore accounts = store().accounts();
    accounts[ParentKind].fill(makeAccount(3, QStringLiteral("Родитель"), "p3"), DataStore::MaxListCount);
    QVERIFY(loadStores(store(), store().questions(), accounts));
    QSignalSpy warnings(&store(), &DataStore::warning);
    const QByteArray file = fileBytes(store().accountsPath());
    Account entered;
    entered.name = QStringLiteral("Ещё один");
    entered.password = "abc123";

    QCOMPARE(AccountLogic(store()).add(ParentKind, entered), -1);

    QCOMPARE(store().accounts().at(ParentKind).size(), DataStore::MaxListCount);
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(fileBytes(store().accountsPath()), file);
    // Each kind has a list of its own.
    QCOMPARE(AccountLogic(store()).add(ExpertKind, entered), 2);
}

void tst_AccountLogic::overlongTextsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("information");
    QTest::addColumn<bool>("accepted"); // by add and edit
    QTest::addColumn<bool>("applied"); // apply takes no name

    const QString longest(DataStore::MaxListCount, QChar(0x0416));
    const QString tooLong(DataStore::MaxListCount + 1, QLatin1Char('a'));
    const QString name = QStringLiteral("Орлова");
    const QString password = QStringLiteral("c0ffee");
    QTest::newRow("longest information") << name << password << longest << true << true;
    QTest::newRow("information one unit too long") << name << password << tooLong << false << false;
    QTest::newRow("name too long") << tooLong << password << QString() << false << true;
    QTest::newRow("password too long") << name << tooLong << QString() << false << false;
    // Two bytes of UTF-8 per letter: 32 768 letters are 65 536 bytes.
    QTest::newRow("password too long in bytes")
        << name << QString(DataStore::MaxListCount / 2 + 1, QChar(0x0416)) << QString() << false
        << false;
}

// Texts the file format cannot count are refused with a warning by every
// path that stores them: add, edit and apply.
void tst_AccountLogic::overlongTextsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, information);
    QFETCH(bool, accepted);
    QFETCH(bool, applied);
    const AccountStore before = store().accounts();
    const QByteArray file = fileBytes(store().accountsPath());
    QSignalSpy warnings(&store(), &DataStore::warning);
    Account entered;
    entered.name = name;
    entered.password = AccountLogic::passwordBytes(password);
    entered.information = information;
    AccountLogic logic(store());

    QCOMPARE(logic.add(ExpertKind, entered) >= 0, accepted);
    QCOMPARE(logic.edit(TeacherDoKind, 0, entered), accepted);
    QCOMPARE(logic.apply(SchoolTeacherKind, QStringLiteral("Петров"), password, true, information),
             applied);

    QCOMPARE(warnings.count(), (accepted ? 0 : 2) + (applied ? 0 : 1));
    const AccountStore &after = store().accounts();
    QCOMPARE(after.at(ExpertKind).size(), before.at(ExpertKind).size() + (accepted ? 1 : 0));
    QCOMPARE(after.at(TeacherDoKind).at(0).name, accepted ? name : before.at(TeacherDoKind).at(0).name);
    QCOMPARE(after.at(SchoolTeacherKind).at(0).information,
             applied ? information : before.at(SchoolTeacherKind).at(0).information);
    if (!accepted && !applied) {
        QCOMPARE(after, before);
        QCOMPARE(fileBytes(store().accountsPath()), file);
    }
}

// Windows' local 8-bit code page is Windows-1251, where a Cyrillic password
// has other bytes than the UTF-8 the client sends.
void tst_AccountLogic::cyrillicPasswordLogsIn()
{
    const QString password = QStringLiteral("пароль");
    {
        const WindowsLocale windows;
        QVERIFY(AccountLogic(store()).apply(ExpertKind, QStringLiteral("Смирнов"), password, true, {}));
    }

    QCOMPARE(store().accounts().at(ExpertKind).at(0).password, password.toUtf8());
    RequestHandler handler(store());
    ClientEntry entry;
    handler.handle(entry, loginRequest(QStringLiteral("Смирнов"), password.toUtf8()));
    QCOMPARE(entry.state, qint32(ClientEntry::LoggedIn));
    QCOMPARE(entry.accountId, qint32(Expert));
    QCOMPARE(AccountLogic::passwordText(store().accounts().at(ExpertKind).at(0).password), password);
}

QTEST_GUILESS_MAIN(tst_AccountLogic)
#include "tst_accountlogic.moc"
