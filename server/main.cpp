#include "server.h"
#include "toolkittranslation.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

const char *const HelpText
    = "Использование: %1 [--data-dir ПАПКА]\n"
      "\n"
      "Сервер школьного опросника: окно администратора, принимает клиентов\n"
      "на TCP-порту 23432.\n"
      "\n"
      "  --data-dir ПАПКА  хранить данные в ПАПКЕ (создаётся, если её нет).\n"
      "                    Без параметра: папка School в папке данных программ\n"
      "                    пользователя (%2).\n"
      "  -h, --help        показать эту справку и выйти\n"
      "  -v, --version     показать версию и выйти\n";

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("School"));
    QCoreApplication::setApplicationName(QStringLiteral("Server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SCHOOL_VERSION));

    // Read before the window system is opened, so that --help works without
    // a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString program = QFileInfo(arguments.value(0)).fileName();
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    parser.addOptions({help, version, dataDir});
    const bool parsed = parser.parse(arguments);
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        QString why;
        if (!parser.unknownOptionNames().isEmpty())
            why = QStringLiteral("неизвестный параметр «%1»").arg(parser.unknownOptionNames().constFirst());
        else if (!parsed)
            why = QStringLiteral("после --data-dir нужно указать папку");
        else
            why = QStringLiteral("лишний аргумент «%1»").arg(parser.positionalArguments().constFirst());
        print(stderr, QStringLiteral("%1: %2 (справка: %1 --help)\n").arg(program, why));
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, QString::fromUtf8(HelpText).arg(program, lastingDataFolder()));
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion()));
        return 0;
    }

    QApplication app(argc, argv);
    installToolkitTranslation(app);
    const DataLocation location = parser.isSet(dataDir)
        ? DataLocation(QFileInfo(parser.value(dataDir)).absoluteFilePath())
        : defaultDataLocation();
    Server window(location);
    window.show();
    return app.exec();
}
