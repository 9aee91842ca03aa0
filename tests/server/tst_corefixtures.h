#ifndef TST_COREFIXTURES_H
#define TST_COREFIXTURES_H

// A small school and the request and file helpers shared by the server core
// tests.

#include "datastore.h"
#include "encoding.h"
#include "message.h"
#include "recordbuilders.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <optional>

namespace fixtures {

// Ids of the small school below.
enum : qint32 {
    LessonBlock = 10,      // group 0, active
    HiddenBlock = 11,      // group 0, inactive
    ClassBlock = 20,       // group 1, active
    GoalQuestion = 100,    // in LessonBlock, 0..5
    PaceQuestion = 101,    // in LessonBlock, inactive
    HiddenQuestion = 102,  // in HiddenBlock
    PlanQuestion = 200,    // in ClassBlock, -2..2
    TeacherDo = 1,         // kind 0, login "Иванова" / "p1"
    Expert = 2,            // kind 1, login "Смирнов" / "p2"
    Parent = 3,            // kind 2, login "Родитель" / "p3"
    SchoolTeacher = 4,     // kind 3, login "Петров" / "p4"
    SleepingExpert = 5     // kind 1, inactive, login "Соня" / "p5"
};

// Two groups of blocks and a blank third.
inline QuestionStore schoolQuestions()
{
    return {
        QuestionGroup{QString(), -1,
                      {makeBlock(LessonBlock, QStringLiteral("Занятие"), 0,
                                 {makeQuestion(GoalQuestion, QStringLiteral("Цель занятия ясна"), 0, 5),
                                  makeQuestion(PaceQuestion, QStringLiteral("Темп"), 0, 3, false)}),
                       makeBlock(HiddenBlock, QStringLiteral("Черновик"), 0,
                                 {makeQuestion(HiddenQuestion, QStringLiteral("Скрытый"), 0, 1)}, false)}},
        QuestionGroup{QString(), -1,
                      {makeBlock(ClassBlock, QStringLiteral("Урок"), 1,
                                 {makeQuestion(PlanQuestion, QStringLiteral("План урока"), -2, 2)})}},
        QuestionGroup()};
}

// One account of every kind and an inactive expert.
inline AccountStore schoolAccounts()
{
    return {{makeAccount(TeacherDo, QStringLiteral("Иванова"), "p1")},
            {makeAccount(Expert, QStringLiteral("Смирнов"), "p2"),
             makeAccount(SleepingExpert, QStringLiteral("Соня"), "p5", false)},
            {makeAccount(Parent, QStringLiteral("Родитель"), "p3")},
            {makeAccount(SchoolTeacher, QStringLiteral("Петров"), "p4")}};
}

inline QByteArray loginRequest(const QString &login, const QByteArray &password)
{
    return packMessage(Message::single(LoginCredentialsSection,
                                       encodeLoginCredentials({login, password}).value()))
        .value();
}

inline QByteArray submission(qint32 subject, const QVector<AnswerItem> &items,
                             qint32 sectionType = AnswerBatchSection)
{
    AnswerBatch batch;
    batch.subject = subject;
    batch.items = items;
    return packMessage(Message::single(sectionType, encodeAnswerBatch(batch).value())).value();
}

inline QVector<qint32> sectionTypes(const Message &message)
{
    QVector<qint32> types;
    for (const Section &section : message.sections)
        types.append(section.type);
    return types;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Gives `store` these questions and accounts the way a restart would: as
// its data files, then loaded. The answers and settings files are left as
// they are (none in a fresh folder: no answers, no season).
inline bool loadStores(DataStore &store, const QuestionStore &questions, const AccountStore &accounts)
{
    const std::optional<QByteArray> questionBytes = encodeGroupList(questions);
    const std::optional<QByteArray> accountBytes = encodeAccountTable(accounts);
    if (!QDir().mkpath(store.folder()) || !questionBytes || !accountBytes
        || !putFile(store.questionsPath(), *questionBytes) || !putFile(store.accountsPath(), *accountBytes)) {
        return false;
    }
    store.load();
    return true;
}

// The school in a store whose folder holds nothing else.
inline bool loadSchool(DataStore &store)
{
    return loadStores(store, schoolQuestions(), schoolAccounts());
}

} // namespace fixtures

#endif // TST_COREFIXTURES_H
