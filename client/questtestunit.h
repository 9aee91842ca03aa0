#ifndef QUESTTESTUNIT_H
#define QUESTTESTUNIT_H

#include "records.h"

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class QuestTestUnit;
}

// One question of the questionnaire: its number, its text and a spin box
// that holds the answer within the question's range.
class QuestTestUnit : public QWidget
{
    Q_OBJECT

public:
    explicit QuestTestUnit(QWidget *parent = nullptr);
    ~QuestTestUnit() override;

    // Shows `question` as the question at `position` (0 for the first).
    void setQuestion(const Question &question, int position);
    // Numbers the card as the question at `position`, keeping its answer.
    void setPosition(int position);
    // The question shown, with the chosen value in its `reserved` field.
    Question answer() const;
    // Chooses `value`, held to the question's range.
    void setValue(qint32 value);

private:
    const QScopedPointer<Ui::QuestTestUnit> ui;
    Question m_question;
};

#endif // QUESTTESTUNIT_H
