#ifndef CSVLINE_H
#define CSVLINE_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The CSV files both programs write, as spreadsheets on the users' systems
// open them: Windows-1251, ";" between fields, CR LF after every line, and
// a field holding ";", a double quote or a line break enclosed in double
// quotes with its quotes doubled.

// The bytes of one line.
QByteArray csvLine(const QStringList &fields);

// Writes `lines` to `fileName`, replacing the file only when all of it was
// written; false otherwise.
bool saveCsv(const QString &fileName, const QVector<QStringList> &lines);

#endif // CSVLINE_H
