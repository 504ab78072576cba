#include "benchledger.h"

#include <stdexcept>
#include <string>

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include "ledger/ledgerschema.h"

namespace tallymere::bench {
namespace {

void exec(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "unknown";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

void fillTable(sqlite3 *db, const char *insert, int rows)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, insert, -1, &stmt, nullptr);
    for (int i = 0; i < rows; ++i) {
        const std::string date = "20" + std::to_string(10 + i % 15) + "-" + std::to_string(10 + i % 3) + "-"
            + std::to_string(10 + i % 19);
        const std::string name = "Household " + std::to_string(i % 50);
        const std::string amount = std::to_string(i % 1000) + "." + std::to_string(10 + i % 90);
        const std::string particulars = "Entry " + std::to_string(i) + " of the household books";
        sqlite3_bind_text(stmt, 1, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, amount.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 4, particulars.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

} // namespace

QString ledgerFolder(int rows)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/tallymere-bench-%1").arg(rows);
    const QString path = ledgerPath(folder);
    if (QFile::exists(path))
        return folder;
    QDir().mkpath(folder);
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    createLedger(partial);

    sqlite3 *db = nullptr;
    sqlite3_open(partial.toUtf8().constData(), &db);
    exec(db, "begin");
    fillTable(db, "insert into income (date, source, amount, particulars) values (?, ?, ?, ?)", rows);
    fillTable(db, "insert into expenses (date, category, amount, particulars) values (?, ?, ?, ?)", rows);
    exec(db, "commit");
    sqlite3_close(db);
    QFile::rename(partial, path);
    return folder;
}

} // namespace tallymere::bench
