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

TEST(NumericText, plainDecimalsReadAlikeUnderEveryLocaleAndTypedTextByTheLocaleFirst)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    const NumericReader reader;
    EXPECT_EQ(reader.read(u"1012.50"), 1012.5); // stored
    EXPECT_EQ(reader.read(u"12,5"), 12.5);      // an older file's text
    EXPECT_EQ(reader.readTyped(u"1.000"), 1000.0);
    EXPECT_EQ(reader.read(u"1.000"), 1.0);
    // What the save keeps of typed text, and what the editor shows of it again.
    EXPECT_EQ(plainDecimalText(u" 1.000,50 "), QStringLiteral("1000.50"));
    EXPECT_EQ(plainDecimalText(u"1012.5"), QStringLiteral("1012.5"));
    EXPECT_EQ(typedDecimalText(QStringLiteral("1000.50")), QStringLiteral("1000,50"));
    EXPECT_EQ(plainDecimalText(typedDecimalText(QStringLiteral("1.000"))), QStringLiteral("1.000"));
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

TEST(Totals, balanceOfEqualSumsIsExactlyZero)
{
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(balanceText(100.3, 100.1 + 0.2), QStringLiteral("0"));
    EXPECT_EQ(balanceText(0.3, 0.1 + 0.2), QStringLiteral("0"));
    EXPECT_EQ(balanceText(100, 250.5), QStringLiteral("-150.5"));
    EXPECT_EQ(balanceText(0, 0), QStringLiteral("0"));
    EXPECT_EQ(balanceText(1e-3, 0), QStringLiteral("0.001"));
}

} // namespace
} // namespace tallymere
