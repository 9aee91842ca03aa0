#include "graphdiagram.h"
#include "ui_graphdiagram.h"

#include <QPainter>

GraphDiagram::GraphDiagram(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::GraphDiagram)
{
    ui->setupUi(this);
}

GraphDiagram::~GraphDiagram() = default;

void GraphDiagram::setRow(const ChartRow &row)
{
    m_row = row;
    update();
}

void GraphDiagram::paintEvent(QPaintEvent *)
{
    // The bar and the scale run from x = 5 to x = width + 5 and leave a
    // margin of 5 pixels on the left and 6 on the right.
    const int width = rect().right() - rect().left() - 10;
    const int authors = m_row.values.size();
    const int range = m_row.maxValue - m_row.minValue;

    QPainter painter(this);
    if (range > 0) {
        float start = 0;
        for (int i = 0; i < authors; ++i) {
            const std::optional<qint16> value = m_row.values.at(i);
            if (!value)
                continue;
            const float length = float(double(*value - m_row.minValue) / (double(range) * authors));
            painter.setBrush(authorColor(i, authors));
            painter.drawRect(QRect(int(width * start + 5), 20, int(width * length), 20));
            start += length;
        }
    }

    const float step = authors > 0 ? float(width) / authors : float(width);
    for (int i = 0; i <= authors; ++i) {
        const float tick = i * step + 5;
        painter.drawLine(int(tick), 8, int(tick), 18);
        const QString label = QStringLiteral("%1%").arg(i * 100);
        int x = int(tick + 3);
        if (i == authors) {
            // The last label ends left of its tick, inside the widget.
            const QRect box = painter.fontMetrics().boundingRect(label);
            x = x - 6 - box.width() + box.left();
        }
        painter.drawText(x, 15, label);
    }
}
