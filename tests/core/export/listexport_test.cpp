#include "core/export/listexport.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "core/lists/rowstore.h"
#include "core/export/spreadsheetapplication.h"
#include "core/platform/mainwindow.h"
#include "core/platform/messagebox.h"
#include "support/scriptedspreadsheet.h"
#include "support/testenvironment.h"
#include "support/xlsxreader.h"

namespace tallymere {
namespace {

using test::XlsxCell;
using test::XlsxSheet;

const QString kIncomeLocation = QStringLiteral("in Coinfold2021/08/31.Form1.PushButton4_Click ");
const QString kExpenseLocation = QStringLiteral("in Coinfold2021/08/31.Form1.PushButton5_Click ");

using Rows = std::vector<std::vector<std::string>>;

using test::ScriptedSpreadsheet;

/// The main window, as far as an export sees it.
class RecordingHost : public MainWindow
{
public:
    int MousePointer() const override { return pointers.empty() ? 0 : pointers.back(); }
    void setMousePointer(int pointer) override { pointers.push_back(pointer); }
    void setTotalCaptions(const QString &, const QString &, const QString &) override {}

    std::vector<int> pointers;
};

void fill(RowStore &list, const Rows &rows)
{
    ListFill fill(list);
    for (const auto &row : rows) {
        fill.addItem(row.at(0));
        for (std::size_t i = 1; i < row.size(); ++i)
            fill.setSubItem(int(i), row[i]);
    }
}

void addHeaders(RowStore &list, const QStringList &headers)
{
    for (const QString &header : headers)
        list.addColumnHeader(header);
}

const QStringList kIncomeHeaders{QStringLiteral("ID"), QStringLiteral("SR No"), QStringLiteral("Date"),
                                 QStringLiteral("Source"), QStringLiteral("Amount"), QStringLiteral("Particulars")};
const QStringList kExpenseHeaders{QStringLiteral("ID"), QStringLiteral("SR No"), QStringLiteral("Date"),
                                  QStringLiteral("Category"), QStringLiteral("Amount"), QStringLiteral("Particulars")};

/// The line numbers of the error reports shown, in order; fails the test on any other box.
std::vector<int> reportedLines(const std::vector<test::ShownBox> &boxes, const QString &location)
{
    static const QRegularExpression line(QStringLiteral("\r\n(.*)at line (\\d+)\r\r"));
    std::vector<int> lines;
    for (const test::ShownBox &box : boxes) {
        EXPECT_EQ(box.caption, QLatin1String("Application Error"));
        EXPECT_EQ(box.style, platform::MessageStyle::Exclamation);
        const QRegularExpressionMatch match = line.match(box.text);
        EXPECT_TRUE(match.hasMatch()) << box.text.toStdString();
        EXPECT_EQ(match.captured(1), location);
        lines.push_back(match.captured(2).toInt());
    }
    return lines;
}

class ListExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        addHeaders(income, kIncomeHeaders);
        addHeaders(expenses, kExpenseHeaders);
    }
    void TearDown() override { QLocale::setDefault(m_locale); }

    /// The one workbook that the export opened, read back.
    XlsxSheet openedSheet()
    {
        if (spreadsheet.opened.size() != 1)
            throw std::runtime_error("expected exactly one workbook to be opened");
        return XlsxSheet::read(spreadsheet.opened.front());
    }

    test::TestEnvironment environment;
    ScriptedSpreadsheet spreadsheet;
    RecordingHost host;
    RowStore income;
    RowStore expenses;

private:
    QLocale m_locale;
};

