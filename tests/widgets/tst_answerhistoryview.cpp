#include "answerhistoryview.h"
#include "answertestunit.h"
#include "recordbuilders.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int LongList = 65535;

// Answers with distinct question ids (the row) and question texts of one to
// several lines, so cards differ in height.
QVector<Answer> makeAnswers(int count, const QString &tag = QStringLiteral("вопрос"))
{
    const QString filler = QStringLiteral(" и подробное пояснение к нему");
    QVector<Answer> answers;
    answers.reserve(count);
    for (int i = 0; i < count; ++i) {
        answers.append(withTexts(makeAnswer(i, i % 4, 1, 2 + i % 50, QDate(2024, 9, 1).addDays(i % 200),
                                            qint16(i % 11), 0, 0, 10),
                                 QStringLiteral("%1 %2").arg(tag).arg(i) + filler.repeated(i % 7),
                                 QStringLiteral("Блок %1").arg(i % 4), QStringLiteral("Петрова Анна Викторовна"),
                                 QStringLiteral("Учитель %1").arg(i % 50)));
    }
    return answers;
}

QString title(const AnswerTestUnit *card)
{
    return card->findChild<QGroupBox *>(QStringLiteral("groupBox"))->title();
}

QString questionText(const AnswerTestUnit *card)
{
    return card->findChild<QLabel *>(QStringLiteral("l_question_2"))->text();
}

QPushButton *deleteButton(const AnswerTestUnit *card)
{
    return card->findChild<QPushButton *>(QStringLiteral("pb_delete"));
}

QList<AnswerTestUnit *> visibleCards(const AnswerHistoryView &view)
{
    QList<AnswerTestUnit *> cards;
    for (AnswerTestUnit *card : view.findChildren<AnswerTestUnit *>()) {
        if (card->isVisible())
            cards.append(card);
    }
    return cards;
}

// The history tab of a window: a resizable scroll area whose content widget
// holds the view.
struct HistoryWindow
{
    HistoryWindow(int firstNumber, bool deletable)
        : view(firstNumber, deletable)
    {
        container = new QWidget;
        container->setObjectName(QStringLiteral("w_for_units_history"));
        new QVBoxLayout(container);
        area.setWidgetResizable(true);
        area.setWidget(container);
        view.embedInto(container);
        area.resize(420, 640);
        area.show();
    }

    QScrollArea area;
    QWidget *container = nullptr;
    AnswerHistoryView view;
};

} // namespace

class TestAnswerHistoryView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void numbersAcrossALongList_data();
    void numbersAcrossALongList();
    void scrollingToTheEndShowsTheLastCardWhole_data();
    void scrollingToTheEndShowsTheLastCardWhole();
    void newListKeepsAReaderAtTheEnd();
    void deleteAtTheFarEnd();
    void deleteThenRebuildFromTheSlot();
    void clientCardsAreReadOnly();
    void replacingTheAnswersReplacesEveryCard();
    void emptyList();
    void cardsHaveTheHeightOfARealCard();
    void fillsTheScrollAreaWithoutOuterScrolling();
    void embedsIntoAContainerWithoutLayout();

private:
    // Built once: the long list takes a while to make.
    QVector<Answer> m_longList;
};

void TestAnswerHistoryView::initTestCase()
{
    m_longList = makeAnswers(LongList);
}

void TestAnswerHistoryView::numbersAcrossALongList_data()
{
    QTest::addColumn<int>("firstNumber");
    QTest::addColumn<bool>("deletable");
    QTest::addColumn<int>("row");
    QTest::newRow("server, first card") << 1 << true << 0;
    QTest::newRow("server, middle card") << 1 << true << LongList / 2;
    QTest::newRow("server, last card") << 1 << true << LongList - 1;
    QTest::newRow("client, first card") << 0 << false << 0;
    QTest::newRow("client, middle card") << 0 << false << LongList / 2;
    QTest::newRow("client, last card") << 0 << false << LongList - 1;
}

void TestAnswerHistoryView::numbersAcrossALongList()
{
    QFETCH(int, firstNumber);
    QFETCH(bool, deletable);
    QFETCH(int, row);

    HistoryWindow window(firstNumber, deletable);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    const QVector<Answer> &answers = m_longList;
    window.view.setAnswers(answers);
    QCOMPARE(window.view.count(), LongList);

    window.view.scrollToRow(row);
    const AnswerTestUnit *card = window.view.cardAt(row);
    QVERIFY(card);
    QVERIFY(card->isVisible());
    QVERIFY(card->geometry().intersects(window.view.rect()));
    QCOMPARE(title(card), QString::number(firstNumber + row));
    QCOMPARE(questionText(card), answers.at(row).questionText);
    QCOMPARE(card->answer(), answers.at(row));
    QCOMPARE(window.view.numberAt(row), firstNumber + row);
    QCOMPARE(window.view.answerAt(row), answers.at(row));
    QCOMPARE(deleteButton(card)->isVisible(), deletable);
    // Only the cards on screen exist.
    QVERIFY(window.view.findChildren<AnswerTestUnit *>().size() < 20);
}

