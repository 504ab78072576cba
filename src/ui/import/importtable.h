#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QAbstractTableModel>

#include "core/import/importplan.h"
#include "core/text/decimalsum.h"

namespace tallymere {

/// The transactions of a statement as the import window lists them, with the rows the reading
/// left out among them in file order: a check box (new transactions checked, the others not),
/// the date, "Income" or "Expense", the source or category (editable), the amount, the
/// particulars and the status. Left-out rows show their text and "left out", and have no box.
class ImportTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { kImportColumn, kDateColumn, kKindColumn, kNameColumn, kAmountColumn, kParticularsColumn, kStatusColumn };

    explicit ImportTable(QObject *parent = nullptr);

    /// Shows `plan` (one reset); the new transactions are checked.
    void setPlan(import::ImportPlan plan);
    const import::ImportPlan &plan() const noexcept { return m_plan; }

    /// Shows the entries with `statuses` (one per entry of the plan); an entry whose status
    /// changes is checked when it is new now and cleared otherwise, the others keep their box.
    void setStatuses(const std::vector<import::EntryStatus> &statuses);

    /// The entries checked, as indices into the plan's entries.
    std::vector<std::size_t> checkedEntries() const;
    /// The sums of the checked income and expenses, and how many of each are checked.
    struct Sums {
        DecimalSum income;
        DecimalSum expenses;
        int incomeCount = 0;
        int expenseCount = 0;
    };
    Sums checkedSums() const;

    /// The plan's entry shown in `row`, or -1 for a row left out.
    int entryAt(int row) const noexcept;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    /// A box was checked or cleared.
    void checksChanged();

private:
    import::ImportPlan m_plan;
    std::vector<int> m_rows;        // per row: the entry, or -1 - the left-out row
    std::vector<char> m_checked;    // per entry
    std::vector<std::int64_t> m_amounts; // per entry, packed, for the sums
};

} // namespace tallymere
