#include <gtest/gtest.h>

#include "core/import/amounttext.h"

namespace tallymere::import {
namespace {

struct MarkCase {
    QStringList amounts;
    QChar fallback;
    Grouping grouping;
    QChar expected;
};

class DecimalMark : public ::testing::TestWithParam<MarkCase>
{
};

TEST_P(DecimalMark, isDecidedFromAllTheFilesAmounts)
{
    const MarkCase &c = GetParam();
    EXPECT_EQ(decideDecimalMark(c.amounts, c.fallback, c.grouping), c.expected) << c.amounts.join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Amounts, DecimalMark, ::testing::Values(
    MarkCase{{"-110,7 €", "2.500,00 €"}, u'.', Grouping::Allowed, u','},
    MarkCase{{"1,234.56", "-4.50"}, u',', Grouping::Allowed, u'.'},
    // "1.000" alone could be a thousand or one: the decimals of the other amounts tell.
    MarkCase{{"1.000", "-12,5"}, u'.', Grouping::Allowed, u','},
    MarkCase{{"1.000", "-12.50"}, u',', Grouping::Allowed, u'.'},
    MarkCase{{"1.000", "2.000"}, u',', Grouping::Allowed, u','},
    MarkCase{{"1.234.567"}, u'.', Grouping::Allowed, u','},
    MarkCase{{"0,125"}, u'.', Grouping::Allowed, u','},
    MarkCase{{"1'234.50"}, u',', Grouping::Allowed, u'.'},
    MarkCase{{"-12,345"}, u'.', Grouping::None, u','},
    MarkCase{{"15", "-7"}, u',', Grouping::Allowed, u','}));

struct PlainCase {
    const char *text;
    QChar mark;
    const char *expected; ///< nullptr: no number
};

class PlainAmount : public ::testing::TestWithParam<PlainCase>
{
};

TEST_P(PlainAmount, readsSignsCurrenciesAndGroups)
{
    const PlainCase &c = GetParam();
    const auto plain = plainAmount(QString::fromUtf8(c.text), c.mark);
    if (c.expected)
        EXPECT_EQ(plain, QString::fromUtf8(c.expected)) << c.text;
    else
        EXPECT_FALSE(plain.has_value()) << c.text << " read as " << plain->toStdString();
}

INSTANTIATE_TEST_SUITE_P(Texts, PlainAmount, ::testing::Values(
    PlainCase{"-110,7 €", u',', "-110.7"},
    PlainCase{"(1.234,50)", u',', "-1234.50"},
    PlainCase{"EUR 12.50-", u'.', "-12.50"},
    PlainCase{"€-3", u'.', "-3"},
    PlainCase{"1’234.50 CHF", u'.', "1234.50"},
    PlainCase{"12.50 DR", u'.', "-12.50"},
    PlainCase{"12.50 CR", u'.', "12.50"},
    PlainCase{"1\u00a0234,56", u',', "1234.56"},
    PlainCase{"1 850,00", u',', "1850.00"},
    PlainCase{"+7", u'.', "7"},
    PlainCase{".5", u'.', "0.5"},
    PlainCase{"-0,00", u',', "0.00"},
    PlainCase{"110,70", u'.', nullptr},
    PlainCase{"12,3,4", u',', nullptr},
    PlainCase{"1,2345.00", u'.', nullptr},
    PlainCase{"--5", u'.', nullptr},
    PlainCase{"-(5)", u'.', nullptr},
    PlainCase{"12a", u'.', nullptr},
    PlainCase{"R 12,00", u',', "12.00"},
    PlainCase{"Euros 5", u'.', nullptr},
    PlainCase{"-42.1eis Bar", u'.', nullptr},
    PlainCase{"", u'.', nullptr}));

TEST(PlainAmount, debitAndCreditAndSplitPartsAddUpExactly)
{
    EXPECT_EQ(plainDifference(QStringLiteral("0"), QStringLiteral("35.99")), QStringLiteral("-35.99"));
    EXPECT_EQ(plainDifference(QStringLiteral("10.5"), QStringLiteral("0.25")), QStringLiteral("10.25"));
    EXPECT_EQ(plainSum({QStringLiteral("-60.00"), QStringLiteral("-26.40")}), QStringLiteral("-86.40"));
    EXPECT_EQ(plainSum({QStringLiteral("0.1"), QStringLiteral("0.2")}), QStringLiteral("0.3"));
    EXPECT_FALSE(plainSum({QStringLiteral("999999999999999999"), QStringLiteral("1")}).has_value());
}

} // namespace
} // namespace tallymere::import
