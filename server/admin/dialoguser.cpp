#include "dialoguser.h"
#include "ui_dialoguser.h"

#include "accountlogic.h"

DialogUser::DialogUser(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::DialogUser)
{
    ui->setupUi(this);
    // A new account starts with a generated password, never an empty one;
    // setAccount() shows an existing account's own.
    on_pb_generate_clicked();
    updateAcceptButton();
}

DialogUser::~DialogUser() = default;

void DialogUser::setAccount(const Account &account)
{
    ui->le_new->setText(account.name);
    ui->le_password->setText(AccountLogic::passwordText(account.password));
    m_storedPassword = account.password;
    m_shownPassword = ui->le_password->text();
    ui->te_teacher_information->setPlainText(account.information);
}

Account DialogUser::account() const
{
    Account account;
    account.name = ui->le_new->text();
    const QString password = ui->le_password->text();
    account.password = !m_storedPassword.isEmpty() && password == m_shownPassword
        ? m_storedPassword
        : AccountLogic::passwordBytes(password);
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

void DialogUser::on_le_new_textChanged(const QString &)
{
    updateAcceptButton();
}

void DialogUser::on_le_password_textChanged(const QString &)
{
    updateAcceptButton();
}

// Without a password the name alone would log in.
void DialogUser::updateAcceptButton()
{
    ui->pb_add->setEnabled(!ui->le_new->text().trimmed().isEmpty()
                           && !ui->le_password->text().isEmpty());
}
