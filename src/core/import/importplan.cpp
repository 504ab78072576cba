#include "core/import/importplan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include <QHash>

#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "core/import/importkeys.h"
#include "core/import/payeecategories.h"
#include "core/ledger/ledger.h"
#include "core/ledger/statements.h"
#include "core/lists/rowstore.h"
#include "core/settings/settings.h"
#include "core/text/datetext.h"
#include "core/text/decimalsum.h"
#include "core/text/numerictext.h"

namespace tallymere::import {
namespace {

/// An entry typed by hand within this many days of a transaction with its amount may be it.
constexpr qint64 kTypedWithinDays = 3;

/// An amount as a whole number of thousandths: equal amounts are equal whatever their decimals.
std::optional<long long> amountUnits(std::optional<Amount> amount)
{
    if (!amount)
        return std::nullopt;
    return std::llround(amount->toDouble() * 1000);
}

QString particularsOf(const BankTransaction &t, const QString &category)
{
    // The memo adds something when the payee does not already say it.
    QString text = t.payee;
    if (!t.memo.isEmpty() && !text.contains(t.memo, Qt::CaseInsensitive))
        text = text.isEmpty() ? t.memo : text + QStringLiteral(" \u2013 ") + t.memo;
    if (!text.isEmpty())
        return text;
    if (!t.checkNumber.isEmpty())
        return (t.kind.isEmpty() ? QStringLiteral("Cheque") : t.kind) + u' ' + t.checkNumber;
    if (!t.kind.isEmpty())
        return t.kind;
    return category;
}

/// The entries typed by hand into one list whose amounts a statement has, by amount: the days
/// they are dated, each taken by one transaction at most.
class TypedEntries
{
public:
    void expect(long long units) { m_expected.insert(units); }
    bool expected(long long units) const { return m_expected.count(units) != 0; }
    void add(long long units, qint64 day) { m_days[units].push_back({day, false}); }
    bool empty() const noexcept { return m_days.empty(); }

    /// Takes an entry with `units` dated `apart` days from `day`; false if there is none.
    bool take(long long units, qint64 day, qint64 apart)
    {
        const auto found = m_days.find(units);
        if (found == m_days.end())
            return false;
        for (Typed &typed : found->second) {
            if (!typed.taken && std::abs(typed.day - day) == apart) {
                typed.taken = true;
                return true;
            }
        }
        return false;
    }

private:
    struct Typed {
        qint64 day;
        bool taken;
    };
    std::unordered_set<long long> m_expected;
    std::unordered_map<long long, std::vector<Typed>> m_days;
};

bool dayFirstDates()
{
    try {
        return settings::europeanDate();
    } catch (const Error &) {
        return false; // stored dates are ISO; only an older entry's date is read in the other order
    }
}

/// Reads one list of the ledger once: what its entries teach about categories, and the entries
/// typed by hand whose amount the statement has.
void readList(const Connection &ledger, bool income, bool keyTable, PayeeCategories &categories, TypedEntries &typed)
{
    const QString keyed = keyTable
        ? QStringLiteral("sr_no in (select sr_no from import_keys where income=%1)").arg(income ? 1 : 0)
        : QStringLiteral("0");
    Recordset rs;
    rs.Open(QStringLiteral("select sr_no, date, %1, amount, particulars, %2 from %3")
                .arg(income ? QStringLiteral("source") : QStringLiteral("category"), keyed, entrySql::tableText(income)),
            ledger);
    const NumericReader numbers;
    const bool dayFirst = dayFirstDates();
    for (; !rs.Eof(); rs.MoveNext()) {
        if (!categories.empty()) {
            const std::string_view particulars = rs.fieldUtf8(4);
            const std::string_view name = rs.fieldUtf8(2);
            categories.learn(QString::fromUtf8(particulars.data(), qsizetype(particulars.size())),
                             QString::fromUtf8(name.data(), qsizetype(name.size())), rs.value(0).integer);
        }
        if (rs.fieldUtf8(5) == "1")
            continue;
        const auto units = amountUnits(numbers.read(rs.fieldUtf8(3)));
        if (!units || !typed.expected(*units))
            continue;
        if (const auto day = dateText::readUtf8(rs.fieldUtf8(1), dayFirst))
            typed.add(*units, QDate(day->year, day->month, day->day).toJulianDay());
    }
}

/// Marks the new entries that an entry typed by hand may be: each entry typed by hand stands for
/// one transaction at most, the nearest in days. `statusOf(i)` is the status of entry i to mark.
template <class StatusOf>
void markTyped(const std::vector<PlannedEntry> &entries, const std::vector<long long> &units,
               std::array<TypedEntries, 2> &typed, StatusOf statusOf)
{
    for (qint64 apart = 0; apart <= kTypedWithinDays && !(typed[0].empty() && typed[1].empty()); ++apart) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const PlannedEntry &entry = entries[i];
            EntryStatus &status = statusOf(i);
            if (status == EntryStatus::New && typed[entry.income].take(units[i], entry.date.toJulianDay(), apart))
                status = EntryStatus::PossiblyTyped;
        }
    }
}

} // namespace

