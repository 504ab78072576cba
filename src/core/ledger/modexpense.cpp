#include "core/ledger/modexpense.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "core/errors/error.h"
#include "core/errors/errorreport.h"
#include "core/text/datetext.h"
#include "core/ledger/ledger.h"
#include "core/text/numerictext.h"
#include "core/db/recordset.h"
#include "core/ledger/rowreader.h"
#include "core/lists/rowstore.h"
#include "core/ledger/statements.h"
#include "core/platform/pointershape.h"

namespace tallymere::modExpense {
namespace {

/// Restores the default pointer however a fill ends, so a failed fill never leaves the
/// hourglass standing over the main window.
class PointerReset
{
public:
    explicit PointerReset(const Ledger &ledger) : m_window(ledger.attachedWindow()) {}
    ~PointerReset()
    {
        if (m_window && m_window->MousePointer() == PointerShape::Hourglass)
            m_window->setMousePointer(PointerShape::Default);
    }

private:
    MainWindow *m_window;
};

} // namespace

void listIncome(Ledger &ledger)
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome "));
    PointerReset pointerReset(ledger);
    const auto window = [&]() -> MainWindow & { return ledger.window(); };
    if (ledger.applyOwnChanges(true)) {
        on.step(102, [&] { window().setMousePointer(PointerShape::Hourglass); });
        on.step(136, [&] { window().setMousePointer(PointerShape::Default); });
        return;
    }
    ledger.beginFill(true);
    Recordset rs; // line 100 creates the recordset; creating it cannot fail
    std::optional<ListFill> fill;
    auto items = [&]() -> ListFill & {
        if (!fill)
            throw Error(QStringLiteral("The income list was not cleared for the fill."));
        return *fill;
    };

    on.step(102, [&] { window().setMousePointer(PointerShape::Hourglass); });
    on.step(104, [&] { rs.Open(QStringLiteral("select * from [income]"), ledger.connection(), CursorType::Static, LockType::ReadOnly); });
    on.step(106, [&] { fill.emplace(ledger.incomeList()); });
    on.step(108, [&] { ledger.setTotal(true, {}); });

    RowReader row(rs, fillColumnsOf(true));
    const NumericReader numbers;
    std::optional<Amount> amount;
    // A recordset that never opened is at its end: the fill leaves the loop at once rather than
    // running its body again and again (the failed open has been reported already).
    while (on.test(110, [&] { return !rs.Eof(); })) {
        on.step(112, [&] { items().addItem(row.field(0)); });
        on.step(114, [&] { items().setSubItem(1, row.field(0)); });
        on.step(120, [&] { items().setSubItem(2, row.field(1)); });
        on.step(122, [&] { items().setSubItem(3, row.field(2)); });
        on.step(124, [&] { items().setSubItem(4, row.field(3)); });
        on.step(126, [&] { items().setSubItem(5, row.field(4)); });
        if (on.test(128, [&] {
                amount = numbers.read(row.field(3));
                return amount.has_value();
            }))
            on.step(130, [&] {
                if (!amount)
                    throw Error(QStringLiteral("Type mismatch: the amount is not a number."));
                ledger.addToTotal(true, *amount);
                items().setAmount(amount);
            });
        on.step(132, [&] { row.moveNext(); });
    }
    fill.reset(); // the list shows its new rows
    // A fill with any failure on the way leaves the list in doubt: the next one reads it whole.
    ledger.endFill(true, on.failures() == 0 && row.complete());
    on.step(134, [&] {
        if (rs.State() != 0)
            rs.Close();
    });
    on.step(136, [&] { window().setMousePointer(PointerShape::Default); });
}

void listExpenses(Ledger &ledger)
{
    PointerReset pointerReset(ledger);
    if (ledger.applyOwnChanges(false)) {
        ledger.window().setMousePointer(PointerShape::Hourglass);
        ledger.window().setMousePointer(PointerShape::Default);
        return;
    }
    ledger.beginFill(false);
    Recordset rs;
    ledger.window().setMousePointer(PointerShape::Hourglass);
    rs.Open(QStringLiteral("select * from [expenses]"), ledger.connection(), CursorType::Static, LockType::ReadOnly);
    ListFill fill(ledger.expenseList());
    ledger.setTotal(false, {});
    RowReader row(rs, fillColumnsOf(false));
    const NumericReader numbers;
    while (!rs.Eof()) {
        fill.addItem(row.field(0));
        fill.setSubItem(1, row.field(0));
        fill.setSubItem(2, row.field(1));
        fill.setSubItem(3, row.field(2));
        fill.setSubItem(4, row.field(3));
        fill.setSubItem(5, row.field(4));
        if (const auto amount = numbers.read(row.field(3))) {
            ledger.addToTotal(false, *amount);
            fill.setAmount(amount);
        }
        row.moveNext();
    }
    ledger.endFill(false, row.complete());
    if (rs.State() != 0)
        rs.Close();
    ledger.window().setMousePointer(PointerShape::Default);
}

void showTotals(Ledger &ledger)
{
    ledger.window().setTotalCaptions(QStringLiteral("Total Income: ") + ledger.totalIncome().text(),
                                      QStringLiteral("Total Expenses: ") + ledger.totalExpenses().text(),
                                      QStringLiteral("Available Balance: ")
                                          + balanceText(ledger.totalIncome(), ledger.totalExpenses()));
}

namespace {

std::optional<EntryFields> loadEntry(Ledger &ledger, bool income, const QString &srNo)
{
    Recordset rs;
    rs.Open(entrySql::selectEntryStatement(income, srNo), ledger.connection(), CursorType::Static, LockType::ReadOnly);
    std::optional<EntryFields> fields;
    if (!rs.Eof()) {
        fields.emplace();
        for (int i = 1; i <= 4; ++i) {
            // The date in the current order, the amount as the user types numbers.
            const QString value = rs.Fields(i);
            (*fields)[std::size_t(i - 1)] = i == 1 ? dateText::fromStored(value)
                : i == 3                         ? typedDecimalText(value)
                                                 : value;
        }
    }
    if (rs.State() != 0)
        rs.Close();
    return fields;
}

} // namespace

std::optional<EntryFields> loadIncomeEntry(Ledger &ledger, const QString &srNo)
{
    return loadEntry(ledger, true, srNo);
}

std::optional<EntryFields> loadExpenseEntry(Ledger &ledger, const QString &srNo)
{
    return loadEntry(ledger, false, srNo);
}

} // namespace tallymere::modExpense
