#include "core/import/csvreader.h"

#include <algorithm>
#include <map>

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

/// The texts of the columns of one role in a row, joined by a space.
QString joined(const QStringList &cells, const std::vector<ColumnRole> &roles, ColumnRole role)
{
    QString text;
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (roles[i] != role)
            continue;
        const QString cell = cellAt(cells, qsizetype(i)).trimmed();
        if (!cell.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + cell;
    }
    return text;
}

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
    if (options.columns) {
        choices.columns = *options.columns;
        choices.columns.resize(std::size_t(columns), ColumnRole::Ignore);
    } else {
        std::vector<QStringList> rows;
        for (const CsvRecord &record : sample)
            rows.push_back(record.cells);
        choices.columns = guessColumns(header, rows, columns);
    }
    while (header.size() < columns)
        header += QString();
    choices.header = header;

    const auto has = [&](ColumnRole role) {
        return std::find(choices.columns.begin(), choices.columns.end(), role) != choices.columns.end();
    };
    const bool dates = has(ColumnRole::Date);
    const bool amounts = has(ColumnRole::Amount) || has(ColumnRole::Debit) || has(ColumnRole::Credit);
    if (formatGuessed && !options.columns && (!dates || !amounts))
        throw ReadError(fileName, 0, notAStatement());
    if (!dates)
        throw ReadError(fileName, 0, QStringLiteral("no column holds the dates"));
    if (!amounts)
        throw ReadError(fileName, 0, QStringLiteral("no column holds the amounts"));

    const auto dateColumn = qsizetype(std::find(choices.columns.begin(), choices.columns.end(), ColumnRole::Date)
                                      - choices.columns.begin());
    std::vector<FoundTransaction> found;
    CsvCursor cursor(text, choices.delimiter);
    CsvRecord record;
    while (cursor.next(record)) {
        if (record.line < firstLine || record.line == headerLine || record.blank())
            continue;
        FoundTransaction one;
        one.amount = joined(record.cells, choices.columns, ColumnRole::Amount);
        one.debit = joined(record.cells, choices.columns, ColumnRole::Debit);
        one.credit = joined(record.cells, choices.columns, ColumnRole::Credit);
        one.date = cellAt(record.cells, dateColumn).trimmed();
        if ((one.amount.isEmpty() && one.debit.isEmpty() && one.credit.isEmpty()) || one.date.isEmpty()) {
            statement.leftOut.push_back(LeftOut{record.line, record.text.toString()});
            continue;
        }
        BankTransaction &transaction = one.transaction;
        transaction.line = record.line;
        transaction.payee = cleanText(joined(record.cells, choices.columns, ColumnRole::Payee));
        transaction.memo = cleanText(joined(record.cells, choices.columns, ColumnRole::Memo));
        transaction.category = cleanText(joined(record.cells, choices.columns, ColumnRole::Category));
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
