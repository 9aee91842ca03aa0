#include "answerhistoryview.h"
#include "dialoguser.h"
#include "requesthandler.h"
#include "server.h"
#include "tst_serverwindowfixtures.h"
#include "windowslocale.h"

#include <QtTest>
#include <QtWidgets>

using namespace serverfixtures;

namespace {

// The object names of one account tab and what it stands for.
struct TabNames
{
    const char *list;
    const char *add;
    const char *edit;
    const char *remove;
    const char *active;
    const char *information;
    const char *user;
    int kind;
    qint32 kindCode;
    const char *addText;
    const char *removeText;
    const char *activeText;
};

const TabNames Tabs[] = {
    {"lw_teachere", "pb_teacher_add", "pb_teacher_edit", "pb_delete_teacher",
     "cb_teacher_activition", "te_teacher_information", "cb_teacher_user", TeacherDoKind, 1,
     "Добавить педагога", "Удалить педагога", "Активировать педагога"},
    {"lw_teachere_2", "pb_teacher_add_2", "pb_teacher_edit_2", "pb_delete_teacher_2",
     "cb_teacher_activition_2", "te_teacher_information_2", "cb_teacher_user_2", SchoolTeacherKind,
     5, "Добавить учителя", "Удалить учителя", "Активировать учителя"},
    {"lw_expert", "pb_expert_add", "pb_expert_edit", "pb_expert_delete", "cb_expert_activition",
     "te_expert_information", "cb_expert_user", ExpertKind, 2, "Добавить эксперта",
     "Удалить эксперта", "Активировать эксперта"},
};

void addTabRows()
{
    QTest::addColumn<int>("tab");
    QTest::newRow("teachers of additional education") << 0;
    QTest::newRow("school teachers") << 1;
    QTest::newRow("experts") << 2;
}

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QStringList accountNames(const QVector<Account> &accounts)
{
    QStringList names;
    for (const Account &a : accounts)
        names.append(a.name);
    return names;
}

} // namespace

// The three account tabs and DialogUser, driven through their widgets.
class tst_ServerWindowAccounts : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void texts_data() { addTabRows(); }
    void texts();
    void dialogForm();
    void dialogGeneratesPasswords();
    void dialogKeepsAnUnchangedPassword();
    void dialogNeedsANameAndAPassword();
    void dialogFieldsFitTheFormat();
    void cyrillicPasswordLogsIn();
    void overlongInformationRefused();
    void add_data() { addTabRows(); }
    void add();
    void addCancelled_data() { addTabRows(); }
    void addCancelled();
    void edit_data() { addTabRows(); }
    void edit();
    void activate_data() { addTabRows(); }
    void activate();
    void remove_data();
    void remove();
    void removeLastAccount_data() { addTabRows(); }
    void removeLastAccount();
    void selectionShowsAccount_data() { addTabRows(); }
    void selectionShowsAccount();
    void noCurrentRowDoesNothing();

private:
    // A data folder of the test's own, never the server's real one.
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_ServerWindowAccounts::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("School"));
}

void tst_ServerWindowAccounts::texts()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    Server w(m_folder, 0);
    QCOMPARE(child<QPushButton>(&w, t.add)->text(), QString::fromUtf8(t.addText));
    QCOMPARE(child<QPushButton>(&w, t.remove)->text(), QString::fromUtf8(t.removeText));
    QCOMPARE(child<QPushButton>(&w, t.edit)->text(), QStringLiteral("Редактировать"));
    QCOMPARE(child<QCheckBox>(&w, t.active)->text(), QString::fromUtf8(t.activeText));
    QVERIFY(child<QComboBox>(&w, t.user)->isHidden());
}

void tst_ServerWindowAccounts::dialogForm()
{
    DialogUser dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Редактирование"));
    QCOMPARE(dialog.size(), QSize(378, 327));
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(child<QPushButton>(&dialog, "pb_add")->text(), QStringLiteral("Добавить/Сохранить"));
    QCOMPARE(child<QPushButton>(&dialog, "pb_cancel")->text(), QStringLiteral("Отменить"));
    QCOMPARE(child<QPushButton>(&dialog, "pb_generate")->text(),
             QStringLiteral("Генерация пароля"));

    Account shown = makeAccount(4, QStringLiteral("Петров"), "p4");
    shown.information = QStringLiteral("Физика");
    dialog.setAccount(shown);
    QCOMPARE(child<QLineEdit>(&dialog, "le_new")->text(), QStringLiteral("Петров"));
    QCOMPARE(child<QLineEdit>(&dialog, "le_password")->text(), QStringLiteral("p4"));
    Account expected;
    expected.name = shown.name;
    expected.password = shown.password;
    expected.information = shown.information;
    QCOMPARE(dialog.account(), expected);
}

