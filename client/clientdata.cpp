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

// Whether `answers` end with the answers of `items`, in item order.
bool endsWithItems(const QVector<Answer> &answers, const QVector<AnswerItem> &items, qint32 subject)
{
    if (answers.size() < items.size())
        return false;
    const int first = answers.size() - items.size();
    for (int i = 0; i < items.size(); ++i) {
        const Answer &answer = answers.at(first + i);
        const AnswerItem &item = items.at(i);
        if (answer.questionId != item.questionId || answer.blockId != item.blockId
            || answer.value != qint16(item.value) || (subject >= 0 && answer.subjectId != subject)) {
            return false;
        }
    }
    return true;
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

bool replyShowsSubmission(const AnswerBatch &sent, const ClientData &before, const ClientData &reply)
{
    if (sent.items.isEmpty())
        return true;
    if (reply.expert) {
        if (!endsWithItems(reply.answers, sent.items, sent.subject))
            return false;
        for (const TeacherEntry &teacher : reply.teachers) {
            if (teacher.id == sent.subject)
                return teacher.answeredBlocks.contains(sent.items.first().blockId);
        }
        return false;
    }
    // A teacher sends no subject: the server rates the author.
    if (before.answers.isEmpty() && reply.answers.isEmpty())
        return true;
    return endsWithItems(reply.answers, sent.items, -1);
}

int chartTabToRemove(int group)
{
    return group == 0 ? 3 : 2;
}
