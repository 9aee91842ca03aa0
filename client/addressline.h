#ifndef ADDRESSLINE_H
#define ADDRESSLINE_H

#include <QHostAddress>
#include <QString>

// The client finds its server in the first line of "setting_client.ini":
// any text, "=", then four dotted decimal numbers ended by ";", for example
// "server=192.168.0.10;". The port is always the server's fixed port.

// The IPv4 address of `line`, first number in the highest byte. Each number
// keeps its low 8 bits and text that is not a number counts as 0. A ";"
// ends the last number; a line without any ";" still counts its last number.
quint32 scanAddressLine(const QString &line);

// Scans the first line of `fileName`; a file that cannot be read gives the
// address 0.0.0.0.
QHostAddress readServerAddress(const QString &fileName);

#endif // ADDRESSLINE_H
