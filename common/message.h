#ifndef MESSAGE_H
#define MESSAGE_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

// The TCP port the server listens on and the client connects to.
constexpr quint16 ServerPort = 23432;

enum SectionType : qint32 {
    LoginCredentialsSection = 1,
    AttemptsLeftSection = 2,
    BlockListSection = 3,
    AnswerListSection = 4,
    AnswerBatchSection = 5,
    TeacherProgressSection = 6
};

struct Section
{
    qint32 reserved = 0;
    qint32 type = 0;
    QByteArray data;

    bool operator==(const Section &o) const
    {
        return reserved == o.reserved && type == o.type && data == o.data;
    }
};

// A message: a 16-bit section count, then each section as reserved, type and
// size (32-bit each) followed by its data bytes.
struct Message
{
    QVector<Section> sections;

    static Message single(qint32 type, const QByteArray &data);
    bool operator==(const Message &o) const { return sections == o.sections; }
};

// Returns std::nullopt for more than 65 535 sections or a section of more
// than 2^31 - 1 bytes, which the format cannot carry.
std::optional<QByteArray> packMessage(const Message &message);
// The same into `out`, reusing its memory when nothing else shares it; false
// (and `out` unchanged) when the format cannot carry the message.
bool packMessageInto(const Message &message, QByteArray &out);

struct UnpackResult
{
    enum Status {
        Complete,   // the counted sections are all there (trailing bytes are ignored)
        Incomplete, // the bytes end inside the message; more may follow
        Invalid     // a negative section size: no further bytes can mend it
    };
    Status status = Incomplete;
    Message message;
};

UnpackResult unpackMessage(const QByteArray &bytes);
// The status unpackMessage() gives, from the section heads alone: nothing
// is copied.
UnpackResult::Status messageStatus(const QByteArray &bytes);
// The bytes the message takes at least, as far as the section heads among
// `bytes` tell: the end of the last section whose head is all there, or the
// two bytes of the count. A receiver makes room for a long section once
// instead of piece by piece as it arrives.
qint64 knownMessageSize(const QByteArray &bytes);
// Calls `take(section, offset)` for each section, in order, with its
// reserved word and type set and its data left empty: the `size` data bytes
// start at `offset` in `bytes`. For a reader that decodes the payloads
// where they lie instead of copying them out.
UnpackResult::Status forEachSection(const QByteArray &bytes,
                                    const std::function<void(Section &section, int offset, int size)> &take);

// The two bytes of a message without sections (the client's refresh request).
QByteArray emptyMessageBytes();

// Login payload: the login as a text field, then a 16-bit byte count and the
// password bytes (UTF-8 of what the user typed).
struct LoginCredentials
{
    QString login;
    QByteArray password;

    bool operator==(const LoginCredentials &o) const
    {
        return login == o.login && password == o.password;
    }
};

std::optional<QByteArray> encodeLoginCredentials(const LoginCredentials &credentials);
std::optional<LoginCredentials> decodeLoginCredentials(const QByteArray &payload);

QByteArray encodeAttemptsLeft(qint32 attempts);
std::optional<qint32> decodeAttemptsLeft(const QByteArray &payload);

struct AnswerItem
{
    qint32 questionId = -1;
    qint32 blockId = -1;
    qint32 value = 0;

    bool operator==(const AnswerItem &o) const
    {
        return questionId == o.questionId && blockId == o.blockId && value == o.value;
    }
};

// The answers to one block about one subject: subject id, a reserved word
// (-1), a 16-bit item count and 12 bytes per item.
struct AnswerBatch
{
    qint32 subject = -1;
    qint32 reserved = -1;
    QVector<AnswerItem> items;

    bool operator==(const AnswerBatch &o) const
    {
        return subject == o.subject && reserved == o.reserved && items == o.items;
    }
};

std::optional<QByteArray> encodeAnswerBatch(const AnswerBatch &batch);
// A payload shorter than the 10-byte head is invalid; when the count runs
// past the payload only the whole items present are read.
std::optional<AnswerBatch> decodeAnswerBatch(const QByteArray &payload);

#endif // MESSAGE_H
