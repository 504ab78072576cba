#include "ledger/ledger.h"

#include <charconv>

#include <sqlite3.h>

#include "errors/error.h"
#include "ledger/recordset.h"

namespace tallymere {
namespace {

std::optional<long long> recordNumber(const QString &text)
{
    const QByteArray digits = text.toLatin1();
    long long number = 0;
    const auto [end, error] = std::from_chars(digits.constData(), digits.constData() + digits.size(), number);
    if (digits.isEmpty() || error != std::errc() || end != digits.constData() + digits.size())
        return std::nullopt;
    return number;
}

} // namespace

Ledger::Ledger(LedgerWindow window) : m_window(std::move(window)) {}

Ledger::~Ledger() = default;

const LedgerWindow &Ledger::window() const
{
    if (!m_window)
        throw Error(QStringLiteral("The main window is not loaded."));
    return m_window;
}

const Connection &Ledger::connection() const
{
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    return *ledgerConnection;
}

int Ledger::write(const QString &statement, bool income, Change change, const QString &srNo)
{
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    // Noted as in doubt first: should the statement fail half way, the next fill reads it all.
    ListState &list = state(income);
    const bool inDoubt = list.unknownChange;
    list.unknownChange = true;
    const int changed = ledgerConnection->Execute(statement);

    std::optional<long long> number;
    if (change == Change::Insert && changed == 1 && ledgerConnection->handle())
        number = sqlite3_last_insert_rowid(ledgerConnection->handle());
    else if (change != Change::Insert)
        number = recordNumber(srNo);
    // More than one row changed (a trigger, a number that is not unique) is beyond one change;
    // so is a change whose entry cannot be told.
    if (changed == 0) {
        list.unknownChange = inDoubt;
    } else if (changed == 1 && number) {
        list.unknownChange = inDoubt;
        list.pending.push_back({change, *number, changed});
    } else {
        m_income.unknownChange = true;
        m_expenses.unknownChange = true;
    }
    return changed;
}

void Ledger::requireFullRefill() noexcept
{
    m_income.whole = false;
    m_expenses.whole = false;
}

long long Ledger::dataVersion() const
{
    return connection().dataVersion();
}

} // namespace tallymere
