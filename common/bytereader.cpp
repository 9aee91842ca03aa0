#include "bytereader.h"

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

QString TextPool::text(const char *units, int count)
{
    // The key refers to the input's bytes only while it is looked up.
    const QByteArray key = QByteArray::fromRawData(units, 2 * count);
    auto it = m_texts.constFind(key);
    if (it == m_texts.constEnd())
        it = m_texts.insert(QByteArray(units, 2 * count), unitsToText(units, count));
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
