#pragma once

#include <vector>

#include <QAbstractTableModel>

#include "core/lists/monthsums.h"

namespace tallymere {

/// The month table of the summary window: exactly the four columns Month, Income, Expenses and
/// Balance, one row per month, "All" last. The view's accessible table reads these cells.
class MonthTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit MonthTable(QObject *parent = nullptr);

    /// Shows `rows`. When the months are the same as before only the changed cells are told, so
    /// a selection stays where it is; otherwise the table is new.
    void setRows(std::vector<SummaryRow> rows);
    const std::vector<SummaryRow> &rows() const noexcept { return m_rows; }

    /// The column headers, in order.
    static QStringList headers();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<SummaryRow> m_rows;
};

} // namespace tallymere
