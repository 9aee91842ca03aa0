#include "answerfixture.h"
#include "graphdiagram.h"
#include "graphpainter.h"
#include "graphunit.h"
#include "legendcolor.h"
#include "unitwidgetlegend.h"
#include "widgetlegend.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QtTest>

namespace {

// One painted bar segment: its left outline, its width and its author.
struct Segment
{
    int x;
    int width;
    int author;
};

const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);

QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(white);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

QString describe(const QImage &image, int x, int y)
{
    return QStringLiteral("pixel (%1, %2) is #%3").arg(x).arg(y).arg(image.pixel(x, y) & 0xffffff, 6, 16, QLatin1Char('0'));
}

// Paints ticks at the given places, each labelled with its index times
// 100 % on its right, the last one on its left.
class ScaleReference : public QWidget
{
public:
    explicit ScaleReference(const QVector<int> &ticks)
        : m_ticks(ticks)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        for (int i = 0; i < m_ticks.size(); ++i) {
            const int tick = m_ticks.at(i);
            painter.drawLine(tick, 8, tick, 18);
            const QString label = QStringLiteral("%1%").arg(i * 100);
            const QRect box = painter.fontMetrics().boundingRect(label);
            const bool last = i == m_ticks.size() - 1;
            painter.drawText(last ? tick - 3 - box.width() + box.left() : tick + 3, 15, label);
        }
    }

private:
    QVector<int> m_ticks;
};

} // namespace

Q_DECLARE_METATYPE(Segment)

class TestResultWidgets : public QObject
{
    Q_OBJECT

private slots:
    void diagram_geometry_data();
    void diagram_geometry();
    void unit_heightFollowsAuthors();
    void unit_questionTakesAQuarter();
    void painter_replacesUnits();
    void legend_rowsFollowEntries();
    void legend_swatchOutlineInside();
    void legend_scrollsWithinItsRoom();
};

void TestResultWidgets::diagram_geometry_data()
{
    QTest::addColumn<int>("widgetWidth");
    QTest::addColumn<ChartRow>("row");
    QTest::addColumn<QVector<Segment>>("segments");
    QTest::addColumn<QVector<int>>("ticks");

    const std::nullopt_t none = std::nullopt;
    // A widget 411 pixels wide leaves a bar of 400 pixels, from x = 5.
    QTest::newRow("two authors, 5 and 3 of 1..5")
        << 411 << makeRow(1, 5, {5, 3}, {"", ""}) << QVector<Segment>{{5, 200, 0}, {205, 100, 1}}
        << QVector<int>{5, 205, 405};
    QTest::newRow("one author at the maximum")
        << 411 << makeRow(1, 5, {5}, {""}) << QVector<Segment>{{5, 400, 0}} << QVector<int>{5, 405};
    QTest::newRow("three authors fill the bar")
        << 311 << makeRow(0, 5, {5, 5, 5}, {"", "", ""})
        << QVector<Segment>{{5, 100, 0}, {105, 100, 1}, {205, 100, 2}} << QVector<int>{5, 105, 205, 305};
    QTest::newRow("missing answer draws nothing")
        << 411 << makeRow(1, 5, {none, 5}, {"", ""}) << QVector<Segment>{{5, 200, 1}}
        << QVector<int>{5, 205, 405};
    QTest::newRow("four authors, one missing")
        << 411 << makeRow(0, 4, {4, none, 2, 4}, {"", "", "", ""})
        << QVector<Segment>{{5, 100, 0}, {105, 50, 2}, {155, 100, 3}} << QVector<int>{5, 105, 205, 305, 405};
    QTest::newRow("empty range draws no bar")
        << 411 << makeRow(3, 3, {3, 3}, {"", ""}) << QVector<Segment>{} << QVector<int>{5, 205, 405};
    QTest::newRow("no authors") << 411 << ChartRow() << QVector<Segment>{} << QVector<int>{5};
}

