#ifndef CLIENTFILES_H
#define CLIENTFILES_H

#include <QString>

// The files the client reads ("setting_client.ini", "pikto.png",
// "pikto_first.png", "file.pdf") are looked for in its working folder first,
// then beside the program, then where an installation puts them.

// The path of `name` in the first of `workingFolder`, `programFolder` and
// `installedFolder` (relative to `programFolder`) that holds it. When none
// does, the path in the installed folder, where the file is expected.
QString locateFile(const QString &name, const QString &workingFolder, const QString &programFolder,
                   const QString &installedFolder);

// locateFile() for this process, with the installed data folder (pictures,
// help) or configuration folder (the address file). Tells the logging
// category "school.client.files" which path was taken.
QString clientDataFile(const QString &name);
QString clientConfigFile(const QString &name);

#endif // CLIENTFILES_H
