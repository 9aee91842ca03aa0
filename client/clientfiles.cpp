#include "clientfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcFiles, "school.client.files", QtWarningMsg)

QString locateForThisProcess(const QString &name, const char *installedFolder)
{
    const QString path = locateFile(name, QDir::currentPath(), QCoreApplication::applicationDirPath(),
                                    QString::fromUtf8(installedFolder));
    if (QFileInfo::exists(path))
        qCDebug(lcFiles).noquote() << name << "found at" << QDir::toNativeSeparators(path);
    else
        qCWarning(lcFiles).noquote() << name << "not found, expected at" << QDir::toNativeSeparators(path);
    return path;
}

} // namespace

QString locateFile(const QString &name, const QString &workingFolder, const QString &programFolder,
                   const QString &installedFolder)
{
    const QString installed = QDir::cleanPath(QDir(programFolder).filePath(installedFolder));
    for (const QString &folder : {workingFolder, programFolder}) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path))
            return path;
    }
    return QDir(installed).filePath(name);
}

// packaging/CMakeLists.txt defines SCHOOL_CLIENT_DATA_DIR and
// SCHOOL_CLIENT_CONFIG_DIR relative to the program's folder, so that an
// installation works wherever its root lies.
QString clientDataFile(const QString &name)
{
    return locateForThisProcess(name, SCHOOL_CLIENT_DATA_DIR);
}

QString clientConfigFile(const QString &name)
{
    return locateForThisProcess(name, SCHOOL_CLIENT_CONFIG_DIR);
}
