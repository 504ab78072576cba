#include "ui/controls/sortedrows.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>

#include "core/lists/listrows.h"

namespace tallymere {
namespace {

/// Adds `by` to every row from `from` on.
void shiftRows(std::vector<int> &rows, int from, int by)
{
    for (int &row : rows) {
        if (row >= from)
            row += by;
    }
}

/// Puts in `rows` the rows of `chosen` in the order `wholeOrder` gives the rows of the list they
/// are chosen from (`wholeCount` rows); fewer when that order does not hold every chosen row.
void chosenInOrder(const ListRows &chosen, int wholeCount, const std::vector<int> &wholeOrder, std::vector<int> &rows)
{
    // A bit per row of the whole marks the chosen ones, and a count per 64 rows says how many
    // come before: a few hundred kilobytes for millions of rows, which stay in the processor's
    // cache while the order is read through.
    std::vector<std::uint64_t> marks((std::size_t(wholeCount) + 63) / 64);
    const int count = chosen.itemCount();
    for (int row = 0; row < count; ++row) {
        const auto whole = unsigned(chosen.chosenRow(row));
        if (whole / 64 < marks.size())
            marks[whole / 64] |= std::uint64_t(1) << (whole % 64);
    }
    std::vector<std::uint32_t> before(marks.size());
    std::uint32_t running = 0;
    for (std::size_t word = 0; word < marks.size(); ++word) {
        before[word] = running;
        running += std::uint32_t(std::popcount(marks[word]));
    }
    rows.clear();
    rows.reserve(std::size_t(count));
    for (const int whole : wholeOrder) {
        const std::uint64_t word = marks[unsigned(whole) / 64];
        const std::uint64_t bit = std::uint64_t(1) << (unsigned(whole) % 64);
        if (word & bit)
            rows.push_back(int(before[unsigned(whole) / 64] + unsigned(std::popcount(word & (bit - 1)))));
    }
}

} // namespace

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
    if (m_whole)
        disconnect(m_whole, nullptr, this, nullptr);
    followWhole(nullptr);
    QAbstractProxyModel::setSourceModel(rows);
    if (rows) {
        followRowChanges(rows, this,
                         {.aboutToBeReset =
                              [this] {
                                  m_resetting = true;
                                  beginResetModel();
                              },
                          .reset =
                              [this] {
                                  if (sorted())
                                      placeAll();
                                  m_resetting = false;
                                  endResetModel();
                              },
                          .aboutToBeInserted = std::bind_front(&SortedRows::sourceRowsAboutToBeInserted, this),
                          .inserted = std::bind_front(&SortedRows::sourceRowsInserted, this),
                          .aboutToBeRemoved = std::bind_front(&SortedRows::sourceRowsAboutToBeRemoved, this),
                          .removed = std::bind_front(&SortedRows::sourceRowsRemoved, this),
                          .changed = std::bind_front(&SortedRows::sourceDataChanged, this)});
        connect(rows, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
        // A list that goes first (with the ledger that owns it) leaves nothing to show.
        connect(rows, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_rows = nullptr;
            m_column = -1;
            m_byPlace.clear();
            m_placeOf.clear();
            followWhole(nullptr);
            endResetModel();
        });
        followWhole(rows->chosenFrom());
    }
    endResetModel();
}

void SortedRows::followWhole(const ListRows *whole)
{
    m_whole = whole;
    m_wholeOrder.clear();
    m_wholeKnown = false;
    if (!whole)
        return;
    // The order of the whole is dropped when it is filled again (before the chosen rows are,
    // which take their order from it) and computed again when next needed.
    followRowChanges(whole, this,
                     {.aboutToBeReset =
                          [this] {
                              m_wholeOrder = {};
                              m_wholeKnown = false;
                          },
                      .inserted = std::bind_front(&SortedRows::wholeRowsInserted, this),
                      .removed = std::bind_front(&SortedRows::wholeRowsRemoved, this),
                      .changed = std::bind_front(&SortedRows::wholeRowsChanged, this)});
}

void SortedRows::wholeRowsInserted(int first, int last)
{
    if (!m_wholeKnown)
        return;
    shiftRows(m_wholeOrder, first, last - first + 1);
    placeInWhole(first, last);
}

void SortedRows::wholeRowsRemoved(int first, int last)
{
    if (!m_wholeKnown)
        return;
    std::erase_if(m_wholeOrder, [&](int row) { return row >= first && row <= last; });
    shiftRows(m_wholeOrder, last + 1, -(last - first + 1));
}

void SortedRows::wholeRowsChanged(int first, int last)
{
    if (!m_wholeKnown)
        return;
    std::erase_if(m_wholeOrder, [&](int row) { return row >= first && row <= last; });
    placeInWhole(first, last);
}

void SortedRows::placeInWhole(int first, int last)
{
    const ColumnOrder rowOrder = order(*m_whole);
    for (int row = first; row <= last; ++row) {
        const auto at = std::partition_point(m_wholeOrder.begin(), m_wholeOrder.end(),
                                             [&](int other) { return rowOrder.before(other, row); });
        m_wholeOrder.insert(at, row);
    }
}

ColumnOrder SortedRows::order(const ListRows &rows) const
{
    const auto kind = m_kinds.find(m_column);
    return ColumnOrder(rows, m_column, kind == m_kinds.end() ? SortKind::Text : kind->second, m_order);
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
        if (!same) {
            m_wholeOrder = {};
            m_wholeKnown = false;
        }
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
    if (m_whole) {
        if (!m_wholeKnown) {
            m_wholeOrder = order(*m_whole).sorted();
            m_wholeKnown = true;
        }
        // Every row chosen (nothing typed, or a text in every entry) stands as the whole does.
        // The view's rows keep their memory from one choice to the next.
        if (m_rows->itemCount() == m_whole->itemCount())
            m_byPlace = m_wholeOrder;
        else
            chosenInOrder(*m_rows, m_whole->itemCount(), m_wholeOrder, m_byPlace);
    }
    // Sorted alone when no whole is followed, or (never expected) its order misses a row.
    if (!m_whole || m_byPlace.size() != std::size_t(m_rows->itemCount()))
        m_byPlace = order(*m_rows).sorted();
    renumberPlaces();
}

void SortedRows::renumberPlaces()
{
    // Every row has a place: each entry is written below.
    m_placeOf.resize(m_byPlace.size());
    renumberFrom(0);
}

void SortedRows::renumberFrom(std::size_t place)
{
    for (; place < m_byPlace.size(); ++place)
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
    shiftRows(m_byPlace, first, last - first + 1);
    m_placeOf.assign(std::size_t(m_rows->rowCount()), -1);
    renumberFrom(0);
    // Each new row takes its place among the others; ties go after the rows above it in the list.
    const ColumnOrder rowOrder = order(*m_rows);
    for (int row = first; row <= last; ++row) {
        const auto at = std::partition_point(m_byPlace.begin(), m_byPlace.end(),
                                             [&](int other) { return rowOrder.before(other, row); });
        const int place = int(at - m_byPlace.begin());
        beginInsertRows({}, place, place);
        m_byPlace.insert(m_byPlace.begin() + place, row);
        renumberFrom(std::size_t(place));
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
        renumberFrom(std::size_t(place));
        endRemoveRows();
    }
}

void SortedRows::sourceRowsRemoved(int first, int last)
{
    if (!sorted()) {
        endRemoveRows();
        return;
    }
    shiftRows(m_byPlace, last + 1, -(last - first + 1));
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
    const ColumnOrder rowOrder = order(*m_rows);
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
