#include "legendcolor.h"
#include "ui_legendcolor.h"

#include <QPainter>

LegendColor::LegendColor(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::LegendColor)
{
    ui->setupUi(this);
}

LegendColor::~LegendColor() = default;

void LegendColor::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void LegendColor::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_color.isValid() ? QBrush(m_color) : QBrush(Qt::NoBrush));
    // A 1-pixel outline is drawn one pixel right of and below the rectangle.
    painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
}
