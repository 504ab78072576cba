#pragma once

#include <optional>
#include <string_view>

#include <QLocale>
#include <QString>
#include <QStringView>

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

    /// The value of a stored text: a plain decimal as such, any other text by the locale;
    /// nothing when it is not numeric.
    std::optional<double> read(QStringView text) const;
    /// The same for UTF-8 text.
    std::optional<double> read(std::string_view utf8) const;
    /// The value of a typed text: by the locale first (so "1.000" is a thousand to a German
    /// user), a plain decimal when the locale does not read it.
    std::optional<double> readTyped(QStringView text) const;

    /// The locale the reader follows.
    const QLocale &locale() const noexcept { return m_locale; }

private:
    std::optional<double> readLocale(QStringView text) const;

    QLocale m_locale;
};

/// True when typed `text` is numeric (see NumericReader::readTyped).
bool isNumericText(QStringView text);

/// The value of typed numeric text; throws tallymere::Error when the text is not numeric.
double numericValue(QStringView text);

/// Typed numeric text (see NumericReader::readTyped) as the plain decimal the ledger keeps:
/// an optional minus, digits, and "." followed by the decimals the text carries when it
/// carries any; no grouping, blanks, plus sign or exponent ("1,000.00" gives "1000.00", "1e3"
/// gives "1000", " .5 " gives "0.5"). Nothing when the text is not numeric.
std::optional<QString> plainDecimalText(QStringView text);

/// A plain decimal (as a bank statement's reader gives an amount: "-0110.70") in the form the
/// save stores, read without the locale, so "1.234" stays 1.234 under every locale; leading
/// zeros go and "-0" is "0". Nothing when the text is no plain decimal.
std::optional<QString> storedPlainDecimal(QStringView text);

/// A stored plain decimal as the user types numbers: its "." becomes the locale's decimal
/// separator. Any other text is returned as it is.
QString typedDecimalText(const QString &stored);

/// The general text form of a number: rounded to 15 significant digits, the user's decimal
/// separator, no trailing zeros, no digit grouping, a leading minus when negative.
QString generalNumberText(double value);

/// The text of the available balance: income minus expenses, rounded to the precision that the
/// two totals themselves carry, so that equal sums show a balance of exactly 0. Throws
/// tallymere::Error ("Overflow") when the difference is beyond the range of numbers.
QString balanceText(double income, double expenses);

} // namespace tallymere
