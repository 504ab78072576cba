#include "core/ledger/ledger.h"

#include <algorithm>
#include <charconv>

#include "core/errors/error.h"
#include "core/db/recordset.h"
#include "core/ledger/rowreader.h"
#include "core/ledger/statements.h"
#include "core/text/numerictext.h"

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

/// Runs `statement` with `parameters`, prepared the first time it comes and kept in `prepared`
/// for the next: a step of many changes runs few distinct statements. Returns the rows changed.
int runPrepared(std::map<QString, std::unique_ptr<Recordset>> &prepared, const Connection &connection,
                const QString &statement, const Parameters &parameters)
{
    const long long before = connection.totalChanges();
    std::unique_ptr<Recordset> &recordset = prepared[statement];
    if (recordset) {
        recordset->RerunToEnd(parameters);
    } else {
        recordset = std::make_unique<Recordset>();
        recordset->Open(statement, connection, parameters);
    }
    return int(connection.totalChanges() - before);
}

} // namespace

Ledger::Ledger(MainWindow *window) : m_window(window) {}

Ledger::~Ledger() = default;

void Ledger::createConnection()
{
    m_connection = std::make_unique<Connection>();
    requireFullRefill();
}

void Ledger::openConnection(const QString &connectionString)
{
    writable().Open(connectionString);
}

void Ledger::openFile(const QString &path)
{
    createConnection();
    m_connection->openFile(path);
}

void Ledger::closeConnection() noexcept
{
    if (m_connection && m_connection->State() != 0)
        m_connection->Close();
}

void Ledger::releaseConnection() noexcept
{
    m_connection.reset();
}

