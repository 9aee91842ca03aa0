#ifndef ANSWERARCHIVE_H
#define ANSWERARCHIVE_H

#include "records.h"

#include <QDate>
#include <QString>

class DataStore;

// From this share of the answer store's capacity on, the administrator is
// warned that new answers will soon be refused.
constexpr int StoreNearlyFullPercent = 90;

// The share of the answer store's capacity (65 535 answers) that `count`
// answers take, in whole percent, rounded down.
int storeFillPercent(int count);

// Moves the answers of earlier seasons (dated before the season start) out
// of the answer store into the folder "archive" of the data folder: each run
// writes one answer list, "answers-YYYY-MM-DD.bin" (with "-2", "-3", ... when
// that day was archived before), which the answers file's decoder reads, and
// a CSV file of the same name for spreadsheets. The texts of each answer
// (question, block, author and subject names) are filled in from the stores
// where these still hold them, so that the archive outlives the accounts
// and questions it names.
//
// The answers file is rewritten only after both archive files are
// committed: if the program stops at any moment, every answer is in the
// store, in the archive or in both.
class AnswerArchive
{
public:
    explicit AnswerArchive(DataStore &store);

    // data folder + "/archive"
    QString folder() const;
    // How many answers archive() would move: none before the first season.
    int archivableCount() const;

    struct Outcome
    {
        int moved = 0;
        QString answersFile;
        QString csvFile;
        // Empty when the archive was written; otherwise why not, and the
        // store was left untouched.
        QString error;
    };
    // Writes the archive named by `today` and removes its answers from the
    // store (answersWritten() follows). With nothing to archive, writes
    // nothing.
    Outcome archive(const QDate &today);

private:
    bool isArchivable(const Answer &answer) const;
    QString freeStem(const QDate &today) const;

    DataStore &m_store;
};

// The lines of an archive's CSV file: a header, then one line per answer.
QByteArray archiveCsv(const QVector<Answer> &answers);

#endif // ANSWERARCHIVE_H
