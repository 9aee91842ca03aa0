#include "questtestunit.h"
#include "recordbuilders.h"

#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

class TestQuestTestUnit : public QObject
{
    Q_OBJECT

private slots:
    void form();
    void showsQuestion_data();
    void showsQuestion();
    void answerCarriesSpinBoxValue();
};

void TestQuestTestUnit::form()
{
    QuestTestUnit unit;
    QCOMPARE(unit.size(), QSize(452, 78));
    QVERIFY(unit.findChild<QLabel *>("l_quest")->wordWrap());
    QCOMPARE(unit.findChild<QLabel *>("label")->text(), QStringLiteral("Введите ответ"));
    QSpinBox *spin = unit.findChild<QSpinBox *>("sb_type1");
    QCOMPARE(spin->minimumWidth(), 50);
    QCOMPARE(spin->maximumWidth(), 50);
}

void TestQuestTestUnit::showsQuestion_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("startValue");

    QTest::newRow("first, 1 to 5") << 0 << 1 << 5 << "1" << "[1-5]" << 1;
    QTest::newRow("second, 0 to 10") << 1 << 0 << 10 << "2" << "[0-10]" << 0;
    QTest::newRow("third, -5 to 5") << 2 << -5 << 5 << "3" << "[-5-5]" << 0;
    QTest::newRow("below zero only") << 9 << -100 << -20 << "10" << "[-100--20]" << -20;
}

void TestQuestTestUnit::showsQuestion()
{
    QFETCH(int, position);
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(QString, title);
    QFETCH(QString, range);
    QFETCH(int, startValue);

    const Question q = makeQuestion(17, QStringLiteral("Насколько интересны занятия?"), qint16(minValue),
                                    qint16(maxValue));

    QuestTestUnit unit;
    unit.setQuestion(q, position);
    QCOMPARE(unit.findChild<QGroupBox *>("gb_main")->title(), title);
    QCOMPARE(unit.findChild<QLabel *>("l_quest")->text(), q.text);
    QCOMPARE(unit.findChild<QLabel *>("l_diap")->text(), range);
    QSpinBox *spin = unit.findChild<QSpinBox *>("sb_type1");
    QCOMPARE(spin->minimum(), minValue);
    QCOMPARE(spin->maximum(), maxValue);
    QCOMPARE(spin->value(), startValue);

    // Values outside the range cannot be entered.
    unit.setValue(maxValue + 1);
    QCOMPARE(spin->value(), maxValue);
    unit.setValue(minValue - 1);
    QCOMPARE(spin->value(), minValue);
}

void TestQuestTestUnit::answerCarriesSpinBoxValue()
{
    const Question q = makeQuestion(3, QStringLiteral("Вопрос"), 1, 5);
    QuestTestUnit unit;
    unit.setQuestion(q, 0);
    unit.findChild<QSpinBox *>("sb_type1")->setValue(4);

    Question expected = q;
    expected.reserved = 4;
    QCOMPARE(unit.answer(), expected);
}

QTEST_MAIN(TestQuestTestUnit)
#include "tst_questtestunit.moc"