TEST_F(ListExportTest, itemsArriveAsRowsInListOrderWithoutTheIdColumn)
{
    fill(income, {{"id-12", "12", "2021-08-31", "Salary", "1500.50", "August pay"},
                  {"id-3", "3", "2021-07-01", "Gift", "-20", "Grüße aus Köln, 日本 😀"},
                  {"id-7", "7", "7/1/2021", "Shop", "12abc", ""}});

    exportList(income, kIncomeLocation, host);

    EXPECT_TRUE(environment.boxes().empty());
    EXPECT_EQ(host.pointers, (std::vector<int>{11, 0})) << "hourglass while it works, default after";
    EXPECT_FALSE(host.exportRunning());
    ASSERT_EQ(spreadsheet.opened.size(), 1);
    EXPECT_TRUE(spreadsheet.openedFileExisted.front()) << "the file is complete when the program opens it";

    const XlsxSheet sheet = openedSheet();
    EXPECT_EQ(sheet.lastRow(), 4);
    EXPECT_EQ(sheet.lastColumn(), 5);
    EXPECT_EQ(sheet.shownRow(1), (QStringList{"SR No", "Date", "Source", "Amount", "Particulars"}));
    EXPECT_EQ(sheet.shownRow(2), (QStringList{"12", "2021-08-31", "Salary", "1500.5", "August pay"}));
    EXPECT_EQ(sheet.shownRow(3), (QStringList{"3", "2021-07-01", "Gift", "-20", "Grüße aus Köln, 日本 😀"}));
    EXPECT_EQ(sheet.shownRow(4), (QStringList{"7", "7/1/2021", "Shop", "12abc", ""}));

    EXPECT_EQ(sheet.cell(2, 1)->type, XlsxCell::Type::Number);
    EXPECT_EQ(sheet.cell(2, 2)->type, XlsxCell::Type::Date);
    EXPECT_EQ(sheet.cell(2, 2)->date, QDate(2021, 8, 31));
    EXPECT_EQ(sheet.cell(2, 4)->type, XlsxCell::Type::Number);
    EXPECT_DOUBLE_EQ(sheet.cell(2, 4)->number, 1500.5);
    EXPECT_EQ(sheet.cell(4, 2)->type, XlsxCell::Type::Text) << "only ISO dates become dates";
    EXPECT_EQ(sheet.cell(4, 4)->type, XlsxCell::Type::Text);
    EXPECT_EQ(sheet.cell(1, 1)->type, XlsxCell::Type::Text);

    for (int column = 1; column <= 5; ++column)
        EXPECT_GT(sheet.columnWidth(column), 0) << "column " << column << " is fitted";
    EXPECT_GT(sheet.columnWidth(5), sheet.columnWidth(1));
}

TEST_F(ListExportTest, amountsTheTotalsCannotHoldArriveAsTheTextTheListShows)
{
    const std::vector<std::string> amounts{"1e308", "999999999999999999999", "0.0000000000001", "999999999999999"};
    Rows rows;
    for (const std::string &amount : amounts)
        rows.push_back({"1", "1", "2021-08-02", "Windfall", amount, ""});
    fill(income, rows);

    exportList(income, kIncomeLocation, host);

    const XlsxSheet sheet = openedSheet();
    for (int row = 2; row <= 4; ++row) {
        EXPECT_EQ(sheet.cell(row, 4)->type, XlsxCell::Type::Text) << row;
        EXPECT_EQ(sheet.cell(row, 4)->text.toStdString(), amounts[std::size_t(row - 2)]);
    }
    EXPECT_EQ(sheet.cell(5, 4)->type, XlsxCell::Type::Number);
    EXPECT_EQ(sheet.cell(5, 4)->number, 999999999999999.0);
}

TEST_F(ListExportTest, expenseListArrivesWithItsCategoryColumn)
{
    fill(expenses, {{"1", "1", "2021-08-02", "Rent", "700", "flat"}});

    exportList(expenses, kExpenseLocation, host);

    const XlsxSheet sheet = openedSheet();
    EXPECT_EQ(sheet.shownRow(1), (QStringList{"SR No", "Date", "Category", "Amount", "Particulars"}));
    EXPECT_EQ(sheet.shownRow(2), (QStringList{"1", "2021-08-02", "Rent", "700", "flat"}));
}

TEST_F(ListExportTest, equalsSignsAreRemovedFromDataCellsOnly)
{
    RowStore list;
    addHeaders(list, {QStringLiteral("ID"), QStringLiteral("Note=Remark"), QStringLiteral("B"), QStringLiteral("C"),
                      QStringLiteral("D"), QStringLiteral("E")});
    fill(list, {{"1", "a=b=c", "===", "=SUM(A1:A2)", "=5", "after"}});

    exportList(list, kIncomeLocation, host);

    const XlsxSheet sheet = openedSheet();
    EXPECT_EQ(sheet.shown(1, 1), QLatin1String("Note=Remark"));
    EXPECT_EQ(sheet.shown(2, 1), QLatin1String("abc"));
    EXPECT_EQ(sheet.cell(2, 2), nullptr) << "a text of only \"=\" arrives as an empty cell";
    EXPECT_EQ(sheet.shown(2, 3), QLatin1String("SUM(A1:A2)"));
    EXPECT_EQ(sheet.cell(2, 3)->type, XlsxCell::Type::Text) << "never a formula";
    EXPECT_EQ(sheet.cell(2, 4)->type, XlsxCell::Type::Number);
    EXPECT_EQ(sheet.shown(2, 4), QLatin1String("5"));
    EXPECT_EQ(sheet.shown(2, 5), QLatin1String("after")) << "later cells keep their places";
}

