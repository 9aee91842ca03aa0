#include "bytewriter.h"

#include <QSysInfo>

ByteWriter::ByteWriter(int expectedSize)
{
    if (expectedSize > 0)
        m_data.reserve(expectedSize);
}

ByteWriter ByteWriter::counter()
{
    ByteWriter w;
    w.m_counting = true;
    return w;
}

void ByteWriter::append(const char *bytes, int count)
{
    if (m_counting)
        m_counted += count;
    else
        m_data.append(bytes, count);
}

void ByteWriter::appendZeros(int count)
{
    if (m_counting)
        m_counted += count;
    else
        m_data.append(count, '\0');
}

void ByteWriter::writeBytes(const QByteArray &bytes)
{
    append(bytes.constData(), bytes.size());
}

void ByteWriter::writeCount(int count)
{
    if (count < 0 || count > MaxCount) {
        m_ok = false;
        count = 0;
    }
    write(quint16(count));
}

void ByteWriter::writeText(const QString &text)
{
    writeCount(text.size());
    if (text.size() > MaxCount)
        return;
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        // UTF-16 units are already little-endian in memory: copy them at once.
        append(reinterpret_cast<const char *>(text.utf16()), 2 * text.size());
        return;
    }
    for (QChar c : text)
        write(c.unicode());
}

void ByteWriter::writePassword(const QByteArray &password)
{
    writeCount(password.size());
    if (password.size() > MaxCount)
        return;
    writeBytes(password);
    // The password area is twice the password's length; the filler is zeros.
    appendZeros(password.size());
}
