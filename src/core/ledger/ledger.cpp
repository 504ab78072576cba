#include "core/ledger/ledger.h"

#include <charconv>

#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/db/recordset.h"

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
    // The entry as it was, for undo; an entry that cannot be read is simply not undoable.
    std::optional<long long> number = change == Change::Insert ? std::nullopt : recordNumber(srNo);
    std::optional<EntryImage> before;
    if (number)
        before = readEntry(income, *number);

    const int changed = execute(statement, {}, income, change, number);

    if (changed == 1 && change == Change::Insert && ledgerConnection->handle())
        number = sqlite3_last_insert_rowid(ledgerConnection->handle());
    if (changed == 1 && number) {
        std::optional<EntryImage> after;
        if (change != Change::Delete)
            after = readEntry(income, *number);
        if ((change == Change::Insert || before) && (change == Change::Delete || after)) {
            EntryChange done{income, change, *number, {}, {}, {}};
            done.columns = (after ? after : before)->columns;
            if (before)
                done.before = std::move(before->values);
            if (after)
                done.after = std::move(after->values);
            m_done.push_back(std::move(done));
            m_undone.clear(); // a new change: what was undone can no longer be redone
        }
    }
    return changed;
}

int Ledger::execute(const QString &statement, const Parameters &parameters, bool income, Change change,
                    std::optional<long long> number)
{
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    // Noted as in doubt first: should the statement fail half way, the next fill reads it all.
    ListState &list = state(income);
    const bool inDoubt = list.unknownChange;
    list.unknownChange = true;
    const int changed = ledgerConnection->Execute(statement, parameters);

    if (change == Change::Insert && changed == 1 && !number && ledgerConnection->handle())
        number = sqlite3_last_insert_rowid(ledgerConnection->handle());
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

std::optional<Ledger::EntryImage> Ledger::readEntry(bool income, long long srNo) const
{
    try {
        Recordset rs;
        rs.Open(QStringLiteral("select * from %1 where sr_no=?").arg(income ? QStringLiteral("[income]")
                                                                              : QStringLiteral("[expenses]")),
                connection(), Parameters{FieldValue{1, srNo, 0, {}}});
        if (rs.Eof())
            return std::nullopt;
        EntryImage image;
        for (int i = 0; i < rs.columnCount(); ++i) {
            image.columns.append(rs.columnName(i));
            image.values.push_back(rs.value(i));
        }
        return image;
    } catch (const Error &) {
        return std::nullopt;
    }
}

namespace {

QString tableOf(bool income)
{
    return income ? QStringLiteral("[income]") : QStringLiteral("[expenses]");
}

QString quotedName(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

/// "and "c1" is ? and "c2" is ? ...": the entry is exactly as the program left it.
QString sameAs(const QStringList &columns)
{
    QString condition;
    for (const QString &column : columns)
        condition += QLatin1String(" and ") + quotedName(column) + QLatin1String(" is ?");
    return condition;
}

QString kindText(Ledger::Change change)
{
    switch (change) {
    case Ledger::Change::Insert: return QStringLiteral("add");
    case Ledger::Change::Update: return QStringLiteral("change");
    case Ledger::Change::Delete: return QStringLiteral("delete");
    }
    return {};
}

} // namespace

QString Ledger::EntryChange::what() const
{
    return QStringLiteral("%1 of %2 entry %3")
        .arg(kindText(change), income ? QStringLiteral("income") : QStringLiteral("expense"))
        .arg(srNo);
}

Ledger::Outcome Ledger::undo()
{
    return replay(true);
}

Ledger::Outcome Ledger::redo()
{
    return replay(false);
}

Ledger::Outcome Ledger::replay(bool undoing)
{
    std::vector<EntryChange> &from = undoing ? m_done : m_undone;
    std::vector<EntryChange> &to = undoing ? m_undone : m_done;
    if (from.empty())
        return Outcome::Nothing;
    const EntryChange c = from.back();
    // Undoing goes from the entry as it is after the change back to before it; redoing the
    // other way. Each is one statement that finds the entry only when it is exactly as the
    // program left it, so a change by another program meanwhile is never overwritten.
    const Parameters &now = undoing ? c.after : c.before;
    const Parameters &then = undoing ? c.before : c.after;
    const FieldValue number{1, c.srNo, 0, {}};
    QString statement;
    Parameters parameters;
    Change noted = Change::Update;
    if (then.empty()) { // the entry goes
        statement = QStringLiteral("delete from %1 where sr_no=?").arg(tableOf(c.income)) + sameAs(c.columns);
        parameters.push_back(number);
        parameters.insert(parameters.end(), now.begin(), now.end());
        noted = Change::Delete;
    } else if (now.empty()) { // the entry comes back, with its own number
        QStringList names;
        QStringList marks;
        for (const QString &column : c.columns) {
            names.append(quotedName(column));
            marks.append(QStringLiteral("?"));
        }
        statement = QStringLiteral("insert into %1 (%2) values (%3)")
                        .arg(tableOf(c.income), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        parameters = then;
        noted = Change::Insert;
    } else {
        QStringList assignments;
        for (const QString &column : c.columns)
            assignments.append(quotedName(column) + QLatin1String("=?"));
        statement = QStringLiteral("update %1 set %2 where sr_no=?")
                        .arg(tableOf(c.income), assignments.join(QLatin1Char(',')))
            + sameAs(c.columns);
        parameters = then;
        parameters.push_back(number);
        parameters.insert(parameters.end(), now.begin(), now.end());
    }

    int changed = 0;
    try {
        changed = execute(statement, parameters, c.income, noted, c.srNo);
    } catch (const Error &) {
        // The number is taken by another entry now: the entry cannot come back as it was.
        if (noted != Change::Insert || (ledgerConnection && ledgerConnection->handle()
                                        && sqlite3_errcode(ledgerConnection->handle()) != SQLITE_CONSTRAINT))
            throw;
    }
    from.pop_back();
    if (changed != 1)
        return Outcome::Refused; // and it is gone from the history: it can never apply again
    to.push_back(c);
    return Outcome::Done;
}

QString Ledger::undoText() const
{
    return m_done.empty() ? QString() : m_done.back().what();
}

QString Ledger::redoText() const
{
    return m_undone.empty() ? QString() : m_undone.back().what();
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

bool Ledger::changedElsewhere() const noexcept
{
    try {
        if (!ledgerConnection || ledgerConnection->State() == 0)
            return false;
        const long long now = dataVersion();
        return now != m_income.dataVersion || now != m_expenses.dataVersion;
    } catch (...) {
        return false;
    }
}

} // namespace tallymere
