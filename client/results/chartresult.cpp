#include "chartresult.h"

#include <QHash>

#include <algorithm>
#include <limits>

bool ChartBlock::operator==(const ChartBlock &o) const
{
    return name == o.name && blockId == o.blockId && teachers == o.teachers;
}

std::optional<double> ChartRow::share(int author) const
{
    const std::optional<qint16> value = values.value(author);
    if (!value)
        return std::nullopt;
    const int range = maxValue - minValue;
    if (range == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return double(*value - minValue) / range;
}

bool ChartRow::operator==(const ChartRow &o) const
{
    return maxValue == o.maxValue && minValue == o.minValue && values == o.values
        && dates == o.dates;
}

bool ChartResult::operator==(const ChartResult &o) const
{
    return questionTexts == o.questionTexts && authorNames == o.authorNames && rows == o.rows;
}

QVector<ChartBlock> collectChartBlocks(int group, const QVector<Answer> &answers)
{
    QVector<ChartBlock> blocks;
    for (const Answer &answer : answers) {
        if (answer.group != group)
            continue;
        const ChartTeacher teacher{answer.subjectName, answer.subjectId};
        auto block = std::find_if(blocks.begin(), blocks.end(), [&](const ChartBlock &b) {
            return b.blockId == answer.blockId;
        });
        if (block == blocks.end()) {
            blocks.append(ChartBlock{answer.blockName, answer.blockId, {teacher}});
            continue;
        }
        const bool known = std::any_of(block->teachers.cbegin(), block->teachers.cend(),
                                       [&](const ChartTeacher &t) { return t.id == teacher.id; });
        if (!known)
            block->teachers.append(teacher);
    }
    return blocks;
}

static const ChartBlock *findBlock(const QVector<ChartBlock> &blocks, qint32 id)
{
    const auto found = std::find_if(blocks.cbegin(), blocks.cend(), [id](const ChartBlock &b) { return b.blockId == id; });
    return found == blocks.cend() ? nullptr : &*found;
}

static const ChartTeacher *findTeacher(const QVector<ChartTeacher> &teachers, qint32 id)
{
    const auto found = std::find_if(teachers.cbegin(), teachers.cend(), [id](const ChartTeacher &t) { return t.id == id; });
    return found == teachers.cend() ? nullptr : &*found;
}

// The teacher with `id` in any of `blocks`.
static const ChartTeacher *findTeacher(const QVector<ChartBlock> &blocks, qint32 id)
{
    for (const ChartBlock &block : blocks) {
        if (const ChartTeacher *teacher = findTeacher(block.teachers, id))
            return teacher;
    }
    return nullptr;
}

FollowedChoice followChoice(const QVector<ChartBlock> &before, const QVector<ChartBlock> &now,
                            const ChartChoice &chosen)
{
    FollowedChoice followed;
    const bool first = before.isEmpty();
    const ChartBlock *was = findBlock(before, chosen.blockId);
    const ChartBlock *block = !first ? findBlock(now, chosen.blockId) : now.isEmpty() ? nullptr : &now.first();
    if (was && !block)
        followed.goneBlock = was->name;
    if (block) {
        followed.choice.blockId = block->blockId;
        const ChartTeacher *teacher = was ? findTeacher(was->teachers, chosen.teacherId) : nullptr;
        if (first)
            followed.choice.teacherId = block->teachers.first().id;
        else if (findTeacher(block->teachers, chosen.teacherId))
            followed.choice.teacherId = chosen.teacherId;
        else if (teacher)
            followed.goneTeacher = teacher->name;
    }
    for (qint32 id : chosen.groupIds) {
        if (findTeacher(now, id))
            followed.choice.groupIds.append(id);
        else if (const ChartTeacher *member = findTeacher(before, id))
            followed.goneMembers.append(member->name);
    }
    return followed;
}

// The ids of the teachers whose answers the selection counts.
static QVector<qint32> selectedSubjects(const ChartBlock &block, const ChartSelection &selection)
{
    QVector<qint32> ids;
    if (selection.groupView) {
        for (int i = 0; i < block.teachers.size(); ++i) {
            if (selection.groupMembers.value(i))
                ids.append(block.teachers.at(i).id);
        }
    } else if (selection.teacher >= 0 && selection.teacher < block.teachers.size()) {
        ids.append(block.teachers.at(selection.teacher).id);
    }
    return ids;
}

ChartResult computeChartResult(const QVector<Answer> &answers, const QVector<ChartBlock> &blocks,
                               const ChartSelection &selection)
{
    ChartResult result;
    if (selection.block < 0 || selection.block >= blocks.size())
        return result;
    const ChartBlock &block = blocks.at(selection.block);
    const QVector<qint32> subjects = selectedSubjects(block, selection);

    QVector<const Answer *> selected;
    QHash<qint32, int> rowOfQuestion;
    QHash<qint32, int> columnOfAuthor;
    for (const Answer &answer : answers) {
        if (answer.blockId != block.blockId || !subjects.contains(answer.subjectId)
            || answer.date < selection.first || answer.date > selection.last) {
            continue;
        }
        selected.append(&answer);
        if (!rowOfQuestion.contains(answer.questionId)) {
            rowOfQuestion.insert(answer.questionId, result.questionTexts.size());
            result.questionTexts.append(answer.questionText);
        }
        if (!columnOfAuthor.contains(answer.authorId)) {
            columnOfAuthor.insert(answer.authorId, result.authorNames.size());
            result.authorNames.append(answer.authorName);
        }
    }

    const int authors = result.authorNames.size();
    ChartRow blank;
    blank.values.fill(std::nullopt, authors);
    for (int i = 0; i < authors; ++i)
        blank.dates.append(QString());
    result.rows.fill(blank, result.questionTexts.size());

    for (const Answer *answer : qAsConst(selected)) {
        ChartRow &row = result.rows[rowOfQuestion.value(answer->questionId)];
        const int column = columnOfAuthor.value(answer->authorId);
        row.maxValue = std::max(row.maxValue, answer->maxValue);
        row.minValue = std::min(row.minValue, answer->minValue);
        row.values[column] = answer->value;
        row.dates[column] = answer->date.toString(QStringLiteral("d.M.yyyy"));
    }
    return result;
}

QColor authorColor(int author, int authorCount)
{
    const int hue = authorCount > 0 ? (360 * author) / authorCount : 0;
    return QColor::fromHsv(hue, 200, 200, 255);
}

QVector<LegendEntry> legendEntries(const QStringList &authorNames)
{
    QVector<LegendEntry> entries;
    entries.reserve(authorNames.size());
    for (int i = 0; i < authorNames.size(); ++i)
        entries.append(LegendEntry{authorColor(i, authorNames.size()), authorNames.at(i)});
    return entries;
}

static QString rowText(const ChartRow &r)
{
    QStringList cells;
    for (int i = 0; i < r.values.size(); ++i) {
        const std::optional<qint16> value = r.values.at(i);
        cells.append(QStringLiteral("%1@%2").arg(value ? QString::number(*value) : QStringLiteral("-"),
                                                 r.dates.value(i)));
    }
    return QStringLiteral("ChartRow(%1..%2: %3)")
        .arg(QString::number(r.minValue), QString::number(r.maxValue), cells.join(QStringLiteral(", ")));
}

char *toString(const ChartBlock &b)
{
    QStringList teachers;
    for (const ChartTeacher &t : b.teachers)
        teachers.append(QStringLiteral("%1 \"%2\"").arg(QString::number(t.id), t.name));
    const QString text = QStringLiteral("ChartBlock(%1 \"%2\": %3)")
                             .arg(QString::number(b.blockId), b.name, teachers.join(QStringLiteral(", ")));
    return qstrdup(text.toUtf8().constData());
}

char *toString(const ChartRow &r)
{
    return qstrdup(rowText(r).toUtf8().constData());
}

char *toString(const ChartResult &r)
{
    QStringList rows;
    for (int i = 0; i < r.rows.size(); ++i)
        rows.append(QStringLiteral("\"%1\" %2").arg(r.questionTexts.value(i), rowText(r.rows.at(i))));
    const QString text = QStringLiteral("ChartResult(authors [%1]; %2)")
                             .arg(r.authorNames.join(QStringLiteral(", ")), rows.join(QStringLiteral("; ")));
    return qstrdup(text.toUtf8().constData());
}
