#include "widgetlegend.h"
#include "ui_widgetlegend.h"

#include "unitwidgetlegend.h"

WidgetLegend::WidgetLegend(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::WidgetLegend)
{
    ui->setupUi(this);
}

WidgetLegend::~WidgetLegend() = default;

void WidgetLegend::setEntries(const QVector<LegendEntry> &entries)
{
    qDeleteAll(m_rows);
    m_rows.clear();
    for (const LegendEntry &entry : entries) {
        auto row = new UnitWidgetLegend(this);
        row->setEntry(entry.name, entry.color);
        layout()->addWidget(row);
        m_rows.append(row);
    }
}
