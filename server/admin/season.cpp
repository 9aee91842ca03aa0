#include "season.h"

#include "datastore.h"

#include <algorithm>

namespace {

// The answers a season begun on `day` removes: those stored that day.
auto storedOn(const QDate &day)
{
    return [day](const Answer &a) { return a.date == day; };
}

} // namespace

int seasonRemovalCount(const AnswerStore &answers, const QDate &today)
{
    return int(std::count_if(answers.cbegin(), answers.cend(), storedOn(today)));
}

int beginSeason(DataStore &store, const QDate &today)
{
    if (!store.snapshotBefore(QStringLiteral("Начало нового сезона")))
        return -1;
    store.setSeasonStart(today);
    return store.removeAnswers(storedOn(today));
}
