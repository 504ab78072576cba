#pragma once

#include <QString>
#include <QStringView>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// True when the text is an OFX or QFX file: an OFX 1.x header, an <?OFX ...?> instruction or an
/// <OFX> element near its beginning.
bool isOfx(QStringView text);

/// Reads the STMTTRN transactions of an OFX or QFX file, bank and credit card alike: OFX 1.x as
/// SGML (leaf elements without end tags, on one line or many, vendor tags passed over), OFX 2.x
/// as XML. Throws ReadError for a file that breaks off or a transaction without date or amount.
BankStatement readOfx(QStringView text, const QString &fileName, const ReadOptions &options);

} // namespace tallymere::import
