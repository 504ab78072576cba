#pragma once

#include <array>
#include <optional>

#include <QWidget>

#include "core/lists/monthsums.h"
#include "ui/controls/idlecall.h"
#include "ui/windows/modelesswindow.h"

class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace tallymere {

class Ledger;
class MonthTable;

/// The Monthly Summary window: where the money goes, month by month. A table of the months
/// (Month, Income, Expenses, Balance; "All" last, equal to the Report frame's totals), the
/// income and expenses of the twelve months up to the selected row as grouped bars, and the
/// selected month's expenses by category and income by source as horizontal bars, largest
/// first. Over an empty ledger a sentence stands in for the charts.
///
/// It follows the ledger's lists while it is open: every fill and change of a row, and every
/// writing of the totals, brings one refresh once the program is idle again, however many came
/// at once. Modeless; the main window keeps at most one, and takes its font and colours.
class MonthlySummary : public ModelessWindow
{
    Q_OBJECT

public:
    /// Builds the window over `ledger`, owned by `mainWindow` (whose font and colours it takes);
    /// Form_Load has not run yet.
    MonthlySummary(Ledger &ledger, QWidget *mainWindow);
    ~MonthlySummary() override;

    /// Caption, icon, look, and the first reading of the lists.
    void Form_Load();
    /// Send Summary To Excel: the month table into a new workbook of the spreadsheet program,
    /// months as text, amounts as numbers, "All" last.
    void sendSummaryToExcel();

    /// A refresh once the program is idle again; many requests before then make one refresh.
    void scheduleRefresh();
    /// Reads the lists now, if anything changed since the last reading.
    void refreshNow();

    QTableView *table() const noexcept { return m_table; }
    const MonthTable &months() const noexcept { return *m_model; }
    /// The charts: the twelve months, the selected month's expenses, and its income.
    QChart *monthsChart() const noexcept { return m_monthsChart; }
    QChart *expensesChart() const noexcept { return m_expensesChart; }
    QChart *incomeChart() const noexcept { return m_incomeChart; }
    /// True when the charts are shown (the ledger has entries), false when the sentence is.
    bool chartsShown() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The month key of the selected row; nothing for "No date" and "All".
    std::optional<int> selectedKey() const;
    int selectedRow() const;
    void selectRow(int row);
    void showCharts();
    void showMonths();
    void showShares(bool income);
    /// Font and colours of the main window, on the window and its charts.
    void followMainWindow();
    void dressChart(QChart *chart) const;

    QWidget *m_mainWindow;
    Ledger &m_ledger;
    MonthSums m_summary;
    MonthTable *m_model;
    QTableView *m_table;
    QStackedWidget *m_pages;
    QLabel *m_nothingYet;
    QChart *m_monthsChart;
    QChart *m_expensesChart;
    QChart *m_incomeChart;
    std::array<QChartView *, 3> m_chartViews{};
    QPushButton *m_sendToExcel;
    IdleCall m_refresh{this, [this] { refreshNow(); }};
    bool m_refreshing = false;
};

} // namespace tallymere
