#ifndef GRAPHUNIT_H
#define GRAPHUNIT_H

#include "chartresult.h"

#include <QScopedPointer>
#include <QWidget>

class GraphDiagram;

namespace Ui {
class GraphUnit;
}

// One question of the charts: its text on the left quarter, its chart on
// the rest.
class GraphUnit : public QWidget
{
    Q_OBJECT

public:
    explicit GraphUnit(QWidget *parent = nullptr);
    ~GraphUnit() override;

    void setData(const QString &questionText, const ChartRow &row);

    QString questionText() const;
    GraphDiagram *diagram() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    const QScopedPointer<Ui::GraphUnit> ui;
};

#endif // GRAPHUNIT_H
