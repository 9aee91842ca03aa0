#include "connectionserver.h"

#include "datastore.h"
#include "loginlimiter.h"
#include "messageassembler.h"
#include "requesthandler.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

ConnectionServer::ConnectionServer(DataStore *store, quint16 port, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_port(port)
    , m_server(new QTcpServer(this))
    , m_limiter(new LoginLimiter(LoginLimiter::Clock(), this))
    , m_handler(std::make_unique<RequestHandler>(*store, m_limiter))
{
    connect(m_server, &QTcpServer::newConnection, this, &ConnectionServer::sl_newConnection);
    connect(store, &DataStore::accountRemoved, this, &ConnectionServer::orphanAccount);
    connect(store, &DataStore::intakeSettled, this, &ConnectionServer::settle);

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
        if (!admit(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, &ConnectionServer::sl_ReadClient, Qt::QueuedConnection);
        connect(socket, &QTcpSocket::disconnected, this, &ConnectionServer::sl_disconnect, Qt::QueuedConnection);
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { feed(socket); });
        auto *assembler = new MessageAssembler(socket);
        assembler->setSizeLimit(MaxLoginSize);
        connect(assembler, &MessageAssembler::messageReady, this,
                [this, socket](const QByteArray &message) { sl_readyReadEnd(socket, message); });
        connect(assembler, &MessageAssembler::messageDropped, this,
                [this, socket](qint64 size) { dropMessage(socket, size); });
        QTimer::singleShot(m_loginTimeoutMs, socket, [this, socket] {
            const int position = indexOf(socket);
            if (position >= 0 && m_clients.at(position).state == ClientEntry::AwaitingLogin)
                socket->abort();
        });
        // A new entry in its blank state (appending a copy makes GCC 12 warn
        // falsely about a write past QVector's header).
        m_clients.resize(m_clients.size() + 1);
        m_clients.last().socket = socket;
        m_clients.last().address = socket->peerAddress();
        m_clients.last().assembler = assembler;
    }
}

// False for a connection from an address that already holds the most
// connections that have not logged in; the banner tells of such an
// address once.
bool ConnectionServer::admit(QTcpSocket *socket)
{
    const QHostAddress address = socket->peerAddress();
    const auto awaiting = std::count_if(m_clients.cbegin(), m_clients.cend(), [&](const ClientEntry &entry) {
        return entry.state == ClientEntry::AwaitingLogin && entry.address == address;
    });
    if (awaiting < MaxAwaitingPerAddress)
        return true;
    if (!m_crowdedAddresses.contains(address)) {
        m_crowdedAddresses.insert(address);
        const QString text = tr("С адреса %1 открыто %2 подключений без входа в систему; новые подключения "
                                "с этого адреса закрываются, пока прежние не войдут или не закроются.")
                                 .arg(address.toString(), QString::number(MaxAwaitingPerAddress));
        qWarning().noquote() << text;
        emit warning(text);
    }
    return false;
}

void ConnectionServer::sl_ReadClient()
{
    const int position = indexOf(sender());
    // One message at a time: the next waits until the batch is answered.
    if (position >= 0 && !m_clients.at(position).committing)
        m_clients.at(position).assembler->appendFrom(*m_clients.at(position).socket);
}

void ConnectionServer::sl_readyReadEnd(QTcpSocket *socket, const QByteArray &message)
{
    const int position = indexOf(socket);
    if (position < 0)
        return;
    // The handler changes the entry in place: it runs no event loop and
    // nothing it calls adds or removes entries.
    ClientEntry &entry = m_clients[position];
    const bool loggedIn = entry.state != ClientEntry::AwaitingLogin;
    const auto outgoing = m_outgoing.find(socket);
    if (loggedIn && outgoing != m_outgoing.end() && unpackMessage(message).message.sections.isEmpty()) {
        // A refresh while the last reply is still going out: the reply owed
        // shows the state of the moment it can leave.
        outgoing->owed = true;
        return;
    }
    const quint64 shown = entry.shownRevision;
    const ReplyPieces reply = m_handler->take(entry, message);
    if (entry.committing)
        return;
    if (loggedIn && reply.isEmpty()) {
        // A batch not kept whole gets no reply; its client learns at once
        // that its answers were not kept, and what it is shown now.
        socket->abort();
        return;
    }
    answer(entry, reply, shown);
}

void ConnectionServer::answer(ClientEntry &entry, const ReplyPieces &reply, quint64 shown)
{
    if (entry.state != ClientEntry::AwaitingLogin)
        entry.assembler->setSizeLimit(MaxMessageSize);
    // A reply that cannot leave yet was never shown to the client.
    if (!reply.isEmpty() && !send(entry.socket, reply))
        entry.shownRevision = shown;
}

// Answers the batches of a group once the answers file holds them, or
// closes their connections when it could not be written. A connection gone
// meanwhile has no entry and is owed nothing; its answers stay kept.
void ConnectionServer::settle(const QVector<quint64> &tickets, bool kept)
{
    for (ClientEntry &entry : m_clients) {
        if (!entry.committing || !tickets.contains(entry.committing))
            continue;
        const quint64 shown = entry.shownRevision;
        const ReplyPieces reply = m_handler->settle(entry, kept);
        if (reply.isEmpty()) {
            entry.socket->abort();
            continue;
        }
        answer(entry, reply, shown);
        // What the client sent meanwhile is read now.
        entry.assembler->appendFrom(*entry.socket);
    }
}

// False when the reply is dropped because the last one is still unsent.
bool ConnectionServer::send(QTcpSocket *socket, const ReplyPieces &reply)
{
    const auto it = m_outgoing.find(socket);
    if (it != m_outgoing.end()) {
        it->owed = true;
        return false;
    }
    m_outgoing.insert(socket, Outgoing{reply, 0, 0, false});
    feed(socket);
    return true;
}

void ConnectionServer::feed(QTcpSocket *socket)
{
    const auto it = m_outgoing.find(socket);
    if (it == m_outgoing.end())
        return;
    Outgoing &out = *it;
    while (out.piece < out.pieces.size() && socket->bytesToWrite() < Piece) {
        const QByteArray &bytes = out.pieces.at(out.piece);
        const qint64 size = qMin(Piece, bytes.size() - out.handed);
        socket->write(bytes.constData() + out.handed, size);
        out.handed += size;
        if (out.handed == bytes.size()) {
            ++out.piece;
            out.handed = 0;
        }
    }
    if (out.piece < out.pieces.size())
        return;
    const bool owed = out.owed;
    m_outgoing.erase(it);
    const int position = indexOf(socket);
    if (owed && position >= 0)
        send(socket, m_handler->refresh(m_clients[position]));
}

void ConnectionServer::dropMessage(QTcpSocket *socket, qint64 size)
{
    const int position = indexOf(socket);
    // A client that sends more than any message can hold is cut off, so
    // that it cannot keep the server collecting its bytes.
    if (position >= 0 && size > m_clients.at(position).assembler->sizeLimit())
        socket->abort();
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
    // Its assembler, and with it an unfinished message, goes with it.
    socket->deleteLater();
}
