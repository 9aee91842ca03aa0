#ifndef BACKGROUNDWRITER_H
#define BACKGROUNDWRITER_H

#include <QByteArray>
#include <QObject>
#include <QString>

class QThread;

// Writes a whole data file (saveWhole) on a thread of its own, one write at
// a time, so that the event loop goes on while the file is written and
// synced. The thread is given the path and the bytes and touches nothing
// else; its outcome comes back through finished(), queued to the owner's
// thread.
class BackgroundWriter : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundWriter(QObject *parent = nullptr);
    // Waits for a write under way: a file half written is never left behind.
    ~BackgroundWriter() override;

    bool isBusy() const { return m_thread != nullptr; }
    // Starts writing `bytes` as the whole file at `path`; only while not busy.
    void start(const QString &path, const QByteArray &bytes);
    // Waits for the write under way and returns its outcome at once, as
    // finished() would have; finished() then does not follow for it.
    QString finish();

signals:
    // Empty when the file was written and synced, otherwise why not.
    void finished(const QString &reason);

private:
    QThread *m_thread = nullptr;
    // Written by the thread before it ends, read here only after it ended.
    QString m_reason;
    // Tells a stale finishing notice from the current write's.
    quint64 m_write = 0;
};

#endif // BACKGROUNDWRITER_H
