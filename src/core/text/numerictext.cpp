#include "core/text/numerictext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include <QByteArray>
#include <QVarLengthArray>

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

/// ASCII text, on the stack when it is as short as nearly every amount.
using AsciiText = QVarLengthArray<char, 32>;

// A plain decimal: an optional minus, ASCII digits, and optionally "." followed by digits,
// nothing else; read with the same value under every locale. Nearly every stored amount takes
// this form, so it is read directly: its ASCII text, in `ascii`, or nothing.
std::optional<std::string_view> asciiPlainDecimal(QStringView text, AsciiText &ascii)
{
    if (text.isEmpty())
        return std::nullopt;
    ascii.resize(text.size());
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
    return std::string_view(ascii.data(), std::size_t(text.size()));
}

std::optional<double> readPlainDecimal(QStringView text)
{
    AsciiText ascii;
    const auto plain = asciiPlainDecimal(text, ascii);
    if (!plain)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(plain->data(), plain->data() + plain->size(), value);
    if (error != std::errc() || end != plain->data() + plain->size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// Whether a plain decimal has 1 to 3 digits and exactly three decimals ("-1.234"): the one
/// form that is also a number grouped by "." ("1.000", a thousand under de_DE).
bool looksGrouped(std::string_view plain)
{
    if (!plain.empty() && plain[0] == '-')
        plain.remove_prefix(1);
    const std::size_t point = plain.find('.');
    return point >= 1 && point <= 3 && plain.size() == point + 4;
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

NumberSymbols symbolsOf(const QLocale &locale)
{
    return {locale.decimalPoint(), locale.groupSeparator(), locale.negativeSign(),
            locale.positiveSign(),  locale.exponential(),    locale.zeroDigit()};
}

} // namespace

NumericReader::NumericReader()
    : m_locale(fixedUserLocale()), m_dotGroups(m_locale.groupSeparator() == QLatin1String("."))
{
}

std::optional<Amount> NumericReader::read(QStringView text) const
{
    const QStringView trimmed = text.trimmed();
    AsciiText ascii;
    if (const auto plain = asciiPlainDecimal(trimmed, ascii)) {
        // "1.000" written under a locale that groups by "." meant a thousand; the save never
        // writes a plain decimal of that form (see plainDecimalText).
        if (!m_dotGroups || !looksGrouped(*plain) || !readLocale(trimmed))
            return Amount::fromPlainDecimal(*plain);
    }
    return readLocaleAmount(trimmed);
}

std::optional<Amount> NumericReader::readLocaleAmount(QStringView trimmed) const
{
    if (!readLocale(trimmed))
        return std::nullopt;
    // The number's own digits, never passing through a double, so it is counted exactly.
    const std::optional<QString> plain = plainDecimalOf(trimmed, symbolsOf(m_locale));
    if (!plain)
        return std::nullopt;
    const QByteArray ascii = plain->toLatin1();
    return Amount::fromPlainDecimal(std::string_view(ascii.constData(), std::size_t(ascii.size())));
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

std::optional<Amount> NumericReader::read(std::string_view utf8) const
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

bool isAmountTooLarge(QStringView text)
{
    const std::optional<QString> plain = plainDecimalText(text);
    if (!plain)
        return false;
    const QByteArray ascii = plain->toLatin1();
    return !Amount::fromPlainDecimal(std::string_view(ascii.constData(), std::size_t(ascii.size())));
}

namespace {

/// A plain decimal as the ledger keeps it: under a locale that groups by ".", "1.234" would read
/// as 1234, so a fourth decimal keeps the number the same for every reader.
std::optional<QString> ungrouped(std::optional<QString> plain)
{
    if (plain) {
        const QByteArray ascii = plain->toLatin1();
        if (looksGrouped(std::string_view(ascii.constData(), std::size_t(ascii.size()))))
            plain->append(QLatin1Char('0'));
    }
    return plain;
}

} // namespace

std::optional<QString> plainDecimalText(QStringView text)
{
    const NumericReader reader;
    const QStringView trimmed = text.trimmed();
    const QLocale &locale = reader.locale();
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    std::optional<QString> plain;
    if (ok && std::isfinite(value) && reader.readTyped(trimmed))
        plain = plainDecimalOf(trimmed, symbolsOf(locale));
    else if (readPlainDecimal(trimmed))
        plain = plainDecimalOf(trimmed, {QStringLiteral("."), {}, {}, {}, {}, {}});
    return ungrouped(std::move(plain));
}

std::optional<QString> storedPlainDecimal(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (!readPlainDecimal(trimmed))
        return std::nullopt;
    return ungrouped(plainDecimalOf(trimmed, {QStringLiteral("."), {}, {}, {}, {}, {}}));
}

QString typedDecimalText(const QString &stored)
{
    const NumericReader reader;
    const QLocale &locale = reader.locale();
    const QString point = locale.decimalPoint();
    AsciiText ascii;
    const auto plain = asciiPlainDecimal(stored, ascii);
    if (point == QLatin1String(".") || !plain || locale.zeroDigit() != QLatin1String("0")
        || locale.negativeSign() != QLatin1String("-"))
        return stored;
    // A thousand that an earlier release kept as typed ("1.000" under de_DE) is shown as it is.
    if (locale.groupSeparator() == QLatin1String(".") && looksGrouped(*plain)) {
        bool ok = false;
        locale.toDouble(stored, &ok);
        if (ok)
            return stored;
    }
    QString typed = stored;
    typed.replace(QLatin1Char('.'), point);
    return typed;
}

QString balanceText(const DecimalSum &income, const DecimalSum &expenses)
{
    // Both sums are exact, so their difference is too: 100.3 against 100.1 and 0.2 is 0.
    return (income - expenses).text();
}

} // namespace tallymere
