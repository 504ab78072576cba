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
#include "core/lists/rowstore.h"
#include "core/ledger/statements.h"
#include "core/platform/pointershape.h"

namespace tallymere::modExpense {
namespace {

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

    /// False once a column was found missing.
    bool complete() const noexcept
    {
        return std::none_of(m_positions.begin(), m_positions.end(), [](int p) { return p == kMissing; });
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
    explicit PointerReset(const Ledger &ledger) : m_window(ledger.attachedWindow()) {}
    ~PointerReset()
    {
        if (m_window && m_window->pointerShape() == PointerShape::Hourglass)
            m_window->showPointer(PointerShape::Default);
    }

private:
    const LedgerWindow *m_window;
};

const std::array<QString, 5> kIncomeColumns{QStringLiteral("sr_no"), QStringLiteral("date"),
    QStringLiteral("source"), QStringLiteral("amount"), QStringLiteral("particulars")};
const std::array<QString, 5> kExpenseColumns{QStringLiteral("sr_no"), QStringLiteral("date"),
    QStringLiteral("category"), QStringLiteral("amount"), QStringLiteral("particulars")};

const std::array<QString, 5> &columnsOf(bool income)
{
    return income ? kIncomeColumns : kExpenseColumns;
}

/// Applies the program's own changes noted since the list was read, when nothing else can have
/// changed the table meanwhile; false (the list then needs a full fill) in any other case.
/// Each change reads its one row the way a fill reads rows, so the texts are the same.
bool applyOwnChanges(Ledger &ledger, bool income) noexcept
{
    Ledger::ListState &state = ledger.state(income);
    try {
        if (!state.whole || state.unknownChange || state.rows.columnHeaderCount() != 6
            || ledger.dataVersion() != state.dataVersion)
            return false;
        const NumericReader numbers;
        const auto readRow = [&](long long srNo) -> std::optional<RowStore::Row> {
            Recordset rs;
            rs.Open(entrySql::selectEntryStatement(income, QString::number(srNo)), ledger.connection());
            if (rs.Eof())
                return std::nullopt;
            RowReader reader(rs, columnsOf(income));
            RowStore::Row row;
            for (const int column : {0, 0, 1, 2, 3, 4})
                row.cells.emplace_back(reader.field(column));
            row.amount = numbers.read(reader.field(3));
            return row;
        };
        RowStore &rows = state.rows;
        for (const Ledger::ListState::Pending &change : state.pending) {
            if (change.changed == 0)
                continue;
            if (change.changed != 1)
                return false;
            if (change.change == Ledger::Change::Insert) {
                const auto row = readRow(change.srNo);
                if (!row || !rows.insertRecordRow(change.srNo, *row))
                    return false;
                continue;
            }
            const int at = rows.findRecord(change.srNo);
            if (at < 0)
                return false;
            if (change.change == Ledger::Change::Delete) {
                rows.removeRecordRow(at);
            } else {
                const auto row = readRow(change.srNo);
                if (!row)
                    return false;
                rows.replaceRow(at, *row);
            }
        }
        state.pending.clear();
        return true;
    } catch (...) {
        state.whole = false;
        return false;
    }
}

/// Before a full fill: the list is about to hold the table as it is now.
void beginFullFill(Ledger &ledger, bool income)
{
    Ledger::ListState &state = ledger.state(income);
    state.whole = false;
    state.pending.clear();
    state.unknownChange = false;
    try {
        state.dataVersion = ledger.dataVersion();
    } catch (...) {
        state.dataVersion = -1; // the fill reports what is wrong with the connection
    }
}

} // namespace

void listIncome(Ledger &ledger)
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome "));
    PointerReset pointerReset(ledger);
    const auto window = [&]() -> const LedgerWindow & { return ledger.window(); };
    if (applyOwnChanges(ledger, true)) {
        on.step(102, [&] { window().showPointer(PointerShape::Hourglass); });
        ledger.totalIncome = ledger.incomeList().sumOfAmounts();
        on.step(136, [&] { window().showPointer(PointerShape::Default); });
        return;
    }
    beginFullFill(ledger, true);
    Recordset rs; // line 100 creates the recordset; creating it cannot fail
    std::optional<ListFill> fill;
    auto items = [&]() -> ListFill & {
        if (!fill)
            throw Error(QStringLiteral("The income list was not cleared for the fill."));
        return *fill;
    };

    on.step(102, [&] { window().showPointer(PointerShape::Hourglass); });
    on.step(104, [&] { rs.Open(QStringLiteral("select * from [income]"), ledger.connection(), CursorType::Static, LockType::ReadOnly); });
    on.step(106, [&] { fill.emplace(ledger.incomeList()); });
    on.step(108, [&] { ledger.totalIncome = DecimalSum(); });

    RowReader row(rs, kIncomeColumns);
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
                ledger.totalIncome.add(*amount);
                items().setAmount(amount);
            });
        on.step(132, [&] { row.moveNext(); });
    }
    fill.reset(); // the list shows its new rows
    // A fill with any failure on the way leaves the list in doubt: the next one reads it whole.
    ledger.state(true).whole = on.failures() == 0 && row.complete();
    on.step(134, [&] {
        if (rs.State() != 0)
            rs.Close();
    });
    on.step(136, [&] { window().showPointer(PointerShape::Default); });
}

void listExpenses(Ledger &ledger)
{
    PointerReset pointerReset(ledger);
    if (applyOwnChanges(ledger, false)) {
        ledger.window().showPointer(PointerShape::Hourglass);
        ledger.totalExpenses = ledger.expenseList().sumOfAmounts();
        ledger.window().showPointer(PointerShape::Default);
        return;
    }
    beginFullFill(ledger, false);
    Recordset rs;
    ledger.window().showPointer(PointerShape::Hourglass);
    rs.Open(QStringLiteral("select * from [expenses]"), ledger.connection(), CursorType::Static, LockType::ReadOnly);
    ListFill fill(ledger.expenseList());
    ledger.totalExpenses = DecimalSum();
    RowReader row(rs, kExpenseColumns);
    const NumericReader numbers;
    while (!rs.Eof()) {
        fill.addItem(row.field(0));
        fill.setSubItem(1, row.field(0));
        fill.setSubItem(2, row.field(1));
        fill.setSubItem(3, row.field(2));
        fill.setSubItem(4, row.field(3));
        fill.setSubItem(5, row.field(4));
        if (const auto amount = numbers.read(row.field(3))) {
            ledger.totalExpenses.add(*amount);
            fill.setAmount(amount);
        }
        row.moveNext();
    }
    ledger.state(false).whole = row.complete();
    if (rs.State() != 0)
        rs.Close();
    ledger.window().showPointer(PointerShape::Default);
}

void showTotals(Ledger &ledger)
{
    ledger.window().showTotalCaptions(QStringLiteral("Total Income: ") + ledger.totalIncome.text(),
                       QStringLiteral("Total Expenses: ") + ledger.totalExpenses.text(),
                       QStringLiteral("Available Balance: ")
                           + balanceText(ledger.totalIncome, ledger.totalExpenses));
}

QString balanceText(const DecimalSum &income, const DecimalSum &expenses)
{
    // Both sums are exact, so their difference is too: 100.3 against 100.1 and 0.2 is 0.
    return (income - expenses).text();
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
