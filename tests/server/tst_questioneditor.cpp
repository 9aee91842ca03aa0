#include "questioneditor.h"
#include "tst_serverfixtures.h"

#include <QtTest>

using namespace serverfixtures;

class tst_QuestionEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void addBlock_data();
    void addBlock();
    void hasBlockNamed_data();
    void hasBlockNamed();
    void deleteBlockTakesItsAnswers();
    void deleteMissingBlockChangesNothing();
    void newQuestion_data();
    void newQuestion();
    void save_data();
    void save();
    void saveGivesRepeatedIdAFreshOne();
    void saveKeepsQuestionsWhoseIdsLookLikePositions();
    void differs_data();
    void differs();
    void missingGroup();
    void fullGroupRefusesBlock();
    void saveRefusesWhatTheFormatCannotCount_data();
    void saveRefusesWhatTheFormatCannotCount();

private:
    DataStore &store() { return m_school->store; }

    QScopedPointer<TemporarySchool> m_school;
};

void tst_QuestionEditor::init()
{
    m_school.reset(new TemporarySchool(QDate(2026, 3, 10)));
    QVERIFY(m_school->ok);
}

void tst_QuestionEditor::addBlock_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("expectedIndex");
    QTest::addColumn<qint32>("expectedId");

    // Block ids in use: 10, 11, 20.
    QTest::newRow("third block of group 0") << 0 << 2 << 0;
    QTest::newRow("second block of group 1") << 1 << 1 << 0;
    QTest::newRow("first block of the unused group") << 2 << 0 << 0;
}

void tst_QuestionEditor::addBlock()
{
    QFETCH(int, group);
    QFETCH(int, expectedIndex);
    QFETCH(qint32, expectedId);
    const QByteArray answersBefore = fileBytes(store().answersPath());

    const int index = QuestionEditor(store()).addBlock(group, QStringLiteral("Новый"));

    QCOMPARE(index, expectedIndex);
    const QuestionBlock &added = store().questions().at(group).blocks.at(index);
    QCOMPARE(added.name, QStringLiteral("Новый"));
    QCOMPARE(added.id, expectedId);
    QCOMPARE(added.ordinal, expectedIndex);
    QCOMPARE(added.active, false);
    QCOMPARE(int(added.group), group);
    QVERIFY(added.questions.isEmpty());
    QCOMPARE(fileBytes(store().questionsPath()), expectedQuestionsFile(store()));
    QCOMPARE(fileBytes(store().answersPath()), answersBefore);
}

void tst_QuestionEditor::hasBlockNamed_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("same group") << 0 << QStringLiteral("Занятие") << true;
    QTest::newRow("inactive block counts too") << 0 << QStringLiteral("Черновик") << true;
    QTest::newRow("other group") << 1 << QStringLiteral("Занятие") << false;
    QTest::newRow("case differs") << 0 << QStringLiteral("занятие") << false;
    QTest::newRow("trailing space") << 0 << QStringLiteral("Занятие ") << false;
}

void tst_QuestionEditor::hasBlockNamed()
{
    QFETCH(int, group);
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(QuestionEditor(store()).hasBlockNamed(group, name), expected);
}

void tst_QuestionEditor::deleteBlockTakesItsAnswers()
{
    QVERIFY(QuestionEditor(store()).deleteBlock(0, 0)); // "Занятие", id 10

    QCOMPARE(store().questions().at(0).blocks.size(), 1);
    QCOMPARE(store().questions().at(0).blocks.at(0).id, qint32(HiddenBlock));
    // Only the answer about the school teacher (block 20) stays.
    QCOMPARE(store().answers().size(), 1);
    QCOMPARE(store().answers().at(0), schoolAnswers(QDate(2026, 3, 10)).at(3));
    QCOMPARE(fileBytes(store().answersPath()), expectedAnswersFile(store()));
    QCOMPARE(fileBytes(store().questionsPath()), expectedQuestionsFile(store()));
}

