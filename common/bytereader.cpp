#include "bytereader.h"

#include <cstring>

ByteReader::ByteReader(const QByteArray &data, int offset)
    : m_data(data)
    , m_pos(offset)
    , m_ok(offset >= 0 && offset <= data.size())
{
}

const char *ByteReader::take(int count)
{
    if (!m_ok || count < 0 || count > m_data.size() - m_pos) {
        m_ok = false;
        return nullptr;
    }
    const char *p = m_data.constData() + m_pos;
    m_pos += count;
    return p;
}

QByteArray ByteReader::readBytes(int count)
{
    const char *p = take(count);
    return p ? QByteArray(p, count) : QByteArray();
}

int ByteReader::peekU8() const
{
    if (!m_ok || m_pos >= m_data.size())
        return -1;
    return quint8(m_data.at(m_pos));
}

namespace {

QString unitsToText(const char *units, int count)
{
    QString text(count, Qt::Uninitialized);
    qFromLittleEndian<quint16>(units, count, text.data());
    return text;
}

} // namespace

int TextPool::recentSlot(const char *bytes, int size)
{
    quint64 front = 0;
    quint64 back = 0;
    memcpy(&front, bytes, size_t(qMin(size, 8)));
    if (size > 8)
        memcpy(&back, bytes + size - 8, 8);
    const quint64 mixed = (front ^ quint64(size)) * 0x9E3779B97F4A7C15ull ^ back * 0xC2B2AE3D27D4EB4Full;
    return int(mixed >> (64 - RecentBits));
}

QString TextPool::text(const char *units, int count)
{
    const int size = 2 * count;
    Recent &recent = m_recent[recentSlot(units, size)];
    if (recent.bytes.size() == size && memcmp(recent.bytes.constData(), units, size_t(size)) == 0)
        return recent.text;

    // The key refers to the input's bytes only while it is looked up.
    auto it = m_texts.constFind(QByteArray::fromRawData(units, size));
    if (it == m_texts.constEnd())
        it = m_texts.insert(QByteArray(units, size), unitsToText(units, count));
    recent = {it.key(), it.value()};
    return it.value();
}

QString ByteReader::readText()
{
    const int units = read<quint16>();
    const char *p = take(2 * units);
    if (!p)
        return QString();
    return m_pool ? m_pool->text(p, units) : unitsToText(p, units);
}

QByteArray ByteReader::readPassword()
{
    const int length = read<quint16>();
    const char *p = take(2 * length);
    return p ? QByteArray(p, length) : QByteArray();
}
