#ifndef EDITQUESTUNIT_H
#define EDITQUESTUNIT_H

#include "records.h"

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class EditQuestUnit;
}

// One row of the question editor: the text, range and active flag of one
// question. Edits stay in the row until the editor saves the block.
class EditQuestUnit : public QWidget
{
    Q_OBJECT

public:
    EditQuestUnit(QWidget *parent, int index);
    ~EditQuestUnit() override;

    // The held question with text, active flag and range taken from the form.
    Question question() const;
    void setQuestion(const Question &question);

    int index() const { return m_index; }
    void setIndex(int index);

signals:
    void sg_delete(int index);

private slots:
    void on_pb_delete_clicked();
    void on_sb_min_count_valueChanged(int value);
    void on_sb_max_count_valueChanged(int value);

private:
    QScopedPointer<Ui::EditQuestUnit> ui;
    Question m_question;
    int m_index;
};

#endif // EDITQUESTUNIT_H