void tst_QuestionEditor::deleteMissingBlockChangesNothing()
{
    const QuestionStore questions = store().questions();
    const AnswerStore answers = store().answers();
    QuestionEditor editor(store());
    QVERIFY(!editor.deleteBlock(0, 2));
    QVERIFY(!editor.deleteBlock(0, -1));
    QVERIFY(!editor.deleteBlock(5, 0));
    QCOMPARE(store().questions(), questions);
    QCOMPARE(store().answers(), answers);
}

void tst_QuestionEditor::newQuestion_data()
{
    QTest::addColumn<QVector<qint32>>("openIds");
    QTest::addColumn<qint32>("expectedId");

    QTest::addColumn<QVector<qint32>>("answeredIds"); // of deleted questions

    QTest::newRow("no open rows") << QVector<qint32> {} << 0 << QVector<qint32> {};
    QTest::newRow("open rows hold 0 and 1") << QVector<qint32> {1, 0} << 2 << QVector<qint32> {};
    QTest::newRow("open rows repeat stored ids") << QVector<qint32> {100, 0} << 1 << QVector<qint32> {};
    QTest::newRow("answers keep the ids of deleted questions")
        << QVector<qint32> {} << 2 << QVector<qint32> {1, 0, 1};
    QTest::newRow("still the smallest free id")
        << QVector<qint32> {} << 1 << QVector<qint32> {0, 2, 3};
    QTest::newRow("answers and open rows together")
        << QVector<qint32> {2, 1} << 4 << QVector<qint32> {0, 3};
}

void tst_QuestionEditor::newQuestion()
{
    QFETCH(QVector<qint32>, openIds);
    QFETCH(qint32, expectedId);
    QFETCH(QVector<qint32>, answeredIds);
    for (qint32 id : answeredIds)
        QVERIFY(store().appendAnswers({makeAnswer(id, LessonBlock, Expert, TeacherDo, QDate(2026, 3, 1))}));

    const Question q = QuestionEditor(store()).newQuestion(openIds);

    Question expected;
    expected.id = expectedId;
    expected.text = QString::number(expectedId);
    expected.reserved = 0;
    QCOMPARE(q, expected);
}

void tst_QuestionEditor::save_data()
{
    QTest::addColumn<QVector<Question>>("rows");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QVector<Question>>("expected");

    const Question goal = makeQuestion(GoalQuestion, QStringLiteral("Цель занятия ясна"), 0, 5);
    const Question pace = makeQuestion(PaceQuestion, QStringLiteral("Темп"), 0, 3, false);
    Question goalEdited = goal;
    goalEdited.text = QStringLiteral("Цель занятия понятна ученикам");
    goalEdited.minValue = -2;
    goalEdited.reserved = 7;
    const Question added = makeQuestion(0, QStringLiteral("0"), 0, 0, false);

    QTest::newRow("unchanged") << QVector<Question> {goal, pace} << true
                               << QVector<Question> {goal, pace};
    QTest::newRow("edited in place")
        << QVector<Question> {goalEdited, pace} << true << QVector<Question> {goalEdited, pace};
    QTest::newRow("new row appended")
        << QVector<Question> {goal, added, pace} << true << QVector<Question> {goal, pace, added};
    QTest::newRow("deleted row removed")
        << QVector<Question> {pace} << false << QVector<Question> {pace};
    QTest::newRow("all rows deleted") << QVector<Question> {} << true << QVector<Question> {};
    QTest::newRow("kept questions keep their places")
        << QVector<Question> {pace, goal} << true << QVector<Question> {goal, pace};
}

void tst_QuestionEditor::save()
{
    QFETCH(QVector<Question>, rows);
    QFETCH(bool, active);
    QFETCH(QVector<Question>, expected);

    QVERIFY(QuestionEditor(store()).saveBlock(0, 0, rows, active));

    const QuestionBlock &saved = store().questions().at(0).blocks.at(0);
    QCOMPARE(saved.questions, expected);
    QCOMPARE(saved.active, active);
    QCOMPARE(fileBytes(store().questionsPath()), expectedQuestionsFile(store()));
    QVERIFY(!QuestionEditor(store()).differs(0, 0, saved.questions, active));
}

