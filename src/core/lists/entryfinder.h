#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QDate>
#include <QObject>
#include <QString>

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

/// Finds entries in the two lists of the ledger, from memory. Each row's source or category,
/// particulars and amount are kept folded (see foldedText), in blocks of a few thousand rows, so
/// a search is a scan of those bytes; the date of each row is kept as a number.
///
/// It follows the lists by their model signals: a fill folds the list again, a change of single
/// rows folds just their block. It then passes each change on, with the list it is about, once
/// its own texts are up to date, so that whoever searches again finds the lists as they are.
class EntryFinder : public QObject
{
    Q_OBJECT

public:
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
    /// The matches in one list only, appended to `found`, in list order.
    void findIn(const FindQuery &query, bool income, std::vector<FoundEntry> &found) const;
    /// Whether `query` matches row `row` of a list (a single row, read from the list itself).
    bool matches(const FindQuery &query, bool income, int row) const;

    RowStore &list(bool income) const noexcept { return indexOf(income).rows; }

signals:
    /// A list is about to be filled anew; reset() follows.
    void aboutToBeReset(bool income);
    void reset(bool income);
    /// Rows first to last (0-based) of a list are about to go, while the list still holds them;
    /// rowsRemoved() follows.
    void rowsAboutToBeRemoved(bool income, int first, int last);
    void rowsRemoved(bool income, int first, int last);
    void rowsInserted(bool income, int first, int last);
    /// Rows first to last have new values.
    void rowsChanged(bool income, int first, int last);

private:
    /// The folded texts of consecutive rows: for each row its source or category, particulars
    /// and amount, each followed by a unit separator (0x1F) and the row by a record separator
    /// (0x1E); no needle holds either, so no match runs from one field or row into the next.
    struct Block {
        int count = 0;
        std::string text;
        std::vector<std::uint32_t> ends;  // where each row's text ends (after its 0x1E)
        std::vector<std::int32_t> days;   // yyyymmdd of an ISO date, or kOtherDate
    };
    struct Index {
        RowStore &rows;
        std::vector<Block> blocks;
        std::vector<int> starts; // the first row of each block
    };
    struct Compiled;

    Index &indexOf(bool income) noexcept { return income ? m_income : m_expenses; }
    const Index &indexOf(bool income) const noexcept { return income ? m_income : m_expenses; }
    void watch(bool income);
    void buildWhole(Index &index);
    void fold(const Index &index, Block &block, int start) const;
    void renumber(Index &index);
    /// The block that holds row `row`; the last block for the row after the last.
    std::size_t blockOf(const Index &index, int row) const;
    void noteInserted(Index &index, int first, int last);
    void noteRemoved(Index &index, int first, int last);
    void noteChanged(Index &index, int first, int last);
    bool accepts(const Compiled &query, const Index &index, int row, std::int32_t day) const;

    int m_blockRows;
    Index m_income;
    Index m_expenses;
};

} // namespace tallymere
