#ifndef DATAFOLDER_H
#define DATAFOLDER_H

#include <QByteArray>
#include <QString>

class QFileDevice;

// The data folder holds every password in clear. On Unix it usually lies in
// the shared /tmp, where any local account could read it or create it first,
// so there it must be the server user's own and closed to everybody else.
// On Windows the temporary folder is the user's own and nothing is checked.

// Creates `path` when missing (owner-only on Unix) and checks it. Returns
// why the server must not use it (a symbolic link, a folder of another user,
// one that others can write), or an empty text when it may. A folder of ours
// that others can only read, as older versions left it, is closed to them
// together with its files. A folder that cannot be created is no refusal:
// the server starts without data files, as it always did.
QString prepareDataFolder(const QString &path);

// Makes an open data file readable and writable by its owner only, before
// anything is written to it. False, with the device's error, when that
// fails.
bool restrictToOwner(QFileDevice &file);

// Writes `bytes` as the whole of a data file at `path`, owner-only, beside
// the old file and renamed over it. Returns an empty text when it was
// committed, otherwise the reason; a failure leaves the old file whole and
// no partial file behind.
QString saveWhole(const QString &path, const QByteArray &bytes);

#endif // DATAFOLDER_H
