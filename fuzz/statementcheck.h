#pragma once

// The properties every statement reader keeps, whatever the bytes: it returns a statement or
// throws ReadError and nothing else; every amount is a signed plain decimal; every date is a
// real day unless the order stays undecided; lines lie within the file; texts are trimmed with
// single blanks; and the choices it reports read the file again to the same transactions.

#include <cstdint>
#include <cstddef>

#include <QByteArray>
#include <QString>

#include "core/import/bankstatement.h"
#include "core/import/csvmapping.h"
#include "core/import/statementtext.h"
#include "fuzzcheck.h"

namespace tallymere::fuzz {

inline bool isPlainDecimal(const QString &text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digitsFrom = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i == digitsFrom)
        return false;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype decimalsFrom = ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i == decimalsFrom)
            return false;
    }
    return i == text.size();
}

inline void checkStatement(const import::BankStatement &statement, const QByteArray &bytes)
{
    const int lines = int(bytes.count('\n') + bytes.count('\r')) + 1;
    for (const import::BankTransaction &t : statement.transactions) {
        FUZZ_CHECK(isPlainDecimal(t.amount));
        FUZZ_CHECK(t.date.isValid() || (statement.dateOrderUndecided && t.date.isNull()));
        FUZZ_CHECK(t.line >= 1 && t.line <= lines);
        for (const QString *text : {&t.payee, &t.memo, &t.category})
            FUZZ_CHECK(import::cleanText(*text) == *text);
        FUZZ_CHECK(!(t.transfer && !t.category.isEmpty()));
    }
    for (const import::LeftOut &left : statement.leftOut)
        FUZZ_CHECK(left.line >= 1 && left.line <= lines);
}

/// Reads `bytes` with `options`, checks the statement and reads it again with its own choices.
inline void checkReading(const QByteArray &bytes, const import::ReadOptions &options)
{
    import::BankStatement statement;
    try {
        statement = import::readStatement(bytes, QStringLiteral("fuzz"), options);
    } catch (const import::ReadError &error) {
        FUZZ_CHECK(error.message().startsWith(u"fuzz"));
        return;
    }
    checkStatement(statement, bytes);

    import::BankStatement again;
    try {
        again = import::readStatement(bytes, QStringLiteral("fuzz"), import::csvMapping::optionsOf(statement.choices));
    } catch (const import::ReadError &) {
        FUZZ_CHECK(!"the reported choices do not read the file again");
    }
    FUZZ_CHECK(again.transactions.size() == statement.transactions.size());
    FUZZ_CHECK(again.leftOut.size() == statement.leftOut.size());
    for (std::size_t i = 0; i < again.transactions.size(); ++i) {
        FUZZ_CHECK(again.transactions[i].amount == statement.transactions[i].amount);
        FUZZ_CHECK(again.transactions[i].date == statement.transactions[i].date);
        FUZZ_CHECK(again.transactions[i].payee == statement.transactions[i].payee);
    }
}

} // namespace tallymere::fuzz
