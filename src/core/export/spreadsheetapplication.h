#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QDateTime>
#include <QString>

#include "core/text/numerictext.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tallymere {

class SpreadsheetWorkbook;
class SpreadsheetWorksheet;

/// One cell of a worksheet, as Cells(row, column) gives it.
class SpreadsheetRange
{
public:
    /// Value put. Numeric text (read as a stored amount, see NumericReader::read) becomes a
    /// number, unless it is more than the totals can hold; text "yyyy-mm-dd" that
    /// names a real date from 1900 on becomes a date shown in that pattern; anything else is
    /// stored as text, cut to what a cell holds. Empty text leaves the cell empty. Throws
    /// tallymere::Error when the cell cannot take it (a row above one already written, a closed
    /// workbook).
    void setValue(const QString &value);

private:
    friend class SpreadsheetWorksheet;
    SpreadsheetRange(SpreadsheetWorksheet &sheet, int row, int column)
        : m_sheet(&sheet), m_row(row), m_column(column)
    {
    }

    SpreadsheetWorksheet *m_sheet;
    int m_row;
    int m_column;
};

/// All columns of a worksheet, as Columns gives them.
class SpreadsheetColumns
{
public:
    /// Sizes every column that holds something to its widest cell as shown; empty columns keep
    /// the default width.
    void AutoFit();

private:
    friend class SpreadsheetWorksheet;
    explicit SpreadsheetColumns(SpreadsheetWorksheet &sheet) : m_sheet(&sheet) {}

    SpreadsheetWorksheet *m_sheet;
};

/// The one sheet of a new workbook. Rows and columns are 1-based. The sheet is written straight
/// to disk as it is filled, so memory stays flat for any number of rows: cells must come row by
/// row from the top (any order within a row); a cell in a row above the current one fails.
class SpreadsheetWorksheet
{
public:
    /// The most characters a cell holds; a longer text keeps its first this many characters.
    static constexpr int kMaxCellText = 32767;

    /// Cells(row, column) = text: stores the text as it stands, never as a number or date.
    void setCells(int row, int column, const QString &text);
    SpreadsheetRange Cells(int row, int column) { return SpreadsheetRange(*this, row, column); }
    SpreadsheetColumns Columns() { return SpreadsheetColumns(*this); }

    /// How many texts were cut to kMaxCellText characters so far.
    int cutCells() const noexcept { return m_cutCells; }

private:
    friend class SpreadsheetWorkbook;
    friend class SpreadsheetRange;
    friend class SpreadsheetColumns;

    SpreadsheetWorksheet(lxw_worksheet *sheet, lxw_format *dateFormat);

    void writeText(int row, int column, const QString &text);
    void writeValue(int row, int column, const QString &text);
    void noteWidth(int column, int width);
    void autoFit();
    void detach() noexcept { m_sheet = nullptr; }

    lxw_worksheet *m_sheet;
    lxw_format *m_dateFormat;
    NumericReader m_numbers; // the user's number format, fixed for the whole workbook
    // The widest shown text of each column so far, in character widths; 0 for an empty column.
    std::vector<int> m_widths;
    int m_cutCells = 0;
};

/// A new workbook, written to a file of its own in a private temporary folder; or, for a computer
/// without a spreadsheet program, to a hidden file beside the file the user chose, which it
/// replaces once the workbook is whole.
class SpreadsheetWorkbook
{
public:
    ~SpreadsheetWorkbook();
    SpreadsheetWorkbook(const SpreadsheetWorkbook &) = delete;
    SpreadsheetWorkbook &operator=(const SpreadsheetWorkbook &) = delete;

    /// The sheet that a new workbook shows first (its only one).
    SpreadsheetWorksheet &ActiveSheet();

    /// The workbook's file; it holds the workbook only once the workbook has been shown.
    const QString &fileName() const noexcept { return m_fileName; }
    /// The file the user chose to save the workbook as; empty for a workbook to be shown.
    const QString &savePath() const noexcept { return m_savePath; }

private:
    friend class SpreadsheetWorkbooks;
    friend class SpreadsheetApplication;