void tst_ServerWindowAccounts::dialogGeneratesPasswords()
{
    DialogUser dialog;
    auto *password = child<QLineEdit>(&dialog, "le_password");
    const QRegularExpression format(QStringLiteral("^[0-9a-f]{6}$"));
    QSet<QString> seen;
    for (int i = 0; i < 20; ++i) {
        child<QPushButton>(&dialog, "pb_generate")->click();
        QVERIFY2(format.match(password->text()).hasMatch(), qPrintable(password->text()));
        seen.insert(password->text());
    }
    QVERIFY(seen.size() > 1);
    QCOMPARE(dialog.account().password, password->text().toLatin1());
}

// A password stored by an older version in the local 8-bit code page is not
// UTF-8; editing only the information must not replace its bytes.
void tst_ServerWindowAccounts::dialogKeepsAnUnchangedPassword()
{
    const QByteArray cp1251 = QByteArray::fromHex("efe0f0eeebfc"); // "пароль"
    DialogUser dialog;
    dialog.setAccount(makeAccount(4, QStringLiteral("Петров"), cp1251));
    child<QTextEdit>(&dialog, "te_teacher_information")->setPlainText(QStringLiteral("Физика"));
    QCOMPARE(dialog.account().password, cp1251);

    child<QLineEdit>(&dialog, "le_password")->setText(QStringLiteral("пароль"));
    QCOMPARE(dialog.account().password, QStringLiteral("пароль").toUtf8());
}

void tst_ServerWindowAccounts::dialogNeedsANameAndAPassword()
{
    DialogUser dialog;
    auto *accept = child<QPushButton>(&dialog, "pb_add");
    auto *name = child<QLineEdit>(&dialog, "le_new");
    auto *password = child<QLineEdit>(&dialog, "le_password");
    // A new account is offered a password at once.
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{6}$")).match(password->text()).hasMatch(),
             qPrintable(password->text()));
    QVERIFY(!accept->isEnabled());
    name->setText(QStringLiteral(" "));
    QVERIFY(!accept->isEnabled());
    name->setText(QStringLiteral("Орлова"));
    QVERIFY(accept->isEnabled());

    // Without a password the name alone would log in.
    password->clear();
    QVERIFY(!accept->isEnabled());
    child<QPushButton>(&dialog, "pb_generate")->click();
    QVERIFY(accept->isEnabled());
    password->setText(QStringLiteral("свой"));
    QVERIFY(accept->isEnabled());
    name->clear();
    QVERIFY(!accept->isEnabled());

    // An account without a password (from an old file) cannot be saved
    // until it gets one.
    DialogUser edit;
    edit.setAccount(makeAccount(4, QStringLiteral("Петров"), QByteArray()));
    QVERIFY(!child<QPushButton>(&edit, "pb_add")->isEnabled());
    edit.setAccount(makeAccount(4, QStringLiteral("Петров"), "p4"));
    QVERIFY(child<QPushButton>(&edit, "pb_add")->isEnabled());
}

// A name is a text of at most 65 535 UTF-16 units, a password as many bytes
// of UTF-8, which takes up to three bytes for one unit.
void tst_ServerWindowAccounts::dialogFieldsFitTheFormat()
{
    DialogUser dialog;
    const int nameLength = child<QLineEdit>(&dialog, "le_new")->maxLength();
    const int passwordLength = child<QLineEdit>(&dialog, "le_password")->maxLength();
    QVERIFY2(nameLength <= DataStore::MaxListCount, qPrintable(QString::number(nameLength)));
    QVERIFY2(3 * passwordLength <= DataStore::MaxListCount, qPrintable(QString::number(passwordLength)));

    child<QLineEdit>(&dialog, "le_password")->setText(QString(passwordLength + 10, QChar(0x4E2D)));
    QVERIFY(dialog.account().password.size() <= DataStore::MaxListCount);
}

