#ifndef MESSAGEASSEMBLER_H
#define MESSAGEASSEMBLER_H

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QIODevice;

// Collects the bytes of one message. Neither side sends a message length:
// a message ends when 25 ms pass without new bytes. When that quiet period
// ends while the bytes collected are only the beginning of a message (its
// counts or sizes run past them), collecting goes on; such bytes are given
// up only after two seconds without a new byte, or when more than the size
// limit has been collected.
class MessageAssembler : public QObject
{
    Q_OBJECT

public:
    static constexpr int QuietPeriodMs = 25;
    static constexpr int GiveUpMs = 2000;
    static constexpr qint64 DefaultSizeLimit = qint64(64) * 1024 * 1024;
    static constexpr qint64 MaxSizeLimit = qint64(1) << 30;

    explicit MessageAssembler(QObject *parent = nullptr);

    void append(const QByteArray &bytes);
    // Takes the bytes `device` holds, read straight into the message.
    void appendFrom(QIODevice &device);
    // Drops whatever has been collected and stops both timers.
    void clear();

    bool isCollecting() const { return !m_buffer.isEmpty(); }
    const QByteArray &buffer() const { return m_buffer; }

    qint64 sizeLimit() const { return m_sizeLimit; }
    // At most MaxSizeLimit, the most a byte array surely holds.
    void setSizeLimit(qint64 bytes) { m_sizeLimit = qMin(bytes, MaxSizeLimit); }

    // GiveUpMs unless set; tests shorten it so as not to wait two seconds.
    int giveUpInterval() const { return m_giveUpTimer.interval(); }
    void setGiveUpInterval(int ms) { m_giveUpTimer.setInterval(ms); }

signals:
    // The collected bytes of one complete message.
    void messageReady(const QByteArray &bytes);
    // Collected bytes were given up: they never formed a whole message in
    // time, could never form one, or grew past the size limit.
    void messageDropped(qint64 size);

private:
    char *grow(qint64 count);
    void received();
    void quietPeriodEnded();
    void drop();

    QByteArray m_buffer;
    QTimer m_quietTimer;
    QTimer m_giveUpTimer;
    qint64 m_sizeLimit = DefaultSizeLimit;
};

#endif // MESSAGEASSEMBLER_H
