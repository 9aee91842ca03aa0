#ifndef SNAPSHOTS_H
#define SNAPSHOTS_H

#include "records.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <optional>

// One entry of the folder "backups".
struct SnapshotInfo
{
    QString path;
    QString name;
    // From the name; invalid for an entry that is no snapshot.
    QDateTime time;
    QString reason;
    int answers = 0;
    int accounts = 0;
    int blocks = 0;
    // Why it must not be restored (no snapshot, a file that does not
    // decode); empty for a whole snapshot.
    QString damage;
};

// The answers one store holds and another does not, counted with their
// repetitions.
struct AnswerChange
{
    int lost = 0;
    int gained = 0;
};
AnswerChange answerChange(const AnswerStore &from, const AnswerStore &to);

// Copies of the four data files in "backups/YYYY-MM-DD_hhmmss" of the data
// folder (local time; "-2", "-3"... for another in the same second), each
// with a text file saying why it was made. A snapshot is written under a
// name starting with "." and renamed once whole, so a folder of the right
// name is always whole. Each new one removes those the rules no longer
// keep: all of the last 24 hours and, for the 30 days before, the newest
// of each day. Entries of other names, and damaged ones, are left alone.
class Snapshots
{
public:
    explicit Snapshots(const QString &dataFolder);

    QString folder() const;

    // Newest first; entries that are no snapshot at the end.
    QVector<SnapshotInfo> list() const;

    // Copies the data files of the data folder as a snapshot made `now` for
    // `reason`. With `unlessSame`, makes none when the files equal the
    // newest snapshot. Returns an empty text, or why no snapshot was made.
    QString take(const QString &reason, const QDateTime &now, bool unlessSame = false);

    // The answers of a snapshot; std::nullopt when they do not decode.
    static std::optional<AnswerStore> answersOf(const QString &snapshot);
    // Looks into one snapshot folder: counts, reason, damage.
    static SnapshotInfo inspect(const QString &path);

private:
    struct Entry
    {
        QString name;
        QDateTime time;
    };
    // The folder names that are snapshots, newest first.
    QVector<Entry> entries() const;
    bool equalsNewest(const QVector<Entry> &entries) const;
    void prune(const QDateTime &now) const;

    QString m_dataFolder;
};

#endif // SNAPSHOTS_H
