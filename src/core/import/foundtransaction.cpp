#include "core/import/foundtransaction.h"

#include <algorithm>

#include "core/import/statementdates.h"

namespace tallymere::import {
namespace {

QString orderName(DateOrder order)
{
    switch (order) {
    case DateOrder::YearMonthDay:
        return QStringLiteral("year-month-day");
    case DateOrder::DayMonthYear:
        return QStringLiteral("day-month-year");
    case DateOrder::MonthDayYear:
        return QStringLiteral("month-day-year");
    }
    return {};
}

QString magnitude(const QString &plain)
{
    return plain.startsWith(u'-') ? plain.mid(1) : plain;
}

class Settling
{
public:
    Settling(QChar mark, const QString &fileName) : m_mark(mark), m_fileName(fileName) {}

    QString amountOf(const FoundTransaction &found) const
    {
        const int line = found.transaction.line;
        if (!found.amount.trimmed().isEmpty())
            return read(found.amount, line);
        if (!found.debit.trimmed().isEmpty() || !found.credit.trimmed().isEmpty()) {
            // A debit column holds money out whether the bank writes it with a minus or not.
            const QString debit = found.debit.trimmed().isEmpty() ? QStringLiteral("0") : magnitude(read(found.debit, line));
            const QString credit = found.credit.trimmed().isEmpty() ? QStringLiteral("0") : magnitude(read(found.credit, line));
            return checked(plainDifference(credit, debit), found.debit + u' ' + found.credit, line);
        }
        if (!found.parts.isEmpty()) {
            QStringList parts;
            for (const QString &part : found.parts)
                parts += read(part, line);
            return checked(plainSum(parts), found.parts.join(u' '), line);
        }
        throw ReadError(m_fileName, line, QStringLiteral("the transaction has no amount"));
    }

private:
    QString read(const QString &text, int line) const
    {
        std::optional<QString> plain = plainAmount(text, m_mark);
        if (!plain) {
            throw ReadError(m_fileName, line,
                            QStringLiteral("the amount \"%1\" is no number with the decimal mark \"%2\"")
                                .arg(text.trimmed(), m_mark));
        }
        // Every later sum and difference works on up to 18 digits.
        if (std::count_if(plain->cbegin(), plain->cend(), [](QChar c) { return c.isDigit(); }) > 18)
            checked(std::nullopt, text, line);
        return *std::move(plain);
    }

    QString checked(std::optional<QString> plain, const QString &text, int line) const
    {
        if (!plain)
            throw ReadError(m_fileName, line, QStringLiteral("the amount \"%1\" is too large").arg(text.trimmed()));
        return *std::move(plain);
    }

    QChar m_mark;
    const QString &m_fileName;
};

} // namespace

void settle(std::vector<FoundTransaction> &&found, const ReadOptions &options, AmountStyle style,
            const QString &fileName, BankStatement &statement)
{
    QStringList amounts;
    QStringList dates;
    amounts.reserve(qsizetype(found.size()));
    dates.reserve(qsizetype(found.size()));
    for (const FoundTransaction &one : found) {
        dates += one.date;
        for (const QString *amount : {&one.amount, &one.debit, &one.credit}) {
            if (!amount->isEmpty())
                amounts += *amount;
        }
        amounts += one.parts;
    }
    const QChar mark = options.decimalMark.value_or(decideDecimalMark(amounts, style.fallbackMark, style.grouping));
    const DateReading reading(dates, options.dateOrder);
    if (const auto contradiction = reading.contradiction()) {
        const FoundTransaction &dayFirst = found[std::size_t(contradiction->first)];
        const FoundTransaction &monthFirst = found[std::size_t(contradiction->second)];
        const bool dayFirstLater = dayFirst.transaction.line > monthFirst.transaction.line;
        const FoundTransaction &later = dayFirstLater ? dayFirst : monthFirst;
        const FoundTransaction &earlier = dayFirstLater ? monthFirst : dayFirst;
        throw ReadError(fileName, later.transaction.line,
                        QStringLiteral("the date \"%1\" puts the %2 first, but \"%3\" on line %4 puts the %5 first")
                            .arg(later.date.trimmed(), dayFirstLater ? u"day" : u"month", earlier.date.trimmed())
                            .arg(earlier.transaction.line)
                            .arg(dayFirstLater ? u"month" : u"day"));
    }

    const Settling settling(mark, fileName);
    statement.transactions.reserve(statement.transactions.size() + found.size());
    for (FoundTransaction &one : found) {
        BankTransaction &transaction = one.transaction;
        if (one.date.trimmed().isEmpty())
            throw ReadError(fileName, transaction.line, QStringLiteral("the transaction has no date"));
        const std::optional<QDate> date = reading.read(one.date);
        if (!date) {
            const QString what = reading.order() && looksLikeDate(one.date)
                ? QStringLiteral("the date \"%1\" is no date in the order %2").arg(one.date.trimmed(), orderName(*reading.order()))
                : QStringLiteral("the date \"%1\" is no date").arg(one.date.trimmed());
            throw ReadError(fileName, transaction.line, what);
        }
        transaction.date = *date;
        transaction.amount = settling.amountOf(one);
        statement.transactions.push_back(std::move(transaction));
    }
    statement.choices.decimalMark = mark;
    statement.choices.dateOrder = reading.order();
    statement.dateOrderUndecided = reading.undecided();
}

} // namespace tallymere::import
