#include "connectionserver.h"

#include "datastore.h"
#include "loginlimiter.h"
#include "messageassembler.h"
#include "requesthandler.h"

#include <QTcpServer>
#include <QTcpSocket>

ConnectionServer::ConnectionServer(DataStore *store, quint16 port, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_port(port)
    , m_server(new QTcpServer(this))
    , m_assembler(new MessageAssembler(this))
    , m_limiter(new LoginLimiter(LoginLimiter::Clock(), this))
    , m_handler(std::make_unique<RequestHandler>(*store, m_limiter))
{
    m_assembler->setSizeLimit(MaxMessageSize);
    connect(m_server, &QTcpServer::newConnection, this, &ConnectionServer::sl_newConnection);
    connect(m_assembler, &MessageAssembler::messageReady, this, &ConnectionServer::sl_readyReadEnd);
    connect(m_assembler, &MessageAssembler::messageDropped, this, &ConnectionServer::dropMessage);
    connect(store, &DataStore::accountRemoved, this, &ConnectionServer::orphanAccount);

    m_prepareTimer.setSingleShot(true);
    m_prepareTimer.setInterval(0);
    connect(&m_prepareTimer, &QTimer::timeout, this, [this] { m_handler->prepareExpertReply(); });
    const auto prepare = [this] {
        if (isListening())
            m_prepareTimer.start();
    };
    connect(store, &DataStore::questionsChanged, this, prepare);
    connect(store, &DataStore::accountsChanged, this, prepare);
    connect(store, &DataStore::answersWritten, this, prepare);
}

ConnectionServer::~ConnectionServer() = default;

bool ConnectionServer::listen()
{
    if (!m_server->listen(QHostAddress::Any, m_port))
        return false;
    m_prepareTimer.start();
    return true;
}

bool ConnectionServer::isListening() const
{
    return m_server->isListening();
}

quint16 ConnectionServer::serverPort() const
{
    return m_server->serverPort();
}

QString ConnectionServer::errorString() const
{
    return m_server->errorString();
}

int ConnectionServer::indexOf(const QObject *socket) const
{
    for (int i = 0; i < m_clients.size(); ++i) {
        if (m_clients.at(i).socket == socket)
            return i;
    }
    return -1;
}

void ConnectionServer::sl_newConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, &ConnectionServer::sl_ReadClient, Qt::QueuedConnection);
        connect(socket, &QTcpSocket::disconnected, this, &ConnectionServer::sl_disconnect, Qt::QueuedConnection);
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { feed(socket); });
        // A new entry in its blank state (appending a copy makes GCC 12 warn
        // falsely about a write past QVector's header).
        m_clients.resize(m_clients.size() + 1);
        m_clients.last().socket = socket;
        m_clients.last().address = socket->peerAddress();
    }
}

void ConnectionServer::sl_ReadClient()
{
    const int position = indexOf(sender());
    if (position < 0)
        return;
    QTcpSocket *socket = m_clients.at(position).socket;
    // While another client's message is collected, these bytes wait in
    // their socket; pickUpWaiting() reads them after that dispatch.
    if (m_currentClient && m_currentClient != socket)
        return;
    collect(socket);
}

void ConnectionServer::collect(QTcpSocket *socket)
{
    if (socket->bytesAvailable() <= 0)
        return;
    m_currentClient = socket;
    m_assembler->appendFrom(*socket);
}

void ConnectionServer::sl_readyReadEnd(const QByteArray &message)
{
    QTcpSocket *socket = m_currentClient;
    m_currentClient = nullptr;
    const int position = indexOf(socket);
    if (position >= 0) {
        // The handler changes the entry in place: it runs no event loop and
        // nothing it calls adds or removes entries.
        const QByteArray reply = m_handler->handle(m_clients[position], message);
        if (!reply.isEmpty())
            send(socket, reply);
    }
    pickUpWaiting(position);
}

void ConnectionServer::send(QTcpSocket *socket, const QByteArray &reply)
{
    Outgoing &out = m_outgoing[socket];
    // A reply still going out is followed by this one.
    out.bytes.remove(0, int(out.handed));
    out.handed = 0;
    out.bytes += reply;
    feed(socket);
}

void ConnectionServer::feed(QTcpSocket *socket)
{
    static constexpr qint64 Piece = 256 * 1024;
    const auto it = m_outgoing.find(socket);
    if (it == m_outgoing.end())
        return;
    Outgoing &out = *it;
    while (out.handed < out.bytes.size() && socket->bytesToWrite() < Piece) {
        const qint64 size = qMin(Piece, out.bytes.size() - out.handed);
        socket->write(out.bytes.constData() + out.handed, size);
        out.handed += size;
    }
    if (out.handed == out.bytes.size())
        m_outgoing.erase(it);
}

// Starts collecting from the next client, after the one last served, whose
// socket holds unread bytes, so that no waiting client is forgotten or
// starved by a busy one.
void ConnectionServer::pickUpWaiting(int lastServed)
{
    const int count = m_clients.size();
    for (int step = 1; step <= count; ++step) {
        QTcpSocket *socket = m_clients.at((lastServed + step + count) % count).socket;
        if (socket->bytesAvailable() > 0) {
            collect(socket);
            return;
        }
    }
}

void ConnectionServer::dropMessage(qint64 size)
{
    QTcpSocket *socket = m_currentClient;
    m_currentClient = nullptr;
    const int position = indexOf(socket);
    // A client that sends more than any message can hold is cut off, so
    // that it cannot keep the server collecting its bytes.
    if (position >= 0 && size > MaxMessageSize)
        socket->abort();
    pickUpWaiting(position);
}

// Every connection logged in with the deleted account's id; one still
// awaiting its login has no account yet, whatever its id field holds.
void ConnectionServer::orphanAccount(qint32 id)
{
    for (ClientEntry &entry : m_clients) {
        if (entry.state != ClientEntry::AwaitingLogin && entry.accountId == id)
            entry.orphaned = true;
    }
}

void ConnectionServer::sl_disconnect()
{
    const int position = indexOf(sender());
    if (position < 0)
        return;
    QTcpSocket *socket = m_clients.at(position).socket;
    m_clients.removeAt(position);
    m_clients.squeeze();
    m_outgoing.remove(socket);
    socket->deleteLater();
    if (socket == m_currentClient) {
        // The unfinished message of a client that left is discarded.
        m_assembler->clear();
        m_currentClient = nullptr;
        pickUpWaiting(position - 1);
    }
}
