#ifndef ANSWERTESTUNIT_H
#define ANSWERTESTUNIT_H

#include "records.h"

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class AnswerTestUnit;
}

// One answer shown as a small card: block, date, evaluator, teacher,
// question and result under a group box titled with the card's number.
// Deletable cards (the server's) show a delete button; read-only ones (the
// client's) hide it.
class AnswerTestUnit : public QWidget
{
    Q_OBJECT

public:
    AnswerTestUnit(QWidget *parent, int number, bool deletable);
    ~AnswerTestUnit() override;

    // `answer` must have its texts filled in; `number` becomes the title
    // and the number sg_delete carries, so a card can be reused for another
    // answer.
    void setAnswer(const Answer &answer, int number);

    const Answer &answer() const { return m_answer; }
    int number() const { return m_number; }
    bool isDeletable() const { return m_deletable; }

signals:
    void sg_delete(int questionId, int number);

private slots:
    void on_pb_delete_clicked();

private:
    QScopedPointer<Ui::AnswerTestUnit> ui;
    Answer m_answer;
    int m_number;
    bool m_deletable;
};

#endif // ANSWERTESTUNIT_H
