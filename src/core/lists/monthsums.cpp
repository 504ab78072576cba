#include "core/lists/monthsums.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/text/datetext.h"
#include "core/text/numerictext.h"
#include "core/lists/rowstore.h"
#include "core/lists/textindex.h"
#include "core/settings/settings.h"

namespace tallymere {
namespace {

constexpr int kExpenses = 0;
constexpr int kIncome = 1;
// Dates have four-digit years, so every month key is below this.
constexpr int kKeyCount = 10000 * 12;

bool dayFirstNow() noexcept
{
    try {
        return settings::europeanDate();
    } catch (...) {
        return false;
    }
}

/// The month key of a stored date text, or kNoDate.
int monthKey(std::string_view date, bool dayFirst)
{
    const std::optional<dateText::Day> day = dateText::readUtf8(date, dayFirst);
    return day ? day->year * 12 + day->month - 1 : SummaryMonth::kNoDate;
}

/// The months of the date texts read so far: a ledger holds a few thousand distinct dates at
/// most, so nearly every row's date is one read before. A text of 8 to 16 bytes is told by its
/// length and its first and last 8 bytes, which together are all of it; each is remembered in
/// one of a few thousand places chosen by those bytes, a newer text taking an older one's place.
class DateMemo
{
public:
    DateMemo() : m_entries(std::make_unique<Entry[]>(kSize)) {}

    /// The remembered slot of `text`, or -1.
    std::int32_t find(std::string_view text)
    {
        if (text.size() < 8 || text.size() > 16)
            return -1;
        const Entry probe = entryOf(text, -1);
        const Entry &entry = m_entries[place(probe)];
        return entry.length == probe.length && entry.first == probe.first && entry.last == probe.last
            ? entry.slot
            : -1;
    }

    void remember(std::string_view text, std::int32_t slot)
    {
        if (text.size() < 8 || text.size() > 16)
            return;
        const Entry entry = entryOf(text, slot);
        m_entries[place(entry)] = entry;
    }

private:
    static constexpr std::size_t kBits = 12;
    static constexpr std::size_t kSize = std::size_t(1) << kBits;

    struct Entry {
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        std::uint32_t length = 0; // 0: an empty place
        std::int32_t slot = -1;
    };

    static Entry entryOf(std::string_view text, std::int32_t slot)
    {
        Entry entry;
        std::memcpy(&entry.first, text.data(), 8);
        std::memcpy(&entry.last, text.data() + text.size() - 8, 8);
        entry.length = std::uint32_t(text.size());
        entry.slot = slot;
        return entry;
    }

    static std::size_t place(const Entry &entry)
    {
        const std::uint64_t mixed = (entry.first * 0x9E3779B97F4A7C15ULL) ^ (entry.last * 0xC2B2AE3D27D4EB4FULL) ^ entry.length;
        return std::size_t((mixed * 0x9E3779B97F4A7C15ULL) >> (64 - kBits));
    }

    std::unique_ptr<Entry[]> m_entries;
};

} // namespace

QString SummaryMonth::label() const
{
    if (key == kNoDate)
        return QStringLiteral("No date");
    return QString::asprintf("%04d-%02d", key / 12, key % 12 + 1);
}

MonthSums::MonthSums(RowStore &income, RowStore &expenses, QObject *parent)
    : QObject(parent), m_slotOfKey(kKeyCount, -1)
{
    m_tables[kExpenses].rows = &expenses;
    m_tables[kIncome].rows = &income;
    m_slots.emplace_back(); // "No date"
    watch(kExpenses);
    watch(kIncome);
}

MonthSums::~MonthSums() = default;

void MonthSums::watch(int table)
{
    RowStore *rows = m_tables[std::size_t(table)].rows;
    // A row about to go is noted while it is still there: its month needs summing again.
    connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this, table](const QModelIndex &, int first, int last) { markDirty(table, first, last); });
    connect(rows, &QAbstractItemModel::rowsRemoved, this,
            [this, table](const QModelIndex &, int first, int last) { noteRemoved(table, first, last); });
    connect(rows, &QAbstractItemModel::rowsInserted, this,
            [this, table](const QModelIndex &, int first, int last) { noteInserted(table, first, last); });
    connect(rows, &QAbstractItemModel::dataChanged, this,
            [this, table](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                noteChanged(table, topLeft.row(), bottomRight.row());
            });
    connect(rows, &QAbstractItemModel::modelReset, this, [this, table] { noteWhole(table); });
    connect(rows, &QAbstractItemModel::layoutChanged, this, [this, table] { noteWhole(table); });
    connect(rows, &QAbstractItemModel::rowsMoved, this, [this, table] { noteWhole(table); });
}

