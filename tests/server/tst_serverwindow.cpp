#include "answerhistoryview.h"
#include "editquestunit.h"
#include "server.h"
#include "tst_serverwindowfixtures.h"

#include <QtTest>
#include <QtNetwork>
#include <QtWidgets>

using namespace serverfixtures;

// Start-up of the server window: its form, what it loads and serves, and
// the banner that tells the administrator what went wrong.
class tst_ServerWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void form();
    void tabs_data();
    void tabs();
    void freshFolder();
    void loadsStoredData();
    void accountTabsShowFirstAccount_data();
    void accountTabsShowFirstAccount();
    void servesClients();
    void portInUseIsShown();
    void damagedFileIsShown();
    void failedWriteIsShown();
    void refusedFolderIsShown();
    void placementIsKept();
    void restoreShowsStoreAtOnce();

private:
    // A data folder of the test's own, never the server's real one.
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_ServerWindow::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("School"));
}

void tst_ServerWindow::form()
{
    Server w(m_folder, 0);
    QCOMPARE(w.objectName(), QStringLiteral("ServerClass"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Server"));
    // At first start: the titles of all tabs in a row where the screen has
    // the room, and at least the form's size.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(w.width() >= qMin(screen.width(), child<QTabWidget>(&w, "tabWidget")->tabBar()->sizeHint().width()));
    QVERIFY(w.width() >= 716 && w.height() >= qMin(583, screen.height()));
    QVERIFY(screen.intersects(w.frameGeometry()));
    auto *folder = child<QLabel>(&w, "l_data_folder");
    QCOMPARE(folder->text(), QDir::toNativeSeparators(m_folder));
    QVERIFY(folder->textInteractionFlags() & Qt::TextSelectableByMouse);
    auto *outer = child<QHBoxLayout>(&w, "horizontalLayout_2");
    QVERIFY(outer);
    QCOMPARE(outer->spacing(), 6);
    QCOMPARE(outer->contentsMargins(), QMargins(4, 4, 4, 4));
    QCOMPARE(child<QPushButton>(&w, "pb_save")->minimumHeight(), 25);
    QVERIFY(child<QLabel>(&w, "l_block_dublicate")->wordWrap());
    QCOMPARE(w.styleSheet(), QString());
}

void tst_ServerWindow::tabs_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("title");
    QTest::newRow("editor") << 0 << "tab" << QStringLiteral("Редактор тестов");
    QTest::newRow("teachers of additional education")
        << 1 << "tab_2" << QStringLiteral("Список педагогов ДО");
    // The title begins with a Latin C.
    QTest::newRow("school teachers") << 2 << "tab_4" << QStringLiteral("Cписок учителей");
    QTest::newRow("experts") << 3 << "tab_3" << QStringLiteral("Список экспертов");
    QTest::newRow("history") << 4 << "tab_5" << QStringLiteral("История");
    QTest::newRow("season overview") << 5 << "SeasonOverviewTab" << QStringLiteral("Итоги сезона");
}

void tst_ServerWindow::tabs()
{
    QFETCH(int, index);
    QFETCH(QString, object);
    QFETCH(QString, title);
    Server w(m_folder, 0);
    auto *tabs = child<QTabWidget>(&w, "tabWidget");
    QCOMPARE(tabs->count(), 6);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(index)->objectName(), object);
    QCOMPARE(tabs->tabText(index), title);
}

void tst_ServerWindow::freshFolder()
{
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(child<QComboBox>(&w, "cb_edit_block")->count(), 0);
    for (const char *name :
         {"pb_add_quest", "pb_del_block", "cb_edit_block_activation", "pb_save", "cb_edit_block"})
        QVERIFY2(!child<QWidget>(&w, name)->isEnabled(), name);
    for (const char *name : {"lw_teachere", "lw_teachere_2", "lw_expert"})
        QCOMPARE(child<QListWidget>(&w, name)->count(), 0);
    for (const char *name :
         {"cb_teacher_activition", "cb_teacher_activition_2", "cb_expert_activition"})
        QVERIFY2(!child<QCheckBox>(&w, name)->isEnabled(), name);
    QCOMPARE(child<AnswerHistoryView>(&w, nullptr)->count(), 0);
    QCOMPARE(child<QComboBox>(&w, "cb_filter_teacher")->count(), 0);
    QCOMPARE(child<QLabel>(&w, "l_begin_season")->text(), QString());
    QCOMPARE(child<QLabel>(&w, "l_update")->text(), QStringLiteral("Обновите"));
    QVERIFY(!child<QLabel>(&w, "l_update")->isVisible());
    QVERIFY(!child<QWidget>(&w, "w_warnings")->isVisible());
    QVERIFY(!child<QWidget>(&w, "l_block_dublicate")->isVisible());
    QVERIFY(QFileInfo(m_folder).isDir());
}

