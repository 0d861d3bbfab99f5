#pragma once

#include "CheckRun.h"

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

namespace zort {

// The list of workbooks to check: full paths in the order they were added (duplicates allowed),
// each with its own tick. What is highlighted is the view's selection, kept apart from the ticks.
class DocumentList : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // New entries go to the end, clear.
    void append(const QStringList &paths);
    void clear();
    void setAllTicked(bool ticked);
    void invertTicks();
    // Removes the given rows, working from the last to the first.
    void removeEntries(QList<int> rows);

    const std::vector<DocumentEntry> &entries() const { return m_entries; }
    QStringList paths() const;
    bool isTicked(int row) const;
    void setTicked(int row, bool ticked);

    // True while the list holds files the user chose; decides whether adding files first asks
    // to add or replace.
    bool ListFilled() const { return m_listFilled; }
    void setListFilled(bool filled) { m_listFilled = filled; }

private:
    void announceTicks();

    std::vector<DocumentEntry> m_entries;
    bool m_listFilled = false;
};

} // namespace zort
