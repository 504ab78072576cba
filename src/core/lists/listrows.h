#pragma once

#include <functional>
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

protected:
    /// data() as a list shows its cells: the text of a cell that can be read (`readable`), and
    /// the column `amountColumn` aligned right.
    QVariant cellData(const QModelIndex &index, int role, int amountColumn, bool readable) const
    {
        if (!index.isValid())
            return {};
        if (role == Qt::TextAlignmentRole && index.column() == amountColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole || !readable)
            return {};
        const std::string_view cell = cellUtf8(index.row(), index.column());
        return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
    }
};

/// What a follower of a list does on each change of its rows; a handler left empty is not called.
/// The rows come as a range, first to last (0-based). A change of order that cannot be followed
/// row by row (a layout change) counts as a new list: a reset.
struct RowChanges {
    std::function<void()> aboutToBeReset = {};
    std::function<void()> reset = {};
    std::function<void(int first, int last)> aboutToBeInserted = {};
    std::function<void(int first, int last)> inserted = {};
    std::function<void(int first, int last)> aboutToBeRemoved = {};
    std::function<void(int first, int last)> removed = {};
    std::function<void(int first, int last)> changed = {};
};

/// Connects `changes` to the signals of `model`, in the context of `receiver` (they go with it).
inline void followRowChanges(const QAbstractItemModel *model, QObject *receiver, const RowChanges &changes)
{
    using Model = QAbstractItemModel;
    const auto whole = [&](auto signal, const std::function<void()> &handler) {
        if (handler)
            QObject::connect(model, signal, receiver, [handler] { handler(); });
    };
    whole(&Model::modelAboutToBeReset, changes.aboutToBeReset);
    whole(&Model::layoutAboutToBeChanged, changes.aboutToBeReset);
    whole(&Model::modelReset, changes.reset);
    whole(&Model::layoutChanged, changes.reset);
    const auto rows = [&](auto signal, const std::function<void(int, int)> &handler) {
        if (handler)
            QObject::connect(model, signal, receiver,
                             [handler](const QModelIndex &, int first, int last) { handler(first, last); });
    };
    rows(&Model::rowsAboutToBeInserted, changes.aboutToBeInserted);
    rows(&Model::rowsInserted, changes.inserted);
    rows(&Model::rowsAboutToBeRemoved, changes.aboutToBeRemoved);
    rows(&Model::rowsRemoved, changes.removed);
    if (changes.changed)
        QObject::connect(model, &Model::dataChanged, receiver,
                         [handler = changes.changed](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                             handler(topLeft.row(), bottomRight.row());
                         });
}

} // namespace tallymere
