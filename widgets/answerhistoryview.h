#ifndef ANSWERHISTORYVIEW_H
#define ANSWERHISTORYVIEW_H

#include "records.h"

#include <QWidget>

// A history of answers shown as AnswerTestUnit cards, in the order given,
// numbered firstNumber, firstNumber + 1, ... (the server counts from 1 and
// lets each card be deleted; the client counts from 0, read-only).
// The cost of setAnswers() follows what is visible, not the number of
// answers, so that a history of 65 535 answers opens at once.
class AnswerHistoryView : public QWidget
{
    Q_OBJECT

public:
    AnswerHistoryView(int firstNumber, bool deletable, QWidget *parent = nullptr);
    ~AnswerHistoryView() override;

    // `answers` are display copies: their texts are already filled in.
    void setAnswers(const QVector<Answer> &answers);
    void clear();

    int count() const;
    Answer answerAt(int row) const;
    int numberAt(int row) const { return m_firstNumber + row; }
    int firstNumber() const { return m_firstNumber; }
    bool isDeletable() const { return m_deletable; }

signals:
    // The delete button of the card at `row` was pressed (deletable views
    // only); `number` is the card's number, `questionId` its answer's.
    void deleteRequested(int row, qint32 questionId, int number);

private:
    class Private;
    Private *d;
    int m_firstNumber;
    bool m_deletable;
};

#endif // ANSWERHISTORYVIEW_H
