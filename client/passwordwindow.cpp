#include "passwordwindow.h"
#include "ui_passwordwindow.h"

#include "clienttexts.h"

PasswordWindow::PasswordWindow(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::PasswordWindow)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setDisconnected();
}

PasswordWindow::~PasswordWindow() = default;

void PasswordWindow::setConnected()
{
    ui->l_information->hide();
    ui->pb_enter->show();
}

void PasswordWindow::setDisconnected()
{
    ui->l_information->setText(clientText(ClientText::NoConnection));
    ui->l_information->show();
    ui->pb_enter->hide();
}

LoginCredentials PasswordWindow::loginData() const
{
    return LoginCredentials{ui->le_login->text(), ui->le_password->text().toUtf8()};
}

void PasswordWindow::showAttemptsLeft(int attempts)
{
    ui->l_information->setText(clientText(ClientText::AttemptsLeft) + QLatin1Char(' ') + QString::number(attempts));
    ui->l_information->show();
}

void PasswordWindow::reject()
{
    emit sg_reject();
}

void PasswordWindow::on_pb_enter_clicked()
{
    emit sg_accept();
}

void PasswordWindow::on_pb_cansel_clicked()
{
    emit sg_exit();
}
