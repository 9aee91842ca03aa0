#ifndef LEGENDCOLOR_H
#define LEGENDCOLOR_H

#include <QColor>
#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class LegendColor;
}

// A colour swatch with a black outline that lies wholly inside the widget.
class LegendColor : public QWidget
{
    Q_OBJECT

public:
    explicit LegendColor(QWidget *parent = nullptr);
    ~LegendColor() override;

    void setColor(const QColor &color);
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QScopedPointer<Ui::LegendColor> ui;
    QColor m_color;
};

#endif // LEGENDCOLOR_H
