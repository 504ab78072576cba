#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QFontMetrics>
#include <QLabel>
#include <QFile>
#include <QLocale>

#include <sqlite3.h>

#include "core/platform/pointershape.h"
#include "ui/app/form1.h"
#include "ui/windows/mainmodule.h"
#include "config.h"
#include "ui/controls/listview.h"
#include "ui/summary/monthlysummary.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "core/ledger/modexpense.h"
#include "core/platform/messagebox.h"
#include "support/entryfixture.h"
#include "support/ledgerfile.h"
#include "support/readonlypaths.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

const QString kLoadLocation = QStringLiteral("in Coinfold2021/08/31.Form1.Form_Load ");

/// A started main window over the ledger in the test's program folder.
class Form1Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ledger = env.path(QStringLiteral("dbExpense.mdb"));
    }
    void TearDown() override
    {
        form.reset();
        QLocale::setDefault(QLocale::c());
    }

    Form1 &start()
    {
        form = std::make_unique<Form1>();
        form->Form_Load();
        return *form;
    }

    QString cell(const ListView *list, int item, int subItem) const
    {
        return subItem == 0 ? list->items().itemText(item) : list->items().subItem(item, subItem);
    }

    /// Whether a box shown was the error report of `location` at `line` with `description`.
    bool hasReport(const QString &description, const QString &location, int line) const
    {
        for (const auto &box : env.boxes()) {
            if (box.caption == QLatin1String("Application Error")
                && box.text.startsWith(description + QLatin1String("\r\n") + location + QLatin1String("at line ")
                                       + QString::number(line) + QLatin1Char('\r')))
                return true;
        }
        return false;
    }

    test::TestEnvironment env;
    QString ledger;
    std::unique_ptr<Form1> form;
};

TEST_F(Form1Test, emptyLedgerShowsEmptyListsAndZeroTotals)
{
    test::makeLedger(ledger);
    const auto before = test::fileStamp(ledger);
    Form1 &w = start();

    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(env.endCount(), 0);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tallymere"));
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 0);
    EXPECT_EQ(w.ui().ListView2->items().itemCount(), 0);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 0"));
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 0"));
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 0"));
    EXPECT_EQ(w.MousePointer(), PointerShape::Default);
    ASSERT_TRUE(form->ledger().hasConnection());
    EXPECT_EQ(form->ledger().connection().State(), 1);
    EXPECT_EQ(test::fileStamp(ledger), before);
}

TEST_F(Form1Test, listsHaveTheirSixColumnsWithRecordNumbersPracticallyHidden)
{
    test::makeLedger(ledger);
    Form1 &w = start();
    const QStringList income{"ID", "SR No", "Date", "Source", "Amount", "Particulars"};
    const QStringList expenses{"ID", "SR No", "Date", "Category", "Amount", "Particulars"};
    const std::vector<int> widths{1, 1, 1700, 2000, 1000, 2300};
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(w.ui().ListView1->items().columnHeaderText(i), income[i - 1]);
        EXPECT_EQ(w.ui().ListView2->items().columnHeaderText(i), expenses[i - 1]);
        EXPECT_EQ(w.ui().ListView1->items().columnHeaderWidth(i), widths[std::size_t(i - 1)]);
    }
    EXPECT_LE(w.ui().ListView1->columnWidth(0), 1);
    EXPECT_LE(w.ui().ListView2->columnWidth(1), 1);
}