TEST_F(ListExportTest, listWithOnlyItsFirstColumnGivesAnEmptyFittedSheetThatIsShown)
{
    RowStore list;
    list.addColumnHeader(QStringLiteral("ID"));
    fill(list, {{"1"}, {"2"}});

    exportList(list, kIncomeLocation, host);

    EXPECT_TRUE(environment.boxes().empty());
    EXPECT_EQ(host.pointers, (std::vector<int>{11, 0}));
    EXPECT_FALSE(host.exportRunning());
    const XlsxSheet sheet = openedSheet();
    EXPECT_EQ(sheet.cellCount(), 0);
    EXPECT_EQ(sheet.columnWidth(1), 0);
}

TEST_F(ListExportTest, emptyListDoesNothing)
{
    exportList(income, kIncomeLocation, host);

    EXPECT_TRUE(environment.boxes().empty());
    EXPECT_TRUE(host.pointers.empty());
    EXPECT_EQ(spreadsheet.probes, 0) << "not even a look for the spreadsheet program";
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
    EXPECT_FALSE(host.exportRunning());

    // The next export works normally.
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", ""}});
    exportList(income, kIncomeLocation, host);
    EXPECT_EQ(spreadsheet.opened.size(), 1);
}

TEST_F(ListExportTest, missingSpreadsheetProgramShowsTwoMessagesInOrderThenOffersAFile)
{
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", ""}});
    spreadsheet.installed = false;

    exportList(income, kIncomeLocation, host); // No to the offer

    ASSERT_EQ(environment.boxes().size(), 3);
    EXPECT_EQ(environment.boxes()[0].text,
              QLatin1String("Excel is not installed on this computer. You need to have it installed to use this "
                            "software without error."));
    EXPECT_EQ(environment.boxes()[1].text,
              QLatin1String("Excel is not installed on this computer. You need to have it installed to use this "
                            "feature."));
    EXPECT_EQ(environment.boxes()[2].text, QLatin1String("Save the workbook as a file instead?"));
    for (const test::ShownBox &box : environment.boxes()) {
        EXPECT_EQ(box.style, &box == &environment.boxes()[2] ? platform::MessageStyle::YesNo : platform::MessageStyle::OkOnly);
        EXPECT_EQ(box.caption, platform::applicationTitle());
    }
    EXPECT_TRUE(environment.saveDialogs().isEmpty());
    EXPECT_TRUE(host.pointers.empty()) << "no hourglass";
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
    EXPECT_FALSE(host.exportRunning());
}

TEST_F(ListExportTest, availabilityTestSaysWhetherTheProgramCanBeFound)
{
    EXPECT_TRUE(SaveResultsAsExcelFileIsExcelInstalled());
    EXPECT_TRUE(environment.boxes().empty());

    spreadsheet.installed = false;
    EXPECT_FALSE(SaveResultsAsExcelFileIsExcelInstalled());
    EXPECT_EQ(environment.boxes().size(), 1);
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(ListExportTest, exportDoesNothingWhileAnExportRuns)
{
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", ""}});
    host.setExportRunning(true);

    exportList(income, kIncomeLocation, host);

    EXPECT_TRUE(host.exportRunning()) << "still the running export's";
    EXPECT_TRUE(environment.boxes().empty());
    EXPECT_TRUE(host.pointers.empty());
    EXPECT_EQ(spreadsheet.probes, 0);
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(ListExportTest, clicksOnEitherExportDuringAnExportAreIgnored)
{
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", "a"}, {"2", "2", "2021-09-01", "Bonus", "20", "b"}});
    fill(expenses, {{"5", "5", "2021-08-02", "Rent", "700", "flat"}});

    // Clicks that wait in the event queue; the export lets them run while it works.
    bool clicksRan = false;
    bool runningDuringClicks = false;
    std::size_t pointersBeforeClicks = 0;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            clicksRan = true;
            runningDuringClicks = host.exportRunning();
            pointersBeforeClicks = host.pointers.size();
            exportList(expenses, kExpenseLocation, host);
            exportList(income, kIncomeLocation, host);
        },
        Qt::QueuedConnection);

    exportList(income, kIncomeLocation, host);

    ASSERT_TRUE(clicksRan) << "pending events run during the export";
    EXPECT_TRUE(runningDuringClicks);
    EXPECT_EQ(pointersBeforeClicks, 1U) << "the clicks came while the hourglass showed";
    EXPECT_EQ(host.pointers, (std::vector<int>{11, 0}));
    EXPECT_TRUE(environment.boxes().empty());
    EXPECT_EQ(spreadsheet.probes, 2) << "once by the availability test, once for the export's own object";
    const XlsxSheet sheet = openedSheet();
    EXPECT_EQ(sheet.shown(1, 3), QLatin1String("Source"));
    EXPECT_EQ(sheet.lastRow(), 3);
    EXPECT_FALSE(host.exportRunning());
}