void TestAnswerHistoryView::scrollingToTheEndShowsTheLastCardWhole_data()
{
    QTest::addColumn<int>("firstNumber");
    QTest::addColumn<bool>("deletable");
    QTest::newRow("server") << 1 << true;
    QTest::newRow("client") << 0 << false;
}

void TestAnswerHistoryView::scrollingToTheEndShowsTheLastCardWhole()
{
    QFETCH(int, firstNumber);
    QFETCH(bool, deletable);

    HistoryWindow window(firstNumber, deletable);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    window.view.setAnswers(m_longList);

    QScrollBar *bar = window.view.verticalScrollBar();
    bar->setValue(bar->maximum());
    const AnswerTestUnit *last = window.view.cardAt(LongList - 1);
    QVERIFY(last);
    QCOMPARE(title(last), QString::number(firstNumber + LongList - 1));
    QVERIFY(last->geometry().top() >= 0);
    QVERIFY(last->geometry().bottom() < window.view.height());
    // The card above it ends above it: cards do not overlap.
    const AnswerTestUnit *before = window.view.cardAt(LongList - 2);
    QVERIFY(before);
    QVERIFY(before->geometry().bottom() < last->geometry().top());

    // One step back from the end still shows the last card's top part.
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QVERIFY(window.view.cardAt(LongList - 1));

    // Home and End on the keyboard go to either end.
    QApplication::setActiveWindow(&window.area);
    window.view.setFocus();
    QTRY_VERIFY(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(title(window.view.cardAt(0)), QString::number(firstNumber));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(window.view.cardAt(LongList - 1));
}

void TestAnswerHistoryView::newListKeepsAReaderAtTheEnd()
{
    HistoryWindow window(0, false);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    window.view.setAnswers(makeAnswers(1000));
    QScrollBar *bar = window.view.verticalScrollBar();
    bar->setValue(bar->maximum());

    // A fresh reply brings one answer more, with texts of other lengths.
    window.view.setAnswers(makeAnswers(1001, QStringLiteral("новый вопрос с более длинным текстом")));
    QCOMPARE(bar->value(), bar->maximum());
    const AnswerTestUnit *last = window.view.cardAt(1000);
    QVERIFY(last);
    QCOMPARE(title(last), QStringLiteral("1000"));
    QVERIFY(last->geometry().bottom() < window.view.height());

    // Someone reading older answers is left where they were.
    window.view.scrollToRow(10);
    const int position = bar->value();
    window.view.setAnswers(makeAnswers(1002));
    QCOMPARE(bar->value(), position);
}

void TestAnswerHistoryView::deleteAtTheFarEnd()
{
    HistoryWindow window(1, true);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    const QVector<Answer> &answers = m_longList;
    window.view.setAnswers(answers);
    QSignalSpy spy(&window.view, &AnswerHistoryView::deleteRequested);

    for (int row : {LongList - 1, LongList - 2}) {
        window.view.scrollToRow(row);
        const AnswerTestUnit *card = window.view.cardAt(row);
        QVERIFY(card);
        QTest::mouseClick(deleteButton(card), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        const QList<QVariant> args = spy.takeFirst();
        QCOMPARE(args.at(0).toInt(), row);
        QCOMPARE(args.at(1).toInt(), answers.at(row).questionId);
        QCOMPARE(args.at(2).toInt(), row + 1);
    }
}

void TestAnswerHistoryView::deleteThenRebuildFromTheSlot()
{
    HistoryWindow window(1, true);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    QVector<Answer> answers = m_longList;
    window.view.setAnswers(answers);
    // As the server does: remove the answer and rebuild at once, while the
    // pressed card is still delivering its click.
    QObject::connect(&window.view, &AnswerHistoryView::deleteRequested, &window.view,
                     [&](int row, qint32, int) {
                         answers.removeAt(row);
                         window.view.setAnswers(answers);
                     });

    const int row = LongList - 3;
    window.view.scrollToRow(row);
    QTest::mouseClick(deleteButton(window.view.cardAt(row)), Qt::LeftButton);

    QCOMPARE(window.view.count(), LongList - 1);
    const AnswerTestUnit *card = window.view.cardAt(row);
    QVERIFY(card);
    QCOMPARE(title(card), QString::number(row + 1));
    QCOMPARE(card->answer().questionId, LongList - 2); // the next answer moved up
    QCOMPARE(card->number(), row + 1);
}

void TestAnswerHistoryView::clientCardsAreReadOnly()
{
    HistoryWindow window(0, false);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    window.view.setAnswers(makeAnswers(3));

    QStringList titles;
    for (int row = 0; row < 3; ++row) {
        const AnswerTestUnit *card = window.view.cardAt(row);
        QVERIFY(card);
        titles << title(card);
        QVERIFY(!deleteButton(card)->isVisible());
    }
    QCOMPARE(titles, QStringList({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(visibleCards(window.view).size(), 3);
    QVERIFY(!window.view.cardAt(3));
}

void TestAnswerHistoryView::replacingTheAnswersReplacesEveryCard()
{
    HistoryWindow window(1, true);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    window.view.setAnswers(makeAnswers(5, QStringLiteral("старый")));
    const QVector<Answer> fresh = makeAnswers(2, QStringLiteral("новый"));
    window.view.setAnswers(fresh);

    const QList<AnswerTestUnit *> cards = visibleCards(window.view);
    QCOMPARE(cards.size(), 2);
    for (const AnswerTestUnit *card : cards)
        QVERIFY2(questionText(card).startsWith(QStringLiteral("новый")), qPrintable(questionText(card)));
    QCOMPARE(window.view.cardAt(0)->answer(), fresh.at(0));
    QCOMPARE(window.view.cardAt(1)->answer(), fresh.at(1));
    QVERIFY(!window.view.cardAt(2));
    QCOMPARE(window.view.answerAt(2), Answer());
}

void TestAnswerHistoryView::emptyList()
{
    HistoryWindow window(0, false);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    window.view.setAnswers({});
    QCOMPARE(window.view.count(), 0);
    QVERIFY(visibleCards(window.view).isEmpty());

    window.view.setAnswers(m_longList);
    window.view.scrollToRow(1000);
    window.view.clear();
    QCOMPARE(window.view.count(), 0);
    QVERIFY(visibleCards(window.view).isEmpty());
    QCOMPARE(window.view.verticalScrollBar()->maximum(), 0);
    QVERIFY(!window.view.cardAt(1000));
}

void TestAnswerHistoryView::cardsHaveTheHeightOfARealCard()
{
    HistoryWindow window(1, true);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    const QVector<Answer> answers = makeAnswers(7);
    window.view.setAnswers(answers);

    QVector<int> heights;
    for (int row = 0; row < answers.size(); ++row) {
        window.view.scrollToRow(row);
        const AnswerTestUnit *card = window.view.cardAt(row);
        QVERIFY(card);
        AnswerTestUnit reference(nullptr, row + 1, true);
        reference.setAnswer(answers.at(row), row + 1);
        QCOMPARE(card->height(), reference.heightForWidth(card->width()));
        heights.append(card->height());
    }
    // Row 6 has the longest question text.
    QVERIFY(heights.last() > heights.first());
}

void TestAnswerHistoryView::fillsTheScrollAreaWithoutOuterScrolling()
{
    HistoryWindow window(1, true);
    QVERIFY(QTest::qWaitForWindowExposed(&window.area));
    window.view.setAnswers(m_longList);

    QCOMPARE(window.container->size(), window.area.viewport()->size());
    QCOMPARE(window.view.geometry(), window.container->rect());
    QCOMPARE(window.area.verticalScrollBar()->maximum(), 0);
    QTRY_VERIFY(window.view.verticalScrollBar()->isVisible()); // shown from the event loop

    // Growing the window lays out more cards at once, at the new width.
    window.area.resize(700, 900);
    QTRY_COMPARE(window.view.width(), window.area.viewport()->width());
    const AnswerTestUnit *first = window.view.cardAt(0);
    QVERIFY(first);
    QVERIFY(first->width() > 600);
}

void TestAnswerHistoryView::embedsIntoAContainerWithoutLayout()
{
    QWidget container;
    container.resize(400, 500);
    AnswerHistoryView view(1, true);
    view.embedInto(&container);
    QVERIFY(container.layout());
    QCOMPARE(container.layout()->contentsMargins(), QMargins());
    QCOMPARE(view.parentWidget(), &container);
    container.show();
    QVERIFY(QTest::qWaitForWindowExposed(&container));
    QCOMPARE(view.geometry(), container.rect());
}

QTEST_MAIN(TestAnswerHistoryView)
#include "tst_answerhistoryview.moc"
