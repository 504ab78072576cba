#include "ui/summary/monthtable.h"

#include <algorithm>

namespace tallymere {
namespace {

const QString &cell(const SummaryRow &row, int column)
{
    switch (column) {
    case 0:
        return row.month;
    case 1:
        return row.income;
    case 2:
        return row.expenses;
    default:
        return row.balance;
    }
}

} // namespace

MonthTable::MonthTable(QObject *parent) : QAbstractTableModel(parent) {}

QStringList MonthTable::headers()
{
    return {QStringLiteral("Month"), QStringLiteral("Income"), QStringLiteral("Expenses"), QStringLiteral("Balance")};
}

void MonthTable::setRows(std::vector<SummaryRow> rows)
{
    const bool sameMonths = rows.size() == m_rows.size()
        && std::equal(rows.begin(), rows.end(), m_rows.begin(),
                      [](const SummaryRow &a, const SummaryRow &b) { return a.month == b.month; });
    if (!sameMonths) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SummaryRow &row = m_rows[i];
        if (row.income == rows[i].income && row.expenses == rows[i].expenses && row.balance == rows[i].balance)
            continue;
        row = std::move(rows[i]);
        emit dataChanged(index(int(i), 1), index(int(i), 3));
    }
}

int MonthTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MonthTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant MonthTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cell(m_rows[std::size_t(index.row())], index.column());
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant MonthTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return headers().at(section);
    if (role == Qt::TextAlignmentRole)
        return section == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

} // namespace tallymere
