#ifndef ANSWERHISTORYVIEW_H
#define ANSWERHISTORYVIEW_H

#include "records.h"

#include <QWidget>

class AnswerTestUnit;
class QScrollBar;

// A history of answers shown as AnswerTestUnit cards, in the order given,
// numbered firstNumber, firstNumber + 1, ... (the server counts from 1 and
// lets each card be deleted; the client counts from 0, read-only).
// The cost of setAnswers() follows what is visible, not the number of
// answers, so that a history of 65 535 answers opens at once.
//
// The view scrolls by itself and keeps real cards only for the answers on
// screen, reusing them as the user scrolls. Put it alone into the layout of
// the window's history container (embedInto() does that); the container's
// resizable scroll area then never needs to scroll.
class AnswerHistoryView : public QWidget
{
    Q_OBJECT

public:
    AnswerHistoryView(int firstNumber, bool deletable, QWidget *parent = nullptr);
    ~AnswerHistoryView() override;

    // `answers` are display copies: their texts are already filled in.
    // The scroll position is kept where the new list allows it.
    void setAnswers(const QVector<Answer> &answers);
    void clear();

    int count() const;
    Answer answerAt(int row) const;
    int numberAt(int row) const { return m_firstNumber + row; }
    int firstNumber() const { return m_firstNumber; }
    bool isDeletable() const { return m_deletable; }

    // Makes the view the only content of `container`, filling it: the view
    // is added to the container's layout (a vertical one is created when
    // there is none) and the layout's margins are cleared.
    void embedInto(QWidget *container);

    // Scrolls so that the card of `row` is at the top, or as near as the
    // end of the list allows.
    void scrollToRow(int row);
    // The card currently showing `row`, or nullptr when that row is not on
    // screen (only the cards on screen exist).
    AnswerTestUnit *cardAt(int row) const;
    QScrollBar *verticalScrollBar() const;

signals:
    // The delete button of the card at `row` was pressed (deletable views
    // only); `number` is the card's number, `questionId` its answer's.
    // A slot may call setAnswers() or clear() right away.
    void deleteRequested(int row, qint32 questionId, int number);

private:
    class Private;
    Private *d;
    int m_firstNumber;
    bool m_deletable;
};

#endif // ANSWERHISTORYVIEW_H
