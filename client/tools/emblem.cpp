// Draws the client's emblem: an open book under a star on a warm round
// badge. Writes the pictures the client shows and its window icon:
//   emblem OUTPUT_FOLDER
// The results are kept in client/resources; run this again after a change
// of the drawing and commit what it writes.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>

namespace {

const QColor Ink(0x3F, 0x22, 0x0C);
const QColor Gold(0xD4, 0xA5, 0x4E);
const QColor Amber(0xE8, 0x8B, 0x1A);

QPainterPath star(QPointF centre, qreal outer, qreal inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF p(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

// One page of the open book; `side` is -1 for the left page, 1 for the right.
QPainterPath page(qreal r, int side)
{
    const qreal spineTop = 0.02 * r, spineBottom = 0.62 * r;
    const qreal outerX = side * 0.62 * r;
    QPainterPath path;
    path.moveTo(0, spineTop);
    path.cubicTo(side * 0.2 * r, -0.1 * r, side * 0.45 * r, -0.08 * r, outerX, 0.0);
    path.lineTo(outerX, 0.52 * r);
    path.cubicTo(side * 0.45 * r, 0.46 * r, side * 0.2 * r, 0.5 * r, 0, spineBottom);
    path.closeSubpath();
    return path;
}

void drawEmblem(QPainter &p, qreal r, bool rays)
{
    p.setRenderHint(QPainter::Antialiasing);

    if (rays) {
        // A warm glow of rays behind the badge, for the greeting.
        p.save();
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 16; ++i) {
            QRadialGradient fade(QPointF(0, 0), r);
            fade.setColorAt(0.6, QColor(255, 190, 80, i % 2 ? 110 : 170));
            fade.setColorAt(1, QColor(255, 190, 80, 0));
            p.setBrush(fade);
            QPainterPath ray;
            ray.moveTo(0, 0);
            ray.lineTo(r * std::cos(i * M_PI / 8 - 0.1), r * std::sin(i * M_PI / 8 - 0.1));
            ray.lineTo(r * std::cos(i * M_PI / 8 + 0.1), r * std::sin(i * M_PI / 8 + 0.1));
            ray.closeSubpath();
            p.drawPath(ray);
        }
        p.restore();
        r *= 0.8;
    }

    QRadialGradient disk(QPointF(-0.25 * r, -0.3 * r), 1.3 * r);
    disk.setColorAt(0, QColor(255, 251, 240));
    disk.setColorAt(0.6, QColor(255, 232, 186));
    disk.setColorAt(1, QColor(255, 210, 130));
    p.setPen(QPen(Ink, 0.04 * r));
    p.setBrush(disk);
    p.drawEllipse(QPointF(0, 0), 0.96 * r, 0.96 * r);
    p.setPen(QPen(Gold, 0.05 * r));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 0.84 * r, 0.84 * r);

    p.save();
    p.translate(0, 0.02 * r);
    p.setPen(QPen(Ink, 0.035 * r, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int side : {-1, 1}) {
        QLinearGradient paper(0, 0, side * 0.62 * r, 0);
        paper.setColorAt(0, QColor(236, 226, 206));
        paper.setColorAt(0.25, Qt::white);
        paper.setColorAt(1, QColor(255, 250, 240));
        p.setBrush(paper);
        p.drawPath(page(r, side));
    }
    // Lines of text on both pages.
    p.setPen(QPen(Gold, 0.03 * r, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 3; ++line) {
        const qreal y = (0.14 + 0.12 * line) * r;
        p.drawLine(QPointF(-0.5 * r, y), QPointF(-0.12 * r, y + 0.04 * r));
        p.drawLine(QPointF(0.12 * r, y + 0.04 * r), QPointF(0.5 * r, y));
    }
    p.restore();

    QLinearGradient starFill(0, -0.72 * r, 0, -0.2 * r);
    starFill.setColorAt(0, QColor(255, 214, 90));
    starFill.setColorAt(1, Amber);
    p.setPen(QPen(Ink, 0.035 * r, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(starFill);
    p.drawPath(star(QPointF(0, -0.4 * r), 0.3 * r, 0.13 * r));
}

QImage emblem(int size, bool rays)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.translate(size / 2.0, size / 2.0);
    drawEmblem(p, size / 2.0 - 1, rays);
    return image;
}

bool save(const QImage &image, const QString &path)
{
    QImageWriter writer(path);
    if (writer.write(image))
        return true;
    QTextStream(stderr) << path << ": " << writer.errorString() << '\n';
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: emblem OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool ok = save(emblem(140, false), out.filePath(QStringLiteral("pikto.png")))
        && save(emblem(190, true), out.filePath(QStringLiteral("pikto_first.png")))
        && save(emblem(64, false), out.filePath(QStringLiteral("package_edutainment.ico")));
    return ok ? 0 : 1;
}
