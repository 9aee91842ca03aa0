#ifndef BYTEWRITER_H
#define BYTEWRITER_H

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <type_traits>

// Appends little-endian fields to a byte array. A count that does not fit in
// its 16-bit field marks the writer failed instead of being cut short, so
// that no encoding ever carries a count that disagrees with its bytes.
class ByteWriter
{
public:
    static constexpr int MaxCount = 0xFFFF;

    explicit ByteWriter(int expectedSize = 0);
    // A writer that keeps no bytes and only counts them: running an encoding
    // through it first gives the exact size to allocate for the real one.
    static ByteWriter counter();

    bool ok() const { return m_ok; }
    void fail() { m_ok = false; }
    const QByteArray &data() const { return m_data; }
    // The bytes written, or counted, so far.
    qint64 size() const { return m_counting ? m_counted : m_data.size(); }

    // One little-endian integer as wide as T; a bool is one byte, 0 or 1.
    template<typename T>
    void write(T v)
    {
        static_assert(std::is_integral_v<T>, "ByteWriter writes integers and bool");
        if constexpr (std::is_same_v<T, bool>) {
            const char b = v ? 1 : 0;
            append(&b, 1);
        } else {
            char b[sizeof(T)];
            qToLittleEndian(v, b);
            append(b, int(sizeof(T)));
        }
    }
    void writeBytes(const QByteArray &bytes);
    // Writes a 16-bit count; fails when `count` is negative or above MaxCount.
    void writeCount(int count);
    void writeText(const QString &text);
    void writePassword(const QByteArray &password);

private:
    void append(const char *bytes, int count);
    void appendZeros(int count);

    QByteArray m_data;
    bool m_counting = false;
    qint64 m_counted = 0;
    bool m_ok = true;
};

#endif // BYTEWRITER_H
