#ifndef SEASONOVERVIEW_H
#define SEASONOVERVIEW_H

#include "records.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// What the tab "Итоги сезона" shows: for every teacher and every active
// block of the teacher's group, how many experts have rated the teacher on
// the block and how high, and on which blocks the teacher rated themself.

// One cell of the table.
struct OverviewCell
{
    // Distinct expert accounts that answered about the teacher in the block.
    int experts = 0;
    // Mean of those answers, each scaled to its question's range as
    // (value − min) / (max − min), in percent; none when no answer had a
    // range to scale by.
    std::optional<double> meanPercent;

    bool operator==(const OverviewCell &o) const
    {
        return experts == o.experts && meanPercent == o.meanPercent;
    }
};

// The answers summed up per teacher and block. Answers whose question no
// longer exists count nowhere, as they are shown nowhere; an answer counts
// for an expert when its author is an expert account.
class OverviewTally
{
public:
    OverviewTally() = default;
    // `since` null takes every answer; otherwise those of that day on.
    OverviewTally(const QuestionStore &questions, const AccountStore &accounts,
                  const AnswerStore &answers, const QDate &since);

    OverviewCell cell(qint32 teacherId, qint32 blockId) const;
    bool ratedSelf(qint32 teacherId, qint32 blockId) const;

private:
    struct Sum
    {
        QVector<qint32> experts;
        double shares = 0;
        int scaled = 0;
    };
    static quint64 key(qint32 teacherId, qint32 blockId);

    QHash<quint64, Sum> m_sums;
    QHash<quint64, bool> m_self;
};

// A row of the table: a teacher account.
struct OverviewRow
{
    qint32 id = -1;
    QString name;
    // 0 for a teacher of additional education, 1 for a school teacher.
    int group = 0;

    bool operator==(const OverviewRow &o) const
    {
        return id == o.id && name == o.name && group == o.group;
    }
};

// A column: an active block.
struct OverviewColumn
{
    qint32 blockId = -1;
    // The block's name, and the group's name after it when the table holds
    // a block of that name in the other group too.
    QString title;
    int group = 0;

    bool operator==(const OverviewColumn &o) const
    {
        return blockId == o.blockId && title == o.title && group == o.group;
    }
};

// Rows and columns of the table. Teachers of additional education come
// first, then school teachers, each in store order; the columns are the
// active blocks of group 0, then of group 1, in the editor's order.
struct OverviewLayout
{
    QVector<OverviewRow> rows;
    QVector<OverviewColumn> columns;

    // A block is asked only about the teachers of its group.
    bool applies(int row, int column) const { return rows.at(row).group == columns.at(column).group; }
    bool operator==(const OverviewLayout &o) const { return rows == o.rows && columns == o.columns; }
};

// `group` 0 or 1 keeps that group's teachers and blocks; -1 keeps both.
OverviewLayout overviewLayout(const QuestionStore &questions, const AccountStore &accounts, int group);

// Block names run to whole sentences: a column title is broken into lines
// of about 18 characters at its spaces, so that a column is as wide as its
// figures.
QString wrappedTitle(const QString &title);

// The display name of a teacher group: "Педагог ДО" or "Учитель".
QString groupName(int group);

// "—" without an expert; otherwise the experts and the mean, as
// "2 эксп. · 75 %".
QString cellText(const OverviewCell &cell);

// On how many of the blocks that apply to the teacher of `row` they rated
// themself, as "3 из 5 блоков".
struct SelfRating
{
    int rated = 0;
    int blocks = 0;
    QStringList missing;
};
SelfRating selfRating(const OverviewLayout &layout, const OverviewTally &tally, int row);
QString selfRatingText(const SelfRating &rating);

// The title of an export: the season and the day it began.
QString overviewTitle(const QDate &seasonStart, bool wholeStore);

// The table as CSV lines: a header ("Педагог", "Группа", per block its
// experts and its mean in percent, "Самооценка"), then a line per teacher;
// a block that does not apply leaves its two fields empty.
QVector<QStringList> overviewCsv(const OverviewLayout &layout, const OverviewTally &tally);

// The table as an HTML document for printing, under `title`.
QString overviewHtml(const OverviewLayout &layout, const OverviewTally &tally, const QString &title);

#endif // SEASONOVERVIEW_H
