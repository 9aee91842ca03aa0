#ifndef CONNECTIONSERVER_H
#define CONNECTIONSERVER_H

#include "cliententry.h"
#include "message.h"
#include "requesthandler.h"

#include <QHash>
#include <QSet>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class DataStore;
class LoginLimiter;
class QTcpServer;
class QTcpSocket;

// Listens for clients, collects each client's messages on their own (a
// slow or silent peer delays only itself) and hands them to the request
// handler. A batch of answers is answered once the store has committed it;
// meanwhile that connection's next message waits unread, and the others
// are served. A connection that has not logged in within LoginTimeoutMs is
// closed, and one address may hold at most MaxAwaitingPerAddress such
// connections at a time, so that idle connections cannot lock everyone out.
class ConnectionServer : public QObject
{
    Q_OBJECT

public:
    // A client that sends more than this in one message is disconnected.
    static constexpr qint64 MaxMessageSize = qint64(4) * 1024 * 1024;
    // Before the login: a login request is a name and a password.
    static constexpr qint64 MaxLoginSize = 256 * 1024;
    static constexpr int LoginTimeoutMs = 30000;
    static constexpr int MaxAwaitingPerAddress = 20;

    explicit ConnectionServer(DataStore *store, quint16 port = ServerPort, QObject *parent = nullptr);
    ~ConnectionServer() override;

    // Listens on every local address; on failure errorString() tells why.
    bool listen();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const;

    const QVector<ClientEntry> &clients() const { return m_clients; }
    // Counts refused logins per address; its blocked() tells of each block.
    LoginLimiter *loginLimiter() const { return m_limiter; }
    // Tests shorten the login time-out so as not to wait 30 seconds.
    void setLoginTimeout(int ms) { m_loginTimeoutMs = ms; }

signals:
    // A Russian text for the administrator's banner.
    void warning(const QString &text);

public slots:
    void sl_newConnection();
    void sl_ReadClient();
    void sl_disconnect();
    void sl_readyReadEnd(QTcpSocket *socket, const QByteArray &message);

private:
    // Position of the entry of `socket` (compared by address only, so a
    // notification from a socket already gone is safe), -1 when none.
    int indexOf(const QObject *socket) const;
    bool admit(QTcpSocket *socket);
    void dropMessage(QTcpSocket *socket, qint64 size);
    void orphanAccount(qint32 id);
    bool send(QTcpSocket *socket, const ReplyPieces &reply);
    void feed(QTcpSocket *socket);
    void answer(ClientEntry &entry, const ReplyPieces &reply, quint64 shown);
    void settle(const QVector<quint64> &tickets, bool kept);

    DataStore *m_store;
    quint16 m_port;
    QTcpServer *m_server;
    QVector<ClientEntry> m_clients;
    LoginLimiter *m_limiter;
    std::unique_ptr<RequestHandler> m_handler;
    int m_loginTimeoutMs = LoginTimeoutMs;
    // Addresses the banner has told of for holding too many connections.
    QSet<QHostAddress> m_crowdedAddresses;
    // Replies still being handed to their sockets, a piece of at most
    // Piece bytes at a time as the earlier pieces leave: a socket would copy
    // a whole reply of tens of megabytes into fresh memory of its own, and
    // each socket is fed in its turn of the event loop, so a short reply
    // waits for no more than one piece of each long one. At most one per
    // connection: a reply due while one is still unsent is dropped, and
    // the connection is owed one reply with the state of the moment the
    // unsent one has left, however many requests came meanwhile.
    static constexpr qint64 Piece = 256 * 1024;
    struct Outgoing
    {
        ReplyPieces pieces;
        int piece = 0;
        qint64 handed = 0;
        bool owed = false;
    };
    QHash<QTcpSocket *, Outgoing> m_outgoing;
    // Prepares the experts' reply once per event-loop pass in which the
    // stores changed, not while a change is under way.
    QTimer m_prepareTimer;
};

#endif // CONNECTIONSERVER_H
