#include "core/ledger/ledger.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <map>

#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/db/recordset.h"
#include "core/ledger/statements.h"

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
            EntryChange done{income, change, *number, {}, {}, {}, 0, {}};
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
    if (step != 0)
        return stepText;
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

namespace {

/// The one statement that takes a change back (undoing) or makes it again, with its values.
struct Replay {
    QString statement;
    Parameters parameters;
    Ledger::Change noted;
};

Replay replayOf(const Ledger::EntryChange &c, bool undoing)
{
    // Undoing goes from the entry as it is after the change back to before it; redoing the
    // other way. Each is one statement that finds the entry only when it is exactly as the
    // program left it, so a change by another program meanwhile is never overwritten.
    const Parameters &now = undoing ? c.after : c.before;
    const Parameters &then = undoing ? c.before : c.after;
    const FieldValue number{1, c.srNo, 0, {}};
    Replay r{{}, {}, Ledger::Change::Update};
    if (then.empty()) { // the entry goes
        r.statement = QStringLiteral("delete from %1 where sr_no=?").arg(tableOf(c.income)) + sameAs(c.columns);
        r.parameters.push_back(number);
        r.parameters.insert(r.parameters.end(), now.begin(), now.end());
        r.noted = Ledger::Change::Delete;
    } else if (now.empty()) { // the entry comes back, with its own number
        QStringList names;
        QStringList marks;
        for (const QString &column : c.columns) {
            names.append(quotedName(column));
            marks.append(QStringLiteral("?"));
        }
        r.statement = QStringLiteral("insert into %1 (%2) values (%3)")
                          .arg(tableOf(c.income), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        r.parameters = then;
        r.noted = Ledger::Change::Insert;
    } else {
        QStringList assignments;
        for (const QString &column : c.columns)
            assignments.append(quotedName(column) + QLatin1String("=?"));
        r.statement = QStringLiteral("update %1 set %2 where sr_no=?")
                          .arg(tableOf(c.income), assignments.join(QLatin1Char(',')))
            + sameAs(c.columns);
        r.parameters = then;
        r.parameters.push_back(number);
        r.parameters.insert(r.parameters.end(), now.begin(), now.end());
    }
    return r;
}

/// One transaction that takes the write lock at once; rolled back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(Connection &connection) : m_connection(connection)
    {
        m_connection.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteTransaction()
    {
        if (m_open) {
            try {
                m_connection.Execute(QStringLiteral("ROLLBACK"));
            } catch (...) { // a failed rollback leaves nothing to do: the engine has rolled back
            }
        }
    }
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    void commit()
    {
        m_connection.Execute(QStringLiteral("COMMIT"));
        m_open = false;
    }

private:
    Connection &m_connection;
    bool m_open = true;
};

/// Runs statements that many changes share, each prepared once.
class PreparedRuns
{
public:
    explicit PreparedRuns(const Connection &connection) : m_connection(connection) {}

    /// Runs `statement` with `parameters`; returns the rows it changed.
    int run(const QString &statement, const Parameters &parameters)
    {
        sqlite3 *db = m_connection.handle();
        const sqlite3_int64 before = db ? sqlite3_total_changes64(db) : 0;
        std::unique_ptr<Recordset> &prepared = m_prepared[statement];
        if (!prepared) {
            prepared = std::make_unique<Recordset>();
            prepared->Open(statement, m_connection, parameters);
        } else {
            prepared->Rerun(parameters);
        }
        return int(sqlite3_total_changes64(db) - before);
    }

private:
    const Connection &m_connection;
    std::map<QString, std::unique_ptr<Recordset>> m_prepared;
};

FieldValue textValue(const QString &text)
{
    return FieldValue{SQLITE_TEXT, 0, 0, text.toUtf8()};
}

} // namespace

Ledger::Outcome Ledger::replay(bool undoing)
{
    std::vector<EntryChange> &from = undoing ? m_done : m_undone;
    std::vector<EntryChange> &to = undoing ? m_undone : m_done;
    if (from.empty())
        return Outcome::Nothing;
    if (from.back().step != 0)
        return replayStep(undoing);
    const EntryChange c = from.back();
    const Replay r = replayOf(c, undoing);

    int changed = 0;
    try {
        changed = execute(r.statement, r.parameters, c.income, r.noted, c.srNo);
    } catch (const Error &) {
        // The number is taken by another entry now: the entry cannot come back as it was.
        if (r.noted != Change::Insert || (ledgerConnection && ledgerConnection->handle()
                                          && sqlite3_errcode(ledgerConnection->handle()) != SQLITE_CONSTRAINT))
            throw;
    }
    from.pop_back();
    if (changed != 1)
        return Outcome::Refused; // and it is gone from the history: it can never apply again
    to.push_back(c);
    return Outcome::Done;
}

Ledger::Outcome Ledger::replayStep(bool undoing)
{
    std::vector<EntryChange> &from = undoing ? m_done : m_undone;
    std::vector<EntryChange> &to = undoing ? m_undone : m_done;
    const std::uint64_t step = from.back().step;
    auto first = from.end();
    while (first != from.begin() && std::prev(first)->step == step)
        --first;
    const auto count = std::size_t(from.end() - first);
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));

    // The step's changes are taken back (in reverse order) or made again in one transaction;
    // one entry that is no longer as the program left it leaves the whole step unwritten.
    requireFullRefill();
    bool refused = false;
    {
        WriteTransaction transaction(*ledgerConnection);
        PreparedRuns runs(*ledgerConnection);
        for (std::size_t i = 0; i < count && !refused; ++i) {
            const EntryChange &c = *(first + std::ptrdiff_t(undoing ? count - 1 - i : i));
            const Replay r = replayOf(c, undoing);
            try {
                refused = runs.run(r.statement, r.parameters) != 1;
            } catch (const Error &) {
                if (r.noted != Change::Insert || sqlite3_errcode(ledgerConnection->handle()) != SQLITE_CONSTRAINT)
                    throw;
                refused = true;
            }
        }
        if (!refused)
            transaction.commit();
    }
    if (!refused)
        to.insert(to.end(), std::make_move_iterator(first), std::make_move_iterator(from.end()));
    from.erase(first, from.end());
    return refused ? Outcome::Refused : Outcome::Done;
}

