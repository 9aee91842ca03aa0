#ifndef UNITWIDGETLEGEND_H
#define UNITWIDGETLEGEND_H

#include <QScopedPointer>
#include <QWidget>

class LegendColor;

namespace Ui {
class UnitWidgetLegend;
}

// One row of the legend: a colour swatch and an author's name.
class UnitWidgetLegend : public QWidget
{
    Q_OBJECT

public:
    explicit UnitWidgetLegend(QWidget *parent = nullptr);
    ~UnitWidgetLegend() override;

    void setEntry(const QString &name, const QColor &color);

    QString name() const;
    QColor color() const;
    LegendColor *swatch() const;

private:
    const QScopedPointer<Ui::UnitWidgetLegend> ui;
};

#endif // UNITWIDGETLEGEND_H
