#pragma once

#include <QString>

#include "core/errors/error.h"

namespace tallymere {

/// Thrown by createLedger when something already lies at the path; it is left untouched.
class LedgerExists : public Error
{
public:
    using Error::Error;
};

/// Creates a new, empty ledger file at path with the tables `income` and `expenses`. Never
/// overwrites: throws LedgerExists when anything (a file, a folder, a link) lies at path, and
/// Error when the file cannot be made; a half-made file is removed again.
void createLedger(const QString &path);

/// The ledger file in the program folder: the folder text followed by "/dbExpense.mdb".
QString ledgerPath(const QString &programFolder);

/// The connection text that opens the ledger in the program folder.
QString connectionStringFor(const QString &programFolder);

} // namespace tallymere
