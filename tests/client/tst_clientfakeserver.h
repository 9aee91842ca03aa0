#ifndef TST_CLIENTFAKESERVER_H
#define TST_CLIENTFAKESERVER_H

#include "encoding.h"
#include "message.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A server that takes one client, keeps every byte it receives and sends
// whatever the test gives it. It stands in for the real server so that each
// reply can be built by hand.
class FakeServer : public QObject
{
    Q_OBJECT

public:
    FakeServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_client = m_server.nextPendingConnection();
            connect(m_client, &QTcpSocket::readyRead, this, [this] { m_received += m_client->readAll(); });
            emit clientConnected();
        });
    }

    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0)
    {
        return m_server.listen(address, port);
    }

    quint16 port() const { return m_server.serverPort(); }
    bool hasClient() const { return !m_client.isNull(); }
    QTcpSocket *client() const { return m_client; }

    // Every byte received since the last take.
    QByteArray takeReceived()
    {
        const QByteArray bytes = m_received;
        m_received.clear();
        return bytes;
    }
    const QByteArray &received() const { return m_received; }

    void sendRaw(const QByteArray &bytes)
    {
        m_client->write(bytes);
        m_client->flush();
    }
    void send(const Message &message) { sendRaw(*packMessage(message)); }

    void sendAttemptsLeft(qint32 attempts)
    {
        send(Message::single(AttemptsLeftSection, encodeAttemptsLeft(attempts)));
    }

    // A DataReply; the teacher list only for experts.
    void sendDataReply(const QVector<QuestionBlock> &blocks, const QVector<Answer> &answers,
                       const QVector<TeacherEntry> *teachers = nullptr)
    {
        Message reply;
        reply.sections.append(Section{0, BlockListSection, *encodeBlockList(blocks)});
        reply.sections.append(Section{0, AnswerListSection, *encodeAnswerList(answers)});
        if (teachers)
            reply.sections.append(Section{0, TeacherProgressSection, *encodeTeacherList(*teachers)});
        send(reply);
    }

    void dropClient() { m_client->disconnectFromHost(); }
    // Takes no more clients and drops the one it has.
    void close()
    {
        m_server.close();
        dropClient();
    }

signals:
    void clientConnected();

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
};

#endif // TST_CLIENTFAKESERVER_H
