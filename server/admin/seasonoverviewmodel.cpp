#include "seasonoverviewmodel.h"

#include <QBrush>
#include <QColor>

namespace {

const QColor NotRated(246, 208, 208);
const QColor NotRatedText(150, 0, 0);
const QColor NotApplicable(230, 230, 230);
const QColor AllSelfRated(214, 240, 214);
const QColor SomeSelfRated(255, 236, 196);

} // namespace

void SeasonOverviewModel::setOverviewLayout(const OverviewLayout &layout)
{
    if (layout == m_layout)
        return;
    const bool sameShape = layout.rows.size() == m_layout.rows.size() && layout.columns.size() == m_layout.columns.size();
    if (!sameShape)
        beginResetModel();
    m_layout = layout;
    if (!sameShape) {
        endResetModel();
        return;
    }
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    allChanged();
}

void SeasonOverviewModel::setTally(const OverviewTally &tally)
{
    m_tally = tally;
    allChanged();
}

void SeasonOverviewModel::allChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int SeasonOverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_layout.rows.size();
}

int SeasonOverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_layout.columns.size() + 1;
}

QVariant SeasonOverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (index.column() == m_layout.columns.size())
        return selfData(index.row(), role);
    return blockData(index.row(), index.column(), role);
}

QVariant SeasonOverviewModel::blockData(int row, int column, int role) const
{
    if (!m_layout.applies(row, column)) {
        if (role == Qt::BackgroundRole)
            return QBrush(NotApplicable);
        if (role == Qt::ToolTipRole)
            return tr("Блок группы «%1» не относится к этому педагогу").arg(groupName(m_layout.columns.at(column).group));
        return {};
    }
    const OverviewCell cell = m_tally.cell(m_layout.rows.at(row).id, m_layout.columns.at(column).blockId);
    switch (role) {
    case Qt::DisplayRole:
        return cellText(cell);
    case Qt::BackgroundRole:
        return cell.experts == 0 ? QVariant(QBrush(NotRated)) : QVariant();
    case Qt::ForegroundRole:
        return cell.experts == 0 ? QVariant(QBrush(NotRatedText)) : QVariant();
    case Qt::ToolTipRole:
        if (cell.experts == 0)
            return tr("Ни один эксперт ещё не оценил педагога по этому блоку");
        return tr("Экспертов: %1; средний результат: %2")
            .arg(cell.experts)
            .arg(cell.meanPercent ? QStringLiteral("%1 %").arg(*cell.meanPercent, 0, 'f', 1) : QStringLiteral("—"));
    default:
        return {};
    }
}

QVariant SeasonOverviewModel::selfData(int row, int role) const
{
    const SelfRating rating = selfRating(m_layout, m_tally, row);
    switch (role) {
    case Qt::DisplayRole:
        return selfRatingText(rating);
    case Qt::BackgroundRole:
        if (rating.blocks == 0)
            return {};
        if (rating.rated == rating.blocks)
            return QBrush(AllSelfRated);
        return QBrush(rating.rated == 0 ? NotRated : SomeSelfRated);
    case Qt::ToolTipRole:
        return rating.missing.isEmpty() ? QVariant()
                                        : QVariant(tr("Не оценил себя: %1").arg(rating.missing.join(QStringLiteral(", "))));
    default:
        return {};
    }
}

QVariant SeasonOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (section < 0 || section >= rowCount())
            return {};
        const OverviewRow &row = m_layout.rows.at(section);
        if (role == Qt::DisplayRole)
            return row.name;
        if (role == Qt::ToolTipRole)
            return groupName(row.group);
        return {};
    }
    if (section < 0 || section >= columnCount())
        return {};
    if (section == m_layout.columns.size())
        return role == Qt::DisplayRole ? QVariant(tr("Самооценка")) : QVariant();
    const OverviewColumn &column = m_layout.columns.at(section);
    if (role == Qt::DisplayRole)
        return wrappedTitle(column.title);
    if (role == Qt::ToolTipRole)
        return tr("%1 — блок группы «%2»").arg(column.title, groupName(column.group));
    return {};
}
