#ifndef RECORDS_H
#define RECORDS_H

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>

// Plain value records shared by the server and the client. Records refer to
// each other only through integer ids; dates are held as QDate, whose null
// value has the smallest Julian day and so sorts before every real date.

struct Question
{
    QString text;
    qint32 id = -1;
    bool active = false;
    qint16 maxValue = 0;
    qint16 minValue = 0;
    qint16 reserved = 0;

    bool operator==(const Question &o) const;
    bool operator!=(const Question &o) const { return !(*this == o); }
};

struct QuestionBlock
{
    QString name;
    qint32 id = -1;
    qint32 ordinal = -1;
    bool active = false;
    quint8 group = 0;
    QVector<Question> questions;

    bool operator==(const QuestionBlock &o) const;
    bool operator!=(const QuestionBlock &o) const { return !(*this == o); }
};

struct QuestionGroup
{
    QString name;
    qint32 id = -1;
    QVector<QuestionBlock> blocks;

    bool operator==(const QuestionGroup &o) const;
    bool operator!=(const QuestionGroup &o) const { return !(*this == o); }
};

struct Account
{
    qint32 id = -1;
    QString name;
    QByteArray password;
    qint32 kindCode = 0;
    bool active = false;
    qint32 reserved = 3;
    QString information;
    QString note;

    bool operator==(const Account &o) const;
    bool operator!=(const Account &o) const { return !(*this == o); }
};

struct Answer
{
    qint32 questionId = -1;
    QString questionText;
    qint32 blockId = -1;
    qint32 group = 0;
    QString blockName;
    QDate date;
    qint16 value = 0;
    qint16 maxValue = 0;
    qint16 minValue = 0;
    qint32 authorId = -1;
    qint32 subjectId = -1;
    QString authorName;
    QString subjectName;

    bool operator==(const Answer &o) const;
    bool operator!=(const Answer &o) const { return !(*this == o); }
};

struct TeacherEntry
{
    qint32 id = -1;
    QString name;
    QString extra;
    QVector<qint32> answeredBlocks;
    quint8 group = 0;

    bool operator==(const TeacherEntry &o) const;
    bool operator!=(const TeacherEntry &o) const { return !(*this == o); }
};

// Account kinds index the four lists of the account store.
enum AccountKind : int {
    TeacherDoKind = 0,   // "Педагог ДО"
    ExpertKind = 1,      // "Эксперт"
    ParentKind = 2,      // "Родитель"
    SchoolTeacherKind = 3, // "Учитель"
    AccountKindCount = 4
};

using QuestionStore = QVector<QuestionGroup>;
using AccountStore = QVector<QVector<Account>>;
using AnswerStore = QVector<Answer>;

// Role code a connection gets after logging in with an account of `kind`;
// 0 for a kind outside 0..3.
qint32 roleCodeForKind(int kind);

// The smallest non-negative integer not among `ids`.
qint32 nextFreeId(QVector<qint32> ids);

qint32 nextFreeBlockId(const QuestionStore &store);
qint32 nextFreeQuestionId(const QuestionStore &store, const QVector<qint32> &extraIds = {});
qint32 nextFreeAccountId(const AccountStore &store);

struct QuestionLocation
{
    int group = -1;
    int block = -1;
    int question = -1;

    bool isValid() const { return group >= 0; }
    bool operator==(const QuestionLocation &o) const
    {
        return group == o.group && block == o.block && question == o.question;
    }
};

struct AccountLocation
{
    int kind = -1;
    int index = -1;

    bool isValid() const { return kind >= 0; }
    bool operator==(const AccountLocation &o) const { return kind == o.kind && index == o.index; }
};

// First question with `id`, walking groups, blocks and questions in order.
QuestionLocation findQuestion(const QuestionStore &store, qint32 id);
// First account with `id`, walking kinds 0..3 and each list in order.
AccountLocation findAccount(const AccountStore &store, qint32 id);

// An answer dated on or after the season start belongs to the current season;
// with no season begun (null start) every answer does.
bool inCurrentSeason(const QDate &answerDate, const QDate &seasonStart);

char *toString(const Question &q);
char *toString(const QuestionBlock &b);
char *toString(const Account &a);
char *toString(const Answer &a);
char *toString(const TeacherEntry &t);

#endif // RECORDS_H
