#ifndef TST_OVERVIEWFIXTURES_H
#define TST_OVERVIEWFIXTURES_H

// A school small enough to check the season overview by hand.
//
// Group 0: "Урок" (10; questions 100 of 1..5, 101 of 0..10), "Общие" (11;
// question 110 of 1..5), the inactive "Старый" (12). Group 1: "Общие" (20;
// question 200 of 0..4). Teachers of additional education 1 "Анна Петрова"
// and 2 "Борис Иванов", experts 5 and 6, parent 7, school teacher 3
// "Вера Смирнова". The season began on 1.9.2026.

#include "recordbuilders.h"

#include <QDate>

namespace overviewfixtures {

inline QDate seasonStart() { return QDate(2026, 9, 1); }

inline QuestionStore questions()
{
    QuestionStore store(3);
    store[0].blocks = {makeBlock(10, QStringLiteral("Урок"), 0,
                                 {makeQuestion(100, QStringLiteral("Цель урока"), 1, 5),
                                  makeQuestion(101, QStringLiteral("Темп"), 0, 10)}),
                       makeBlock(11, QStringLiteral("Общие"), 0, {makeQuestion(110, QStringLiteral("Такт"), 1, 5)}),
                       makeBlock(12, QStringLiteral("Старый"), 0, {makeQuestion(120, QStringLiteral("Прежний"), 1, 5)},
                                 false)};
    store[1].blocks = {makeBlock(20, QStringLiteral("Общие"), 1, {makeQuestion(200, QStringLiteral("План"), 0, 4)})};
    return store;
}

inline AccountStore accounts()
{
    AccountStore store(AccountKindCount);
    store[TeacherDoKind] = {makeAccount(1, QStringLiteral("Анна Петрова"), "a", true, 1),
                            makeAccount(2, QStringLiteral("Борис Иванов"), "b", true, 1)};
    store[ExpertKind] = {makeAccount(5, QStringLiteral("Эксперт Один"), "e", true, 2),
                         makeAccount(6, QStringLiteral("Эксперт Два"), "f", true, 2)};
    store[ParentKind] = {makeAccount(7, QStringLiteral("Родитель"), "p", true, 0)};
    store[SchoolTeacherKind] = {makeAccount(3, QStringLiteral("Вера Смирнова"), "v", true, 5)};
    return store;
}

// In the season unless marked "before": scaled shares in brackets.
inline AnswerStore answers()
{
    const QDate in(2026, 10, 1);
    const QDate before(2026, 5, 10);
    return {
        makeAnswer(100, 10, 5, 1, in, 5, 0, 1, 5),      // expert 5 on Анна, Урок (1)
        makeAnswer(101, 10, 5, 1, in, 5, 0, 0, 10),     // the same (0.5)
        makeAnswer(100, 10, 6, 1, in, 2, 0, 1, 5),      // expert 6 on Анна, Урок (0.25)
        makeAnswer(100, 10, 6, 1, before, 1, 0, 1, 5),  // before: expert 6 on Анна, Урок (0)
        makeAnswer(100, 10, 7, 1, in, 5, 0, 1, 5),      // a parent's: no expert
        makeAnswer(100, 10, 1, 1, in, 3, 0, 1, 5),      // Анна on herself, Урок
        makeAnswer(999, 11, 5, 1, in, 5, 0, 1, 5),      // a question that is gone
        makeAnswer(200, 20, 5, 3, in, 4, 1, 0, 4),      // expert 5 on Вера, Общие (1)
        makeAnswer(110, 11, 5, 2, before, 3, 0, 1, 5),  // before: expert 5 on Борис, Общие (0.5)
        makeAnswer(200, 20, 3, 3, before, 2, 1, 0, 4),  // before: Вера on herself
        makeAnswer(110, 11, 6, 1, in, 3, 0, 3, 3),      // expert 6 on Анна, Общие, no range
    };
}

} // namespace overviewfixtures

#endif // TST_OVERVIEWFIXTURES_H
