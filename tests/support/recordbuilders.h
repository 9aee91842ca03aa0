#ifndef RECORDBUILDERS_H
#define RECORDBUILDERS_H

// Records for the tests, built from the fields a test cares about; every
// other field keeps the record's default.

#include "records.h"

#include <QDate>

inline Question makeQuestion(qint32 id, const QString &text, qint16 minValue, qint16 maxValue, bool active = true)
{
    Question q;
    q.text = text;
    q.id = id;
    q.active = active;
    q.minValue = minValue;
    q.maxValue = maxValue;
    return q;
}

// Ordinal 0, as the administrator's editor gives a first block.
inline QuestionBlock makeBlock(qint32 id, const QString &name, quint8 group, const QVector<Question> &questions,
                               bool active = true)
{
    QuestionBlock b;
    b.name = name;
    b.id = id;
    b.ordinal = 0;
    b.active = active;
    b.group = group;
    b.questions = questions;
    return b;
}

inline Account makeAccount(qint32 id, const QString &name, const QByteArray &password, bool active = true,
                           qint32 kindCode = 0)
{
    Account a;
    a.id = id;
    a.name = name;
    a.password = password;
    a.kindCode = kindCode;
    a.active = active;
    return a;
}

inline TeacherEntry makeTeacher(qint32 id, const QString &name, quint8 group, const QVector<qint32> &answered = {})
{
    TeacherEntry t;
    t.id = id;
    t.name = name;
    t.group = group;
    t.answeredBlocks = answered;
    return t;
}

// An answer as the server keeps it: ids, date, value and range, no texts.
inline Answer makeAnswer(qint32 questionId, qint32 blockId, qint32 authorId, qint32 subjectId, const QDate &date,
                         qint16 value = 1, qint32 group = 0, qint16 minValue = 0, qint16 maxValue = 5)
{
    Answer a;
    a.questionId = questionId;
    a.blockId = blockId;
    a.group = group;
    a.date = date;
    a.value = value;
    a.maxValue = maxValue;
    a.minValue = minValue;
    a.authorId = authorId;
    a.subjectId = subjectId;
    return a;
}

// `answer` with the texts the server sends beside its ids.
inline Answer withTexts(Answer answer, const QString &questionText, const QString &blockName,
                        const QString &authorName, const QString &subjectName)
{
    answer.questionText = questionText;
    answer.blockName = blockName;
    answer.authorName = authorName;
    answer.subjectName = subjectName;
    return answer;
}

// An answer to `question` of `block` as the server sends it today.
inline Answer makeAnswer(const Question &question, const QuestionBlock &block, qint16 value, qint32 authorId,
                         const QString &author, qint32 subjectId, const QString &subject)
{
    return withTexts(makeAnswer(question.id, block.id, authorId, subjectId, QDate::currentDate(), value, block.group,
                                question.minValue, question.maxValue),
                     question.text, block.name, author, subject);
}

#endif // RECORDBUILDERS_H
