// The fill of a list against the floor of a raw sqlite3 scan of the same rows, and start-up
// against the floor of raw scans of both tables, in the same run.

#include <optional>
#include <stdexcept>

#include <benchmark/benchmark.h>

#include <QApplication>

#include <sqlite3.h>

#include "ui/app/form1.h"
#include "benchledger.h"
#include "core/ledger/ledger.h"
#include "core/db/ledgerschema.h"
#include "core/ledger/modexpense.h"
#include "core/platform/program.h"

namespace tallymere {
namespace {

void useFolder(int rows)
{
    const QString folder = bench::ledgerFolder(rows);
    bench::warmUp(folder);
    platform::setProgramFolder(folder);
    bench::quietProgram().clearBoxes();
}

void requireNoBox(benchmark::State &state)
{
    if (!bench::quietProgram().boxes().empty())
        state.SkipWithError(bench::quietProgram().boxes().front().text.toUtf8().constData());
}

/// Every row of `table`, all five columns read as text: what a fill cannot do with less.
std::size_t rawScan(sqlite3 *db, const char *select)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, select, -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    std::size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < 5; ++c) {
            const unsigned char *text = sqlite3_column_text(stmt, c);
            bytes += std::size_t(sqlite3_column_bytes(stmt, c)) + (text ? text[0] : 0);
        }
    }
    sqlite3_finalize(stmt);
    return bytes;
}

sqlite3 *openReadOnly(int rows)
{
    const QString folder = bench::ledgerFolder(rows);
    bench::warmUp(folder);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(ledgerPath(folder).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    return db;
}

// The floor of a fill: the income table.
void BM_RawScan(benchmark::State &state)
{
    sqlite3 *db = openReadOnly(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(rawScan(db, "select * from [income]"));
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawScan)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// A full refill of the income list of a loaded main window, total included. Without the
// requireFullRefill the refill would find nothing changed and only sum the total again.
void BM_FillIncome(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    Form1 form;
    form.Form_Load();
    for (auto _ : state) {
        form.ledger().requireFullRefill();
        modExpense::listIncome(form.ledger());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    requireNoBox(state);
    form.Form_QueryUnload();
}
BENCHMARK(BM_FillIncome)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The floor of start-up: both tables scanned, one after the other.
void BM_RawScanBoth(benchmark::State &state)
{
    sqlite3 *db = openReadOnly(int(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawScan(db, "select * from [income]"));
        benchmark::DoNotOptimize(rawScan(db, "select * from [expenses]"));
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_RawScanBoth)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

/// One start-up over a small ledger, untimed, so that what a process does once (fonts, the
/// platform's first window) falls on none of the timed start-ups, whichever runs first.
void warmUpStartUp()
{
    useFolder(1'000);
    Form1 form;
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    form.Form_QueryUnload();
}

/// Start-ups of the main window over the cached ledger of `rows` entries, timed up to its load
/// step's end, or, when `shown`, until the window is shown and drawn. Closing it is not timed.
void startUp(benchmark::State &state, bool shown)
{
    warmUpStartUp();
    useFolder(int(state.range(0)));
    for (auto _ : state) {
        std::optional<Form1> form;
        form.emplace();
        form->Form_Load();
        if (shown) {
            form->show();
            QApplication::processEvents();
        }
        state.PauseTiming();
        form->Form_QueryUnload();
        form.reset();
        state.ResumeTiming();
    }
    requireNoBox(state);
}

// Start-up as the program runs it before the window is shown: the main window is made and its
// load step runs (file test, connection, both fills, totals).
void BM_StartUp(benchmark::State &state)
{
    startUp(state, false);
}
BENCHMARK(BM_StartUp)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same, then the window shown and the events processed until it is drawn.
void BM_StartUpShown(benchmark::State &state)
{
    startUp(state, true);
}
BENCHMARK(BM_StartUpShown)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace tallymere