QString statusText(EntryStatus status)
{
    switch (status) {
    case EntryStatus::New: return QStringLiteral("new");
    case EntryStatus::InLedger: return QStringLiteral("already in the ledger");
    case EntryStatus::PossiblyTyped: return QStringLiteral("possibly typed already");
    case EntryStatus::TooLarge: return QStringLiteral("left out: the amount is too large");
    }
    return {};
}

ImportPlan planImport(const Connection &ledger, const BankStatement &statement, const QString &fileName)
{
    if (statement.dateOrderUndecided)
        throw Error(QStringLiteral("%1: the dates read day-first and month-first alike; the date order must be chosen.")
                        .arg(fileName));
    const std::vector<BankTransaction> &transactions = statement.transactions;
    ImportPlan plan;
    plan.fileName = fileName;
    plan.leftOut = statement.leftOut;
    plan.entries.resize(transactions.size());

    // Each transaction's list, amount and the payees whose category the ledger must teach.
    std::array<std::vector<QString>, 2> payees; // expenses, income
    std::array<TypedEntries, 2> typed;
    const NumericReader numbers;
    std::vector<long long> units(transactions.size());
    for (std::size_t i = 0; i < transactions.size(); ++i) {
        const BankTransaction &t = transactions[i];
        PlannedEntry &entry = plan.entries[i];
        if (!t.date.isValid())
            throw ReadError(fileName, t.line, QStringLiteral("the transaction has no date"));
        const QStringView amount = QStringView(t.amount).trimmed();
        const bool out = amount.startsWith(u'-');
        const auto stored = storedPlainDecimal(out ? amount.mid(1) : amount);
        if (!stored || stored->startsWith(u'-'))
            throw ReadError(fileName, t.line, QStringLiteral("the amount \"%1\" is no number").arg(t.amount));
        entry.income = !out;
        entry.date = t.date;
        entry.amount = *stored;
        entry.line = t.line;
        // The editor refuses an amount the totals cannot hold; an import leaves it out too.
        const QByteArray ascii = stored->toLatin1();
        if (!Amount::fromPlainDecimal(std::string_view(ascii.constData(), std::size_t(ascii.size()))))
            entry.status = EntryStatus::TooLarge;
        units[i] = amountUnits(numbers.read(*stored)).value_or(0);
        if (entry.status == EntryStatus::New)
            typed[entry.income].expect(units[i]);
        if (t.category.isEmpty() || t.transfer)
            payees[entry.income].push_back(t.payee);
    }

    std::array<PayeeCategories, 2> learnt{PayeeCategories(payees[0]), PayeeCategories(payees[1])};
    const bool keyTable = importKeys::tableExists(ledger);
    for (const bool income : {false, true})
        readList(ledger, income, keyTable, learnt[income], typed[income]);

    // One shared text for every entry of the same category keeps a large plan small.
    std::set<QString> names;
    const auto shared = [&names](const QString &name) { return *names.insert(name).first; };
    std::vector<QByteArray> keys = importKeys::keysOf(transactions);
    importKeys::Lookup lookup(ledger);
    std::vector<QByteArray> textKeys;
    if (lookup.textKeys())
        textKeys = importKeys::keysOf(transactions, importKeys::KeyForm::Text);
    for (std::size_t i = 0; i < transactions.size(); ++i) {
        const BankTransaction &t = transactions[i];
        PlannedEntry &entry = plan.entries[i];
        QString name = t.transfer ? QString() : t.category;
        if (name.isEmpty())
            name = learnt[entry.income].categoryFor(t.payee);
        if (name.isEmpty())
            name = QLatin1String(kUncategorised);
        entry.name = shared(name);
        entry.particulars = particularsOf(t, entry.name);
        entry.key = std::move(keys[i]);
        if (!textKeys.empty())
            entry.textKey = std::move(textKeys[i]);
        if (entry.status == EntryStatus::New && lookup.inLedger(entry.key, entry.textKey))
            entry.status = EntryStatus::InLedger;
    }
    markTyped(plan.entries, units, typed, [&plan](std::size_t i) -> EntryStatus & { return plan.entries[i].status; });
    return plan;
}

PlanStatuses::PlanStatuses(const Connection &ledger, const ImportPlan &plan)
    : m_dayFirst(dayFirstDates())
{
    std::vector<std::pair<const QByteArray *, const QByteArray *>> keys;
    keys.reserve(plan.entries.size());
    m_units.reserve(plan.entries.size());
    const NumericReader numbers;
    for (const PlannedEntry &entry : plan.entries) {
        keys.emplace_back(&entry.key, &entry.textKey);
        m_units.push_back(amountUnits(numbers.read(entry.amount)).value_or(0));
    }
    m_written = importKeys::entriesOf(ledger, keys);
    m_imported = importKeys::importedEntries(ledger);
}

