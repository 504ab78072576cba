#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QAbstractProxyModel>

#include "ui/controls/columnorder.h"

namespace tallymere {

class ListRows;

/// A list's rows as the list view shows them: in the list's own order until the view is sorted,
/// then by the sort column, ascending or descending. The sort holds across fills and changes of
/// single rows: a fill is sorted again (the whole order computed once, from keys read once per
/// row), a row added or changed takes its place by comparisons with a few others, and a row that
/// moves carries the selection with it. Rows that are a choice of a larger list (see
/// ListRows::chosenFrom) take their order from that list's, sorted once and kept through its
/// changes, so a new choice costs one pass over it rather than a sort.
class SortedRows : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit SortedRows(QObject *parent = nullptr);

    /// Shows `rows`; a column sorts as text unless `kinds` says otherwise.
    void setRows(ListRows *rows, std::map<int, SortKind> kinds = {});

    /// Sorts by `column` in `order`; a column of -1 restores the list's own order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const noexcept { return m_column; }
    Qt::SortOrder sortOrder() const noexcept { return m_order; }

    /// The list row (0-based) shown at view row `row`, and the view row of list row `listRow`.
    int listRow(int row) const;
    int viewRow(int listRow) const;

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool sorted() const noexcept { return m_column >= 0; }
    ColumnOrder order(const ListRows &rows) const;
    void placeAll();
    void renumberPlaces();
    /// The view rows from `place` on, after a row came or went there.
    void renumberFrom(std::size_t place);
    /// Follows the list the rows are chosen from, keeping m_wholeOrder while it is known.
    void followWhole(const ListRows *whole);
    void wholeRowsInserted(int first, int last);
    void wholeRowsRemoved(int first, int last);
    void wholeRowsChanged(int first, int last);
    /// Puts rows `first` to `last` of the whole, missing from m_wholeOrder, in their places.
    void placeInWhole(int first, int last);
    /// Changes the order under the view, the rows that persistent indexes name following it.
    void relayout(const std::function<void()> &change);

    void sourceRowsAboutToBeInserted(int first, int last);
    void sourceRowsInserted(int first, int last);
    void sourceRowsAboutToBeRemoved(int first, int last);
    void sourceRowsRemoved(int first, int last);
    void sourceDataChanged(int first, int last);

    ListRows *m_rows = nullptr;
    std::map<int, SortKind> m_kinds;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    std::vector<int> m_byPlace; // while sorted: the list row shown at each view row
    std::vector<int> m_placeOf; // while sorted: the view row of each list row
    const ListRows *m_whole = nullptr; // the list the rows are chosen from, or null
    std::vector<int> m_wholeOrder;     // its rows in the order of the sort, when known
    bool m_wholeKnown = false;
    bool m_resetting = false;
};

} // namespace tallymere
