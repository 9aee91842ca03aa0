#include "accountlogic.h"
#include "tst_serverfixtures.h"

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
    store().accounts()[ExpertKind][0] = before;
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
    Account twin = account(8, QStringLiteral("Смирнов"), "twin");
    store().accounts()[ExpertKind].append(twin);

    QCOMPARE(AccountLogic(store()).apply(ExpertKind, name, password, found, QStringLiteral("Инфо")),
             found);

    const Account &first = store().accounts().at(ExpertKind).at(0);
    QCOMPARE(first.password, expectedPassword);
    QCOMPARE(first.information, found ? QStringLiteral("Инфо") : QString());
    QCOMPARE(store().accounts().at(ExpertKind).at(2), twin);
}

QTEST_GUILESS_MAIN(tst_AccountLogic)
#include "tst_accountlogic.moc"
