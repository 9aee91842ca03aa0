#include "historyfilter.h"
#include "tst_serverfixtures.h"

#include <QtTest>

using namespace serverfixtures;

class tst_HistoryFilter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void filters_data();
    void filters();
    void displayCopiesCarryTexts();
    void missingAccountsKeepStoredNames();
    void groupWithoutAccountsShowsNothing();
    void subjectNamesOnceInOrderOfAppearance();
    void teacherFilterItems_data();
    void teacherFilterItems();

private:
    QuestionStore m_questions;
    AccountStore m_accounts;
    AnswerStore m_answers;
};

void tst_HistoryFilter::init()
{
    m_questions = schoolQuestions();
    m_accounts = schoolAccounts();
    m_answers = schoolAnswers(QDate(2026, 3, 10));
}

void tst_HistoryFilter::filters_data()
{
    QTest::addColumn<int>("authorKind");
    QTest::addColumn<QString>("teacher");
    QTest::addColumn<QVector<int>>("storeIndexes");

    // Answer 4 names a question that no longer exists and is never shown.
    QTest::newRow("no filter") << -1 << QString() << QVector<int> {0, 1, 2, 3, 5};
    QTest::newRow("teacher") << -1 << QStringLiteral("Иванова") << QVector<int> {0, 1, 5};
    QTest::newRow("other teacher") << -1 << QStringLiteral("Петров") << QVector<int> {3};
    QTest::newRow("unknown teacher") << -1 << QStringLiteral("Никто") << QVector<int> {};
    QTest::newRow("authors are teachers") << int(TeacherDoKind) << QString() << QVector<int> {1};
    QTest::newRow("authors are experts") << int(ExpertKind) << QString() << QVector<int> {0, 3, 5};
    QTest::newRow("authors are parents") << int(ParentKind) << QString() << QVector<int> {2};
    QTest::newRow("experts about one teacher")
        << int(ExpertKind) << QStringLiteral("Иванова") << QVector<int> {0, 5};
}

void tst_HistoryFilter::filters()
{
    QFETCH(int, authorKind);
    QFETCH(QString, teacher);
    QFETCH(QVector<int>, storeIndexes);

    const HistoryList list
        = buildHistory(m_questions, m_accounts, m_answers, {authorKind, teacher});

    QCOMPARE(list.storeIndexes, storeIndexes);
    QCOMPARE(list.answers.size(), storeIndexes.size());
    for (int i = 0; i < storeIndexes.size(); ++i) {
        Answer stored = list.answers.at(i);
        stored.questionText.clear();
        stored.blockName.clear();
        stored.authorName.clear();
        stored.subjectName.clear();
        QCOMPARE(stored, m_answers.at(storeIndexes.at(i)));
    }
}

void tst_HistoryFilter::displayCopiesCarryTexts()
{
    const HistoryList list = buildHistory(m_questions, m_accounts, m_answers, {});
    const Answer &first = list.answers.at(0);
    QCOMPARE(first.questionText, QStringLiteral("Цель занятия ясна"));
    QCOMPARE(first.blockName, QStringLiteral("Занятие"));
    QCOMPARE(first.authorName, QStringLiteral("Смирнов"));
    QCOMPARE(first.subjectName, QStringLiteral("Иванова"));
    const Answer &fromParent = list.answers.at(2);
    QCOMPARE(fromParent.authorName, QStringLiteral("Родитель"));
    QCOMPARE(fromParent.subjectName, QString());
    QCOMPARE(list.answers.at(3).blockName, QStringLiteral("Урок"));
}

void tst_HistoryFilter::missingAccountsKeepStoredNames()
{
    m_answers = {makeAnswer(GoalQuestion, LessonBlock, 40, 41, QDate(2026, 3, 1))};
    m_answers[0].authorName = QStringLiteral("Ушедший эксперт");
    m_answers[0].subjectName = QStringLiteral("Ушедшая учительница");

    const HistoryList list = buildHistory(m_questions, m_accounts, m_answers, {});
    QCOMPARE(list.answers.size(), 1);
    QCOMPARE(list.answers.at(0).authorName, QStringLiteral("Ушедший эксперт"));
    QCOMPARE(list.answers.at(0).subjectName, QStringLiteral("Ушедшая учительница"));
    // Their authors belong to no kind.
    QCOMPARE(buildHistory(m_questions, m_accounts, m_answers, {ExpertKind, {}}).answers.size(), 0);
}

void tst_HistoryFilter::groupWithoutAccountsShowsNothing()
{
    m_accounts[ParentKind].clear();
    const HistoryList list = buildHistory(m_questions, m_accounts, m_answers, {ParentKind, {}});
    QVERIFY(list.answers.isEmpty());
    QVERIFY(list.storeIndexes.isEmpty());
}

void tst_HistoryFilter::subjectNamesOnceInOrderOfAppearance()
{
    QCOMPARE(subjectNames(m_accounts, m_answers),
             QStringList({QStringLiteral("Иванова"), QStringLiteral("Петров")}));
    // Two teachers of one name are listed once.
    m_accounts[SchoolTeacherKind].append(makeAccount(9, QStringLiteral("Иванова"), "x"));
    m_answers.prepend(makeAnswer(PlanQuestion, ClassBlock, Expert, 9, QDate(2026, 3, 1), 1, 1));
    QCOMPARE(subjectNames(m_accounts, m_answers),
             QStringList({QStringLiteral("Иванова"), QStringLiteral("Петров")}));
    QCOMPARE(subjectNames(m_accounts, {}), QStringList());
}

void tst_HistoryFilter::teacherFilterItems_data()
{
    QTest::addColumn<QStringList>("held");
    QTest::addColumn<QStringList>("expected");

    const QString ivanova = QStringLiteral("Иванова");
    const QString petrov = QStringLiteral("Петров");
    QTest::newRow("empty filter gets the subjects") << QStringList() << QStringList {ivanova, petrov};
    QTest::newRow("held names keep their order") << QStringList {petrov, ivanova}
                                                 << QStringList {petrov, ivanova};
    QTest::newRow("subjects not held yet follow") << QStringList {petrov} << QStringList {petrov, ivanova};
    // An account whose answers are gone is still there to filter by.
    QTest::newRow("existing account without answers stays")
        << QStringList {QStringLiteral("Смирнов"), ivanova} << QStringList {QStringLiteral("Смирнов"), ivanova, petrov};
    QTest::newRow("name no account bears goes")
        << QStringList {QStringLiteral("Ушедшая"), ivanova} << QStringList {ivanova, petrov};
}

void tst_HistoryFilter::teacherFilterItems()
{
    QFETCH(QStringList, held);
    QFETCH(QStringList, expected);
    QCOMPARE(::teacherFilterItems(held, m_accounts, m_answers), expected);
}

QTEST_GUILESS_MAIN(tst_HistoryFilter)
#include "tst_historyfilter.moc"
