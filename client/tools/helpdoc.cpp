// Turns the client's user guide from HTML into the PDF the client opens
// with "Помощь":  helpdoc INPUT.html OUTPUT.pdf
// Runs at build time, on the offscreen platform.

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: helpdoc INPUT.html OUTPUT.pdf\n";
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << input.fileName() << ": " << input.errorString() << '\n';
        return 1;
    }

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setPageSize(QPageSize(QPageSize::A4));
    // QTextDocument::print() adds margins of its own.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Опросник: руководство пользователя"));
    writer.setCreator(QStringLiteral("Опросник"));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setHtml(QString::fromUtf8(input.readAll()));
    document.print(&writer);
    return 0;
}