std::int32_t MonthSums::slotFor(int key)
{
    if (key < 0 || key >= kKeyCount)
        return 0;
    std::int32_t &slot = m_slotOfKey[std::size_t(key)];
    if (slot < 0) {
        slot = std::int32_t(m_slots.size());
        m_slots.push_back(Slot{key, {}, {}, {}});
    }
    return slot;
}

std::int32_t MonthSums::slotOfRowCreating(const RowStore &rows, int row)
{
    if (rows.columnCount() <= kDateColumn)
        return 0;
    return slotFor(monthKey(rows.cellUtf8(row, kDateColumn), m_dayFirst));
}

void MonthSums::readWhole(int table)
{
    Table &t = m_tables[std::size_t(table)];
    const RowStore &rows = *t.rows;
    for (Slot &slot : m_slots) {
        slot.sum[std::size_t(table)] = DecimalSum();
        slot.entries[std::size_t(table)] = 0;
        slot.dirty[std::size_t(table)] = false;
    }
    const int count = rows.itemCount();
    t.slotOf.assign(std::size_t(count), 0);
    const bool dated = rows.columnCount() > kDateColumn;
    // The one pass over the list: a date read in place (or found among those read before), an
    // amount added in row order as the total adds it.
    DateMemo memo;
    for (int row = 0; row < count; ++row) {
        std::int32_t slot = 0;
        if (dated) {
            const std::string_view date = rows.cellUtf8(row, kDateColumn);
            slot = memo.find(date);
            if (slot < 0) {
                slot = slotFor(monthKey(date, m_dayFirst));
                memo.remember(date, slot);
            }
        }
        t.slotOf[std::size_t(row)] = slot;
        Slot &month = m_slots[std::size_t(slot)];
        ++month.entries[std::size_t(table)];
        if (const std::optional<Amount> amount = rows.exactAmountAt(row))
            month.sum[std::size_t(table)].add(*amount);
    }
    t.whole = false;
}

void MonthSums::sumDirtyMonths(int table)
{
    const auto which = std::size_t(table);
    if (std::none_of(m_slots.begin(), m_slots.end(), [which](const Slot &s) { return s.dirty[which]; }))
        return;
    for (Slot &slot : m_slots) {
        if (slot.dirty[which]) {
            slot.sum[which] = DecimalSum();
            slot.entries[which] = 0;
        }
    }
    // The months touched are summed again from their first row, in row order, so they come out
    // exactly as a whole reading would give them.
    const Table &t = m_tables[which];
    const RowStore &rows = *t.rows;
    const std::int32_t *slotOf = t.slotOf.data();
    const int count = int(t.slotOf.size());
    for (int row = 0; row < count; ++row) {
        Slot &month = m_slots[std::size_t(slotOf[row])];
        if (!month.dirty[which])
            continue;
        ++month.entries[which];
        if (const std::optional<Amount> amount = rows.exactAmountAt(row))
            month.sum[which].add(*amount);
    }
    for (Slot &slot : m_slots)
        slot.dirty[which] = false;
}

void MonthSums::markDirty(int table, int first, int last)
{
    Table &t = m_tables[std::size_t(table)];
    if (t.whole || last >= int(t.slotOf.size()) || first < 0) {
        t.whole = true;
        return;
    }
    for (int row = first; row <= last; ++row)
        m_slots[std::size_t(t.slotOf[std::size_t(row)])].dirty[std::size_t(table)] = true;
}

void MonthSums::noteRemoved(int table, int first, int last)
{
    Table &t = m_tables[std::size_t(table)];
    if (!t.whole)
        t.slotOf.erase(t.slotOf.begin() + first, t.slotOf.begin() + last + 1);
    emit listsChanged();
}

void MonthSums::noteInserted(int table, int first, int last)
{
    Table &t = m_tables[std::size_t(table)];
    if (!t.whole && first >= 0 && first <= int(t.slotOf.size())) {
        std::vector<std::int32_t> added;
        for (int row = first; row <= last; ++row) {
            added.push_back(slotOfRowCreating(*t.rows, row));
            m_slots[std::size_t(added.back())].dirty[std::size_t(table)] = true;
        }
        t.slotOf.insert(t.slotOf.begin() + first, added.begin(), added.end());
    } else {
        t.whole = true;
    }
    emit listsChanged();
}

