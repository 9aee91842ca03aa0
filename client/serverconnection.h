#ifndef SERVERCONNECTION_H
#define SERVERCONNECTION_H

#include "clientdata.h"
#include "clientprotocol.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <optional>

class MessageAssembler;
class QTcpSocket;

// The client's conversation with the server: the socket, the messages cut
// from its bytes, the login, the one request whose reply is awaited and its
// time-out. Once a login has been accepted, a lost connection is made
// again by itself, with the same login, and a submission whose reply was
// lost with it is settled from the reply to that login.
class ServerConnection : public QObject
{
    Q_OBJECT

public:
    enum class State {
        // No connection; new attempts follow by themselves (before the
        // first login the login window waits for one).
        Offline,
        // Connected; after a reconnection only once the login is accepted
        // again.
        Online,
        // Connected again; the login is sent and its reply awaited.
        LoggingInAgain,
        // The login was refused on a reconnection: no further attempt.
        Refused
    };
    Q_ENUM(State)

    // How a submission ended, as far as the client can tell.
    enum class Outcome {
        Saved,         // its reply shows the answers (or cannot show them)
        NotSaved,      // its reply lacks them
        SavedLate,     // the reply was lost; the reply after reconnecting shows them
        NotSavedLate,  // the reply was lost; the reply after reconnecting lacks them
        CannotTell,    // the reply was lost; no reply of this account shows answers
        NoConnection,  // the reply was lost and no connection came back in time
        Unreadable     // a reply came, but could not be read
    };
    Q_ENUM(Outcome)

    static constexpr int FirstRetryMs = 1000;
    static constexpr int LongestRetryMs = 10000;
    // A lost submission is reported unsaved when no reply settles it within this.
    static constexpr int SettleMs = 60 * 1000;

    ServerConnection(const QHostAddress &server, quint16 port, QObject *parent = nullptr);
    ~ServerConnection() override;

    // Makes the first connection attempt, and others until one stands.
    void open();

    State state() const { return m_state; }
    bool isLoggedIn() const { return m_loggedIn; }
    // A request awaits its reply: nothing else may be sent meanwhile.
    bool isBusy() const { return m_awaited.has_value(); }
    // A submission sent and not yet answered; a lost one until it is settled.
    std::optional<AnswerBatch> pendingSubmission() const;

    // Each sends one message; false when the connection is not open, or
    // (the last two) another request awaits its reply.
    bool logIn(const LoginCredentials &credentials);
    bool submit(const AnswerBatch &batch);
    bool refresh();

    // How long a request waits for its reply, counted from the request and
    // from every byte received (ReplyTimeoutMs at start); tests shorten it.
    void setReplyTimeout(int milliseconds);
    void setRetryDelays(int firstMs, int longestMs);
    void setSettleTimeout(int milliseconds);

signals:
    void stateChanged(ServerConnection::State state);
    // A request was sent or its wait ended.
    void busyChanged(bool busy);
    // A login before the first accepted one was refused.
    void loginRefused(int attemptsLeft);
    // The login on a reconnection was refused (the account deleted or
    // deactivated, the password changed, the address blocked).
    void refusedAgain();
    // The sections of a message other than a refusal: the server's data.
    void dataArrived(const QVector<ServerSection> &sections);
    // A message came that could not be read; it answered no submission.
    void unreadable();
    void submissionSettled(ServerConnection::Outcome outcome);

private:
    enum class Request { Login, Refresh, Submission };
    struct Awaited
    {
        Request request;
        std::optional<AnswerBatch> batch;
        ClientData before; // the answers shown when it was sent
    };

    void connected();
    void readyRead();
    void lost();
    void messageReady(const QByteArray &message);
    void messageDropped();
    void replyTimedOut();
    void retry();
    void settleTimedOut();
    void handle(const std::optional<QVector<ServerSection>> &sections);
    void settle(const Awaited &request, Outcome shown, Outcome lacking, Outcome cannotTell);
    bool send(const QByteArray &message, Request request, const std::optional<AnswerBatch> &batch);
    void setState(State state);

    QHostAddress m_server;
    quint16 m_port;
    QTcpSocket *m_socket;
    MessageAssembler *m_assembler;
    QTimer m_replyTimer;
    QTimer m_retryTimer;
    QTimer m_settleTimer;
    State m_state = State::Offline;
    bool m_loggedIn = false;
    LoginCredentials m_credentials;
    std::optional<Awaited> m_awaited;
    // A submission whose reply was lost with the connection, and whether
    // the user has been told it is not saved for want of a connection.
    std::optional<Awaited> m_lost;
    bool m_lostTold = false;
    // What the last reply showed: the answers and whether it was an expert's.
    ClientData m_shown;
    int m_nextRetryMs = FirstRetryMs;
    int m_firstRetryMs = FirstRetryMs;
    int m_longestRetryMs = LongestRetryMs;
    // The message being collected, decoded as soon as it was whole (see
    // readyRead()); its sections, or nothing when they did not decode.
    bool m_messageDecoded = false;
    std::optional<QVector<ServerSection>> m_decodedSections;
};

#endif // SERVERCONNECTION_H
