#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace tallymere {

/// A 128-bit integer (a GCC and Clang extension), for exact sums.
__extension__ typedef __int128 Int128;

/// One amount exactly as the totals count it: a decimal of at most 15 significant digits, at
/// most 12 decimals and less than 10^15 in size ("-1234.50", "0.000000000001"). Any other number
/// is more than the totals can hold to its last decimal and counts for nothing in them. Kept in
/// 8 bytes, so a list can hold one beside each row.
class Amount
{
public:
    static constexpr int kSignificantDigits = 15;
    static constexpr int kDecimals = 12;
    static constexpr int kIntegerDigits = 15;

    /// Zero.
    Amount() = default;

    /// The amount a plain decimal stands for (ASCII: an optional minus, digits, and optionally
    /// "." and digits; "-0012.500" is -12.5); nothing when the text is not a plain decimal or
    /// the totals cannot hold its number.
    static std::optional<Amount> fromPlainDecimal(std::string_view text) noexcept;

    /// The nearest double.
    double toDouble() const noexcept;
    /// The amount in units of 10^-kDecimals.
    Int128 units() const noexcept;

    /// The amount in one integer, for a list of many; packedNone() stands for no amount.
    std::int64_t packed() const noexcept { return m_packed; }
    static constexpr std::int64_t packedNone() noexcept { return INT64_MIN; }
    /// The amount of packed(), or nothing for packedNone().
    static std::optional<Amount> unpacked(std::int64_t packed) noexcept;

    bool operator==(const Amount &) const = default;

private:
    // coefficient * 16 + decimals: the amount is coefficient / 10^decimals, with
    // |coefficient| < 10^15 and from 0 to 12 decimals.
    std::int64_t m_packed = 0;
};

/// An exact sum of amounts, as the totals, the balance and the month sums hold them: the sum of
/// any number of amounts a list can hold, to their last decimal, whatever their order.
class DecimalSum
{
public:
    DecimalSum() = default;

    /// Adds one amount; throws tallymere::Error ("Overflow") beyond what the sum can hold, which
    /// takes more than two thousand million amounts.
    void add(Amount amount);
    /// The sum of `count` packed amounts (Amount::packed(); packedNone() adds nothing), as add()
    /// would give it, in a fraction of the time: for a list's total.
    static DecimalSum ofPacked(const std::int64_t *packed, std::size_t count);
    DecimalSum &operator+=(const DecimalSum &other);
    /// The difference; throws tallymere::Error ("Overflow") beyond what a sum can hold.
    friend DecimalSum operator-(const DecimalSum &a, const DecimalSum &b);

    /// The nearest double.
    double toDouble() const;
    /// The general text form of the sum (see generalNumberText), rounded to 15 significant
    /// digits from its exact value: 0.1 + 0.2 is "0.3", 100.50 + 200 is "300.5".
    QString text() const;
    /// The exact sum as a plain decimal without trailing zeros ("-1234.5").
    std::string plainText() const;

    bool operator==(const DecimalSum &) const = default;

private:
    Int128 m_units = 0; // in units of 10^-Amount::kDecimals
};

/// The general text form of a number: rounded to 15 significant digits, the user's decimal
/// separator, no trailing zeros, no digit grouping, a leading minus when negative; an
/// exponent from 10^15 up and below 10^-4.
QString generalNumberText(double value);

} // namespace tallymere
