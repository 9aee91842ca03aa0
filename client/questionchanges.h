#ifndef QUESTIONCHANGES_H
#define QUESTIONCHANGES_H

#include "records.h"

#include <QString>
#include <QStringList>
#include <QVector>

// How the questions of the block that a rater is answering differ in the
// server's newer version of that block. Questions are matched by id; one
// counts as changed when its text or its range differs.
struct QuestionChanges
{
    QVector<int> changed;   // positions in the newer list, from 0
    QVector<int> added;     // positions in the newer list, from 0
    QStringList removed;    // texts of the questions no longer asked
    bool reordered = false; // the questions of both lists come in another order
    QVector<qint32> kept;   // ids of the questions asked as before

    bool isEmpty() const { return changed.isEmpty() && added.isEmpty() && removed.isEmpty() && !reordered; }

    // What the rater is told about the changes in block `blockName`,
    // numbering the questions as their cards do.
    QString notice(const QString &blockName) const;
};

QuestionChanges questionChanges(const QVector<Question> &shown, const QVector<Question> &newer);

#endif // QUESTIONCHANGES_H
