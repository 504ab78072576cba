#include "core/import/csvtable.h"

#include <array>
#include <map>

namespace tallymere::import {

bool CsvRecord::blank() const
{
    for (const QString &cell : cells) {
        if (!cell.trimmed().isEmpty())
            return false;
    }
    return true;
}

CsvCursor::CsvCursor(QStringView text, QChar delimiter) : m_text(text), m_delimiter(delimiter) {}

bool CsvCursor::next(CsvRecord &record)
{
    if (m_at >= m_text.size())
        return false;
    record.cells.clear();
    record.line = m_line;
    const qsizetype begin = m_at;
    qsizetype end = -1;
    QString cell;
    auto lineBreakAt = [this](qsizetype i) { return m_text[i] == u'\n' || m_text[i] == u'\r'; };
    auto stepOverLineBreak = [this](qsizetype i) {
        ++m_line;
        return m_text[i] == u'\r' && i + 1 < m_text.size() && m_text[i + 1] == u'\n' ? i + 2 : i + 1;
    };

    qsizetype i = m_at;
    while (true) {
        // At the beginning of a cell.
        cell.clear();
        if (i < m_text.size() && m_text[i] == u'"') {
            const int quoteLine = m_line;
            ++i;
            bool closed = false;
            while (i < m_text.size()) {
                const QChar c = m_text[i];
                if (c == u'"') {
                    if (i + 1 < m_text.size() && m_text[i + 1] == u'"') {
                        cell += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (lineBreakAt(i)) {
                    const qsizetype after = stepOverLineBreak(i);
                    cell += u'\n';
                    i = after;
                    continue;
                }
                cell += c;
                ++i;
            }
            if (!closed && m_unclosedQuoteLine == 0)
                m_unclosedQuoteLine = quoteLine;
        }
        // The rest of an unquoted cell, or what stands after a closing quote.
        const qsizetype restBegin = i;
        while (i < m_text.size() && m_text[i] != m_delimiter && !lineBreakAt(i))
            ++i;
        cell += m_text.mid(restBegin, i - restBegin);
        record.cells += cell;
        if (i >= m_text.size()) {
            end = i;
            m_at = i;
            break;
        }
        if (m_text[i] == m_delimiter) {
            ++i;
            continue;
        }
        end = i;
        m_at = stepOverLineBreak(i);
        break;
    }
    record.text = m_text.mid(begin, end - begin);
    return true;
}

QChar guessDelimiter(QStringView text)
{
    // The first records tell; a preamble or a footer only lowers a delimiter's count.
    constexpr int sampleRecords = 200;
    constexpr std::array<QChar, 4> candidates{u';', u'\t', u'|', u','};
    QChar best = u',';
    int bestRecords = 0;
    qsizetype bestCells = 0;
    for (const QChar delimiter : candidates) {
        CsvCursor cursor(text, delimiter);
        CsvRecord record;
        std::map<qsizetype, int> recordsPerCellCount;
        for (int n = 0; n < sampleRecords && cursor.next(record);) {
            if (record.blank())
                continue;
            ++n;
            if (record.cells.size() > 1)
                ++recordsPerCellCount[record.cells.size()];
        }
        for (const auto &[cells, records] : recordsPerCellCount) {
            if (records > bestRecords || (records == bestRecords && cells > bestCells)) {
                best = delimiter;
                bestRecords = records;
                bestCells = cells;
            }
        }
    }
    return best;
}

} // namespace tallymere::import
