#ifndef TST_SERVERFIXTURES_H
#define TST_SERVERFIXTURES_H

// The school of the core tests with answers, and the data files it is
// written to; no widgets, so that the logic tests link none.

#include "datastore.h"
#include "encoding.h"
#include "historyfilter.h"
#include "tst_corefixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Question)
Q_DECLARE_METATYPE(Account)
Q_DECLARE_METATYPE(Answer)

namespace serverfixtures {

using namespace fixtures;

// Answers of the small school, in this store order:
// 0 expert about the teacher of additional education, yesterday, question Goal
// 1 the same teacher rating herself, today, question Goal
// 2 the parent about nobody in particular, today, question Goal
// 3 expert about the school teacher, yesterday, question Plan
// 4 an answer to a question that no longer exists, yesterday
// 5 the sleeping expert about the teacher of additional education, today, question Pace
inline QVector<Answer> schoolAnswers(const QDate &today)
{
    const QDate yesterday = today.addDays(-1);
    return {makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, yesterday, 4),
            makeAnswer(GoalQuestion, LessonBlock, TeacherDo, TeacherDo, today, 5),
            makeAnswer(GoalQuestion, LessonBlock, Parent, -1, today, 3),
            makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, yesterday, -1, 1),
            makeAnswer(999, LessonBlock, Expert, TeacherDo, yesterday, 2),
            makeAnswer(PaceQuestion, LessonBlock, SleepingExpert, TeacherDo, today, 1)};
}

// Writes the school and its answers as the data files of `folder`, where a
// store or window started afterwards finds them.
inline bool writeAnsweredSchool(const QString &folder, const QDate &today)
{
    DataStore store(folder);
    const std::optional<QByteArray> answers = encodeAnswerList(schoolAnswers(today));
    return loadSchool(store) && answers && putFile(store.answersPath(), *answers);
}

// A data store in a temporary folder, holding the answered school.
struct TemporarySchool
{
    explicit TemporarySchool(const QDate &today)
        : store(dir.path())
    {
        ok = dir.isValid() && writeAnsweredSchool(dir.path(), today);
        store.load();
    }

    QTemporaryDir dir;
    DataStore store;
    bool ok = false;
};

// What each data file must hold for the store as it is in memory.
inline QByteArray expectedQuestionsFile(const DataStore &store)
{
    return encodeGroupList(store.questions()).value_or(QByteArray());
}

inline QByteArray expectedAccountsFile(const DataStore &store)
{
    return encodeAccountTable(store.accounts()).value_or(QByteArray());
}

inline QByteArray expectedAnswersFile(const DataStore &store)
{
    return encodeAnswerList(store.answers()).value_or(QByteArray());
}

// One UTF-16 unit more than the files can count, in words: a text field
// takes seconds to lay out one endless word of this length.
inline QString overlongText()
{
    QString text(DataStore::MaxListCount + 1, QChar(0x0416)); // Ж
    for (int i = 8; i < text.size(); i += 9)
        text[i] = QLatin1Char(' ');
    return text;
}

// How many cards the history shows without filters for the store as it is.
inline int buildHistoryCount(const DataStore &store)
{
    return buildHistory(store.questions(), store.accounts(), store.answers(), {}).answers.size();
}

} // namespace serverfixtures

#endif // TST_SERVERFIXTURES_H
