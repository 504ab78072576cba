#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tallymere::import {

/// One record of a CSV text: its cells, where it stands, and its text as it stands.
struct CsvRecord {
    QStringList cells;
    int line = 0;      ///< the 1-based line where it begins
    QStringView text;  ///< the record as written, without its line break
    bool blank() const;
};

/// Walks the records of a CSV text: cells split at `delimiter`, a cell that begins with a quote
/// runs to the closing quote (a doubled quote is one quote, line breaks stay inside); lines end
/// with LF, CR LF or CR.
class CsvCursor
{
public:
    CsvCursor(QStringView text, QChar delimiter);

    /// Reads the next record into `record`; false at the end of the text.
    bool next(CsvRecord &record);
    /// The line of a quote that the text never closes (its record ran to the end), else 0.
    int unclosedQuoteLine() const noexcept { return m_unclosedQuoteLine; }

private:
    QStringView m_text;
    QChar m_delimiter;
    qsizetype m_at = 0;
    int m_line = 1;
    int m_unclosedQuoteLine = 0;
};

/// The delimiter among , ; tab | that splits the most records of the text's beginning into
/// the same number of cells, more than one; the most cells, then ; before , break ties. The
/// comma when none splits any.
QChar guessDelimiter(QStringView text);

} // namespace tallymere::import
