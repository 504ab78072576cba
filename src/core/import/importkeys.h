#pragma once

#include <array>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include <QByteArray>
#include <QString>

#include "core/import/bankstatement.h"
#include "core/ledger/ledger.h"

namespace tallymere {

class Connection;
class Recordset;

namespace import {

/// The keys under which the import remembers every transaction it wrote, so that a file read
/// again, or one that overlaps it, finds them. They live in a table of their own in the ledger
/// file, `import_keys` (key, income, sr_no), made by the first import; the two tables of entries
/// keep their columns. A key stands for its transaction while the entry it names is there: an
/// import undone no longer counts, and counts again when it is redone.
namespace importKeys {

/// The key of each transaction of a file, in order: the bank's ID with the date and the amount
/// where the file gives an ID, else the date, the amount and the text; either with the
/// occurrence of the same within the file, so that two identical payments are two keys. UTF-8,
/// as the table keeps them.
std::vector<QByteArray> keysOf(const std::vector<BankTransaction> &transactions);

/// Whether the ledger holds the key table.
bool tableExists(const Connection &ledger);

/// Finds keys of entries that are in the ledger, with one statement prepared once.
class Lookup
{
public:
    explicit Lookup(const Connection &ledger);
    ~Lookup();
    Lookup(const Lookup &) = delete;
    Lookup &operator=(const Lookup &) = delete;

    /// True when `key` was written by an import and its entry is still in the ledger.
    bool inLedger(const QByteArray &key);

private:
    const Connection &m_ledger;
    std::unique_ptr<Recordset> m_find; // null when the ledger has no key table
    bool m_prepared = false;
};

/// The entry a key was written for.
struct KeyedEntry {
    bool income = false;
    long long srNo = 0;
};

/// For each of `keys`, the entry an import wrote it for, whether that entry is still there or
/// not; nothing for a key never written. One statement prepared once; none without a key table.
std::vector<std::optional<KeyedEntry>> entriesOf(const Connection &ledger, const std::vector<const QByteArray *> &keys);
/// The numbers of the entries an import wrote, expense list first, income list second.
std::array<std::unordered_set<long long>, 2> importedEntries(const Connection &ledger);

/// Makes the key table when the ledger has none yet, inside the import's batch.
void prepareTable(Ledger::Batch &batch);
/// Notes `key` for entry `srNo` of the income list or the expense list, inside the import's
/// batch; a key left behind by an entry that has gone is replaced.
void write(Ledger::Batch &batch, const QByteArray &key, bool income, long long srNo);

} // namespace importKeys
} // namespace import
} // namespace tallymere
