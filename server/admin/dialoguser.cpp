#include "dialoguser.h"
#include "ui_dialoguser.h"

#include "accountlogic.h"

DialogUser::DialogUser(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::DialogUser)
{
    ui->setupUi(this);
    ui->pb_add->setEnabled(false);
}

DialogUser::~DialogUser() = default;

void DialogUser::setAccount(const Account &account)
{
    ui->le_new->setText(account.name);
    ui->le_password->setText(QString::fromLocal8Bit(account.password));
    ui->te_teacher_information->setPlainText(account.information);
}

Account DialogUser::account() const
{
    Account account;
    account.name = ui->le_new->text();
    account.password = ui->le_password->text().toLocal8Bit();
    account.information = ui->te_teacher_information->toPlainText();
    return account;
}

void DialogUser::on_pb_add_clicked()
{
    accept();
}

void DialogUser::on_pb_cancel_clicked()
{
    reject();
}

void DialogUser::on_pb_generate_clicked()
{
    ui->le_password->setText(QString::fromLatin1(AccountLogic::generatePassword()));
}

void DialogUser::on_le_new_textChanged(const QString &text)
{
    ui->pb_add->setEnabled(!text.trimmed().isEmpty());
}
