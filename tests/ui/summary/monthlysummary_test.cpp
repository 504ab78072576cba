#include "support/entryfixture.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QTableView>
#include <QTest>

#include "ui/dateformat/form3.h"
#include "core/platform/messagebox.h"
#include "ui/summary/monthlysummary.h"
#include "ui/summary/monthtable.h"
#include "support/ledgerfile.h"
#include "support/openingways.h"
#include "support/scriptedspreadsheet.h"
#include "support/xlsxreader.h"

namespace tallymere {
namespace {

class MonthlySummaryTest : public test::EntryTest
{
protected:
    MonthlySummary &open()
    {
        main->showMonthlySummary();
        return *main->openMonthlySummary();
    }

    /// The summary's table as shown, one text per cell, after pending refreshes have run.
    std::vector<QStringList> shown()
    {
        QCoreApplication::processEvents();
        std::vector<QStringList> rows;
        const QAbstractItemModel *model = main->openMonthlySummary()->table()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < model->columnCount(); ++c)
                row.append(model->index(r, c).data().toString());
            rows.push_back(row);
        }
        return rows;
    }

    /// The Report frame's totals as the "All" row must read them.
    QStringList reportFrame() const
    {
        const auto value = [](const QLabel *label) { return label->text().section(QStringLiteral(": "), 1); };
        return {QStringLiteral("All"), value(main->ui().lblTotalIncome), value(main->ui().lblTotalExpenses),
                value(main->ui().lblAvailableBalance)};
    }

    /// Bar values of the first set of a chart's series.
    static std::vector<double> bars(const QChart *chart)
    {
        std::vector<double> values;
        if (chart->series().isEmpty())
            return values;
        const auto *series = static_cast<const QAbstractBarSeries *>(chart->series().front());
        const QBarSet *set = series->barSets().front();
        for (int i = 0; i < set->count(); ++i)
            values.push_back(set->at(i));
        return values;
    }
};

TEST_F(MonthlySummaryTest, followsSavesDeletesAndTheDateOrderWithoutAClick)
{
    test::insertRow(ledger, "income", "2026-11-30", "Salary", "3250", "November pay");
    test::insertRow(ledger, "expenses", "2026-11-03", "Rent", "1150", "November");
    test::insertRow(ledger, "expenses", "3/4/2026", "Food", "40", "an older file's date");
    start();
    open();
    EXPECT_EQ(shown(), (std::vector<QStringList>{{"2026-11", "3250", "1150", "2100"},
                                                 {"2026-03", "0", "40", "-40"},
                                                 reportFrame()}));

    main->PushButton7_Click();
    type(QStringLiteral("11/20/2026"), QStringLiteral("Food"), QStringLiteral("60.5"), QStringLiteral("Market"));
    editor().ui().PushButton1->click();
    EXPECT_EQ(shown(), (std::vector<QStringList>{{"2026-11", "3250", "1210.5", "2039.5"},
                                                 {"2026-03", "0", "40", "-40"},
                                                 reportFrame()}));

    select(main->ui().ListView2, 3);
    env.answerNext(platform::MessageResult::Yes);
    main->PushButton8_Click();
    EXPECT_EQ(shown(), (std::vector<QStringList>{{"2026-11", "3250", "1150", "2100"},
                                                 {"2026-03", "0", "40", "-40"},
                                                 reportFrame()}));

    // Day-first: the older file's "3/4/2026" is the 3rd of April.
    main->PushButton10_Click();
    main->openForm3()->ui().Option2->setChecked(true);
    main->openForm3()->ui().PushButton3->click();
    EXPECT_EQ(shown(), (std::vector<QStringList>{{"2026-11", "3250", "1150", "2100"},
                                                 {"2026-04", "0", "40", "-40"},
                                                 reportFrame()}));
    ASSERT_EQ(env.boxes().size(), 1u); // the delete's question only
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::YesNo);
}

