#include "ui/import/importtable.h"

#include <QBrush>
#include <QPalette>

#include "core/text/datetext.h"

namespace tallymere {

using import::EntryStatus;

ImportTable::ImportTable(QObject *parent) : QAbstractTableModel(parent) {}

void ImportTable::setPlan(import::ImportPlan plan)
{
    beginResetModel();
    m_plan = std::move(plan);
    const auto &entries = m_plan.entries;
    const auto &leftOut = m_plan.leftOut;
    m_checked.assign(entries.size(), 0);
    m_amounts.assign(entries.size(), Amount::packedNone());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        m_checked[i] = entries[i].status == EntryStatus::New;
        const QByteArray amount = entries[i].amount.toLatin1();
        if (const auto value = Amount::fromPlainDecimal(std::string_view(amount.constData(), std::size_t(amount.size()))))
            m_amounts[i] = value->packed();
    }
    // The rows in the file's order: a left-out row stands before the transaction after it.
    m_rows.clear();
    m_rows.reserve(entries.size() + leftOut.size());
    std::size_t out = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (; out < leftOut.size() && leftOut[out].line < entries[i].line; ++out)
            m_rows.push_back(-1 - int(out));
        m_rows.push_back(int(i));
    }
    for (; out < leftOut.size(); ++out)
        m_rows.push_back(-1 - int(out));
    endResetModel();
    emit checksChanged();
}

void ImportTable::setStatuses(const std::vector<EntryStatus> &statuses)
{
    bool changed = false;
    for (std::size_t i = 0; i < statuses.size() && i < m_plan.entries.size(); ++i) {
        EntryStatus &status = m_plan.entries[i].status;
        if (status == statuses[i])
            continue;
        status = statuses[i];
        m_checked[i] = status == EntryStatus::New;
        changed = true;
    }
    if (!changed || m_rows.empty())
        return;
    emit dataChanged(index(0, kImportColumn), index(rowCount() - 1, kStatusColumn),
                     {Qt::DisplayRole, Qt::CheckStateRole, Qt::ForegroundRole});
    emit checksChanged();
}

std::vector<std::size_t> ImportTable::checkedEntries() const
{
    std::vector<std::size_t> checked;
    for (std::size_t i = 0; i < m_checked.size(); ++i) {
        if (m_checked[i])
            checked.push_back(i);
    }
    return checked;
}

ImportTable::Sums ImportTable::checkedSums() const
{
    Sums sums;
    for (std::size_t i = 0; i < m_checked.size(); ++i) {
        if (!m_checked[i])
            continue;
        // An amount too large for the totals counts for nothing, as in the lists.
        const auto amount = Amount::unpacked(m_amounts[i]);
        if (m_plan.entries[i].income) {
            if (amount)
                sums.income.add(*amount);
            ++sums.incomeCount;
        } else {
            if (amount)
                sums.expenses.add(*amount);
            ++sums.expenseCount;
        }
    }
    return sums;
}

int ImportTable::entryAt(int row) const noexcept
{
    return row >= 0 && row < int(m_rows.size()) ? std::max(m_rows[std::size_t(row)], -1) : -1;
}

int ImportTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ImportTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kStatusColumn + 1;
}

QVariant ImportTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int at = m_rows[std::size_t(index.row())];
    if (at < 0) {
        const import::LeftOut &row = m_plan.leftOut[std::size_t(-1 - at)];
        if (role == Qt::ForegroundRole)
            return QPalette().brush(QPalette::Disabled, QPalette::Text);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case kParticularsColumn: return row.text;
        case kStatusColumn: return QStringLiteral("left out: no amount");
        default: return {};
        }
    }
    const import::PlannedEntry &e = m_plan.entries[std::size_t(at)];
    const bool leftOut = e.status == EntryStatus::TooLarge;
    if (role == Qt::ForegroundRole && leftOut)
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
    if (role == Qt::CheckStateRole && index.column() == kImportColumn && !leftOut)
        return m_checked[std::size_t(at)] ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::TextAlignmentRole && index.column() == kAmountColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case kDateColumn: return dateText::iso(e.date);
    case kKindColumn: return e.income ? QStringLiteral("Income") : QStringLiteral("Expense");
    case kNameColumn: return e.name;
    case kAmountColumn: return e.amount;
    case kParticularsColumn: return e.particulars;
    case kStatusColumn: return import::statusText(e.status);
    default: return {};
    }
}

bool ImportTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int at = index.isValid() ? m_rows[std::size_t(index.row())] : -1;
    if (at < 0 || m_plan.entries[std::size_t(at)].status == EntryStatus::TooLarge)
        return false;
    if (index.column() == kImportColumn && role == Qt::CheckStateRole) {
        m_checked[std::size_t(at)] = value.value<Qt::CheckState>() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit checksChanged();
        return true;
    }
    if (index.column() == kNameColumn && role == Qt::EditRole) {
        // An entry is never saved without its source or category.
        const QString name = value.toString().trimmed();
        if (name.isEmpty())
            return false;
        m_plan.entries[std::size_t(at)].name = name;
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
    return false;
}

Qt::ItemFlags ImportTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int at = m_rows[std::size_t(index.row())];
    if (at < 0 || m_plan.entries[std::size_t(at)].status == EntryStatus::TooLarge)
        return flags;
    if (index.column() == kImportColumn)
        flags |= Qt::ItemIsUserCheckable;
    if (index.column() == kNameColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant ImportTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kImportColumn: return QStringLiteral("Import");
    case kDateColumn: return QStringLiteral("Date");
    case kKindColumn: return QStringLiteral("Income or Expense");
    case kNameColumn: return QStringLiteral("Source or Category");
    case kAmountColumn: return QStringLiteral("Amount");
    case kParticularsColumn: return QStringLiteral("Particulars");
    case kStatusColumn: return QStringLiteral("Status");
    default: return {};
    }
}

} // namespace tallymere
