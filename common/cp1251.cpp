#include "cp1251.h"

#include <QHash>

namespace {

// Windows-1251, bytes 0x80 to 0xBF. 0x98 is unassigned.
const char16_t upperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char16_t decodeByte(quint8 b)
{
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return char16_t(0x0410 + (b - 0xC0)); // А..Я, а..я
    return upperHalf[b - 0x80];
}

const QHash<char16_t, char> &upperHalfBytes()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 64; ++i) {
            if (upperHalf[i] != 0xFFFD)
                t.insert(upperHalf[i], char(0x80 + i));
        }
        return t;
    }();
    return table;
}

char encodeUnit(char16_t c)
{
    if (c >= 0x0001 && c < 0x0080)
        return char(c);
    if (c >= 0x0410 && c <= 0x044F)
        return char(0xC0 + (c - 0x0410));
    return upperHalfBytes().value(c, '?');
}

} // namespace

QString fromCp1251(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        text[i] = QChar(decodeByte(quint8(bytes.at(i))));
    return text;
}

QByteArray toCp1251(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        bytes[i] = encodeUnit(text.at(i).unicode());
    return bytes;
}
