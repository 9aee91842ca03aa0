#include "backgroundwriter.h"

#include "datafolder.h"

#include <QThread>

BackgroundWriter::BackgroundWriter(QObject *parent)
    : QObject(parent)
{
}

BackgroundWriter::~BackgroundWriter()
{
    if (m_thread)
        finish();
}

void BackgroundWriter::start(const QString &path, const QByteArray &bytes)
{
    Q_ASSERT(!m_thread);
    const quint64 write = ++m_write;
    m_thread = QThread::create([this, path, bytes] { m_reason = saveWhole(path, bytes); });
    connect(m_thread, &QThread::finished, this, [this, write] {
        if (write == m_write && m_thread)
            emit finished(finish());
    });
    m_thread->start();
}

QString BackgroundWriter::finish()
{
    Q_ASSERT(m_thread);
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    return m_reason;
}
