#pragma once

#include <QString>
#include <QStringView>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// Reads a CSV statement: the delimiter, the lines before the table (a bank's preamble), the
/// header row and each column's role are guessed where `options` leave them open; blank rows
/// are passed over; a row without an amount (or without a date, as a footer's total) is left
/// out. `formatGuessed`: the file was taken for CSV for want of another format, so a file that
/// holds no table of dates and amounts is no statement at all. Throws ReadError.
BankStatement readCsv(QStringView text, const QString &fileName, const ReadOptions &options, bool formatGuessed);

} // namespace tallymere::import