TEST_F(Form1Test, rowsAreListedInAscendingRecordNumberWithTotals)
{
    test::makeLedger(ledger);
    test::insertSalaryAndRent(ledger);
    test::insertRow(ledger, "income", "2021-12-06", "Gift", "0.1", "Aunt's present");
    test::insertRow(ledger, "income", "2021-12-07", "Refund", "0.2", "");
    test::insertRow(ledger, "income", "2021-12-08", "Unknown", "12a", "not counted");
    test::insertRow(ledger, "expenses", "2021-12-02", "Food", "1000.55", "");
    Form1 &w = start();

    const ListView *income = w.ui().ListView1;
    ASSERT_EQ(income->items().itemCount(), 4);
    for (int item = 1; item <= 4; ++item) {
        EXPECT_EQ(cell(income, item, 0), QString::number(item));
        EXPECT_EQ(cell(income, item, 1), QString::number(item));
    }
    EXPECT_EQ(cell(income, 1, 2), QStringLiteral("2021-12-05"));
    EXPECT_EQ(cell(income, 2, 5), QStringLiteral("Aunt's present"));
    EXPECT_EQ(cell(income, 4, 4), QStringLiteral("12a"));
    EXPECT_EQ(cell(w.ui().ListView2, 2, 3), QStringLiteral("Food"));

    EXPECT_DOUBLE_EQ(form->ledger().totalIncome().toDouble(), 1500.3);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1500.3"));
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 1700.55"));
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: -200.25"));
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form1Test, unusualTextsAreShownIntact)
{
    test::makeLedger(ledger);
    const std::string longText(10000, 'w');
    const std::vector<std::string> texts{"Landlord's fee", "Crème brûlée à Zürich", "家計簿 収入",
                                         "Coffee ☕ 🙂🎉", "שכר דירה", "مصروفات", longText};
    for (const auto &text : texts)
        test::insertRow(ledger, "expenses", "2021-01-01", text, "1", text);
    test::insertRow(ledger, "expenses", std::nullopt, std::nullopt, std::nullopt, std::nullopt);
    Form1 &w = start();

    const ListView *list = w.ui().ListView2;
    ASSERT_EQ(list->items().itemCount(), int(texts.size()) + 1);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(cell(list, int(i) + 1, 3), QString::fromStdString(texts[i]));
        EXPECT_EQ(cell(list, int(i) + 1, 5), QString::fromStdString(texts[i]));
    }
    const int nullRow = int(texts.size()) + 1;
    for (int sub = 2; sub <= 5; ++sub)
        EXPECT_EQ(cell(list, nullRow, sub), QString());
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 7"));
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form1Test, fillingAgainGivesTheSameListNotADoubledOne)
{
    test::makeLedger(ledger);
    test::insertRow(ledger, "income", "2021-12-05", "Salary", "1500", "December");
    Form1 &w = start();
    modExpense::listIncome(form->ledger());
    modExpense::listIncome(form->ledger());
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 1);
    EXPECT_DOUBLE_EQ(form->ledger().totalIncome().toDouble(), 1500);
}

/// A ledger's amounts and the three captions of its Report frame.
struct TotalsCase {
    const char *name;
    std::vector<std::string> income;
    std::vector<std::string> expenses;
    const char *totalIncome;
    const char *totalExpenses;
    const char *balance;
};

void PrintTo(const TotalsCase &c, std::ostream *os)
{
    *os << c.name;
}

/// 5,000 two-decimal amounts whose sum in binary fractions is off in its 15th digit.
std::vector<std::string> manyAmounts()
{
    std::vector<std::string> amounts;
    for (long long i = 0; i < 5000; ++i) {
        const long long cents = i * 104729 * 14 % 300007 + 3;
        amounts.push_back(QString::asprintf("%lld.%02lld", cents / 100, cents % 100).toStdString());
    }
    return amounts;
}

class Form1Totals : public Form1Test, public ::testing::WithParamInterface<TotalsCase>
{
};

