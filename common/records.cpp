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
    // A damaged or hand-edited file may hold a negative or a repeated id;
    // neither may make a taken id look free.
    ids.erase(std::remove_if(ids.begin(), ids.end(), [](qint32 id) { return id < 0; }), ids.end());
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
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
    ids += extraIds;
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

namespace {

char *describe(const QString &text)
{
    return qstrdup(text.toUtf8().constData());
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString num(qint64 value)
{
    return QString::number(value);
}

} // namespace

char *toString(const Question &q)
{
    return describe(QLatin1String("Question(text=") + quoted(q.text) + QLatin1String(" id=") + num(q.id)
                    + QLatin1String(" active=") + num(q.active) + QLatin1String(" max=") + num(q.maxValue)
                    + QLatin1String(" min=") + num(q.minValue) + QLatin1String(" reserved=") + num(q.reserved)
                    + QLatin1Char(')'));
}

char *toString(const QuestionBlock &b)
{
    return describe(QLatin1String("QuestionBlock(name=") + quoted(b.name) + QLatin1String(" id=") + num(b.id)
                    + QLatin1String(" ordinal=") + num(b.ordinal) + QLatin1String(" active=") + num(b.active)
                    + QLatin1String(" group=") + num(b.group) + QLatin1String(" questions=")
                    + num(b.questions.size()) + QLatin1Char(')'));
}

char *toString(const Account &a)
{
    return describe(QLatin1String("Account(id=") + num(a.id) + QLatin1String(" name=") + quoted(a.name)
                    + QLatin1String(" password=") + QString::fromLatin1(a.password.toHex())
                    + QLatin1String(" kindCode=") + num(a.kindCode) + QLatin1String(" active=") + num(a.active)
                    + QLatin1String(" reserved=") + num(a.reserved) + QLatin1String(" information=")
                    + quoted(a.information) + QLatin1String(" note=") + quoted(a.note) + QLatin1Char(')'));
}

char *toString(const Answer &a)
{
    return describe(QLatin1String("Answer(question=") + num(a.questionId) + QLatin1Char(' ') + quoted(a.questionText)
                    + QLatin1String(" block=") + num(a.blockId) + QLatin1Char(' ') + quoted(a.blockName)
                    + QLatin1String(" group=") + num(a.group) + QLatin1String(" date=") + a.date.toString(Qt::ISODate)
                    + QLatin1String(" value=") + num(a.value) + QLatin1String(" max=") + num(a.maxValue)
                    + QLatin1String(" min=") + num(a.minValue) + QLatin1String(" author=") + num(a.authorId)
                    + QLatin1Char(' ') + quoted(a.authorName) + QLatin1String(" subject=") + num(a.subjectId)
                    + QLatin1Char(' ') + quoted(a.subjectName) + QLatin1Char(')'));
}

char *toString(const TeacherEntry &t)
{
    QStringList blocks;
    for (qint32 id : t.answeredBlocks)
        blocks.append(num(id));
    return describe(QLatin1String("TeacherEntry(id=") + num(t.id) + QLatin1String(" name=") + quoted(t.name)
                    + QLatin1String(" extra=") + quoted(t.extra) + QLatin1String(" blocks=[")
                    + blocks.join(QLatin1Char(',')) + QLatin1String("] group=") + num(t.group) + QLatin1Char(')'));
}
