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

/// How a key is stored. Keys written before were texts; a key is now 16 bytes kept as a blob
/// (the day, then a digest of the text), so that an import writes a small row per transaction.
/// The two never equal each other, and a ledger that holds texts is asked for both.
enum class KeyForm { Compact, Text };

/// The key of each transaction of a file, in order: the bank's ID with the date and the amount
/// where the file gives an ID, else the date, the amount and the text; either with the
/// occurrence of the same within the file, so that two identical payments are two keys. In
/// `form`: the text as UTF-8, or its compact blob.
std::vector<QByteArray> keysOf(const std::vector<BankTransaction> &transactions, KeyForm form = KeyForm::Compact);

/// Whether the ledger holds the key table.
bool tableExists(const Connection &ledger);
/// Whether the key table holds keys written as texts, by an earlier import.
bool hasTextKeys(const Connection &ledger);

/// Finds keys of entries that are in the ledger, with one statement prepared once.
class Lookup
{
public:
    explicit Lookup(const Connection &ledger);
    ~Lookup();
    Lookup(const Lookup &) = delete;
    Lookup &operator=(const Lookup &) = delete;

    /// Whether the ledger's keys include texts: their keys must be looked up too.
    bool textKeys() const noexcept { return m_textKeys; }
    /// True when `key` (compact), or `textKey` when given, was written by an import and its
    /// entry is still in the ledger.
    bool inLedger(const QByteArray &key, const QByteArray &textKey = {});

private:
    const Connection &m_ledger;
    std::unique_ptr<Recordset> m_find; // null when the ledger has no key table
    bool m_prepared = false;
    bool m_textKeys = false;
};

/// The entry a key was written for.
struct KeyedEntry {
    bool income = false;
    long long srNo = 0;
};

/// The entries an import wrote one transaction for, whether they are still there or not: under
/// its compact key and under its text key (an earlier import's).
using KeyedEntries = std::array<std::optional<KeyedEntry>, 2>;
/// For each pair of keys (compact, text or empty), the entries an import wrote them for. One
/// statement prepared once; none without a key table.
std::vector<KeyedEntries> entriesOf(const Connection &ledger,
                                    const std::vector<std::pair<const QByteArray *, const QByteArray *>> &keys);
/// The numbers of the entries an import wrote, expense list first, income list second.
std::array<std::unordered_set<long long>, 2> importedEntries(const Connection &ledger);

/// Makes the key table when the ledger has none yet, inside the import's batch.
void prepareTable(Ledger::Batch &batch);
/// Notes keys inside the import's batch, with one row of values reused for all.
class Writer
{
public:
    explicit Writer(Ledger::Batch &batch);
    /// Notes `key` for entry `srNo` of the income list or the expense list; a key left behind by
    /// an entry that has gone is replaced.
    void write(const QByteArray &key, bool income, long long srNo);

private:
    Ledger::Batch &m_batch;
    Parameters m_row;
};

} // namespace importKeys
} // namespace import
} // namespace tallymere