std::vector<long long> Ledger::addEntries(const std::vector<NewEntry> &entries, const QString &undoText,
                                          const std::function<void(std::size_t, long long)> &alongside)
{
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    std::vector<long long> numbers;
    numbers.reserve(entries.size());
    requireFullRefill(); // many rows: a full reading is the cheaper way for the lists to follow
    WriteTransaction transaction(*ledgerConnection);
    PreparedRuns runs(*ledgerConnection);
    const std::array<QString, 2> inserts{
        entrySql::insertStatement(entrySql::tableText(false), entrySql::columnListText(false), QStringLiteral("?,?,?,?")),
        entrySql::insertStatement(entrySql::tableText(true), entrySql::columnListText(true), QStringLiteral("?,?,?,?"))};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const NewEntry &entry = entries[i];
        if (runs.run(inserts[entry.income ? 1 : 0], {textValue(entry.date), textValue(entry.name),
                                                   textValue(entry.amount), textValue(entry.particulars)})
            != 1)
            throw Error(QStringLiteral("The entry was not added."));
        numbers.push_back(sqlite3_last_insert_rowid(ledgerConnection->handle()));
        if (alongside)
            alongside(i, numbers.back());
    }
    // Read back before the commit, so an import that cannot be undone is not written either.
    std::vector<EntryChange> step;
    if (!undoText.isEmpty())
        step = addedStep(entries, numbers, undoText);
    transaction.commit();
    if (!step.empty()) {
        m_done.insert(m_done.end(), std::make_move_iterator(step.begin()), std::make_move_iterator(step.end()));
        m_undone.clear(); // a new change: what was undone can no longer be redone
    }
    return numbers;
}

std::vector<Ledger::EntryChange> Ledger::addedStep(const std::vector<NewEntry> &entries,
                                                  const std::vector<long long> &numbers, const QString &undoText)
{
    // Each entry as stored, every column, read back in one pass over each table.
    std::vector<EntryChange> changes(entries.size());
    const std::uint64_t step = ++m_lastStep;
    for (const bool income : {false, true}) {
        std::vector<std::pair<long long, std::size_t>> wanted; // number, index
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].income == income)
                wanted.emplace_back(numbers[i], i);
        }
        if (wanted.empty())
            continue;
        std::sort(wanted.begin(), wanted.end());
        Recordset rs;
        rs.Open(QStringLiteral("select * from %1 where sr_no>=? order by sr_no").arg(tableOf(income)), connection(),
                Parameters{FieldValue{1, wanted.front().first, 0, {}}});
        QStringList columns;
        for (int c = 0; c < rs.columnCount(); ++c)
            columns.append(rs.columnName(c));
        const int numberAt = rs.columnPosition(QStringLiteral("sr_no"));
        auto next = wanted.begin();
        for (; !rs.Eof() && next != wanted.end(); rs.MoveNext()) {
            const long long number = rs.value(numberAt).integer;
            if (number != next->first)
                continue;
            EntryChange &change = changes[next->second];
            change = EntryChange{income, Change::Insert, number, columns, {}, {}, step, undoText};
            change.after.reserve(std::size_t(columns.size()));
            for (int c = 0; c < rs.columnCount(); ++c)
                change.after.push_back(rs.value(c));
            ++next;
        }
        if (next != wanted.end())
            throw Error(QStringLiteral("An entry just added cannot be read back."));
    }
    return changes;
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

} // namespace tallymere
