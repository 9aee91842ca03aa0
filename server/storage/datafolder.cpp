#include "datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DataFolder", text);
}

// Flushes an open file's bytes to the disk. Elsewhere QSaveFile::commit()
// does it itself (FlushFileBuffers on Windows), on a handle of its own.
bool syncFile(int handle)
{
#ifdef Q_OS_UNIX
    return ::fsync(handle) == 0;
#else
    Q_UNUSED(handle)
    return true;
#endif
}

#ifdef Q_OS_UNIX
constexpr QFileDevice::Permissions FolderMode
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions FileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OthersWrite = QFileDevice::WriteGroup | QFileDevice::WriteOther;
constexpr QFileDevice::Permissions OthersAny = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString refusal(const QString &path, const QString &why, const QString &advice = QString())
{
    return tr("Сервер не пользуется папкой данных «%1»: %2. Он ничего в ней не читает и не пишет "
              "и не принимает клиентов. %3")
        .arg(QDir::toNativeSeparators(path), why,
             advice.isEmpty() ? tr("Удалите её (если это ваша папка, достаточно закрыть её для "
                                   "других: chmod 700) и перезапустите сервер.")
                              : advice);
}

QString chooseAnother()
{
    return tr("Укажите другую папку (server --data-dir ПАПКА) и перезапустите сервер.");
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
        return refusal(path, tr("её не удалось создать"), chooseAnother());
    if (!info.isDir())
        return refusal(path, tr("это не папка, а файл"), chooseAnother());
    if (info.ownerId() != ::geteuid())
        return refusal(path, tr("она принадлежит другому пользователю"));
    if (info.permissions() & OthersWrite)
        return refusal(path, tr("в неё могут записывать другие пользователи"));
    if (::access(QFile::encodeName(path).constData(), W_OK | X_OK) != 0)
        return refusal(path, tr("в неё нельзя записывать"), chooseAnother());
    if (!closeToOthers(path))
        return refusal(path, tr("не удалось закрыть её от других пользователей"));
    return QString();
#else
    QDir().mkpath(path);
    const QFileInfo info(path);
    if (!info.isDir())
        return tr("Сервер не пользуется папкой данных «%1»: это не папка или её не удалось создать.")
            .arg(QDir::toNativeSeparators(path));
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
    if (!syncFile(file.handle()))
        return tr("данные не удалось сбросить на диск");
    if (!file.commit())
        return file.errorString();
    if (!syncFolder(QFileInfo(path).absolutePath()))
        return tr("новое имя файла не удалось сбросить на диск");
    return QString();
}

bool syncFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return false;
    const bool synced = ::fsync(handle) == 0;
    ::close(handle);
    return synced;
#else
    // NTFS keeps its folder entries in its own journal.
    Q_UNUSED(path)
    return true;
#endif
}

bool replaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    const bool renamed = ::MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                                       reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    const bool renamed = ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
    return renamed && syncFolder(QFileInfo(to).absolutePath());
}

namespace {
StepHook stepHook = nullptr;
int stepsPassed = 0;
} // namespace

void setStepHook(StepHook hook)
{
    stepHook = hook;
    stepsPassed = 0;
}

void passStep()
{
    if (stepHook)
        stepHook(++stepsPassed);
}

QStringList dataFileNames()
{
    return {QStringLiteral("questions_file.bin"), QStringLiteral("users_file.bin"),
            QStringLiteral("answer_file.bin"), QStringLiteral("setting.ini")};
}
