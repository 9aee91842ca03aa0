#include "unitwidgetlegend.h"
#include "ui_unitwidgetlegend.h"

UnitWidgetLegend::UnitWidgetLegend(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::UnitWidgetLegend)
{
    ui->setupUi(this);
}

UnitWidgetLegend::~UnitWidgetLegend() = default;

void UnitWidgetLegend::setEntry(const QString &name, const QColor &color)
{
    ui->label->setText(name);
    ui->legendColor->setColor(color);
}

QString UnitWidgetLegend::name() const
{
    return ui->label->text();
}

QColor UnitWidgetLegend::color() const
{
    return ui->legendColor->color();
}

LegendColor *UnitWidgetLegend::swatch() const
{
    return ui->legendColor;
}
