#ifndef CP1251TEXTS_H
#define CP1251TEXTS_H

#include "cp1251.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

// Each program keeps some of its texts as Windows-1251 byte strings: an enum
// names them and a table holds their bytes in the enum's order, `Last` being
// the enum's last value. A text is converted when it is shown or written.
template<auto Last, std::size_t Count>
QString cp1251Text(const char *const (&table)[Count], decltype(Last) text)
{
    static_assert(Count == std::size_t(Last) + 1, "one byte string per text");
    return fromCp1251(QByteArray(table[static_cast<std::size_t>(text)]));
}

#endif // CP1251TEXTS_H
