#pragma once

#include <QString>
#include <QStringView>

namespace tallymere {

/// True when `text` is numeric text by the user's locale: an optional sign, digits, the user's
/// decimal separator and digit grouping, an optional exponent, surrounding blanks allowed. Empty
/// text, infinities, NaN and numbers beyond the range of a double are not numeric.
bool isNumericText(QStringView text);

/// The value of numeric text; throws tallymere::Error when the text is not numeric.
double numericValue(QStringView text);

/// The general text form of a number: rounded to 15 significant digits, the user's decimal
/// separator, no trailing zeros, no digit grouping, a leading minus when negative.
QString generalNumberText(double value);

} // namespace tallymere
