#include "addressline.h"

#include <QFile>

namespace {

quint32 lowByte(const QString &number)
{
    return quint32(number.trimmed().toInt()) & 0xFF;
}

} // namespace

quint32 scanAddressLine(const QString &line)
{
    QString collected;
    quint32 sum = 0;
    bool afterEquals = false;
    bool semicolonSeen = false;

    for (const QChar c : line) {
        if (!afterEquals) {
            if (c == QLatin1Char('=')) {
                afterEquals = true;
                collected.clear();
            } else {
                collected.append(c);
            }
            continue;
        }
        if (c == QLatin1Char('.')) {
            sum = (sum + lowByte(collected)) << 8;
            collected.clear();
        } else if (c == QLatin1Char(';')) {
            sum += lowByte(collected);
            collected.clear();
            semicolonSeen = true;
        } else {
            collected.append(c);
        }
    }

    // Without any ";" the last number would be lost and the address would
    // end in 0, which never reaches a server.
    if (afterEquals && !semicolonSeen)
        sum += lowByte(collected);
    return sum;
}

QHostAddress readServerAddress(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QHostAddress(quint32(0));
    return QHostAddress(scanAddressLine(QString::fromUtf8(file.readLine())));
}
