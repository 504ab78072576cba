// The statements of the entry save. Built from any four field texts as the Save button builds
// them, an insert or an update run on a ledger stores exactly those texts in exactly one row and
// changes nothing else: no other row, no other table, no table's definition. A text the engine
// cannot take in a statement at all (one holding U+0000) makes the statement fail whole.
//
// Input: one byte (lowest bit: income, next bit: update), then the four texts as UTF-8,
// separated by the byte 0xFF, which UTF-8 never uses.

#include <cstdint>
#include <string>
#include <vector>

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <sqlite3.h>

#include "core/ledger/statements.h"
#include "core/errors/error.h"
#include "fuzzcheck.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"

using namespace tallymere;

namespace {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

/// A scratch ledger on the program's own connection, in memory-backed storage where the
/// machine has it, with durability switched off: only what a statement stores matters here.
Connection &ledger()
{
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tallymere-fuzz-XXXXXX")
                                                       : QDir::tempPath() + QStringLiteral("/tallymere-fuzz-XXXXXX"));
    static Connection connection;
    if (connection.State() == 0) {
        const QString path = dir.filePath(QStringLiteral("dbExpense.mdb"));
        createLedger(path);
        connection.openFile(path);
        connection.Execute(QStringLiteral("pragma synchronous = off"));
        connection.Execute(QStringLiteral("pragma journal_mode = memory"));
    }
    return connection;
}

Rows rowsOf(const char *sql)
{
    sqlite3 *db = ledger().handle();
    sqlite3_stmt *stmt = nullptr;
    FUZZ_CHECK(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK);
    Rows rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        Row row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
            row.emplace_back(text ? std::string(text, std::size_t(sqlite3_column_bytes(stmt, i))) : std::string("(null)"));
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rows;
}

struct Snapshot {
    Rows income = rowsOf("select * from income order by sr_no");
    Rows expenses = rowsOf("select * from expenses order by sr_no");
    Rows schema = rowsOf("select type, name, sql from sqlite_master order by name");
};

/// Two entries in each table, numbered 1 and 2, before every input; a new one gets 3.
void resetRows()
{
    Connection &db = ledger();
    db.Execute(QStringLiteral("delete from income"));
    db.Execute(QStringLiteral("delete from expenses"));
    db.Execute(QStringLiteral("delete from sqlite_sequence"));
    db.Execute(QStringLiteral("insert into income values (1, '2021-01-01', 'Salary', '1500', 'January')"));
    db.Execute(QStringLiteral("insert into income values (2, '2021-02-01', 'Gift', '20', 'Aunt''s')"));
    db.Execute(QStringLiteral("insert into expenses values (1, '2021-01-02', 'Rent', '700', 'January')"));
    db.Execute(QStringLiteral("insert into expenses values (2, '2021-02-02', 'Food', '12.5', 'Market')"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool income = data[0] & 1;
    const bool update = data[0] & 2;
    std::vector<QString> texts;
    std::size_t start = 1;
    for (std::size_t i = 1; i <= size && texts.size() < 4; ++i) {
        if (i == size || data[i] == 0xFF) {
            texts.push_back(QString::fromUtf8(reinterpret_cast<const char *>(data + start), qsizetype(i - start)));
            start = i + 1;
        }
    }
    texts.resize(4);

    // The save's own construction, from the caption and labels the editor shows.
    const QStringList labels{QStringLiteral("Date:"), income ? QStringLiteral("Source:") : QStringLiteral("Category:"),
                             QStringLiteral("Amount:"), QStringLiteral("Particulars:")};
    const QString caption = QStringLiteral("%1 %2").arg(update ? QStringLiteral("Update") : QStringLiteral("Add New"),
                                                         income ? QStringLiteral("Income") : QStringLiteral("Expenses"));
    const QString statement = entrySql::SaveStatement::of(caption, update ? QStringLiteral("2") : QString(), labels,
                                                          QStringList(texts.begin(), texts.end()));

    resetRows();
    const Snapshot before;
    bool failed = false;
    try {
        ledger().Execute(statement);
    } catch (const Error &) {
        failed = true;
    }
    const Snapshot after;

    bool holdsNul = false;
    for (const QString &text : texts)
        holdsNul = holdsNul || text.contains(QChar(0));
    FUZZ_CHECK(failed == holdsNul);
    FUZZ_CHECK(after.schema == before.schema);

    Row entry;
    for (const QString &text : texts)
        entry.push_back(text.toStdString());
    Rows expected = income ? before.income : before.expenses;
    if (!failed) {
        if (update) {
            entry.insert(entry.begin(), "2");
            expected[1] = entry;
        } else {
            entry.insert(entry.begin(), "3");
            expected.push_back(entry);
        }
    }
    FUZZ_CHECK((income ? after.income : after.expenses) == expected);
    FUZZ_CHECK((income ? after.expenses : after.income) == (income ? before.expenses : before.income));
    return 0;
}