PlanStatuses::~PlanStatuses() = default;

std::vector<EntryStatus> PlanStatuses::statuses(const ImportPlan &plan, const RowStore &income, const RowStore &expenses) const
{
    std::vector<EntryStatus> statuses(plan.entries.size(), EntryStatus::New);
    // The entries the keys name, by list and number: in the ledger while a list holds them.
    std::array<std::unordered_multimap<long long, std::size_t>, 2> named;
    std::array<TypedEntries, 2> typed;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlannedEntry &entry = plan.entries[i];
        if (entry.status == EntryStatus::TooLarge) {
            statuses[i] = EntryStatus::TooLarge;
            continue;
        }
        for (const std::optional<importKeys::KeyedEntry> &written : m_written[i]) {
            if (written)
                named[written->income].emplace(written->srNo, i);
        }
        typed[entry.income].expect(m_units[i]);
    }
    for (const bool list : {false, true}) {
        const RowStore &rows = list ? income : expenses;
        for (int row = 0; row < rows.itemCount(); ++row) {
            const std::optional<long long> srNo = rows.recordAt(row);
            if (!srNo)
                continue;
            const auto [first, last] = named[list].equal_range(*srNo);
            for (auto it = first; it != last; ++it)
                statuses[it->second] = EntryStatus::InLedger;
            if (m_imported[list].count(*srNo) != 0)
                continue;
            const auto units = amountUnits(rows.exactAmountAt(row));
            if (!units || !typed[list].expected(*units))
                continue;
            if (const auto day = dateText::readUtf8(rows.cellUtf8(row, kDateColumn), m_dayFirst))
                typed[list].add(*units, QDate(day->year, day->month, day->day).toJulianDay());
        }
    }
    markTyped(plan.entries, m_units, typed, [&statuses](std::size_t i) -> EntryStatus & { return statuses[i]; });
    return statuses;
}

WriteError::WriteError(QString file, int line, const QString &what)
    : Error(line > 0 ? QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(what)
                     : QStringLiteral("%1: %2").arg(file, what)),
      m_file(std::move(file)),
      m_line(line)
{
}

QString undoText(std::size_t entries, const QString &fileName)
{
    return QStringLiteral("import of %1 %2 from %3")
        .arg(entries)
        .arg(entries == 1 ? QStringLiteral("entry") : QStringLiteral("entries"), fileName);
}

ImportResult writeImport(Ledger &ledger, const ImportPlan &plan, std::vector<std::size_t> chosen, bool undoable)
{
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::erase_if(chosen, [&plan](std::size_t i) { return plan.entries.at(i).status == EntryStatus::TooLarge; });
    ImportResult result;
    if (chosen.empty())
        return result;
    const auto text = [](QByteArray bytes) { return FieldValue{ValueType::Text, 0, 0, std::move(bytes)}; };
    // A statement has few days and fewer categories: each is made UTF-8 once and shared by its
    // entries, so a row costs the conversion of its particulars and amount only.
    std::unordered_map<qint64, QByteArray> days;
    QHash<QString, QByteArray> names;
    const auto dayText = [&days](const QDate &date) -> const QByteArray & {
        QByteArray &utf8 = days[date.toJulianDay()];
        if (utf8.isEmpty())
            utf8 = dateText::iso(date).toLatin1();
        return utf8;
    };
    const auto nameText = [&names](const QString &name) -> const QByteArray & {
        QByteArray &utf8 = names[name];
        if (utf8.isNull())
            utf8 = name.toUtf8();
        return utf8;
    };

    // One transaction: the first failure rolls everything back, and says at which transaction.
    std::size_t reached = 0;
    try {
        Ledger::Batch batch(ledger, undoable ? undoText(chosen.size(), plan.fileName) : QString());
        importKeys::prepareTable(batch);
        importKeys::Writer keys(batch);
        for (; reached < chosen.size(); ++reached) {
            const PlannedEntry &e = plan.entries.at(chosen[reached]);
            Parameters values;
            values.reserve(5); // and the number the batch puts first
            values.push_back(text(dayText(e.date)));
            values.push_back(text(nameText(e.name)));
            values.push_back(text(e.amount.toLatin1()));
            values.push_back(text(e.particulars.toUtf8()));
            if (batch.add(e.income, std::move(values)) != 1)
                throw Error(QStringLiteral("The entry was not added."));
            keys.write(e.key, e.income, batch.lastAdded());
            ++(e.income ? result.income : result.expenses);
        }
        batch.commit();
    } catch (const Error &error) {
        throw WriteError(plan.fileName, reached < chosen.size() ? plan.entries[chosen[reached]].line : 0,
                         error.description());
    }
    return result;
}

} // namespace tallymere::import