void TestResultWidgets::diagram_geometry()
{
    QFETCH(int, widgetWidth);
    QFETCH(ChartRow, row);
    QFETCH(QVector<Segment>, segments);
    QFETCH(QVector<int>, ticks);

    GraphDiagram diagram;
    diagram.resize(widgetWidth, 60);
    diagram.setRow(row);
    QCOMPARE(diagram.row(), row);
    const QImage image = render(diagram);
    const int authors = row.values.size();

    // Bar: each segment is outlined in black and filled with its author's
    // colour; nothing is painted right of the last one.
    const int y = 30;
    int end = 4;
    for (const Segment &s : qAsConst(segments)) {
        const QRgb fill = ::authorColor(s.author, authors).rgb();
        QVERIFY2(image.pixel(s.x, y) == black, qPrintable(describe(image, s.x, y)));
        QVERIFY2(image.pixel(s.x + 1, y) == fill, qPrintable(describe(image, s.x + 1, y)));
        QVERIFY2(image.pixel(s.x + s.width - 1, y) == fill, qPrintable(describe(image, s.x + s.width - 1, y)));
        QVERIFY2(image.pixel(s.x + s.width, y) == black, qPrintable(describe(image, s.x + s.width, y)));
        const int middle = s.x + s.width / 2;
        QCOMPARE(image.pixel(middle, 19), white);
        QCOMPARE(image.pixel(middle, 20), black);
        QCOMPARE(image.pixel(middle, 21), fill);
        QCOMPARE(image.pixel(middle, 39), fill);
        QCOMPARE(image.pixel(middle, 40), black);
        QCOMPARE(image.pixel(middle, 41), white);
        end = s.x + s.width;
    }
    for (int x = end + 1; x < widgetWidth; ++x)
        QVERIFY2(image.pixel(x, y) == white, qPrintable(describe(image, x, y)));
    QCOMPARE(image.pixel(4, y), white);

    // Scale: compared over the whole band above the bar with the ticks and
    // labels drawn by hand at their expected places.
    for (int tick : qAsConst(ticks)) {
        QCOMPARE(image.pixel(tick, 8), black);
        QCOMPARE(image.pixel(tick, 18), black);
        QCOMPARE(image.pixel(tick, 19), white);
    }
    ScaleReference reference(ticks);
    reference.resize(diagram.size());
    const QRect band(0, 0, widgetWidth, 20);
    QCOMPARE(image.copy(band), render(reference).copy(band));
}

void TestResultWidgets::unit_heightFollowsAuthors()
{
    GraphUnit unit;
    unit.setData(QStringLiteral("Текст вопроса"), makeRow(1, 5, {1, 2, 3}, {"", "", ""}));
    QCOMPARE(unit.questionText(), QStringLiteral("Текст вопроса"));
    QCOMPARE(unit.minimumHeight(), 90);
    QCOMPARE(unit.diagram()->row().values.size(), 3);

    unit.setData(QStringLiteral("Другой"), makeRow(1, 5, {}, {}));
    QCOMPARE(unit.minimumHeight(), 30);
}

void TestResultWidgets::unit_questionTakesAQuarter()
{
    GraphUnit unit;
    unit.setData(QStringLiteral("Длинный текст вопроса, который переносится на несколько строк"),
                 makeRow(1, 5, {5}, {""}));
    unit.resize(600, 200);
    unit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&unit));
    const auto label = unit.findChild<QLabel *>(QStringLiteral("l_question"));
    QVERIFY(label);
    QCOMPARE(label->width(), 150);
    unit.resize(403, 200);
    QTRY_COMPARE(label->width(), 100);
    // The diagram takes the rest of the row.
    QVERIFY(unit.diagram()->width() > 403 / 2);
}

