#ifndef REQUESTHANDLER_H
#define REQUESTHANDLER_H

#include "cliententry.h"
#include "message.h"
#include "records.h"

#include <QByteArray>
#include <QSet>

#include <optional>

class DataStore;
class LoginLimiter;
class StoreIndex;

// What the server does with one complete client message: it checks a login,
// takes in a batch of answers and builds the DataReply that the logged-in
// account may see, all from the current stores. It knows no socket: it
// changes the connection entry it is given and returns the reply bytes.
class RequestHandler
{
public:
    // With a `limiter`, refused logins are counted by the entry's address and
    // an address it blocks is refused whatever it sends.
    explicit RequestHandler(DataStore &store, LoginLimiter *limiter = nullptr);

    // Handles `message` by the state of `entry` (login while awaiting one,
    // answer intake or refresh afterwards). Returns the bytes to send back;
    // empty when nothing is to be sent, as after a batch of answers that is
    // not kept whole (refused, the store full, or its file not written).
    // Waits for a batch to be committed.
    QByteArray handle(ClientEntry &entry, const QByteArray &message);
    // The same, but a batch is only queued for the answers file: the entry's
    // `committing` holds its ticket, nothing is returned yet, and the reply
    // comes from settle() once the store has settled that ticket.
    QByteArray take(ClientEntry &entry, const QByteArray &message);
    // The reply to the entry's batch being committed: a DataReply when it
    // was kept, nothing when not.
    QByteArray settle(ClientEntry &entry, bool kept);
    // A DataReply with the current state for a logged-in `entry`, as a
    // refresh gets; empty for one that is not logged in.
    QByteArray refresh(ClientEntry &entry);

    // Brings the answer list every expert gets up to date and makes room for
    // a reply that carries it, when changes to the stores have made either
    // stale. The first expert to log in afterwards then waits no longer than
    // one who refreshes: encoding tens of megabytes and taking fresh memory
    // for them is done beforehand, while the server is idle.
    void prepareExpertReply();

private:
    QByteArray login(ClientEntry &entry, const Message &message);
    QByteArray takeAnswers(ClientEntry &entry, const Message &message);
    std::optional<QVector<Answer>> answersFrom(const ClientEntry &entry, const AnswerBatch &batch,
                                               const StoreIndex &index) const;
    bool shownToClient(const ClientEntry &entry, const AnswerBatch &batch, qint32 subject) const;
    QByteArray dataReply(ClientEntry &entry);
    static int accountKind(const ClientEntry &entry, const StoreIndex &index);

    QSet<qint32> blocksAnsweredBy(qint32 authorId) const;
    QVector<QuestionBlock> blockList(const Account &account, int kind) const;
    QVector<Answer> answerList(const Account &account, int kind, const StoreIndex &index, int from = 0) const;
    QByteArray answerListPayload(const Account &account, int kind, const StoreIndex &index);
    QVector<TeacherEntry> teacherProgress(qint32 expertId) const;

    QByteArray pack(const Message &message);
    // Room beyond the experts' answer list for the other sections of their
    // reply: the block list and the teachers with their answered blocks.
    static constexpr qint64 ReplyHeadroom = 1024 * 1024;

    DataStore &m_store;
    LoginLimiter *m_limiter;
    // The last reply's bytes: the next reply is written over them once
    // nothing else holds them, so that a long reply takes no fresh memory.
    QByteArray m_reply;
    // The AnswerList every expert gets (all answers with their current
    // texts), kept between replies: encoding it anew for each refresh is
    // most of a reply's work. It covers the first m_expertAnswersCovered
    // answers of the store at revision m_expertAnswersRevision; -1 when
    // there is none.
    QByteArray m_expertAnswers;
    quint64 m_expertAnswersRevision = 0;
    int m_expertAnswersCovered = -1;
};

#endif // REQUESTHANDLER_H
