#ifndef BYTEREADER_H
#define BYTEREADER_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>
#include <QtEndian>

#include <type_traits>

// Shares one copy of each text among the records decoded from one input: a
// long answer list repeats the same few question texts, block names and
// account names thousands of times.
class TextPool
{
public:
    QString text(const char *units, int count);

private:
    // The text last met among those that share a slot (see recentSlot()).
    // Most texts of a list come back again and again; one of them is found
    // here by one comparison, without hashing all its bytes.
    struct Recent
    {
        QByteArray bytes;
        QString text;
    };
    static constexpr int RecentBits = 10;
    // A slot chosen by a text's length and up to eight bytes at each end.
    // Texts that agree there take turns in one slot; each is still found,
    // by all its bytes, in the hash.
    static int recentSlot(const char *bytes, int size);

    QVector<Recent> m_recent = QVector<Recent>(1 << RecentBits);
    QHash<QByteArray, QString> m_texts;
};

// Reads little-endian fields from a byte array without ever going past its
// end. A read that would run past the end fails: it returns a zero value,
// and the reader stays failed for every later read, so a decoder can read a
// whole record and check ok() once at the end.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &data, int offset = 0);

    bool ok() const { return m_ok; }
    int position() const { return m_pos; }
    int remaining() const { return m_ok ? m_data.size() - m_pos : 0; }
    bool atEnd() const { return remaining() == 0; }
    void fail() { m_ok = false; }

    // One little-endian integer as wide as T; a bool is one byte, any
    // non-zero value being true.
    template<typename T>
    T read()
    {
        static_assert(std::is_integral_v<T>, "ByteReader reads integers and bool");
        const char *p = take(int(sizeof(T)));
        if (!p)
            return T();
        if constexpr (std::is_same_v<T, bool>)
            return *p != 0;
        else
            return qFromLittleEndian<T>(p);
    }
    QByteArray readBytes(int count);
    // Moves past `count` bytes; false (and failed) when there are fewer.
    bool skip(int count) { return count >= 0 && take(count); }
    // Peeks at the next byte; returns -1 at the end.
    int peekU8() const;

    // uint16 count of UTF-16 units, then the units.
    QString readText();
    // Texts read from now on come from `pool` (which must outlive the reads).
    void setTextPool(TextPool *pool) { m_pool = pool; }
    // uint16 count m, then a 2·m byte area whose first m bytes are the password.
    QByteArray readPassword();

private:
    const char *take(int count);

    const QByteArray m_data; // implicitly shared: no copy of the bytes
    int m_pos = 0;
    bool m_ok = true;
    TextPool *m_pool = nullptr;
};

#endif // BYTEREADER_H
