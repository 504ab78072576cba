#pragma once

#include <optional>

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tallymere::import {

/// How a file writes its amounts besides the decimal mark.
enum class Grouping {
    Allowed, ///< digit groups with "," "." blanks or apostrophes (CSV, QIF)
    None,    ///< never grouped: a single "," or "." is the decimal mark (OFX)
};

/// The decimal mark of a file, decided once from all its amount texts: a mark written last after
/// the other, one that stands twice (then it groups digits), one followed by other than three
/// digits or after no or more than three digits tell; the marks most amounts tell wins, and
/// `fallback` decides where none tells or as many tell each.
QChar decideDecimalMark(const QStringList &amounts, QChar fallback, Grouping grouping = Grouping::Allowed);

/// An amount text ("-110,7 €", "(1.234,50)", "EUR 12.50-", "1'234.50 CR") as a signed plain
/// decimal ("-110.7", "-1234.50", "-12.50", "1234.50") read with the file's decimal mark: a
/// currency sign or code before or after, a leading or trailing minus, parentheses or "DR" for a
/// negative. Nothing when the text is no number with that mark (the digit groups, if any, of three
/// digits).
std::optional<QString> plainAmount(QStringView text, QChar decimalMark);

/// True when `text` reads as an amount with one of the two decimal marks.
bool looksLikeAmount(QStringView text);

/// `credit` minus `debit`, plain decimals both: what a debit and a credit column state together.
/// Nothing when the result has more digits than 18.
std::optional<QString> plainDifference(const QString &credit, const QString &debit);

/// The sum of plain decimals (a split transaction's parts); nothing beyond 18 digits.
std::optional<QString> plainSum(const QStringList &amounts);

/// True when the plain decimal is zero ("0", "-0.00").
bool isZeroAmount(QStringView plain);

} // namespace tallymere::import
