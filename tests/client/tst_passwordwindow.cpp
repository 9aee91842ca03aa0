#include "passwordwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestPasswordWindow : public QObject
{
    Q_OBJECT

private slots:
    void form();
    void startsWithoutConnection();
    void connectedShowsEnter();
    void lostConnectionHidesEnter();
    void loginData();
    void attemptsLeft();
    void buttonsEmitSignals();
    void escapeCancels();
    void closingTheWindowCancels();
};

void TestPasswordWindow::form()
{
    PasswordWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Опросник. Введите пароль"));
    QCOMPARE(w.size(), QSize(300, 142));
    QCOMPARE(w.minimumSize(), QSize(300, 100));
    QCOMPARE(w.maximumSize(), QSize(300, 300));
    QCOMPARE(w.windowModality(), Qt::ApplicationModal);
    QCOMPARE(w.findChild<QLabel *>("label")->text(), QStringLiteral("Пользователь:"));
    QCOMPARE(w.findChild<QLabel *>("label_2")->text(), QStringLiteral("Пароль:"));
    // At least 80 pixels, and wide enough for the whole text.
    for (const char *name : {"label", "label_2"}) {
        auto *label = w.findChild<QLabel *>(name);
        QCOMPARE(label->minimumWidth(), 80);
        QVERIFY(label->maximumWidth() >= label->sizeHint().width());
    }
    QCOMPARE(w.findChild<QLineEdit *>("le_password")->echoMode(), QLineEdit::Normal);
    QCOMPARE(w.findChild<QPushButton *>("pb_enter")->text(), QStringLiteral("Ввести"));
    QCOMPARE(w.findChild<QPushButton *>("pb_cansel")->text(), QStringLiteral("Отмена"));
    QVERIFY(w.findChild<QWidget *>("widget_2"));
}

void TestPasswordWindow::startsWithoutConnection()
{
    PasswordWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.findChild<QPushButton *>("pb_enter")->isVisible());
    QVERIFY(w.findChild<QPushButton *>("pb_cansel")->isVisible());
    QLabel *info = w.findChild<QLabel *>("l_information");
    QVERIFY(info->isVisible());
    QCOMPARE(info->text(), QStringLiteral("Нет соединения с сервером."));
}

void TestPasswordWindow::connectedShowsEnter()
{
    PasswordWindow w;
    w.show();
    w.setConnected();
    QVERIFY(w.findChild<QPushButton *>("pb_enter")->isVisible());
    QVERIFY(!w.findChild<QLabel *>("l_information")->isVisible());
}

void TestPasswordWindow::lostConnectionHidesEnter()
{
    PasswordWindow w;
    w.show();
    w.setConnected();
    w.setDisconnected();
    QVERIFY(!w.findChild<QPushButton *>("pb_enter")->isVisible());
    QLabel *info = w.findChild<QLabel *>("l_information");
    QVERIFY(info->isVisible());
    QCOMPARE(info->text(), QStringLiteral("Нет соединения с сервером."));
}

void TestPasswordWindow::loginData()
{
    PasswordWindow w;
    w.findChild<QLineEdit *>("le_login")->setText(QStringLiteral("Мария Ивановна"));
    w.findChild<QLineEdit *>("le_password")->setText(QStringLiteral("a1Ж"));
    const LoginCredentials data = w.loginData();
    QCOMPARE(data.login, QStringLiteral("Мария Ивановна"));
    QCOMPARE(data.password, QByteArray("a1\xd0\x96"));
}

void TestPasswordWindow::attemptsLeft()
{
    PasswordWindow w;
    w.show();
    w.setConnected();
    QTest::keyClicks(w.findChild<QLineEdit *>("le_login"), QStringLiteral("user"));
    w.showAttemptsLeft(2);
    QLabel *info = w.findChild<QLabel *>("l_information");
    QVERIFY(info->isVisible());
    QCOMPARE(info->text(), QStringLiteral("Попыток осталось: 2"));
    w.showAttemptsLeft(1);
    QCOMPARE(info->text(), QStringLiteral("Попыток осталось: 1"));
    // A refusal leaves what was typed.
    QCOMPARE(w.loginData().login, QStringLiteral("user"));
    QVERIFY(w.findChild<QPushButton *>("pb_enter")->isVisible());
}

void TestPasswordWindow::buttonsEmitSignals()
{
    PasswordWindow w;
    w.show();
    w.setConnected();
    QSignalSpy accept(&w, &PasswordWindow::sg_accept);
    QSignalSpy exit(&w, &PasswordWindow::sg_exit);
    QSignalSpy reject(&w, &PasswordWindow::sg_reject);
    QTest::mouseClick(w.findChild<QPushButton *>("pb_enter"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QPushButton *>("pb_enter"), Qt::LeftButton);
    QCOMPARE(accept.count(), 2);
    QCOMPARE(exit.count(), 0);
    QTest::mouseClick(w.findChild<QPushButton *>("pb_cansel"), Qt::LeftButton);
    QCOMPARE(exit.count(), 1);
    QCOMPARE(reject.count(), 0);
}

void TestPasswordWindow::escapeCancels()
{
    PasswordWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QSignalSpy reject(&w, &PasswordWindow::sg_reject);
    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(reject.count(), 1);
}

void TestPasswordWindow::closingTheWindowCancels()
{
    PasswordWindow w;
    w.show();
    QSignalSpy reject(&w, &PasswordWindow::sg_reject);
    w.close();
    QCOMPARE(reject.count(), 1);
}

QTEST_MAIN(TestPasswordWindow)
#include "tst_passwordwindow.moc"
