// The statement import at 100k rows: reading a CSV file and showing it in the import window, and
// importing all its rows (one transaction, one undo step, with their keys), each beside the bare
// insert of the same rows in one transaction on a connection of its own, in the same run; and
// 1M rows through the command tallymere-import.

#include <sys/resource.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTableView>

#include <sqlite3.h>

#include "benchledger.h"
#include "benchstatement.h"
#include "core/db/connection.h"
#include "core/import/importplan.h"
#include "core/ledger/ledger.h"
#include "core/text/datetext.h"
#include "ui/import/importtable.h"
#include "ui/import/importwindow.h"

namespace tallymere {
namespace {

/// The rows an import of the statement writes, as the save stores them, for the bare insert.
struct BareRow {
    bool income;
    std::string date, name, amount, particulars;
};

std::vector<BareRow> bareRows(const import::ImportPlan &plan)
{
    std::vector<BareRow> rows;
    for (const import::PlannedEntry &e : plan.entries)
        rows.push_back({e.income, dateText::iso(e.date).toStdString(), e.name.toStdString(), e.amount.toStdString(),
                        e.particulars.toStdString()});
    return rows;
}

import::ImportPlan planOf(const Ledger &ledger, const QString &file)
{
    const QByteArray bytes = bench::contentOf(file);
    return import::planImport(ledger.connection(), import::readStatement(bytes, file), file);
}

/// Reading and showing: the file read, set against the ledger (1k entries in each table) and
/// shown in the import window, its table drawn. Untimed: closing the window.
void BM_ImportWindowShow(benchmark::State &state)
{
    const QString file = bench::statementFile(int(state.range(0)));
    bench::LedgerCopy copy(1000);
    Ledger ledger;
    ledger.openFile(copy.path());
    bench::contentOf(file); // in the page cache, as for every later repetition
    for (auto _ : state) {
        QByteArray bytes = bench::contentOf(file);
        ImportWindow::Reading reading = ImportWindow::firstReading(bytes, file);
        auto *window = new ImportWindow(ledger, file, std::move(bytes), std::move(reading), nullptr);
        window->Form_Load();
        window->show();
        QApplication::processEvents();
        window->view()->viewport()->repaint();
        state.PauseTiming();
        if (window->table().rowCount() != state.range(0))
            state.SkipWithError("the window does not show every row");
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportWindowShow)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Importing: every row of the plan written with its key, one transaction, one undo step read
/// back, into a fresh copy of a ledger of 1k entries in each table. Untimed: the copy and the
/// plan.
void BM_ImportWrite(benchmark::State &state)
{
    const QString file = bench::statementFile(int(state.range(0)));
    const bool undoable = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = std::make_unique<bench::LedgerCopy>(1000);
        Ledger ledger;
        ledger.openFile(copy->path());
        const import::ImportPlan plan = planOf(ledger, file);
        std::vector<std::size_t> all(plan.entries.size());
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        state.ResumeTiming();
        import::writeImport(ledger, plan, all, undoable);
        state.PauseTiming();
        ledger.releaseConnection();
        copy.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportWrite)->Args({100'000, 1})->Args({100'000, 0})->Unit(benchmark::kMillisecond)->Iterations(3);

/// The floor: the same rows inserted with one prepared statement per table in one transaction,
/// on a connection opened as the program opens one, into a copy of the same ledger.
void BM_BareInsert(benchmark::State &state)
{
    const QString file = bench::statementFile(int(state.range(0)));
    std::vector<BareRow> rows;
    {
        bench::LedgerCopy copy(1000);
        Ledger ledger;
        ledger.openFile(copy.path());
        rows = bareRows(planOf(ledger, file));
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = std::make_unique<bench::LedgerCopy>(1000);
        Connection connection;
        connection.openFile(copy->path());
        sqlite3 *db = connection.handle();
        state.ResumeTiming();
        sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert[2] = {};
        sqlite3_prepare_v2(db, "insert into expenses (date, category, amount, particulars) values (?,?,?,?)", -1,
                           &insert[0], nullptr);
        sqlite3_prepare_v2(db, "insert into income (date, source, amount, particulars) values (?,?,?,?)", -1,
                           &insert[1], nullptr);
        for (const BareRow &row : rows) {
            sqlite3_stmt *stmt = insert[row.income];
            sqlite3_bind_text(stmt, 1, row.date.data(), int(row.date.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt, 2, row.name.data(), int(row.name.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt, 3, row.amount.data(), int(row.amount.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt, 4, row.particulars.data(), int(row.particulars.size()), SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                state.SkipWithError("an insert failed");
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(insert[0]);
        sqlite3_finalize(insert[1]);
        sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
        state.PauseTiming();
        connection.Close();
        copy.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareInsert)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

/// The command over a file of N rows into a fresh copy of a ledger of 1k entries in each table,
/// as a script runs it: the whole process, its start and end included. Counter: the process's
/// peak resident size.
void BM_ImportCommand(benchmark::State &state)
{
    const QString file = bench::statementFile(int(state.range(0)));
    bench::contentOf(file);
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = std::make_unique<bench::LedgerCopy>(1000);
        state.ResumeTiming();
        QProcess command;
        command.start(QStringLiteral(TALLYMERE_IMPORT), {QStringLiteral("--ledger"), copy->path(), file});
        if (!command.waitForFinished(-1) || command.exitCode() != 0)
            state.SkipWithError(command.readAllStandardError().constData());
        state.PauseTiming();
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024.0;
        copy.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportCommand)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace tallymere
