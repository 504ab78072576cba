#include <gtest/gtest.h>

#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

#include "core/platform/pointershape.h"
#include "ui/app/form1.h"
#include "core/export/spreadsheetapplication.h"
#include "core/ledger/modexpense.h"
#include "core/platform/messagebox.h"
#include "core/platform/program.h"
#include "ui/summary/monthtable.h"
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

TEST_F(ExportCommandTest, aTextLongerThanACellHoldsArrivesCutAndOneMessageSaysHowMany)
{
    constexpr int cell = SpreadsheetWorksheet::kMaxCellText;
    const QString ledger = env.path(QStringLiteral("dbExpense.mdb"));
    const std::vector<std::string> particulars{
        std::string(cell, 'f'),                                  // fits exactly
        std::string(cell, 'y') + "z",                            // one too many
        std::string(40000, 'x'),                                 // far too many
        std::string(cell - 1, 'a') + "\xf0\x9f\x98\x80" "b", // the cut would halve the emoji
    };
    for (const std::string &text : particulars)
        test::insertRow(ledger, "income", "2026-12-04", "Notes", "1", text);
    modExpense::listIncome(form->ledger());
    form->ui().PushButton4->click();

    ASSERT_EQ(spreadsheet.opened.size(), 1);
    const auto sheet = test::XlsxSheet::read(spreadsheet.opened[0]);
    const std::vector<std::string> expected{particulars[0], std::string(cell, 'y'), std::string(cell, 'x'),
                                            std::string(cell - 1, 'a')};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sheet.shown(int(i) + 4, 5).toStdString(), expected[i]) << "row " << i;
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("3 cells held more than 32,767 characters; each was cut to its "
                                                  "first 32,767 characters in the workbook. The ledger keeps the "
                                                  "whole text."));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::OkOnly);
    EXPECT_EQ(env.boxes()[0].caption, platform::applicationTitle());

    // The list and the ledger keep every character.
    const RowStore &list = form->ledger().incomeList();
    const test::Rows stored = test::readRows(ledger, "income");
    for (std::size_t i = 0; i < particulars.size(); ++i) {
        EXPECT_EQ(list.subItem(int(i) + 3, 5).toStdString(), particulars[i]);
        EXPECT_EQ(stored[i + 2].back(), particulars[i]);
    }
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

/// One export, as a user starts it, with what its workbook is called and begins with.
struct WorkbookCase {
    const char *name;
    void (*run)(Form1 &);
    int boxesBeforeTheQuestion; // the messages that say there is no spreadsheet program
    const char *file;
    QStringList headers;
};

void PrintTo(const WorkbookCase &c, std::ostream *os)
{
    *os << c.name;
}

class SavedWorkbook : public ExportCommandTest, public ::testing::WithParamInterface<WorkbookCase>
{
protected:
    /// Runs the export without a spreadsheet program, answering its question with `answer` and
    /// its save dialog with `path`.
    void exportWithout(int answer, const QString &path)
    {
        spreadsheet.installed = false;
        for (int i = 0; i < GetParam().boxesBeforeTheQuestion; ++i)
            env.answerNext(platform::MessageResult::Ok);
        env.answerNext(answer);
        env.saveAsNext(path);
        GetParam().run(*form);
    }
};

TEST_P(SavedWorkbook, withoutASpreadsheetProgramYesSavesTheSameWorkbookWhereTheUserSays)
{
    const QString path = env.path(QStringLiteral("chosen.xlsx"));
    exportWithout(platform::MessageResult::Yes, path);

    ASSERT_EQ(int(env.boxes().size()), GetParam().boxesBeforeTheQuestion + 1);
    const test::ShownBox &question = env.boxes().back();
    EXPECT_EQ(question.text, QStringLiteral("Save the workbook as a file instead?"));
    EXPECT_EQ(question.style, platform::MessageStyle::YesNo);
    EXPECT_EQ(question.caption, platform::applicationTitle());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(env.saveDialogs(), QStringList{QDir(documents.isEmpty() ? QDir::homePath() : documents)
                                                 .filePath(QString::fromUtf8(GetParam().file))});
    const auto sheet = test::XlsxSheet::read(path);
    EXPECT_EQ(sheet.shownRow(1), GetParam().headers);
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
    EXPECT_TRUE(QDir(env.folder()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".part")).isEmpty());
    EXPECT_FALSE(form->exportRunning());
    EXPECT_EQ(form->MousePointer(), PointerShape::Default);
}

TEST_P(SavedWorkbook, aWorkbookThatCannotBeWrittenIsReportedWithItsPath)
{
    const QString path = env.path(QStringLiteral("no such folder/chosen.xlsx"));
    exportWithout(platform::MessageResult::Yes, path);

    ASSERT_EQ(int(env.boxes().size()), GetParam().boxesBeforeTheQuestion + 2);
    EXPECT_TRUE(env.boxes().back().text.startsWith(QStringLiteral("The workbook could not be saved as:\r\n") + path))
        << env.boxes().back().text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Exports, SavedWorkbook, ::testing::Values(
    WorkbookCase{"income list", [](Form1 &w) { w.ui().PushButton4->click(); }, 2, "Income.xlsx",
                 {"SR No", "Date", "Source", "Amount", "Particulars"}},
    WorkbookCase{"expense list", [](Form1 &w) { w.ui().PushButton5->click(); }, 2, "Expenses.xlsx",
                 {"SR No", "Date", "Category", "Amount", "Particulars"}},
    WorkbookCase{"monthly summary", [](Form1 &w) { w.showMonthlySummary(); w.openMonthlySummary()->sendSummaryToExcel(); },
                 1, "Summary.xlsx", MonthTable::headers()},
    WorkbookCase{"found entries", [](Form1 &w) { w.showFindEntries(); w.openFindEntries()->sendResultsToExcel(); },
                 2, "Find.xlsx", {"Date", "Income or Expense", "Source or Category", "Amount", "Particulars"}}));

TEST_F(ExportCommandTest, aListSavedAsAFileReadsBackAsTheListAndNoSavesNothing)
{
    spreadsheet.installed = false;
    form->PushButton4_Click(); // No to the question: nothing more
    EXPECT_EQ(env.boxes().size(), 3u);
    EXPECT_TRUE(env.saveDialogs().isEmpty());

    env.clearBoxes();
    const QString path = env.path(QStringLiteral("Income.xlsx"));
    env.answerNext(platform::MessageResult::Ok);
    env.answerNext(platform::MessageResult::Ok);
    env.answerNext(platform::MessageResult::Yes);
    env.saveAsNext(path);
    form->PushButton4_Click();
    const auto sheet = test::XlsxSheet::read(path);
    const RowStore &list = form->ledger().incomeList();
    ASSERT_EQ(sheet.lastRow(), list.itemCount() + 1);
    for (int item = 1; item <= list.itemCount(); ++item) {
        QStringList shown;
        for (int sub = 1; sub < list.columnHeaderCount(); ++sub)
            shown.append(list.subItem(item, sub).remove(QLatin1Char('=')));
        shown[3] = QString::number(shown[3].toDouble()); // an amount is a number in the sheet
        EXPECT_EQ(sheet.shownRow(item + 1), shown);
    }
}

} // namespace
} // namespace tallymere
