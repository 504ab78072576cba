#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QLocale>

#include "core/errors/error.h"
#include "core/text/numerictext.h"

namespace tallymere {
namespace {

/// Runs a test under a given user locale and puts the previous one back.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &locale) : m_previous(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

TEST(NumericText, acceptsPlainNumbersWithSignDecimalsGroupingAndBlanks)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const char *text : {"1500", "12.50", "-7", "+3.5", ".5", "1,234.50", "  12 ", "1e5", "0"})
        EXPECT_TRUE(isNumericText(QString::fromUtf8(text))) << text;
    EXPECT_DOUBLE_EQ(numericValue(u"1,234.50"), 1234.5);
    EXPECT_DOUBLE_EQ(numericValue(u" -7 "), -7);
}

TEST(NumericText, refusesTextThatIsNoFiniteNumber)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const char *text : {"", "   ", "12a", "abc", "1e400", "inf", "nan", "1.2.3", "--1", "12,5,"})
        EXPECT_FALSE(isNumericText(QString::fromUtf8(text))) << text;
    EXPECT_THROW(numericValue(u"12a"), Error);
}

TEST(NumericText, followsTheUsersDecimalSeparator)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(isNumericText(u"12,5"));
    EXPECT_DOUBLE_EQ(numericValue(u"12,5"), 12.5);
    EXPECT_EQ(generalNumberText(12.5), QStringLiteral("12,5"));
}

QLocale english() { return QLocale(QLocale::English, QLocale::UnitedStates); }
QLocale german() { return QLocale(QLocale::German, QLocale::Germany); }
QLocale french() { return QLocale(QLocale::French, QLocale::France); }

/// A text as stored (no typing locale), or as typed under a locale and what the save keeps of
/// it; then what the stored text reads as under each of three locales (none: not counted).
struct StoredCase {
    std::optional<QLocale> typedUnder;
    QString text;
    QString stored;
    std::optional<double> english;
    std::optional<double> german;
    std::optional<double> french;
};

TEST(NumericText, storedAmountsMeanWhatTheyMeantWhenWrittenUnderEveryLocale)
{
    const std::optional<double> none;
    const QString grouped = QStringLiteral("1\u202f234,5"); // French groups by a narrow no-break space
    const std::vector<StoredCase> cases{
        // Plain decimals read alike everywhere, but the locale's grouped form is read as an
        // earlier release that kept amounts as typed meant it.
        {{}, QStringLiteral("1012.50"), {}, 1012.5, 1012.5, 1012.5},
        {{}, QStringLiteral("1.000"), {}, 1, 1000, 1},
        {{}, QStringLiteral(" -2.500 "), {}, -2.5, -2500, -2.5},
        {{}, QStringLiteral("12.345.678"), {}, none, 12345678, none},
        {{}, QStringLiteral("1,000"), {}, 1000, 1, 1},
        {{}, QStringLiteral("1.0000"), {}, 1, 1, 1},
        {{}, QStringLiteral("1234.567"), {}, 1234.567, 1234.567, 1234.567},
        {{}, QStringLiteral("12a"), {}, none, none, none},
        // What the totals cannot hold counts for nothing.
        {{}, QStringLiteral("1e308"), {}, none, none, none},
        {{}, QStringLiteral("999999999999999999999"), {}, none, none, none},
        {{}, QStringLiteral("1234567890.123456"), {}, none, none, none},
        {{}, QStringLiteral("0.0000000000001"), {}, none, none, none},
        {{}, QStringLiteral("999999999999999"), {}, 999999999999999, 999999999999999, 999999999999999},
        {{}, QStringLiteral("0.000000000001"), {}, 1e-12, 1e-12, 1e-12},
        // Typed: the save never writes the grouped form.
        {english(), QStringLiteral("1.234"), QStringLiteral("1.2340"), 1.234, 1.234, 1.234},
        {german(), QStringLiteral("1,234"), QStringLiteral("1.2340"), 1.234, 1.234, 1.234},
        {german(), QStringLiteral("-1,5"), QStringLiteral("-1.5"), -1.5, -1.5, -1.5},
        {german(), QStringLiteral("1.000"), QStringLiteral("1000"), 1000, 1000, 1000},
        {german(), QStringLiteral(" 1.000,50 "), QStringLiteral("1000.50"), 1000.5, 1000.5, 1000.5},
        {german(), QStringLiteral("1234,567"), QStringLiteral("1234.567"), 1234.567, 1234.567, 1234.567},
        {english(), QStringLiteral("0.001"), QStringLiteral("0.0010"), 0.001, 0.001, 0.001},
        {english(), QStringLiteral("1,234.567"), QStringLiteral("1234.567"), 1234.567, 1234.567, 1234.567},
        {french(), grouped, QStringLiteral("1234.5"), 1234.5, 1234.5, 1234.5},
        {french(), QStringLiteral("999,999"), QStringLiteral("999.9990"), 999.999, 999.999, 999.999},
    };
    for (const StoredCase &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QString stored = c.text;
        if (c.typedUnder) {
            LocaleScope typing(*c.typedUnder);
            stored = plainDecimalText(c.text).value_or(QString());
            EXPECT_EQ(stored, c.stored);
        }
        const std::pair<QLocale, std::optional<double>> readers[] = {
            {english(), c.english}, {german(), c.german}, {french(), c.french}};
        for (const auto &[locale, expected] : readers) {
            SCOPED_TRACE(locale.name().toStdString());
            LocaleScope reading(locale);
            const std::optional<Amount> amount = NumericReader().read(stored);
            EXPECT_EQ(amount ? std::optional(amount->toDouble()) : std::nullopt, expected);
            // The update editor shows the amount as the user types numbers; an unchanged save
            // keeps the same number.
            if (expected) {
                const std::optional<QString> again = plainDecimalText(typedDecimalText(stored));
                ASSERT_TRUE(again.has_value());
                EXPECT_EQ(NumericReader().read(*again)->toDouble(), *expected);
            }
        }
    }
}