TEST_P(Form1Totals, areTheExactSumsOfTheAmountsTheTotalsCanHold)
{
    test::makeLedger(ledger);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(ledger).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    for (const auto &[table, amounts] : {std::pair("income", GetParam().income), std::pair("expenses", GetParam().expenses)}) {
        const std::string insert = std::string("insert into ") + table + " values (null, '2021-12-05', 'Name', ?, '')";
        sqlite3_stmt *stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr), SQLITE_OK);
        for (const std::string &amount : amounts) {
            sqlite3_bind_text(stmt, 1, amount.c_str(), -1, SQLITE_TRANSIENT);
            EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    Form1 &w = start();
    EXPECT_EQ(w.ui().lblTotalIncome->text().toStdString(), std::string("Total Income: ") + GetParam().totalIncome);
    EXPECT_EQ(w.ui().lblTotalExpenses->text().toStdString(), std::string("Total Expenses: ") + GetParam().totalExpenses);
    EXPECT_EQ(w.ui().lblAvailableBalance->text().toStdString(), std::string("Available Balance: ") + GetParam().balance);
    // Every amount is listed as stored, counted or not, and nothing is reported.
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), int(GetParam().income.size()));
    for (int item = 1; item <= int(GetParam().income.size()); ++item)
        EXPECT_EQ(cell(w.ui().ListView1, item, 4).toStdString(), GetParam().income[std::size_t(item - 1)]);
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Ledgers, Form1Totals, ::testing::Values(
    TotalsCase{"manyTwoDecimalAmounts", manyAmounts(), {}, "7503695.96", "0", "7503695.96"},
    TotalsCase{"noTrailingZeros", {"100.50", "200"}, {"0.1", "0.2"}, "300.5", "0.3", "300.2"},
    TotalsCase{"smallBalanceOfLargeTotals", {"100000000000000", "0.3"}, {"100000000000000"},
               "100000000000000", "100000000000000", "0.3"},
    TotalsCase{"amountsTooLargeAreLeftOut", {"1500", "1e308", "999999999999999999999", "0.0000000000001"},
               {"1e308", "1234567890.123456", "2.5"}, "1500", "2.5", "1497.5"}),
    [](const ::testing::TestParamInfo<TotalsCase> &shown) { return std::string(shown.param.name); });

/// A ledger file that is absent in some way: the program names it and ends, showing nothing.
class MissingLedger : public Form1Test, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(MissingLedger, namesTheFileAndEndsWithoutWindowOrConnection)
{
    const std::string kind = GetParam();
    if (kind == "folder")
        ASSERT_TRUE(QDir().mkpath(ledger));
    else if (kind == "other case")
        test::makeLedger(env.path(QStringLiteral("DBEXPENSE.MDB")));

    start();
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, env.folder() + QStringLiteral("/dbExpense.mdb not found."));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::OkOnly);
    EXPECT_EQ(env.boxes()[0].caption, QStringLiteral("Tallymere"));
    EXPECT_EQ(env.endCount(), 1);
    EXPECT_FALSE(form->ledger().hasConnection());
    EXPECT_FALSE(QFile::exists(ledger) && QFileInfo(ledger).isFile());
}

INSTANTIATE_TEST_SUITE_P(Form1, MissingLedger, ::testing::Values("absent", "folder", "other case"));

struct ReadOnlyCase {
    const char *name;
    bool file;   // the ledger file may not be written
    bool folder; // nothing may be made in the program folder (where the engine keeps its journal)
};

void PrintTo(const ReadOnlyCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReadOnlyLedger : public Form1Test, public ::testing::WithParamInterface<ReadOnlyCase>
{
};

TEST_P(ReadOnlyLedger, isToldInOneMessageOnceTheListsAreShown)
{
    const ReadOnlyCase &c = GetParam();
    test::makeLedger(ledger);
    test::insertRow(ledger, "income", "2026-01-02", "Salary", "100", "January");
    test::ReadOnlyPaths readOnly;
    if (c.file) {
        ASSERT_TRUE(readOnly.add(ledger));
    }
    if (c.folder) {
        ASSERT_TRUE(readOnly.add(env.folder()));
    }
    ASSERT_TRUE(readOnly.hold());

    Form1 &w = start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(env.boxes().empty()) << "nothing before the window shows";
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 1);
    if (c.file || c.folder) {
        ASSERT_EQ(env.boxes().size(), 1u);
        EXPECT_EQ(env.boxes()[0].text, QStringLiteral("The ledger ") + env.folder()
                                           + QStringLiteral("/dbExpense.mdb cannot be changed (it is read-only): "
                                                            "you can look, but not save."));
        EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::OkOnly);
        EXPECT_EQ(env.boxes()[0].caption, QStringLiteral("Tallymere"));
    } else {
        EXPECT_TRUE(env.boxes().empty());
    }
    const std::size_t shown = env.boxes().size();
    w.hide();
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(env.boxes().size(), shown) << "once per start";
}

