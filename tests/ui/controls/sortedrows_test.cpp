#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QLocale>
#include <QRandomGenerator>

#include "ui/controls/columnorder.h"
#include "ui/controls/sortedrows.h"
#include "core/lists/rowstore.h"
#include "core/text/numerictext.h"

namespace tallymere {
namespace {

struct OrderCase {
    const char *name;
    int column;
    SortKind kind;
    Qt::SortOrder order;
};

void PrintTo(const OrderCase &c, std::ostream *os)
{
    *os << c.name;
}

const char *const kDates[] = {"2026-03-05", "2025-12-31", "3/4/2026", "", "someday", "2026-02-30", " 2026-01-01 "};
const char *const kAmounts[] = {"20", "-5", "9.5", "", "abc", "100", "1e3", "-0"};
const char *const kNames[] = {"apple", "Apple", "banana", "\xc3\xa9" "clair", "Zucchini", "", "z-a", "z a"};

/// A random row: record number, dates, names and amounts of every kind, the amount as the fill
/// reads it.
RowStore::Row randomRow(QRandomGenerator &random, long long number)
{
    const auto pick = [&](const auto &texts) { return std::string(texts[random.bounded(int(std::size(texts)))]); };
    const std::string amount = pick(kAmounts);
    RowStore::Row row;
    row.cells = {std::to_string(number), std::to_string(number), pick(kDates), pick(kNames), amount, pick(kNames)};
    row.amount = NumericReader().read(std::string_view(amount));
    return row;
}

class SortedRowsChange : public ::testing::TestWithParam<OrderCase>
{
};

// Rows added, changed and removed one by one take the places a fresh sort gives them, and the
// model tells its views each change consistently.
TEST_P(SortedRowsChange, singleRowChangesKeepTheOrderAFreshSortGives)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QRandomGenerator random(1208);
    RowStore rows;
    for (const char *header : {"ID", "SR No", "Date", "Source", "Amount", "Particulars"})
        rows.addColumnHeader(QLatin1String(header));
    { const ListFill empty(rows); } // rows of six cells from now on, as after a fill
    long long next = 1;
    for (; next <= 40; ++next)
        rows.appendRow(randomRow(random, next));
    SortedRows sorted;
    sorted.setRows(&rows, {{2, SortKind::Date}, {4, SortKind::Amount}});
    QAbstractItemModelTester tester(&sorted, QAbstractItemModelTester::FailureReportingMode::Fatal);
    sorted.sort(GetParam().column, GetParam().order);

    for (int step = 0; step < 120; ++step) {
        switch (random.bounded(3)) {
        case 0:
            rows.appendRow(randomRow(random, next++));
            break;
        case 1:
            rows.replaceRow(int(random.bounded(rows.itemCount())), randomRow(random, next++));
            break;
        default:
            rows.removeRecordRow(int(random.bounded(rows.itemCount())));
        }
        const std::vector<int> expected = ColumnOrder(rows, GetParam().column, GetParam().kind, GetParam().order).sorted();
        std::vector<int> seen;
        for (int row = 0; row < sorted.rowCount(); ++row) {
            seen.push_back(sorted.listRow(row));
            ASSERT_EQ(sorted.viewRow(seen.back()), row);
        }
        ASSERT_EQ(seen, expected) << "after step " << step;
    }
    QLocale::setDefault(QLocale::c());
}

INSTANTIATE_TEST_SUITE_P(Kinds, SortedRowsChange, ::testing::Values(
    OrderCase{"date", 2, SortKind::Date, Qt::AscendingOrder},
    OrderCase{"amount reversed", 4, SortKind::Amount, Qt::DescendingOrder},
    OrderCase{"source", 3, SortKind::Text, Qt::AscendingOrder},
    OrderCase{"particulars reversed", 5, SortKind::Text, Qt::DescendingOrder}));

class CollationRanks : public ::testing::TestWithParam<const char *>
{
};

// The ranks order texts exactly as the collation of the language does, including languages that
// order some letters apart from their ASCII weights (Danish "aa" after "z").
TEST_P(CollationRanks, orderTextsAsTheCollationOfTheLanguage)
{
    const std::vector<std::string> owned{"", " ", "a", "A", "aa", "Aa", "ab", "z", "Z", "zz", "\xc3\xa6", "\xc3\xa5",
                                         "\xc3\xb6", "o", "ch", "c", "d", "-a", "a-", "a b", "ab ", "10", "9", "1.5",
                                         "_", "~", "!", "Zucchini", "\xc3\xa9" "clair", "eclair", "Eclair", "\xe5\xae\xb6",
                                         "\xd8\xb4\xd9\x87", "a\tb", "x1", "x10", "x2", "ABC", "abc", "abd"};
    std::vector<std::string_view> texts(owned.begin(), owned.end());
    QCollator collator{QLocale(QString::fromLatin1(GetParam()))};
    const std::vector<std::uint32_t> ranks = collationRanks(texts, collator);
    for (std::size_t a = 0; a < texts.size(); ++a) {
        for (std::size_t b = 0; b < texts.size(); ++b) {
            const int expected = collator.compare(QString::fromStdString(owned[a]), QString::fromStdString(owned[b]));
            const int got = ranks[a] < ranks[b] ? -1 : ranks[a] > ranks[b] ? 1 : 0;
            EXPECT_EQ(got, expected < 0 ? -1 : expected > 0 ? 1 : 0) << '"' << owned[a] << "\" vs \"" << owned[b] << '"';
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, CollationRanks,
                         ::testing::Values("en_US", "da_DK", "de_DE", "sv_SE", "cs_CZ", "C"));

} // namespace
} // namespace tallymere
