#include "storeindex.h"
#include "tst_corefixtures.h"

#include <QtTest>

using namespace fixtures;

class tst_StoreIndex : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void findsQuestionsAndAccounts();
    void firstRecordWinsForARepeatedId();
    void accountsOnly();
    void displayCopyFillsCurrentTexts();
    void displayCopyKeepsNamesOfVanishedAccounts();
    void displayCopyOfAnswerWithoutQuestion();

private:
    QuestionStore m_questions;
    AccountStore m_accounts;
};

void tst_StoreIndex::init()
{
    m_questions = schoolQuestions();
    m_accounts = schoolAccounts();
}

void tst_StoreIndex::findsQuestionsAndAccounts()
{
    const StoreIndex index(m_questions, m_accounts);
    const StoreIndex::QuestionRef *plan = index.question(PlanQuestion);
    QVERIFY(plan);
    QCOMPARE(plan->question->text, QStringLiteral("План урока"));
    QCOMPARE(plan->block->id, qint32(ClassBlock));
    QVERIFY(!index.question(999));

    QCOMPARE(index.account(Parent)->name, QStringLiteral("Родитель"));
    QVERIFY(!index.account(77));
    QCOMPARE(index.kindOf(TeacherDo), int(TeacherDoKind));
    QCOMPARE(index.kindOf(SleepingExpert), int(ExpertKind));
    QCOMPARE(index.kindOf(SchoolTeacher), int(SchoolTeacherKind));
    QCOMPARE(index.kindOf(77), -1);
}

void tst_StoreIndex::firstRecordWinsForARepeatedId()
{
    m_questions[2].blocks.append(makeBlock(30, QStringLiteral("Копия"), 2,
                                           {makeQuestion(GoalQuestion, QStringLiteral("Другой текст"), 0, 1)}));
    m_accounts[TeacherDoKind].append(makeAccount(Parent, QStringLiteral("Двойник"), "x"));
    const StoreIndex index(m_questions, m_accounts);
    QCOMPARE(index.question(GoalQuestion)->question->text, QStringLiteral("Цель занятия ясна"));
    // Kind 0 comes before kind 2 in store order.
    QCOMPARE(index.account(Parent)->name, QStringLiteral("Двойник"));
    QCOMPARE(index.kindOf(Parent), int(TeacherDoKind));
}

void tst_StoreIndex::accountsOnly()
{
    const StoreIndex index(m_accounts);
    QVERIFY(!index.question(GoalQuestion));
    QCOMPARE(index.account(Expert)->name, QStringLiteral("Смирнов"));
    QCOMPARE(index.kindOf(Expert), int(ExpertKind));
}

void tst_StoreIndex::displayCopyFillsCurrentTexts()
{
    Answer stored = makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, QDate(2026, 3, 1), -1, 1);
    stored.authorName = QStringLiteral("старое имя");
    const StoreIndex index(m_questions, m_accounts);

    const std::optional<Answer> copy = displayCopy(stored, index);

    QVERIFY(copy);
    Answer expected = stored;
    expected.questionText = QStringLiteral("План урока");
    expected.blockName = QStringLiteral("Урок");
    expected.authorName = QStringLiteral("Смирнов");
    expected.subjectName = QStringLiteral("Петров");
    QCOMPARE(*copy, expected);
}

void tst_StoreIndex::displayCopyKeepsNamesOfVanishedAccounts()
{
    Answer stored = makeAnswer(GoalQuestion, LessonBlock, 40, -1, QDate(2026, 3, 1));
    stored.authorName = QStringLiteral("Ушедший эксперт");
    stored.subjectName = QStringLiteral("прежний");
    const std::optional<Answer> copy = displayCopy(stored, StoreIndex(m_questions, m_accounts));
    QVERIFY(copy);
    QCOMPARE(copy->authorName, QStringLiteral("Ушедший эксперт"));
    QCOMPARE(copy->subjectName, QStringLiteral("прежний"));
    QCOMPARE(copy->questionText, QStringLiteral("Цель занятия ясна"));
}

void tst_StoreIndex::displayCopyOfAnswerWithoutQuestion()
{
    const Answer stored = makeAnswer(999, LessonBlock, Expert, TeacherDo, QDate(2026, 3, 1));
    QVERIFY(!displayCopy(stored, StoreIndex(m_questions, m_accounts)));
    // An index without questions shows no answer at all.
    QVERIFY(!displayCopy(makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate(2026, 3, 1)),
                         StoreIndex(m_accounts)));
}

QTEST_GUILESS_MAIN(tst_StoreIndex)
#include "tst_storeindex.moc"
