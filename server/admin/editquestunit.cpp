#include "editquestunit.h"
#include "ui_editquestunit.h"

EditQuestUnit::EditQuestUnit(QWidget *parent, int index)
    : QWidget(parent)
    , ui(new Ui::EditQuestUnit)
    , m_index(index)
{
    ui->setupUi(this);
    setIndex(index);
}

EditQuestUnit::~EditQuestUnit() = default;

Question EditQuestUnit::question() const
{
    Question q = m_question;
    q.text = ui->te_quest->toPlainText();
    q.active = ui->cb_activity->isChecked();
    q.maxValue = static_cast<qint16>(ui->sb_max_count->value());
    q.minValue = static_cast<qint16>(ui->sb_min_count->value());
    return q;
}

void EditQuestUnit::setQuestion(const Question &question)
{
    m_question = question;
    ui->te_quest->setPlainText(question.text);
    ui->cb_activity->setChecked(question.active);
    // Maximum first: the minimum box then accepts values up to it.
    ui->sb_max_count->setValue(question.maxValue);
    ui->sb_min_count->setValue(question.minValue);
}

void EditQuestUnit::setIndex(int index)
{
    m_index = index;
    ui->gb_main->setTitle(QString::number(index + 1));
}

void EditQuestUnit::on_pb_delete_clicked()
{
    emit sg_delete(m_index);
}

// The two boxes bound each other so that the minimum never exceeds the maximum.
void EditQuestUnit::on_sb_min_count_valueChanged(int value)
{
    ui->sb_max_count->setMinimum(value);
}

void EditQuestUnit::on_sb_max_count_valueChanged(int value)
{
    ui->sb_min_count->setMaximum(value);
}
