#include "support/ledgerfile.h"

#include <memory>
#include <stdexcept>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include "core/db/ledgerschema.h"

namespace tallymere::test {

namespace {

struct CloseDb
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct Finalize
{
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

[[noreturn]] void fail(sqlite3 *db)
{
    throw std::runtime_error(sqlite3_errmsg(db));
}

Db openLedger(const QString &path)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Db owned(db);
    if (rc != SQLITE_OK)
        fail(db);
    return owned;
}

Statement prepare(sqlite3 *db, const std::string &sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail(db);
    return Statement(stmt);
}

std::string textColumn(const std::string &table)
{
    return table == "income" ? "source" : "category";
}

} // namespace

void makeLedger(const QString &path)
{
    createLedger(path);
}

namespace {

Statement prepareInsert(sqlite3 *db, const std::string &table)
{
    return prepare(db, "insert into " + table + " (date, " + textColumn(table) + ", amount, particulars) values (?, ?, ?, ?)");
}

/// Runs the insert once with the entry's values; it is ready for the next entry after.
void insertEntry(sqlite3 *db, sqlite3_stmt *insert, const Entry &entry)
{
    const Value *values[] = {&entry.date, &entry.name, &entry.amount, &entry.particulars};
    for (int i = 0; i < 4; ++i) {
        const Value &value = *values[i];
        if (value)
            sqlite3_bind_text(insert, i + 1, value->data(), int(value->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(insert, i + 1);
    }
    if (sqlite3_step(insert) != SQLITE_DONE)
        fail(db);
    sqlite3_reset(insert);
}

} // namespace

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

long long insertRow(const QString &ledger, const std::string &table, const Value &date,
                    const Value &sourceOrCategory, const Value &amount, const Value &particulars)
{
    const Db db = openLedger(ledger);
    insertEntry(db.get(), prepareInsert(db.get(), table).get(), {date, sourceOrCategory, amount, particulars});
    return sqlite3_last_insert_rowid(db.get());
}

void insertSalaryAndRent(const QString &ledger)
{
    insertRow(ledger, "income", "2021-12-05", "Salary", "1500", "December");
    insertRow(ledger, "expenses", "2021-12-01", "Rent", "700", "December");
}

void seedLedger(const QString &ledger, const std::vector<Entries> &entries)
{
    const Db db = openLedger(ledger);
    sqlite3_busy_timeout(db.get(), 5000);
    if (sqlite3_exec(db.get(), "begin", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db.get());
    try {
        for (const Entries &table : entries) {
            const Statement insert = prepareInsert(db.get(), table.table);
            for (int i = 0; i < table.count; ++i)
                insertEntry(db.get(), insert.get(), table.entryAt(i));
        }
        if (sqlite3_exec(db.get(), "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db.get());
    } catch (...) {
        sqlite3_exec(db.get(), "rollback", nullptr, nullptr, nullptr);
        throw;
    }
}

Rows readRows(const QString &ledger, const std::string &table)
{
    const Db db = openLedger(ledger);
    const Statement select = prepare(db.get(), "select * from " + table + " order by sr_no");
    Rows rows;
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        Row row;
        for (int i = 0; i < sqlite3_column_count(select.get()); ++i) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select.get(), i));
            row.emplace_back(text ? std::string(text, std::size_t(sqlite3_column_bytes(select.get(), i)))
                                  : std::string());
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        fail(db.get());
    return rows;
}

FileStamp fileStamp(const QString &path)
{
    FileStamp stamp;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return stamp;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    stamp.sha256 = hash.result();
    stamp.size = file.size();
    stamp.modified = QFileInfo(path).lastModified();
    return stamp;
}

std::string integrityCheck(const QString &ledger)
{
    sqlite3 *db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(QFile::encodeName(ledger).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK) {
            result.clear();
            while (sqlite3_step(stmt) == SQLITE_ROW)
                result += reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        } else {
            result = sqlite3_errmsg(db);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return result;
}

} // namespace tallymere::test
