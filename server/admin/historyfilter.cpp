#include "historyfilter.h"

#include "storeindex.h"

#include <QSet>

HistoryList buildHistory(const QuestionStore &questions, const AccountStore &accounts,
                         const AnswerStore &answers, const HistoryFilter &filter)
{
    const StoreIndex index(questions, accounts);
    HistoryList list;
    for (int i = 0; i < answers.size(); ++i) {
        const std::optional<Answer> shown = displayCopy(answers.at(i), index);
        if (!shown)
            continue;
        if (!filter.teacher.isEmpty() && shown->subjectName != filter.teacher)
            continue;
        if (filter.authorKind >= 0 && index.kindOf(shown->authorId) != filter.authorKind)
            continue;
        list.answers.append(*shown);
        list.storeIndexes.append(i);
    }
    return list;
}

QStringList subjectNames(const AccountStore &accounts, const AnswerStore &answers)
{
    const StoreIndex index(accounts);
    QStringList names;
    QSet<QString> seen;
    for (const Answer &a : answers) {
        const Account *subject = index.account(a.subjectId);
        if (subject && !seen.contains(subject->name)) {
            seen.insert(subject->name);
            names.append(subject->name);
        }
    }
    return names;
}

QStringList teacherFilterItems(const QStringList &held, const AccountStore &accounts,
                               const AnswerStore &answers)
{
    QSet<QString> existing;
    for (const QVector<Account> &kind : accounts) {
        for (const Account &a : kind)
            existing.insert(a.name);
    }
    QStringList items;
    QSet<QString> listed;
    for (const QString &name : held) {
        if (existing.contains(name) && !listed.contains(name)) {
            listed.insert(name);
            items.append(name);
        }
    }
    for (const QString &name : subjectNames(accounts, answers)) {
        if (!listed.contains(name))
            items.append(name);
    }
    return items;
}
