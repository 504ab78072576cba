// The helper of the backup kill test: again and again, until it is killed, it adds a batch of
// entries to both tables of the ledger in one transaction (so the tables always hold equally
// many rows) and then makes one backup run, dated one second later than the run before.
//
// It writes one line on standard output, flushed at once, for each run:
//   made NAME MS      a backup was made, named NAME, in MS milliseconds
//   unchanged         the ledger matched the newest backup
//   failed REASON     the run failed; the helper ends
//
// Usage: tallymere_backupwriter LEDGER FIRST_RUN BATCH

#include <cstdio>
#include <string>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include "core/backup/backup.h"

namespace {

bool addBatch(const QString &ledger, long long run, int batch)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(ledger).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    sqlite3_busy_timeout(db, 5000);
    ok = ok && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const char *table : {"income (date, source", "expenses (date, category"}) {
        sqlite3_stmt *insert = nullptr;
        const std::string sql = std::string("insert into ") + table + ", amount, particulars) values (?, ?, ?, ?)";
        ok = ok && sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) == SQLITE_OK;
        for (int i = 0; ok && i < batch; ++i) {
            const std::string text = "Run " + std::to_string(run) + " entry " + std::to_string(i);
            sqlite3_bind_text(insert, 1, "2030-01-01", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, text.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, std::to_string(i % 1000).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, (text + " of the household books").c_str(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close_v2(db);
    return ok;
}

void say(const QString &line)
{
    const QByteArray text = line.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    using tallymere::Backup;
    if (argc < 4) {
        std::fputs("usage: tallymere_backupwriter LEDGER FIRST_RUN BATCH\n", stderr);
        return 1;
    }
    const QString ledger = QString::fromLocal8Bit(argv[1]);
    const long long first = std::stoll(argv[2]);
    const int batch = std::stoi(argv[3]);
    const QDateTime base(QDate(2030, 1, 1), QTime(0, 0));
    for (long long run = first;; ++run) {
        if (!addBatch(ledger, run, batch)) {
            say(QStringLiteral("failed adding entries"));
            return 2;
        }
        QElapsedTimer elapsed;
        elapsed.start();
        const Backup::Result result = Backup::run(ledger, base.addSecs(run));
        switch (result.outcome) {
        case Backup::Result::Outcome::Made:
            say(QStringLiteral("made %1 %2").arg(QFileInfo(result.file).fileName()).arg(elapsed.elapsed()));
            break;
        case Backup::Result::Outcome::Unchanged:
            say(QStringLiteral("unchanged"));
            break;
        default:
            say(QStringLiteral("failed ") + result.reason);
            return 2;
        }
    }
}
