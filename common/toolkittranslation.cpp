#include "toolkittranslation.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void installToolkitTranslation(QCoreApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#else
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        qWarning().noquote() << "No Russian translation of Qt (qtbase_ru.qm) in" << QDir::toNativeSeparators(folder);
        delete translator;
        return;
    }
    app.installTranslator(translator);
}
