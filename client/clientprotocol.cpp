#include "clientprotocol.h"

#include "encoding.h"

namespace {

std::optional<QByteArray> singleSectionMessage(qint32 type, const std::optional<QByteArray> &payload)
{
    if (!payload)
        return std::nullopt;
    return packMessage(Message::single(type, *payload));
}

// Fills `section` from its payload; false when the payload does not decode.
bool decodeSection(const Section &raw, ServerSection &section)
{
    section.type = raw.type;
    switch (raw.type) {
    case AttemptsLeftSection:
        if (const auto attempts = decodeAttemptsLeft(raw.data)) {
            section.attemptsLeft = *attempts;
            return true;
        }
        return false;
    case BlockListSection:
        if (auto blocks = decodeBlockList(raw.data)) {
            section.blocks = std::move(*blocks);
            return true;
        }
        return false;
    case AnswerListSection:
        if (auto answers = decodeAnswerList(raw.data)) {
            section.answers = std::move(*answers);
            return true;
        }
        return false;
    case TeacherProgressSection:
        if (auto teachers = decodeTeacherList(raw.data)) {
            section.teachers = std::move(*teachers);
            return true;
        }
        return false;
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
