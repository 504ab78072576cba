#pragma once

#include <vector>

#include <QChar>
#include <QString>
#include <QStringList>

#include "core/import/amounttext.h"
#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// A transaction as a reader found it: all but its date and amount, whose texts wait for the
/// file's date order and decimal mark.
struct FoundTransaction {
    BankTransaction transaction;
    QString date;
    QString amount;    ///< signed, as the file writes it; empty where debit and credit stand
    QString debit;     ///< money out, whatever sign the file gives it
    QString credit;    ///< money in
    QStringList parts; ///< a split's parts, summed where the file gives no total
};

/// How a format writes amounts where its amounts do not tell.
struct AmountStyle {
    QChar fallbackMark = u'.';
    Grouping grouping = Grouping::Allowed;
};

/// Decides the decimal mark and the date order once from all `found` (unless `options` fix
/// them), and appends each transaction with its date and amount to `statement`, noting what was
/// decided in its choices. Throws ReadError, naming the line, for an amount or a date that does
/// not read and for dates that contradict each other's order.
void settle(std::vector<FoundTransaction> &&found, const ReadOptions &options, AmountStyle style,
            const QString &fileName, BankStatement &statement);

} // namespace tallymere::import
