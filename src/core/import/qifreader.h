#pragma once

#include <QString>
#include <QStringView>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// True when the text is a QIF file: its first line that is not blank is a "!Type", "!Account",
/// "!Option" or "!Clear" line.
bool isQif(QStringView text);

/// Reads the transactions of the !Type:Bank, CCard, Cash, Oth A and Oth L sections of a QIF file;
/// an !Account block and the other lists (categories, classes, memorized, investments) are
/// passed over. Fields D, T (or U), P, M, L, N; a split counts once, at its total (its parts
/// summed where T is missing); L "[Account]" is a transfer, without a category. A record
/// without an amount is left out. Throws ReadError for a record without a date.
BankStatement readQif(QStringView text, const QString &fileName, const ReadOptions &options);

} // namespace tallymere::import
