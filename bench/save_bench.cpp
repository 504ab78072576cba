// A save from the entry editor: the statement, the refill of both lists and the totals, at the
// size of a ledger kept for years.

#include <benchmark/benchmark.h>

#include <stdexcept>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include "app/form1.h"
#include "benchledger.h"
#include "entries/form2.h"
#include "entries/forms.h"
#include "ledger/ledgerschema.h"
#include "ledger/modexpense.h"
#include "platform/messagebox.h"
#include "platform/program.h"

namespace tallymere {
namespace {

/// A private copy of the cached ledger, so the saves never change the one other benchmarks read.
class LedgerCopy
{
public:
    explicit LedgerCopy(int rows)
    {
        if (!QFile::copy(ledgerPath(bench::ledgerFolder(rows)), ledgerPath(m_dir.path())))
            throw std::runtime_error("the ledger could not be copied");
        platform::setProgramFolder(m_dir.path());
        platform::setMessageBoxHandler([](const QString &text, int, const QString &) -> int {
            throw std::runtime_error(text.toStdString()); // a benchmark never shows a box
        });
    }

private:
    QTemporaryDir m_dir;
};

/// Saves one entry, a new one (add) or a change of entry 1 (update), each iteration.
void saveAndRefresh(benchmark::State &state, bool update)
{
    const int rows = int(state.range(0));
    LedgerCopy copy(rows);
    Form1 form;
    form.Form_Load();
    for (auto _ : state) {
        state.PauseTiming();
        Form2 &editor = form2(&form);
        editor.setWindowTitle(update ? QStringLiteral("Update Income") : QStringLiteral("Add New Income"));
        editor.mUpdateID = update ? QStringLiteral("1") : QString();
        editor.ui().Label1[2]->setText(QStringLiteral("Source:"));
        editor.ui().Text1[1]->setText(QStringLiteral("12/5/2021"));
        editor.ui().Text1[2]->setText(QStringLiteral("Salary"));
        editor.ui().Text1[3]->setText(QStringLiteral("1500"));
        editor.ui().Text1[4]->setText(QStringLiteral("December"));
        state.ResumeTiming();

        editor.PushButton1_Click();

        state.PauseTiming();
        if (openForm2())
            throw std::runtime_error("the save did not close the editor");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["rows"] = double(form.incomeList().itemCount() + form.expenseList().itemCount());
    form.Form_QueryUnload();
}

void BM_SaveInsert(benchmark::State &state)
{
    saveAndRefresh(state, false);
}
BENCHMARK(BM_SaveInsert)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_SaveUpdate(benchmark::State &state)
{
    saveAndRefresh(state, true);
}
BENCHMARK(BM_SaveUpdate)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tallymere
