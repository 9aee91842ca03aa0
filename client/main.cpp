#include "client.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextCodec>
#include <QTranslator>

#include <clocale>

int main(int argc, char *argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));
#ifdef Q_OS_WIN
    std::setlocale(LC_ALL, "RUS");
#endif

    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/Client/package_edutainment.ico")));

    // Dates and the toolkit's own dialogs (file dialog, message box buttons)
    // in Russian, like the rest of the program.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    Client window;
    QObject::connect(&window, &Client::sg_finished, &QCoreApplication::exit);
    window.show();
    return app.exec();
}
