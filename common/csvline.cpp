#include "csvline.h"

#include "cp1251.h"

#include <QSaveFile>

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

bool saveCsv(const QString &fileName, const QVector<QStringList> &lines)
{
    QSaveFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    for (const QStringList &line : lines)
        file.write(csvLine(line));
    // commit() overlooks a write that fails in its own final flush (a full
    // disk) and would put a cut file in place.
    return file.flush() && file.commit();
}