    /// Creates the private folder and the workbook in it, or with a save path the hidden file
    /// beside that path; throws tallymere::Error.
    SpreadsheetWorkbook(const QString &name, const QString &savePath);

    /// Writes the file and ends all writing to it; throws tallymere::Error when it cannot.
    void close();
    bool isClosed() const noexcept { return m_book == nullptr; }
    /// Puts the written workbook in the place of the save path; throws tallymere::Error.
    void moveToSavePath();

    QString m_folder;
    QString m_fileName;
    QString m_savePath;
    lxw_workbook *m_book = nullptr;
    std::unique_ptr<SpreadsheetWorksheet> m_sheet;
    bool m_shown = false;
};

/// The workbooks of the application.
class SpreadsheetWorkbooks
{
public:
    /// Adds a new workbook with one empty sheet; throws tallymere::Error.
    SpreadsheetWorkbook &Add();

private:
    friend class SpreadsheetApplication;

    std::vector<std::unique_ptr<SpreadsheetWorkbook>> m_books;
    QString m_savePath; // the one workbook is saved as this file rather than shown
};

/// The desktop's spreadsheet program, as the export drives it: workbooks are added and filled
/// while it stays hidden; making it visible writes each new workbook and opens it in the program.
/// Releasing the object leaves the shown workbooks open in the program and nothing else behind.
class SpreadsheetApplication
{
public:
    /// Creates the application object; throws tallymere::Error when no spreadsheet program can be
    /// found on this computer. Creating it starts nothing and writes nothing.
    static std::unique_ptr<SpreadsheetApplication> create();
    /// An application object for a computer without a spreadsheet program: it takes one
    /// workbook, and Visible = true saves that workbook as the file `path` (replacing a file of
    /// that name) instead of showing it. Finds and starts nothing.
    static std::unique_ptr<SpreadsheetApplication> createSaving(const QString &path);

    SpreadsheetWorkbooks &Workbooks() noexcept { return m_workbooks; }

    bool Visible() const noexcept { return m_visible; }
    /// Visible = true: writes every workbook not yet shown and opens it in the spreadsheet
    /// program, as a new document (or saves it, see createSaving()). Throws tallymere::Error when
    /// a workbook cannot be written or the program cannot be started. Visible = false hides
    /// nothing that is already open.
    void setVisible(bool visible);

private:
    SpreadsheetApplication() = default;

    SpreadsheetWorkbooks m_workbooks;
    bool m_visible = false;
};

/// The hidden file in each workbook folder that marks it as the export's own; it lists each
/// workbook written there with its size and modification time.
inline constexpr char kWorkbookFolderMarker[] = ".tallymere-export";

/// Removes the folders that shown workbooks of earlier runs were written to in `temporaryFolder`,
/// once nothing in one has changed for a day before `now`: by then the spreadsheet program has
/// long read its workbook. Only a folder of the exact name the export gives, holding its marker,
/// goes, and only when it holds nothing but the export's own files: a workbook saved over since
/// it was written, a document that a spreadsheet program still holds open, or any other file
/// keeps it. Nothing else in `temporaryFolder` is touched.
void removeOldWorkbooks(const QString &temporaryFolder, const QDateTime &now);
/// The same in the folder where workbooks are written, measured from this moment.
void removeOldWorkbooks();

/// True when a spreadsheet program can be found: LibreOffice ("soffice" on the search path) or
/// the desktop's default program for .xlsx files.
bool spreadsheetProgramInstalled();

/// Opens a written workbook in the spreadsheet program; returns false when that cannot start.
using SpreadsheetLauncher = std::function<bool(const QString &workbookPath)>;
/// Tells whether a spreadsheet program can be found.
using SpreadsheetProbe = std::function<bool()>;

/// Seams for tests: what opens a workbook and what finds the program. Empty functions restore
/// the real ones.
void setSpreadsheetLauncher(SpreadsheetLauncher launcher);
void setSpreadsheetProbe(SpreadsheetProbe probe);

} // namespace tallymere
