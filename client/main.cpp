#include "client.h"
#include "toolkittranslation.h"

#include <QApplication>
#include <QIcon>
#include <QTextCodec>

#include <clocale>

int main(int argc, char *argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));
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