const Connection &Ledger::connection() const
{
    if (!m_connection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    return *m_connection;
}

Connection &Ledger::writable()
{
    if (!m_connection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    return *m_connection;
}

MainWindow &Ledger::window() const
{
    if (!m_window)
        throw Error(QStringLiteral("The main window is not loaded."));
    return *m_window;
}

bool Ledger::applyOwnChanges(bool income) noexcept
{
    // Each change reads its one row the way a fill reads rows, so the texts are the same.
    ListState &state = this->state(income);
    try {
        if (!state.whole || state.unknownChange || state.rows.columnHeaderCount() != 6
            || connection().dataVersion() != state.dataVersion)
            return false;
        const NumericReader numbers;
        const auto readRow = [&](long long srNo) -> std::optional<RowStore::Row> {
            Recordset rs;
            rs.Open(entrySql::selectEntryStatement(income, QString::number(srNo)), connection());
            if (rs.Eof())
                return std::nullopt;
            RowReader reader(rs, fillColumnsOf(income));
            RowStore::Row row;
            for (const int column : {0, 0, 1, 2, 3, 4})
                row.cells.emplace_back(reader.field(column));
            row.amount = numbers.read(reader.field(3));
            return row;
        };
        RowStore &rows = state.rows;
        // The total is the sum of the rows' amounts. A row added at the end adds its amount to
        // it, as the sum would; any other change sums the rows again, and no change leaves it as
        // it is.
        DecimalSum total = state.total;
        bool changedRows = false;
        bool onlyAppended = true;
        for (const ListState::Pending &change : state.pending) {
            if (change.changed == 0)
                continue;
            if (change.changed != 1)
                return false;
            changedRows = true;
            if (change.change == Change::Insert) {
                const auto row = readRow(change.srNo);
                const std::optional<long long> last = rows.lastRecord();
                const bool atEnd = !last || change.srNo > *last;
                if (!row || !rows.insertRecordRow(change.srNo, *row))
                    return false;
                onlyAppended = onlyAppended && atEnd;
                if (row->amount)
                    total.add(*row->amount);
                continue;
            }
            onlyAppended = false;
            const int at = rows.findRecord(change.srNo);
            if (at < 0)
                return false;
            if (change.change == Change::Delete) {
                rows.removeRecordRow(at);
            } else {
                const auto row = readRow(change.srNo);
                if (!row)
                    return false;
                rows.replaceRow(at, *row);
            }
        }
        state.pending.clear();
        if (changedRows)
            state.total = onlyAppended ? total : rows.sumOfAmounts();
        return true;
    } catch (...) {
        state.whole = false;
        return false;
    }
}

void Ledger::beginFill(bool income) noexcept
{
    ListState &state = this->state(income);
    state.whole = false;
    state.pending.clear();
    state.unknownChange = false;
    try {
        state.dataVersion = connection().dataVersion();
    } catch (...) {
        state.dataVersion = -1; // the fill reports what is wrong with the connection
    }
}

void Ledger::setTotal(bool income, const DecimalSum &total) noexcept
{
    state(income).total = total;
}

void Ledger::addToTotal(bool income, Amount amount)
{
    state(income).total.add(amount);
}

void Ledger::endFill(bool income, bool whole) noexcept
{
    state(income).whole = whole;
}

void Ledger::requireFullRefill() noexcept
{
    m_income.whole = false;
    m_expenses.whole = false;
}

bool Ledger::changedElsewhere() const noexcept
{
    try {
        if (!m_connection || m_connection->State() == 0)
            return false;
        const long long now = m_connection->dataVersion();
        return now != m_income.dataVersion || now != m_expenses.dataVersion;
    } catch (...) {
        return false;
    }
}

void Ledger::forgetNotes() noexcept
{
    m_income.unknownChange = true;
    m_expenses.unknownChange = true;
}

int Ledger::write(const QString &statement, bool income, Change change, const QString &srNo,
                  const Parameters &parameters)
{
    std::vector<EntryChange> changes;
    const int changed = writeEntry(statement, parameters, income, change, srNo, changes);
    if (!changes.empty()) {
        QString text = changes.front().what();
        m_history.add({std::move(text), std::move(changes)});
    }
    return changed;
}

int Ledger::writeEntry(const QString &statement, const Parameters &parameters, bool income, Change change,
                       const QString &srNo, std::vector<EntryChange> &step)
{
    Connection &connection = writable();
    // The entry as it was, for undo; an entry that cannot be read is simply not undoable.
    std::optional<long long> number = change == Change::Insert ? std::nullopt : recordNumber(srNo);
    std::optional<EntryImage> before;
    if (number)
        before = readEntry(income, *number);

    const int changed = execute(statement, parameters, income, change, number);

    if (changed == 1 && change == Change::Insert)
        number = connection.lastInsertedRecord();
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
            step.push_back(std::move(done));
        }
    }
    return changed;
}

int Ledger::execute(const QString &statement, const Parameters &parameters, bool income, Change change,
                    std::optional<long long> number)
{
    Connection &connection = writable();
    // Noted as in doubt first: should the statement fail half way, the next fill reads it all.
    ListState &list = state(income);
    const bool inDoubt = list.unknownChange;
    list.unknownChange = true;
    const int changed = connection.Execute(statement, parameters);

    if (change == Change::Insert && changed == 1 && !number)
        number = connection.lastInsertedRecord();
    // More than one row changed (a trigger, a number that is not unique) is beyond one change;
    // so is a change whose entry cannot be told.
    if (changed == 0) {
        list.unknownChange = inDoubt;
    } else if (changed == 1 && number) {
        list.unknownChange = inDoubt;
        list.pending.push_back({change, *number, changed});
    } else {
        forgetNotes();
    }
    return changed;
}

