#include "answerhistoryview.h"

#include "answertestunit.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A scroll position counts whole cards and thousandths of a card, so the
// scroll bar needs only the heights of the cards on screen and at the end.
constexpr int UnitsPerCard = 1000;
// Pixels one wheel line scrolls, as in a plain scroll area.
constexpr int LinePixels = 20;

} // namespace

// The scrolling part of the view. Cards are real AnswerTestUnit widgets,
// kept only for the rows on screen and handed to other rows as they scroll
// out. Cards are hidden when unused, never deleted, so a card may be the
// sender of the deletion that rebuilds the list.
class AnswerHistoryView::Private : public QAbstractScrollArea
{
public:
    explicit Private(AnswerHistoryView *view);

    void setAnswers(const QVector<Answer> &answers);
    void scrollToRow(int row);
    AnswerTestUnit *cardAt(int row) const;

    // The answers shown, row by row.
    QVector<Answer> answers;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Placement
    {
        int row;
        int y;
    };

    void relayout();
    int cardWidth() const;
    int cardHeight(int row);
    int slotHeight(int row) { return cardHeight(row) + m_spacing; }
    void updateScrollRange();
    QVector<Placement> placements();
    void placeCards();
    AnswerTestUnit *cardFor(int row);
    void forgetHeights();

    AnswerHistoryView *q;
    // Never shown: measures the height a card needs for an answer.
    AnswerTestUnit *m_measurer;
    QSize m_cardSize;
    QSize m_cardMinimumSize;
    int m_margin = 0;
    int m_spacing = 0;
    // Card heights at m_heightsWidth; 0 until measured.
    QVector<int> m_heights;
    int m_heightsWidth = -1;
    QVector<AnswerTestUnit *> m_cards;
    // The row each card of m_cards shows, -1 for a free card.
    QVector<int> m_cardRows;
};

AnswerHistoryView::Private::Private(AnswerHistoryView *view)
    : QAbstractScrollArea(view)
    , q(view)
    , m_measurer(new AnswerTestUnit(viewport(), 0, view->isDeletable()))
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Cards sit on the window's colour, as they would in a plain container.
    viewport()->setBackgroundRole(QPalette::Window);
    m_measurer->hide();
    m_cardSize = m_measurer->size();
    m_cardMinimumSize = m_measurer->minimumSizeHint();
    m_margin = style()->pixelMetric(QStyle::PM_LayoutTopMargin);
    m_spacing = style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing);
}

void AnswerHistoryView::Private::setAnswers(const QVector<Answer> &list)
{
    // Someone reading the newest answers keeps seeing the newest ones.
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = !answers.isEmpty() && bar->value() == bar->maximum();
    answers = list;
    m_heights = QVector<int>(answers.size(), 0);
    m_cardRows.fill(-1);
    relayout();
    if (atEnd)
        bar->setValue(bar->maximum());
}

void AnswerHistoryView::Private::relayout()
{
    updateScrollRange();
    placeCards();
}

void AnswerHistoryView::Private::scrollToRow(int row)
{
    verticalScrollBar()->setValue(row * UnitsPerCard);
}

AnswerTestUnit *AnswerHistoryView::Private::cardAt(int row) const
{
    const int index = m_cardRows.indexOf(row);
    return row >= 0 && index >= 0 ? m_cards.at(index) : nullptr;
}

QSize AnswerHistoryView::Private::sizeHint() const
{
    const int bar = verticalScrollBar()->sizeHint().width();
    return QSize(m_cardSize.width() + 2 * m_margin + bar, 2 * m_cardSize.height() + 2 * m_margin);
}

QSize AnswerHistoryView::Private::minimumSizeHint() const
{
    const int bar = verticalScrollBar()->sizeHint().width();
    return QSize(m_cardMinimumSize.width() + 2 * m_margin + bar,
                 QAbstractScrollArea::minimumSizeHint().height());
}

void AnswerHistoryView::Private::resizeEvent(QResizeEvent *)
{
    relayout();
}

void AnswerHistoryView::Private::scrollContentsBy(int, int)
{
    placeCards();
}

void AnswerHistoryView::Private::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Home)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event->key() == Qt::Key_End)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void AnswerHistoryView::Private::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        forgetHeights();
        relayout();
    }
}

int AnswerHistoryView::Private::cardWidth() const
{
    return std::max(1, viewport()->width() - 2 * m_margin);
}

int AnswerHistoryView::Private::cardHeight(int row)
{
    const int width = cardWidth();
    if (width != m_heightsWidth) {
        forgetHeights();
        m_heightsWidth = width;
    }
    int &height = m_heights[row];
    if (height == 0) {
        m_measurer->setAnswer(answers.at(row), q->numberAt(row));
        // A hidden widget does not pass new texts up to its layouts, so
        // their cached sizes are dropped here.
        for (QWidget *child : m_measurer->findChildren<QWidget *>())
            child->updateGeometry();
        for (QLayout *layout : m_measurer->findChildren<QLayout *>())
            layout->invalidate();
        height = std::max({1, m_measurer->heightForWidth(width), m_measurer->minimumSizeHint().height()});
    }
    return height;
}

void AnswerHistoryView::Private::forgetHeights()
{
    m_heights.fill(0);
}

