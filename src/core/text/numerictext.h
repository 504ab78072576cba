#pragma once

#include <optional>
#include <string_view>

#include <QLocale>
#include <QString>
#include <QStringView>

#include "core/text/decimalsum.h"

namespace tallymere {

/// Reads numeric text. The ledger keeps amounts as plain decimals ("-1234.50": an optional
/// minus, ASCII digits, "." and decimals), which read the same under every locale; older files
/// and typed text may hold the user's own number format: an optional sign, digits, the
/// locale's decimal separator and digit grouping, an optional exponent, surrounding blanks
/// allowed. Empty text, infinities, NaN and numbers beyond the range of a double are not
/// numeric. The locale is fixed when the reader is made: make one per loop over many values,
/// as asking the desktop for its locale costs more than reading a number.
class NumericReader
{
public:
    NumericReader();

    /// The amount of a stored text: a plain decimal as such, any other text by the locale; but
    /// a text in the locale's grouped form (an optional minus, 1 to 3 digits, then groups of the
    /// locale's group mark and exactly three digits: "1.000" under de_DE) by the locale, as an
    /// earlier release that stored amounts as typed meant it. Nothing when the text is not
    /// numeric or the totals cannot hold its number (see Amount).
    std::optional<Amount> read(QStringView text) const;
    /// The same for UTF-8 text.
    std::optional<Amount> read(std::string_view utf8) const;
    /// The value of a typed text: by the locale first (so "1.000" is a thousand to a German
    /// user), a plain decimal when the locale does not read it.
    std::optional<double> readTyped(QStringView text) const;

    /// The locale the reader follows.
    const QLocale &locale() const noexcept { return m_locale; }

private:
    std::optional<double> readLocale(QStringView text) const;
    std::optional<Amount> readLocaleAmount(QStringView trimmed) const;

    QLocale m_locale;
    bool m_dotGroups; // the locale's group mark is ".", so "1.000" may be a grouped number
};

/// True when typed `text` is numeric (see NumericReader::readTyped).
bool isNumericText(QStringView text);

/// The value of typed numeric text; throws tallymere::Error when the text is not numeric.
double numericValue(QStringView text);

/// True when typed numeric `text` is a number the totals cannot hold (see Amount): more than
/// 15 significant digits, more than 12 decimals, or 10^15 or more in size.
bool isAmountTooLarge(QStringView text);

/// Typed numeric text (see NumericReader::readTyped) as the plain decimal the ledger keeps:
/// an optional minus, digits, and "." followed by the decimals the text carries when it
/// carries any; no grouping, blanks, plus sign or exponent ("1,000.00" gives "1000.00", "1e3"
/// gives "1000", " .5 " gives "0.5"). A result of 1 to 3 digits and exactly three decimals
/// gets a fourth ("1.234" gives "1.2340"), so that no reader takes it for a grouped thousand.
/// Nothing when the text is not numeric.
std::optional<QString> plainDecimalText(QStringView text);

/// A plain decimal (as a bank statement's reader gives an amount: "-0110.70") in the form the
/// save stores, read without the locale: leading zeros go, "-0" is "0", and "1.234" is 1.234
/// under every locale (stored "1.2340", as the save stores it). Nothing when the text is no
/// plain decimal.
std::optional<QString> storedPlainDecimal(QStringView text);

/// A stored plain decimal as the user types numbers: its "." becomes the locale's decimal
/// separator. A text the locale reads in its grouped form ("1.000" under de_DE) and any other
/// text are returned as they are.
QString typedDecimalText(const QString &stored);

/// The text of the available balance: the exact difference of the two totals in their general
/// text form (see DecimalSum::text), so equal sums show a balance of exactly 0.
QString balanceText(const DecimalSum &income, const DecimalSum &expenses);

} // namespace tallymere
