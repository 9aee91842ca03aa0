#ifndef DATALOCATION_H
#define DATALOCATION_H

#include <QString>

// Where the server keeps its data, and what the administrator must be told
// about it at start.
struct DataLocation
{
    // A folder used as it is (server --data-dir, the tests).
    DataLocation(const QString &folder = QString())
        : folder(folder)
    {
    }

    QString folder;
    // Shown once in the window's banner: where the data now live.
    QString notice;
    // Why the server must neither read nor write the folder nor take
    // clients; empty while it may.
    QString refusal;
};

// The lasting folder: the user's application data folder + "/School".
QString lastingDataFolder();
// Where older versions kept the data: the temporary folder + "/School".
QString temporaryDataFolder();
// True when `folder` holds at least one of the four data files.
bool holdsDataFile(const QString &folder);

// The folder of a server started without --data-dir: `lasting`. When it
// holds no data file and `old` does (and passes the folder checks), the
// four files and "archive" are copied over, read back, and only then is
// `old` renamed to "School.moved-YYYYMMDD-hhmmss". The copy is made in a
// folder beside `lasting` and renamed to it once whole, so a stop at any
// moment leaves either the old folder as it was or a whole copy. A failure
// leaves `old` as it was and refuses the location.
DataLocation locateData(const QString &lasting, const QString &old);
// locateData() on the two folders above.
DataLocation defaultDataLocation();

#endif // DATALOCATION_H
