// The numeric-text test. Whatever the text and the user's locale, the program's reader (and
// its UTF-8 entry) reads a stored plain decimal ("-12.50") as such and any other text as the
// locale's own number test does, with the same value; typed text is read by the locale first;
// the plain decimal made of typed text reads back to the same value; and the general text form of every value it reads, where that form
// has no exponent, is the locale's negative sign (for a negative value) before numeric text that
// reads back to the same form.
//
// Input: one byte choosing the locale, then the text as UTF-8.

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include <QLocale>
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
    const std::optional<double> stored = reader.read(text);
    const std::optional<double> storedExpected = plainReads(text) ? plainReads(text) : localeReads(text);
    FUZZ_CHECK(stored == storedExpected);
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
        if (plain->size() <= 32)
            FUZZ_CHECK(reader.read(*plain) == value);
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
    const std::optional<double> again = reader.read(magnitudeText);
    FUZZ_CHECK(again.has_value());
    // Fifteen significant digits survive a trip through a double unchanged.
    FUZZ_CHECK(std::fabs(*again - magnitude) <= magnitude * 1e-14);
    FUZZ_CHECK(generalNumberText(*again) == magnitudeText);
    return 0;
}
