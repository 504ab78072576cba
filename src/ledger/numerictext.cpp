#include "ledger/numerictext.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "errors/error.h"

namespace tallymere {
namespace {

// The desktop's own locale answers every question about its number format through the
// platform, which costs microseconds a number; the same locale made from its name answers from
// Qt's tables.
QLocale fixedUserLocale()
{
    const QLocale current;
    if (current != QLocale::system())
        return current;
    QLocale named(current.name());
    named.setNumberOptions(current.numberOptions());
    return named;
}

// The decimal point of plain decimal numbers: ASCII digits, an ASCII minus and a one-character
// decimal point, with no option that rejects any of their forms. 0 when the locale writes
// numbers otherwise.
char16_t plainDecimalPoint(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    const QLocale::NumberOptions rejecting = QLocale::RejectGroupSeparator | QLocale::RejectLeadingZeroInExponent
        | QLocale::RejectTrailingZeroesAfterDot;
    if (locale.zeroDigit() != QLatin1String("0") || locale.negativeSign() != QLatin1String("-")
        || point.size() != 1 || (locale.numberOptions() & rejecting))
        return 0;
    return point.front().unicode();
}

} // namespace

NumericReader::NumericReader() : m_locale(fixedUserLocale()), m_plainPoint(plainDecimalPoint(m_locale)) {}

std::optional<double> NumericReader::read(QStringView text) const
{
    if (const auto plain = readPlainDecimal(text))
        return plain;
    // A number has a digit and does not begin with a letter, in any script or locale: this rules
    // out most words (sources, particulars) before the locale's full test.
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.front().isLetter()
        || std::none_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const double value = m_locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> NumericReader::read(std::string_view utf8) const
{
    // Amounts are nearly always short ASCII text: widen it on the stack instead of making a QString.
    constexpr std::size_t kShort = 64;
    if (utf8.size() <= kShort) {
        char16_t wide[kShort];
        bool ascii = true;
        for (std::size_t i = 0; i < utf8.size() && ascii; ++i) {
            ascii = static_cast<unsigned char>(utf8[i]) < 0x80;
            wide[i] = char16_t(static_cast<unsigned char>(utf8[i]));
        }
        if (ascii)
            return read(QStringView(wide, qsizetype(utf8.size())));
    }
    return read(QStringView(QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))));
}

// A plain decimal number: an optional minus, digits, and optionally the decimal point followed
// by digits, nothing else. Every such text is numeric by the locale's own test, with the same
// value, and nearly every amount takes this form, so it is read directly.
std::optional<double> NumericReader::readPlainDecimal(QStringView text) const
{
    constexpr qsizetype kLongest = 32;
    if (m_plainPoint == 0 || text.isEmpty() || text.size() > kLongest)
        return std::nullopt;
    char ascii[kLongest];
    qsizetype i = 0;
    if (text[0] == u'-') {
        ascii[0] = '-';
        ++i;
    }
    bool point = false;
    bool digitBefore = false;
    bool digitAfter = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            (point ? digitAfter : digitBefore) = true;
            ascii[i] = char(c);
        } else if (c == m_plainPoint && !point && digitBefore) {
            point = true;
            ascii[i] = '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digitBefore || (point && !digitAfter))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + text.size(), value);
    if (error != std::errc() || end != ascii + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isNumericText(QStringView text)
{
    return NumericReader().read(text).has_value();
}

double numericValue(QStringView text)
{
    if (const auto value = NumericReader().read(text))
        return *value;
    throw Error(QStringLiteral("Type mismatch: \"%1\" is not a number.").arg(text));
}

QString generalNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // never "-0"
    QLocale locale = fixedUserLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

} // namespace tallymere
