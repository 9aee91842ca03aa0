#include "messageassembler.h"

#include "message.h"

#include <QIODevice>

#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

// Asks for the room of a long message to be backed by large pages where
// the system has them. Taking fresh memory 4 KB at a time as the bytes
// arrive is most of what a reply of tens of megabytes costs the receiver,
// on virtual machines above all.
void preferLargePages(char *data, qint64 size)
{
#ifdef Q_OS_LINUX
    constexpr quintptr Large = quintptr(2) << 20;
    const quintptr first = (quintptr(data) + Large - 1) & ~(Large - 1);
    const quintptr last = (quintptr(data) + quintptr(size)) & ~(Large - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(data)
    Q_UNUSED(size)
#endif
}

} // namespace

MessageAssembler::MessageAssembler(QObject *parent)
    : QObject(parent)
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(QuietPeriodMs);
    m_giveUpTimer.setSingleShot(true);
    m_giveUpTimer.setInterval(GiveUpMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &MessageAssembler::quietPeriodEnded);
    connect(&m_giveUpTimer, &QTimer::timeout, this, &MessageAssembler::drop);
}

void MessageAssembler::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (char *end = grow(bytes.size())) {
        memcpy(end, bytes.constData(), size_t(bytes.size()));
        received();
    }
}

void MessageAssembler::appendFrom(QIODevice &device)
{
    const qint64 available = device.bytesAvailable();
    if (available <= 0)
        return;
    char *end = grow(available);
    if (!end) {
        device.skip(available);
        return;
    }
    const qint64 read = qMax<qint64>(device.read(end, available), 0);
    m_buffer.chop(int(available - read));
    received();
}

// Makes room for `count` more bytes and returns where they go, or gives up
// what was collected (nullptr) when they would pass the size limit. A long
// message gets the room its first bytes announce at once: fresh memory is
// slow to take piece by piece, and a growing buffer would be moved again
// and again.
char *MessageAssembler::grow(qint64 count)
{
    const qint64 size = m_buffer.size() + count;
    if (size > m_sizeLimit) {
        clear();
        emit messageDropped(size);
        return nullptr;
    }
    if (size > m_buffer.capacity()) {
        const qint64 announced = knownMessageSize(m_buffer);
        if (announced > size && announced <= m_sizeLimit) {
            m_buffer.reserve(int(announced));
            preferLargePages(m_buffer.data(), announced);
        }
    }
    m_buffer.resize(int(size));
    return m_buffer.data() + size - count;
}

void MessageAssembler::received()
{
    m_quietTimer.start();
    m_giveUpTimer.start();
}

void MessageAssembler::clear()
{
    m_quietTimer.stop();
    m_giveUpTimer.stop();
    m_buffer.clear();
}

void MessageAssembler::quietPeriodEnded()
{
    switch (messageStatus(m_buffer)) {
    case UnpackResult::Incomplete:
        // The sender paused inside a message; the give-up timer still runs.
        return;
    case UnpackResult::Invalid:
        drop();
        return;
    case UnpackResult::Complete:
        break;
    }
    const QByteArray message = m_buffer;
    clear();
    emit messageReady(message);
}

void MessageAssembler::drop()
{
    const qint64 size = m_buffer.size();
    clear();
    emit messageDropped(size);
}
