#ifndef GRAPHDIAGRAM_H
#define GRAPHDIAGRAM_H

#include "chartresult.h"

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class GraphDiagram;
}

// The chart of one question: a horizontal bar stacked from one segment per
// author, each as long as the author's share of the question's range over
// the number of authors, above which a scale counts 100 % per author.
class GraphDiagram : public QWidget
{
    Q_OBJECT

public:
    explicit GraphDiagram(QWidget *parent = nullptr);
    ~GraphDiagram() override;

    void setRow(const ChartRow &row);
    const ChartRow &row() const { return m_row; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QScopedPointer<Ui::GraphDiagram> ui;
    ChartRow m_row;
};

#endif // GRAPHDIAGRAM_H
