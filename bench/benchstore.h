#ifndef BENCHSTORE_H
#define BENCHSTORE_H

#include "benchsupport.h"
#include "datastore.h"
#include "encoding.h"

#include <QDate>
#include <QDir>
#include <QSaveFile>

// Gives `store` the school, its season beginning at `seasonStart`, the way a
// restart would: as its four data files, then loaded. A store takes no
// whole school through its changes without rewriting a file per account.
inline bool loadSchool(DataStore &store, const School &school, const QDate &seasonStart)
{
    const std::optional<QByteArray> files[] = {encodeGroupList(school.questions),
                                               encodeAccountTable(school.accounts),
                                               encodeAnswerList(school.answers), encodeSeasonStart(seasonStart)};
    const QString paths[] = {store.questionsPath(), store.accountsPath(), store.answersPath(), store.settingsPath()};
    if (!QDir().mkpath(store.folder()))
        return false;
    for (int i = 0; i < 4; ++i) {
        QSaveFile file(paths[i]);
        if (!files[i] || !file.open(QIODevice::WriteOnly) || file.write(*files[i]) != files[i]->size()
            || !file.commit()) {
            return false;
        }
    }
    store.load();
    return true;
}

#endif // BENCHSTORE_H
