// The monthly summary and the sorted lists at the size of a ledger kept for decades: the month
// table and the charts' data against one pass over the stored rows in the same run, the live
// update after one save, and a sort of a list by each kind of column.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <stdexcept>

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QLineEdit>
#include <QTemporaryDir>

#include "ui/app/form1.h"
#include "benchledger.h"
#include "ui/controls/sortedrows.h"
#include "ui/entries/form2.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "core/ledger/modexpense.h"
#include "core/lists/monthsums.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "ui/summary/monthlysummary.h"

namespace tallymere {
namespace {

constexpr int kRows = 1'000'000;

/// Stands in for the main window where only the ledger is needed: the pointer and the totals'
/// captions go nowhere.
class NoWindow : public MainWindow
{
public:
    int MousePointer() const override { return 0; }
    void setMousePointer(int) override {}
    void setTotalCaptions(const QString &, const QString &, const QString &) override {}
};

/// The cached ledger of kRows entries per table, its two lists read once for all the benchmarks
/// that only read them.
class LoadedLedger
{
public:
    static Ledger &get()
    {
        static LoadedLedger loaded;
        return loaded.m_ledger;
    }

private:
    LoadedLedger() : m_ledger(&m_window)
    {
        platform::setMessageBoxHandler([](const QString &text, int, const QString &) -> int {
            throw std::runtime_error(text.toStdString()); // a benchmark never shows a box
        });
        for (const bool income : {true, false}) {
            for (const char *header : {"ID", "SR No", "Date", income ? "Source" : "Category", "Amount", "Particulars"})
                m_ledger.list(income).addColumnHeader(QLatin1String(header));
        }
        m_ledger.openFile(ledgerPath(bench::ledgerFolder(kRows)));
        modExpense::listIncome(m_ledger);
        modExpense::listExpenses(m_ledger);
        modExpense::showTotals(m_ledger);
    }

