#pragma once

#include <optional>
#include <string_view>

#include <QLocale>
#include <QString>
#include <QStringView>

namespace tallymere {

/// Reads numeric text by the user's locale as it was when the reader was made: an optional
/// sign, digits, the locale's decimal separator and digit grouping, an optional exponent,
/// surrounding blanks allowed. Empty text, infinities, NaN and numbers beyond the range of a
/// double are not numeric. Make one per loop over many values: asking the desktop for its
/// locale costs more than reading a number.
class NumericReader
{
public:
    NumericReader();

    /// The value of `text`, or nothing when it is not numeric text.
    std::optional<double> read(QStringView text) const;
    /// The same for UTF-8 text.
    std::optional<double> read(std::string_view utf8) const;

private:
    std::optional<double> readPlainDecimal(QStringView text) const;

    QLocale m_locale;
    char16_t m_plainPoint = 0; // the decimal point of plain decimals, 0 when the locale has none
};

/// True when `text` is numeric text by the user's locale (see NumericReader).
bool isNumericText(QStringView text);

/// The value of numeric text; throws tallymere::Error when the text is not numeric.
double numericValue(QStringView text);

/// The general text form of a number: rounded to 15 significant digits, the user's decimal
/// separator, no trailing zeros, no digit grouping, a leading minus when negative.
QString generalNumberText(double value);

} // namespace tallymere
