#ifndef ANSWERFIXTURE_H
#define ANSWERFIXTURE_H

#include "chartresult.h"
#include "recordbuilders.h"

// Answers as the client receives them, with texts and names filled in.
struct AnswerSpec
{
    qint32 questionId;
    qint32 authorId;
    qint32 subjectId;
    QDate date;
    qint16 value;
    qint32 blockId = 1;
    qint16 minValue = 1;
    qint16 maxValue = 5;
    qint32 group = 0;
};

inline QString questionName(qint32 id) { return QStringLiteral("Вопрос %1").arg(id); }
inline QString authorName(qint32 id) { return QStringLiteral("Эксперт %1").arg(id); }
inline QString teacherName(qint32 id) { return QStringLiteral("Педагог %1").arg(id); }
inline QString blockName(qint32 id) { return QStringLiteral("Блок %1").arg(id); }

inline Answer makeAnswer(const AnswerSpec &s)
{
    return withTexts(makeAnswer(s.questionId, s.blockId, s.authorId, s.subjectId, s.date, s.value, s.group,
                                s.minValue, s.maxValue),
                     questionName(s.questionId), blockName(s.blockId), authorName(s.authorId),
                     teacherName(s.subjectId));
}

inline QVector<Answer> makeAnswers(std::initializer_list<AnswerSpec> specs)
{
    QVector<Answer> answers;
    for (const AnswerSpec &s : specs)
        answers.append(makeAnswer(s));
    return answers;
}

inline ChartRow makeRow(qint16 minValue, qint16 maxValue, QVector<std::optional<qint16>> values,
                        QStringList dates)
{
    ChartRow row;
    row.minValue = minValue;
    row.maxValue = maxValue;
    row.values = values;
    row.dates = dates;
    return row;
}

#endif // ANSWERFIXTURE_H
