#include <gtest/gtest.h>

#include "core/import/statementdates.h"

namespace tallymere::import {
namespace {

struct OrderCase {
    QStringList dates;
    std::optional<DateOrder> fixed;
    QDate first; ///< invalid: waits for the order
    bool undecided;
    std::optional<DateOrder> order;
};

void PrintTo(const OrderCase &c, std::ostream *os)
{
    *os << c.dates.join(u' ').toStdString();
}

class DateOrderOfFile : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(DateOrderOfFile, isDecidedOnceFromAllDates)
{
    const OrderCase &c = GetParam();
    const DateReading reading(c.dates, c.fixed);
    EXPECT_EQ(reading.undecided(), c.undecided);
    EXPECT_EQ(reading.order(), c.order);
    EXPECT_FALSE(reading.contradiction().has_value());
    EXPECT_EQ(reading.read(c.dates.front()), c.first);
}

INSTANTIATE_TEST_SUITE_P(Files, DateOrderOfFile, ::testing::Values(
    OrderCase{{"03/04/2024", "25/04/2024"}, {}, QDate(2024, 4, 3), false, DateOrder::DayMonthYear},
    OrderCase{{"03/04/2024", "04/25/2024"}, {}, QDate(2024, 3, 4), false, DateOrder::MonthDayYear},
    OrderCase{{"03/04/2024", "05/06/2024"}, {}, QDate(), true, {}},
    OrderCase{{"03/04/2024", "05/06/2024"}, DateOrder::DayMonthYear, QDate(2024, 4, 3), false, DateOrder::DayMonthYear},
    // Year first reads year-month-day though no day exceeds 12; in a mixed file it reads in its own form.
    OrderCase{{"2024-03-05", "2024/3/4", "2024.03.01"}, {}, QDate(2024, 3, 5), false, DateOrder::YearMonthDay},
    OrderCase{{"2024-03-05", "03/04/2024", "05/06/2024"}, {}, QDate(2024, 3, 5), true, {}},
    OrderCase{{"2024-03-05", "03/04/2024", "13/06/2024"}, {}, QDate(2024, 3, 5), false, DateOrder::DayMonthYear},
    OrderCase{{"05.03.24", "01.02.2024"}, DateOrder::MonthDayYear, QDate(2024, 3, 5), false, DateOrder::MonthDayYear},
    OrderCase{{"01/01/69", "02/02/70"}, {}, QDate(2069, 1, 1), false, {}},
    // Year first names no order where other dates read by the file's: given back, it would misread them.
    OrderCase{{"2024-03-01", "2/02/2024"}, {}, QDate(2024, 3, 1), false, {}},
    OrderCase{{"02/02/70"}, {}, QDate(1970, 2, 2), false, {}},
    OrderCase{{"3/ 5/24", "1/15/24"}, {}, QDate(2024, 3, 5), false, DateOrder::MonthDayYear},
    OrderCase{{"20240131235959.000[+14:LINT]"}, {}, QDate(2024, 1, 31), false, DateOrder::YearMonthDay},
    OrderCase{{"2024-03-28T23:30:00-05:00"}, {}, QDate(2024, 3, 28), false, DateOrder::YearMonthDay},
    OrderCase{{"2024-03-28+01:00"}, {}, QDate(2024, 3, 28), false, DateOrder::YearMonthDay},
    OrderCase{{"05.03.2024 23:59"}, {}, QDate(2024, 3, 5), false, DateOrder::DayMonthYear},
    OrderCase{{"04 Nov 2009"}, {}, QDate(2009, 11, 4), false, DateOrder::DayMonthYear},
    OrderCase{{"Nov 4, 2009"}, {}, QDate(2009, 11, 4), false, DateOrder::MonthDayYear},
    OrderCase{{"4. März 2009"}, {}, QDate(2009, 3, 4), false, DateOrder::DayMonthYear},
    OrderCase{{"15-Dez-09"}, {}, QDate(2009, 12, 15), false, DateOrder::DayMonthYear},
    OrderCase{{"3 févr. 2010"}, {}, QDate(2010, 2, 3), false, DateOrder::DayMonthYear},
    OrderCase{{"7 de enero de 2010"}, {}, QDate(2010, 1, 7), false, DateOrder::DayMonthYear},
    OrderCase{{"Mon, 2 Sep 2024"}, {}, QDate(2024, 9, 2), false, DateOrder::DayMonthYear}));

TEST(DateOrderOfFile, namesTheDatesThatContradictEachOther)
{
    const DateReading reading({QStringLiteral("02/01/2024"), QStringLiteral("13/01/2024"), QStringLiteral("01/13/2024")}, {});
    ASSERT_TRUE(reading.contradiction().has_value());
    EXPECT_EQ(reading.contradiction()->first, 1);
    EXPECT_EQ(reading.contradiction()->second, 2);
}

TEST(DateOrderOfFile, refusesWhatIsNoDay)
{
    const DateReading reading({QStringLiteral("13/01/2024")}, {});
    for (const char *text : {"Summe", "2024-02-30", "32/01/2024", "31/02/2024", "12:30", "2024", "1/2", "Juni 2024"})
        EXPECT_FALSE(reading.read(QString::fromUtf8(text)).has_value()) << text;
}

} // namespace
} // namespace tallymere::import
