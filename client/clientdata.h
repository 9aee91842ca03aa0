#ifndef CLIENTDATA_H
#define CLIENTDATA_H

#include "message.h"
#include "records.h"

#include <QVector>

#include <optional>

// The three lists of the server's last reply and the questionnaire choices
// made from them. A group is 0 for teachers of additional education
// ("Педагог ДО") and 1 for school teachers ("Учитель"); it is also the item
// index of the kind choice of an expert.
class ClientData
{
public:
    QVector<QuestionBlock> blocks;
    QVector<Answer> answers;
    QVector<TeacherEntry> teachers;
    // Set once a teacher list has arrived: only experts get one, and only
    // they choose whom they rate.
    bool expert = false;

    // The teachers of `group`, in list order.
    QVector<TeacherEntry> teachersOfGroup(int group) const;

    // The blocks of `group` that the teacher at `teacherIndex` among the
    // teachers of that group has not been rated on this season.
    QVector<QuestionBlock> openBlocks(int group, int teacherIndex) const;

    // The blocks the questionnaire offers: to an expert the open blocks of
    // the chosen teacher (none without one), to everybody else every block.
    QVector<QuestionBlock> offeredBlocks(int group, int teacherIndex) const;

    // The block with `id`; nothing when there is none. Blocks of both groups
    // may share a name, so blocks are told apart by id only.
    std::optional<QuestionBlock> blockById(qint32 id) const;

    // The id of the teacher being rated: -1 for an account that is not an
    // expert (it rates without choosing anybody), the id of the teacher at
    // `teacherIndex` among those of `group`, or nothing when an expert has
    // no such teacher, so there is nobody to rate.
    std::optional<qint32> subjectId(int group, int teacherIndex) const;

    // The group that all blocks (answers) share, or -1 when they are of
    // different groups or there are none.
    int commonBlockGroup() const;
    int commonAnswerGroup() const;
};

// The answers of one block about one subject; `answered` are the questions
// with the chosen value in their `reserved` field.
AnswerBatch buildAnswerBatch(qint32 subjectId, qint32 blockId, const QVector<Question> &answered);

enum class SubmissionShown { Yes, No, CannotTell };

// Whether `reply`, the data of a reply from the server after `sent`, shows
// the answers sent where such a reply shows them: it lists them once more
// than `before`, the data when they were sent (answers about the teacher
// rated for an expert, a teacher's own answers). Other answers may follow
// them, as after a reconnection. A parent is shown no answers, so its
// reply cannot tell; a non-expert whose answer lists have always been
// empty is taken for one. A batch without items is shown by any reply.
SubmissionShown replyShowsSubmission(const AnswerBatch &sent, const ClientData &before, const ClientData &reply);

// The index of the chart tab that has nothing to show when every block or
// answer is of `group`: the school teachers' tab (3) for group 0, the other
// one (2) for any other group.
int chartTabToRemove(int group);

#endif // CLIENTDATA_H