TEST_F(MonthlySummaryTest, sendsTheMonthTableWithMonthsAsTextAndAmountsAsNumbers)
{
    test::ScriptedSpreadsheet spreadsheet;
    test::insertRow(ledger, "income", "2026-12-01", "Salary", "3250.5", "");
    test::insertRow(ledger, "expenses", "2026-11-03", "Rent", "1150", "");
    test::insertRow(ledger, "expenses", "someday", "Gift", "20", "");
    start();
    open().findChild<QPushButton *>(QStringLiteral("SendSummaryToExcel"))->click();

    ASSERT_EQ(spreadsheet.opened.size(), 1);
    const auto sheet = test::XlsxSheet::read(spreadsheet.opened[0]);
    const std::vector<QStringList> table = shown();
    EXPECT_EQ(sheet.shownRow(1), MonthTable::headers());
    ASSERT_EQ(sheet.lastRow(), int(table.size()) + 1);
    for (int r = 0; r < int(table.size()); ++r) {
        EXPECT_EQ(sheet.shownRow(r + 2), table[std::size_t(r)]);
        EXPECT_EQ(sheet.cell(r + 2, 1)->type, test::XlsxCell::Type::Text);
        for (int c = 2; c <= 4; ++c)
            EXPECT_EQ(sheet.cell(r + 2, c)->type, test::XlsxCell::Type::Number) << r << ',' << c;
    }
    EXPECT_EQ(sheet.shownRow(sheet.lastRow()).front(), QStringLiteral("All"));
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(MonthlySummaryTest, aFailedSendIsReportedWithTheProgramsLocationPattern)
{
    test::ScriptedSpreadsheet spreadsheet;
    spreadsheet.starts = false;
    test::insertRow(ledger, "income", "2026-12-01", "Salary", "3250.5", "");
    start();
    open().findChild<QPushButton *>(QStringLiteral("SendSummaryToExcel"))->click();
    EXPECT_TRUE(reported(QStringLiteral("in Coinfold2021/08/31.MonthlySummary.SendSummaryToExcel "), 110));
}

TEST_F(MonthlySummaryTest, badDataShowsWithoutAnErrorBox)
{
    const std::vector<test::Entry> odd{{}, {"", "", "", ""}, {"yesterday", "Words", "a lot", "x"},
        {"2026-02-30", "Huge", "9.99e307", "x"}, {"2026-02-28", "Tiny", "1e-300", "x"}, {"31/31/2026", "Gift", "-1e300", "x"}};
    test::seedLedger(ledger, {{"income", int(odd.size()), [&](int i) { return odd[std::size_t(i)]; }},
                              {"expenses", 1, [](int) { return test::Entry{"Null", "Null", "Null", "Null"}; }},
                              // Ten thousand categories in one month.
                              {"expenses", 10000, [](int i) {
                                   return test::Entry{"2026-01-15", "Category " + std::to_string(i), std::to_string(i % 97), ""};
                               }}});
    start();
    MonthlySummary &summary = open();
    const std::vector<QStringList> table = shown();

    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].front(), QStringLiteral("2026-02"));
    EXPECT_EQ(table[1].front(), QStringLiteral("2026-01"));
    EXPECT_EQ(table[2].front(), QStringLiteral("No date"));
    EXPECT_EQ(table[3], reportFrame());
    summary.table()->setCurrentIndex(summary.table()->model()->index(1, 0));
    const std::vector<double> categories = bars(summary.expensesChart());
    ASSERT_EQ(categories.size(), 10u); // nine, largest at the top, and the others in one bar
    EXPECT_TRUE(std::is_sorted(categories.begin() + 1, categories.end()));
    EXPECT_EQ(categories.back(), 96);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(MonthlySummaryTest, anEmptyLedgerShowsASentenceInsteadOfCharts)
{
    start();
    MonthlySummary &summary = open();
    EXPECT_EQ(shown(), (std::vector<QStringList>{{"All", "0", "0", "0"}}));
    EXPECT_FALSE(summary.chartsShown());

    main->PushButton1_Click();
    type(QStringLiteral("12/5/2026"), QStringLiteral("Salary"), QStringLiteral("1500"), QStringLiteral("December"));
    editor().ui().PushButton1->click();
    EXPECT_EQ(shown().size(), 2u);
    EXPECT_TRUE(summary.chartsShown());
    EXPECT_EQ(bars(summary.monthsChart()).back(), 1500); // the twelve months end with December
}

TEST_F(MonthlySummaryTest, aClickOnAMonthShowsThatMonthsCharts)
{
    test::insertRow(ledger, "income", "2019-01-31", "Salary", "900", "");
    test::insertRow(ledger, "expenses", "2019-01-10", "Rent", "500", "");
    test::insertRow(ledger, "expenses", "2019-02-10", "Food", "70", "");
    start();
    MonthlySummary &summary = open();
    summary.show();
    ASSERT_EQ(shown().front().front(), QStringLiteral("2019-02"));

    QTableView *table = summary.table();
    const QRect january = table->visualRect(table->model()->index(1, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, january.center());
    EXPECT_EQ(summary.expensesChart()->title(), QStringLiteral("Expenses by category, 2019-01"));
    EXPECT_EQ(summary.incomeChart()->title(), QStringLiteral("Income by source, 2019-01"));
    EXPECT_EQ(bars(summary.expensesChart()), std::vector<double>{500});

    // A save that leaves January selected shows January's new figures.
    main->PushButton7_Click();
    type(QStringLiteral("1/20/2019"), QStringLiteral("Food"), QStringLiteral("30"), QStringLiteral("Market"));
    editor().ui().PushButton1->click();
    shown();
    EXPECT_EQ(summary.expensesChart()->title(), QStringLiteral("Expenses by category, 2019-01"));
    EXPECT_EQ(bars(summary.expensesChart()), (std::vector<double>{30, 500}));
}

void fromMenu(Form1 &form, QWidget *over)
{
    test::pickFromMenu(form, over, QLatin1StringView("Monthly Summary..."));
}

class MonthlySummaryWay : public MonthlySummaryTest, public ::testing::WithParamInterface<test::Way>
{
};

TEST_P(MonthlySummaryWay, opensOneModelessSummaryThatEscapeCloses)
{
    Form1 &w = startShown();
    GetParam().open(w);
    MonthlySummary *summary = w.openMonthlySummary();
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->windowTitle(), QStringLiteral("Monthly Summary"));
    EXPECT_FALSE(summary->isModal());
    EXPECT_EQ(summary->font(), w.font());
    GetParam().open(w);
    EXPECT_EQ(w.openMonthlySummary(), summary); // one instance

    QApplication::setActiveWindow(summary);
    QTest::keyClick(summary, Qt::Key_Escape);
    EXPECT_EQ(w.openMonthlySummary(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, MonthlySummaryWay, ::testing::Values(
    test::Way{"Ctrl+M", [](Form1 &w) { QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier); }},
    test::Way{"income list menu", [](Form1 &w) { fromMenu(w, w.ui().ListView1); }},
    test::Way{"expense list menu", [](Form1 &w) { fromMenu(w, w.ui().ListView2); }},
    test::Way{"Report frame menu", [](Form1 &w) { fromMenu(w, w.ui().Frame1); }},
    test::Way{"click on a total", [](Form1 &w) { QTest::mouseClick(w.ui().lblTotalExpenses, Qt::LeftButton); }}));

} // namespace
} // namespace tallymere