void TestResultWidgets::painter_replacesUnits()
{
    GraphPainter painter;
    ChartResult result;
    result.questionTexts = QStringList{"Q1", "Q2"};
    result.authorNames = QStringList{"A"};
    result.rows = {makeRow(1, 5, {5}, {""}), makeRow(1, 5, {2}, {""})};
    painter.setResult(result);
    QCOMPARE(painter.result(), result);
    QCOMPARE(painter.units().size(), 2);
    QCOMPARE(painter.units().at(0)->questionText(), QStringLiteral("Q1"));
    QCOMPARE(painter.units().at(1)->diagram()->row(), result.rows.at(1));
    const QPointer<GraphUnit> old = painter.units().at(0);

    ChartResult one;
    one.questionTexts = QStringList{"Q3"};
    one.rows = {ChartRow()};
    painter.setResult(one);
    QVERIFY(old.isNull());
    QCOMPARE(painter.units().size(), 1);
    QCOMPARE(painter.units().at(0)->questionText(), QStringLiteral("Q3"));
    QCOMPARE(painter.findChildren<GraphUnit *>().size(), 1);

    painter.setResult(ChartResult());
    QVERIFY(painter.units().isEmpty());
    QVERIFY(painter.findChildren<GraphUnit *>().isEmpty());
}

void TestResultWidgets::legend_rowsFollowEntries()
{
    WidgetLegend legend;
    const QStringList names{QStringLiteral("Анна"), QStringLiteral("Борис"), QStringLiteral("Вера"),
                            QStringLiteral("Глеб")};
    legend.setEntries(::legendEntries(names));
    QCOMPARE(legend.rows().size(), 4);
    const QVector<int> hues{0, 90, 180, 270};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(legend.rows().at(i)->name(), names.at(i));
        QCOMPARE(legend.rows().at(i)->color().hsvHue(), hues.at(i));
        QCOMPARE(legend.rows().at(i)->swatch()->color(), ::authorColor(i, 4));
    }
    const QPointer<UnitWidgetLegend> old = legend.rows().first();

    legend.setEntries({});
    QVERIFY(old.isNull());
    QVERIFY(legend.rows().isEmpty());
    QVERIFY(legend.findChildren<UnitWidgetLegend *>().isEmpty());
}

void TestResultWidgets::legend_swatchOutlineInside()
{
    WidgetLegend legend;
    legend.resize(300, 200);
    legend.setEntries(::legendEntries({QStringLiteral("Анна"), QStringLiteral("Борис")}));
    legend.show();
    QVERIFY(QTest::qWaitForWindowExposed(&legend));

    // Rows stand together at the top, however tall the legend is.
    QCOMPARE(legend.rows().at(0)->y(), 2);
    UnitWidgetLegend *row = legend.rows().at(1);
    QCOMPARE(row->y(), 2 + 25 + 2);
    QCOMPARE(row->height(), 25);
    LegendColor *swatch = row->swatch();
    QCOMPARE(swatch->width(), 33);
    QCOMPARE(swatch->height(), 21);

    const QImage image = render(*swatch);
    const int right = swatch->width() - 1;
    const int bottom = swatch->height() - 1;
    const QRgb fill = ::authorColor(1, 2).rgb();
    QCOMPARE(image.pixel(0, 0), black);
    QCOMPARE(image.pixel(right, 0), black);
    QCOMPARE(image.pixel(0, bottom), black);
    QCOMPARE(image.pixel(right, bottom), black);
    QCOMPARE(image.pixel(1, 1), fill);
    QCOMPARE(image.pixel(right - 1, bottom - 1), fill);
}

void TestResultWidgets::legend_scrollsWithinItsRoom()
{
    WidgetLegend legend;
    legend.setEntries(::legendEntries({QStringLiteral("Анна")}));
    const QSize oneRow = legend.minimumSizeHint();
    legend.setEntries(QVector<LegendEntry>(40, LegendEntry{Qt::red, QStringLiteral("Эксперт")}));
    // The window holding the legend need not grow with the raters.
    QCOMPARE(legend.minimumSizeHint(), oneRow);
    legend.resize(300, 200);
    legend.show();
    QVERIFY(QTest::qWaitForWindowExposed(&legend));
    UnitWidgetLegend *last = legend.rows().last();
    QVERIFY(last->visibleRegion().isEmpty());
    legend.findChild<QScrollArea *>()->ensureWidgetVisible(last);
    QTRY_COMPARE(last->visibleRegion().boundingRect().height(), 25);
}

QTEST_MAIN(TestResultWidgets)
#include "tst_resultwidgets.moc"
