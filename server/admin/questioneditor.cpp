#include "questioneditor.h"

#include "datastore.h"

#include <QSet>

#include <algorithm>

namespace {

int indexOfQuestion(const QVector<Question> &questions, qint32 id)
{
    const auto it = std::find_if(questions.cbegin(), questions.cend(),
                                 [id](const Question &q) { return q.id == id; });
    return it == questions.cend() ? -1 : int(it - questions.cbegin());
}

bool sameEditedFields(const Question &a, const Question &b)
{
    return a.text == b.text && a.id == b.id && a.active == b.active && a.maxValue == b.maxValue
        && a.minValue == b.minValue;
}

} // namespace

QuestionEditor::QuestionEditor(DataStore &store)
    : m_store(store)
{ }

const QuestionBlock *QuestionEditor::block(int group, int block) const
{
    const QuestionStore &store = m_store.questions();
    if (group < 0 || group >= store.size())
        return nullptr;
    const QVector<QuestionBlock> &blocks = store.at(group).blocks;
    if (block < 0 || block >= blocks.size())
        return nullptr;
    return &blocks.at(block);
}

bool QuestionEditor::hasGroup(int group) const
{
    return group >= 0 && group < m_store.questions().size();
}

bool QuestionEditor::hasBlockNamed(int group, const QString &name) const
{
    if (!hasGroup(group))
        return false;
    const QVector<QuestionBlock> &blocks = m_store.questions().at(group).blocks;
    return std::any_of(blocks.cbegin(), blocks.cend(),
                       [&](const QuestionBlock &b) { return b.name == name; });
}

int QuestionEditor::addBlock(int group, const QString &name)
{
    if (!hasGroup(group)
        || !m_store.checkRoom(m_store.questions().at(group).blocks.size(), 1,
                              QStringLiteral("блоков в группе"))) {
        return -1;
    }
    QuestionBlock added;
    added.name = name;
    added.id = nextFreeBlockId(m_store.questions());
    QuestionStore questions = m_store.questions();
    QVector<QuestionBlock> &blocks = questions[group].blocks;
    added.ordinal = blocks.size();
    added.active = false;
    added.group = static_cast<quint8>(group);
    blocks.append(added);
    m_store.setQuestions(questions);
    return blocks.size() - 1;
}

bool QuestionEditor::deleteBlock(int group, int block)
{
    const QuestionBlock *doomed = this->block(group, block);
    if (!doomed)
        return false;
    const qint32 blockId = doomed->id;
    if (!m_store.snapshotBefore(QStringLiteral("Удаление блока «%1»").arg(doomed->name)))
        return false;
    m_store.removeAnswers([blockId](const Answer &a) { return a.blockId == blockId; });
    QuestionStore questions = m_store.questions();
    questions[group].blocks.remove(block);
    m_store.setQuestions(questions);
    return true;
}

QVector<qint32> QuestionEditor::takenQuestionIds(const QVector<qint32> &openIds) const
{
    QSet<qint32> taken(openIds.cbegin(), openIds.cend());
    for (const Answer &answer : m_store.answers())
        taken.insert(answer.questionId);
    return QVector<qint32>(taken.cbegin(), taken.cend());
}

Question QuestionEditor::newQuestion(const QVector<qint32> &openIds) const
{
    Question q;
    q.id = nextFreeQuestionId(m_store.questions(), takenQuestionIds(openIds));
    q.text = QString::number(q.id);
    q.active = false;
    q.maxValue = 0;
    q.minValue = 0;
    q.reserved = 0;
    return q;
}

bool QuestionEditor::saveBlock(int group, int block, const QVector<Question> &rows, bool active)
{
    if (!this->block(group, block)
        || !m_store.checkRoom(0, rows.size(), QStringLiteral("вопросов в блоке"))) {
        return false;
    }
    for (const Question &row : rows) {
        if (!m_store.checkLength(row.text.size(), QStringLiteral("знаков в тексте вопроса")))
            return false;
    }
    QuestionStore store = m_store.questions();
    QuestionBlock &target = store[group].blocks[block];
    QVector<Question> &questions = target.questions;
    QVector<bool> kept(questions.size(), false);
    QSet<qint32> handled;
    for (Question q : rows) {
        // Two rows with one id would both overwrite the same question; the
        // later one is kept as a new question instead.
        if (handled.contains(q.id)) {
            QVector<qint32> open(handled.cbegin(), handled.cend());
            for (const Question &row : rows)
                open.append(row.id);
            q.id = nextFreeQuestionId(store, takenQuestionIds(open));
        }
        handled.insert(q.id);
        const int at = indexOfQuestion(questions, q.id);
        if (at >= 0) {
            questions[at] = q;
            kept[at] = true;
        } else {
            questions.append(q);
            kept.append(true);
        }
    }
    if (kept.contains(false)
        && !m_store.snapshotBefore(QStringLiteral("Сохранение блока «%1» без части вопросов").arg(target.name)))
        return false;
    for (int i = questions.size() - 1; i >= 0; --i) {
        if (!kept.at(i))
            questions.remove(i);
    }
    target.active = active;
    m_store.setQuestions(store);
    return true;
}

bool QuestionEditor::differs(int group, int block, const QVector<Question> &rows, bool active) const
{
    const QuestionBlock *stored = this->block(group, block);
    if (!stored)
        return false;
    if (stored->active != active || stored->questions.size() != rows.size())
        return true;
    return std::any_of(rows.cbegin(), rows.cend(), [stored](const Question &row) {
        const int at = indexOfQuestion(stored->questions, row.id);
        return at < 0 || !sameEditedFields(stored->questions.at(at), row);
    });
}
