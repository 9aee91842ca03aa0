#include "bytewriter.h"

#include <QSysInfo>
#include <QtEndian>

ByteWriter::ByteWriter(int expectedSize)
{
    if (expectedSize > 0)
        m_data.reserve(expectedSize);
}

void ByteWriter::writeU8(quint8 v)
{
    m_data.append(char(v));
}

void ByteWriter::writeBool(bool v)
{
    writeU8(v ? 1 : 0);
}

void ByteWriter::writeI16(qint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    m_data.append(b, 2);
}

void ByteWriter::writeU16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    m_data.append(b, 2);
}

void ByteWriter::writeI32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    m_data.append(b, 4);
}

void ByteWriter::writeI64(qint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    m_data.append(b, 8);
}

void ByteWriter::writeBytes(const QByteArray &bytes)
{
    m_data.append(bytes);
}

void ByteWriter::writeCount(int count)
{
    if (count < 0 || count > MaxCount) {
        m_ok = false;
        count = 0;
    }
    writeU16(quint16(count));
}

void ByteWriter::writeText(const QString &text)
{
    writeCount(text.size());
    if (text.size() > MaxCount)
        return;
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        // UTF-16 units are already little-endian in memory: copy them at once.
        m_data.append(reinterpret_cast<const char *>(text.utf16()), 2 * text.size());
        return;
    }
    for (QChar c : text)
        writeU16(c.unicode());
}

void ByteWriter::writePassword(const QByteArray &password)
{
    writeCount(password.size());
    if (password.size() > MaxCount)
        return;
    m_data.append(password);
    // The password area is twice the password's length; the filler is zeros.
    m_data.append(QByteArray(password.size(), '\0'));
}
