#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include <QLabel>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sqlite3.h>

#include "ui/app/form1.h"
#include "core/lists/monthsums.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

/// Income and expenses of one month in cents, as the engine sums them.
struct EngineMonth {
    long long income = 0;
    long long expenses = 0;
};

/// Amounts with digits that are more than the totals can hold: they count for nothing.
const char *const kHugeAmounts[] = {"1e308", "999999999999999999999", "0.0000000000001", "1234567890.123456"};

/// Fills both tables with `rows` random entries each, in one transaction. Dates come in every
/// form a ledger may hold, amounts as numbers of two decimals, as numbers too large to count or
/// as texts that are none; each entry's particulars
/// name the month its date means under month-first reading ("No date" when it means none), so the
/// engine can sum the months without reading a date itself.
void seedLedger(const QString &path, int rows, quint32 seed)
{
    QRandomGenerator random(seed);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    const char *badDates[] = {"", "yesterday", "2021-02-30", "13/13/2021", "2021-3-8", "Null", " "};
    const char *badAmounts[] = {"", " ", "abc", "n/a", "twelve", "Null"};
    for (const char *table : {"income", "expenses"}) {
        const std::string insert = std::string("insert into ") + table + " values (null, ?, ?, ?, ?)";
        sqlite3_stmt *stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr), SQLITE_OK);
        for (int i = 0; i < rows; ++i) {
            const int year = 2019 + int(random.bounded(4));
            const int month = 1 + int(random.bounded(12));
            const int day = 1 + int(random.bounded(28));
            std::string date;
            std::string meant = QString::asprintf("%04d-%02d", year, month).toStdString();
            bool nullDate = false;
            switch (random.bounded(8)) {
            case 0:
            case 1:
            case 2:
                date = QString::asprintf("%04d-%02d-%02d", year, month, day).toStdString();
                break;
            case 3:
            case 4:
                date = QString::asprintf("%d/%d/%04d", month, day, year).toStdString();
                break;
            case 5: // day-first with a day over 12: no date under month-first reading
                date = QString::asprintf("%d/%d/%04d", 13 + int(random.bounded(16)), month, year).toStdString();
                meant = "No date";
                break;
            case 6:
                date = badDates[random.bounded(int(std::size(badDates)))];
                meant = "No date";
                break;
            default:
                nullDate = true;
                meant = "No date";
            }
            std::string amount;
            bool nullAmount = false;
            switch (random.bounded(7)) {
            case 0:
                amount = badAmounts[random.bounded(int(std::size(badAmounts)))];
                break;
            case 2:
                amount = kHugeAmounts[random.bounded(int(std::size(kHugeAmounts)))];
                break;
            case 1:
                nullAmount = true;
                break;
            default:
                amount = QString::number(double(random.bounded(2'000'000)) / 100.0 - 1000.0, 'f', 2).toStdString();
            }
            const std::string name = "Name " + std::to_string(random.bounded(20));
            if (nullDate)
                sqlite3_bind_null(stmt, 1);
            else
                sqlite3_bind_text(stmt, 1, date.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            if (nullAmount)
                sqlite3_bind_null(stmt, 3);
            else
                sqlite3_bind_text(stmt, 3, amount.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 4, meant.c_str(), -1, SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(stmt), SQLITE_DONE);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

/// The engine's own sums per month in whole cents: only texts with a digit that are not too
/// large are numbers in this ledger.
std::map<QString, EngineMonth> engineMonths(const QString &path)
{
    std::string huge;
    for (const char *amount : kHugeAmounts)
        huge += std::string(huge.empty() ? "'" : ", '") + amount + "'";
    std::map<QString, EngineMonth> months;
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    for (const bool income : {true, false}) {
        const std::string sql = "select particulars, total(case when amount glob '*[0-9]*' and amount not in ("
            + huge + ") then cast(round(cast(amount as real) * 100) as integer) end) from "
            + (income ? "income" : "expenses") + " group by particulars";
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            EngineMonth &month = months[QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)))];
            (income ? month.income : month.expenses) = sqlite3_column_int64(stmt, 1);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return months;
}

/// Cents as the general text form writes them: "-12.5", "3".
QString centsText(long long cents)
{
    QString text = QString::number(std::llabs(cents) / 100);
    if (cents % 100 != 0)
        text += QString::asprintf(".%02lld", std::llabs(cents) % 100).remove(QRegularExpression(QStringLiteral("0$")));
    return cents < 0 ? QLatin1Char('-') + text : text;
}

/// The user's locale for one test.
struct EnglishLocale {
    EnglishLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~EnglishLocale() { QLocale::setDefault(QLocale::c()); }
};

TEST(MonthSums, monthSumsAgreeWithTheEngineAndAllIsTheReportFrame)
{
    test::TestEnvironment env;
    const EnglishLocale locale;
    const QString ledger = env.path(QStringLiteral("dbExpense.mdb"));
    test::makeLedger(ledger);
    seedLedger(ledger, 1500, 20261208);
    Form1 form;
    form.Form_Load();

    MonthSums summary(form.ledger().incomeList(), form.ledger().expenseList());
    summary.refresh();
    const std::map<QString, EngineMonth> expected = engineMonths(ledger);
    const auto &months = summary.months();
    ASSERT_EQ(months.size(), expected.size());
    const std::vector<SummaryRow> rows = summary.tableRows(form.ledger().totalIncome(), form.ledger().totalExpenses());
    ASSERT_EQ(rows.size(), months.size() + 1);
    for (std::size_t i = 0; i < months.size(); ++i) {
        const QString label = months[i].label();
        ASSERT_EQ(expected.count(label), 1u) << label.toStdString();
        // The sums are exact: what the engine sums in whole cents, to the last digit.
        const EngineMonth &engine = expected.at(label);
        EXPECT_EQ(rows[i].month, label);
        EXPECT_EQ(rows[i].income, centsText(engine.income));
        EXPECT_EQ(rows[i].expenses, centsText(engine.expenses));
        EXPECT_EQ(rows[i].balance, centsText(engine.income - engine.expenses));
        if (i > 0) {
            EXPECT_GT(months[i - 1].key, months[i].key); // newest first, "No date" last
        }
    }
    EXPECT_EQ(months.back().label(), QStringLiteral("No date"));

    const SummaryRow &all = rows.back();
    EXPECT_EQ(all.month, QStringLiteral("All"));
    EXPECT_EQ(QStringLiteral("Total Income: ") + all.income, form.ui().lblTotalIncome->text());
    EXPECT_EQ(QStringLiteral("Total Expenses: ") + all.expenses, form.ui().lblTotalExpenses->text());
    EXPECT_EQ(QStringLiteral("Available Balance: ") + all.balance, form.ui().lblAvailableBalance->text());
    EXPECT_TRUE(env.boxes().empty());
}

} // namespace
} // namespace tallymere
