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
    const UnpackResult unpacked = unpackMessage(bytes);
    if (unpacked.status != UnpackResult::Complete)
        return std::nullopt;

    QVector<ServerSection> sections;
    sections.reserve(unpacked.message.sections.size());
    for (const Section &raw : unpacked.message.sections) {
        ServerSection section;
        if (!decodeSection(raw, section))
            return std::nullopt;
        sections.append(std::move(section));
    }
    return sections;
}
