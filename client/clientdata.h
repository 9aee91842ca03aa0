#ifndef CLIENTDATA_H
#define CLIENTDATA_H

#include "message.h"
#include "records.h"

#include <QStringList>
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

    // The teachers of `group`, in list order.
    QVector<TeacherEntry> teachersOfGroup(int group) const;
    QStringList teacherNames(int group) const;

    // The names of the blocks of `group` that the teacher at `teacherIndex`
    // among the teachers of that group has not been rated on this season.
    QStringList openBlockNames(int group, int teacherIndex) const;

    // The block names offered after a block list arrives: with blocks of both
    // groups present only those of `group`, otherwise all of them. A
    // negative `group` offers all blocks.
    QStringList blockChoice(int group) const;

    // The first block named `name`; nothing when there is none.
    std::optional<QuestionBlock> blockNamed(const QString &name) const;

    // The id of the teacher being rated: -1 for an account that gets no
    // teacher list (it rates without choosing anybody), the id of the
    // teacher at `teacherIndex` among those of `group`, or nothing when the
    // list holds no such teacher, so there is nobody to rate.
    std::optional<qint32> subjectId(int group, int teacherIndex) const;

    // The group that all blocks (answers) share, or -1 when they are of
    // different groups or there are none.
    int commonBlockGroup() const;
    int commonAnswerGroup() const;
};

// The answers of one block about one subject; `answered` are the questions
// with the chosen value in their `reserved` field.
AnswerBatch buildAnswerBatch(qint32 subjectId, qint32 blockId, const QVector<Question> &answered);

// The index of the chart tab that has nothing to show when every block or
// answer is of `group`: the school teachers' tab (3) for group 0, the other
// one (2) for any other group.
int chartTabToRemove(int group);

#endif // CLIENTDATA_H
