#ifndef CLIENTPROTOCOL_H
#define CLIENTPROTOCOL_H

#include "message.h"
#include "records.h"

#include <QByteArray>
#include <QVector>

#include <optional>

// The client's side of the conversation: the bytes of the messages it sends
// and the decoded content of the messages it receives.

// The largest message the client takes. It trusts its server, whose largest
// reply, an expert's with 65 535 answers about long questions, is some 80 MB.
constexpr qint64 ReplySizeLimit = qint64(1) << 30;

// How long the client waits for the reply to a request, counted from the
// request and again from every byte received: a long reply on a slow school
// network is still arriving, a silent server has failed.
constexpr int ReplyTimeoutMs = 60 * 1000;

// A whole LoginRequest message; nothing when the login is too long to send.
std::optional<QByteArray> loginRequestBytes(const LoginCredentials &credentials);

// A whole AnswerSubmission message; nothing when it holds too many items.
std::optional<QByteArray> answerSubmissionBytes(const AnswerBatch &batch);

// One received section, decoded according to its type. Only the field that
// belongs to the type is filled; a type the client does not know keeps its
// number and nothing else.
struct ServerSection
{
    qint32 type = 0;
    qint32 attemptsLeft = 0;
    QVector<QuestionBlock> blocks;
    QVector<Answer> answers;
    QVector<TeacherEntry> teachers;
};

// The sections of one received message, in order. Nothing when the message
// or any of its known sections does not decode, so that a damaged message
// is ignored as a whole rather than half applied.
std::optional<QVector<ServerSection>> decodeServerMessage(const QByteArray &bytes);

#endif // CLIENTPROTOCOL_H
