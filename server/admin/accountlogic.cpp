#include "accountlogic.h"

#include "datastore.h"

#include <QRandomGenerator>

#include <algorithm>

AccountLogic::AccountLogic(DataStore &store)
    : m_store(store)
{ }

QByteArray AccountLogic::generatePassword()
{
    QByteArray bytes(3, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return bytes.toHex();
}

QByteArray AccountLogic::passwordBytes(const QString &password)
{
    return password.toUtf8();
}

QString AccountLogic::passwordText(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

qint32 AccountLogic::kindCodeFor(int kind)
{
    switch (kind) {
    case TeacherDoKind:
        return 1;
    case ExpertKind:
        return 2;
    case SchoolTeacherKind:
        return 5;
    default:
        return 0;
    }
}

const QVector<Account> &AccountLogic::accounts(int kind) const
{
    return m_store.accounts().at(kind);
}

bool AccountLogic::isValid(int kind, int index) const
{
    return kind >= 0 && kind < m_store.accounts().size() && index >= 0
        && index < m_store.accounts().at(kind).size();
}

bool AccountLogic::fitsFormat(const Account &entered)
{
    return m_store.checkLength(entered.name.size(), QStringLiteral("знаков в имени"))
        && m_store.checkLength(entered.password.size(), QStringLiteral("байтов в пароле"))
        && m_store.checkLength(entered.information.size(),
                               QStringLiteral("знаков в информации об учётной записи"));
}

int AccountLogic::add(int kind, const Account &entered)
{
    if (kind < 0 || kind >= m_store.accounts().size()
        || !m_store.checkRoom(m_store.accounts().at(kind).size(), 1,
                              QStringLiteral("учётных записей одного вида"))
        || !fitsFormat(entered)) {
        return -1;
    }
    Account account;
    account.name = entered.name;
    account.password = entered.password;
    account.information = entered.information;
    account.kindCode = kindCodeFor(kind);
    account.id = nextFreeAccountId(m_store.accounts());
    m_store.addAccount(kind, account);
    return m_store.accounts().at(kind).size() - 1;
}

bool AccountLogic::edit(int kind, int index, const Account &entered)
{
    if (!isValid(kind, index) || !fitsFormat(entered))
        return false;
    Account account = m_store.accounts().at(kind).at(index);
    account.name = entered.name;
    account.password = entered.password;
    account.information = entered.information;
    m_store.updateAccount(kind, index, account);
    return true;
}

bool AccountLogic::remove(int kind, int index)
{
    if (!isValid(kind, index))
        return false;
    const Account &doomed = m_store.accounts().at(kind).at(index);
    const qint32 id = doomed.id;
    if (!m_store.snapshotBefore(QStringLiteral("Удаление учётной записи «%1»").arg(doomed.name)))
        return false;
    const bool aboutTeacher = kind == TeacherDoKind || kind == SchoolTeacherKind;
    m_store.removeAnswers([&](const Answer &a) {
        return (aboutTeacher ? a.subjectId : a.authorId) == id;
    });
    m_store.removeAccount(kind, index);
    return true;
}

bool AccountLogic::setActive(int kind, int index, bool active)
{
    if (!isValid(kind, index))
        return false;
    Account account = m_store.accounts().at(kind).at(index);
    account.active = active;
    m_store.updateAccount(kind, index, account);
    return true;
}

bool AccountLogic::apply(int kind, const QString &name, const QString &password, bool active,
                         const QString &information)
{
    const QVector<Account> &list = m_store.accounts().at(kind);
    const auto it
        = std::find_if(list.cbegin(), list.cend(), [&](const Account &a) { return a.name == name; });
    if (it == list.cend())
        return false;
    const int index = int(it - list.cbegin());
    Account changed = *it;
    if (!password.isEmpty())
        changed.password = passwordBytes(password);
    changed.active = active;
    changed.information = information;
    if (!fitsFormat(changed))
        return false;
    m_store.updateAccount(kind, index, changed);
    return true;
}
