#include "answertestunit.h"
#include "ui_answertestunit.h"

AnswerTestUnit::AnswerTestUnit(QWidget *parent, int number, bool deletable)
    : QWidget(parent)
    , ui(new Ui::AnswerTestUnit)
    , m_number(number)
    , m_deletable(deletable)
{
    ui->setupUi(this);
    ui->l_question_2->setWordWrap(true);
    ui->groupBox->setTitle(QString::number(number));
    ui->pb_delete->setVisible(deletable);
}

AnswerTestUnit::~AnswerTestUnit() = default;

void AnswerTestUnit::setAnswer(const Answer &answer, int number)
{
    m_answer = answer;
    m_number = number;
    ui->groupBox->setTitle(QString::number(number));
    ui->l_block_2->setText(answer.blockName);
    ui->l_question_2->setText(answer.questionText);
    ui->l_result->setText(QString::number(answer.value));
    ui->l_expert_2->setText(answer.authorName);
    ui->l_target_2->setText(answer.subjectName);
    ui->l_date_2->setText(answer.date.toString(Qt::TextDate));
}

void AnswerTestUnit::on_pb_delete_clicked()
{
    emit sg_delete(m_answer.questionId, m_number);
}