// On Windows the local 8-bit code page is Windows-1251; the client sends
// the password as UTF-8 there too.
void tst_ServerWindowAccounts::cyrillicPasswordLogsIn()
{
    const WindowsLocale windows;
    const QString password = QStringLiteral("Пароль-ёж");
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const ModalAnswer dialog(fillAccountDialog(QStringLiteral("Орлова"), password, QString()));
    child<QPushButton>(&w, "pb_expert_add")->click();
    QVERIFY(dialog.done());

    child<QListWidget>(&w, "lw_expert")->setCurrentRow(2);
    child<QCheckBox>(&w, "cb_expert_activition")->click();
    QStringList shown;
    const ModalAnswer edited(fillAccountDialog(QStringLiteral("Орлова"), QString(), QString(), false,
                                               &shown));
    child<QPushButton>(&w, "pb_expert_edit")->click();
    QVERIFY(edited.done());

    const Account &added = w.dataStore().accounts().at(ExpertKind).last();
    QCOMPARE(added.password, password.toUtf8());
    QCOMPARE(shown.at(2), password);
    RequestHandler handler(w.dataStore());
    ClientEntry entry;
    handler.handle(entry, loginRequest(QStringLiteral("Орлова"), password.toUtf8()));
    QCOMPARE(entry.state, qint32(ClientEntry::LoggedIn));
    QCOMPARE(entry.accountId, added.id);
    QCOMPARE(entry.roleCode, 2);
}

void tst_ServerWindowAccounts::overlongInformationRefused()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const AccountStore before = w.dataStore().accounts();
    const QByteArray accountsFile = fileBytes(w.dataStore().accountsPath());
    const QString information = overlongText();

    const ModalAnswer added(fillAccountDialog(QStringLiteral("Орлова"), QStringLiteral("abc123"), information));
    child<QPushButton>(&w, "pb_expert_add")->click();
    QVERIFY(added.done());
    const ModalAnswer edited(fillAccountDialog(QStringLiteral("Смирнов"), QString(), information));
    child<QPushButton>(&w, "pb_expert_edit")->click();
    QVERIFY(edited.done());

    QCOMPARE(w.dataStore().accounts(), before);
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), accountsFile);
    QCOMPARE(listTexts(child<QListWidget>(&w, "lw_expert")), accountNames(before.at(ExpertKind)));
    QCOMPARE(child<QComboBox>(&w, "cb_expert_user")->count(), before.at(ExpertKind).size());
    QVERIFY(child<QWidget>(&w, "w_warnings")->isVisible());
    QVERIFY(child<QLabel>(&w, "l_warnings")->text().contains(QStringLiteral("65 535")));
}

void tst_ServerWindowAccounts::add()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const QByteArray answersFile = fileBytes(w.dataStore().answersPath());
    auto *list = child<QListWidget>(&w, t.list);
    const int before = list->count();

    QStringList shown;
    const ModalAnswer dialog(fillAccountDialog(QStringLiteral("Орлова"), QStringLiteral("c0ffee"),
                                               QStringLiteral("Театральная студия"), true, &shown));
    child<QPushButton>(&w, t.add)->click();

    QVERIFY(dialog.done());
    QCOMPARE(shown.mid(0, 2), QStringList({QStringLiteral("Редактирование"), QString()}));
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{6}$")).match(shown.at(2)).hasMatch(),
             qPrintable(shown.at(2)));
    const QVector<Account> &accounts = w.dataStore().accounts().at(t.kind);
    QCOMPARE(accounts.size(), before + 1);
    Account expected;
    expected.id = 0; // ids 1..5 are taken
    expected.name = QStringLiteral("Орлова");
    expected.password = "c0ffee";
    expected.kindCode = t.kindCode;
    expected.information = QStringLiteral("Театральная студия");
    QCOMPARE(accounts.last(), expected);
    QCOMPARE(listTexts(list), accountNames(accounts));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(child<QComboBox>(&w, t.user)->itemText(before), QStringLiteral("Орлова"));
    QVERIFY(child<QCheckBox>(&w, t.active)->isEnabled());
    QVERIFY(child<QPushButton>(&w, t.remove)->isEnabled());
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), expectedAccountsFile(w.dataStore()));
    QCOMPARE(fileBytes(w.dataStore().answersPath()), answersFile);
}

void tst_ServerWindowAccounts::addCancelled()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const AccountStore before = w.dataStore().accounts();
    const QByteArray accountsFile = fileBytes(w.dataStore().accountsPath());

    const ModalAnswer dialog(
        fillAccountDialog(QStringLiteral("Орлова"), QString(), QString(), false));
    child<QPushButton>(&w, t.add)->click();

    QVERIFY(dialog.done());
    QCOMPARE(w.dataStore().accounts(), before);
    QCOMPARE(child<QListWidget>(&w, t.list)->count(), before.at(t.kind).size());
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), accountsFile);
}

