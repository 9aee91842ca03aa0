#ifndef BYTEWRITER_H
#define BYTEWRITER_H

#include <QByteArray>
#include <QString>

// Appends little-endian fields to a byte array. A count that does not fit in
// its 16-bit field marks the writer failed instead of being cut short, so
// that no encoding ever carries a count that disagrees with its bytes.
class ByteWriter
{
public:
    static constexpr int MaxCount = 0xFFFF;

    explicit ByteWriter(int expectedSize = 0);

    bool ok() const { return m_ok; }
    void fail() { m_ok = false; }
    const QByteArray &data() const { return m_data; }

    void writeU8(quint8 v);
    void writeBool(bool v);
    void writeI16(qint16 v);
    void writeU16(quint16 v);
    void writeI32(qint32 v);
    void writeI64(qint64 v);
    void writeBytes(const QByteArray &bytes);
    // Writes a 16-bit count; fails when `count` is negative or above MaxCount.
    void writeCount(int count);
    void writeText(const QString &text);
    void writePassword(const QByteArray &password);

private:
    QByteArray m_data;
    bool m_ok = true;
};

#endif // BYTEWRITER_H
