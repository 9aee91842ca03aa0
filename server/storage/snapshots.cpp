#include "snapshots.h"

#include "datafolder.h"
#include "encoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

const char *const NameFormat = "yyyy-MM-dd_HHmmss";
const QString ReasonFile = QStringLiteral("reason.txt");
constexpr int KeepAllHours = 24;
constexpr int KeepDailyDays = 30;

QString tr(const char *text)
{
    return QCoreApplication::translate("Snapshots", text);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The snapshot time a folder name stands for; invalid for any other name.
QDateTime timeOfName(const QString &name, int *sequence)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d_\\d{6})(?:-(\\d+))?$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return QDateTime();
    *sequence = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    return QDateTime::fromString(match.captured(1), QString::fromLatin1(NameFormat));
}

int sequenceOf(const QString &name)
{
    int sequence = 0;
    timeOfName(name, &sequence);
    return sequence;
}

template<typename T>
bool decodes(const QString &path, std::optional<T> (*decode)(const QByteArray &), T *value)
{
    const std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return false;
    std::optional<T> decoded = decode(*bytes);
    if (decoded)
        *value = std::move(*decoded);
    return decoded.has_value();
}

} // namespace

AnswerChange answerChange(const AnswerStore &from, const AnswerStore &to)
{
    // Each answer by its bytes, counted: those `to` lacks are lost, those
    // beyond `from` gained.
    QHash<QByteArray, int> held;
    for (const Answer &answer : from)
        ++held[encodeAnswer(answer).value_or(QByteArray())];
    AnswerChange change;
    for (const Answer &answer : to) {
        auto it = held.find(encodeAnswer(answer).value_or(QByteArray()));
        if (it != held.end() && it.value() > 0)
            --it.value();
        else
            ++change.gained;
    }
    for (int left : qAsConst(held))
        change.lost += left;
    return change;
}

Snapshots::Snapshots(const QString &dataFolder)
    : m_dataFolder(dataFolder)
{
}

QString Snapshots::folder() const
{
    return m_dataFolder + QStringLiteral("/backups");
}

QVector<Snapshots::Entry> Snapshots::entries() const
{
    QVector<Entry> found;
    const QStringList names = QDir(folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        int sequence = 0;
        const QDateTime time = timeOfName(name, &sequence);
        if (time.isValid() && !QFileInfo(folder() + QLatin1Char('/') + name).isSymLink())
            found.append({name, time});
    }
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
        return a.time != b.time ? a.time > b.time : sequenceOf(a.name) > sequenceOf(b.name);
    });
    return found;
}

SnapshotInfo Snapshots::inspect(const QString &path)
{
    SnapshotInfo info;
    info.path = path;
    info.name = QFileInfo(path).fileName();
    int sequence = 0;
    info.time = timeOfName(info.name, &sequence);
    const QFileInfo entry(path);
    if (!info.time.isValid() || !entry.isDir() || entry.isSymLink()) {
        info.damage = tr("это не резервная копия");
        return info;
    }
    const std::optional<QByteArray> reason = readFile(path + QLatin1Char('/') + ReasonFile);
    if (!reason) {
        info.damage = tr("нет файла «%1»: это не резервная копия сервера").arg(ReasonFile);
        return info;
    }
    info.reason = QString::fromUtf8(*reason).trimmed();

    const QStringList names = dataFileNames();
    QuestionStore questions;
    AccountStore accounts;
    AnswerStore answers;
    QDate season;
    const bool whole[] = {
        !QFileInfo::exists(path + QLatin1Char('/') + names.at(0))
            || decodes(path + QLatin1Char('/') + names.at(0), decodeGroupList, &questions),
        !QFileInfo::exists(path + QLatin1Char('/') + names.at(1))
            || decodes(path + QLatin1Char('/') + names.at(1), decodeAccountTable, &accounts),
        !QFileInfo::exists(path + QLatin1Char('/') + names.at(2))
            || decodes(path + QLatin1Char('/') + names.at(2), decodeAnswerList, &answers),
        !QFileInfo::exists(path + QLatin1Char('/') + names.at(3))
            || decodes(path + QLatin1Char('/') + names.at(3), decodeSeasonStart, &season),
    };
    for (int i = 0; i < names.size(); ++i) {
        if (!whole[i]) {
            info.damage = tr("файл «%1» повреждён").arg(names.at(i));
            return info;
        }
    }
    info.answers = answers.size();
    for (const QVector<Account> &kind : qAsConst(accounts))
        info.accounts += kind.size();
    for (const QuestionGroup &group : qAsConst(questions))
        info.blocks += group.blocks.size();
    return info;
}

