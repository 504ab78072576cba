#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QStringList>

#include "core/lists/listrows.h"
#include "core/text/decimalsum.h"

namespace tallymere {

/// The columns of a ledger list as the fills write them (0-based): the record number (the item
/// text), the record number again ("SR No"), the date, the source or category, the amount and
/// the particulars.
enum ListColumn { kRecordColumn, kNumberColumn, kDateColumn, kNameColumn, kAmountColumn, kParticularsColumn };

/// The rows of one ledger list as the list view shows them: its column headers and items, and
/// beside each item the amount its Amount column was read as (so totals can be summed again
/// from memory, in row order). Items are kept as UTF-8 text in large shared chunks (about the
/// size of the text itself plus a few bytes per cell); a QString is made only for a cell that
/// is drawn or read. Indices of the list's own members are 1-based, as the program uses them.
/// Its readers are final, so the loops over a million rows call them directly.
class RowStore : public ListRows
{
    Q_OBJECT

public:
    explicit RowStore(QObject *parent = nullptr);
    ~RowStore() override;

    /// ColumnHeaders.Add: appends a column at the right end with the default width.
    void addColumnHeader(const QString &text);
    int columnHeaderCount() const noexcept final { return int(m_headers.size()); }
    /// The text of column header `index` (1-based); throws tallymere::Error when out of range.
    QString columnHeaderText(int index) const final;
    /// Sets the width of column `index` (1-based) in twips.
    void setColumnHeaderWidth(int index, int twips);
    int columnHeaderWidth(int index) const;

    /// ListItems.Count.
    int itemCount() const noexcept final { return int(m_rows.size()); }
    /// The text of item `item` (1-based): the text of its first column.
    QString itemText(int item) const;
    /// SubItems(index) of item `item` (both 1-based): the text of column index+1.
    QString subItem(int item, int index) const final;
    /// The same cell as UTF-8, valid until the list changes.
    std::string_view cellUtf8(int row, int column) const final;
    /// Asks the processor to fetch row `row` (0-based) ahead of its reading, for loops that read
    /// rows far apart.
    void prefetchRow(int row) const noexcept
    {
        const char *data = rowData(row);
        __builtin_prefetch(data);
        __builtin_prefetch(data + 64);
    }
    /// ListItems.Clear: removes every item.
    void clearItems();

    /// The exact sum of the rows' amounts; rows without an amount add nothing.
    DecimalSum sumOfAmounts() const;
    /// The amount row `row` (0-based) was read as, or nothing.
    std::optional<Amount> exactAmountAt(int row) const noexcept
    {
        return Amount::unpacked(m_amounts[std::size_t(row)]);
    }
    /// The nearest double of the amount of row `row` (0-based); NaN when it has none.
    double amountAt(int row) const noexcept final;

    /// The row (0-based) whose item text is the record number `srNo`, or -1. Found by halving
    /// when the rows stand in ascending record number, as the ledger gives them; -1 otherwise.
    int findRecord(long long srNo) const noexcept;
    /// Whether every item text is a record number, each greater than the one before.
    bool inRecordOrder() const noexcept { return m_recordOrder; }
    /// The record number of row `row` (0-based), or nothing (its item text is no number).
    std::optional<long long> recordAt(int row) const noexcept;
    /// The record number of the last row, or nothing (no rows, or no number).
    std::optional<long long> lastRecord() const noexcept;

    /// One row's cells (item text first) and amount, as a change of a single row brings them.
    struct Row {
        std::vector<std::string> cells;
        std::optional<Amount> amount;
    };
    /// Adds a row at the end; the view hears of that row only.
    void appendRow(const Row &row);
    /// Adds the row of record `srNo` where its number puts it among rows in record order;
    /// false (nothing added) when the rows are not in record order or the number is there.
    bool insertRecordRow(long long srNo, const Row &row);
    /// Replaces row `row` (0-based).
    void replaceRow(int row, const Row &cells);
    /// Removes row `row` (0-based).
    void removeRecordRow(int row);

    /// Bytes held for the items (chunks, lengths and row index); for measuring.
    std::size_t itemMemory() const noexcept;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    /// Column `column` (0-based) was given a width of `twips`.
    void columnWidthChanged(int column, int twips);

private:
    friend class ListFill;

    struct RowRef {
        std::uint32_t chunk;
        std::uint32_t offset;
    };

    void releaseItems() noexcept;
    char *allocateRow(std::size_t bytes, RowRef &ref);
    const char *rowData(int row) const noexcept;
    /// Stores a row's cells in a chunk; `cells` has m_cellsPerRow entries.
    RowRef storeCells(const std::vector<std::string> &cells);
    /// Notes the record number of a row added at the end, for the record order.
    void noteRecord(std::string_view itemText) noexcept;

    QStringList m_headers;
    std::vector<int> m_widths;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::vector<std::size_t> m_chunkSizes;
    std::size_t m_chunkUsed = 0;
    std::vector<RowRef> m_rows;
    std::vector<std::int64_t> m_amounts; // Amount::packed(), or Amount::packedNone()
    std::size_t m_cellsPerRow = 1; // the column count when the items were filled, at least 1
    bool m_recordOrder = true;
    long long m_lastNumber = 0; // the record number of the row noted last
};

/// One fill of a list: the list is emptied when the fill starts, items are added in order, and
/// the view hears of it once, when the fill ends (also when it ends by an exception, keeping
/// the items added so far).
class ListFill
{
public:
    explicit ListFill(RowStore &model);
    ~ListFill();
    ListFill(const ListFill &) = delete;
    ListFill &operator=(const ListFill &) = delete;

    /// ListItems.Add with only the item text: appends an item at the end.
    void addItem(std::string_view text);
    /// SubItems(index) of the item last added (index from 1 to the column count - 1).
    void setSubItem(int index, std::string_view text);
    /// The amount of the item last added, as its total counts it (nothing: not numeric).
    void setAmount(std::optional<Amount> amount);

private:
    void storePending();

    RowStore &m_model;
    std::vector<std::string> m_pending;
    std::optional<Amount> m_pendingAmount;
    bool m_hasPending = false;
};

} // namespace tallymere
