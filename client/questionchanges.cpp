#include "questionchanges.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

const Question *findQuestion(const QVector<Question> &questions, qint32 id)
{
    const auto found = std::find_if(questions.cbegin(), questions.cend(), [id](const Question &q) { return q.id == id; });
    return found == questions.cend() ? nullptr : &*found;
}

// One line of the notice: the singular form for one question, the plural
// one for several.
QString noticeLine(const QStringList &questions, const char *one, const char *several)
{
    return QCoreApplication::translate("QuestionChanges", questions.size() == 1 ? one : several)
        .arg(questions.join(QStringLiteral(", ")));
}

QStringList numbers(const QVector<int> &positions)
{
    QStringList list;
    for (int position : positions)
        list.append(QString::number(position + 1));
    return list;
}

} // namespace

QString QuestionChanges::notice(const QString &blockName) const
{
    QStringList lines;
    if (!changed.isEmpty())
        lines.append(noticeLine(numbers(changed), "изменён вопрос %1", "изменены вопросы %1"));
    if (!added.isEmpty())
        lines.append(noticeLine(numbers(added), "добавлен вопрос %1", "добавлены вопросы %1"));
    if (!removed.isEmpty()) {
        QStringList quoted;
        for (const QString &text : removed)
            quoted.append(QStringLiteral("«%1»").arg(text));
        lines.append(noticeLine(quoted, "удалён вопрос %1", "удалены вопросы %1"));
    }
    if (reordered)
        lines.append(QCoreApplication::translate("QuestionChanges", "вопросы идут в другом порядке"));
    return QCoreApplication::translate("QuestionChanges", "Вопросы блока «%1» изменились на сервере:\n— %2.\n"
                                                          "Проверьте ответы.")
        .arg(blockName, lines.join(QStringLiteral(";\n— ")));
}

QuestionChanges questionChanges(const QVector<Question> &shown, const QVector<Question> &newer)
{
    QuestionChanges changes;
    // The ids asked in both lists, in the order of each.
    QVector<qint32> shownOrder;
    for (const Question &question : shown) {
        if (findQuestion(newer, question.id))
            shownOrder.append(question.id);
        else
            changes.removed.append(question.text);
    }
    QVector<qint32> newerOrder;
    for (int position = 0; position < newer.size(); ++position) {
        const Question &question = newer.at(position);
        const Question *before = findQuestion(shown, question.id);
        if (!before) {
            changes.added.append(position);
            continue;
        }
        newerOrder.append(question.id);
        if (before->text == question.text && before->minValue == question.minValue
            && before->maxValue == question.maxValue)
            changes.kept.append(question.id);
        else
            changes.changed.append(position);
    }
    changes.reordered = shownOrder != newerOrder;
    return changes;
}