std::optional<Ledger::EntryImage> Ledger::readEntry(bool income, long long srNo) const
{
    try {
        Recordset rs;
        rs.Open(QStringLiteral("select * from %1 where sr_no=?").arg(entrySql::tableText(income)), connection(),
                Parameters{FieldValue::ofInteger(srNo)});
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

Ledger::Batch::Batch(Ledger &ledger, const QString &undoText) : m_ledger(ledger), m_step{undoText, {}}
{
    m_ledger.writable().Execute(QStringLiteral("BEGIN"));
    m_open = true;
}

Ledger::Batch::~Batch()
{
    if (!m_open)
        return;
    m_prepared.clear();
    try {
        m_ledger.writable().Execute(QStringLiteral("ROLLBACK"));
    } catch (...) {
        // A failed statement may have ended the transaction already.
    }
    // The notes of what was written are gone with it.
    m_ledger.forgetNotes();
}

int Ledger::Batch::write(const QString &statement, bool income, Change change, const QString &srNo,
                         const Parameters &parameters)
{
    if (change != Change::Insert)
        return m_ledger.writeEntry(statement, parameters, income, change, srNo, m_step.changes);
    // A batch is mostly inserts (an import of thousands): neither prepared nor read back one by
    // one. The lists are not told of each: they read their tables whole after the batch.
    m_ledger.forgetNotes();
    const int changed = run(statement, parameters);
    if (changed != 1)
        return changed;
    m_lastAdded = m_ledger.writable().lastInsertedRecord();
    if (!m_step.text.isEmpty()) {
        m_added.push_back(m_step.changes.size());
        m_step.changes.push_back({income, change, m_lastAdded, {}, {}, {}});
    }
    return changed;
}

const std::optional<QStringList> &Ledger::Batch::plainColumns(bool income)
{
    std::optional<std::optional<QStringList>> &known = m_plainColumns[income];
    if (known)
        return *known;
    known.emplace();
    const QStringList expected{QStringLiteral("sr_no"), QStringLiteral("date"),
                               income ? QStringLiteral("source") : QStringLiteral("category"), QStringLiteral("amount"),
                               QStringLiteral("particulars")};
    QStringList columns;
    Recordset rs;
    for (rs.Open(QStringLiteral("pragma table_info(%1)").arg(entrySql::tableText(income)), m_ledger.connection());
         !rs.Eof(); rs.MoveNext()) {
        const QString name = rs.Fields(1);
        const QString type = rs.Fields(2).toUpper();
        // Text affinity (or none) keeps a text as sent; any other may turn "12.50" into 12.5.
        const bool keepsText = type.isEmpty()
            || (!type.contains(QLatin1String("INT"))
                && (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB"))
                    || type.contains(QLatin1String("TEXT"))));
        const qsizetype at = columns.size();
        if (at >= expected.size() || name.compare(expected[at], Qt::CaseInsensitive) != 0 || (at > 0 && !keepsText))
            return *known;
        columns.append(name);
    }
    if (columns.size() == expected.size())
        *known = std::move(columns);
    return *known;
}

int Ledger::Batch::add(bool income, Parameters values)
{
    m_ledger.forgetNotes(); // the lists read their tables whole after the batch
    // The number first, given by the engine, then the values: the row as the table keeps it.
    Parameters row;
    row.reserve(values.size() + 1);
    row.push_back(FieldValue{});
    std::move(values.begin(), values.end(), std::back_inserter(row));
    const int changed = run(entrySql::insertEntryStatement(income), row);
    if (changed != 1)
        return changed;
    m_lastAdded = m_ledger.writable().lastInsertedRecord();
    if (m_step.text.isEmpty())
        return changed;
    const std::optional<QStringList> &columns = plainColumns(income);
    if (!columns) {
        m_added.push_back(m_step.changes.size());
        m_step.changes.push_back({income, Change::Insert, m_lastAdded, {}, {}, {}});
        return changed;
    }
    row.front() = FieldValue::ofInteger(m_lastAdded);
    m_step.changes.push_back({income, Change::Insert, m_lastAdded, *columns, {}, std::move(row)});
    return changed;
}

int Ledger::Batch::execute(const QString &statement, const Parameters &parameters)
{
    return run(statement, parameters);
}

int Ledger::Batch::run(const QString &statement, const Parameters &parameters)
{
    return runPrepared(m_prepared, m_ledger.connection(), statement, parameters);
}

void Ledger::Batch::readBackAdded()
{
    for (const bool income : {false, true}) {
        std::vector<std::pair<long long, std::size_t>> wanted; // number, change
        for (const std::size_t at : m_added) {
            if (m_step.changes[at].income == income)
                wanted.emplace_back(m_step.changes[at].srNo, at);
        }
        if (wanted.empty())
            continue;
        std::sort(wanted.begin(), wanted.end());
        Recordset rs;
        rs.Open(QStringLiteral("select * from %1 where sr_no>=? order by sr_no").arg(entrySql::tableText(income)),
                m_ledger.connection(), Parameters{FieldValue::ofInteger(wanted.front().first)});
        QStringList columns; // one list shared by every change
        for (int c = 0; c < rs.columnCount(); ++c)
            columns.append(rs.columnName(c));
        const int numberAt = rs.columnPosition(QStringLiteral("sr_no"));
        auto next = wanted.begin();
        for (; !rs.Eof() && next != wanted.end(); rs.MoveNext()) {
            if (rs.value(numberAt).integer != next->first)
                continue;
            EntryChange &change = m_step.changes[next->second];
            change.columns = columns;
            change.after.reserve(std::size_t(columns.size()));
            for (int c = 0; c < rs.columnCount(); ++c)
                change.after.push_back(rs.value(c));
            ++next;
        }
    }
    // An entry that cannot be read back is not undoable, as with a single write.
    std::erase_if(m_step.changes, [](const EntryChange &c) { return c.change == Change::Insert && c.after.empty(); });
    m_added.clear();
}

void Ledger::Batch::commit()
{
    readBackAdded();
    m_prepared.clear();
    m_ledger.writable().Execute(QStringLiteral("COMMIT"));
    m_open = false;
    // Many changes are applied to the lists faster by reading the tables whole.
    if (m_step.changes.size() > 1)
        m_ledger.forgetNotes();
    if (!m_step.changes.empty() && !m_step.text.isEmpty())
        m_ledger.m_history.add(std::move(m_step));
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
    const UndoStep *step = m_history.next(undoing);
    if (!step)
        return Outcome::Nothing;
    Connection &connection = writable();
    const std::vector<EntryChange> &changes = step->changes;
    const std::size_t count = changes.size();
    // A step of several changes is all or nothing: one transaction, undone last change first.
    const bool several = count > 1;
    bool refused = false;
    const EntryChange *last = nullptr; // the change replayed last: the one refused, when one is
    std::map<QString, std::unique_ptr<Recordset>> prepared; // a step of many changes: each statement prepared once
    try {
        if (several)
            connection.Execute(QStringLiteral("BEGIN"));
        for (std::size_t i = 0; i < count && !refused; ++i) {
            const EntryChange &c = changes[undoing ? count - 1 - i : i];
            last = &c;
            const Replay replay = replayOf(c, undoing);
            int changed = 0;
            try {
                // The lists follow a step of several changes by reading their tables whole.
                changed = several ? runPrepared(prepared, connection, replay.statement, replay.parameters)
                                  : execute(replay.statement, replay.parameters, c.income, replay.noted, c.srNo);
            } catch (const ConstraintFailure &) {
                // The number is taken by another entry now: the entry cannot come back as it was.
                if (replay.noted != Change::Insert)
                    throw;
            }
            refused = changed != 1;
        }
        prepared.clear();
        if (several)
            connection.Execute(refused ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"));
    } catch (...) {
        prepared.clear();
        if (several) {
            try {
                connection.Execute(QStringLiteral("ROLLBACK"));
            } catch (...) {
                // A failed statement may have ended the transaction already.
            }
            forgetNotes();
        }
        throw;
    }
    if (refused) {
        if (several)
            forgetNotes(); // what the step's first changes did was rolled back
        m_refusal = tallymere::refusalText(*step, *last, undoing);
        m_history.drop(undoing); // it can never apply again
        return Outcome::Refused;
    }
    if (several)
        forgetNotes(); // the lists read many changes faster whole
    m_history.replayed(undoing);
    return Outcome::Done;
}

} // namespace tallymere
