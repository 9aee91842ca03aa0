#ifndef DATAFOLDER_H
#define DATAFOLDER_H

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFileDevice;

// The data folder holds every password in clear. On Unix it usually lies in
// the shared /tmp, where any local account could read it or create it first,
// so there it must be the server user's own and closed to everybody else.
// On Windows the temporary folder is the user's own and nothing is checked.

// The names of the four data files inside the data folder.
QStringList dataFileNames();

// Creates `path` when missing (owner-only on Unix) and checks it. Returns
// why the server must not use it (a symbolic link, a file, a folder of
// another user, one that others can write, one that cannot be created or
// written), or an empty text when it may. A folder of ours that others can
// only read, as older versions left it, is closed to them together with its
// files.
QString prepareDataFolder(const QString &path);

// Makes an open data file readable and writable by its owner only, before
// anything is written to it. False, with the device's error, when that
// fails.
bool restrictToOwner(QFileDevice &file);

// Writes `bytes` as the whole of a data file at `path`, owner-only, beside
// the old file and renamed over it. Returns an empty text when it was
// committed and is on the disk (the file, then the folder's entry for the
// rename, are flushed), otherwise the reason; a failure leaves the old file
// whole and no partial file behind.
QString saveWhole(const QString &path, const QByteArray &bytes);

// Flushes the entries of the folder at `path` (new names, renames) to the
// disk. True where the system has nothing to flush.
bool syncFolder(const QString &path);

// Renames the file `from` over `to`, replacing it in one step, and
// flushes the folder of `to`.
bool replaceFile(const QString &from, const QString &to);

// Moving a school and restoring a snapshot call passStep() between their
// steps; a test installs a hook that stops the program at a chosen step,
// as a power cut would. Without a hook nothing happens.
using StepHook = void (*)(int step);
void setStepHook(StepHook hook);
void passStep();

#endif // DATAFOLDER_H
