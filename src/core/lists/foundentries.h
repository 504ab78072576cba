#pragma once

#include <cstdint>
#include <vector>

#include "core/lists/entryfinder.h"
#include "core/lists/listrows.h"
#include "core/text/decimalsum.h"

namespace tallymere {

/// The entries a search found, as a list: a choice of the rows of the finder (see EntryFinder),
/// in its order and with its columns, so the income entries come first, each list's in its
/// order. The cells are read from the ledger's lists, never copied.
///
/// It follows the lists: a fill searches again; an entry added, changed or removed is tested on
/// its own and comes, stays or goes as a row of this list, so a view keeps its selection and its
/// sort. The sums under the results follow each change too.
class FoundEntries final : public ListRows
{
    Q_OBJECT

public:
    using enum EntryFinder::Column;

    explicit FoundEntries(EntryFinder &finder, QObject *parent = nullptr);

    /// Searches for `query`: the rows are replaced at once (one reset).
    void setQuery(const FindQuery &query);
    const FindQuery &query() const noexcept { return m_query; }

    /// The entry shown at row `row` (0-based).
    FoundEntry entryAt(int row) const noexcept { return m_finder.entryAt(int(m_found[std::size_t(row)])); }
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
    QString columnHeaderText(int index) const override { return m_finder.columnHeaderText(index); }
    int itemCount() const noexcept override { return int(m_found.size()); }
    QString subItem(int item, int index) const override;
    std::string_view cellUtf8(int row, int column) const override
    {
        return m_finder.cellUtf8(int(m_found[std::size_t(row)]), column);
    }
    double amountAt(int row) const noexcept override { return m_finder.amountAt(int(m_found[std::size_t(row)])); }
    const ListRows *chosenFrom() const noexcept override { return &m_finder; }
    int chosenRow(int row) const noexcept override { return int(m_found[std::size_t(row)]); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    /// The results changed: their count or their sums may read otherwise.
    void resultsChanged();

private:
    /// The place in m_found of the first result at or after row `row` of the finder.
    std::size_t placeOf(int row) const;
    void sum();
    void searchAgain();
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void rowsInserted(int first, int last);
    void rowsChanged(int first, int last);

    EntryFinder &m_finder;
    FindQuery m_query;
    std::vector<std::uint32_t> m_found; // the finder's rows found, ascending
    DecimalSum m_incomeSum;
    DecimalSum m_expenseSum;
    std::pair<std::size_t, std::size_t> m_removing{0, 0}; // results going with the rows removed
};

} // namespace tallymere
