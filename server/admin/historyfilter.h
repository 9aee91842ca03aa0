#ifndef HISTORYFILTER_H
#define HISTORYFILTER_H

#include "records.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Which stored answers the history tab shows, and how.
struct HistoryFilter
{
    // AccountKind of the answers' authors, or -1 for every author.
    int authorKind = -1;
    // Subject name the answers must be about; empty for every teacher.
    QString teacher;
};

// The answers to show, in store order: display copies with the question,
// block and account names filled in, and for each the index in the answer
// store of the answer it was made from.
struct HistoryList
{
    QVector<Answer> answers;
    QVector<int> storeIndexes;
};

// Answers whose question no longer exists are left out. An answer whose
// author or subject account no longer exists keeps the names it holds.
// With an author kind, an answer is kept when its author's account is of
// that kind, so a kind without accounts shows nothing.
HistoryList buildHistory(const QuestionStore &questions, const AccountStore &accounts,
                         const AnswerStore &answers, const HistoryFilter &filter);

// The names of the existing accounts that stored answers are about, each
// once, in the order of first appearance.
QStringList subjectNames(const AccountStore &accounts, const AnswerStore &answers);

// The items of the teacher filter after the stores changed, from the items
// `held` so far: those that no account bears any longer go (a deleted or
// renamed account), the others keep their order, and the subject names not
// held yet follow at the end.
QStringList teacherFilterItems(const QStringList &held, const AccountStore &accounts,
                               const AnswerStore &answers);

#endif // HISTORYFILTER_H
