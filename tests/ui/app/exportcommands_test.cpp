#include <gtest/gtest.h>

#include <cstdlib>

#include <QLocale>

#include "core/platform/pointershape.h"
#include "ui/app/form1.h"
#include "core/export/spreadsheetapplication.h"
#include "core/ledger/modexpense.h"
#include "core/platform/program.h"
#include "support/ledgerfile.h"
#include "support/scriptedspreadsheet.h"
#include "support/testenvironment.h"
#include "support/xlsxreader.h"

namespace tallymere {
namespace {

/// The main window over a small ledger, with the spreadsheet program replaced by a recorder.
class ExportCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString ledger = env.path(QStringLiteral("dbExpense.mdb"));
        test::makeLedger(ledger);
        test::insertRow(ledger, "income", "2026-11-30", "Salary", "3250.00", "November pay");
        test::insertRow(ledger, "income", "2026-12-03", "Gift", "50", "a=b=c");
        test::insertRow(ledger, "expenses", "2026-12-01", "Rent", "1150", "December");
        form = std::make_unique<Form1>();
        form->Form_Load();
    }
    void TearDown() override
    {
        form.reset();
        QLocale::setDefault(QLocale::c());
    }

    test::TestEnvironment env;
    test::ScriptedSpreadsheet spreadsheet;
    std::unique_ptr<Form1> form;
};

TEST_F(ExportCommandTest, eachButtonSendsItsOwnListWithoutTheIdColumn)
{
    form->ui().PushButton4->click();
    form->ui().PushButton5->click();

    ASSERT_EQ(spreadsheet.opened.size(), 2);
    const auto income = test::XlsxSheet::read(spreadsheet.opened[0]);
    EXPECT_EQ(income.shownRow(1), (QStringList{"SR No", "Date", "Source", "Amount", "Particulars"}));
    EXPECT_EQ(income.shownRow(2), (QStringList{"1", "2026-11-30", "Salary", "3250", "November pay"}));
    EXPECT_EQ(income.shownRow(3), (QStringList{"2", "2026-12-03", "Gift", "50", "abc"}));
    EXPECT_EQ(income.lastRow(), 3);

    const auto expenses = test::XlsxSheet::read(spreadsheet.opened[1]);
    EXPECT_EQ(expenses.shownRow(1), (QStringList{"SR No", "Date", "Category", "Amount", "Particulars"}));
    EXPECT_EQ(expenses.shownRow(2), (QStringList{"1", "2026-12-01", "Rent", "1150", "December"}));
    EXPECT_TRUE(env.boxes().empty());
    EXPECT_FALSE(form->exportRunning());
    EXPECT_EQ(form->MousePointer(), PointerShape::Default);
}

TEST_F(ExportCommandTest, closingTheMainWindowDuringAnExportEndsTheProgramAtOnce)
{
    // The real end of the program, so the test runs in a child process of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::setEndProgramHandler({});
            setSpreadsheetLauncher([](const QString &) -> bool { std::_Exit(3); });
            form->show();
            // The close arrives while the export lets pending events run.
            QMetaObject::invokeMethod(form.get(), &QWidget::close, Qt::QueuedConnection);
            form->ui().PushButton4->click();
            std::_Exit(4); // the export ran on to its end
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace tallymere