void tst_ServerWindow::loadsStoredData()
{
    const QDate today = QDate::currentDate();
    {
        QVERIFY(writeAnsweredSchool(m_folder, today));
        DataStore store(m_folder);
        store.load();
        QVERIFY(store.setSeasonStart(QDate(2026, 9, 1)));
    }
    Server w(m_folder, 0);

    QCOMPARE(child<QLabel>(&w, "l_begin_season")->text(), QDate(2026, 9, 1).toString(Qt::TextDate));
    auto *blocks = child<QComboBox>(&w, "cb_edit_block");
    QCOMPARE(blocks->count(), 2);
    QCOMPARE(blocks->itemText(0), QStringLiteral("Занятие"));
    QCOMPARE(blocks->itemText(1), QStringLiteral("Черновик"));
    QCOMPARE(w.findChildren<EditQuestUnit *>().size(), 2);
    QVERIFY(child<QCheckBox>(&w, "cb_edit_block_activation")->isChecked());

    const QStringList experts = {QStringLiteral("Смирнов"), QStringLiteral("Соня")};
    auto *expertList = child<QListWidget>(&w, "lw_expert");
    QCOMPARE(expertList->count(), 2);
    QCOMPARE(expertList->item(0)->text(), experts.at(0));
    QCOMPARE(expertList->item(1)->text(), experts.at(1));
    QCOMPARE(child<QComboBox>(&w, "cb_expert_user")->itemText(1), experts.at(1));
    QCOMPARE(child<QListWidget>(&w, "lw_teachere")->item(0)->text(), QStringLiteral("Иванова"));
    QCOMPARE(child<QListWidget>(&w, "lw_teachere_2")->item(0)->text(), QStringLiteral("Петров"));

    auto *history = child<AnswerHistoryView>(&w, nullptr);
    QCOMPARE(history->count(), 5); // answer 4 names a lost question
    QCOMPARE(history->numberAt(0), 1);
    QCOMPARE(history->answerAt(0).subjectName, QStringLiteral("Иванова"));
    auto *teachers = child<QComboBox>(&w, "cb_filter_teacher");
    QCOMPARE(teachers->count(), 2);
    QCOMPARE(teachers->itemText(0), QStringLiteral("Иванова"));
    QCOMPARE(teachers->itemText(1), QStringLiteral("Петров"));
}

void tst_ServerWindow::accountTabsShowFirstAccount_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("information");
    QTest::newRow("teachers") << "lw_teachere"
                              << "cb_teacher_activition"
                              << "te_teacher_information";
    QTest::newRow("school teachers") << "lw_teachere_2"
                                     << "cb_teacher_activition_2"
                                     << "te_teacher_information_2";
    QTest::newRow("experts") << "lw_expert"
                             << "cb_expert_activition"
                             << "te_expert_information";
}

void tst_ServerWindow::accountTabsShowFirstAccount()
{
    QFETCH(QString, list);
    QFETCH(QString, check);
    QFETCH(QString, information);
    {
        AccountStore accounts = schoolAccounts();
        for (QVector<Account> &kind : accounts)
            kind.first().information = QStringLiteral("Профиль ") + kind.first().name;
        DataStore store(m_folder);
        QVERIFY(loadStores(store, schoolQuestions(), accounts));
    }
    Server w(m_folder, 0);
    auto *rows = w.findChild<QListWidget *>(list);
    QCOMPARE(rows->currentRow(), 0);
    QVERIFY(w.findChild<QCheckBox *>(check)->isEnabled());
    QCOMPARE(w.findChild<QCheckBox *>(check)->checkState(), Qt::Checked);
    QCOMPARE(w.findChild<QTextEdit *>(information)->toPlainText(),
             QStringLiteral("Профиль ") + rows->item(0)->text());
}

void tst_ServerWindow::servesClients()
{
    Server w(m_folder, 0);
    QVERIFY(w.connectionServer().isListening());
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, w.connectionServer().serverPort());
    QVERIFY(client.waitForConnected(5000));
    QTRY_COMPARE(w.connectionServer().clients().size(), 1);
}

void tst_ServerWindow::portInUseIsShown()
{
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::Any));
    Server w(m_folder, occupant.serverPort());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QVERIFY(!w.connectionServer().isListening());
    QVERIFY(child<QWidget>(&w, "w_warnings")->isVisible());
    const QString text = child<QLabel>(&w, "l_warnings")->text();
    QVERIFY2(text.contains(QStringLiteral("Не удалось открыть порт %1").arg(occupant.serverPort())),
             qPrintable(text));
    // Everything else works.
    QVERIFY(child<QTabWidget>(&w, "tabWidget")->isEnabled());

    child<QPushButton>(&w, "pb_hide_warnings")->click();
    QVERIFY(!child<QWidget>(&w, "w_warnings")->isVisible());
}

