#pragma once

#include <string_view>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

namespace tallymere {

/// Rows shown as a list of the ledger: column headers, items whose first column is their text,
/// and an amount beside each item. What a sort and an export read of a list, so that the lists
/// of the main window and the rows that Find Entries found sort and export alike. Indices of the
/// list's own members are 1-based, as the program uses them; rows of the cell readers 0-based.
class ListRows : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    /// ColumnHeaders.Count.
    virtual int columnHeaderCount() const noexcept = 0;
    /// The text of column header `index` (1-based); throws tallymere::Error when out of range.
    virtual QString columnHeaderText(int index) const = 0;
    /// ListItems.Count.
    virtual int itemCount() const noexcept = 0;
    /// SubItems(index) of item `item` (both 1-based); throws tallymere::Error when out of range.
    virtual QString subItem(int item, int index) const = 0;
    /// One cell (0-based row and column) as UTF-8, valid until the rows change.
    virtual std::string_view cellUtf8(int row, int column) const = 0;
    /// The amount row `row` (0-based) was read as; NaN when its amount is not numeric.
    virtual double amountAt(int row) const noexcept = 0;

    /// The list these rows are a choice of, when they are: every row is a row of it, in its
    /// order, and it tells its views each change. A sorted view then sorts that list once and
    /// takes the order of any new choice from it. Null otherwise.
    virtual const ListRows *chosenFrom() const noexcept { return nullptr; }
    /// The row of chosenFrom() that row `row` (0-based) is.
    virtual int chosenRow(int row) const noexcept { return row; }
};

} // namespace tallymere
