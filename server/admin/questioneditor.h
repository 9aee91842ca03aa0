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
    // False for a group the store does not hold.
    bool hasBlockNamed(int group, const QString &name) const;

    // Appends an inactive, empty block named `name` to `group` and writes
    // the questions file; returns the new block's index. Returns -1 and
    // changes nothing for a group the store does not hold, or (with a
    // warning) when the group already holds as many blocks as the file
    // format can count.
    int addBlock(int group, const QString &name);
    // After a snapshot, removes the block's answers (answers file written),
    // then the block (questions file written). False, with nothing removed,
    // when there is no such block or the snapshot failed.
    bool deleteBlock(int group, int block);

    // A new question for a row just opened: its id is the smallest one free
    // among the stored questions, `openIds` (the ids held by the other rows)
    // and the questions that stored answers name, so that the answers of a
    // deleted question never attach to a new one. Its text is that id.
    Question newQuestion(const QVector<qint32> &openIds) const;

    // Makes the block's questions those of `rows`, in place: a row whose id
    // the block holds overwrites that question, any other row is appended,
    // and questions no row holds are removed. Writes the questions file.
    // More rows, or a longer text, than the file format can count refuse
    // the save with a warning and change nothing, as does a failed snapshot
    // before a save that removes questions.
    bool saveBlock(int group, int block, const QVector<Question> &rows, bool active);

    // True while `rows` and `active` differ from the stored block (the text,
    // id, active flag and range of each question, the number of questions,
    // the block's active flag). A missing block differs from nothing.
    bool differs(int group, int block, const QVector<Question> &rows, bool active) const;

private:
    bool hasGroup(int group) const;
    // `openIds` and the question ids of the stored answers, each once.
    QVector<qint32> takenQuestionIds(const QVector<qint32> &openIds) const;

    DataStore &m_store;
};

#endif // QUESTIONEDITOR_H
