#ifndef WIDGETLEGEND_H
#define WIDGETLEGEND_H

#include "chartresult.h"

#include <QScopedPointer>
#include <QWidget>

class UnitWidgetLegend;

namespace Ui {
class WidgetLegend;
}

// The legend of a result tab: one row per author, top to bottom, scrolled
// when they do not all fit.
class WidgetLegend : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetLegend(QWidget *parent = nullptr);
    ~WidgetLegend() override;

    // Replaces every row.
    void setEntries(const QVector<LegendEntry> &entries);

    const QVector<UnitWidgetLegend *> &rows() const { return m_rows; }

private:
    const QScopedPointer<Ui::WidgetLegend> ui;
    QVector<UnitWidgetLegend *> m_rows;
};

#endif // WIDGETLEGEND_H