void tst_QuestionEditor::saveGivesRepeatedIdAFreshOne()
{
    const Question goal = makeQuestion(GoalQuestion, QStringLiteral("Цель"), 0, 5);
    Question twin = goal;
    twin.text = QStringLiteral("Копия");

    QVERIFY(QuestionEditor(store()).saveBlock(0, 0, {goal, twin}, true));

    const QVector<Question> &saved = store().questions().at(0).blocks.at(0).questions;
    QCOMPARE(saved.size(), 2);
    QCOMPARE(saved.at(0), goal);
    QCOMPARE(saved.at(1).text, QStringLiteral("Копия"));
    QCOMPARE(saved.at(1).id, 0); // the smallest id nobody holds

    // Nor do the answers of a deleted question.
    QVERIFY(store().appendAnswers({makeAnswer(1, LessonBlock, Expert, TeacherDo, QDate(2026, 3, 1))}));
    QVERIFY(QuestionEditor(store()).saveBlock(0, 0, {goal, twin}, true));
    QCOMPARE(store().questions().at(0).blocks.at(0).questions.at(1).id, 2);
}

// A question whose id equals a position already kept in this save (here id
// 0 at position 0, id 1 at position 1) keeps its id, so the answers given to
// it still find it.
void tst_QuestionEditor::saveKeepsQuestionsWhoseIdsLookLikePositions()
{
    QuestionStore questions = store().questions();
    QuestionBlock &b = questions[1].blocks[0];
    b.questions
        = {makeQuestion(5, QStringLiteral("Пятый"), 0, 5), makeQuestion(0, QStringLiteral("Нулевой"), 0, 5),
           makeQuestion(1, QStringLiteral("Первый"), 0, 5)};
    const QVector<Question> rows = b.questions;
    QVERIFY(store().setQuestions(questions));

    QVERIFY(QuestionEditor(store()).saveBlock(1, 0, rows, true));

    QCOMPARE(store().questions().at(1).blocks.at(0).questions, rows);
}

void tst_QuestionEditor::differs_data()
{
    QTest::addColumn<QVector<Question>>("rows");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("block");
    QTest::addColumn<bool>("expected");

    const Question goal = makeQuestion(GoalQuestion, QStringLiteral("Цель занятия ясна"), 0, 5);
    const Question pace = makeQuestion(PaceQuestion, QStringLiteral("Темп"), 0, 3, false);
    auto changed = [&](std::function<void(Question &)> change) {
        Question q = goal;
        change(q);
        return QVector<Question> {q, pace};
    };

    QTest::newRow("same") << QVector<Question> {goal, pace} << true << 0 << false;
    QTest::newRow("reserved is not compared")
        << changed([](Question &q) { q.reserved = 9; }) << true << 0 << false;
    QTest::newRow("text") << changed([](Question &q) { q.text += QLatin1Char('!'); }) << true << 0
                          << true;
    QTest::newRow("active") << changed([](Question &q) { q.active = false; }) << true << 0 << true;
    QTest::newRow("maximum") << changed([](Question &q) { q.maxValue = 6; }) << true << 0 << true;
    QTest::newRow("minimum") << changed([](Question &q) { q.minValue = 1; }) << true << 0 << true;
    QTest::newRow("unknown id") << changed([](Question &q) { q.id = 7; }) << true << 0 << true;
    QTest::newRow("block flag") << QVector<Question> {goal, pace} << false << 0 << true;
    QTest::newRow("row missing") << QVector<Question> {goal} << true << 0 << true;
    QTest::newRow("row added") << QVector<Question> {goal, pace,
                                                     makeQuestion(7, QStringLiteral("7"), 0, 0)}
                               << true << 0 << true;
    QTest::newRow("order does not matter") << QVector<Question> {pace, goal} << true << 0 << false;
    QTest::newRow("no such block") << QVector<Question> {} << false << 5 << false;
}

