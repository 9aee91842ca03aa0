#ifndef CONNECTIONSERVER_H
#define CONNECTIONSERVER_H

#include "cliententry.h"
#include "message.h"

#include <QObject>
#include <QString>
#include <QVector>

class DataStore;
class MessageAssembler;
class QTcpServer;
class QTcpSocket;

// Listens for clients, collects each client's message (one client at a
// time, one shared receive buffer) and hands it to the request handler.
class ConnectionServer : public QObject
{
    Q_OBJECT

public:
    explicit ConnectionServer(DataStore *store, quint16 port = ServerPort, QObject *parent = nullptr);
    ~ConnectionServer() override;

    // Listens on every local address; on failure errorString() tells why.
    bool listen();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const;

    const QVector<ClientEntry> &clients() const { return m_clients; }

public slots:
    void sl_newConnection();
    void sl_ReadClient();
    void sl_disconnect();
    void sl_readyReadEnd(const QByteArray &message);

private:
    // (defined by the implementation)
    int indexOf(QTcpSocket *socket) const;

    DataStore *m_store;
    quint16 m_port;
    QTcpServer *m_server;
    QVector<ClientEntry> m_clients;
    MessageAssembler *m_assembler;
    QTcpSocket *m_currentClient = nullptr;
};

#endif // CONNECTIONSERVER_H
