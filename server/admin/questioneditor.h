#ifndef QUESTIONEDITOR_H
#define QUESTIONEDITOR_H

#include "records.h"

#include <QString>
#include <QVector>

class DataStore;

// The block and question operations of the editor tab, on the question store
// of a DataStore. Blocks are added and deleted at once; question edits reach
// the store only through saveBlock().
class QuestionEditor
{
public:
    explicit QuestionEditor(DataStore &store);

    const QuestionBlock *block(int group, int block) const;
    bool hasBlockNamed(int group, const QString &name) const;

    // Appends an inactive, empty block named `name` to `group` and writes
    // the questions file; returns the new block's index.
    int addBlock(int group, const QString &name);
    // Removes the block's answers (answers file written), then the block
    // (questions file written).
    bool deleteBlock(int group, int block);

    // A new question for a row just opened: its id is free among the stored
    // questions and `openIds` (the ids held by the other rows), and its text
    // is that id.
    Question newQuestion(const QVector<qint32> &openIds) const;

    // Makes the block's questions those of `rows`, in place: a row whose id
    // the block holds overwrites that question, any other row is appended,
    // and questions no row holds are removed. Writes the questions file.
    bool saveBlock(int group, int block, const QVector<Question> &rows, bool active);

    // True while `rows` and `active` differ from the stored block (the text,
    // id, active flag and range of each question, the number of questions,
    // the block's active flag). A missing block differs from nothing.
    bool differs(int group, int block, const QVector<Question> &rows, bool active) const;

private:
    DataStore &m_store;
};

#endif // QUESTIONEDITOR_H
