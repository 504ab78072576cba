// The fill of a list against the floor of a raw sqlite3 scan of the same rows, and start-up to
// the first shown main window.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <sqlite3.h>

#include "app/form1.h"
#include "benchledger.h"
#include "ledger/ledgerschema.h"
#include "ledger/modexpense.h"
#include "platform/messagebox.h"
#include "platform/program.h"

namespace tallymere {
namespace {

void useFolder(int rows)
{
    platform::setProgramFolder(bench::ledgerFolder(rows));
    platform::setMessageBoxHandler([](const QString &text, int, const QString &) -> int {
        throw std::runtime_error(text.toStdString()); // a benchmark never shows a box
    });
}

// The floor: every row of the table, all five columns read as text.
void BM_RawScan(benchmark::State &state)
{
    const QString path = ledgerPath(bench::ledgerFolder(int(state.range(0))));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, "select * from [income]", -1, &stmt, nullptr);
        std::size_t bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < 5; ++c) {
                const unsigned char *text = sqlite3_column_text(stmt, c);
                bytes += std::size_t(sqlite3_column_bytes(stmt, c)) + (text ? text[0] : 0);
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawScan)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// A refill of the income list of a loaded main window, totals included.
void BM_FillIncome(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    Form1 form;
    form.Form_Load();
    for (auto _ : state)
        modExpense::listIncome();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    form.Form_QueryUnload();
}
BENCHMARK(BM_FillIncome)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Start-up: load (both fills and the totals) and show the main window until it is exposed.
void BM_StartUp(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    for (auto _ : state) {
        Form1 form;
        form.Form_Load();
        form.show();
        QApplication::processEvents();
        state.PauseTiming();
        form.Form_QueryUnload();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace tallymere