void tst_ServerWindow::damagedFileIsShown()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    // Five answers announced, none there.
    QVERIFY(putFile(m_folder + QStringLiteral("/answer_file.bin"),
                    QByteArray::fromHex("0500ffff")));
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QVERIFY(child<QWidget>(&w, "w_warnings")->isVisible());
    QVERIFY(child<QLabel>(&w, "l_warnings")->text().contains(QStringLiteral("answer_file.bin")));
    QCOMPARE(child<AnswerHistoryView>(&w, nullptr)->count(), 0);
    QCOMPARE(child<QListWidget>(&w, "lw_expert")->count(), 2);
}

void tst_ServerWindow::failedWriteIsShown()
{
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // A folder where the accounts file should be cannot be replaced by it.
    const QString accounts = w.dataStore().accountsPath();
    QFile::remove(accounts);
    QVERIFY(QDir().mkpath(accounts + QStringLiteral("/blocked")));

    const ModalAnswer dialog(
        fillAccountDialog(QStringLiteral("Орлова"), QStringLiteral("abc123"), QString()));
    child<QPushButton>(&w, "pb_teacher_add")->click();
    QVERIFY(dialog.done());

    QVERIFY(child<QWidget>(&w, "w_warnings")->isVisible());
    QVERIFY(child<QLabel>(&w, "l_warnings")->text().contains(QStringLiteral("users_file.bin")));
    // The change stays in memory and in the window.
    QCOMPARE(w.dataStore().accounts().at(TeacherDoKind).size(), 1);
    QCOMPARE(child<QListWidget>(&w, "lw_teachere")->count(), 1);
}

void tst_ServerWindow::refusedFolderIsShown()
{
#ifndef Q_OS_UNIX
    QSKIP("The data folder is checked on Unix only.");
#else
    // A school folder reached through a link that someone else could have laid.
    const QString real = m_dir->filePath(QStringLiteral("elsewhere"));
    QVERIFY(writeAnsweredSchool(real, QDate::currentDate()));
    QVERIFY(QFile::link(real, m_folder));
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QVERIFY(!w.connectionServer().isListening());
    QVERIFY(child<QWidget>(&w, "w_warnings")->isVisible());
    QVERIFY(child<QLabel>(&w, "l_warnings")->text().contains(QStringLiteral("символическая ссылка")));
    QCOMPARE(child<QListWidget>(&w, "lw_expert")->count(), 0);
#endif
}

// Kept between starts, unless the screen it was on is gone.
void tst_ServerWindow::placementIsKept()
{
    for (const QRect &placed : {QRect(30, 40, 600, 500), QRect(5000, 4000, 600, 500)}) {
        QRect was;
        {
            Server first(m_folder, 0);
            first.show();
            first.setGeometry(placed);
            was = first.geometry();
            QVERIFY(first.close());
        }
        const Server second(m_folder, 0);
        QCOMPARE(second.geometry() == was, placed.x() < 1000);
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().intersects(second.frameGeometry()));
    }
}

void tst_ServerWindow::restoreShowsStoreAtOnce()
{
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    DataStore &store = w.dataStore();
    store.removeAnswers([](const Answer &) { return true; });
    QVERIFY(store.removeAccount(ExpertKind, 0));

    BoxSeen seen;
    QScopedPointer<ModalAnswer> confirmBox, infoBox;
    ModalAnswer dialogAnswer([&](QWidget *dialog) {
        confirmBox.reset(new ModalAnswer([&, dialog](QWidget *box) {
            infoBox.reset(new ModalAnswer([dialog](QWidget *info) {
                QTest::keyClick(info, Qt::Key_Escape);
                QTimer::singleShot(0, static_cast<QDialog *>(dialog), &QDialog::reject);
            }));
            pressInBox(QStringLiteral("Восстановить"), &seen)(box);
        }));
        child<QPushButton>(dialog, "pb_restore")->click();
    });
    child<QPushButton>(&w, "pb_backups")->click();
    QVERIFY(dialogAnswer.done() && confirmBox && infoBox && infoBox->done());

    QVERIFY2(seen.text.contains(QStringLiteral("потеряет ответов: 0, получит ответов: 6")), qPrintable(seen.text));
    QCOMPARE(store.answers(), schoolAnswers(today));
    QCOMPARE(child<QListWidget>(&w, "lw_expert")->count(), 2);
    QCOMPARE(w.findChild<AnswerHistoryView *>()->count(), buildHistoryCount(store));
    QVERIFY(child<QLabel>(&w, "l_store_fill")->text().contains(QStringLiteral(": 6 ")));
}

QTEST_MAIN(tst_ServerWindow)
#include "tst_serverwindow.moc"
