#include "season.h"

#include "datastore.h"

int beginSeason(DataStore &store, const QDate &today)
{
    store.setSeasonStart(today);
    return store.removeAnswers([&today](const Answer &a) { return a.date == today; });
}
