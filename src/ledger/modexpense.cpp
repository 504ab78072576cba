#include "ledger/modexpense.h"

#include <array>
#include <cmath>
#include <optional>

#include "controls/listviewmodel.h"
#include "errors/error.h"
#include "errors/errorreport.h"
#include "ledger/numerictext.h"
#include "ledger/recordset.h"

namespace tallymere {

std::unique_ptr<Connection> ledgerConnection;

namespace modExpense {

double totalIncome = 0;
double totalExpenses = 0;

namespace {

LedgerWindow *g_window = nullptr;

LedgerWindow &window()
{
    if (!g_window)
        throw Error(QStringLiteral("The main window is not loaded."));
    return *g_window;
}

const Connection &connection()
{
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    return *ledgerConnection;
}

/// The columns of one table as a fill reads them: sr_no, date, source or category, amount,
/// particulars. Each is found by name once per fill; a column that is missing is reported for
/// the first row only, and its cells stay empty. A value is read from the engine once per row.
class RowReader
{
public:
    RowReader(Recordset &rows, const std::array<QString, 5> &names) : m_rows(rows), m_names(names) {}

    std::string_view field(int column)
    {
        const auto c = std::size_t(column);
        if (!m_read[c]) {
            auto &position = m_positions[c];
            if (position == kUnknown) {
                position = kMissing;
                position = m_rows.columnPosition(m_names[c]);
            }
            m_values[c] = position == kMissing ? std::string_view() : m_rows.fieldUtf8(position);
            m_read[c] = true;
        }
        return m_values[c];
    }

    /// Makes the next row current; the values read of this row are gone with it.
    void moveNext()
    {
        m_read = {};
        m_rows.MoveNext();
    }

private:
    static constexpr int kUnknown = -2;
    static constexpr int kMissing = -1;
    Recordset &m_rows;
    const std::array<QString, 5> &m_names;
    std::array<int, 5> m_positions{kUnknown, kUnknown, kUnknown, kUnknown, kUnknown};
    std::array<std::string_view, 5> m_values{};
    std::array<bool, 5> m_read{};
};

/// Restores the default pointer however a fill ends, so a failed fill never leaves the
/// hourglass standing over the main window.
class PointerReset
{
public:
    ~PointerReset()
    {
        if (g_window && g_window->MousePointer() == vbHourglass)
            g_window->setMousePointer(vbDefault);
    }
};

const std::array<QString, 5> kIncomeColumns{QStringLiteral("sr_no"), QStringLiteral("date"),
    QStringLiteral("source"), QStringLiteral("amount"), QStringLiteral("particulars")};
const std::array<QString, 5> kExpenseColumns{QStringLiteral("sr_no"), QStringLiteral("date"),
    QStringLiteral("category"), QStringLiteral("amount"), QStringLiteral("particulars")};

} // namespace

void attach(LedgerWindow *w)
{
    g_window = w;
}

LedgerWindow *attachedWindow()
{
    return g_window;
}

void listIncome()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome "));
    PointerReset pointerReset;
    Recordset rs; // line 100 creates the recordset; creating it cannot fail
    std::optional<ListFill> fill;
    auto items = [&]() -> ListFill & {
        if (!fill)
            throw Error(QStringLiteral("The income list was not cleared for the fill."));
        return *fill;
    };

    on.step(102, [&] { window().setMousePointer(vbHourglass); });
    on.step(104, [&] { rs.Open(QStringLiteral("select * from [income]"), connection(), adOpenStatic, adLockReadOnly); });
    on.step(106, [&] { fill.emplace(window().incomeList()); });
    on.step(108, [&] { totalIncome = 0; });

    RowReader row(rs, kIncomeColumns);
    const NumericReader numbers;
    std::optional<double> amount;
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
                totalIncome += *amount;
            });
        on.step(132, [&] { row.moveNext(); });
    }
    fill.reset(); // the list shows its new rows
    on.step(134, [&] {
        if (rs.State() != 0)
            rs.Close();
    });
    on.step(136, [&] { window().setMousePointer(vbDefault); });
}

void listExpenses()
{
    PointerReset pointerReset;
    Recordset rs;
    window().setMousePointer(vbHourglass);
    rs.Open(QStringLiteral("select * from [expenses]"), connection(), adOpenStatic, adLockReadOnly);
    ListFill fill(window().expenseList());
    totalExpenses = 0;
    RowReader row(rs, kExpenseColumns);
    const NumericReader numbers;
    while (!rs.Eof()) {
        fill.addItem(row.field(0));
        fill.setSubItem(1, row.field(0));
        fill.setSubItem(2, row.field(1));
        fill.setSubItem(3, row.field(2));
        fill.setSubItem(4, row.field(3));
        fill.setSubItem(5, row.field(4));
        if (const auto amount = numbers.read(row.field(3)))
            totalExpenses += *amount;
        row.moveNext();
    }
    if (rs.State() != 0)
        rs.Close();
    window().setMousePointer(vbDefault);
}

void showTotals()
{
    LedgerWindow &w = window();
    w.setTotalCaptions(QStringLiteral("Total Income: ") + generalNumberText(totalIncome),
                       QStringLiteral("Total Expenses: ") + generalNumberText(totalExpenses),
                       QStringLiteral("Available Balance: ") + balanceText(totalIncome, totalExpenses));
}

QString balanceText(double income, double expenses)
{
    double balance = income - expenses;
    if (!std::isfinite(balance))
        throw Error(QStringLiteral("Overflow"));
    // The difference of two totals is no more precise than they are: beyond their 15th
    // significant digit it is the noise of binary fractions (100.3 - 100.1 - 0.2).
    const double magnitude = std::max(std::fabs(income), std::fabs(expenses));
    if (magnitude > 0) {
        const int decimals = 15 - int(std::floor(std::log10(magnitude))) - 1;
        if (decimals > 0 && decimals < 300) {
            const double scale = std::pow(10.0, decimals);
            balance = std::round(balance * scale) / scale;
        }
    }
    return generalNumberText(balance);
}

} // namespace modExpense
} // namespace tallymere
