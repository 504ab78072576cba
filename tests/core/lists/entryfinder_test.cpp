#include "core/lists/entryfinder.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QRandomGenerator>

#include "core/lists/foundentries.h"
#include "core/lists/rowstore.h"
#include "core/text/numerictext.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

/// A list as a fill leaves it: the six columns, then `rows` (record number, date, name, amount,
/// particulars), each amount read as a fill reads it.
void fill(RowStore &list, const std::vector<std::vector<std::string>> &rows)
{
    if (list.columnHeaderCount() == 0) {
        for (const char *header : {"ID", "SR No", "Date", "Name", "Amount", "Particulars"})
            list.addColumnHeader(QLatin1String(header));
    }
    const NumericReader numbers;
    ListFill fill(list);
    for (const auto &row : rows) {
        fill.addItem(row[0]);
        fill.setSubItem(1, row[0]);
        for (int i = 1; i < 5; ++i)
            fill.setSubItem(i + 1, row[std::size_t(i)]);
        fill.setAmount(numbers.read(std::string_view(row[3])));
    }
}

/// The record numbers a search finds, income ones marked "i", expense ones "e".
std::vector<std::string> recordsFound(const EntryFinder &finder, const FindQuery &query)
{
    std::vector<std::string> found;
    for (const FoundEntry &entry : finder.find(query))
        found.push_back((entry.income ? "i" : "e") + std::string(finder.list(entry.income).cellUtf8(int(entry.row), 0)));
    return found;
}

struct MatchCase {
    const char *name;
    FindQuery query;
    std::vector<std::string> found;
};

void PrintTo(const MatchCase &c, std::ostream *os)
{
    *os << c.name;
}

class EntryFinderMatch : public ::testing::TestWithParam<MatchCase>
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    test::TestEnvironment env; // settings of its own: slash dates read month-first
};

TEST_P(EntryFinderMatch, findsWhatTheRulesSay)
{
    RowStore income;
    RowStore expenses;
    fill(income, {{"1", "2024-01-05", "Salary", "3250", "January pay"},
                  {"2", "2024-02-05", "SALARY", "3250.50", "February"},
                  {"3", "3/9/2024", "Gift", "40", "from Ren\xc3\xa9"},
                  {"4", "", "Refund", "n/a", "caf\xc3\xa9 deposit"}});
    fill(expenses, {{"1", "2024-01-10", "Caf\xc3\xa9", "4.5", "espresso"},
                    {"2", "2024-03-01", "Rent", "1150", "March rent"},
                    {"3", "2024-03-15", "CAF\xc3\x89 Central", "12", "lunch\tfor two"},
                    {"4", "someday", "Books", "25", ""}});
    const EntryFinder finder(income, expenses);
    EXPECT_EQ(recordsFound(finder, GetParam().query), GetParam().found);
}

FindQuery text(const char *typed, FindQuery::Lists lists = FindQuery::Lists::All)
{
    FindQuery query;
    query.text = QString::fromUtf8(typed);
    query.lists = lists;
    return query;
}

FindQuery ranged(std::optional<QDate> from, std::optional<QDate> to, std::optional<double> minimum = {},
                 std::optional<double> maximum = {})
{
    FindQuery query;
    query.from = from;
    query.to = to;
    query.minimum = minimum;
    query.maximum = maximum;
    return query;
}

INSTANTIATE_TEST_SUITE_P(Rules, EntryFinderMatch, ::testing::Values(
    MatchCase{"nothing typed finds every entry, income first", text(""),
              {"i1", "i2", "i3", "i4", "e1", "e2", "e3", "e4"}},
    MatchCase{"letter case does not count", text("salary"), {"i1", "i2"}},
    MatchCase{"accents do not count either way", text("cafe"), {"i4", "e1", "e3"}},
    MatchCase{"an accent typed finds the plain letter", text("R\xc3\xa9" "FUND"), {"i4"}},
    MatchCase{"particulars are searched", text("espresso"), {"e1"}},
    MatchCase{"a tab in the text reads as a blank", text("lunch for"), {"e3"}},
    MatchCase{"the amount text is searched", text("3250.5"), {"i2"}},
    MatchCase{"the date is not searched", text("2024"), {}},
    MatchCase{"no match runs from one field into the next", text("salaryjanuary"), {}},
    MatchCase{"income only", text("re", FindQuery::Lists::Income), {"i3", "i4"}},
    MatchCase{"expenses only", text("re", FindQuery::Lists::Expenses), {"e1", "e2"}},
    MatchCase{"a date range includes both ends; a slash date is read in the date order",
              ranged(QDate(2024, 1, 10), QDate(2024, 3, 9)), {"i2", "i3", "e1", "e2"}},
    MatchCase{"an open end", ranged(QDate(2024, 3, 2), std::nullopt), {"i3", "e3"}},
    MatchCase{"an amount range includes both ends; a text that is no number is outside",
              ranged(std::nullopt, std::nullopt, 12, 40), {"i3", "e3", "e4"}},
    MatchCase{"text and ranges together",
              [] { FindQuery q = ranged(QDate(2024, 1, 1), QDate(2024, 12, 31), 0, 100); q.text = QStringLiteral("c"); return q; }(),
              {"e1", "e3"}}));

