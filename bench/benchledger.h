#pragma once

#include <QString>

namespace tallymere::bench {

/// A program folder holding a ledger with `rows` entries in each table, made once and reused by
/// later runs (under the temporary folder). Returns the folder.
QString ledgerFolder(int rows);

} // namespace tallymere::bench
