#ifndef CLIENTENTRY_H
#define CLIENTENTRY_H

#include <QHostAddress>
#include <QtGlobal>

class MessageAssembler;
class QTcpSocket;

// One entry per accepted connection, in the order of acceptance. The socket
// identifies the client; the entry does not own it.
struct ClientEntry
{
    enum State : qint32 { AwaitingLogin = 0, StoringAnswers = 3, LoggedIn = 4 };

    QTcpSocket *socket = nullptr;
    qint32 state = AwaitingLogin;
    qint32 attemptsLeft = 3;
    qint32 roleCode = 0;
    qint32 accountId = 0;
    // Set when the account this connection logged in with is deleted: from
    // then on it stores nothing and gets empty replies, even once another
    // account takes over the id.
    bool orphaned = false;
    // The client's address, by which refused logins are counted.
    QHostAddress address;
    // The store's revision when the client was last sent a DataReply: its
    // batches are about what it was shown then.
    quint64 shownRevision = 0;
    // The ticket of this connection's batch while the answers file is being
    // written with it (DataStore::queueAnswers()); its reply waits for it.
    quint64 committing = 0;
    // Collects this connection's messages, so that a slow peer delays no
    // one else; owned by the socket.
    MessageAssembler *assembler = nullptr;
};

#endif // CLIENTENTRY_H
