#pragma once

#include <vector>

#include <QStringList>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// What a header name says of its column, in English, German, French, Spanish, Italian or Dutch.
enum class HeaderMeaning {
    Unknown,
    Date,
    ValueDate, ///< a date, taken only where no booking date stands
    Payee,
    Description, ///< the payee where no column names one, else the memo
    Memo,
    Category,
    Amount,
    Debit,
    Credit,
    Balance, ///< a running balance: never the amount
};

/// The meaning of one header name ("Betrag (EUR)", "Date d'opération", "Saldo").
HeaderMeaning headerMeaning(const QString &name);

/// Guesses the role of each of `columns` columns: from the header names where there are any,
/// then from the cells of `rows` (the first rows of the file) for the date and the amount where
/// the names do not give them: the column of dates, the column of amounts that is not a running
/// balance (one whose changes are the other's amounts) or a debit and a credit column that take
/// turns; the first columns of words become payee and memo.
std::vector<ColumnRole> guessColumns(const QStringList &header, const std::vector<QStringList> &rows, qsizetype columns);

/// Which way a sign column's cell says the money goes: out (debit), in (credit), or neither.
enum class Direction { Neither, Out, In };
Direction directionOf(const QString &cell);

/// The column without a role whose every filled cell in `rows` says a direction ("S", "Haben",
/// "Af", "Bij", "DR", "Credit", ...), or -1: the sign of an amount column that has none.
int signColumn(const std::vector<QStringList> &rows, const std::vector<ColumnRole> &roles);

} // namespace tallymere::import
