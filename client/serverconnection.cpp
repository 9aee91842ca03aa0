#include "serverconnection.h"

#include "messageassembler.h"

#include <QRandomGenerator>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace {

// What a reply shows of the answers stored: enough to settle a submission.
ClientData shownBy(const QVector<ServerSection> &sections)
{
    ClientData shown;
    for (const ServerSection &section : sections) {
        if (section.type == AnswerListSection)
            shown.answers = section.answers;
        else if (section.type == TeacherProgressSection)
            shown.expert = true;
    }
    return shown;
}

} // namespace

ServerConnection::ServerConnection(const QHostAddress &server, quint16 port, QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_port(port)
    , m_socket(new QTcpSocket(this))
    , m_assembler(new MessageAssembler(this))
{
    m_assembler->setSizeLimit(ReplySizeLimit);
    connect(m_assembler, &MessageAssembler::messageReady, this, &ServerConnection::messageReady);
    connect(m_assembler, &MessageAssembler::messageDropped, this, &ServerConnection::messageDropped);
    setReplyTimeout(ReplyTimeoutMs);

    for (QTimer *timer : {&m_replyTimer, &m_retryTimer, &m_settleTimer})
        timer->setSingleShot(true);
    m_settleTimer.setInterval(SettleMs);
    // A coarse timer may fire up to 5 % early: the waits between attempts
    // are never shorter than they say.
    m_retryTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &ServerConnection::replyTimedOut);
    connect(&m_retryTimer, &QTimer::timeout, this, &ServerConnection::retry);
    connect(&m_settleTimer, &QTimer::timeout, this, &ServerConnection::settleTimedOut);

    connect(m_socket, &QTcpSocket::connected, this, &ServerConnection::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &ServerConnection::readyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ServerConnection::lost);
}

ServerConnection::~ServerConnection()
{
    // The socket may still report its end while this object is half gone.
    m_socket->disconnect(this);
}

void ServerConnection::open()
{
    m_socket->connectToHost(m_server, m_port);
    // A server not started yet is waited for: retry() tries again until a
    // connection stands.
    m_retryTimer.start(m_nextRetryMs);
}

std::optional<AnswerBatch> ServerConnection::pendingSubmission() const
{
    if (m_awaited && m_awaited->batch)
        return m_awaited->batch;
    return m_lost ? m_lost->batch : std::nullopt;
}

void ServerConnection::setReplyTimeout(int milliseconds)
{
    m_replyTimer.setInterval(milliseconds);
    // A reply that pauses is still arriving until the request times out.
    m_assembler->setGiveUpInterval(milliseconds + MessageAssembler::GiveUpMs);
}

void ServerConnection::setRetryDelays(int firstMs, int longestMs)
{
    m_firstRetryMs = firstMs;
    m_longestRetryMs = longestMs;
}

void ServerConnection::setSettleTimeout(int milliseconds)
{
    m_settleTimer.setInterval(milliseconds);
}

bool ServerConnection::logIn(const LoginCredentials &credentials)
{
    // Before the first accepted login every press sends one more login on
    // the same connection; the server counts the attempts.
    const auto bytes = loginRequestBytes(credentials);
    if (m_loggedIn || m_state != State::Online || !bytes)
        return false;
    m_credentials = credentials;
    m_socket->write(*bytes);
    return true;
}

bool ServerConnection::submit(const AnswerBatch &batch)
{
    const auto bytes = answerSubmissionBytes(batch);
    return bytes && send(*bytes, Request::Submission, batch);
}

bool ServerConnection::refresh()
{
    return send(emptyMessageBytes(), Request::Refresh, std::nullopt);
}

bool ServerConnection::send(const QByteArray &message, Request request, const std::optional<AnswerBatch> &batch)
{
    // The server takes two messages that come close together for one, and
    // a late reply must never be taken for that of a later request.
    const bool open = request == Request::Login ? m_state == State::LoggingInAgain : m_state == State::Online;
    if (!open || !m_loggedIn || m_awaited)
        return false;
    m_socket->write(message);
    m_awaited = Awaited{request, batch, m_shown};
    m_replyTimer.start();
    emit busyChanged(true);
    return true;
}

void ServerConnection::connected()
{
    m_retryTimer.stop();
    if (!m_loggedIn) {
        setState(State::Online);
        return;
    }
    // The server's new connection knows nobody: the same login again, and
    // its reply taken as a refresh.
    setState(State::LoggingInAgain);
    send(*loginRequestBytes(m_credentials), Request::Login, std::nullopt);
}

void ServerConnection::readyRead()
{
    // A long reply is still arriving: the wait counts from its last byte.
    if (m_replyTimer.isActive())
        m_replyTimer.start();
    m_assembler->appendFrom(*m_socket);
    // Bytes after a whole message are ignored, so once it is all here its
    // contents are settled: it is decoded while the quiet period that ends
    // it runs, instead of after it.
    if (!m_messageDecoded && messageStatus(m_assembler->buffer()) == UnpackResult::Complete) {
        m_decodedSections = decodeServerMessage(m_assembler->buffer());
        m_messageDecoded = true;
    }
}