void MonthSums::noteChanged(int table, int first, int last)
{
    Table &t = m_tables[std::size_t(table)];
    markDirty(table, first, last);
    if (!t.whole) {
        for (int row = first; row <= last; ++row) {
            const std::int32_t slot = slotOfRowCreating(*t.rows, row);
            t.slotOf[std::size_t(row)] = slot;
            m_slots[std::size_t(slot)].dirty[std::size_t(table)] = true;
        }
    }
    emit listsChanged();
}

void MonthSums::noteWhole(int table)
{
    m_tables[std::size_t(table)].whole = true;
    emit listsChanged();
}

void MonthSums::refresh()
{
    const bool dayFirst = dayFirstNow();
    if (dayFirst != m_dayFirst) {
        m_dayFirst = dayFirst;
        for (Table &t : m_tables)
            t.whole = true;
    }
    for (Table &t : m_tables) {
        if (t.slotOf.size() != std::size_t(t.rows->itemCount()))
            t.whole = true;
    }
    if (m_tables[kExpenses].whole && m_tables[kIncome].whole) {
        // Both lists are read again: months that no longer have an entry leave no slot behind.
        for (const Slot &slot : m_slots) {
            if (slot.key >= 0)
                m_slotOfKey[std::size_t(slot.key)] = -1;
        }
        m_slots.assign(1, Slot{});
    }
    for (int table : {kExpenses, kIncome}) {
        if (m_tables[std::size_t(table)].whole)
            readWhole(table);
        else
            sumDirtyMonths(table);
    }

    m_months.clear();
    for (const Slot &slot : m_slots) {
        if (slot.entries[kExpenses] + slot.entries[kIncome] > 0)
            m_months.push_back(SummaryMonth{slot.key, slot.sum[kIncome], slot.sum[kExpenses]});
    }
    // Newest first; "No date" (the lowest key) last.
    std::sort(m_months.begin(), m_months.end(),
              [](const SummaryMonth &a, const SummaryMonth &b) { return a.key > b.key; });
}

std::vector<SummaryRow> MonthSums::tableRows(const DecimalSum &totalIncome, const DecimalSum &totalExpenses) const
{
    std::vector<SummaryRow> rows;
    rows.reserve(m_months.size() + 1);
    for (const SummaryMonth &month : m_months) {
        rows.push_back({month.label(), month.income.text(), month.expenses.text(),
                        balanceText(month.income, month.expenses)});
    }
    // The grand totals are the ledger's own, written by the same functions as the Report frame.
    rows.push_back({QStringLiteral("All"), totalIncome.text(), totalExpenses.text(),
                    balanceText(totalIncome, totalExpenses)});
    return rows;
}

std::vector<SummaryShare> MonthSums::shares(bool income, std::optional<int> key) const
{
    const Table &t = m_tables[income ? kIncome : kExpenses];
    const RowStore &rows = *t.rows;
    if (rows.columnCount() <= kNameColumn || t.slotOf.size() != std::size_t(rows.itemCount()))
        return {};
    std::int32_t wanted = -1;
    if (key) {
        wanted = *key >= 0 && *key < kKeyCount ? m_slotOfKey[std::size_t(*key)] : 0;
        if (wanted < 0)
            return {};
    }
    std::vector<int> counted;
    const int count = rows.itemCount();
    for (int row = 0; row < count; ++row) {
        if ((!key || t.slotOf[std::size_t(row)] == wanted) && rows.exactAmountAt(row))
            counted.push_back(row);
    }
    // Names are told apart by their bytes; a QString is made once per name, not per row.
    TextIndex names;
    std::vector<std::pair<std::string_view, DecimalSum>> sums;
    // A month's rows lie far apart in the list: each is fetched a few rows ahead of its reading.
    constexpr std::size_t kAhead = 32;
    for (std::size_t i = 0; i < counted.size(); ++i) {
        if (i + kAhead < counted.size())
            rows.prefetchRow(counted[i + kAhead]);
        const int row = counted[i];
        const std::string_view name = rows.cellUtf8(row, kNameColumn);
        const std::uint32_t number = names.add(name);
        if (number == sums.size())
            sums.emplace_back(name, DecimalSum());
        sums[number].second.add(*rows.exactAmountAt(row));
    }
    std::vector<SummaryShare> result;
    result.reserve(sums.size());
    for (const auto &[name, amount] : sums)
        result.push_back({QString::fromUtf8(name.data(), qsizetype(name.size())), amount.toDouble()});
    std::stable_sort(result.begin(), result.end(),
                     [](const SummaryShare &a, const SummaryShare &b) { return a.amount > b.amount; });
    return result;
}

} // namespace tallymere
