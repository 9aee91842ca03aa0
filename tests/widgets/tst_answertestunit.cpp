#include "answertestunit.h"
#include "recordbuilders.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

QString labelText(const AnswerTestUnit &card, const char *name)
{
    const auto *label = card.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

QString title(const AnswerTestUnit &card)
{
    return card.findChild<QGroupBox *>(QStringLiteral("groupBox"))->title();
}

QPushButton *deleteButton(const AnswerTestUnit &card)
{
    return card.findChild<QPushButton *>(QStringLiteral("pb_delete"));
}

Answer sampleAnswer()
{
    return withTexts(makeAnswer(17, 3, 2, 5, QDate(2024, 3, 15), -7, 0, -10, 10),
                     QStringLiteral("Использует ли педагог современные образовательные технологии на занятиях?"),
                     QStringLiteral("Организация занятия"), QStringLiteral("Смирнова Ольга Петровна"),
                     QStringLiteral("Иванов Сергей Николаевич"));
}

} // namespace

class TestAnswerTestUnit : public QObject
{
    Q_OBJECT

private slots:
    void freshCardShowsTheForm();
    void deleteButtonFollowsDeletable_data();
    void deleteButtonFollowsDeletable();
    void setAnswerFillsTheCard();
    void setAnswerWithNullDate();
    void deleteCarriesQuestionIdAndNumber_data();
    void deleteCarriesQuestionIdAndNumber();
};

void TestAnswerTestUnit::freshCardShowsTheForm()
{
    AnswerTestUnit card(nullptr, 4, true);
    QCOMPARE(card.size(), QSize(296, 247));
    QCOMPARE(title(card), QStringLiteral("4"));
    QCOMPARE(labelText(card, "label_8"), QStringLiteral("Блок вопросов:"));
    QCOMPARE(labelText(card, "label_9"), QStringLiteral("Дата оценивания:"));
    QCOMPARE(labelText(card, "label_10"), QStringLiteral("Эксперт:"));
    QCOMPARE(labelText(card, "label_11"), QStringLiteral("Педагог:"));
    QCOMPARE(labelText(card, "label_12"), QStringLiteral("Текст вопроса:"));
    QCOMPARE(labelText(card, "label"), QStringLiteral("Диапазон"));
    QCOMPARE(labelText(card, "label_13"), QStringLiteral("Результат:"));
    QCOMPARE(deleteButton(card)->text(), QStringLiteral("Удалить"));
    for (const char *value : {"l_block_2", "l_date_2", "l_expert_2", "l_target_2", "l_question_2", "l_result"})
        QCOMPARE(labelText(card, value), QStringLiteral("TextLabel"));
    QCOMPARE(labelText(card, "l_diap"), QString());
    QVERIFY(card.findChild<QLabel *>(QStringLiteral("l_question_2"))->wordWrap());

    // Rows 1 to 4 are a form layout: label left, value right.
    const auto *form = card.findChild<QFormLayout *>();
    QVERIFY(form);
    QCOMPARE(form->rowCount(), 4);
    QCOMPARE(form->itemAt(3, QFormLayout::FieldRole)->widget()->objectName(), QStringLiteral("l_target_2"));
}

void TestAnswerTestUnit::deleteButtonFollowsDeletable_data()
{
    QTest::addColumn<bool>("deletable");
    QTest::newRow("server card") << true;
    QTest::newRow("client card") << false;
}

void TestAnswerTestUnit::deleteButtonFollowsDeletable()
{
    QFETCH(bool, deletable);
    AnswerTestUnit card(nullptr, 0, deletable);
    card.setAnswer(sampleAnswer(), 0);
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));
    QCOMPARE(deleteButton(card)->isVisible(), deletable);
    QCOMPARE(card.isDeletable(), deletable);
}

void TestAnswerTestUnit::setAnswerFillsTheCard()
{
    AnswerTestUnit card(nullptr, 0, false);
    const Answer answer = sampleAnswer();
    card.setAnswer(answer, 12);

    QCOMPARE(title(card), QStringLiteral("12"));
    QCOMPARE(labelText(card, "l_block_2"), answer.blockName);
    QCOMPARE(labelText(card, "l_date_2"), QDate(2024, 3, 15).toString(Qt::TextDate));
    QCOMPARE(labelText(card, "l_expert_2"), answer.authorName);
    QCOMPARE(labelText(card, "l_target_2"), answer.subjectName);
    QCOMPARE(labelText(card, "l_question_2"), answer.questionText);
    QCOMPARE(labelText(card, "l_result"), QStringLiteral("-7"));
    QCOMPARE(labelText(card, "l_diap"), QString());
    QCOMPARE(card.answer(), answer);
    QCOMPARE(card.number(), 12);
}

void TestAnswerTestUnit::setAnswerWithNullDate()
{
    AnswerTestUnit card(nullptr, 1, true);
    Answer answer = sampleAnswer();
    answer.date = QDate();
    answer.value = 32767;
    card.setAnswer(answer, 1);
    QCOMPARE(labelText(card, "l_date_2"), QString());
    QCOMPARE(labelText(card, "l_result"), QStringLiteral("32767"));
}

void TestAnswerTestUnit::deleteCarriesQuestionIdAndNumber_data()
{
    QTest::addColumn<int>("constructedWith");
    QTest::addColumn<int>("shownAs");
    QTest::newRow("same number as at construction") << 3 << 3;
    QTest::newRow("card reused for another row") << 3 << 65535;
}

void TestAnswerTestUnit::deleteCarriesQuestionIdAndNumber()
{
    QFETCH(int, constructedWith);
    QFETCH(int, shownAs);

    AnswerTestUnit card(nullptr, constructedWith, true);
    card.setAnswer(sampleAnswer(), shownAs);
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));

    QSignalSpy spy(&card, &AnswerTestUnit::sg_delete);
    QTest::mouseClick(deleteButton(card), Qt::LeftButton);
    QCOMPARE(spy.count(), 1); // once: the slot is connected by name only
    QCOMPARE(spy.at(0).at(0).toInt(), 17);
    QCOMPARE(spy.at(0).at(1).toInt(), shownAs);
    QCOMPARE(title(card), QString::number(shownAs));
}

QTEST_MAIN(TestAnswerTestUnit)
#include "tst_answertestunit.moc"
