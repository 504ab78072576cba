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
#include <stdexcept>
#include <string>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include "core/backup/backup.h"
#include "support/ledgerfile.h"

namespace {

bool addBatch(const QString &ledger, long long run, int batch)
{
    const auto entryAt = [run](int i) -> tallymere::test::Entry {
        const std::string text = "Run " + std::to_string(run) + " entry " + std::to_string(i);
        return {"2030-01-01", text, std::to_string(i % 1000), text + " of the household books"};
    };
    try {
        tallymere::test::seedLedger(ledger, {{"income", batch, entryAt}, {"expenses", batch, entryAt}});
        return true;
    } catch (const std::exception &) {
        return false;
    }
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
