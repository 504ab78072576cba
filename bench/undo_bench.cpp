// Undo and redo of one change (a deleted entry from the middle of the income list) in a shown
// main window at 1k, 100k and 1M entries in each table: the statement, the refresh of both lists
// and the totals, and the events they leave waiting. To be read beside the save of
// save_bench.cpp at the same sizes.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QItemSelectionModel>

#include "ui/app/form1.h"
#include "benchledger.h"
#include "ui/controls/listview.h"
#include "core/platform/program.h"

namespace tallymere {
namespace {

void undoOrRedo(benchmark::State &state, bool undo)
{
    const int rows = int(state.range(0));
    bench::LedgerCopy copy(rows);
    platform::setProgramFolder(copy.folder());
    bench::quietProgram();

    Form1 form;
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    ListView *list = form.ui().ListView1;
    const QModelIndex middle = list->items().index(list->items().itemCount() / 2, 0);
    list->selectionModel()->setCurrentIndex(middle, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    form.PushButton3_Click(); // answered Yes
    QApplication::processEvents();
    bench::quietProgram().clearBoxes(); // the delete's question

    for (auto _ : state) {
        if (!undo) {
            state.PauseTiming();
            form.mnuUndo_Click();
            QApplication::processEvents();
            state.ResumeTiming();
        }
        (undo ? form.mnuUndo_Click() : form.mnuRedo_Click());
        QApplication::processEvents();
        if (undo) {
            state.PauseTiming();
            form.mnuRedo_Click();
            QApplication::processEvents();
            state.ResumeTiming();
        }
    }
    if (!bench::quietProgram().boxes().empty())
        state.SkipWithError("a message box was shown");
}

void BM_UndoDelete(benchmark::State &state)
{
    undoOrRedo(state, true);
}

void BM_RedoDelete(benchmark::State &state)
{
    undoOrRedo(state, false);
}

BENCHMARK(BM_UndoDelete)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RedoDelete)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace tallymere