INSTANTIATE_TEST_SUITE_P(Form1, ReadOnlyLedger, ::testing::Values(
    ReadOnlyCase{"read-only file", true, false},
    ReadOnlyCase{"read-only folder", false, true},
    ReadOnlyCase{"writable", false, false}));

using Form1Activation = test::EntryTest;

TEST_F(Form1Activation, theWindowThatGetsTheFocusBackShowsWhatAnotherProgramWrote)
{
    test::insertRow(ledger, "income", "2021-05-01", "Salary", "100", "May");
    Form1 &w = start();
    w.show();
    w.showMonthlySummary();
    MonthlySummary *summary = w.openMonthlySummary();
    const auto readWhole = [&] {
        return std::count_if(sent.begin(), sent.end(),
                             [](const QString &s) { return s.startsWith(QLatin1String("select * from [")); });
    };

    // Nothing written elsewhere: the focus coming back reads no list again.
    QApplication::setActiveWindow(summary);
    sent.clear();
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(readWhole(), 0);

    QApplication::setActiveWindow(summary);
    {
        Connection other;
        other.openFile(ledger);
        other.Execute(QStringLiteral("update income set amount='250' where sr_no=1"));
        other.Execute(QStringLiteral("insert into expenses values (null, '2021-05-03', 'Rent', '90', 'May')"));
    }
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(w.ui().ListView1->items().subItem(1, kAmountColumn), QStringLiteral("250"));
    EXPECT_EQ(w.ui().ListView2->items().itemCount(), 1);
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 160"));
    QCoreApplication::processEvents();
    const QAbstractItemModel *months = summary->table()->model();
    EXPECT_EQ(months->index(0, 0).data().toString(), QStringLiteral("2021-05"));
    EXPECT_EQ(months->index(0, 3).data().toString(), QStringLiteral("160"));
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form1Test, fileThatIsNoDatabaseIsReportedAndTheWindowStillOpens)
{
    {
        QFile file(ledger);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Standard Jet DB\0 but not really one of ours", 44).repeated(200));
    }
    const auto before = test::fileStamp(ledger);
    Form1 &w = start();

    EXPECT_EQ(env.endCount(), 0);
    EXPECT_TRUE(hasReport(QStringLiteral("file is not a database"), kLoadLocation, 186));
    EXPECT_TRUE(hasReport(QStringLiteral("The connection to the ledger is not open."),
                          QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome "), 104));
    EXPECT_TRUE(hasReport(QStringLiteral("The connection to the ledger is not open."), kLoadLocation, 190));
    EXPECT_EQ(env.boxes().size(), 3u);
    EXPECT_EQ(w.ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 0"));
    EXPECT_EQ(w.MousePointer(), PointerShape::Default);
    EXPECT_EQ(test::fileStamp(ledger), before);
}

TEST_F(Form1Test, zeroByteFileReportsTheMissingTablesAndStaysZeroBytes)
{
    {
        QFile file(ledger);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    start();
    EXPECT_TRUE(hasReport(QStringLiteral("no such table: income"),
                          QStringLiteral("in Coinfold2021/08/31.modExpense.listIncome "), 104));
    EXPECT_TRUE(hasReport(QStringLiteral("no such table: expenses"), kLoadLocation, 190));
    EXPECT_EQ(env.boxes().size(), 2u);
    EXPECT_EQ(QFileInfo(ledger).size(), 0);
}

TEST_F(Form1Test, missingTableLeavesTheOtherListFilled)
{
    test::makeLedger(ledger);
    test::insertSalaryAndRent(ledger);
    {
        Connection db;
        db.Open(connectionStringFor(env.folder()));
        db.Execute(QStringLiteral("drop table expenses"));
    }
    const auto before = test::fileStamp(ledger);
    Form1 &w = start();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(hasReport(QStringLiteral("no such table: expenses"), kLoadLocation, 190));
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 1);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1500"));
    EXPECT_EQ(w.MousePointer(), PointerShape::Default); // a failed fill never leaves the hourglass standing
    EXPECT_EQ(test::fileStamp(ledger), before);
}

TEST_F(Form1Test, missingColumnIsReportedOnceAndItsCellsStayEmpty)
{
    test::makeLedger(ledger);
    {
        Connection db;
        db.Open(connectionStringFor(env.folder()));
        db.Execute(QStringLiteral("drop table income"));
        db.Execute(QStringLiteral("create table income (sr_no integer primary key, date text, source text, amount text)"));
        for (int i = 0; i < 3; ++i)
            db.Execute(QStringLiteral("insert into income (date, source, amount) values ('2021-01-01', 'Pay', '10')"));
    }
    Form1 &w = start();
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(env.boxes()[0].text.contains(QStringLiteral("listIncome at line 126\r")));
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 3);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 30"));
}

TEST_F(Form1Test, helpNamesTheContactPage)
{
    test::makeLedger(ledger);
    Form1 &w = start();
    w.PushButton9_Click();
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text,
              QStringLiteral("Questions? Please contact Team Marlowick at ") + QStringLiteral(TALLYMERE_CONTACT_PAGE));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::OkOnly);
    EXPECT_EQ(env.boxes()[0].caption, QStringLiteral("Tallymere"));
}