QVector<SnapshotInfo> Snapshots::list() const
{
    QVector<SnapshotInfo> found;
    for (const Entry &entry : entries())
        found.append(inspect(folder() + QLatin1Char('/') + entry.name));
    // What else lies there is shown, so that nobody takes it for a snapshot.
    const QFileInfoList all = QDir(folder()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                                           QDir::Name);
    for (const QFileInfo &other : all) {
        const bool listed = std::any_of(found.cbegin(), found.cend(),
                                        [&](const SnapshotInfo &s) { return s.name == other.fileName(); });
        if (!listed)
            found.append(inspect(other.filePath()));
    }
    return found;
}

std::optional<AnswerStore> Snapshots::answersOf(const QString &snapshot)
{
    const QString path = snapshot + QLatin1Char('/') + dataFileNames().at(2);
    if (!QFileInfo::exists(path))
        return AnswerStore();
    AnswerStore answers;
    if (!decodes(path, decodeAnswerList, &answers))
        return std::nullopt;
    return answers;
}

bool Snapshots::equalsNewest(const QVector<Entry> &entries) const
{
    if (entries.isEmpty())
        return false;
    const QString newest = folder() + QLatin1Char('/') + entries.first().name;
    for (const QString &name : dataFileNames()) {
        if (readFile(newest + QLatin1Char('/') + name) != readFile(m_dataFolder + QLatin1Char('/') + name))
            return false;
    }
    return true;
}

QString Snapshots::take(const QString &reason, const QDateTime &now, bool unlessSame)
{
    const QVector<Entry> existing = entries();
    if (unlessSame && equalsNewest(existing))
        return QString();

    QString error = prepareDataFolder(folder());
    if (!error.isEmpty())
        return error;
    // Snapshots cut short by a stop.
    const QStringList unfinished = QDir(folder()).entryList({QStringLiteral(".*")},
                                                            QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : unfinished)
        QDir(folder() + QLatin1Char('/') + name).removeRecursively();

    const QString base = now.toString(QString::fromLatin1(NameFormat));
    QString name = base;
    for (int n = 2; QFileInfo::exists(folder() + QLatin1Char('/') + name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    const QString incoming = folder() + QStringLiteral("/.") + name;
    const QString target = folder() + QLatin1Char('/') + name;

    error = prepareDataFolder(incoming);
    for (const QString &file : dataFileNames()) {
        if (!error.isEmpty())
            break;
        const QString from = m_dataFolder + QLatin1Char('/') + file;
        if (!QFileInfo::exists(from))
            continue;
        const std::optional<QByteArray> bytes = readFile(from);
        error = bytes ? saveWhole(incoming + QLatin1Char('/') + file, *bytes)
                      : tr("файл «%1» не удалось прочитать").arg(shown(from));
    }
    if (error.isEmpty())
        error = saveWhole(incoming + QLatin1Char('/') + ReasonFile, reason.toUtf8() + '\n');
    if (error.isEmpty() && !(QDir().rename(incoming, target) && syncFolder(folder())))
        error = tr("папку «%1» не удалось переименовать").arg(shown(incoming));
    if (!error.isEmpty()) {
        QDir(incoming).removeRecursively();
        return error;
    }
    prune(now);
    return QString();
}

void Snapshots::prune(const QDateTime &now) const
{
    const QDateTime keepAllFrom = now.addSecs(-3600 * KeepAllHours);
    const QDate keepDailyFrom = now.date().addDays(-KeepDailyDays);
    QDate lastDay;
    // Newest first: the first one seen of a day is that day's newest.
    for (const Entry &entry : entries()) {
        const QDate day = entry.time.date();
        const bool newestOfDay = day != lastDay;
        lastDay = day;
        if (entry.time >= keepAllFrom || (newestOfDay && day >= keepDailyFrom))
            continue;
        const QString path = folder() + QLatin1Char('/') + entry.name;
        if (inspect(path).damage.isEmpty())
            QDir(path).removeRecursively();
    }
}
