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
    // Rows go above the closing spacer, which keeps them together at the
    // top. However many there are, they scroll within the room the window
    // gives the legend and never make the window taller.
    for (const LegendEntry &entry : entries) {
        auto row = new UnitWidgetLegend(ui->w_rows);
        row->setEntry(entry.name, entry.color);
        ui->verticalLayout->insertWidget(m_rows.size(), row);
        m_rows.append(row);
    }
}
