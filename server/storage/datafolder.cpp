#include "datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
constexpr QFileDevice::Permissions FolderMode
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions FileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OthersWrite = QFileDevice::WriteGroup | QFileDevice::WriteOther;
constexpr QFileDevice::Permissions OthersAny = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString tr(const char *text)
{
    return QCoreApplication::translate("DataFolder", text);
}

QString refusal(const QString &path, const QString &why)
{
    return tr("Сервер не пользуется папкой данных «%1»: %2. Он ничего в ней не читает и не пишет "
              "и не принимает клиентов. Удалите её (если это ваша папка, достаточно закрыть её для "
              "других: chmod 700) и перезапустите сервер.")
        .arg(QDir::toNativeSeparators(path), why);
}

// mkdir() with the owner-only mode; the umask can only take bits away, and
// is made up for below.
void createFolder(const QString &path)
{
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    if (::mkdir(QFile::encodeName(info.absoluteFilePath()).constData(), 0700) == 0)
        QFile::setPermissions(path, FolderMode);
}

// Closes a folder of ours and the data files in it to everybody else.
bool closeToOthers(const QString &path)
{
    if ((QFileInfo(path).permissions() & OthersAny) && !QFile::setPermissions(path, FolderMode))
        return false;
    const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (!entry.isSymLink() && entry.ownerId() == ::geteuid() && (entry.permissions() & OthersAny)
            && !QFile::setPermissions(entry.absoluteFilePath(), FileMode)) {
            return false;
        }
    }
    return true;
}
#endif

} // namespace

QString prepareDataFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    // A symbolic link is looked at itself, before anything follows it; a
    // dangling one does not "exist".
    if (!QFileInfo(path).isSymLink() && !QFileInfo::exists(path))
        createFolder(path);
    const QFileInfo info(path);
    if (info.isSymLink())
        return refusal(path, tr("это символическая ссылка"));
    if (!info.exists())
        return QString();
    if (info.ownerId() != ::geteuid())
        return refusal(path, tr("она принадлежит другому пользователю"));
    if (info.permissions() & OthersWrite)
        return refusal(path, tr("в неё могут записывать другие пользователи"));
    if (info.isDir() && !closeToOthers(path))
        return refusal(path, tr("не удалось закрыть её от других пользователей"));
    return QString();
#else
    QDir().mkpath(path);
    return QString();
#endif
}

bool restrictToOwner(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    return file.setPermissions(FileMode);
#else
    Q_UNUSED(file)
    return true;
#endif
}

QString saveWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !restrictToOwner(file))
        return file.errorString();
    // Flushed here because commit() overlooks a short write in its own final
    // flush (a full disk) and would rename a cut file over the old one.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return tr("записаны не все данные, возможно, диск заполнен (%1)").arg(file.errorString());
    if (!file.commit())
        return file.errorString();
    return QString();
}
