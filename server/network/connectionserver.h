#ifndef CONNECTIONSERVER_H
#define CONNECTIONSERVER_H

#include "cliententry.h"
#include "message.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class DataStore;
class LoginLimiter;
class MessageAssembler;
class QTcpServer;
class QTcpSocket;
class RequestHandler;

// Listens for clients, collects each client's message (one client at a
// time, one shared receive buffer) and hands it to the request handler.
class ConnectionServer : public QObject
{
    Q_OBJECT

public:
    // A client that sends more than this in one message is disconnected.
    static constexpr qint64 MaxMessageSize = qint64(4) * 1024 * 1024;

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

public slots:
    void sl_newConnection();
    void sl_ReadClient();
    void sl_disconnect();
    void sl_readyReadEnd(const QByteArray &message);

private:
    // Position of the entry of `socket` (compared by address only, so a
    // notification from a socket already gone is safe), -1 when none.
    int indexOf(const QObject *socket) const;
    void collect(QTcpSocket *socket);
    void pickUpWaiting(int lastServed);
    void dropMessage(qint64 size);
    void orphanAccount(qint32 id);
    void send(QTcpSocket *socket, const QByteArray &reply);
    void feed(QTcpSocket *socket);

    DataStore *m_store;
    quint16 m_port;
    QTcpServer *m_server;
    QVector<ClientEntry> m_clients;
    MessageAssembler *m_assembler;
    LoginLimiter *m_limiter;
    std::unique_ptr<RequestHandler> m_handler;
    // The client whose message is being collected or handled; nullptr while
    // idle. A socket, not a table position, so that removing an earlier
    // entry cannot make it name another client.
    QTcpSocket *m_currentClient = nullptr;
    // Replies still being handed to their sockets, a piece at a time as
    // the earlier pieces leave: a socket would copy a whole reply of tens
    // of megabytes into fresh memory of its own.
    struct Outgoing
    {
        QByteArray bytes;
        qint64 handed = 0;
    };
    QHash<QTcpSocket *, Outgoing> m_outgoing;
    // Prepares the experts' reply once per event-loop pass in which the
    // stores changed, not while a change is under way.
    QTimer m_prepareTimer;
};

#endif // CONNECTIONSERVER_H
