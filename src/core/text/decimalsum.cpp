#include "core/text/decimalsum.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <string>

#include <QLocale>

#include "core/errors/error.h"

namespace tallymere {
namespace {

using Units = Int128;
__extension__ typedef unsigned __int128 UnsignedUnits;

constexpr std::array<Units, 28> kPowersOfTen = [] {
    std::array<Units, 28> powers{};
    Units power = 1;
    for (Units &p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// Every amount is below 10^27 units, so even INT_MAX of them, and the difference of two such
// sums, stay far inside the range of the sum: an overflow is refused all the same.
constexpr Units kUnitsMax = Units(~UnsignedUnits(0) >> 1);
static_assert(kPowersOfTen[Amount::kIntegerDigits + Amount::kDecimals] / 2 * INT_MAX < kUnitsMax / 4,
              "a sum of as many amounts as a list holds must fit");

constexpr int kDecimalsBits = 4; // 0 to 12 decimals
static_assert(Amount::kDecimals < (1 << kDecimalsBits));

Error overflow()
{
    return Error(QStringLiteral("Overflow"));
}

/// The digits of `magnitude`, most significant first ("0" for zero).
std::string digitsOf(UnsignedUnits magnitude)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    return digits;
}

/// `units` as a plain decimal without trailing zeros.
std::string plainTextOf(Units units)
{
    const bool negative = units < 0;
    std::string digits = digitsOf(negative ? UnsignedUnits(0) - UnsignedUnits(units) : UnsignedUnits(units));
    constexpr std::size_t kPlaces = Amount::kDecimals;
    if (digits.size() <= kPlaces)
        digits.insert(0, kPlaces + 1 - digits.size(), '0');
    std::string decimals = digits.substr(digits.size() - kPlaces);
    digits.resize(digits.size() - kPlaces);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    std::string text = negative ? "-" + digits : digits;
    if (!decimals.empty())
        text += '.' + decimals;
    return text;
}

/// The nearest double of `units`.
double toDoubleOf(Units units)
{
    // Below 2^53 both the units and the power of ten are exact doubles: one division rounds once.
    constexpr Units kExact = Units(1) << 53;
    if (units > -kExact && units < kExact)
        return double(units) / double(kPowersOfTen[Amount::kDecimals]);
    const std::string text = plainTextOf(units);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::optional<Amount> Amount::fromPlainDecimal(std::string_view text) noexcept
{
    const auto isDigit = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t integerBegin = i;
    while (isDigit(i))
        ++i;
    const std::size_t integerEnd = i;
    std::size_t decimalsEnd = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (isDigit(i))
            ++i;
        if (i == integerEnd + 1)
            return std::nullopt;
        decimalsEnd = i;
    }
    if (integerEnd == integerBegin || i != text.size())
        return std::nullopt;

    std::size_t first = integerBegin;
    while (first < integerEnd && text[first] == '0')
        ++first;
    if (integerEnd - first > std::size_t(kIntegerDigits))
        return std::nullopt;
    std::size_t last = decimalsEnd;
    while (last > integerEnd + 1 && text[last - 1] == '0')
        --last;
    const std::size_t decimals = last > integerEnd ? last - integerEnd - 1 : 0;
    if (decimals > std::size_t(kDecimals))
        return std::nullopt;

    std::int64_t coefficient = 0;
    int significant = 0;
    for (std::size_t d = first; d < last; ++d) {
        if (d == integerEnd)
            continue; // the point
        if (coefficient == 0 && text[d] == '0')
            continue; // a leading zero of the decimals
        if (++significant > kSignificantDigits)
            return std::nullopt;
        coefficient = coefficient * 10 + (text[d] - '0');
    }
    if (text[0] == '-')
        coefficient = -coefficient;
    Amount amount;
    amount.m_packed = coefficient * (1 << kDecimalsBits) + std::int64_t(coefficient == 0 ? 0 : decimals);
    return amount;
}

double Amount::toDouble() const noexcept
{
    const std::int64_t coefficient = m_packed >> kDecimalsBits;
    const int decimals = int(m_packed & ((1 << kDecimalsBits) - 1));
    // Both are exact doubles (below 2^53): one division rounds once, to the nearest double.
    return double(coefficient) / double(kPowersOfTen[std::size_t(decimals)]);
}

Int128 Amount::units() const noexcept
{
    const std::int64_t coefficient = m_packed >> kDecimalsBits;
    const int decimals = int(m_packed & ((1 << kDecimalsBits) - 1));
    return Units(coefficient) * kPowersOfTen[std::size_t(kDecimals - decimals)];
}

std::optional<Amount> Amount::unpacked(std::int64_t packed) noexcept
{
    if (packed == packedNone())
        return std::nullopt;
    Amount amount;
    amount.m_packed = packed;
    return amount;
}

void DecimalSum::add(Amount amount)
{
    if (__builtin_add_overflow(m_units, amount.units(), &m_units))
        throw overflow();
}

DecimalSum DecimalSum::ofPacked(const std::int64_t *packed, std::size_t count)
{
    // Coefficients with the same number of decimals add up in 64 bits: each is below 2^50, so
    // 4096 of them cannot overflow before they are moved into the sum.
    constexpr std::size_t kBatch = 4096;
    DecimalSum sum;
    for (std::size_t begin = 0; begin < count; begin += kBatch) {
        std::array<std::int64_t, Amount::kDecimals + 1> byDecimals{};
        const std::size_t end = std::min(count, begin + kBatch);
        for (std::size_t i = begin; i < end; ++i) {
            const std::int64_t value = packed[i];
            if (value != Amount::packedNone())
                byDecimals[std::size_t(value & ((1 << kDecimalsBits) - 1))] += value >> kDecimalsBits;
        }
        for (std::size_t decimals = 0; decimals < byDecimals.size(); ++decimals) {
            const Units units = Units(byDecimals[decimals]) * kPowersOfTen[Amount::kDecimals - decimals];
            if (__builtin_add_overflow(sum.m_units, units, &sum.m_units))
                throw overflow();
        }
    }
    return sum;
}

DecimalSum &DecimalSum::operator+=(const DecimalSum &other)
{
    if (__builtin_add_overflow(m_units, other.m_units, &m_units))
        throw overflow();
    return *this;
}

DecimalSum operator-(const DecimalSum &a, const DecimalSum &b)
{
    DecimalSum difference;
    if (__builtin_sub_overflow(a.m_units, b.m_units, &difference.m_units))
        throw overflow();
    return difference;
}

double DecimalSum::toDouble() const
{
    return toDoubleOf(m_units);
}

std::string DecimalSum::plainText() const
{
    return plainTextOf(m_units);
}

QString DecimalSum::text() const
{
    // Rounded in decimal, half away from zero, to the digits the general form shows: the double
    // of at most 15 significant digits is written back with exactly those digits.
    const bool negative = m_units < 0;
    UnsignedUnits magnitude = negative ? UnsignedUnits(0) - UnsignedUnits(m_units) : UnsignedUnits(m_units);
    const std::size_t digits = digitsOf(magnitude).size();
    if (digits > std::size_t(Amount::kSignificantDigits)) {
        UnsignedUnits scale = 1;
        for (std::size_t i = Amount::kSignificantDigits; i < digits; ++i)
            scale *= 10;
        const UnsignedUnits rest = magnitude % scale;
        magnitude -= rest;
        if (rest >= scale - rest)
            magnitude += scale;
    }
    const Units rounded = negative ? Units(UnsignedUnits(0) - magnitude) : Units(magnitude);
    return generalNumberText(toDoubleOf(rounded));
}

QString generalNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // never "-0"
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

} // namespace tallymere
