#include "questtestunit.h"
#include "ui_questtestunit.h"

QuestTestUnit::QuestTestUnit(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::QuestTestUnit)
{
    ui->setupUi(this);
    ui->l_quest->setWordWrap(true);
    // Focus given to a card goes to its answer.
    setFocusProxy(ui->sb_type1);
}

QuestTestUnit::~QuestTestUnit() = default;

void QuestTestUnit::setQuestion(const Question &question, int position)
{
    m_question = question;
    setPosition(position);
    ui->l_quest->setText(question.text);
    ui->sb_type1->setMaximum(question.maxValue);
    ui->sb_type1->setMinimum(question.minValue);
    ui->l_diap->setText(QStringLiteral("[%1-%2]").arg(question.minValue).arg(question.maxValue));
}

void QuestTestUnit::setPosition(int position)
{
    ui->gb_main->setTitle(QString::number(position + 1));
}

Question QuestTestUnit::answer() const
{
    Question answered = m_question;
    answered.reserved = qint16(ui->sb_type1->value());
    return answered;
}

void QuestTestUnit::setValue(qint32 value)
{
    ui->sb_type1->setValue(value);
}
