#include "datalocation.h"

#include "datafolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DataLocation", text);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray readAll(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

// Copies the regular file `from` to `to`, on the disk, and reads it back.
QString copyChecked(const QString &from, const QString &to)
{
    bool ok = false;
    const QByteArray bytes = readAll(from, &ok);
    if (!ok)
        return tr("не удалось прочитать «%1»").arg(shown(from));
    const QString error = saveWhole(to, bytes);
    if (!error.isEmpty())
        return tr("не удалось записать «%1»: %2").arg(shown(to), error);
    passStep();
    if (readAll(to, &ok) != bytes || !ok)
        return tr("копия «%1» не совпадает с оригиналом").arg(shown(to));
    return QString();
}

// Copies the regular files `names` of `from` that exist into `to`, a
// folder it creates owner-only.
QString copyFiles(const QString &from, const QString &to, const QStringList &names)
{
    QString error = prepareDataFolder(to);
    for (const QString &name : names) {
        if (!error.isEmpty())
            return error;
        const QString file = from + QLatin1Char('/') + name;
        if (QFileInfo(file).isFile())
            error = copyChecked(file, to + QLatin1Char('/') + name);
    }
    if (error.isEmpty() && !syncFolder(to))
        error = tr("папку «%1» не удалось сбросить на диск").arg(shown(to));
    return error;
}

// Copies the archive and the data files of `from` into the new folder `to`;
// the archive first, so that flushing `to` last flushes its entry too.
QString copySchool(const QString &from, const QString &to)
{
    const QString archive = from + QStringLiteral("/archive");
    if (QFileInfo(archive).isDir()) {
        const QString error = copyFiles(archive, to + QStringLiteral("/archive"),
                                        QDir(archive).entryList(QDir::Files | QDir::Hidden));
        if (!error.isEmpty())
            return error;
    }
    return copyFiles(from, to, dataFileNames());
}

// Renames `from` to `to`, replacing an empty folder at `to`, and flushes
// the change.
bool renameFolder(const QString &from, const QString &to)
{
    if (QFileInfo(to).isDir() && !QFileInfo(to).isSymLink())
        QDir().rmdir(to);
    return QDir().rename(from, to) && syncFolder(QFileInfo(to).absolutePath());
}

} // namespace

QString lastingDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/School");
}

QString temporaryDataFolder()
{
    return QDir::tempPath() + QStringLiteral("/School");
}

bool holdsDataFile(const QString &folder)
{
    for (const QString &name : dataFileNames()) {
        if (QFileInfo::exists(folder + QLatin1Char('/') + name))
            return true;
    }
    return false;
}

DataLocation locateData(const QString &lasting, const QString &old)
{
    DataLocation location(lasting);
    const QFileInfo oldInfo(old);
    const bool oldHoldsData = oldInfo.isDir() && !oldInfo.isSymLink() && holdsDataFile(old);
    // A copy cut short by a stop; the old folder is whole.
    const QString incoming = lasting + QStringLiteral(".incoming");
    if (QFileInfo(incoming).isDir() && !QFileInfo(incoming).isSymLink())
        QDir(incoming).removeRecursively();

    if (holdsDataFile(lasting)) {
        if (oldHoldsData) {
            location.notice = tr("Сервер пользуется папкой данных «%1». В старой папке «%2» тоже есть "
                                 "данные; сервер их не читает и не меняет.")
                                  .arg(shown(lasting), shown(old));
        }
        return location;
    }
    if (!oldHoldsData)
        return location;
    const QString oldRefusal = prepareDataFolder(old);
    if (!oldRefusal.isEmpty()) {
        location.notice = tr("Данные старой папки не перенесены в «%1»: %2")
                              .arg(shown(lasting), oldRefusal);
        return location;
    }

    passStep();
    QString error = copySchool(old, incoming);
    passStep();
    if (error.isEmpty() && !QDir().mkpath(QFileInfo(lasting).absolutePath()))
        error = tr("не удалось создать папку «%1»").arg(shown(QFileInfo(lasting).absolutePath()));
    if (error.isEmpty() && !renameFolder(incoming, lasting))
        error = tr("не удалось переименовать «%1» в «%2» (папка «%2» не пуста?)").arg(shown(incoming), shown(lasting));
    if (!error.isEmpty()) {
        QDir(incoming).removeRecursively();
        location.refusal = tr("Не удалось перенести данные из «%1» в «%2»: %3. Старая папка не "
                              "изменена. Сервер не читает данные и не принимает клиентов; устраните "
                              "причину и перезапустите сервер.")
                               .arg(shown(old), shown(lasting), error);
        return location;
    }
    passStep();

    const QString moved = old + QStringLiteral(".moved-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!renameFolder(old, moved)) {
        location.notice = tr("Данные перенесены из «%1» в «%2»; старую папку не удалось переименовать, "
                             "сервер её больше не читает и не меняет.")
                              .arg(shown(old), shown(lasting));
        return location;
    }
    passStep();
    location.notice = tr("Данные перенесены из «%1» в папку «%2», которая не очищается при "
                         "перезагрузке. Старая папка сохранена под именем «%3».")
                          .arg(shown(old), shown(lasting), QFileInfo(moved).fileName());
    return location;
}

DataLocation defaultDataLocation()
{
    return locateData(lastingDataFolder(), temporaryDataFolder());
}
