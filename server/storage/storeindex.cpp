#include "storeindex.h"

StoreIndex::StoreIndex(const QuestionStore &questions, const AccountStore &accounts)
    : StoreIndex(accounts)
{
    for (int group = 0; group < questions.size(); ++group) {
        for (const QuestionBlock &block : questions.at(group).blocks) {
            for (const Question &question : block.questions) {
                if (!m_questions.contains(question.id))
                    m_questions.insert(question.id, {&block, &question, group});
            }
        }
    }
}

StoreIndex::StoreIndex(const AccountStore &accounts)
{
    for (int kind = 0; kind < accounts.size(); ++kind) {
        for (const Account &account : accounts.at(kind)) {
            if (!m_accounts.contains(account.id))
                m_accounts.insert(account.id, {&account, kind});
        }
    }
}

const StoreIndex::QuestionRef *StoreIndex::question(qint32 id) const
{
    const auto it = m_questions.constFind(id);
    return it == m_questions.constEnd() ? nullptr : &it.value();
}

const Account *StoreIndex::account(qint32 id) const
{
    const auto it = m_accounts.constFind(id);
    return it == m_accounts.constEnd() ? nullptr : it->account;
}

int StoreIndex::kindOf(qint32 id) const
{
    const auto it = m_accounts.constFind(id);
    return it == m_accounts.constEnd() ? -1 : it->kind;
}

std::optional<Answer> displayCopy(const Answer &answer, const StoreIndex &index)
{
    const StoreIndex::QuestionRef *ref = index.question(answer.questionId);
    if (!ref)
        return std::nullopt;
    Answer copy = answer;
    copy.questionText = ref->question->text;
    copy.blockName = ref->block->name;
    if (const Account *author = index.account(answer.authorId))
        copy.authorName = author->name;
    if (const Account *subject = index.account(answer.subjectId))
        copy.subjectName = subject->name;
    return copy;
}