TEST_F(Form1Test, closingReleasesTheConnectionAndEndsTheProgram)
{
    test::makeLedger(ledger);
    Form1 &w = start();
    w.show();
    w.close();
    EXPECT_FALSE(form->ledger().hasConnection());
    EXPECT_EQ(env.endCount(), 1);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(Form1Test, homePageOpensOnlyOnADrawOfSeven)
{
    test::makeLedger(ledger);
    std::vector<QUrl> opened;
    for (int draw : {1, 6, 7, 8, 100}) {
        Main::setHomePageSeams([draw] { return draw; }, [&](const QUrl &url) { opened.push_back(url); });
        Main::visitHomePage();
    }
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral(TALLYMERE_HOME_PAGE)));
}

} // namespace
} // namespace tallymere

namespace tallymere {
namespace {

TEST_F(Form1Test, largeTotalsShowWholeSideBySideInsideTheReportFrame)
{
    test::makeLedger(ledger);
    test::insertRow(ledger, "income", "2026-01-01", "Sale of the house", "123456789.12", "");
    test::insertRow(ledger, "expenses", "2026-01-02", "Mortgage", "198765432.27", "");
    Form1 &w = start();
    w.show();

    const std::array<QLabel *, 3> labels{w.ui().lblTotalIncome, w.ui().lblTotalExpenses, w.ui().lblAvailableBalance};
    EXPECT_EQ(labels[2]->text(), QStringLiteral("Available Balance: -75308643.15"));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QLabel *label = labels[i];
        EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text())) << i;
        EXPECT_LE(label->geometry().right(), w.ui().Frame1->width()) << i;
        if (i > 0) {
            const QLabel *before = labels[i - 1];
            EXPECT_GT(label->x(), before->x() + QFontMetrics(before->font()).horizontalAdvance(before->text())) << i;
        }
    }
}

} // namespace
} // namespace tallymere
