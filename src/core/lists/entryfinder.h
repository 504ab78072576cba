#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <QDate>
#include <QString>

#include "core/lists/listrows.h"
#include "core/lists/textindex.h"

namespace tallymere {

class RowStore;

/// What Find Entries looks for: a text that the source or category, the particulars or the
/// amount text of an entry contains, ignoring letter case and accents (an empty text is in
/// every entry), in the chosen lists, within an optional date range and amount range (both
/// ends included; an entry without a date or a numeric amount is outside any range given).
struct FindQuery {
    enum class Lists { All, Income, Expenses };

    QString text;
    Lists lists = Lists::All;
    std::optional<QDate> from;
    std::optional<QDate> to;
    std::optional<double> minimum;
    std::optional<double> maximum;

    bool looksIn(bool income) const noexcept
    {
        return lists == Lists::All || (lists == Lists::Income) == income;
    }
};

/// One entry found: its row (0-based) in the income or the expense list.
struct FoundEntry {
    std::uint32_t row;
    bool income;

    bool operator==(const FoundEntry &) const = default;
};

/// Every entry of the ledger's two lists as one list, the income entries first, each list's in
/// its order, with the columns Find Entries shows: ID (the record number, not shown), Date,
/// Income or Expense, Source or Category, Amount and Particulars. The cells are read from the
/// lists, never copied. It finds entries from memory: each row's particulars and amount are kept
/// folded (see foldedText), in blocks of a few thousand rows, so a search is a scan of those
/// bytes; its source or category as the number of a folded text kept once per list, and its
/// date as a number.
///
/// It follows the lists by their model signals: a fill folds the list again, a change of single
/// rows folds just their block. Its views then hear of each change as a change of its own rows,
/// once its texts are up to date, so that whoever searches again finds the lists as they are.
class EntryFinder final : public ListRows
{
    Q_OBJECT

public:
    /// The columns (0-based).
    enum Column { kRecordColumn, kDateColumn, kKindColumn, kNameColumn, kAmountColumn, kParticularsColumn, kColumns };

    /// Rows per block: large enough that a search runs over long stretches of bytes at a time,
    /// small enough that folding a block again after a change of one row costs well under a
    /// millisecond.
    static constexpr int kBlockRows = 2048;

    /// Folds both lists now; `blockRows` rows per block (smaller ones let a test cut and merge
    /// blocks with a few rows).
    EntryFinder(RowStore &income, RowStore &expenses, QObject *parent = nullptr, int blockRows = kBlockRows);
    ~EntryFinder() override;

    /// Every entry that `query` matches: the income rows first, then the expense rows, each in
    /// the order of their list. Reads the date order of slash dates from the settings once.
    std::vector<FoundEntry> find(const FindQuery &query) const;
    /// The rows (0-based, of this list) that `query` matches, appended to `rows` in order.
    void findRows(const FindQuery &query, std::vector<std::uint32_t> &rows) const;
    /// Whether `query` matches row `row` (a single row, read from its list itself).
    bool matches(const FindQuery &query, int row) const;

    /// The entry that row `row` is, and the row of an entry.
    FoundEntry entryAt(int row) const noexcept
    {
        const int incomeRows = m_income.count;
        return row < incomeRows ? FoundEntry{std::uint32_t(row), true} : FoundEntry{std::uint32_t(row - incomeRows), false};
    }
    int rowOf(FoundEntry entry) const noexcept { return int(entry.row) + (entry.income ? 0 : m_income.count); }

    RowStore &list(bool income) const noexcept { return indexOf(income).rows; }

    int columnHeaderCount() const noexcept override { return kColumns; }
    QString columnHeaderText(int index) const override;
    int itemCount() const noexcept override { return m_income.count + m_expenses.count; }
    QString subItem(int item, int index) const override;
    std::string_view cellUtf8(int row, int column) const override;
    double amountAt(int row) const noexcept override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    /// Each distinct source or category of a list once, folded, and numbered: a ledger holds few,
    /// each used by many rows, which keep just its number.
    struct Names {
        std::deque<std::string> folded; // by number; a deque, so a text stays where the numbers see it
        TextIndex numbers;

        std::uint32_t add(const std::string &name);
    };
    /// The folded texts of consecutive rows: for each row its particulars and amount, each
    /// followed by a unit separator (0x1F) and the row by a record separator (0x1E); no needle
    /// holds either, so no match runs from one field or row into the next.
    struct Block {
        int count = 0;
        std::string text;
        std::vector<std::uint32_t> ends;  // where each row's text ends (after its 0x1E)
        std::vector<std::uint32_t> names; // the number of each row's source or category
        std::vector<std::int32_t> days;   // yyyymmdd of an ISO date, or kOtherDate
    };
    struct Index {
        RowStore &rows;
        std::vector<Block> blocks;
        std::vector<int> starts; // the first row of each block
        int count = 0;           // the rows folded, as this list's views know them
        Names names;
    };
    struct Compiled;

    Index &indexOf(bool income) noexcept { return income ? m_income : m_expenses; }
    const Index &indexOf(bool income) const noexcept { return income ? m_income : m_expenses; }
    /// This list's row of row 0 of a ledger list.
    int firstRowOf(bool income) const noexcept { return income ? 0 : m_income.count; }
    void watch(bool income);
    void buildWhole(Index &index);
    void fold(Index &index, Block &block, int start);
    void renumber(Index &index);
    /// The block that holds row `row`; the last block for the row after the last.
    std::size_t blockOf(const Index &index, int row) const;
    void noteInserted(Index &index, int first, int last);
    void noteRemoved(Index &index, int first, int last);
    void noteChanged(Index &index, int first, int last);
    void findIn(const Compiled &query, bool income, std::vector<std::uint32_t> &rows) const;
    bool accepts(const Compiled &query, const Index &index, int row, std::int32_t day) const;

    int m_blockRows;
    Index m_income;
    Index m_expenses;
};

} // namespace tallymere
