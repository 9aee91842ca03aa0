#ifndef DIALOGUSER_H
#define DIALOGUSER_H

#include "records.h"

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class DialogUser;
}

// The modal dialog in which an account's name, password and information are
// entered or changed. A new dialog offers a generated password; the accept
// button stays disabled while the name or the password is empty.
class DialogUser : public QDialog
{
    Q_OBJECT

public:
    explicit DialogUser(QWidget *parent = nullptr);
    ~DialogUser() override;

    void setAccount(const Account &account);
    // A blank account holding the name, password and information entered.
    Account account() const;

private slots:
    void on_pb_add_clicked();
    void on_pb_cancel_clicked();
    void on_pb_generate_clicked();
    void on_le_new_textChanged(const QString &text);
    void on_le_password_textChanged(const QString &text);

private:
    void updateAcceptButton();

    QScopedPointer<Ui::DialogUser> ui;
    // The stored password of the account shown, kept byte for byte while its
    // text is left as shown (older files may hold bytes that are not UTF-8).
    QByteArray m_storedPassword;
    QString m_shownPassword;
};

#endif // DIALOGUSER_H
