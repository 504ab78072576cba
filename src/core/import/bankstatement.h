#pragma once

#include <QByteArray>
#include <QString>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// Reads one statement file: detects its format and encoding unless `options` fix them, decides
/// the decimal mark and the date order once from all the file's amounts and dates, and returns
/// its transactions. Throws ReadError for a file that is none of the formats or breaks off.
BankStatement readStatement(const QByteArray &bytes, const QString &fileName, const ReadOptions &options = {});

} // namespace tallymere::import
