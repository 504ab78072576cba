#pragma once

#include <vector>

#include "core/lists/entryfinder.h"
#include "core/lists/listrows.h"
#include "core/text/decimalsum.h"

namespace tallymere {

/// The entries a search found, as a list: columns ID (the record number, not shown), Date,
/// Income or Expense, Source or Category, Amount and Particulars, the income entries first, each
/// list's in its order. The cells are read from the ledger's lists, never copied.
///
/// It follows the lists: a fill searches that list again; an entry added, changed or removed
/// is tested on its own and comes, stays or goes as a row of this list, so a view keeps its
/// selection and its sort. The sums under the results follow each change too.
class FoundEntries final : public ListRows
{
    Q_OBJECT

public:
    /// The columns (0-based).
    enum Column { kRecordColumn, kDateColumn, kKindColumn, kNameColumn, kAmountColumn, kParticularsColumn, kColumns };

    explicit FoundEntries(EntryFinder &finder, QObject *parent = nullptr);

    /// Searches for `query`: the rows are replaced at once (one reset).
    void setQuery(const FindQuery &query);
    const FindQuery &query() const noexcept { return m_query; }

    /// The entry shown at row `row` (0-based).
    FoundEntry entryAt(int row) const { return m_found[std::size_t(row)]; }
    /// The row of entry `row` of a list, or -1 when it is not among the results.
    int rowOf(bool income, int row) const;

    /// The results' amounts summed as the totals are: exactly, an amount that is not numeric
    /// counting for nothing.
    const DecimalSum &incomeSum() const noexcept { return m_incomeSum; }
    const DecimalSum &expenseSum() const noexcept { return m_expenseSum; }
    /// "N entries – Income: X   Expenses: Y", the sums in the totals' number form; "1 entry" for
    /// one.
    QString countLine() const;

    int columnHeaderCount() const noexcept override { return kColumns; }
    QString columnHeaderText(int index) const override;
    int itemCount() const noexcept override { return int(m_found.size()); }
    QString subItem(int item, int index) const override;
    std::string_view cellUtf8(int row, int column) const override;
    double amountAt(int row) const noexcept override;
    const std::vector<int> *rowsKeptByReset() const noexcept override { return m_keptValid ? &m_kept : nullptr; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    /// The results changed: their count or their sums may read otherwise.
    void resultsChanged();

private:
    /// The results of one list: [first, last) of m_found.
    std::pair<std::size_t, std::size_t> rangeOf(bool income) const;
    void sum();
    void listAboutToBeReset(bool income);
    void listReset(bool income);
    void rowsAboutToBeRemoved(bool income, int first, int last);
    void rowsRemoved(bool income, int first, int last);
    void rowsInserted(bool income, int first, int last);
    void rowsChanged(bool income, int first, int last);
    /// Adds `count` to the rows of a list's results at and after list row `from`.
    void shift(bool income, int from, int count);

    EntryFinder &m_finder;
    FindQuery m_query;
    std::vector<FoundEntry> m_found;
    std::vector<FoundEntry> m_spare; // the results before the last search, for the next one's memory
    DecimalSum m_incomeSum;
    DecimalSum m_expenseSum;
    bool m_resetting = false;
    std::vector<int> m_kept; // while a search that only narrowed the results ends its reset
    bool m_keptValid = false;
    std::pair<std::size_t, std::size_t> m_removing{0, 0}; // results going with the rows removed
};

} // namespace tallymere
