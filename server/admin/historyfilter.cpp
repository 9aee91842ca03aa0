#include "historyfilter.h"

#include <QHash>
#include <QSet>

namespace {

struct QuestionTexts
{
    QString question;
    QString block;
};

// Lookups by id, built once per call so that a long history costs one pass.
// The first record with an id wins, as in findQuestion() and findAccount().
QHash<qint32, QuestionTexts> questionTexts(const QuestionStore &store)
{
    QHash<qint32, QuestionTexts> texts;
    for (const QuestionGroup &group : store) {
        for (const QuestionBlock &block : group.blocks) {
            for (const Question &q : block.questions) {
                if (!texts.contains(q.id))
                    texts.insert(q.id, {q.text, block.name});
            }
        }
    }
    return texts;
}

struct AccountRef
{
    int kind;
    QString name;
};

QHash<qint32, AccountRef> accountRefs(const AccountStore &store)
{
    QHash<qint32, AccountRef> refs;
    for (int kind = 0; kind < store.size(); ++kind) {
        for (const Account &a : store.at(kind)) {
            if (!refs.contains(a.id))
                refs.insert(a.id, {kind, a.name});
        }
    }
    return refs;
}

} // namespace

HistoryList buildHistory(const QuestionStore &questions, const AccountStore &accounts,
                         const AnswerStore &answers, const HistoryFilter &filter)
{
    const QHash<qint32, QuestionTexts> texts = questionTexts(questions);
    const QHash<qint32, AccountRef> refs = accountRefs(accounts);
    HistoryList list;
    for (int i = 0; i < answers.size(); ++i) {
        const auto question = texts.constFind(answers.at(i).questionId);
        if (question == texts.cend())
            continue;
        Answer shown = answers.at(i);
        shown.questionText = question->question;
        shown.blockName = question->block;
        const auto author = refs.constFind(shown.authorId);
        if (author != refs.cend())
            shown.authorName = author->name;
        const auto subject = refs.constFind(shown.subjectId);
        if (subject != refs.cend())
            shown.subjectName = subject->name;
        if (!filter.teacher.isEmpty() && shown.subjectName != filter.teacher)
            continue;
        if (filter.authorKind >= 0 && (author == refs.cend() || author->kind != filter.authorKind))
            continue;
        list.answers.append(shown);
        list.storeIndexes.append(i);
    }
    return list;
}

QStringList subjectNames(const AccountStore &accounts, const AnswerStore &answers)
{
    const QHash<qint32, AccountRef> refs = accountRefs(accounts);
    QStringList names;
    QSet<QString> seen;
    for (const Answer &a : answers) {
        const auto subject = refs.constFind(a.subjectId);
        if (subject != refs.cend() && !seen.contains(subject->name)) {
            seen.insert(subject->name);
            names.append(subject->name);
        }
    }
    return names;
}
