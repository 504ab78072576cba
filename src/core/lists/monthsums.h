#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>

#include "core/text/decimalsum.h"

namespace tallymere {

class RowStore;

/// One calendar month of the summary (or the entries whose date is no date), with the sums of
/// its income and its expenses.
struct SummaryMonth {
    /// The key of the entries whose date text is not a date.
    static constexpr int kNoDate = -1;

    /// year * 12 + month - 1, or kNoDate.
    int key = kNoDate;
    DecimalSum income;
    DecimalSum expenses;

    /// "yyyy-mm", or "No date".
    QString label() const;
};

/// One row of the month table as it is shown: month, income, expenses, balance.
struct SummaryRow {
    QString month;
    QString income;
    QString expenses;
    QString balance;
};

/// A source or category and the sum of its amounts (the nearest double of the exact sum).
struct SummaryShare {
    QString name;
    double amount = 0;
};

/// Where the money goes, month by month: the income and expenses of each calendar month that has
/// an entry, summed from the two lists of a ledger, never from the file.
///
/// Amounts are summed as the totals sum them: exactly, an amount that is not numeric or that
/// the totals cannot hold counting for nothing. A date is read as the lists hold it: an ISO text means its own day; a
/// slash text counts under the day it means in the date order set now; any other text (blank,
/// Null, words, a day its month does not have) goes to "No date".
///
/// It follows the lists by their model signals. A change of single rows is noted at once (it
/// costs a pass over a few bytes a row); a fill and a change of the date order are read whole by
/// the next refresh(). listsChanged() tells that refresh() has work to do.
class MonthSums : public QObject
{
    Q_OBJECT

public:
    /// The sums of the ledger's two lists.
    MonthSums(RowStore &income, RowStore &expenses, QObject *parent = nullptr);
    ~MonthSums() override;

    /// Brings the sums up to date with the lists and the date order set now. Never throws for
    /// data; a date order that cannot be read counts as month-first.
    void refresh();

    /// The months that have at least one entry, newest first, "No date" last; as of the last
    /// refresh().
    const std::vector<SummaryMonth> &months() const noexcept { return m_months; }

    /// The month table: one row per month as months() gives them, then "All" with the ledger's
    /// totals (given here) written as the Report frame writes them.
    std::vector<SummaryRow> tableRows(const DecimalSum &totalIncome, const DecimalSum &totalExpenses) const;

    /// The sources (income) or categories (expenses) of the entries of month `key`, or of every
    /// entry when there is no key, with the sum of their numeric amounts, largest first; entries
    /// without a numeric amount are left out. As of the last refresh().
    std::vector<SummaryShare> shares(bool income, std::optional<int> key) const;

signals:
    /// A list changed since the last refresh().
    void listsChanged();

private:
    struct Table {
        RowStore *rows = nullptr;
        std::vector<std::int32_t> slotOf; // the month slot of each row
        bool whole = true;                // the next refresh reads the whole list
    };
    struct Slot {
        int key = SummaryMonth::kNoDate;
        std::array<DecimalSum, 2> sum{};
        std::array<int, 2> entries{};
        std::array<bool, 2> dirty{};
    };

    void watch(int table);
    std::int32_t slotFor(int key);
    std::int32_t slotOfRowCreating(const RowStore &rows, int row);
    void readWhole(int table);
    void sumDirtyMonths(int table);
    void markDirty(int table, int first, int last);
    void noteInserted(int table, int first, int last);
    void noteRemoved(int table, int first, int last);
    void noteChanged(int table, int first, int last);
    void noteWhole(int table);

    std::array<Table, 2> m_tables; // 0: expenses, 1: income
    std::vector<Slot> m_slots;     // slot 0 holds "No date"
    std::vector<std::int32_t> m_slotOfKey;
    bool m_dayFirst = false;
    std::vector<SummaryMonth> m_months;
};

} // namespace tallymere
