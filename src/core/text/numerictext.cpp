#include "core/text/numerictext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "core/errors/error.h"

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

// A plain decimal: an optional minus, ASCII digits, and optionally "." followed by digits,
// nothing else; read with the same value under every locale. Nearly every stored amount takes
// this form, so it is read directly.
std::optional<double> readPlainDecimal(QStringView text)
{
    constexpr qsizetype kLongest = 32;
    if (text.isEmpty() || text.size() > kLongest)
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
        } else if (c == u'.' && !point && digitBefore) {
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

/// The symbols of one number format, as a text in it is taken apart.
struct NumberSymbols {
    QString point;
    QString group;
    QString minus;
    QString plus;
    QString exponent;
    QString zero;
};

/// `text` in the format of `symbols` as a plain decimal, its digits moved by the exponent
/// without passing through a double; nothing for a form this does not know.
std::optional<QString> plainDecimalOf(QStringView text, const NumberSymbols &symbols)
{
    // The format's signs, separators and digits become their ASCII forms and group separators
    // go: what is left is [sign] digits [. digits] [e [sign] digits].
    std::string ascii;
    for (qsizetype i = 0; i < text.size();) {
        const QStringView rest = text.mid(i);
        const QChar c = text[i];
        const auto takes = [&](const QString &symbol) { return !symbol.isEmpty() && rest.startsWith(symbol); };
        qsizetype used = 1;
        if (c >= u'0' && c <= u'9') {
            ascii += char(c.unicode());
        } else if (symbols.zero.size() == 1 && c.unicode() > symbols.zero[0].unicode()
                   && c.unicode() <= symbols.zero[0].unicode() + 9) {
            ascii += char('0' + (c.unicode() - symbols.zero[0].unicode()));
        } else if (symbols.zero.size() == 1 && c == symbols.zero[0]) {
            ascii += '0';
        } else if (takes(symbols.point)) {
            ascii += '.';
            used = symbols.point.size();
        } else if (takes(symbols.group)) {
            used = symbols.group.size();
        } else if (c == u'-' || takes(symbols.minus)) {
            ascii += '-';
            used = c == u'-' ? 1 : symbols.minus.size();
        } else if (c == u'+' || takes(symbols.plus)) {
            ascii += '+';
            used = c == u'+' ? 1 : symbols.plus.size();
        } else if (c == u'e' || c == u'E'
                   || (!symbols.exponent.isEmpty() && rest.startsWith(symbols.exponent, Qt::CaseInsensitive))) {
            ascii += 'e';
            used = (c == u'e' || c == u'E') ? 1 : symbols.exponent.size();
        } else {
            return std::nullopt;
        }
        i += used;
    }

    std::size_t at = 0;
    bool negative = false;
    if (at < ascii.size() && (ascii[at] == '-' || ascii[at] == '+'))
        negative = ascii[at++] == '-';
    const auto isDigit = [&] { return at < ascii.size() && ascii[at] >= '0' && ascii[at] <= '9'; };
    std::string digits;
    while (isDigit())
        digits += ascii[at++];
    const std::size_t integerDigits = digits.size();
    if (at < ascii.size() && ascii[at] == '.') {
        ++at;
        while (isDigit())
            digits += ascii[at++];
    }
    long long shift = 0;
    if (at < ascii.size() && ascii[at] == 'e') {
        ++at;
        bool negativeExponent = false;
        if (at < ascii.size() && (ascii[at] == '-' || ascii[at] == '+'))
            negativeExponent = ascii[at++] == '-';
        const std::size_t first = at;
        while (isDigit() && at - first < 6)
            shift = shift * 10 + (ascii[at++] - '0');
        if (at == first)
            return std::nullopt;
        if (negativeExponent)
            shift = -shift;
    }
    if (digits.empty() || at != ascii.size())
        return std::nullopt;

    const long long pointAt = static_cast<long long>(integerDigits) + shift;
    std::string whole;
    std::string decimals;
    if (pointAt <= 0) {
        whole = "0";
        decimals = std::string(std::size_t(-pointAt), '0') + digits;
    } else if (std::size_t(pointAt) >= digits.size()) {
        whole = digits + std::string(std::size_t(pointAt) - digits.size(), '0');
    } else {
        whole = digits.substr(0, std::size_t(pointAt));
        decimals = digits.substr(std::size_t(pointAt));
    }
    const std::size_t firstSignificant = whole.find_first_not_of('0');
    whole = firstSignificant == std::string::npos ? "0" : whole.substr(firstSignificant);
    const bool zeroValue = whole == "0" && decimals.find_first_not_of('0') == std::string::npos;

    std::string result = negative && !zeroValue ? "-" : "";
    result += whole;
    if (!decimals.empty())
        result += '.' + decimals;
    return QString::fromLatin1(result.data(), qsizetype(result.size()));
}

} // namespace

NumericReader::NumericReader() : m_locale(fixedUserLocale()) {}

std::optional<double> NumericReader::read(QStringView text) const
{
    if (const auto plain = readPlainDecimal(text.trimmed()))
        return plain;
    return readLocale(text);
}

std::optional<double> NumericReader::readTyped(QStringView text) const
{
    if (const auto typed = readLocale(text))
        return typed;
    return readPlainDecimal(text.trimmed());
}

std::optional<double> NumericReader::readLocale(QStringView text) const
{
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

bool isNumericText(QStringView text)
{
    return NumericReader().readTyped(text).has_value();
}

double numericValue(QStringView text)
{
    if (const auto value = NumericReader().readTyped(text))
        return *value;
    throw Error(QStringLiteral("Type mismatch: \"%1\" is not a number.").arg(text));
}

std::optional<QString> plainDecimalText(QStringView text)
{
    const NumericReader reader;
    const QStringView trimmed = text.trimmed();
    const QLocale &locale = reader.locale();
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (ok && std::isfinite(value) && reader.readTyped(trimmed)) {
        return plainDecimalOf(trimmed, {locale.decimalPoint(), locale.groupSeparator(), locale.negativeSign(),
                                        locale.positiveSign(), locale.exponential(), locale.zeroDigit()});
    }
    return storedPlainDecimal(trimmed);
}

std::optional<QString> storedPlainDecimal(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (readPlainDecimal(trimmed))
        return plainDecimalOf(trimmed, {QStringLiteral("."), {}, {}, {}, {}, {}});
    return std::nullopt;
}

QString typedDecimalText(const QString &stored)
{
    const QLocale locale = fixedUserLocale();
    const QString point = locale.decimalPoint();
    if (point == QLatin1String(".") || !readPlainDecimal(stored) || locale.zeroDigit() != QLatin1String("0")
        || locale.negativeSign() != QLatin1String("-"))
        return stored;
    QString typed = stored;
    typed.replace(QLatin1Char('.'), point);
    return typed;
}

QString generalNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // never "-0"
    QLocale locale = fixedUserLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QString balanceText(double income, double expenses)
{
    double balance = income - expenses;
    if (!std::isfinite(balance))
        throw Error(QStringLiteral("Overflow"));
    // The difference of two totals is no more precise than they are: beyond their 15th
    // significant digit it is the noise of binary fractions (100.3 - 100.1 - 0.2).
    const double magnitude = std::max(std::fabs(income), std::fabs(expenses));
    if (magnitude > 0) {
        const int decimals = 15 - int(std::floor(std::log10(magnitude))) - 1;
        if (decimals > 0 && decimals < 300) {
            const double scale = std::pow(10.0, decimals);
            balance = std::round(balance * scale) / scale;
        }
    }
    return generalNumberText(balance);
}

} // namespace tallymere
