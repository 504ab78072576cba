#include "core/lists/foundentries.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/errors/error.h"
#include "core/lists/rowstore.h"

namespace tallymere {
namespace {

constexpr std::array<const char *, FoundEntries::kColumns> kHeaders{
    "ID", "Date", "Income or Expense", "Source or Category", "Amount", "Particulars"};

constexpr std::string_view kIncome = "Income";
constexpr std::string_view kExpense = "Expense";

/// The column of the ledger's list that a column of the results shows.
int listColumn(int column)
{
    switch (column) {
    case FoundEntries::kRecordColumn:
        return tallymere::kRecordColumn;
    case FoundEntries::kDateColumn:
        return tallymere::kDateColumn;
    case FoundEntries::kNameColumn:
        return tallymere::kNameColumn;
    case FoundEntries::kAmountColumn:
        return tallymere::kAmountColumn;
    case FoundEntries::kParticularsColumn:
        return tallymere::kParticularsColumn;
    default:
        return -1;
    }
}

/// Income entries come before expense entries, each list's in list order.
bool before(const FoundEntry &a, const FoundEntry &b)
{
    return a.income != b.income ? a.income : a.row < b.row;
}

} // namespace

FoundEntries::FoundEntries(EntryFinder &finder, QObject *parent) : ListRows(parent), m_finder(finder)
{
    connect(&finder, &EntryFinder::aboutToBeReset, this, &FoundEntries::listAboutToBeReset);
    connect(&finder, &EntryFinder::reset, this, &FoundEntries::listReset);
    connect(&finder, &EntryFinder::rowsAboutToBeRemoved, this, &FoundEntries::rowsAboutToBeRemoved);
    connect(&finder, &EntryFinder::rowsRemoved, this, &FoundEntries::rowsRemoved);
    connect(&finder, &EntryFinder::rowsInserted, this, &FoundEntries::rowsInserted);
    connect(&finder, &EntryFinder::rowsChanged, this, &FoundEntries::rowsChanged);
}

void FoundEntries::setQuery(const FindQuery &query)
{
    // The results of the search before keep their memory for the next: a keystroke that finds a
    // million entries would otherwise fault in fresh pages for them each time.
    std::vector<FoundEntry> found = std::move(m_spare);
    found.clear();
    for (const bool income : {true, false})
        m_finder.findIn(query, income, found);
    // Typing on narrows the results: each one found now was found before. A sorted view keeps
    // its order then and only leaves rows out, rather than sorting a million rows again.
    m_kept.assign(m_found.size(), -1);
    m_keptValid = true;
    std::size_t old = 0;
    for (std::size_t now = 0; now < found.size() && m_keptValid; ++now) {
        while (old < m_found.size() && before(m_found[old], found[now]))
            ++old;
        m_keptValid = old < m_found.size() && m_found[old] == found[now];
        if (m_keptValid)
            m_kept[old++] = int(now);
    }
    beginResetModel();
    m_query = query;
    m_spare = std::exchange(m_found, std::move(found));
    endResetModel();
    m_keptValid = false;
    sum();
}

std::pair<std::size_t, std::size_t> FoundEntries::rangeOf(bool income) const
{
    const auto firstExpense = std::size_t(
        std::partition_point(m_found.begin(), m_found.end(), [](const FoundEntry &e) { return e.income; })
        - m_found.begin());
    return income ? std::pair{std::size_t(0), firstExpense} : std::pair{firstExpense, m_found.size()};
}

int FoundEntries::rowOf(bool income, int row) const
{
    const FoundEntry wanted{std::uint32_t(row), income};
    const auto at = std::lower_bound(m_found.begin(), m_found.end(), wanted, before);
    return at != m_found.end() && *at == wanted ? int(at - m_found.begin()) : -1;
}

void FoundEntries::sum()
{
    // As a fill sums a list: exactly, what is not numeric left out. A sum holds thousands of
    // millions of amounts, far more than the lists can.
    for (const bool income : {true, false}) {
        const auto [first, last] = rangeOf(income);
        const RowStore &list = m_finder.list(income);
        DecimalSum sum;
        try {
            for (std::size_t i = first; i < last; ++i) {
                if (const std::optional<Amount> amount = list.exactAmountAt(int(m_found[i].row)))
                    sum.add(*amount);
            }
        } catch (...) {
            // Beyond any ledger: the sum stands as far as it could go.
        }
        (income ? m_incomeSum : m_expenseSum) = sum;
    }
    emit resultsChanged();
}

QString FoundEntries::countLine() const
{
    const std::size_t count = m_found.size();
    return QStringLiteral("%1 %2 \u2013 Income: %3   Expenses: %4")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("entry") : QStringLiteral("entries"), m_incomeSum.text(),
             m_expenseSum.text());
}

