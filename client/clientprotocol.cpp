#include "clientprotocol.h"

#include "encoding.h"

namespace {

std::optional<QByteArray> singleSectionMessage(qint32 type, const std::optional<QByteArray> &payload)
{
    if (!payload)
        return std::nullopt;
    return packMessage(Message::single(type, *payload));
}

// Decodes `payload` into `field`; false when it does not decode.
template<typename T, typename Decoder>
bool decodeInto(const QByteArray &payload, Decoder decode, T &field)
{
    auto decoded = decode(payload);
    if (!decoded)
        return false;
    field = std::move(*decoded);
    return true;
}

// Fills `section` from its payload; false when the payload does not decode.
bool decodeSection(const Section &raw, ServerSection &section)
{
    section.type = raw.type;
    switch (raw.type) {
    case AttemptsLeftSection:
        return decodeInto(raw.data, decodeAttemptsLeft, section.attemptsLeft);
    case BlockListSection:
        return decodeInto(raw.data, decodeBlockList, section.blocks);
    case AnswerListSection:
        return decodeInto(raw.data, decodeAnswerList, section.answers);
    case TeacherProgressSection:
        return decodeInto(raw.data, decodeTeacherList, section.teachers);
    default:
        return true;
    }
}

} // namespace

std::optional<QByteArray> loginRequestBytes(const LoginCredentials &credentials)
{
    return singleSectionMessage(LoginCredentialsSection, encodeLoginCredentials(credentials));
}

std::optional<QByteArray> answerSubmissionBytes(const AnswerBatch &batch)
{
    return singleSectionMessage(AnswerBatchSection, encodeAnswerBatch(batch));
}

std::optional<QVector<ServerSection>> decodeServerMessage(const QByteArray &bytes)
{
    // Each payload is decoded where it lies in `bytes`, which outlives the
    // views: a reply of tens of megabytes is not copied section by section.
    QVector<ServerSection> sections;
    bool decoded = true;
    const UnpackResult::Status status = forEachSection(bytes, [&](Section &raw, int offset, int size) {
        raw.data = QByteArray::fromRawData(bytes.constData() + offset, size);
        ServerSection section;
        decoded = decoded && decodeSection(raw, section);
        sections.append(std::move(section));
    });
    if (status != UnpackResult::Complete || !decoded)
        return std::nullopt;
    return sections;
}