/// A search held on a list that changes row by row gives the rows a fresh search gives, and
/// tells its views each change consistently.
TEST(FoundEntries, followsEveryChangeOfTheListsAsAFreshSearch)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const test::TestEnvironment env;
    QRandomGenerator random(1911);
    const char *names[] = {"Rent", "rental car", "Caf\xc3\xa9", "Salary", "Books"};
    const auto randomRow = [&](long long number) {
        const std::string amount = std::to_string(random.bounded(200)) + (random.bounded(4) == 0 ? "x" : "");
        const std::string date = "2024-0" + std::to_string(1 + random.bounded(9)) + "-1" + std::to_string(random.bounded(10));
        RowStore::Row row;
        row.cells = {std::to_string(number), std::to_string(number), date, names[random.bounded(5)], amount,
                     random.bounded(2) ? "monthly" : "once"};
        row.amount = NumericReader().read(std::string_view(amount));
        return row;
    };
    RowStore income;
    RowStore expenses;
    fill(income, {});
    fill(expenses, {});
    std::vector<long long> removed[2]; // record numbers that can come back, by list
    long long next = 1;
    for (; next <= 30; ++next) {
        income.appendRow(randomRow(next));
        expenses.appendRow(randomRow(next));
    }
    // Blocks of four rows: single changes cut, grow and empty blocks all the time.
    EntryFinder finder(income, expenses, nullptr, 4);
    FoundEntries found(finder);
    QAbstractItemModelTester tester(&found, QAbstractItemModelTester::FailureReportingMode::Fatal);
    FindQuery query;
    query.text = QStringLiteral("REN");
    query.minimum = 20;
    found.setQuery(query);

    for (int step = 0; step < 400; ++step) {
        const int which = int(random.bounded(2));
        RowStore &list = which ? income : expenses;
        const int count = list.itemCount();
        switch (count == 0 ? 0 : random.bounded(4)) {
        case 0:
            list.appendRow(randomRow(next++));
            break;
        case 1: // an entry comes back in the middle, as an undone delete does
            if (!removed[which].empty()) {
                const long long number = removed[which].back();
                removed[which].pop_back();
                list.insertRecordRow(number, randomRow(number));
            }
            break;
        case 2: {
            const int row = int(random.bounded(count));
            list.replaceRow(row, randomRow(std::stoll(std::string(list.cellUtf8(row, 0)))));
            break;
        }
        default: {
            const int row = int(random.bounded(count));
            removed[which].push_back(std::stoll(std::string(list.cellUtf8(row, 0))));
            list.removeRecordRow(row);
        }
        }
        if (step % 97 == 96) { // a fill in between
            fill(income, {{"1", "2024-01-01", "Rent", "500", ""}});
            removed[1].clear();
        }
        const std::vector<FoundEntry> fresh = finder.find(query);
        ASSERT_EQ(found.itemCount(), int(fresh.size())) << "after step " << step;
        DecimalSum incomeSum;
        DecimalSum expenseSum;
        for (int row = 0; row < found.itemCount(); ++row) {
            const FoundEntry entry = fresh[std::size_t(row)];
            ASSERT_EQ(found.entryAt(row), entry) << "after step " << step;
            if (const auto amount = finder.list(entry.income).exactAmountAt(int(entry.row)))
                (entry.income ? incomeSum : expenseSum).add(*amount);
        }
        ASSERT_EQ(found.incomeSum(), incomeSum);
        ASSERT_EQ(found.expenseSum(), expenseSum);
    }
    QLocale::setDefault(QLocale::c());
}

} // namespace
} // namespace tallymere
