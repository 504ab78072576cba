#include "ui/controls/sortedrows.h"

#include <algorithm>

#include "core/lists/listrows.h"

namespace tallymere {

SortedRows::SortedRows(QObject *parent) : QAbstractProxyModel(parent) {}

void SortedRows::setRows(ListRows *rows, std::map<int, SortKind> kinds)
{
    beginResetModel();
    if (m_rows)
        disconnect(m_rows, nullptr, this, nullptr);
    m_rows = rows;
    m_kinds = std::move(kinds);
    m_column = -1;
    m_byPlace.clear();
    m_placeOf.clear();
    QAbstractProxyModel::setSourceModel(rows);
    if (rows) {
        connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            m_resetting = true;
            beginResetModel();
        });
        connect(rows, &QAbstractItemModel::modelReset, this, [this] {
            if (sorted())
                placeAgain();
            m_resetting = false;
            endResetModel();
        });
        // A change of the order this model cannot follow row by row is taken as a new list.
        connect(rows, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
            m_resetting = true;
            beginResetModel();
        });
        connect(rows, &QAbstractItemModel::layoutChanged, this, [this] {
            if (sorted())
                placeAll();
            m_resetting = false;
            endResetModel();
        });
        connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [this](const QModelIndex &, int first, int last) { sourceRowsAboutToBeInserted(first, last); });
        connect(rows, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) { sourceRowsInserted(first, last); });
        connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex &, int first, int last) { sourceRowsAboutToBeRemoved(first, last); });
        connect(rows, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int last) { sourceRowsRemoved(first, last); });
        connect(rows, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                    sourceDataChanged(topLeft.row(), bottomRight.row());
                });
        connect(rows, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
        // A list that goes first (with the ledger that owns it) leaves nothing to show.
        connect(rows, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_rows = nullptr;
            m_column = -1;
            m_byPlace.clear();
            m_placeOf.clear();
            endResetModel();
        });
    }
    endResetModel();
}

ColumnOrder SortedRows::order() const
{
    const auto kind = m_kinds.find(m_column);
    return ColumnOrder(*m_rows, m_column, kind == m_kinds.end() ? SortKind::Text : kind->second, m_order);
}

void SortedRows::sort(int column, Qt::SortOrder order)
{
    if (!m_rows)
        return;
    if (column < 0 || column >= columnCount())
        column = -1;
    const bool same = column == m_column && order == m_order;
    relayout([&] {
        m_column = column;
        m_order = order;
        if (column < 0) {
            m_byPlace.clear();
            m_placeOf.clear();
        } else if (!same) {
            placeAll();
        }
    });
}

int SortedRows::listRow(int row) const
{
    if (!sorted())
        return row;
    return m_byPlace[std::size_t(row)];
}

int SortedRows::viewRow(int listRow) const
{
    if (!sorted())
        return listRow;
    return m_placeOf[std::size_t(listRow)];
}

void SortedRows::placeAll()
{
    m_byPlace = order().sorted();
    renumberPlaces();
}

void SortedRows::placeAgain()
{
    // Rows only left out keep the order they had: a sort of them would give the same, ties
    // included, as the rows kept their order in the list.
    const std::vector<int> *kept = m_rows->rowsKeptByReset();
    if (!kept || kept->size() != m_byPlace.size()) {
        placeAll();
        return;
    }
    std::vector<int> byPlace;
    byPlace.reserve(std::size_t(m_rows->rowCount()));
    for (const int row : m_byPlace) {
        if (const int now = (*kept)[std::size_t(row)]; now >= 0)
            byPlace.push_back(now);
    }
    if (byPlace.size() != std::size_t(m_rows->rowCount())) {
        placeAll();
        return;
    }
    m_byPlace = std::move(byPlace);
    renumberPlaces();
}

void SortedRows::renumberPlaces()
{
    m_placeOf.assign(m_byPlace.size(), -1);
    for (std::size_t place = 0; place < m_byPlace.size(); ++place)
        m_placeOf[std::size_t(m_byPlace[place])] = int(place);
}

