#include <gtest/gtest.h>

#include <QDate>

#include "core/text/datetext.h"
#include "core/settings/settings.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

struct ReadCase {
    const char *text;
    bool dayFirst;
    QDate expected; // invalid: no date
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"' << (c.dayFirst ? " day-first" : " month-first");
}

class DateTextRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(DateTextRead, readsOnlyRealDatesInTheGivenOrder)
{
    const ReadCase &c = GetParam();
    const auto date = dateText::read(QString::fromUtf8(c.text), c.dayFirst);
    // The reader of stored UTF-8 (the summary's and the sort's) gives the same answers.
    const auto day = dateText::readUtf8(c.text, c.dayFirst);
    const auto iso = dateText::readIsoUtf8(c.text);
    if (c.expected.isValid()) {
        ASSERT_TRUE(date.has_value());
        EXPECT_EQ(*date, c.expected);
        ASSERT_TRUE(day.has_value());
        EXPECT_EQ(QDate(day->year, day->month, day->day), c.expected);
    } else {
        EXPECT_FALSE(date.has_value()) << date->toString(Qt::ISODate).toStdString();
        EXPECT_FALSE(day.has_value());
    }
    EXPECT_EQ(iso.has_value(), date.has_value() && QString::fromUtf8(c.text).contains(QLatin1Char('-')));
}

INSTANTIATE_TEST_SUITE_P(Texts, DateTextRead, ::testing::Values(
    ReadCase{"8/3/2021", true, QDate(2021, 3, 8)},
    ReadCase{"8/3/2021", false, QDate(2021, 8, 3)},
    ReadCase{"08/03/2021", true, QDate(2021, 3, 8)},
    ReadCase{" 5/12/2021 ", true, QDate(2021, 12, 5)},
    ReadCase{"29/2/2024", true, QDate(2024, 2, 29)},
    ReadCase{"2/29/2024", false, QDate(2024, 2, 29)},
    ReadCase{"2021-03-08", true, QDate(2021, 3, 8)},
    ReadCase{"2021-03-08", false, QDate(2021, 3, 8)},
    ReadCase{"31/12/9999", true, QDate(9999, 12, 31)},
    ReadCase{"31/2/2021", true, QDate()},
    ReadCase{"2/31/2021", false, QDate()},
    ReadCase{"2/30/2021", false, QDate()},
    ReadCase{"30/2/2021", true, QDate()},
    ReadCase{"13/13/2021", true, QDate()},
    ReadCase{"13/13/2021", false, QDate()},
    ReadCase{"13/1/2021", false, QDate()},
    ReadCase{"0/0/0", true, QDate()},
    ReadCase{"0/1/2021", true, QDate()},
    ReadCase{"2/29/2023", false, QDate()},
    ReadCase{"29/2/2023", true, QDate()},
    ReadCase{"29/2/1900", true, QDate()},
    ReadCase{"1/1/21", true, QDate()},
    ReadCase{"1/1/02021", true, QDate()},
    ReadCase{"1/1/-2021", true, QDate()},
    ReadCase{"1/1/0000", true, QDate()},
    ReadCase{"1.1.2021", true, QDate()},
    ReadCase{"1/1/2021x", true, QDate()},
    ReadCase{"2021-3-8", true, QDate()},
    ReadCase{"2021-02-30", true, QDate()},
    ReadCase{"\xd9\xa1/\xd9\xa1/\xd9\xa2\xd9\xa0\xd9\xa2\xd9\xa1", true, QDate()}, // Arabic-Indic digits
    ReadCase{"\t2021-03-08\r\n", false, QDate(2021, 3, 8)},
    ReadCase{"\xc2\xa0" "2021-03-08\xc2\xa0", false, QDate(2021, 3, 8)}, // no-break spaces around
    ReadCase{"\xc2\xa0" "8/3/2021", true, QDate(2021, 3, 8)},
    ReadCase{"2021-03-08 x", false, QDate()},
    ReadCase{"2021/03/08", false, QDate()},
    ReadCase{"8//2021", false, QDate()},
    ReadCase{"/8/3/2021", false, QDate()},
    ReadCase{"\xd9\xa2\xd9\xa0\xd9\xa2\xd9\xa1-03-08", false, QDate()},
    ReadCase{"Null", false, QDate()},
    ReadCase{"", true, QDate()},
    ReadCase{"   ", false, QDate()}));

TEST(DateText, writesDayAndMonthWithoutLeadingZerosAndAFourDigitYear)
{
    EXPECT_EQ(dateText::format(QDate(2021, 12, 5), true), QStringLiteral("5/12/2021"));
    EXPECT_EQ(dateText::format(QDate(2021, 12, 5), false), QStringLiteral("12/5/2021"));
    EXPECT_EQ(dateText::format(QDate(987, 1, 2), false), QStringLiteral("1/2/0987"));
    EXPECT_EQ(dateText::iso(QDate(2021, 3, 8)), QStringLiteral("2021-03-08"));
}

TEST(DateText, everyWrittenTextReadsBackAsTheSameDate)
{
    for (QDate date(2023, 12, 25); date <= QDate(2025, 1, 5); date = date.addDays(1)) {
        for (const bool dayFirst : {true, false}) {
            EXPECT_EQ(dateText::read(dateText::format(date, dayFirst), dayFirst), date);
            EXPECT_EQ(dateText::read(dateText::iso(date), dayFirst), date);
        }
    }
}

TEST(DateText, storedTextFollowsTheOrderSetNowAndOtherTextStaysAsStored)
{
    test::TestEnvironment env;
    const auto setOrder = [](const char *value) {
        settings::SaveSetting(QLatin1String(settings::kAppName), QLatin1String(settings::kSection),
                              QLatin1String(settings::kEuropeanDate), QLatin1String(value));
    };
    setOrder("True");
    EXPECT_EQ(dateText::fromStored(QStringLiteral("2021-03-08")), QStringLiteral("8/3/2021"));
    EXPECT_EQ(dateText::format(QDate(2021, 3, 8)), QStringLiteral("8/3/2021"));
    EXPECT_EQ(dateText::read(QStringLiteral("8/3/2021")), QDate(2021, 3, 8));
    setOrder("true"); // only "True" itself means day-first
    EXPECT_EQ(dateText::fromStored(QStringLiteral("2021-03-08")), QStringLiteral("3/8/2021"));
    EXPECT_EQ(dateText::read(QStringLiteral("8/3/2021")), QDate(2021, 8, 3));
    EXPECT_EQ(dateText::fromStored(QStringLiteral("someday")), QStringLiteral("someday"));
    EXPECT_EQ(dateText::fromStored(QString()), QString());
}

} // namespace
} // namespace tallymere
