#include "core/import/csvreader.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "core/import/amounttext.h"
#include "core/import/csvcolumns.h"
#include "core/import/csvtable.h"
#include "core/import/foundtransaction.h"
#include "core/import/statementdates.h"
#include "core/import/statementtext.h"

namespace tallymere::import {
namespace {

/// The records the guesses look at: enough for any preamble and a sure reading of the columns.
constexpr int sampleRecords = 200;

std::vector<CsvRecord> sampleOf(QStringView text, QChar delimiter)
{
    std::vector<CsvRecord> sample;
    CsvCursor cursor(text, delimiter);
    CsvRecord record;
    while (int(sample.size()) < sampleRecords && cursor.next(record)) {
        if (!record.blank())
            sample.push_back(record);
    }
    return sample;
}

/// The number of cells most records of more than one cell have (the larger on a tie).
qsizetype usualCells(const std::vector<CsvRecord> &records)
{
    std::map<qsizetype, int> recordsPerCells;
    for (const CsvRecord &record : records) {
        if (record.cells.size() > 1)
            ++recordsPerCells[record.cells.size()];
    }
    qsizetype usual = 0;
    int most = 0;
    for (const auto &[cells, count] : recordsPerCells) {
        if (count >= most) {
            usual = cells;
            most = count;
        }
    }
    return usual;
}

bool looksLikeHeader(const QStringList &cells)
{
    bool named = false;
    for (const QString &cell : cells) {
        if (looksLikeDate(cell))
            return false;
        named = named || headerMeaning(cell) != HeaderMeaning::Unknown;
    }
    if (named)
        return true;
    return std::none_of(cells.begin(), cells.end(), [](const QString &cell) { return looksLikeAmount(cell); });
}

QString cellAt(const QStringList &cells, qsizetype column)
{
    return column < cells.size() ? cells[column] : QString();
}

/// The columns of each role, found once for all rows.
class RoleColumns
{
public:
    explicit RoleColumns(const std::vector<ColumnRole> &roles)
    {
        for (std::size_t i = 0; i < roles.size(); ++i)
            m_columns[std::size_t(roles[i])].push_back(qsizetype(i));
    }

    /// The texts of the columns of `role` in a row, trimmed and joined by a space.
    QString text(const QStringList &cells, ColumnRole role) const
    {
        const std::vector<qsizetype> &columns = m_columns[std::size_t(role)];
        if (columns.size() == 1)
            return cellAt(cells, columns.front()).trimmed();
        QString text;
        for (const qsizetype column : columns) {
            const QString cell = cellAt(cells, column).trimmed();
            if (!cell.isEmpty())
                text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + cell;
        }
        return text;
    }

    /// The first column of `role` in a row, trimmed: one date per row.
    QString first(const QStringList &cells, ColumnRole role) const
    {
        return cellAt(cells, m_columns[std::size_t(role)].front()).trimmed();
    }

