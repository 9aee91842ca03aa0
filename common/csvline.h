#ifndef CSVLINE_H
#define CSVLINE_H

#include <QByteArray>
#include <QStringList>

// One line of a ";"-separated file as spreadsheets on the users' systems
// open it: Windows-1251, CR LF at its end, and a field holding ";", a double
// quote or a line break enclosed in double quotes with its quotes doubled.
QByteArray csvLine(const QStringList &fields);

#endif // CSVLINE_H
