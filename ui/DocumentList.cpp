#include "DocumentList.h"

#include <algorithm>
#include <functional>

namespace zort {

int DocumentList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant DocumentList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DocumentEntry &entry = m_entries[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.path;
    case Qt::CheckStateRole:
        return entry.ticked ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool DocumentList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const bool ticked = value.toInt() == Qt::Checked;
    DocumentEntry &entry = m_entries[static_cast<size_t>(index.row())];
    if (entry.ticked != ticked) {
        entry.ticked = ticked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
    }
    return true;
}

Qt::ItemFlags DocumentList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
           | Qt::ItemNeverHasChildren;
}

void DocumentList::append(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(paths.size()) - 1);
    for (const QString &path : paths)
        m_entries.push_back(DocumentEntry {path, false});
    endInsertRows();
}

void DocumentList::clear()
{
    if (m_entries.empty())
        return;
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void DocumentList::setAllTicked(bool ticked)
{
    for (DocumentEntry &entry : m_entries)
        entry.ticked = ticked;
    announceTicks();
}

void DocumentList::invertTicks()
{
    for (DocumentEntry &entry : m_entries)
        entry.ticked = !entry.ticked;
    announceTicks();
}

void DocumentList::removeEntries(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_entries.erase(m_entries.begin() + row);
        endRemoveRows();
    }
}

QStringList DocumentList::paths() const
{
    QStringList result;
    result.reserve(static_cast<qsizetype>(m_entries.size()));
    for (const DocumentEntry &entry : m_entries)
        result.append(entry.path);
    return result;
}

bool DocumentList::isTicked(int row) const
{
    return m_entries.at(static_cast<size_t>(row)).ticked;
}

void DocumentList::setTicked(int row, bool ticked)
{
    setData(index(row), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void DocumentList::announceTicks()
{
    if (!m_entries.empty())
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
}

} // namespace zort
