#ifndef BENCHWIRE_H
#define BENCHWIRE_H

// What the benchmarks of the real server program share: starting it on a
// generated school, and the floor that loopback sets.

#include "benchsupport.h"

#include <QByteArray>
#include <QDate>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVector>

#include <functional>

// Standard output, in UTF-8.
QTextStream &out();

// The middle of `values`; 0 when there are none.
double median(QVector<double> values);

// Waits until `done` holds, serving the event loop; false after `timeoutMs`.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 30000);

// Seconds to move `size` bytes over loopback: a plain sender in a thread of
// its own writes them at once, the receiver takes them as a client would.
double loopbackSeconds(qint64 size);

// A LoginRequest with the account's name and password.
QByteArray loginBytes(const Account &account);

// The server program on a school's data files in a fresh TMPDIR; stopped
// when this goes.
struct ServerProcess
{
    QTemporaryDir home;
    QProcess process;

    bool start(const School &school, const QDate &seasonStart);
    // Whether a server accepts connections on its port.
    static bool accepts();
    ~ServerProcess();
};

#endif // BENCHWIRE_H
