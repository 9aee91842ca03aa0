#ifndef CP1251_H
#define CP1251_H

#include <QByteArray>
#include <QString>

// Conversion between Unicode text and the Windows-1251 code page.

// One character per byte, by the published Windows-1251 table; a byte the
// table leaves unassigned (0x98) becomes U+FFFD.
QString fromCp1251(const QByteArray &bytes);

// One byte per UTF-16 unit of `text`; a character the code page does not
// hold (and the NUL character) becomes "?", so the result never holds a NUL
// byte. The returned array has exactly text.size() bytes (QByteArray keeps
// its own terminating zero behind them).
QByteArray toCp1251(const QString &text);

#endif // CP1251_H