void tst_QuestionEditor::differs()
{
    QFETCH(QVector<Question>, rows);
    QFETCH(bool, active);
    QFETCH(int, block);
    QFETCH(bool, expected);
    QCOMPARE(QuestionEditor(store()).differs(0, block, rows, active), expected);
}

// Groups the store does not hold: before the first and after the last.
void tst_QuestionEditor::missingGroup()
{
    const QuestionStore before = store().questions();
    const QByteArray file = fileBytes(store().questionsPath());
    const int past = before.size();
    QuestionEditor editor(store());

    QVERIFY(!editor.hasBlockNamed(past, QStringLiteral("Урок")));
    QVERIFY(!editor.hasBlockNamed(-1, QStringLiteral("Урок")));
    QCOMPARE(editor.addBlock(past, QStringLiteral("Новый")), -1);
    QCOMPARE(editor.addBlock(-1, QStringLiteral("Новый")), -1);
    QCOMPARE(store().questions(), before);
    QCOMPARE(fileBytes(store().questionsPath()), file);
}

void tst_QuestionEditor::fullGroupRefusesBlock()
{
    QuestionStore questions = store().questions();
    questions[2].blocks.fill(QuestionBlock(), DataStore::MaxListCount);
    QVERIFY(store().setQuestions(questions));
    const QByteArray file = fileBytes(store().questionsPath());
    QSignalSpy warnings(&store(), &DataStore::warning);

    QCOMPARE(QuestionEditor(store()).addBlock(2, QStringLiteral("Лишний")), -1);

    QCOMPARE(store().questions().at(2).blocks.size(), DataStore::MaxListCount);
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(fileBytes(store().questionsPath()), file);
    // Another group still takes blocks.
    QCOMPARE(QuestionEditor(store()).addBlock(1, QStringLiteral("Новый")), 1);
}

void tst_QuestionEditor::saveRefusesWhatTheFormatCannotCount_data()
{
    QTest::addColumn<QVector<Question>>("rows");
    QTest::addColumn<bool>("saved");

    const Question goal = makeQuestion(GoalQuestion, QStringLiteral("Цель занятия ясна"), 0, 5);
    Question longest = goal;
    longest.text = QString(DataStore::MaxListCount, QChar(0x0416));
    Question tooLong = goal;
    tooLong.text = QString(DataStore::MaxListCount + 1, QChar(0x0416));
    QVector<Question> tooManyRows;
    for (int id = 0; id <= DataStore::MaxListCount; ++id)
        tooManyRows.append(makeQuestion(1000 + id, QStringLiteral("В"), 0, 1));

    QTest::newRow("longest text") << QVector<Question> {longest} << true;
    QTest::newRow("text one unit too long") << QVector<Question> {goal, tooLong} << false;
    QTest::newRow("one row more than a block can count") << tooManyRows << false;
}

void tst_QuestionEditor::saveRefusesWhatTheFormatCannotCount()
{
    QFETCH(QVector<Question>, rows);
    QFETCH(bool, saved);
    const QuestionStore before = store().questions();
    const QByteArray file = fileBytes(store().questionsPath());
    QSignalSpy warnings(&store(), &DataStore::warning);

    QCOMPARE(QuestionEditor(store()).saveBlock(0, 0, rows, true), saved);

    QCOMPARE(warnings.count(), saved ? 0 : 1);
    if (saved) {
        QCOMPARE(store().questions().at(0).blocks.at(0).questions, rows);
        QCOMPARE(fileBytes(store().questionsPath()), expectedQuestionsFile(store()));
    } else {
        QCOMPARE(store().questions(), before);
        QCOMPARE(fileBytes(store().questionsPath()), file);
    }
}

QTEST_GUILESS_MAIN(tst_QuestionEditor)
#include "tst_questioneditor.moc"
