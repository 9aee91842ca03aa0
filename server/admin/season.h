#ifndef SEASON_H
#define SEASON_H

#include "records.h"

#include <QDate>

class DataStore;

// Begins a new evaluation season on `today`: the season start becomes
// `today`, the answers stored today are removed (the others keep their
// order), and the settings file and the answers file are both rewritten, so
// that a restart cannot bring today's answers back into the new season.
// Returns the number of answers removed; -1, with nothing changed, when the
// snapshot taken first failed.
int beginSeason(DataStore &store, const QDate &today);

// How many answers beginSeason() on `today` would remove.
int seasonRemovalCount(const AnswerStore &answers, const QDate &today);

#endif // SEASON_H
