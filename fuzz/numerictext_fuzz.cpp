// The numeric-text test. Whatever the text and the user's locale, the program's reader (and
// its UTF-8 entry) reads a stored plain decimal ("-12.50") as such, except one in the locale's
// grouped form ("1.000" under de_DE), and any other text as the locale's own number test does,
// with the same value, unless the number is more than the totals can hold (which needs more
// than 12 digits or an exponent, or a size of 10^15); typed text is read by the locale first;
// the plain decimal made of typed text reads back to the same value, exactly when it is not
// too large; an amount's exact sum is written as the general form of its value; and the
// general text form of every value it reads, where that form has no exponent, is the locale's
// negative sign (for a negative value) before numeric text that reads back to the same form.
//
// Input: one byte choosing the locale, then the text as UTF-8.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include "core/errors/error.h"
#include "fuzzcheck.h"
#include "core/text/numerictext.h"

using namespace tallymere;

namespace {

// Locales whose numbers differ: decimal comma, grouping by two digits, the apostrophe and the
// narrow no-break space as group separators, the true minus sign, Arabic-Indic digits.
const std::array<QLocale, 8> &locales()
{
    static const std::array<QLocale, 8> all{
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::German, QLocale::Switzerland),
        QLocale(QLocale::English, QLocale::India),
        QLocale(QLocale::Swedish, QLocale::Sweden),
        QLocale(QLocale::Arabic, QLocale::Egypt),
    };
    return all;
}

/// The locale's own test, on the text without its surrounding blanks.
std::optional<double> localeReads(const QString &text)
{
    bool ok = false;
    const double value = QLocale().toDouble(QStringView(text).trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// A plain decimal: an optional minus, ASCII digits, "." and ASCII digits.
std::optional<double> plainReads(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype i = trimmed.startsWith(u'-') ? 1 : 0;
    qsizetype digitsBefore = 0;
    while (i < trimmed.size() && trimmed[i] >= u'0' && trimmed[i] <= u'9')
        ++i, ++digitsBefore;
    if (digitsBefore == 0)
        return std::nullopt;
    if (i < trimmed.size() && trimmed[i] == u'.') {
        const qsizetype point = ++i;
        while (i < trimmed.size() && trimmed[i] >= u'0' && trimmed[i] <= u'9')
            ++i;
        if (i == point)
            return std::nullopt;
    }
    if (i != trimmed.size())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// Whether the text is in the locale's grouped form: an optional minus, 1 to 3 digits, then
/// groups of the group mark and three digits.
bool groupedForm(const QString &text)
{
    const QRegularExpression form(QStringLiteral("^-?[0-9]{1,3}(%1[0-9]{3})+$")
                                      .arg(QRegularExpression::escape(QLocale().groupSeparator())));
    return form.match(text.trimmed()).hasMatch();
}

/// A number too large for the totals has more than 12 digits, an exponent or a size of 10^15.
bool mayBeTooLarge(const QString &text, double value)
{
    const auto digits = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    const QString exponent = QLocale().exponential();
    return digits > 12 || text.contains(u'e', Qt::CaseInsensitive)
        || (!exponent.isEmpty() && text.contains(exponent, Qt::CaseInsensitive)) || std::fabs(value) >= 1e15;
}

bool throwsError(const QString &text)
{
    try {
        numericValue(text);
    } catch (const Error &) {
        return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    QLocale::setDefault(locales()[data[0] % locales().size()]);
    const std::string_view utf8(reinterpret_cast<const char *>(data + 1), size - 1);
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));

    const NumericReader reader;
    const std::optional<Amount> stored = reader.read(text);
    const bool byLocale = !plainReads(text) || (groupedForm(text) && localeReads(text));
    const std::optional<double> storedExpected = byLocale ? localeReads(text) : plainReads(text);
    if (stored) {
        FUZZ_CHECK(storedExpected && stored->toDouble() == *storedExpected);
        DecimalSum sum;
        sum.add(*stored);
        FUZZ_CHECK(sum.toDouble() == stored->toDouble());
        FUZZ_CHECK(sum.text() == generalNumberText(stored->toDouble()));
    } else if (storedExpected) {
        FUZZ_CHECK(mayBeTooLarge(text, *storedExpected));
    }
    FUZZ_CHECK(reader.read(utf8) == stored);
    FUZZ_CHECK(reader.read(QLatin1Char(' ') + text + QLatin1String("  ")) == stored);

    const std::optional<double> value = reader.readTyped(text);
    const std::optional<double> expected = localeReads(text) ? localeReads(text) : plainReads(text);
    FUZZ_CHECK(value == expected);
    FUZZ_CHECK(isNumericText(text) == value.has_value());
    FUZZ_CHECK(throwsError(text) == !value.has_value());
    if (!value)
        return 0;
    FUZZ_CHECK(numericValue(text) == *value);

    // What the save keeps reads back, as a stored text, to the typed value.
    if (const std::optional<QString> plain = plainDecimalText(text)) {
        FUZZ_CHECK(plainReads(*plain).has_value());
        const std::optional<Amount> kept = reader.read(*plain);
        FUZZ_CHECK(kept.has_value() == !isAmountTooLarge(text));
        if (kept)
            FUZZ_CHECK(kept->toDouble() == *value);
    }

    // The general form reads back where it is written without an exponent, as amounts and
    // totals are: some locales write exponents that their own number test does not read. A
    // negative value is its magnitude's form after the locale's negative sign (which, in Arabic,
    // begins with a mark that the locale's own test does not read).
    const double magnitude = std::fabs(*value);
    if (magnitude != 0 && (magnitude >= 1e15 || magnitude < 1e-4))
        return 0;
    const QString general = generalNumberText(*value);
    FUZZ_CHECK(general != QLatin1String("-0"));
    FUZZ_CHECK(!general.contains(QLocale().groupSeparator()));
    const QString magnitudeText = generalNumberText(magnitude);
    if (*value < 0)
        FUZZ_CHECK(general == QLocale().negativeSign() + magnitudeText);
    const std::optional<double> again = reader.readTyped(magnitudeText);
    FUZZ_CHECK(again.has_value());
    // Fifteen significant digits survive a trip through a double unchanged.
    FUZZ_CHECK(std::fabs(*again - magnitude) <= magnitude * 1e-14);
    FUZZ_CHECK(generalNumberText(*again) == magnitudeText);
    return 0;
}
