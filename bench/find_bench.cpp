// Find Entries and the editor's suggestions at 1M entries per table: what a user waits for
// after each keystroke, through the real windows (offscreen), and the one-off work of opening
// the Find window and of the first suggestion after the lists were read.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <stdexcept>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QTableView>

#include "benchledger.h"
#include "core/lists/entrysuggestions.h"
#include "core/lists/foundentries.h"
#include "core/platform/program.h"
#include "ui/app/form1.h"
#include "ui/entries/fieldsuggestions.h"
#include "ui/entries/form2.h"
#include "ui/find/findentries.h"

namespace tallymere {
namespace {

constexpr int kRows = 1'000'000;

/// The main window over the cached ledger of kRows entries per table, loaded once and shown. It
/// is never deleted: a window must go before the application object, which main() ends first.
Form1 &mainWindow()
{
    static Form1 *form = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        bench::quietProgram();
        platform::setProgramFolder(bench::ledgerFolder(kRows));
        auto *window = new Form1;
        window->Form_Load();
        window->show();
        QApplication::processEvents();
        return window;
    }();
    return *form;
}

/// A window of the main window, open: `command` opens it when `opened` finds none.
template<class Window>
Window &openWindow(Window *(Form1::*opened)() const noexcept, void (Form1::*command)())
{
    Form1 &form = mainWindow();
    if (!(form.*opened)())
        (form.*command)();
    QApplication::processEvents();
    return *(form.*opened)();
}

FindEntries &findWindow()
{
    return openWindow(&Form1::openFindEntries, &Form1::showFindEntries);
}

/// Types `phrase` one letter at a time, again and again: each iteration is one keystroke, from
/// the edit to the results drawn and their line written. The slowest keystroke is a counter.
void typeInto(benchmark::State &state, QLineEdit *field, const QString &phrase, const std::function<void()> &after)
{
    double slowest = 0;
    qsizetype typed = 0;
    for (auto _ : state) {
        typed = typed % phrase.size() + 1;
        const auto start = std::chrono::steady_clock::now();
        field->setText(phrase.left(typed));
        after();
        QApplication::processEvents();
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["slowest_ms"] = slowest;
}

/// The resident memory of the process, in MiB.
double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// Opening the window: both lists folded, every entry found (nothing typed yet) and shown. The
// memory the open window holds is a counter.
void BM_FindOpen(benchmark::State &state)
{
    Form1 &form = mainWindow();
    double held = 0;
    for (auto _ : state) {
        const double before = residentMiB();
        form.showFindEntries();
        QApplication::processEvents();
        state.PauseTiming();
        held = residentMiB() - before;
        form.openFindEntries()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["held_MiB"] = held;
}
BENCHMARK(BM_FindOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

// A keystroke in the search field. "household" is in every entry (2M results at each prefix),
// "entry 123456" narrows from every entry to two, "caf\u00e9" finds nothing after its first
// letter. With the results sorted by amount, a keystroke that narrows them keeps their order;
// one that widens them (from the whole phrase back to its first letter) sorts them again.
void BM_FindKeystroke(benchmark::State &state)
{
    FindEntries &find = findWindow();
    const bool sorted = state.range(1) != 0;
    if (sorted)
        find.ui().results->horizontalHeader()->sectionClicked(FoundEntries::kAmountColumn);
    static const QString phrases[] = {QStringLiteral("household"), QStringLiteral("entry 123456"),
                                      QStringLiteral("caf\u00e9")};
    const QString &phrase = phrases[state.range(0)];
    typeInto(state, find.ui().searchField, phrase, [] {});
    state.SetLabel((phrase + (sorted ? QStringLiteral(", sorted by amount") : QString())).toStdString());
    find.close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_FindKeystroke)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(36);

// A keystroke with a date range and an amount range set: every candidate is tested against both.
void BM_FindKeystrokeWithRanges(benchmark::State &state)
{
    FindEntries &find = findWindow();
    find.ui().dateFrom->setText(QStringLiteral("1/1/2015"));
    find.ui().dateTo->setText(QStringLiteral("12/31/2019"));
    find.ui().amountFrom->setText(QStringLiteral("100"));
    find.ui().amountTo->setText(QStringLiteral("500"));
    typeInto(state, find.ui().searchField, QStringLiteral("household 1"), [] {});
    find.close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_FindKeystrokeWithRanges)->Unit(benchmark::kMillisecond)->Iterations(33);

/// The add expense editor of the main window, open.
Form2 &expenseEditor()
{
    return openWindow(&Form1::openForm2, &Form1::PushButton7_Click);
}

// A keystroke in the editor's Category field: the categories chosen and ordered from the list in
// memory, and the list of suggestions shown.
void BM_SuggestCategory(benchmark::State &state)
{
    Form2 &editor = expenseEditor();
    QLineEdit *field = editor.ui().Text1[2];
    typeInto(state, field, QStringLiteral("Household 4"), [&] { editor.nameSuggestions()->showSuggestions(); });
}
BENCHMARK(BM_SuggestCategory)->Unit(benchmark::kMillisecond)->Iterations(33);

// A keystroke in the Particulars field: those used with the category typed (20,000 distinct
// texts in this ledger), chosen and ordered, and shown.
void BM_SuggestParticulars(benchmark::State &state)
{
    Form2 &editor = expenseEditor();
    editor.ui().Text1[2]->setText(QStringLiteral("Household 7"));
    editor.particularsSuggestions()->showSuggestions(); // the category's particulars counted once
    QLineEdit *field = editor.ui().Text1[4];
    typeInto(state, field, QStringLiteral("entry 12345"), [&] { editor.particularsSuggestions()->showSuggestions(); });
}
BENCHMARK(BM_SuggestParticulars)->Unit(benchmark::kMillisecond)->Iterations(33);

// The first question after a fill: every row's category counted, then one answer; and the first
// question about a category's particulars.
void BM_SuggestFirstAfterFill(benchmark::State &state)
{
    RowStore &expenses = mainWindow().ledger().expenseList();
    for (auto _ : state) {
        EntrySuggestions suggestions(expenses);
        benchmark::DoNotOptimize(suggestions.names(QStringLiteral("Hou")));
        benchmark::DoNotOptimize(suggestions.particulars(QStringLiteral("Household 7"), QStringLiteral("e")));
    }
}
BENCHMARK(BM_SuggestFirstAfterFill)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace tallymere
