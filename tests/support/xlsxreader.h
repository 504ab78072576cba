#pragma once

#include <map>
#include <utility>

#include <QDate>
#include <QString>
#include <QStringList>

namespace tallymere::test {

/// One cell of a written workbook, as a reader of the file sees it.
struct XlsxCell {
    enum class Type { Number, Text, Date };

    Type type = Type::Text;
    /// The text of a text cell.
    QString text;
    /// The stored value of a number or date cell.
    double number = 0;
    /// The day of a date cell (a number shown in a date format).
    QDate date;
};

/// The first sheet of a workbook file, read back from the file's own XML: its cells with their
/// types and its column widths. Rows and columns are 1-based.
class XlsxSheet
{
public:
    /// Reads the workbook at `path`; throws std::runtime_error when it cannot be read.
    static XlsxSheet read(const QString &path);

    /// The cell at (row, column), or nullptr when the sheet holds nothing there.
    const XlsxCell *cell(int row, int column) const;
    int cellCount() const { return int(m_cells.size()); }
    /// The last row and column that hold a cell; 0 for an empty sheet.
    int lastRow() const;
    int lastColumn() const;

    /// What a cell shows, roughly: a text as it stands, a number in its shortest form, a date as
    /// yyyy-mm-dd; empty for no cell.
    QString shown(int row, int column) const;
    /// shown() of the cells of one row, from column 1 to lastColumn().
    QStringList shownRow(int row) const;

    /// The width the file gives a column; 0 when it keeps the default width.
    double columnWidth(int column) const;

private:
    std::map<std::pair<int, int>, XlsxCell> m_cells;
    std::map<int, double> m_widths;
};

} // namespace tallymere::test
