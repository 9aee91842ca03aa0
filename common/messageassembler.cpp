#include "messageassembler.h"

#include "message.h"

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
    m_buffer.append(bytes);
    if (m_buffer.size() > m_sizeLimit) {
        drop();
        return;
    }
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
