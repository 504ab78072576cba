#include "core/export/spreadsheetapplication.h"

#include <cmath>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/errors/error.h"
#include "core/text/numerictext.h"
#include "support/scriptedspreadsheet.h"
#include "support/xlsxreader.h"

namespace tallymere {
namespace {

using test::ScriptedSpreadsheet;
using test::XlsxCell;
using test::XlsxSheet;

class SpreadsheetApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(m_locale); }

    /// Shows the workbook and reads back what the spreadsheet program was given.
    XlsxSheet show(SpreadsheetApplication &application)
    {
        application.setVisible(true);
        if (spreadsheet.opened.size() != 1)
            throw std::runtime_error("expected exactly one workbook to be opened");
        return XlsxSheet::read(spreadsheet.opened.front());
    }

    ScriptedSpreadsheet spreadsheet;

private:
    QLocale m_locale;
};

TEST_F(SpreadsheetApplicationTest, createFailsWhenNoSpreadsheetProgramIsFound)
{
    spreadsheet.installed = false;
    EXPECT_THROW(SpreadsheetApplication::create(), Error);

    spreadsheet.installed = true;
    EXPECT_NE(SpreadsheetApplication::create(), nullptr);
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(SpreadsheetApplicationTest, visibleWritesTheWorkbookPrivatelyAndOpensItOnce)
{
    QString path;
    {
        const auto application = SpreadsheetApplication::create();
        SpreadsheetWorkbook &workbook = application->Workbooks().Add();
        workbook.ActiveSheet().setCells(1, 1, QStringLiteral("SR No"));
        workbook.ActiveSheet().Cells(2, 1).setValue(QStringLiteral("7"));
        EXPECT_FALSE(application->Visible());

        const XlsxSheet sheet = show(*application);
        EXPECT_TRUE(application->Visible());
        EXPECT_EQ(sheet.shownRow(1), QStringList{QStringLiteral("SR No")});
        EXPECT_EQ(sheet.shownRow(2), QStringList{QStringLiteral("7")});

        application->setVisible(true);
        EXPECT_EQ(spreadsheet.opened.size(), 1) << "a shown workbook is not opened a second time";
        path = spreadsheet.opened.front();
    }

    // Left for the spreadsheet program after the application object is gone.
    const QFileInfo file(path);
    EXPECT_TRUE(file.isFile());
    EXPECT_EQ(file.suffix(), QLatin1String("xlsx"));
    const QFileInfo folder(file.absolutePath());
    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    EXPECT_EQ(QFileInfo(folder.absolutePath()).canonicalFilePath(), QFileInfo(temp).canonicalFilePath());
    const QFile::Permissions groupOrOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ((folder.permissions() & groupOrOthers).toInt(), 0) << "the folder is private";
}

TEST_F(SpreadsheetApplicationTest, workbooksAreKeptApartInFoldersOfTheirOwn)
{
    const auto application = SpreadsheetApplication::create();
    application->Workbooks().Add().ActiveSheet().setCells(1, 1, QStringLiteral("first"));
    application->Workbooks().Add().ActiveSheet().setCells(1, 1, QStringLiteral("second"));
    application->setVisible(true);

    ASSERT_EQ(spreadsheet.opened.size(), 2);
    EXPECT_NE(QFileInfo(spreadsheet.opened[0]).absolutePath(), QFileInfo(spreadsheet.opened[1]).absolutePath());
    EXPECT_EQ(XlsxSheet::read(spreadsheet.opened[0]).shown(1, 1), QLatin1String("first"));
    EXPECT_EQ(XlsxSheet::read(spreadsheet.opened[1]).shown(1, 1), QLatin1String("second"));
}

TEST_F(SpreadsheetApplicationTest, workbookNeverShownLeavesNothingBehind)
{
    QString folder;
    {
        const auto application = SpreadsheetApplication::create();
        SpreadsheetWorkbook &workbook = application->Workbooks().Add();
        workbook.ActiveSheet().Cells(1, 1).setValue(QStringLiteral("unsent"));
        folder = QFileInfo(workbook.fileName()).absolutePath();
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(SpreadsheetApplicationTest, launcherThatCannotStartFailsAndCanBeTriedAgain)
{
    const auto application = SpreadsheetApplication::create();
    application->Workbooks().Add().ActiveSheet().setCells(1, 1, QStringLiteral("x"));

    spreadsheet.starts = false;
    EXPECT_THROW(application->setVisible(true), Error);
    EXPECT_FALSE(application->Visible());

    spreadsheet.starts = true;
    application->setVisible(true);
    ASSERT_EQ(spreadsheet.opened.size(), 2);
    EXPECT_EQ(spreadsheet.opened[0], spreadsheet.opened[1]);
    EXPECT_EQ(XlsxSheet::read(spreadsheet.opened[1]).shown(1, 1), QLatin1String("x"));
}

TEST_F(SpreadsheetApplicationTest, workbookThatCouldNotBeOpenedIsRemovedWithTheApplication)
{
    spreadsheet.starts = false;
    {
        const auto application = SpreadsheetApplication::create();
        application->Workbooks().Add().ActiveSheet().setCells(1, 1, QStringLiteral("x"));
        EXPECT_THROW(application->setVisible(true), Error);
    }
    ASSERT_EQ(spreadsheet.opened.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(spreadsheet.opened[0]).absolutePath()));
}

TEST_F(SpreadsheetApplicationTest, cellsOutOfOrderOrOutsideTheSheetFailAndLeaveTheRestIntact)
{
    const auto application = SpreadsheetApplication::create();
    SpreadsheetWorksheet &sheet = application->Workbooks().Add().ActiveSheet();
    sheet.setCells(1, 2, QStringLiteral("B1"));
    sheet.setCells(1, 1, QStringLiteral("A1")); // any order within a row
    sheet.Cells(3, 1).setValue(QStringLiteral("A3"));
    EXPECT_THROW(sheet.Cells(2, 1).setValue(QStringLiteral("too late")), Error);
    EXPECT_THROW(sheet.setCells(1, 3, QStringLiteral("too late")), Error);
    EXPECT_THROW(sheet.Cells(0, 1).setValue(QStringLiteral("x")), Error);
    EXPECT_THROW(sheet.Cells(4, 0).setValue(QStringLiteral("x")), Error);
    EXPECT_THROW(sheet.Cells(4, 16385).setValue(QStringLiteral("x")), Error);
    EXPECT_THROW(sheet.Cells(1048577, 1).setValue(QStringLiteral("x")), Error);
    sheet.Cells(4, 16384).setValue(QStringLiteral("last column"));

    const XlsxSheet written = show(*application);
    EXPECT_EQ(written.cellCount(), 4);
    EXPECT_EQ(written.shown(1, 1), QLatin1String("A1"));
    EXPECT_EQ(written.shown(1, 2), QLatin1String("B1"));
    EXPECT_EQ(written.shown(3, 1), QLatin1String("A3"));
    EXPECT_EQ(written.shown(4, 16384), QLatin1String("last column"));
}

TEST_F(SpreadsheetApplicationTest, shownWorkbookTakesNoMoreCells)
{
    const auto application = SpreadsheetApplication::create();
    SpreadsheetWorkbook &workbook = application->Workbooks().Add();
    workbook.ActiveSheet().setCells(1, 1, QStringLiteral("x"));
    application->setVisible(true);
    EXPECT_THROW(workbook.ActiveSheet().Cells(2, 1).setValue(QStringLiteral("y")), Error);
    EXPECT_THROW(workbook.ActiveSheet().setCells(2, 1, QStringLiteral("y")), Error);
    EXPECT_THROW(workbook.ActiveSheet().Columns().AutoFit(), Error);
}

TEST_F(SpreadsheetApplicationTest, headerCellsKeepNumbersAndDatesAsText)
{
    const auto application = SpreadsheetApplication::create();
    SpreadsheetWorksheet &sheet = application->Workbooks().Add().ActiveSheet();
    sheet.setCells(1, 1, QStringLiteral("123"));
    sheet.setCells(1, 2, QStringLiteral("2021-08-31"));
    sheet.setCells(1, 3, QStringLiteral("a=b"));

    const XlsxSheet written = show(*application);
    for (int column = 1; column <= 3; ++column) {
        ASSERT_NE(written.cell(1, column), nullptr);
        EXPECT_EQ(written.cell(1, column)->type, XlsxCell::Type::Text);
    }
    EXPECT_EQ(written.shownRow(1), (QStringList{QStringLiteral("123"), QStringLiteral("2021-08-31"), QStringLiteral("a=b")}));
}

TEST_F(SpreadsheetApplicationTest, autoFitSizesEachColumnToItsWidestShownText)
{
    const auto application = SpreadsheetApplication::create();
    SpreadsheetWorksheet &sheet = application->Workbooks().Add().ActiveSheet();
    const QStringList header{QStringLiteral("SR No"), QStringLiteral("Date"), QStringLiteral("abc"),
                             QStringLiteral("xyz"), QStringLiteral("Particulars"), QString(), QStringLiteral("Long")};
    for (int column = 1; column <= header.size(); ++column)
        sheet.setCells(1, column, header[column - 1]);
    sheet.Cells(2, 1).setValue(QStringLiteral("1"));
    sheet.Cells(2, 2).setValue(QStringLiteral("2021-08-31"));
    sheet.Cells(2, 3).setValue(QStringLiteral("abc"));
    sheet.Cells(2, 4).setValue(QStringLiteral("日本語"));
    sheet.Cells(2, 5).setValue(QStringLiteral("Paid the plumber for the kitchen sink\nand the tap"));
    sheet.Cells(2, 7).setValue(QString(400, u'w'));
    sheet.Columns().AutoFit();

    const XlsxSheet written = show(*application);
    EXPECT_GT(written.columnWidth(1), 5) << "fits the header \"SR No\", not the short number";
    EXPECT_GT(written.columnWidth(2), 10) << "fits the date as shown";
    EXPECT_GT(written.columnWidth(4), written.columnWidth(3)) << "wide characters take more room";
    EXPECT_GT(written.columnWidth(5), QStringLiteral("Paid the plumber for the kitchen sink").size());
    EXPECT_LT(written.columnWidth(5), 60) << "of several lines, the longest counts";
    EXPECT_EQ(written.columnWidth(6), 0) << "an empty column keeps the default width";
    EXPECT_GT(written.columnWidth(7), 200);
    EXPECT_LE(written.columnWidth(7), 256) << "no wider than a sheet allows";
    EXPECT_EQ(written.columnWidth(8), 0);
}

TEST_F(SpreadsheetApplicationTest, autoFitOfAnEmptySheetLeavesEveryColumnAsItWas)
{
    const auto application = SpreadsheetApplication::create();
    application->Workbooks().Add().ActiveSheet().Columns().AutoFit();

    const XlsxSheet written = show(*application);
    EXPECT_EQ(written.cellCount(), 0);
    EXPECT_EQ(written.columnWidth(1), 0);
}

struct ValueCase {
    const char16_t *text;
    XlsxCell::Type type;
    const char16_t *shown;
};

void PrintTo(const ValueCase &value, std::ostream *out)
{
    *out << '"' << QString::fromUtf16(value.text).toStdString() << '"';
}

class SpreadsheetValueTest : public SpreadsheetApplicationTest, public ::testing::WithParamInterface<ValueCase>
{
};

TEST_P(SpreadsheetValueTest, valueArrivesAsNumberDateOrTextByItsContent)
{
    const ValueCase &value = GetParam();
    const auto application = SpreadsheetApplication::create();
    application->Workbooks().Add().ActiveSheet().Cells(2, 3).setValue(QString::fromUtf16(value.text));

    const XlsxSheet written = show(*application);
    ASSERT_EQ(written.cellCount(), 1);
    const XlsxCell *cell = written.cell(2, 3);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->type, value.type);
    EXPECT_EQ(written.shown(2, 3), QString::fromUtf16(value.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SpreadsheetValueTest,
    ::testing::Values(ValueCase{u"1500.50", XlsxCell::Type::Number, u"1500.5"},
                      ValueCase{u"-20", XlsxCell::Type::Number, u"-20"},
                      ValueCase{u" 42 ", XlsxCell::Type::Number, u"42"},
                      ValueCase{u"1,234.5", XlsxCell::Type::Number, u"1234.5"},
                      ValueCase{u"1e3", XlsxCell::Type::Number, u"1000"},
                      ValueCase{u"2021-08-31", XlsxCell::Type::Date, u"2021-08-31"},
                      ValueCase{u"2024-02-29", XlsxCell::Type::Date, u"2024-02-29"},
                      ValueCase{u"1900-01-01", XlsxCell::Type::Date, u"1900-01-01"},
                      ValueCase{u"9999-12-31", XlsxCell::Type::Date, u"9999-12-31"},
                      ValueCase{u"2021-02-30", XlsxCell::Type::Text, u"2021-02-30"},
                      ValueCase{u"2023-02-29", XlsxCell::Type::Text, u"2023-02-29"},
                      ValueCase{u"1899-12-31", XlsxCell::Type::Text, u"1899-12-31"},
                      ValueCase{u"2021-8-31", XlsxCell::Type::Text, u"2021-8-31"},
                      ValueCase{u"8/31/2021", XlsxCell::Type::Text, u"8/31/2021"},
                      ValueCase{u"12abc", XlsxCell::Type::Text, u"12abc"},
                      ValueCase{u"Salary", XlsxCell::Type::Text, u"Salary"},
                      ValueCase{u"  two blanks around  ", XlsxCell::Type::Text, u"  two blanks around  "},
                      ValueCase{u"Grüße, 日本 😀 e\u0301", XlsxCell::Type::Text, u"Grüße, 日本 😀 e\u0301"},
                      ValueCase{u"<b>&amp;\"'</b>", XlsxCell::Type::Text, u"<b>&amp;\"'</b>"},
                      ValueCase{u"_x0041_ stays", XlsxCell::Type::Text, u"_x0041_ stays"},
                      ValueCase{u"tab\tand\r\nbreak", XlsxCell::Type::Text, u"tab\tand\r\nbreak"}));

class SpreadsheetLocaleTest : public SpreadsheetApplicationTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(SpreadsheetLocaleTest, numbersAreWhatTheProgramReadsOfAStoredAmountInTheUsersLocale)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    const QStringList texts{"0", "007", "12", "-20", "1500.50", "1500,50", "-20.5", "1.500", "1,500.25",
                            "1.500,25", "123456789012345678901234", "0.1", "5.", ".5", "-", "1.2.3", "--1",
                            "+1", " 42", "1e3", "1 500", "\u0661\u0662"};
    const auto application = SpreadsheetApplication::create();
    SpreadsheetWorksheet &sheet = application->Workbooks().Add().ActiveSheet();
    for (int column = 1; column <= texts.size(); ++column)
        sheet.Cells(1, column).setValue(texts[column - 1]);

    const XlsxSheet written = show(*application);
    const NumericReader amounts;
    for (int column = 1; column <= texts.size(); ++column) {
        const QString &text = texts[column - 1];
        SCOPED_TRACE(text.toStdString());
        const XlsxCell *cell = written.cell(1, column);
        ASSERT_NE(cell, nullptr);
        if (const std::optional<Amount> amount = amounts.read(text)) {
            EXPECT_EQ(cell->type, XlsxCell::Type::Number);
            // The file keeps 16 significant digits, a sheet shows 15.
            const double value = amount->toDouble();
            EXPECT_NEAR(cell->number, value, std::abs(value) * 1e-15);
        } else {
            EXPECT_EQ(cell->type, XlsxCell::Type::Text);
            EXPECT_EQ(cell->text, text);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, SpreadsheetLocaleTest,
                         ::testing::Values("C", "en_US", "de_DE", "fr_FR", "hi_IN", "ar_EG", "fa_IR"));

TEST_F(SpreadsheetApplicationTest, emptyValueLeavesTheCellEmpty)
{
    const auto application = SpreadsheetApplication::create();
    SpreadsheetWorksheet &sheet = application->Workbooks().Add().ActiveSheet();
    sheet.setCells(1, 1, QString());
    sheet.Cells(2, 1).setValue(QString());
    sheet.Cells(2, 2).setValue(QStringLiteral("after"));

    const XlsxSheet written = show(*application);
    EXPECT_EQ(written.cellCount(), 1);
    EXPECT_EQ(written.shownRow(2), (QStringList{QString(), QStringLiteral("after")}));
}

/// A file in a workbook folder, changed `hours` after the folder was made.
struct FolderFile {
    const char *name;
    int hours;
};

/// How a folder in the temporary folder came to be there.
enum class Made { ByExport, ByExportCutShort, ByTheUser };
/// What became of an exported workbook after it was shown.
enum class Since { Nothing, SavedOver, SavedOverKeepingItsSize, MarkerRemoved };

/// A folder in the temporary folder at the start of a later run, `hoursLater` after it was made.
struct OldFolderCase {
    const char *name;
    Made made;
    const char *folder; // its name (an exported folder is renamed to it)
    std::vector<FolderFile> files; // beside the workbook, or the user's own
    Since since;
    int hoursLater;
    bool removed;
};

void PrintTo(const OldFolderCase &c, std::ostream *os)
{
    *os << c.name;
}

class OldWorkbooks : public ::testing::TestWithParam<OldFolderCase>
{
};

/// Writes `bytes` over the start of a file (or after its end) and dates it `modified`.
void writeInto(const QString &path, const QByteArray &bytes, bool append, const QDateTime &modified)
{
    QFile file(path);
    ASSERT_TRUE(file.open(append ? QIODevice::Append : QIODevice::ReadWrite));
    file.write(bytes);
    file.flush(); // before the time is set: a later write would set it anew
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

TEST_P(OldWorkbooks, areRemovedAtStartOnceADayOldAndNeverWhileTheyMayBeInUseOrAreNotTheExportsOwn)
{
    const OldFolderCase &c = GetParam();
    const QTemporaryDir temporary;
    const QString folder = QDir(temporary.path()).filePath(QString::fromUtf8(c.folder));
    const QDateTime made = QDateTime::currentDateTime();
    if (c.made == Made::ByTheUser) {
        ASSERT_TRUE(QDir().mkdir(folder));
    } else {
        // A real export, its folder moved here as the program left it; one cut short is copied
        // as it was when the program ended.
        ScriptedSpreadsheet spreadsheet;
        const auto application = SpreadsheetApplication::create();
        SpreadsheetWorkbook &workbook = application->Workbooks().Add();
        workbook.ActiveSheet().setCells(1, 1, QStringLiteral("Amount"));
        const QDir written = QFileInfo(workbook.fileName()).absoluteDir();
        if (c.made == Made::ByExport) {
            application->setVisible(true);
            ASSERT_TRUE(QDir().rename(written.path(), folder));
        } else {
            ASSERT_TRUE(QDir().mkdir(folder));
            for (const QString &name : written.entryList(QDir::Files | QDir::Hidden))
                ASSERT_TRUE(QFile::copy(written.filePath(name), QDir(folder).filePath(name)));
        }
    }
    const QString book = QDir(folder).filePath(QStringLiteral("Book1.xlsx"));
    if (c.since == Since::SavedOver)
        writeInto(book, "PK more", true, made.addSecs(3600));
    if (c.since == Since::SavedOverKeepingItsSize)
        writeInto(book, "PK", false, made.addSecs(3600));
    if (c.since == Since::MarkerRemoved) {
        ASSERT_TRUE(QFile::remove(QDir(folder).filePath(QLatin1String(kWorkbookFolderMarker))));
    }
    for (const FolderFile &file : c.files)
        writeInto(QDir(folder).filePath(QString::fromUtf8(file.name)), "PK", true, made.addSecs(file.hours * 3600));
    // A folder beside it that holds a workbook shown just before this start.
    const QDateTime start = made.addSecs(c.hoursLater * 3600);
    const QString fresh = QDir(temporary.path()).filePath(QStringLiteral("tallymere-Fr35h0"));
    ASSERT_TRUE(QDir().mkdir(fresh));
    QFile shown(QDir(fresh).filePath(QStringLiteral("Book1.xlsx")));
    ASSERT_TRUE(shown.open(QIODevice::WriteOnly));
    ASSERT_TRUE(shown.setFileTime(start.addSecs(-60), QFileDevice::FileModificationTime));
    shown.close();

    removeOldWorkbooks(temporary.path(), start);

    EXPECT_EQ(!QFileInfo::exists(folder), c.removed);
    EXPECT_TRUE(QFileInfo::exists(QDir(fresh).filePath(QStringLiteral("Book1.xlsx"))));
}

INSTANTIATE_TEST_SUITE_P(Folders, OldWorkbooks, ::testing::Values(
    OldFolderCase{"shownADayAgo", Made::ByExport, "tallymere-a1B2c3", {{".exit-status", 0}}, Since::Nothing, 25, true},
    OldFolderCase{"shownTodayMayStillBeLoading", Made::ByExport, "tallymere-a1B2c3", {}, Since::Nothing, 23, false},
    OldFolderCase{"exportCutShortADayAgo", Made::ByExportCutShort, "tallymere-a1B2c3", {}, Since::Nothing, 25, true},
    // Opened in place and saved by the user: the user's workbook now, however old.
    OldFolderCase{"savedOverAfterItWasShown", Made::ByExport, "tallymere-a1B2c3", {}, Since::SavedOver, 72, false},
    OldFolderCase{"savedOverKeepingItsSize", Made::ByExport, "tallymere-a1B2c3", {}, Since::SavedOverKeepingItsSize, 72, false},
    OldFolderCase{"stillOpenInTheSpreadsheetProgram", Made::ByExport, "tallymere-a1B2c3",
                  {{".~lock.Book1.xlsx#", 0}}, Since::Nothing, 48, false},
    OldFolderCase{"holdingFilesOfAnotherProgram", Made::ByExport, "tallymere-a1B2c3", {{"notes.txt", 0}}, Since::Nothing, 48, false},
    OldFolderCase{"withoutItsMarker", Made::ByExport, "tallymere-a1B2c3", {}, Since::MarkerRemoved, 48, false},
    OldFolderCase{"renamedInAnotherCase", Made::ByExport, "Tallymere-a1B2c3", {}, Since::Nothing, 48, false},
    // The user's own folders in the temporary folder, whatever their names and files.
    OldFolderCase{"usersFolderOfTheSameNameForm", Made::ByTheUser, "tallymere-budget", {{"Bookkeeping 2025.xlsx", 0}},
                  Since::Nothing, 72, false},
    OldFolderCase{"usersFolderInAnotherCase", Made::ByTheUser, "Tallymere-Drafts", {{"Book1.xlsx", 0}}, Since::Nothing, 72, false},
    OldFolderCase{"usersFolderNamedOtherwise", Made::ByTheUser, "tallymere-summary", {{"Book1.xlsx", 0}}, Since::Nothing, 72, false}),
    [](const auto &shown) { return std::string(shown.param.name); });

} // namespace
} // namespace tallymere
