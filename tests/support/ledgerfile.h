#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tallymere::test {

/// One value for a test row, UTF-8; std::nullopt is stored as Null.
using Value = std::optional<std::string>;
/// One row read back: sr_no first, then the other columns in table order, every value as text
/// (Null as the empty text). UTF-8 strings, so a failing comparison prints readably.
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

/// Makes a new, empty ledger file at path (both tables), as the companion command does.
void makeLedger(const QString &path);

/// Writes a file that holds `content` (nothing: an empty file); false when it cannot.
bool writeFile(const QString &path, const QByteArray &content = {});

/// Inserts one row into table ("income" or "expenses") straight through sqlite3, bypassing the
/// program's layer; returns the sr_no the database gave it.
long long insertRow(const QString &ledger, const std::string &table, const Value &date,
                    const Value &sourceOrCategory, const Value &amount, const Value &particulars);

/// Inserts one income entry ("Salary", 1500) and one expense entry ("Rent", 700), both of
/// December 2021, as insertRow does: the small ledger many tests start from.
void insertSalaryAndRent(const QString &ledger);

/// The four values of one entry, UTF-8, in table order: date, source or category, amount,
/// particulars.
struct Entry {
    Value date;
    Value name;
    Value amount;
    Value particulars;
};

/// `count` new entries of one table ("income" or "expenses"): entry i is `entryAt(i)`.
struct Entries {
    std::string table;
    int count = 0;
    std::function<Entry(int i)> entryAt;
};

/// Adds many entries at once, straight through sqlite3: one prepared insert per table, all of
/// them in one transaction (so the tables change together), entries made in the order given.
/// Waits a few seconds for another writer. Throws std::runtime_error on failure; then nothing
/// was added.
void seedLedger(const QString &ledger, const std::vector<Entries> &entries);

/// All rows of table in ascending sr_no, read straight through sqlite3.
Rows readRows(const QString &ledger, const std::string &table);

/// What tells whether a file was changed: its content's SHA-256, size and modification time.
struct FileStamp
{
    QByteArray sha256;
    qint64 size = -1;
    QDateTime modified;

    bool operator==(const FileStamp &) const = default;
};

FileStamp fileStamp(const QString &path);

/// The result of the engine's own consistency check of the whole file ("ok" when sound);
/// opening read-write lets the engine roll back what a killed writer left half done, as the
/// program's next start would.
std::string integrityCheck(const QString &ledger);

} // namespace tallymere::test