void SortedRows::relayout(const std::function<void()> &change)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> listRows;
    listRows.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        listRows.push_back(index.isValid() ? listRow(index.row()) : -1);
    change();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = listRows[std::size_t(i)];
        after.append(row < 0 ? QModelIndex() : index(viewRow(row), before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SortedRows::sourceRowsAboutToBeInserted(int first, int last)
{
    if (!sorted())
        beginInsertRows({}, first, last);
}

void SortedRows::sourceRowsInserted(int first, int last)
{
    if (!sorted()) {
        endInsertRows();
        return;
    }
    const int added = last - first + 1;
    for (int &row : m_byPlace) {
        if (row >= first)
            row += added;
    }
    m_placeOf.assign(std::size_t(m_rows->rowCount()), -1);
    for (std::size_t place = 0; place < m_byPlace.size(); ++place)
        m_placeOf[std::size_t(m_byPlace[place])] = int(place);
    // Each new row takes its place among the others; ties go after the rows above it in the list.
    const ColumnOrder rowOrder = order();
    for (int row = first; row <= last; ++row) {
        const auto at = std::partition_point(m_byPlace.begin(), m_byPlace.end(),
                                             [&](int other) { return rowOrder.before(other, row); });
        const int place = int(at - m_byPlace.begin());
        beginInsertRows({}, place, place);
        m_byPlace.insert(m_byPlace.begin() + place, row);
        for (std::size_t p = std::size_t(place); p < m_byPlace.size(); ++p)
            m_placeOf[std::size_t(m_byPlace[p])] = int(p);
        endInsertRows();
    }
}

void SortedRows::sourceRowsAboutToBeRemoved(int first, int last)
{
    if (!sorted()) {
        beginRemoveRows({}, first, last);
        return;
    }
    // The rows go one by one while the list still holds them, so every row shown stays readable.
    for (int row = last; row >= first; --row) {
        const int place = m_placeOf[std::size_t(row)];
        beginRemoveRows({}, place, place);
        m_byPlace.erase(m_byPlace.begin() + place);
        for (std::size_t p = std::size_t(place); p < m_byPlace.size(); ++p)
            m_placeOf[std::size_t(m_byPlace[p])] = int(p);
        endRemoveRows();
    }
}

void SortedRows::sourceRowsRemoved(int first, int last)
{
    if (!sorted()) {
        endRemoveRows();
        return;
    }
    const int removed = last - first + 1;
    for (int &row : m_byPlace) {
        if (row > last)
            row -= removed;
    }
    renumberPlaces();
}

void SortedRows::sourceDataChanged(int first, int last)
{
    if (m_resetting)
        return;
    const int lastColumn = columnCount() - 1;
    if (!sorted()) {
        emit dataChanged(index(first, 0), index(last, lastColumn));
        return;
    }
    const ColumnOrder rowOrder = order();
    for (int row = first; row <= last; ++row) {
        const int place = m_placeOf[std::size_t(row)];
        const bool inPlace = (place == 0 || rowOrder.before(m_byPlace[std::size_t(place - 1)], row))
            && (place + 1 == int(m_byPlace.size()) || rowOrder.before(row, m_byPlace[std::size_t(place + 1)]));
        if (!inPlace) {
            relayout([&] {
                m_byPlace.erase(m_byPlace.begin() + place);
                const auto at = std::partition_point(m_byPlace.begin(), m_byPlace.end(),
                                                     [&](int other) { return rowOrder.before(other, row); });
                m_byPlace.insert(at, row);
                renumberPlaces();
            });
        }
        const int viewAt = viewRow(row);
        emit dataChanged(index(viewAt, 0), index(viewAt, lastColumn));
    }
}

QModelIndex SortedRows::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!m_rows || !proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    return m_rows->index(listRow(proxyIndex.row()), proxyIndex.column());
}

QModelIndex SortedRows::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!m_rows || !sourceIndex.isValid() || sourceIndex.model() != m_rows)
        return {};
    return index(viewRow(sourceIndex.row()), sourceIndex.column());
}

QModelIndex SortedRows::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex SortedRows::parent(const QModelIndex &) const
{
    return {};
}

int SortedRows::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rows)
        return 0;
    return sorted() && !m_resetting ? int(m_byPlace.size()) : m_rows->rowCount();
}

int SortedRows::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_rows ? 0 : m_rows->columnCount();
}

QVariant SortedRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_rows)
        return {};
    return m_rows->headerData(section, orientation, role);
}

} // namespace tallymere
