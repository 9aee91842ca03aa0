#ifndef STOREINDEX_H
#define STOREINDEX_H

#include "records.h"

#include <QHash>

#include <optional>

// Hash lookups of questions and accounts by id, built once per request or
// rebuild so that handling tens of thousands of answers never searches the
// stores per answer. Like the linear searches it replaces, the first record
// in store order wins when an id occurs twice. It points into the stores:
// build it after the stores last changed and drop it before they change
// again.
class StoreIndex
{
public:
    struct QuestionRef
    {
        const QuestionBlock *block = nullptr;
        const Question *question = nullptr;
        // The group that holds the block.
        int group = -1;
    };

    StoreIndex(const QuestionStore &questions, const AccountStore &accounts);
    // Accounts only: question() finds nothing.
    explicit StoreIndex(const AccountStore &accounts);

    // nullptr when no question or account has `id`.
    const QuestionRef *question(qint32 id) const;
    const Account *account(qint32 id) const;
    // The kind of the account with `id`, -1 when there is none.
    int kindOf(qint32 id) const;

private:
    struct AccountRef
    {
        const Account *account = nullptr;
        int kind = -1;
    };

    QHash<qint32, QuestionRef> m_questions;
    QHash<qint32, AccountRef> m_accounts;
};

// The copy of a stored answer that is shown or sent: question text and block
// name from its question, author and subject names from their accounts where
// these still exist (otherwise the names stored in the answer stay).
// std::nullopt when the answer's question no longer exists: such an answer
// is shown nowhere.
std::optional<Answer> displayCopy(const Answer &answer, const StoreIndex &index);

#endif // STOREINDEX_H