TEST_F(ListExportTest, listEmptiedBeforeItsRowsAreReadGivesTheHeaderRowOnly)
{
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", "a"}});
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { income.clearItems(); }, Qt::QueuedConnection);

    exportList(income, kIncomeLocation, host);

    EXPECT_TRUE(environment.boxes().empty());
    const XlsxSheet sheet = openedSheet();
    EXPECT_EQ(sheet.lastRow(), 1);
    EXPECT_EQ(sheet.shownRow(1), (QStringList{"SR No", "Date", "Source", "Amount", "Particulars"}));
}

TEST_F(ListExportTest, failuresAreReportedWithTheirLinesAndTheExportGoesOn)
{
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", "a"},
                  {"2", "2", "2021-09-01", "Bonus", "20", "b"},
                  {"3", "3", "2021-09-02", "Gift", "30", "c"}});
    // Found by the availability test, gone when the export creates its own object.
    spreadsheet.answers = {true};
    spreadsheet.installed = false;

    exportList(income, kExpenseLocation, host);

    std::vector<int> expected{116, 118, 126, 126, 126, 126, 126};
    expected.insert(expected.end(), 15, 150);
    expected.insert(expected.end(), {160, 162});
    EXPECT_EQ(reportedLines(environment.boxes(), kExpenseLocation), expected);
    EXPECT_EQ(host.pointers, (std::vector<int>{11, 0})) << "the pointer comes back after the failures";
    EXPECT_FALSE(host.exportRunning());
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(ListExportTest, programThatCannotStartIsReportedAndLeavesNoWorkbookBehind)
{
    fill(income, {{"1", "1", "2021-08-31", "Salary", "10", "a"}});
    spreadsheet.starts = false;

    exportList(income, kIncomeLocation, host);

    EXPECT_EQ(reportedLines(environment.boxes(), kIncomeLocation), std::vector<int>{162});
    EXPECT_EQ(host.pointers, (std::vector<int>{11, 0}));
    EXPECT_FALSE(host.exportRunning());
    ASSERT_EQ(spreadsheet.opened.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(spreadsheet.opened.front()).absolutePath()));
}

TEST_F(ListExportTest, libreOfficeReadsTheWorkbookAsTheListShowsIt)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";

    fill(income, {{"1", "1", "2021-08-31", "Salary", "1500.50", "a=b=c"},
                  {"2", "2", "2021-09-01", "Gift, late", "-20", "Grüße 日本"}});
    exportList(income, kIncomeLocation, host);
    ASSERT_EQ(spreadsheet.opened.size(), 1);

    QTemporaryDir out;
    QTemporaryDir profile;
    QProcess convert;
    convert.start(soffice, {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                            QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                            out.path(), spreadsheet.opened.front()});
    ASSERT_TRUE(convert.waitForFinished(180000));
    ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();

    QFile csv(out.filePath(QFileInfo(spreadsheet.opened.front()).completeBaseName() + QStringLiteral(".csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << csv.fileName().toStdString();
    QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &line : lines)
        line.remove(QLatin1Char('\r'));
    EXPECT_EQ(lines, (QStringList{"SR No,Date,Source,Amount,Particulars", "1,2021-08-31,Salary,1500.5,abc",
                                  "2,2021-09-01,\"Gift, late\",-20,Grüße 日本"}));
}

} // namespace
} // namespace tallymere
