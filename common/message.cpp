#include "message.h"

#include "bytereader.h"
#include "bytewriter.h"

#include <QtEndian>

#include <cstring>
#include <limits>

Message Message::single(qint32 type, const QByteArray &data)
{
    Message m;
    m.sections.append(Section{0, type, data});
    return m;
}

std::optional<QByteArray> packMessage(const Message &message)
{
    QByteArray out;
    if (!packMessageInto(message, out))
        return std::nullopt;
    return out;
}

bool packMessageInto(const Message &message, QByteArray &out)
{
    qint64 size = 2;
    for (const Section &s : message.sections)
        size += 12 + s.data.size();
    if (size > std::numeric_limits<int>::max() || message.sections.size() > ByteWriter::MaxCount)
        return false;
    // A buffer shared with a reader is left to it; writing starts afresh.
    if (!out.isDetached())
        out = QByteArray();
    out.resize(int(size));
    char *p = out.data();
    qToLittleEndian(quint16(message.sections.size()), p);
    p += 2;
    for (const Section &s : message.sections) {
        qToLittleEndian(s.reserved, p);
        qToLittleEndian(s.type, p + 4);
        qToLittleEndian(qint32(s.data.size()), p + 8);
        memcpy(p + 12, s.data.constData(), size_t(s.data.size()));
        p += 12 + s.data.size();
    }
    return true;
}

UnpackResult::Status forEachSection(const QByteArray &bytes,
                                    const std::function<void(Section &section, int offset, int size)> &take)
{
    ByteReader r(bytes);
    const int count = r.read<quint16>();
    if (!r.ok())
        return UnpackResult::Incomplete;
    for (int i = 0; i < count; ++i) {
        Section s;
        s.reserved = r.read<qint32>();
        s.type = r.read<qint32>();
        const qint32 size = r.read<qint32>();
        if (!r.ok())
            return UnpackResult::Incomplete;
        if (size < 0)
            return UnpackResult::Invalid;
        const int offset = r.position();
        if (!r.skip(size))
            return UnpackResult::Incomplete;
        if (take)
            take(s, offset, size);
    }
    return UnpackResult::Complete;
}

qint64 knownMessageSize(const QByteArray &bytes)
{
    ByteReader r(bytes);
    const int count = r.read<quint16>();
    qint64 end = 2;
    for (int i = 0; i < count; ++i) {
        r.skip(8);
        const qint32 size = r.read<qint32>();
        if (!r.ok() || size < 0)
            break;
        end = r.position() + qint64(size);
        if (!r.skip(size))
            break;
    }
    return end;
}

UnpackResult unpackMessage(const QByteArray &bytes)
{
    UnpackResult result;
    QVector<Section> sections;
    result.status = forEachSection(bytes, [&](Section &s, int offset, int size) {
        s.data = bytes.mid(offset, size);
        sections.append(s);
    });
    if (result.status == UnpackResult::Complete)
        result.message.sections = sections;
    return result;
}

UnpackResult::Status messageStatus(const QByteArray &bytes)
{
    return forEachSection(bytes, nullptr);
}

QByteArray emptyMessageBytes()
{
    return QByteArray(2, '\0');
}

std::optional<QByteArray> encodeLoginCredentials(const LoginCredentials &credentials)
{
    ByteWriter w(4 + 2 * credentials.login.size() + credentials.password.size());
    w.writeText(credentials.login);
    w.writeCount(credentials.password.size());
    w.writeBytes(credentials.password);
    if (!w.ok())
        return std::nullopt;
    return w.data();
}

std::optional<LoginCredentials> decodeLoginCredentials(const QByteArray &payload)
{
    ByteReader r(payload);
    LoginCredentials c;
    c.login = r.readText();
    const int length = r.read<quint16>();
    c.password = r.readBytes(length);
    if (!r.ok())
        return std::nullopt;
    return c;
}

QByteArray encodeAttemptsLeft(qint32 attempts)
{
    ByteWriter w(4);
    w.write<qint32>(attempts);
    return w.data();
}

std::optional<qint32> decodeAttemptsLeft(const QByteArray &payload)
{
    ByteReader r(payload);
    const qint32 attempts = r.read<qint32>();
    if (!r.ok())
        return std::nullopt;
    return attempts;
}

std::optional<QByteArray> encodeAnswerBatch(const AnswerBatch &batch)
{
    ByteWriter w(10 + 12 * batch.items.size());
    w.write<qint32>(batch.subject);
    w.write<qint32>(batch.reserved);
    w.writeCount(batch.items.size());
    if (!w.ok())
        return std::nullopt;
    for (const AnswerItem &item : batch.items) {
        w.write<qint32>(item.questionId);
        w.write<qint32>(item.blockId);
        w.write<qint32>(item.value);
    }
    return w.data();
}

std::optional<AnswerBatch> decodeAnswerBatch(const QByteArray &payload)
{
    ByteReader r(payload);
    AnswerBatch batch;
    batch.subject = r.read<qint32>();
    batch.reserved = r.read<qint32>();
    const int count = r.read<quint16>();
    if (!r.ok())
        return std::nullopt;
    const int whole = qMin(count, r.remaining() / 12);
    batch.items.reserve(whole);
    for (int i = 0; i < whole; ++i) {
        AnswerItem item;
        item.questionId = r.read<qint32>();
        item.blockId = r.read<qint32>();
        item.value = r.read<qint32>();
        batch.items.append(item);
    }
    return batch;
}
