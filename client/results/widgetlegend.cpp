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
    // Rows go above the closing spacer, which keeps them together at the top.
    for (const LegendEntry &entry : entries) {
        auto row = new UnitWidgetLegend(this);
        row->setEntry(entry.name, entry.color);
        ui->verticalLayout->insertWidget(m_rows.size(), row);
        m_rows.append(row);
    }
}