void AnswerHistoryView::Private::updateScrollRange()
{
    // The largest position puts the last card's bottom on the bottom margin:
    // walk back from the end until the cards fill the viewport.
    const int viewHeight = viewport()->height();
    const int room = std::max(1, viewHeight - 2 * m_margin + m_spacing);
    int maximum = 0;
    int filled = 0;
    for (int row = answers.size() - 1; row >= 0; --row) {
        const int slot = slotHeight(row);
        filled += slot;
        if (filled >= room) {
            const int hidden = filled - room;
            maximum = row * UnitsPerCard + (hidden * UnitsPerCard + slot - 1) / slot;
            break;
        }
    }

    QScrollBar *bar = verticalScrollBar();
    const int topRow = std::min(bar->value() / UnitsPerCard, int(answers.size()) - 1);
    const int slot = topRow >= 0 ? slotHeight(topRow) : m_cardSize.height();
    bar->setSingleStep(std::max(1, LinePixels * UnitsPerCard / slot));
    bar->setPageStep(std::max(1, viewHeight * UnitsPerCard / slot));
    // Last: a scroll bar appearing here resizes the viewport and lays out
    // again from within.
    bar->setRange(0, maximum);
}

QVector<AnswerHistoryView::Private::Placement> AnswerHistoryView::Private::placements()
{
    QVector<Placement> result;
    const int count = answers.size();
    if (count == 0)
        return result;
    const int viewHeight = viewport()->height();
    const QScrollBar *bar = verticalScrollBar();

    if (bar->maximum() > 0 && bar->value() >= bar->maximum()) {
        // At the end the last card rests exactly on the bottom margin.
        int y = viewHeight - m_margin;
        for (int row = count - 1; row >= 0 && y > 0; --row) {
            y -= cardHeight(row);
            result.prepend({row, y});
            y -= m_spacing;
        }
        return result;
    }

    const int topRow = bar->value() / UnitsPerCard;
    int y = m_margin - (bar->value() % UnitsPerCard) * slotHeight(topRow) / UnitsPerCard;
    for (int row = topRow; row < count && y < viewHeight; ++row) {
        result.append({row, y});
        y += slotHeight(row);
    }
    // The bottom of the card above may still show in the top margin.
    y = result.first().y;
    for (int row = topRow - 1; row >= 0 && y > 0; --row) {
        y -= slotHeight(row);
        result.prepend({row, y});
    }
    return result;
}

void AnswerHistoryView::Private::placeCards()
{
    const QVector<Placement> visible = placements();
    for (int &row : m_cardRows) {
        const bool stays = std::any_of(visible.cbegin(), visible.cend(),
                                       [row](const Placement &p) { return p.row == row; });
        if (!stays)
            row = -1;
    }
    const int width = cardWidth();
    for (const Placement &placement : visible) {
        AnswerTestUnit *card = cardFor(placement.row);
        card->setGeometry(m_margin, placement.y, width, cardHeight(placement.row));
        card->show();
    }
    for (int i = 0; i < m_cards.size(); ++i) {
        if (m_cardRows.at(i) < 0)
            m_cards.at(i)->hide();
    }
}

AnswerTestUnit *AnswerHistoryView::Private::cardFor(int row)
{
    int index = m_cardRows.indexOf(row);
    if (index >= 0)
        return m_cards.at(index);

    index = m_cardRows.indexOf(-1);
    if (index < 0) {
        auto *card = new AnswerTestUnit(viewport(), 0, q->isDeletable());
        connect(card, &AnswerTestUnit::sg_delete, q, [this](int questionId, int number) {
            const int cardRow = number - q->firstNumber();
            if (cardRow >= 0 && cardRow < answers.size() && answers.at(cardRow).questionId == questionId)
                emit q->deleteRequested(cardRow, questionId, number);
        });
        m_cards.append(card);
        m_cardRows.append(-1);
        index = m_cards.size() - 1;
    }
    AnswerTestUnit *card = m_cards.at(index);
    card->setAnswer(answers.at(row), q->numberAt(row));
    m_cardRows[index] = row;
    return card;
}

AnswerHistoryView::AnswerHistoryView(int firstNumber, bool deletable, QWidget *parent)
    : QWidget(parent)
    , d(nullptr)
    , m_firstNumber(firstNumber)
    , m_deletable(deletable)
{
    d = new Private(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d);
    setFocusProxy(d);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

AnswerHistoryView::~AnswerHistoryView()
{
    delete d;
}

void AnswerHistoryView::setAnswers(const QVector<Answer> &answers)
{
    d->setAnswers(answers);
}

void AnswerHistoryView::clear()
{
    d->setAnswers({});
}

int AnswerHistoryView::count() const
{
    return d->answers.size();
}

Answer AnswerHistoryView::answerAt(int row) const
{
    return d->answers.value(row);
}

void AnswerHistoryView::embedInto(QWidget *container)
{
    QLayout *layout = container->layout();
    if (!layout)
        layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(this);
}

void AnswerHistoryView::scrollToRow(int row)
{
    d->scrollToRow(row);
}

AnswerTestUnit *AnswerHistoryView::cardAt(int row) const
{
    return d->cardAt(row);
}

QScrollBar *AnswerHistoryView::verticalScrollBar() const
{
    return d->verticalScrollBar();
}
