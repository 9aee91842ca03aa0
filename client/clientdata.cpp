#include "clientdata.h"

namespace {

template<typename T>
int commonGroup(const QVector<T> &records)
{
    if (records.isEmpty())
        return -1;
    const int group = records.first().group;
    for (const T &record : records) {
        if (int(record.group) != group)
            return -1;
    }
    return group;
}

// How often `answers` hold the answers of `items` one after the other, in
// item order: the server stores a batch in one piece.
int timesStored(const QVector<Answer> &answers, const QVector<AnswerItem> &items, qint32 subject)
{
    const auto matches = [&](const Answer &answer, const AnswerItem &item) {
        return answer.questionId == item.questionId && answer.blockId == item.blockId
               && answer.value == qint16(item.value) && (subject < 0 || answer.subjectId == subject);
    };
    int times = 0;
    for (int first = 0; first + items.size() <= answers.size(); ++first) {
        int i = 0;
        while (i < items.size() && matches(answers.at(first + i), items.at(i)))
            ++i;
        times += i == items.size() ? 1 : 0;
    }
    return times;
}

} // namespace

QVector<TeacherEntry> ClientData::teachersOfGroup(int group) const
{
    QVector<TeacherEntry> result;
    for (const TeacherEntry &t : teachers) {
        if (t.group == group)
            result.append(t);
    }
    return result;
}

QVector<QuestionBlock> ClientData::openBlocks(int group, int teacherIndex) const
{
    const QVector<TeacherEntry> ofGroup = teachersOfGroup(group);
    if (teacherIndex < 0 || teacherIndex >= ofGroup.size())
        return {};
    const TeacherEntry &teacher = ofGroup.at(teacherIndex);
    QVector<QuestionBlock> open;
    for (const QuestionBlock &b : blocks) {
        if (b.group == group && !teacher.answeredBlocks.contains(b.id))
            open.append(b);
    }
    return open;
}

QVector<QuestionBlock> ClientData::offeredBlocks(int group, int teacherIndex) const
{
    return expert ? openBlocks(group, teacherIndex) : blocks;
}

std::optional<QuestionBlock> ClientData::blockById(qint32 id) const
{
    for (const QuestionBlock &b : blocks) {
        if (b.id == id)
            return b;
    }
    return std::nullopt;
}

std::optional<qint32> ClientData::subjectId(int group, int teacherIndex) const
{
    if (!expert)
        return -1;
    const QVector<TeacherEntry> ofGroup = teachersOfGroup(group);
    if (teacherIndex < 0 || teacherIndex >= ofGroup.size())
        return std::nullopt;
    return ofGroup.at(teacherIndex).id;
}

int ClientData::commonBlockGroup() const
{
    return commonGroup(blocks);
}

int ClientData::commonAnswerGroup() const
{
    return commonGroup(answers);
}

AnswerBatch buildAnswerBatch(qint32 subjectId, qint32 blockId, const QVector<Question> &answered)
{
    AnswerBatch batch;
    batch.subject = subjectId;
    batch.reserved = -1;
    batch.items.reserve(answered.size());
    for (const Question &q : answered)
        batch.items.append(AnswerItem{q.id, blockId, qint32(q.reserved)});
    return batch;
}

SubmissionShown replyShowsSubmission(const AnswerBatch &sent, const ClientData &before, const ClientData &reply)
{
    if (sent.items.isEmpty())
        return SubmissionShown::Yes;
    // A parent is shown no answers; a teacher sends no subject, the server
    // rates the author.
    if (!reply.expert && before.answers.isEmpty() && reply.answers.isEmpty())
        return SubmissionShown::CannotTell;
    const qint32 subject = reply.expert ? sent.subject : -1;
    return timesStored(reply.answers, sent.items, subject) > timesStored(before.answers, sent.items, subject)
        ? SubmissionShown::Yes
        : SubmissionShown::No;
}

int chartTabToRemove(int group)
{
    return group == 0 ? 3 : 2;
}
