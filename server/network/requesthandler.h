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

// A reply as the byte pieces that are sent one after another. The answer
// list of a DataReply is a piece of its own: every expert's reply carries
// the same bytes (implicitly shared), not a copy of them.
using ReplyPieces = QVector<QByteArray>;

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
    // The same in pieces, but a batch is only queued for the answers file:
    // the entry's `committing` holds its ticket, nothing is returned yet, and
    // the reply comes from settle() once the store has settled that ticket.
    ReplyPieces take(ClientEntry &entry, const QByteArray &message);
    // The reply to the entry's batch being committed: a DataReply when it
    // was kept, nothing when not.
    ReplyPieces settle(ClientEntry &entry, bool kept);
    // A DataReply with the current state for a logged-in `entry`, as a
    // refresh gets; empty for one that is not logged in.
    ReplyPieces refresh(ClientEntry &entry);

    // Brings the answer list every expert gets up to date when changes to
    // the stores have made it stale. The first expert to log in afterwards
    // then waits no longer than one who refreshes: encoding tens of
    // megabytes is done beforehand, while the server is idle.
    void prepareExpertReply();

private:
    ReplyPieces login(ClientEntry &entry, const Message &message);
    ReplyPieces takeAnswers(ClientEntry &entry, const Message &message);
    std::optional<QVector<Answer>> answersFrom(const ClientEntry &entry, const AnswerBatch &batch,
                                               const StoreIndex &index) const;
    bool shownToClient(const ClientEntry &entry, const AnswerBatch &batch, qint32 subject) const;
    ReplyPieces dataReply(ClientEntry &entry);
    static int accountKind(const ClientEntry &entry, const StoreIndex &index);

    QSet<qint32> blocksAnsweredBy(qint32 authorId) const;
    QVector<QuestionBlock> blockList(const Account &account, int kind) const;
    QVector<Answer> answerList(const Account &account, int kind, const StoreIndex &index, int from = 0) const;
    QByteArray answerListPayload(const Account &account, int kind, const StoreIndex &index);
    QVector<TeacherEntry> teacherProgress(qint32 expertId) const;


    DataStore &m_store;
    LoginLimiter *m_limiter;
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
