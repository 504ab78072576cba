#include "core/lists/foundentries.h"

#include <algorithm>
#include <functional>

#include "core/errors/error.h"
#include "core/lists/rowstore.h"

namespace tallymere {

FoundEntries::FoundEntries(EntryFinder &finder, QObject *parent) : ListRows(parent), m_finder(finder)
{
    followRowChanges(&finder, this,
                     {.aboutToBeReset = [this] { beginResetModel(); },
                      .reset = [this] { searchAgain(); },
                      .inserted = std::bind_front(&FoundEntries::rowsInserted, this),
                      .aboutToBeRemoved = std::bind_front(&FoundEntries::rowsAboutToBeRemoved, this),
                      .removed = std::bind_front(&FoundEntries::rowsRemoved, this),
                      .changed = std::bind_front(&FoundEntries::rowsChanged, this)});
}

void FoundEntries::setQuery(const FindQuery &query)
{
    beginResetModel();
    m_query = query;
    searchAgain();
}

void FoundEntries::searchAgain()
{
    // One buffer, kept from search to search: a keystroke that finds a million entries would
    // otherwise fault in fresh pages for them each time.
    m_found.clear();
    m_finder.findRows(m_query, m_found);
    endResetModel();
    sum();
}

std::size_t FoundEntries::placeOf(int row) const
{
    return std::size_t(std::lower_bound(m_found.begin(), m_found.end(), std::uint32_t(row)) - m_found.begin());
}

int FoundEntries::rowOf(bool income, int row) const
{
    const int wanted = m_finder.rowOf({std::uint32_t(row), income});
    const std::size_t place = placeOf(wanted);
    return place < m_found.size() && int(m_found[place]) == wanted ? int(place) : -1;
}

void FoundEntries::sum()
{
    // As a fill sums a list: exactly, what is not numeric left out. A sum holds thousands of
    // millions of amounts, far more than the lists can.
    const std::size_t firstExpense = placeOf(m_finder.rowOf({0, false}));
    for (const bool income : {true, false}) {
        const RowStore &list = m_finder.list(income);
        DecimalSum sum;
        try {
            for (std::size_t i = income ? 0 : firstExpense; i < (income ? firstExpense : m_found.size()); ++i) {
                if (const std::optional<Amount> amount = list.exactAmountAt(int(entryAt(int(i)).row)))
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

void FoundEntries::rowsAboutToBeRemoved(int first, int last)
{
    // The results go while the lists still hold their rows, so a view can still read them.
    m_removing = {placeOf(first), placeOf(last + 1)};
    if (m_removing.first < m_removing.second)
        beginRemoveRows({}, int(m_removing.first), int(m_removing.second) - 1);
}

void FoundEntries::rowsRemoved(int first, int last)
{
    const auto [begin, end] = std::exchange(m_removing, {0, 0});
    m_found.erase(m_found.begin() + std::ptrdiff_t(begin), m_found.begin() + std::ptrdiff_t(end));
    for (std::size_t i = begin; i < m_found.size(); ++i)
        m_found[i] -= std::uint32_t(last - first + 1);
    if (begin < end)
        endRemoveRows();
    sum();
}

void FoundEntries::rowsInserted(int first, int last)
{
    const std::size_t place = placeOf(first);
    for (std::size_t i = place; i < m_found.size(); ++i)
        m_found[i] += std::uint32_t(last - first + 1);
    std::vector<std::uint32_t> added;
    for (int row = first; row <= last; ++row) {
        if (m_finder.matches(m_query, row))
            added.push_back(std::uint32_t(row));
    }
    if (!added.empty()) {
        beginInsertRows({}, int(place), int(place + added.size()) - 1);
        m_found.insert(m_found.begin() + std::ptrdiff_t(place), added.begin(), added.end());
        endInsertRows();
    }
    sum();
}

void FoundEntries::rowsChanged(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const int place = int(placeOf(row));
        const bool found = place < itemCount() && int(m_found[std::size_t(place)]) == row;
        const bool match = m_finder.matches(m_query, row);
        if (found && match) {
            emit dataChanged(index(place, 0), index(place, kColumns - 1));
        } else if (found) {
            beginRemoveRows({}, place, place);
            m_found.erase(m_found.begin() + place);
            endRemoveRows();
        } else if (match) {
            beginInsertRows({}, place, place);
            m_found.insert(m_found.begin() + place, std::uint32_t(row));
            endInsertRows();
        }
    }
    sum();
}

QString FoundEntries::subItem(int item, int index) const
{
    if (item < 1 || item > itemCount())
        throw Error(QStringLiteral("List item %1 does not exist.").arg(item));
    return m_finder.subItem(int(m_found[std::size_t(item - 1)]) + 1, index);
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
    if (!index.isValid() || index.row() >= itemCount())
        return {};
    return m_finder.data(m_finder.index(chosenRow(index.row()), index.column()), role);
}

QVariant FoundEntries::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_finder.headerData(section, orientation, role);
}

} // namespace tallymere