    NoWindow m_window;
    Ledger m_ledger;
};

/// A main window over a private copy of the cached ledger, for the benchmarks that save.
class LedgerCopy
{
public:
    LedgerCopy()
    {
        if (!QFile::copy(ledgerPath(bench::ledgerFolder(kRows)), ledgerPath(m_dir.path())))
            throw std::runtime_error("the ledger could not be copied");
        platform::setProgramFolder(m_dir.path());
        platform::setMessageBoxHandler([](const QString &text, int, const QString &) -> int {
            throw std::runtime_error(text.toStdString()); // a benchmark never shows a box
        });
    }

private:
    QTemporaryDir m_dir;
};

// The floor: one pass over both lists as stored in memory, every cell of every row and its
// amount.
void BM_StoredRowsPass(benchmark::State &state)
{
    Ledger &ledger = LoadedLedger::get();
    for (auto _ : state) {
        std::size_t bytes = 0;
        DecimalSum sum;
        for (const RowStore *rows : {&ledger.incomeList(), &ledger.expenseList()}) {
            const int count = rows->itemCount();
            const int columns = rows->columnCount();
            for (int row = 0; row < count; ++row) {
                for (int column = 0; column < columns; ++column)
                    bytes += rows->cellUtf8(row, column).size();
                if (const std::optional<Amount> amount = rows->exactAmountAt(row))
                    sum.add(*amount);
            }
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2 * kRows);
}
BENCHMARK(BM_StoredRowsPass)->Unit(benchmark::kMillisecond);

// A lower floor: the same pass reading only what the summary reads of each row (its date and
// name cells and its amount).
void BM_StoredRowsSummaryCells(benchmark::State &state)
{
    Ledger &ledger = LoadedLedger::get();
    for (auto _ : state) {
        std::size_t bytes = 0;
        DecimalSum sum;
        for (const RowStore *rows : {&ledger.incomeList(), &ledger.expenseList()}) {
            const int count = rows->itemCount();
            for (int row = 0; row < count; ++row) {
                bytes += rows->cellUtf8(row, kDateColumn).size();
                bytes += rows->cellUtf8(row, kNameColumn).size();
                if (const std::optional<Amount> amount = rows->exactAmountAt(row))
                    sum.add(*amount);
            }
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2 * kRows);
}
BENCHMARK(BM_StoredRowsSummaryCells)->Unit(benchmark::kMillisecond);

// The month table and the charts' data from nothing: every row's month read, the table's texts,
// and the newest month's expenses by category and income by source.
void BM_SummaryBuild(benchmark::State &state)
{
    Ledger &ledger = LoadedLedger::get();
    for (auto _ : state) {
        MonthSums summary(ledger.incomeList(), ledger.expenseList());
        summary.refresh();
        const std::vector<SummaryRow> rows = summary.tableRows(ledger.totalIncome(), ledger.totalExpenses());
        const int newest = summary.months().front().key;
        const auto expenses = summary.shares(false, newest);
        const auto income = summary.shares(true, newest);
        benchmark::DoNotOptimize(rows.data());
        benchmark::DoNotOptimize(expenses.data());
        benchmark::DoNotOptimize(income.data());
    }
    state.SetItemsProcessed(state.iterations() * 2 * kRows);
}
BENCHMARK(BM_SummaryBuild)->Unit(benchmark::kMillisecond);

/// One expense saved through the entry editor, with or without the summary window open: what a
/// user waits for from the click on Save to the summary drawn anew (the editor lets pending
/// events run while it closes, so the summary's one refresh runs within the save).
void saveOneExpense(benchmark::State &state, bool summaryOpen)
{
    const LedgerCopy copy;
    Form1 form;
    form.Form_Load();
    if (summaryOpen)
        form.showMonthlySummary();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        form.PushButton7_Click();
        Form2 *editor = form.openForm2();
        editor->ui().Text1[1]->setText(QStringLiteral("12/5/2024"));
        editor->ui().Text1[2]->setText(QStringLiteral("Household 7"));
        editor->ui().Text1[3]->setText(QStringLiteral("12.5"));
        editor->ui().Text1[4]->setText(QStringLiteral("Groceries"));
        state.ResumeTiming();
        editor->PushButton1_Click();
        QApplication::processEvents();
        state.PauseTiming();
        if (form.openForm2())
            throw std::runtime_error("the save did not close the editor");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    form.Form_QueryUnload();
}

void BM_SaveWithSummaryOpen(benchmark::State &state)
{
    saveOneExpense(state, true);
}
BENCHMARK(BM_SaveWithSummaryOpen)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SaveWithoutSummary(benchmark::State &state)
{
    saveOneExpense(state, false);
}
BENCHMARK(BM_SaveWithoutSummary)->Unit(benchmark::kMillisecond)->Iterations(20);

// The summary's own part of a save: the list gains the saved row (as the refresh after the
// program's own change adds it), the summary notes it, and its one refresh sums the month again,
// rewrites the table and draws the charts anew.
void BM_SummaryUpdateAfterOneRow(benchmark::State &state)
{
    Ledger &ledger = LoadedLedger::get();
    RowStore &expenses = ledger.expenseList();
    MonthlySummary window(ledger, nullptr);
    window.Form_Load();
    for (auto _ : state) {
        const std::string number = std::to_string(expenses.lastRecord().value_or(0) + 1);
        const RowStore::Row row{{number, number, "2024-12-05", "Household 7", "12.5", "Groceries"}, Amount::fromPlainDecimal("12.5")};
        expenses.appendRow(row);
        window.refreshNow();
        state.PauseTiming();
        expenses.removeRecordRow(expenses.itemCount() - 1);
        window.refreshNow();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SummaryUpdateAfterOneRow)->Unit(benchmark::kMillisecond)->Iterations(20);

// A click on a header of the income list: the rows put in order by that column.
void BM_SortList(benchmark::State &state)
{
    // Texts in an English user's collation, not the C locale's order of code points.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RowStore &income = LoadedLedger::get().incomeList();
    SortedRows sorted;
    sorted.setRows(&income, {{kDateColumn, SortKind::Date}, {kAmountColumn, SortKind::Amount}});
    const int column = int(state.range(0));
    for (auto _ : state) {
        sorted.sort(column, Qt::AscendingOrder);
        state.PauseTiming();
        sorted.sort(-1);
        state.ResumeTiming();
    }
    state.SetLabel(income.columnHeaderText(column + 1).toStdString());
    QLocale::setDefault(QLocale::c());
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortList)
    ->Arg(kDateColumn)
    ->Arg(kAmountColumn)
    ->Arg(kNameColumn)
    ->Arg(kParticularsColumn)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A second click on the same header: the rows in descending order, ties still in list order and
// the texts that are no date or amount still last, so the order is sorted anew, not reversed.
void BM_SortListReversed(benchmark::State &state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RowStore &income = LoadedLedger::get().incomeList();
    SortedRows sorted;
    sorted.setRows(&income, {{kDateColumn, SortKind::Date}, {kAmountColumn, SortKind::Amount}});
    const int column = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        sorted.sort(column, Qt::AscendingOrder);
        state.ResumeTiming();
        sorted.sort(column, Qt::DescendingOrder);
        state.PauseTiming();
        sorted.sort(-1);
        state.ResumeTiming();
    }
    state.SetLabel(income.columnHeaderText(column + 1).toStdString());
    QLocale::setDefault(QLocale::c());
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortListReversed)
    ->Arg(kDateColumn)
    ->Arg(kAmountColumn)
    ->Arg(kNameColumn)
    ->Arg(kParticularsColumn)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
} // namespace tallymere
