#ifndef PASSWORDWINDOW_H
#define PASSWORDWINDOW_H

#include "message.h"

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class PasswordWindow;
}

// The login window: tells whether the server can be reached and takes the
// login and password that the client sends.
class PasswordWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordWindow(QWidget *parent = nullptr);
    ~PasswordWindow() override;

    // The connection stands: "Ввести" can be used.
    void setConnected();
    // The connection was lost: there is no server to log in to any more.
    void setDisconnected();
    // The login as typed and the password as UTF-8 bytes.
    LoginCredentials loginData() const;
    // The server refused the login; `attempts` are left.
    void showAttemptsLeft(int attempts);

signals:
    // The window was closed through its frame or with Escape.
    void sg_reject();
    // "Ввести" was pressed.
    void sg_accept();
    // "Отмена" was pressed.
    void sg_exit();

public slots:
    // Escape and the frame's close button end up here; without a window the
    // program could not go on, so this counts as cancelling.
    void reject() override;

private slots:
    void on_pb_enter_clicked();
    void on_pb_cansel_clicked();

private:
    const QScopedPointer<Ui::PasswordWindow> ui;
};

#endif // PASSWORDWINDOW_H
