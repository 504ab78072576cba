#pragma once

#include <array>
#include <optional>

#include <QString>

namespace tallymere {

class Ledger;

/// The ledger module: fills the lists from the tables, shows the totals, and reads one entry
/// for the entry editor. Every procedure works on the ledger it is given.
namespace modExpense {

/// Reloads the income list from the table `income` and recomputes totalIncome. Reports its own
/// failures and always returns normally. After the program's own change, with no other writer
/// since the list was read, it applies just that change and sums the total again from the
/// stored amounts: the list and the total come out as a full reload would leave them.
void listIncome(Ledger &ledger);
/// Reloads the expense list from the table `expenses` and recomputes totalExpenses, in the same
/// way. Throws on the first failure; the list keeps the items it had received so far.
void listExpenses(Ledger &ledger);
/// Writes the three total labels from totalIncome and totalExpenses. Throws on failure.
void showTotals(Ledger &ledger);

/// The four fields of an entry as the entry editor shows them: date, source or category,
/// amount, particulars.
using EntryFields = std::array<QString, 4>;

/// The income entry numbered `srNo` as the editor shows it: the date in the current order, the
/// amount as the user types numbers, the rest as stored (Null as empty). Nothing when no entry
/// has that number. Throws on failure; the calling command reports it.
std::optional<EntryFields> loadIncomeEntry(Ledger &ledger, const QString &srNo);
/// The same for an expense entry.
std::optional<EntryFields> loadExpenseEntry(Ledger &ledger, const QString &srNo);

} // namespace modExpense
} // namespace tallymere