void FoundEntries::listAboutToBeReset(bool income)
{
    if (!m_query.looksIn(income) || m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void FoundEntries::listReset(bool income)
{
    if (!m_query.looksIn(income))
        return;
    if (!m_resetting)
        beginResetModel();
    const auto [first, last] = rangeOf(income);
    m_found.erase(m_found.begin() + std::ptrdiff_t(first), m_found.begin() + std::ptrdiff_t(last));
    std::vector<FoundEntry> again;
    m_finder.findIn(m_query, income, again);
    m_found.insert(income ? m_found.begin() : m_found.end(), again.begin(), again.end());
    m_resetting = false;
    endResetModel();
    sum();
}

void FoundEntries::shift(bool income, int from, int count)
{
    const auto [first, last] = rangeOf(income);
    for (std::size_t i = first; i < last; ++i) {
        if (int(m_found[i].row) >= from)
            m_found[i].row = std::uint32_t(int(m_found[i].row) + count);
    }
}

void FoundEntries::rowsAboutToBeRemoved(bool income, int first, int last)
{
    // The results go while the list still holds their rows, so a view can still read them.
    const auto begin = std::lower_bound(m_found.begin(), m_found.end(), FoundEntry{std::uint32_t(first), income}, before);
    const auto end = std::lower_bound(begin, m_found.end(), FoundEntry{std::uint32_t(last) + 1, income}, before);
    m_removing = {std::size_t(begin - m_found.begin()), std::size_t(end - m_found.begin())};
    if (m_removing.first < m_removing.second)
        beginRemoveRows({}, int(m_removing.first), int(m_removing.second) - 1);
}

void FoundEntries::rowsRemoved(bool income, int first, int last)
{
    const auto [begin, end] = std::exchange(m_removing, {0, 0});
    if (begin < end)
        m_found.erase(m_found.begin() + std::ptrdiff_t(begin), m_found.begin() + std::ptrdiff_t(end));
    shift(income, last + 1, -(last - first + 1));
    if (begin < end)
        endRemoveRows();
    sum();
}

void FoundEntries::rowsInserted(bool income, int first, int last)
{
    shift(income, first, last - first + 1);
    std::vector<FoundEntry> added;
    for (int row = first; row <= last; ++row) {
        if (m_finder.matches(m_query, income, row))
            added.push_back({std::uint32_t(row), income});
    }
    if (!added.empty()) {
        const auto at = std::lower_bound(m_found.begin(), m_found.end(), added.front(), before);
        const int place = int(at - m_found.begin());
        beginInsertRows({}, place, place + int(added.size()) - 1);
        m_found.insert(m_found.begin() + place, added.begin(), added.end());
        endInsertRows();
    }
    sum();
}

void FoundEntries::rowsChanged(bool income, int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const int place = rowOf(income, row);
        const bool match = m_finder.matches(m_query, income, row);
        if (place >= 0 && match) {
            emit dataChanged(index(place, 0), index(place, kColumns - 1));
        } else if (place >= 0) {
            beginRemoveRows({}, place, place);
            m_found.erase(m_found.begin() + place);
            endRemoveRows();
        } else if (match) {
            const FoundEntry entry{std::uint32_t(row), income};
            const int at = int(std::lower_bound(m_found.begin(), m_found.end(), entry, before) - m_found.begin());
            beginInsertRows({}, at, at);
            m_found.insert(m_found.begin() + at, entry);
            endInsertRows();
        }
    }
    sum();
}

QString FoundEntries::columnHeaderText(int index) const
{
    if (index < 1 || index > kColumns)
        throw Error(QStringLiteral("Column header %1 does not exist.").arg(index));
    return QLatin1String(kHeaders[std::size_t(index - 1)]);
}

QString FoundEntries::subItem(int item, int index) const
{
    if (item < 1 || item > itemCount())
        throw Error(QStringLiteral("List item %1 does not exist.").arg(item));
    if (index < 1 || index >= kColumns)
        throw Error(QStringLiteral("Sub-item %1 does not exist.").arg(index));
    const std::string_view cell = cellUtf8(item - 1, index);
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

std::string_view FoundEntries::cellUtf8(int row, int column) const
{
    const FoundEntry entry = m_found[std::size_t(row)];
    if (column == kKindColumn)
        return entry.income ? kIncome : kExpense;
    const RowStore &list = m_finder.list(entry.income);
    const int from = listColumn(column);
    if (from < 0 || from >= list.columnHeaderCount() || int(entry.row) >= list.itemCount())
        return {};
    return list.cellUtf8(int(entry.row), from);
}

double FoundEntries::amountAt(int row) const noexcept
{
    const FoundEntry entry = m_found[std::size_t(row)];
    const RowStore &list = m_finder.list(entry.income);
    return int(entry.row) < list.itemCount() ? list.amountAt(int(entry.row)) : std::nan("");
}

int FoundEntries::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : itemCount();
}

int FoundEntries::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant FoundEntries::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole && index.isValid() && index.column() == kAmountColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= itemCount())
        return {};
    const std::string_view cell = cellUtf8(index.row(), index.column());
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

QVariant FoundEntries::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal && section == kAmountColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return QLatin1String(kHeaders[std::size_t(section)]);
}

} // namespace tallymere
