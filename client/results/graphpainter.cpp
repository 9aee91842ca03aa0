#include "graphpainter.h"
#include "ui_graphpainter.h"

#include "graphunit.h"

GraphPainter::GraphPainter(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::GraphPainter)
{
    ui->setupUi(this);
}

GraphPainter::~GraphPainter() = default;

void GraphPainter::setResult(const ChartResult &result)
{
    qDeleteAll(m_units);
    m_units.clear();
    m_result = result;
    for (int i = 0; i < result.rows.size(); ++i) {
        auto unit = new GraphUnit(ui->wp);
        unit->setData(result.questionTexts.value(i), result.rows.at(i));
        ui->wp->layout()->addWidget(unit);
        m_units.append(unit);
    }
}