TEST(NumericText, typedTextIsReadByTheLocaleFirst)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    const NumericReader reader;
    EXPECT_EQ(reader.readTyped(u"1.000"), 1000.0);
    EXPECT_EQ(reader.readTyped(u"1000.5"), 1000.5);
    EXPECT_EQ(typedDecimalText(QStringLiteral("1000.50")), QStringLiteral("1000,50"));
    EXPECT_EQ(plainDecimalText(u"12a"), std::nullopt);
}

TEST(NumericText, generalTextRoundsTo15DigitsWithoutGroupingOrTrailingZeros)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(generalNumberText(1500), QStringLiteral("1500"));
    EXPECT_EQ(generalNumberText(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(generalNumberText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(generalNumberText(-250.75), QStringLiteral("-250.75"));
    EXPECT_EQ(generalNumberText(1234567.89), QStringLiteral("1234567.89"));
    EXPECT_EQ(generalNumberText(-0.0), QStringLiteral("0"));
}

DecimalSum sumOf(const std::vector<const char *> &amounts)
{
    DecimalSum sum;
    for (const char *amount : amounts)
        sum.add(Amount::fromPlainDecimal(amount).value());
    return sum;
}

struct SumCase {
    std::vector<const char *> income;
    std::vector<const char *> expenses;
    const char *incomeText;
    const char *balanceText;
};

TEST(Totals, areExactSumsWrittenToFifteenDigits)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    const SumCase cases[] = {
        {{"100.50", "200"}, {}, "300.5", "300.5"},
        {{"100.3"}, {"100.1", "0.2"}, "100.3", "0"},
        {{"0.3"}, {"0.1", "0.2"}, "0.3", "0"},
        {{"100"}, {"250.5"}, "100", "-150.5"},
        {{}, {}, "0", "0"},
        {{"0.001"}, {"-0"}, "0.001", "0.001"},
        {{"0.000000000001", "-0.000000000002"}, {}, "-1E-12", "-1E-12"}, // the general form's exponent
        // Beyond 15 digits the text rounds the exact sum, half away from zero.
        {{"100000000000000", "0.3"}, {"100000000000000"}, "100000000000000", "0.3"},
        {{"1234567890.12345", "0.000005"}, {}, "1234567890.12346", "1234567890.12346"},
        {{"-1234567890.12345", "-0.000005"}, {}, "-1234567890.12346", "-1234567890.12346"},
        {{"999999999999999", "999999999999999"}, {"1"}, "2E+15", "2E+15"},
    };
    for (const SumCase &c : cases) {
        const DecimalSum income = sumOf(c.income);
        const DecimalSum expenses = sumOf(c.expenses);
        EXPECT_EQ(income.text(), QString::fromUtf8(c.incomeText));
        EXPECT_EQ(balanceText(income, expenses), QString::fromUtf8(c.balanceText));
    }
    // The double of a sum is the one nearest to it, not the sum of the amounts' doubles.
    EXPECT_EQ(sumOf({"0.1", "0.2"}).toDouble(), 0.3);
    EXPECT_EQ(sumOf({"100000000000000", "0.3"}).toDouble(), 100000000000000.3);
    EXPECT_EQ(sumOf({"100000000000000", "0.3"}).plainText(), "100000000000000.3");
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(sumOf({"100.50", "200.25"}).text(), QStringLiteral("300,75"));
}

TEST(Totals, aListsTotalIsTheSumOfItsAmountsOneByOne)
{
    // Many amounts of every number of decimals, large and negative ones, and rows without one.
    std::vector<std::int64_t> packed;
    DecimalSum oneByOne;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = (i % 3 ? "" : "-") + std::to_string(999999999999999LL - i * 7919LL);
        const std::size_t decimals = std::size_t(i % 13);
        std::string amount = text.substr(0, text.size() - decimals);
        if (decimals > 0)
            amount += '.' + text.substr(text.size() - decimals);
        const std::optional<Amount> parsed = i % 17 ? Amount::fromPlainDecimal(amount) : std::nullopt;
        packed.push_back(parsed ? parsed->packed() : Amount::packedNone());
        if (parsed)
            oneByOne.add(*parsed);
    }
    EXPECT_EQ(DecimalSum::ofPacked(packed.data(), packed.size()), oneByOne);
    EXPECT_EQ(DecimalSum::ofPacked(packed.data(), 0), DecimalSum());
}

} // namespace
} // namespace tallymere
