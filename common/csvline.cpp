#include "csvline.h"

#include "cp1251.h"

QByteArray csvLine(const QStringList &fields)
{
    static const QString quote = QStringLiteral("\"");
    QStringList written;
    written.reserve(fields.size());
    for (const QString &field : fields) {
        const bool needsQuotes = field.contains(QLatin1Char(';')) || field.contains(quote)
            || field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
        if (needsQuotes)
            written.append(quote + QString(field).replace(quote, quote + quote) + quote);
        else
            written.append(field);
    }
    return toCp1251(written.join(QLatin1Char(';'))) + "\r\n";
}
