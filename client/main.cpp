#include "client.h"
#include "toolkittranslation.h"

#include <QApplication>
#include <QIcon>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <clocale>

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 has no choice here: its local 8-bit text is the system's own.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));
#endif
#ifdef Q_OS_WIN
    std::setlocale(LC_ALL, "RUS");
#endif

    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/Client/package_edutainment.ico")));

    installToolkitTranslation(app);

    Client window;
    QObject::connect(&window, &Client::sg_finished, &QCoreApplication::exit);
    window.show();
    return app.exec();
}