void tst_ServerWindowAccounts::edit()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const Account before = w.dataStore().accounts().at(t.kind).at(0);

    QStringList shown;
    const ModalAnswer dialog(fillAccountDialog(QStringLiteral("Новое имя"), QString(),
                                               QStringLiteral("Новый профиль"), true, &shown));
    child<QPushButton>(&w, t.edit)->click();

    QVERIFY(dialog.done());
    QCOMPARE(shown,
             QStringList({QStringLiteral("Редактирование"), before.name,
                          QString::fromLatin1(before.password)}));
    Account expected = before;
    expected.name = QStringLiteral("Новое имя");
    expected.information = QStringLiteral("Новый профиль");
    QCOMPARE(w.dataStore().accounts().at(t.kind).at(0), expected);
    QCOMPARE(child<QListWidget>(&w, t.list)->item(0)->text(), expected.name);
    QCOMPARE(child<QComboBox>(&w, t.user)->itemText(0), expected.name);
    QCOMPARE(child<QTextEdit>(&w, t.information)->toPlainText(), expected.information);
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), expectedAccountsFile(w.dataStore()));
    // The history shows the new name.
    const auto *history = child<AnswerHistoryView>(&w, nullptr);
    bool named = false;
    for (int row = 0; row < history->count(); ++row) {
        const Answer a = history->answerAt(row);
        named = named || a.authorName == expected.name || a.subjectName == expected.name;
    }
    QVERIFY(named);
}

void tst_ServerWindowAccounts::activate()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    auto *check = child<QCheckBox>(&w, t.active);
    QCOMPARE(check->checkState(), Qt::Checked);

    check->click();
    QVERIFY(!w.dataStore().accounts().at(t.kind).at(0).active);
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), expectedAccountsFile(w.dataStore()));

    check->click();
    QVERIFY(w.dataStore().accounts().at(t.kind).at(0).active);
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), expectedAccountsFile(w.dataStore()));
}

void tst_ServerWindowAccounts::remove_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("button"); // empty: Escape
    QTest::addColumn<QVector<int>>("remainingAnswers"); // indexes into schoolAnswers()

    QTest::newRow("teacher: answers about her go")
        << 0 << QStringLiteral("Удалить") << QVector<int> {2, 3};
    QTest::newRow("school teacher: answers about him go")
        << 1 << QStringLiteral("Удалить") << QVector<int> {0, 1, 2, 4, 5};
    QTest::newRow("expert: answers he gave go")
        << 2 << QStringLiteral("Удалить") << QVector<int> {1, 2, 5};
    QTest::newRow("Отменить") << 2 << QStringLiteral("Отменить") << QVector<int> {0, 1, 2, 3, 4, 5};
    QTest::newRow("Escape") << 0 << QString() << QVector<int> {0, 1, 2, 3, 4, 5};
}

void tst_ServerWindowAccounts::remove()
{
    QFETCH(int, tab);
    QFETCH(QString, button);
    QFETCH(QVector<int>, remainingAnswers);
    const TabNames &t = Tabs[tab];
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    const AccountStore before = w.dataStore().accounts();
    const QByteArray accountsFile = fileBytes(w.dataStore().accountsPath());
    const QByteArray answersFile = fileBytes(w.dataStore().answersPath());
    const bool deleted = button == QStringLiteral("Удалить");

    BoxSeen seen;
    const ModalAnswer box(pressInBox(button, &seen));
    child<QPushButton>(&w, t.remove)->click();

    QVERIFY(box.done());
    QCOMPARE(seen.title, QStringLiteral("Ожидание подтверждения"));
    QCOMPARE(
        seen.text,
        t.kind == ExpertKind
            ? QStringLiteral(
                "С удалением данного эксперта\nудалятся и его ответы на вопросы.\nПродолжить?")
            : QStringLiteral(
                "С удалением данного педагога\nудалятся и его ответы на вопросы.\nПродолжить?"));
    QCOMPARE(seen.buttons, QStringList({QStringLiteral("Удалить"), QStringLiteral("Отменить")}));

    const QVector<Answer> all = schoolAnswers(today);
    QVector<Answer> expected;
    for (int i : remainingAnswers)
        expected.append(all.at(i));
    QCOMPARE(w.dataStore().answers(), expected);
    auto *list = child<QListWidget>(&w, t.list);
    QCOMPARE(listTexts(list), accountNames(w.dataStore().accounts().at(t.kind)));
    if (deleted) {
        QCOMPARE(w.dataStore().accounts().at(t.kind).size(), before.at(t.kind).size() - 1);
        QCOMPARE(child<QComboBox>(&w, t.user)->count(), list->count());
        QCOMPARE(fileBytes(w.dataStore().accountsPath()), expectedAccountsFile(w.dataStore()));
        QCOMPARE(fileBytes(w.dataStore().answersPath()), expectedAnswersFile(w.dataStore()));
        // No card shows an answer that is gone.
        const auto *history = child<AnswerHistoryView>(&w, nullptr);
        QCOMPARE(history->count(), buildHistoryCount(w.dataStore()));
    } else {
        QCOMPARE(w.dataStore().accounts(), before);
        QCOMPARE(fileBytes(w.dataStore().accountsPath()), accountsFile);
        QCOMPARE(fileBytes(w.dataStore().answersPath()), answersFile);
    }
}

