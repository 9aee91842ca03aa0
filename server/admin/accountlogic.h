#ifndef ACCOUNTLOGIC_H
#define ACCOUNTLOGIC_H

#include "records.h"

#include <QByteArray>
#include <QString>

class DataStore;

// Adding, editing, deleting and activating the accounts of one kind. Each
// change is written to the accounts file at once; deleting an account also
// removes its answers and rewrites the answers file.
class AccountLogic
{
public:
    explicit AccountLogic(DataStore &store);

    // Six lowercase hexadecimal digits from three bytes of the system's
    // secure generator.
    static QByteArray generatePassword();

    // A password is stored as the UTF-8 bytes of its text, the bytes the
    // client sends on every platform (identical to the old local 8-bit
    // bytes for ASCII passwords, so existing files keep working).
    static QByteArray passwordBytes(const QString &password);
    static QString passwordText(const QByteArray &bytes);

    // kindCode of an account created on the tab of `kind` (1, 2 or 5);
    // 0 for the parents, who have no tab.
    static qint32 kindCodeFor(int kind);

    const QVector<Account> &accounts(int kind) const;
    bool isValid(int kind, int index) const;

    // Appends `entered` (name, password, information of the dialog) with a
    // fresh id and the kind's code; returns its index. Returns -1 and
    // changes nothing (with a warning) when the kind's list is full or a
    // text is longer than the file format can count.
    int add(int kind, const Account &entered);
    // Takes name, password and information from `entered`, keeps the rest;
    // refuses texts the format cannot count, as add() does.
    bool edit(int kind, int index, const Account &entered);
    // After a snapshot, experts and parents take the answers they gave with
    // them, teachers the answers given about them. False, with nothing
    // removed, when the snapshot failed.
    bool remove(int kind, int index);
    bool setActive(int kind, int index, bool active);
    // Changes the first account of the kind named `name`; an empty
    // `password` keeps the stored one. Texts the format cannot count are
    // refused as by edit().
    bool apply(int kind, const QString &name, const QString &password, bool active,
               const QString &information);

private:
    // Whether the texts of `entered` fit their 16-bit counts; warns when not.
    bool fitsFormat(const Account &entered);

    DataStore &m_store;
};

#endif // ACCOUNTLOGIC_H
