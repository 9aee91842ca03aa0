#include "records.h"


#include <QStringList>

#include <algorithm>

bool Question::operator==(const Question &o) const
{
    return text == o.text && id == o.id && active == o.active && maxValue == o.maxValue
        && minValue == o.minValue && reserved == o.reserved;
}

bool QuestionBlock::operator==(const QuestionBlock &o) const
{
    return name == o.name && id == o.id && ordinal == o.ordinal && active == o.active
        && group == o.group && questions == o.questions;
}

bool QuestionGroup::operator==(const QuestionGroup &o) const
{
    return name == o.name && id == o.id && blocks == o.blocks;
}

bool Account::operator==(const Account &o) const
{
    return id == o.id && name == o.name && password == o.password && kindCode == o.kindCode
        && active == o.active && reserved == o.reserved && information == o.information
        && note == o.note;
}

bool Answer::operator==(const Answer &o) const
{
    return questionId == o.questionId && questionText == o.questionText && blockId == o.blockId
        && group == o.group && blockName == o.blockName && date == o.date && value == o.value
        && maxValue == o.maxValue && minValue == o.minValue && authorId == o.authorId
        && subjectId == o.subjectId && authorName == o.authorName && subjectName == o.subjectName;
}

bool TeacherEntry::operator==(const TeacherEntry &o) const
{
    return id == o.id && name == o.name && extra == o.extra && answeredBlocks == o.answeredBlocks
        && group == o.group;
}

qint32 roleCodeForKind(int kind)
{
    switch (kind) {
    case TeacherDoKind:
        return 3;
    case ExpertKind:
        return 2;
    case ParentKind:
        return 4;
    case SchoolTeacherKind:
        return 5;
    default:
        return 0;
    }
}

qint32 nextFreeId(QVector<qint32> ids)
{
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < ids.size(); ++i) {
        if (ids.at(i) != i)
            return i;
    }
    return ids.size();
}

qint32 nextFreeBlockId(const QuestionStore &store)
{
    QVector<qint32> ids;
    for (const QuestionGroup &group : store) {
        for (const QuestionBlock &block : group.blocks)
            ids.append(block.id);
    }
    return nextFreeId(ids);
}

qint32 nextFreeQuestionId(const QuestionStore &store, const QVector<qint32> &extraIds)
{
    QVector<qint32> ids;
    for (const QuestionGroup &group : store) {
        for (const QuestionBlock &block : group.blocks) {
            for (const Question &question : block.questions)
                ids.append(question.id);
        }
    }
    for (qint32 id : extraIds) {
        if (!ids.contains(id))
            ids.append(id);
    }
    return nextFreeId(ids);
}

qint32 nextFreeAccountId(const AccountStore &store)
{
    QVector<qint32> ids;
    for (const QVector<Account> &kind : store) {
        for (const Account &account : kind)
            ids.append(account.id);
    }
    return nextFreeId(ids);
}

QuestionLocation findQuestion(const QuestionStore &store, qint32 id)
{
    for (int g = 0; g < store.size(); ++g) {
        const QVector<QuestionBlock> &blocks = store.at(g).blocks;
        for (int b = 0; b < blocks.size(); ++b) {
            const QVector<Question> &questions = blocks.at(b).questions;
            for (int q = 0; q < questions.size(); ++q) {
                if (questions.at(q).id == id)
                    return {g, b, q};
            }
        }
    }
    return {};
}

AccountLocation findAccount(const AccountStore &store, qint32 id)
{
    for (int k = 0; k < store.size(); ++k) {
        const QVector<Account> &accounts = store.at(k);
        for (int i = 0; i < accounts.size(); ++i) {
            if (accounts.at(i).id == id)
                return {k, i};
        }
    }
    return {};
}

bool inCurrentSeason(const QDate &answerDate, const QDate &seasonStart)
{
    return !seasonStart.isValid() || answerDate.toJulianDay() >= seasonStart.toJulianDay();
}

char *toString(const Question &q)
{
    return qstrdup(QStringLiteral("Question(text=\"%1\" id=%2 active=%3 max=%4 min=%5 reserved=%6)")
                       .arg(q.text).arg(q.id).arg(q.active).arg(q.maxValue).arg(q.minValue)
                       .arg(q.reserved).toUtf8().constData());
}

char *toString(const QuestionBlock &b)
{
    return qstrdup(QStringLiteral("QuestionBlock(name=\"%1\" id=%2 ordinal=%3 active=%4 group=%5 questions=%6)")
                       .arg(b.name).arg(b.id).arg(b.ordinal).arg(b.active).arg(b.group)
                       .arg(b.questions.size()).toUtf8().constData());
}

char *toString(const Account &a)
{
    return qstrdup(QStringLiteral("Account(id=%1 name=\"%2\" password=%3 kindCode=%4 active=%5 reserved=%6 information=\"%7\" note=\"%8\")")
                       .arg(a.id).arg(a.name, QString::fromLatin1(a.password.toHex()))
                       .arg(a.kindCode).arg(a.active).arg(a.reserved).arg(a.information, a.note)
                       .toUtf8().constData());
}

char *toString(const Answer &a)
{
    return qstrdup(QStringLiteral("Answer(question=%1 \"%2\" block=%3 \"%4\" group=%5 date=%6 value=%7 max=%8 min=%9 author=%10 \"%11\" subject=%12 \"%13\")")
                       .arg(a.questionId).arg(a.questionText).arg(a.blockId).arg(a.blockName)
                       .arg(a.group).arg(a.date.toString(Qt::ISODate)).arg(a.value).arg(a.maxValue)
                       .arg(a.minValue).arg(a.authorId).arg(a.authorName).arg(a.subjectId)
                       .arg(a.subjectName).toUtf8().constData());
}

char *toString(const TeacherEntry &t)
{
    QStringList blocks;
    for (qint32 id : t.answeredBlocks)
        blocks.append(QString::number(id));
    return qstrdup(QStringLiteral("TeacherEntry(id=%1 name=\"%2\" extra=\"%3\" blocks=[%4] group=%5)")
                       .arg(t.id).arg(t.name, t.extra, blocks.join(QLatin1Char(',')))
                       .arg(t.group).toUtf8().constData());
}
