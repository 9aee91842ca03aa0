#ifndef GRAPHPAINTER_H
#define GRAPHPAINTER_H

#include "chartresult.h"

#include <QScopedPointer>
#include <QWidget>

class GraphUnit;

namespace Ui {
class GraphPainter;
}

// The scrollable column of charts of a result tab, one GraphUnit per
// question of the last result given.
class GraphPainter : public QWidget
{
    Q_OBJECT

public:
    explicit GraphPainter(QWidget *parent = nullptr);
    ~GraphPainter() override;

    // Replaces every chart shown.
    void setResult(const ChartResult &result);

    const ChartResult &result() const { return m_result; }
    const QVector<GraphUnit *> &units() const { return m_units; }

private:
    const QScopedPointer<Ui::GraphPainter> ui;
    ChartResult m_result;
    QVector<GraphUnit *> m_units;
};

#endif // GRAPHPAINTER_H
