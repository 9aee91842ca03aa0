#ifndef SEASONOVERVIEWMODEL_H
#define SEASONOVERVIEWMODEL_H

#include "seasonoverview.h"

#include <QAbstractTableModel>

// The season overview as a table: a row per teacher, a column per block and
// a last column for the self-rating. Cells are read from the tally when the
// view asks for them, so a new tally costs no more than a repaint, and a
// layout of the same shape (a rename) keeps the view's scroll position.
class SeasonOverviewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    const OverviewLayout &overviewLayout() const { return m_layout; }
    const OverviewTally &tally() const { return m_tally; }
    void setOverviewLayout(const OverviewLayout &layout);
    void setTally(const OverviewTally &tally);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant blockData(int row, int column, int role) const;
    QVariant selfData(int row, int role) const;
    void allChanged();

    OverviewLayout m_layout;
    OverviewTally m_tally;
};

#endif // SEASONOVERVIEWMODEL_H
