#include "season.h"

#include "answerremoval.h"
#include "datastore.h"

int beginSeason(DataStore &store, const QDate &today)
{
    store.setSeasonStart(today);
    const int removed
        = removeAnswersIf(store.answers(), [&today](const Answer &a) { return a.date == today; });
    store.writeSettings();
    store.writeAnswers();
    return removed;
}
