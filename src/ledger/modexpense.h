#pragma once

#include <memory>

#include <QString>

#include "ledger/connection.h"

namespace tallymere {

class ListViewModel;

/// The one program-wide connection to the ledger: empty until the main window's load step
/// creates it, closed and emptied by the main window's closing step.
extern std::unique_ptr<Connection> ledgerConnection;

/// What the list fills and totals write to: the main window's two lists, its pointer and its
/// three total labels. The main window implements it.
class LedgerWindow
{
public:
    virtual ListViewModel &incomeList() = 0;  ///< ListView1
    virtual ListViewModel &expenseList() = 0; ///< ListView2
    virtual int MousePointer() const = 0;
    virtual void setMousePointer(int shape) = 0;
    virtual void setTotalCaptions(const QString &income, const QString &expenses, const QString &balance) = 0;

protected:
    ~LedgerWindow() = default;
};

/// Pointer shapes of a window.
inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;
inline constexpr int vbCustom = 99;

/// The ledger module: fills the lists from the tables and shows the totals.
namespace modExpense {

/// Totals left behind by the last fill of each list.
extern double totalIncome;
extern double totalExpenses;

/// The window the fills and totals write to; set by the main window when it loads.
void attach(LedgerWindow *window);
LedgerWindow *attachedWindow();

/// Reloads the income list from the table `income` and recomputes totalIncome. Reports its own
/// failures and always returns normally.
void listIncome();
/// Reloads the expense list from the table `expenses` and recomputes totalExpenses. Throws on the
/// first failure; the list keeps the items it had received so far.
void listExpenses();
/// Writes the three total labels from totalIncome and totalExpenses. Throws on failure.
void showTotals();

/// The text of the available balance: income minus expenses, rounded to the precision that the
/// two totals themselves carry, so that equal sums show a balance of exactly 0.
QString balanceText(double income, double expenses);

} // namespace modExpense
} // namespace tallymere