void ServerConnection::lost()
{
    // A message already whole was the server's last word before it went:
    // it counts before the loss does.
    readyRead();
    if (messageStatus(m_assembler->buffer()) == UnpackResult::Complete) {
        const QByteArray message = m_assembler->buffer();
        m_assembler->clear();
        messageReady(message);
    }
    m_assembler->clear();
    m_messageDecoded = false;
    m_decodedSections.reset();
    m_replyTimer.stop();

    // No reply can come any more. A submission's is looked for in the reply
    // to the next login; a refresh is made by that reply anyway.
    if (const std::optional<Awaited> request = std::exchange(m_awaited, std::nullopt)) {
        if (request->request == Request::Submission && !m_lost) {
            m_lost = request;
            m_lostTold = false;
            m_settleTimer.start();
        }
        emit busyChanged(false);
    }
    if (m_state == State::Refused)
        return;
    setState(State::Offline);
    // Before a login too: the server closes a connection that has not
    // logged in within its limit, and the login window must get it back.
    m_nextRetryMs = m_firstRetryMs;
    m_retryTimer.start(m_nextRetryMs);
}

void ServerConnection::retry()
{
    // An attempt still under way is given up for a fresh one.
    m_socket->abort();
    m_socket->connectToHost(m_server, m_port);
    // Clients that lost one server at the same moment do not all come back
    // at the same moment: each wait is cut by up to a quarter of what it
    // adds to the first one, so that none is shorter than the first nor
    // longer than the longest.
    const int wait = std::min(m_nextRetryMs * 2, m_longestRetryMs);
    const int spread = int(QRandomGenerator::global()->bounded(std::max(wait - m_firstRetryMs, 0) / 4 + 1));
    m_nextRetryMs = wait;
    m_retryTimer.start(wait - spread);
}

void ServerConnection::replyTimedOut()
{
    // One request at a time, always: a reply that may still come on this
    // connection must not be taken for a later request's. The connection is
    // made again instead, and the reply to its login settles a submission.
    m_socket->abort();
    if (m_awaited)
        lost();
}

void ServerConnection::settleTimedOut()
{
    if (m_lost && !m_lostTold) {
        m_lostTold = true;
        emit submissionSettled(Outcome::NoConnection);
    }
}

void ServerConnection::messageReady(const QByteArray &message)
{
    const std::optional<QVector<ServerSection>> sections
        = m_messageDecoded ? std::exchange(m_decodedSections, std::nullopt) : decodeServerMessage(message);
    m_messageDecoded = false;
    handle(sections);
}

void ServerConnection::messageDropped()
{
    m_messageDecoded = false;
    m_decodedSections.reset();
    handle(std::nullopt);
}

void ServerConnection::handle(const std::optional<QVector<ServerSection>> &sections)
{
    const std::optional<Awaited> request = std::exchange(m_awaited, std::nullopt);
    m_replyTimer.stop();
    if (request)
        emit busyChanged(false);

    std::optional<qint32> attemptsLeft;
    for (const ServerSection &section : sections.value_or(QVector<ServerSection>())) {
        if (section.type == AttemptsLeftSection && !attemptsLeft)
            attemptsLeft = section.attemptsLeft;
    }
    if (attemptsLeft && !m_loggedIn) {
        emit loginRefused(*attemptsLeft);
        return;
    }
    if (attemptsLeft) {
        // The account that was let in is not any more: trying again would
        // only count against the server's login limit.
        setState(State::Refused);
        m_retryTimer.stop();
        m_settleTimer.stop();
        m_socket->abort();
        const std::optional<Awaited> lostRequest = std::exchange(m_lost, std::nullopt);
        if (lostRequest && !m_lostTold)
            emit submissionSettled(Outcome::CannotTell);
        emit refusedAgain();
        return;
    }

    if (!sections) {
        if (request && request->batch)
            emit submissionSettled(Outcome::Unreadable);
        else
            emit unreadable();
    } else {
        m_shown = shownBy(*sections);
        m_loggedIn = true;
        emit dataArrived(*sections);
        if (request && request->batch)
            settle(*request, Outcome::Saved, Outcome::NotSaved, Outcome::Saved);
    }
    // The reply to the login after a reconnection settles a submission whose
    // reply was lost; when it cannot be read, nothing can tell.
    if (m_lost && request && request->request == Request::Login) {
        m_settleTimer.stop();
        const Awaited lostRequest = *std::exchange(m_lost, std::nullopt);
        if (!sections)
            emit submissionSettled(Outcome::CannotTell);
        else
            settle(lostRequest, Outcome::SavedLate, Outcome::NotSavedLate, Outcome::CannotTell);
    }
    if (m_state == State::LoggingInAgain)
        setState(State::Online);
}

void ServerConnection::settle(const Awaited &request, Outcome shown, Outcome lacking, Outcome cannotTell)
{
    switch (replyShowsSubmission(*request.batch, request.before, m_shown)) {
    case SubmissionShown::Yes:
        emit submissionSettled(shown);
        return;
    case SubmissionShown::No:
        emit submissionSettled(lacking);
        return;
    case SubmissionShown::CannotTell:
        emit submissionSettled(cannotTell);
        return;
    }
}

void ServerConnection::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}
