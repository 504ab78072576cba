// A backup of a ledger of 1M entries in each table, made by the program's Backup object while the
// user-interface thread runs its event loop: the time of the whole run, and the longest the
// thread went between two processed events meanwhile (a 1 ms timer notes every gap). Beside it
// the floor, the engine's online backup alone in one step and flushed to disk, and the longest
// gap of the same timer with no backup running.
//
// Usage: tallymere_backup_bench [Google Benchmark options]

#include <algorithm>
#include <functional>
#include <stdexcept>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include "benchledger.h"
#include "core/backup/backup.h"
#include "core/db/ledgerschema.h"

namespace tallymere {
namespace {

constexpr int kEntries = 1'000'000;

/// A program folder of its own with a copy of the cached ledger: the backups folder is made
/// beside it, never beside the ledger the other benchmarks share.
class LedgerFolder
{
public:
    LedgerFolder()
    {
        if (!QFile::copy(ledgerPath(bench::ledgerFolder(kEntries)), ledger()))
            throw std::runtime_error("the ledger cannot be copied");
    }
    QString ledger() const { return ledgerPath(m_dir.path()); }
    QString backups() const { return Backup::folderFor(ledger()); }

private:
    QTemporaryDir m_dir;
};

LedgerFolder &folder()
{
    static LedgerFolder f;
    return f;
}

/// Runs the event loop until `started` has led to a quit, and notes the longest gap between two
/// ticks of a 1 ms timer on this thread meanwhile.
void watchLoop(QEventLoop &loop, const std::function<void()> &started, double &longestGapMs)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    tick.start();
    started();
    loop.exec();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    longestGapMs = std::max(longestGapMs, longest / 1e6);
}

/// One run of the Backup object as the program starts it; returns its outcome.
Backup::Result::Outcome runWatched(const QString &ledger, double &longestGapMs)
{
    Backup backup(ledger);
    Backup::Result result;
    QEventLoop loop;
    QObject::connect(&backup, &Backup::finished, &loop, [&](const Backup::Result &r) {
        result = r;
        loop.quit();
    });
    watchLoop(loop, [&] { backup.start(); }, longestGapMs);
    return result.outcome;
}

// The machine's own noise: the same timer for a second with no backup running.
void BM_EventLoopAlone(benchmark::State &state)
{
    double longestGapMs = 0;
    for (auto _ : state) {
        QEventLoop loop;
        watchLoop(loop, [&] { QTimer::singleShot(1000, &loop, &QEventLoop::quit); }, longestGapMs);
    }
    state.counters["longest_gap_ms"] = longestGapMs;
}
BENCHMARK(BM_EventLoopAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The first start with no backup yet: compare (nothing to compare with), copy, flush, check,
// rename.
void BM_BackupFirst(benchmark::State &state)
{
    const LedgerFolder &f = folder();
    double longestGapMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(f.backups()).removeRecursively();
        state.ResumeTiming();
        if (runWatched(f.ledger(), longestGapMs) != Backup::Result::Outcome::Made)
            state.SkipWithError("no backup was made");
    }
    state.counters["longest_gap_ms"] = longestGapMs;
    state.counters["file_MB"] = double(QFileInfo(f.ledger()).size()) / 1e6;
    QDir(f.backups()).removeRecursively();
}
BENCHMARK(BM_BackupFirst)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A later start over an unchanged ledger: the comparison with the newest backup, and no copy.
void BM_BackupUnchanged(benchmark::State &state)
{
    const LedgerFolder &f = folder();
    QDir(f.backups()).removeRecursively();
    if (Backup::run(f.ledger(), QDateTime::currentDateTime()).outcome != Backup::Result::Outcome::Made) {
        state.SkipWithError("no first backup");
        return;
    }
    double longestGapMs = 0;
    for (auto _ : state) {
        if (runWatched(f.ledger(), longestGapMs) != Backup::Result::Outcome::Unchanged)
            state.SkipWithError("the ledger did not match its backup");
    }
    state.counters["longest_gap_ms"] = longestGapMs;
    QDir(f.backups()).removeRecursively();
}
BENCHMARK(BM_BackupUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The floor: the engine's online backup in one step into a file without a journal, flushed.
void BM_RawOnlineBackup(benchmark::State &state)
{
    const LedgerFolder &f = folder();
    const QString target = f.backups() + QStringLiteral("-raw.mdb");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        sqlite3 *source = nullptr;
        sqlite3 *copy = nullptr;
        sqlite3_open_v2(QFile::encodeName(f.ledger()).constData(), &source, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_open_v2(QFile::encodeName(target).constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(copy, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, "main");
        if (sqlite3_backup_step(backup, -1) != SQLITE_DONE)
            state.SkipWithError("the copy did not finish");
        sqlite3_backup_finish(backup);
        sqlite3_close_v2(copy);
        sqlite3_close_v2(source);
        const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
    }
    QFile::remove(target);
}
BENCHMARK(BM_RawOnlineBackup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace tallymere