void tst_ServerWindowAccounts::removeLastAccount()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    {
        AccountStore accounts = schoolAccounts();
        accounts[t.kind] = {makeAccount(7, QStringLiteral("Единственный"), "p7")};
        accounts[t.kind][0].information = QStringLiteral("Профиль");
        DataStore store(m_folder);
        QVERIFY(loadStores(store, schoolQuestions(), accounts));
    }
    Server w(m_folder, 0);
    auto *check = child<QCheckBox>(&w, t.active);
    QVERIFY(check->isChecked());

    const ModalAnswer box(pressInBox(QStringLiteral("Удалить")));
    child<QPushButton>(&w, t.remove)->click();
    QVERIFY(box.done());

    QVERIFY(w.dataStore().accounts().at(t.kind).isEmpty());
    QCOMPARE(child<QListWidget>(&w, t.list)->count(), 0);
    QCOMPARE(child<QComboBox>(&w, t.user)->count(), 0);
    QVERIFY(!check->isEnabled());
    QCOMPARE(check->checkState(), Qt::Unchecked);
    QCOMPARE(child<QTextEdit>(&w, t.information)->toPlainText(), QString());

    // Nothing is left to delete; editing nothing opens no dialog.
    QVERIFY(!child<QPushButton>(&w, t.remove)->isEnabled());
    const QByteArray accountsFile = fileBytes(w.dataStore().accountsPath());
    child<QPushButton>(&w, t.edit)->click();
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), accountsFile);

    // A new account brings the widgets back.
    const ModalAnswer dialog(
        fillAccountDialog(QStringLiteral("Новый"), QStringLiteral("123abc"), QString()));
    child<QPushButton>(&w, t.add)->click();
    QVERIFY(dialog.done());
    QVERIFY(check->isEnabled());
    QVERIFY(child<QPushButton>(&w, t.remove)->isEnabled());
    QCOMPARE(child<QListWidget>(&w, t.list)->currentRow(), 0);
}

void tst_ServerWindowAccounts::selectionShowsAccount()
{
    QFETCH(int, tab);
    const TabNames &t = Tabs[tab];
    {
        AccountStore accounts = schoolAccounts();
        QVector<Account> &list = accounts[t.kind];
        list = {makeAccount(7, QStringLiteral("Первая"), "a", true),
                makeAccount(8, QStringLiteral("Вторая"), "b", false)};
        list[0].information = QStringLiteral("Первый профиль");
        list[1].information = QStringLiteral("Второй профиль");
        DataStore store(m_folder);
        QVERIFY(loadStores(store, schoolQuestions(), accounts));
    }
    Server w(m_folder, 0);
    const QByteArray accountsFile = fileBytes(w.dataStore().accountsPath());
    auto *check = child<QCheckBox>(&w, t.active);
    auto *information = child<QTextEdit>(&w, t.information);
    QCOMPARE(information->toPlainText(), QStringLiteral("Первый профиль"));

    child<QListWidget>(&w, t.list)->setCurrentRow(1);

    // The first tab's list is followed by the 50 ms poll.
    QTRY_COMPARE(information->toPlainText(), QStringLiteral("Второй профиль"));
    QCOMPARE(check->checkState(), Qt::Unchecked);
    // Showing an account changes nothing in it.
    QCOMPARE(fileBytes(w.dataStore().accountsPath()), accountsFile);

    check->click();
    QVERIFY(w.dataStore().accounts().at(t.kind).at(1).active);
    QVERIFY(w.dataStore().accounts().at(t.kind).at(0).active);
}

void tst_ServerWindowAccounts::noCurrentRowDoesNothing()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const AccountStore before = w.dataStore().accounts();
    auto *list = child<QListWidget>(&w, "lw_expert");
    list->setCurrentRow(-1);

    child<QCheckBox>(&w, "cb_expert_activition")->click();
    const ModalAnswer box(pressInBox(QStringLiteral("Удалить")));
    child<QPushButton>(&w, "pb_expert_delete")->click();
    QVERIFY(box.done());

    QCOMPARE(w.dataStore().accounts(), before);
    QCOMPARE(list->count(), 2);
}

QTEST_MAIN(tst_ServerWindowAccounts)
#include "tst_serverwindow_accounts.moc"
