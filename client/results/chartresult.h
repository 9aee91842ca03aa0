#ifndef CHARTRESULT_H
#define CHARTRESULT_H

#include "records.h"

#include <QColor>
#include <QMetaType>
#include <QStringList>
#include <QVector>

#include <optional>

// One teacher that received answers in a block.
struct ChartTeacher
{
    QString name;
    qint32 id = -1;

    bool operator==(const ChartTeacher &o) const { return name == o.name && id == o.id; }
    bool operator!=(const ChartTeacher &o) const { return !(*this == o); }
};

// A block that answers were given in, with the teachers they were about, in
// the order first met.
struct ChartBlock
{
    QString name;
    qint32 blockId = -1;
    QVector<ChartTeacher> teachers;

    bool operator==(const ChartBlock &o) const;
    bool operator!=(const ChartBlock &o) const { return !(*this == o); }
};

// One question of a result: the range of the answers counted in it and one
// cell per author. A cell without a value is an author who did not answer
// this question; it draws nothing and exports an empty value.
struct ChartRow
{
    qint16 maxValue = -1000;
    qint16 minValue = 1000;
    QVector<std::optional<qint16>> values;
    QStringList dates; // "d.M.yyyy", empty where there is no answer

    // (value - minValue) / (maxValue - minValue) of the author's cell; not a
    // number when the range is empty, nothing for a missing answer.
    std::optional<double> share(int author) const;

    bool operator==(const ChartRow &o) const;
    bool operator!=(const ChartRow &o) const { return !(*this == o); }
};

// The answers of one selection as a table: a row per question and a column
// per author, both in the order first met among the selected answers.
struct ChartResult
{
    QStringList questionTexts;
    QStringList authorNames;
    QVector<ChartRow> rows;

    bool operator==(const ChartResult &o) const;
    bool operator!=(const ChartResult &o) const { return !(*this == o); }
};

// Which answers a result tab counts. `block` and `teacher` index the chart
// block list and the teachers of that block; in group view `groupMembers`
// (one flag per teacher of the block) replaces `teacher`. Both dates are
// included.
struct ChartSelection
{
    int block = -1;
    int teacher = -1;
    bool groupView = false;
    QVector<bool> groupMembers;
    QDate first;
    QDate last;
};

// A colour and the author it stands for.
struct LegendEntry
{
    QColor color;
    QString name;

    bool operator==(const LegendEntry &o) const { return color == o.color && name == o.name; }
    bool operator!=(const LegendEntry &o) const { return !(*this == o); }
};

// The blocks of the answers about `group` (0 or 1) with the teachers they
// are about, in the order first met, named as the answers name them: the
// server names them afresh in every reply.
QVector<ChartBlock> collectChartBlocks(int group, const QVector<Answer> &answers);

// What a result tab has chosen, by id; -1 for nothing.
struct ChartChoice
{
    qint32 blockId = -1;
    qint32 teacherId = -1;
    QVector<qint32> groupIds; // in the order they joined the group

    bool operator==(const ChartChoice &o) const
    {
        return blockId == o.blockId && teacherId == o.teacherId && groupIds == o.groupIds;
    }
    bool operator!=(const ChartChoice &o) const { return !(*this == o); }
};

// A result tab's choice once the blocks of a newer answer list replace
// those of the last one, and what of it is gone, by the names it had.
struct FollowedChoice
{
    ChartChoice choice;
    std::optional<QString> goneBlock;   // the chosen block: no answer is left in it
    std::optional<QString> goneTeacher; // the chosen teacher: no answer is left in the chosen block
    QStringList goneMembers;            // group members no answer is left about
};

// Ids stay chosen while `now` lists them, so that a renamed teacher or
// block stays chosen under the new name; a chosen block or teacher that is
// gone leaves nothing chosen, not some other one. A tab that listed nothing
// before chooses the first block and its first teacher.
FollowedChoice followChoice(const QVector<ChartBlock> &before, const QVector<ChartBlock> &now,
                            const ChartChoice &chosen);

// The table of the answers that `selection` picks from `answers`. When an
// author answered a question more than once, the last answer in list order
// fills the cell. No block, or no teacher in teacher view, gives an empty
// result.
ChartResult computeChartResult(const QVector<Answer> &answers, const QVector<ChartBlock> &blocks,
                               const ChartSelection &selection);

// The colour of author `author` of `authorCount`: hues spread evenly over
// the whole circle, so that every author gets a colour of their own.
QColor authorColor(int author, int authorCount);

QVector<LegendEntry> legendEntries(const QStringList &authorNames);

Q_DECLARE_METATYPE(ChartRow)
Q_DECLARE_METATYPE(ChartResult)

char *toString(const ChartBlock &b);
char *toString(const ChartRow &r);
char *toString(const ChartResult &r);

#endif // CHARTRESULT_H
