#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <unordered_set>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "core/errors/error.h"
#include "core/import/bankstatement.h"
#include "core/import/importkeys.h"

namespace tallymere {

class Connection;
class Ledger;
class RowStore;

namespace import {

/// Where a read transaction stands against the ledger.
enum class EntryStatus {
    New,
    InLedger,      ///< an import wrote it before, and its entry is there
    PossiblyTyped, ///< an entry typed by hand has its amount, in its list, within three days
    TooLarge,      ///< left out: the totals cannot hold its amount, so the editor would refuse it
};

/// "new", "already in the ledger", "possibly typed already", "left out: the amount is too large".
QString statusText(EntryStatus status);

/// One transaction of a statement as the entry it becomes.
struct PlannedEntry {
    bool income = false;  ///< money in; money out is an expense
    QDate date;
    QString name;         ///< source or category
    QString amount;       ///< positive, as the save stores it
    QString particulars;  ///< never empty
    EntryStatus status = EntryStatus::New;
    QByteArray key;       ///< the import key it is written under (compact)
    QByteArray textKey;   ///< its key as an earlier import wrote it; only for a ledger that has such
    int line = 0;         ///< where the file states it
};

/// A statement read and set against the ledger: its entries in file order and the rows it left
/// out.
struct ImportPlan {
    QString fileName; ///< the file's name without its folder, as messages and the undo name it
    std::vector<PlannedEntry> entries;
    std::vector<LeftOut> leftOut;
};

/// Sets a statement's transactions against the ledger: each becomes an income entry (money in)
/// or an expense entry (money out, amount made positive), dated and valued as the save stores
/// them; its source or category is the file's own, else the one earlier entries with the same
/// payee teach, else "Uncategorised"; its particulars are the payee and the memo when the memo
/// adds something, else the type or cheque number, else the category. Reads only. Throws Error
/// when the statement's date order is undecided or the ledger cannot be read.
ImportPlan planImport(const Connection &ledger, const BankStatement &statement, const QString &fileName);

/// The statuses of a plan's entries set again against the ledger's lists as they stand in memory,
/// so that a window showing the plan follows each entry saved, deleted or undone without reading
/// the file; the keys the plan's entries were written under, and which entries an import wrote,
/// are read once (again after another import).
class PlanStatuses
{
public:
    /// Reads what the ledger's key table says of `plan`'s entries. Throws Error when it cannot.
    PlanStatuses(const Connection &ledger, const ImportPlan &plan);
    ~PlanStatuses();

    /// The status of each entry of `plan` (the one read with) against the lists `income` and
    /// `expenses`, by the rules of planImport.
    std::vector<EntryStatus> statuses(const ImportPlan &plan, const RowStore &income, const RowStore &expenses) const;

private:
    bool m_dayFirst;
    std::vector<long long> m_units;
    std::vector<importKeys::KeyedEntries> m_written;
    std::array<std::unordered_set<long long>, 2> m_imported;
};

/// What an import wrote.
struct ImportResult {
    int income = 0;
    int expenses = 0;
};

/// A write that failed: nothing of the import is in the ledger. Names the file, the line of the
/// transaction it failed on (0 for none) and what went wrong.
class WriteError : public Error
{
public:
    WriteError(QString file, int line, const QString &what);
    const QString &file() const noexcept { return m_file; }
    int line() const noexcept { return m_line; }

private:
    QString m_file;
    int m_line;
};

/// Writes the entries of `plan` numbered in `chosen` (indices, in any order; written in file
/// order) in one transaction, with their keys; an entry whose amount is too large is never
/// written. With `undoable` the whole is one undo step
/// ("import of 42 entries from statement.csv"). All or nothing: throws WriteError.
ImportResult writeImport(Ledger &ledger, const ImportPlan &plan, std::vector<std::size_t> chosen, bool undoable);

/// The undo step's name: "import of 42 entries from statement.csv".
QString undoText(std::size_t entries, const QString &fileName);

} // namespace import
} // namespace tallymere