    bool has(ColumnRole role) const { return !m_columns[std::size_t(role)].empty(); }

private:
    std::array<std::vector<qsizetype>, std::size_t(ColumnRole::Credit) + 1> m_columns;
};

QString notAStatement()
{
    return QStringLiteral("is no bank statement: no table of dates and amounts (CSV), nor OFX, QIF or CAMT.053");
}

} // namespace

BankStatement readCsv(QStringView text, const QString &fileName, const ReadOptions &options, bool formatGuessed)
{
    BankStatement statement;
    ReadChoices &choices = statement.choices;
    choices.format = Format::Csv;
    choices.delimiter = options.delimiter.value_or(guessDelimiter(text));

    std::vector<CsvRecord> sample = sampleOf(text, choices.delimiter);
    if (options.skipLines) {
        const int skip = *options.skipLines;
        sample.erase(sample.begin(), std::find_if(sample.begin(), sample.end(),
                                                  [skip](const CsvRecord &record) { return record.line > skip; }));
    } else {
        const qsizetype usual = usualCells(sample);
        sample.erase(sample.begin(), std::find_if(sample.begin(), sample.end(), [usual](const CsvRecord &record) {
                         return usual > 0 && record.cells.size() >= usual;
                     }));
    }
    if (sample.empty()) {
        if (formatGuessed)
            throw ReadError(fileName, 0, notAStatement());
        throw ReadError(fileName, 0, QStringLiteral("holds no rows after the lines skipped"));
    }
    choices.skipLines = options.skipLines.value_or(sample.front().line - 1);
    choices.headerRow = options.headerRow.value_or(looksLikeHeader(sample.front().cells));
    const int headerLine = choices.headerRow ? sample.front().line : 0;
    const int firstLine = sample.front().line;

    QStringList header;
    if (choices.headerRow) {
        for (const QString &name : sample.front().cells)
            header += cleanText(name);
        sample.erase(sample.begin());
    }
    qsizetype columns = std::max(header.size(), usualCells(sample));
    if (options.columns)
        columns = std::max(columns, qsizetype(options.columns->size()));
    std::vector<QStringList> rows;
    for (const CsvRecord &record : sample)
        rows.push_back(record.cells);
    if (options.columns) {
        choices.columns = *options.columns;
        choices.columns.resize(std::size_t(columns), ColumnRole::Ignore);
    } else {
        choices.columns = guessColumns(header, rows, columns);
    }
    while (header.size() < columns)
        header += QString();
    choices.header = header;
    choices.signColumn = signColumn(rows, choices.columns);

    const RoleColumns roles(choices.columns);
    const auto has = [&](ColumnRole role) { return roles.has(role); };
    const bool dates = has(ColumnRole::Date);
    const bool amounts = has(ColumnRole::Amount) || has(ColumnRole::Debit) || has(ColumnRole::Credit);
    if (formatGuessed && !options.columns && (!dates || !amounts))
        throw ReadError(fileName, 0, notAStatement());
    if (!dates)
        throw ReadError(fileName, 0, QStringLiteral("no column holds the dates"));
    if (!amounts)
        throw ReadError(fileName, 0, QStringLiteral("no column holds the amounts"));

    std::vector<FoundTransaction> found;
    CsvCursor cursor(text, choices.delimiter);
    CsvRecord record;
    while (cursor.next(record)) {
        if (record.line < firstLine || record.line == headerLine || record.blank())
            continue;
        FoundTransaction one;
        one.amount = roles.text(record.cells, ColumnRole::Amount);
        one.debit = roles.text(record.cells, ColumnRole::Debit);
        one.credit = roles.text(record.cells, ColumnRole::Credit);
        one.date = roles.first(record.cells, ColumnRole::Date);
        // No amount, or no date at all (a footer's total, a pending row's "offen"): no transaction.
        const bool dateless = std::none_of(one.date.cbegin(), one.date.cend(), [](QChar c) { return c.isDigit(); });
        if ((one.amount.isEmpty() && one.debit.isEmpty() && one.credit.isEmpty()) || dateless) {
            statement.leftOut.push_back(LeftOut{record.line, record.text.toString()});
            continue;
        }
        if (choices.signColumn >= 0 && !one.amount.isEmpty()) {
            // The amount is unsigned; its sign stands in a column of its own.
            const Direction direction = directionOf(cellAt(record.cells, choices.signColumn));
            if (direction == Direction::Out)
                one.debit = std::exchange(one.amount, QString());
            else if (direction == Direction::In)
                one.credit = std::exchange(one.amount, QString());
        }
        BankTransaction &transaction = one.transaction;
        transaction.line = record.line;
        transaction.payee = cleanText(roles.text(record.cells, ColumnRole::Payee));
        transaction.memo = cleanText(roles.text(record.cells, ColumnRole::Memo));
        transaction.category = cleanText(roles.text(record.cells, ColumnRole::Category));
        found.push_back(std::move(one));
    }
    if (const int line = cursor.unclosedQuoteLine())
        throw ReadError(fileName, line, QStringLiteral("a quote opens a cell here and is never closed"));

    // A semicolon separates cells where a comma marks decimals.
    const AmountStyle style{choices.delimiter == u';' ? u',' : u'.', Grouping::Allowed};
    settle(std::move(found), options, style, fileName, statement);
    return statement;
}

} // namespace tallymere::import
