#include "answerhistoryview.h"

#include "answertestunit.h"

#include <QVBoxLayout>

class AnswerHistoryView::Private
{
public:
    QVector<Answer> answers;
    QVector<AnswerTestUnit *> cards;
    QVBoxLayout *layout = nullptr;
};

AnswerHistoryView::AnswerHistoryView(int firstNumber, bool deletable, QWidget *parent)
    : QWidget(parent)
    , d(new Private)
    , m_firstNumber(firstNumber)
    , m_deletable(deletable)
{
    d->layout = new QVBoxLayout(this);
    d->layout->setContentsMargins(0, 0, 0, 0);
    d->layout->addStretch();
}

AnswerHistoryView::~AnswerHistoryView()
{
    delete d;
}

void AnswerHistoryView::setAnswers(const QVector<Answer> &answers)
{
    clear();
    d->answers = answers;
    for (int row = 0; row < answers.size(); ++row) {
        const int number = numberAt(row);
        auto *card = new AnswerTestUnit(this, number, m_deletable);
        card->setAnswer(answers.at(row), number);
        connect(card, &AnswerTestUnit::sg_delete, this, [this](int questionId, int number) {
            emit deleteRequested(number - m_firstNumber, questionId, number);
        });
        d->layout->insertWidget(row, card);
        d->cards.append(card);
    }
}

void AnswerHistoryView::clear()
{
    // A card may be the sender of the signal that led here.
    for (AnswerTestUnit *card : qAsConst(d->cards)) {
        card->hide();
        card->deleteLater();
    }
    d->cards.clear();
    d->answers.clear();
}

int AnswerHistoryView::count() const
{
    return d->answers.size();
}

Answer AnswerHistoryView::answerAt(int row) const
{
    return d->answers.value(row);
}
