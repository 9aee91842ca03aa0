#include "graphunit.h"
#include "ui_graphunit.h"

#include <QResizeEvent>

GraphUnit::GraphUnit(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::GraphUnit)
{
    ui->setupUi(this);
}

GraphUnit::~GraphUnit() = default;

void GraphUnit::setData(const QString &questionText, const ChartRow &row)
{
    ui->l_question->setText(questionText);
    // Room for the scale and one bar height per author.
    setMinimumHeight((row.values.size() + 1) * 20 + 10);
    ui->graphDiagram->setRow(row);
}

QString GraphUnit::questionText() const
{
    return ui->l_question->text();
}

GraphDiagram *GraphUnit::diagram() const
{
    return ui->graphDiagram;
}

void GraphUnit::resizeEvent(QResizeEvent *event)
{
    const int quarter = event->size().width() / 4;
    ui->l_question->setMinimumWidth(quarter);
    ui->l_question->setMaximumWidth(quarter);
    QWidget::resizeEvent(event);
}
