#pragma once

#include <QString>
#include <QTemporaryDir>

#include "support/testenvironment.h"

namespace tallymere::bench {

/// A program folder holding a ledger with `rows` entries in each table, made once and reused by
/// later runs (under the temporary folder). Returns the folder.
QString ledgerFolder(int rows);

/// Reads the whole ledger file of `folder` once, so that a measurement starts with it in the
/// page cache as every later repetition finds it.
void warmUp(const QString &folder);

/// A private copy of the cached ledger of `rows` entries in a temporary program folder, flushed
/// to disk before it is used: the benchmarks that write never change the cached ledger, and the
/// first flush of a timed commit never carries the pages of the copy.
class LedgerCopy
{
public:
    explicit LedgerCopy(int rows);
    QString folder() const { return m_dir.path(); }
    QString path() const;

private:
    QTemporaryDir m_dir;
};

/// Keeps a benchmark's program to itself for the rest of the run: the maker's page is never
/// opened, and every message box is answered at once (Yes to a question, OK to anything else)
/// and noted.
test::QuietProgram &quietProgram();

} // namespace tallymere::bench
