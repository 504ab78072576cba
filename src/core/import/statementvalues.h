#pragma once

#include <optional>
#include <vector>

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>

// The values a reading of a statement file takes and gives (bankstatement.h reads them).

namespace tallymere::import {

/// The statement formats the import reads.
enum class Format { Csv, Ofx, Qif, Camt };

/// How a file writes its dates when the fields alone do not tell.
enum class DateOrder { YearMonthDay, DayMonthYear, MonthDayYear };

/// What a CSV column holds. Every column without a role is ignored.
enum class ColumnRole { Ignore, Date, Payee, Memo, Category, Amount, Debit, Credit };

/// What the user fixed for one reading (the window's choices, the command's options); anything
/// left empty is decided from the file as a whole.
struct ReadOptions {
    std::optional<Format> format;
    QString encoding; ///< a charset name ("windows-1252"); empty: detected
    std::optional<DateOrder> dateOrder;
    std::optional<QChar> decimalMark; ///< '.' or ','
    // CSV only
    std::optional<QChar> delimiter;
    std::optional<int> skipLines; ///< the file's lines as they stand, blank ones included
    std::optional<bool> headerRow;
    std::optional<std::vector<ColumnRole>> columns; ///< in the file's column order
};

/// One transaction as the bank stated it.
struct BankTransaction {
    QDate date;          ///< the calendar day the file states (invalid while the order is undecided)
    QString amount;      ///< signed plain decimal, money in positive: "-110.70", "2500"
    QString payee;       ///< trimmed, inner runs of blanks made one
    QString memo;
    QString category;    ///< the file's own category (QIF L, a CSV category column), else empty
    bool transfer = false; ///< a QIF transfer ([Account]): imported, without the file's category
    QString bankId;      ///< FITID, AcctSvcrRef or NtryRef; empty where the format has none
    QString kind;        ///< the transaction's type as the file names it (OFX TRNTYPE), else empty
    QString checkNumber; ///< OFX CHECKNUM, QIF N
    int line = 0;        ///< the 1-based line of the file where the transaction starts
};

/// A row of the file that is no transaction (a CSV row without an amount): shown as left out.
struct LeftOut {
    int line = 0;
    QString text; ///< the row as it stands, for the window
};

/// What a reading decided, so the window can show each choice and the user change it.
struct ReadChoices {
    Format format = Format::Csv;
    QString encoding;                   ///< the charset the bytes were decoded with
    std::optional<DateOrder> dateOrder; ///< empty when no date needed one
    QChar decimalMark = u'.';
    // CSV only
    QChar delimiter = u',';
    int skipLines = 0;
    bool headerRow = true;
    std::vector<ColumnRole> columns;
    QStringList header; ///< the header row's cells, or empty names without one
    /// A column without a role whose cells say which way the unsigned amount goes ("S"/"H",
    /// "Af"/"Bij", "D"/"C", "DR"/"CR", "Debit"/"Credit"); -1 when none does.
    int signColumn = -1;
};

/// A statement file as read: its transactions in file order and the rows left out.
struct BankStatement {
    ReadChoices choices;
    std::vector<BankTransaction> transactions;
    std::vector<LeftOut> leftOut;
    /// True when the dates could be read day-month or month-day alike: the dates that need the
    /// order are invalid (those whose own form tells it are read), and the caller asks the user
    /// (window) or needs --date-order (command).
    bool dateOrderUndecided = false;
};

} // namespace tallymere::import
