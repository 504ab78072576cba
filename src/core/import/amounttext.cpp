#include "core/import/amounttext.h"

#include <algorithm>
#include <cstdint>

namespace tallymere::import {
namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isMinus(QChar c)
{
    // The minus sign and the en dash stand for "-" in text copied from documents.
    return c == u'-' || c == QChar(0x2212) || c == QChar(0x2013);
}

/// The blanks and apostrophes that group digits, one of a kind: any blank is a space.
QChar groupingKind(QChar c)
{
    if (c == u' ' || c == QChar(0xA0) || c == QChar(0x202F) || c == QChar(0x2009))
        return u' ';
    if (c == u'\'' || c == QChar(0x2019))
        return u'\'';
    return QChar();
}

/// An amount text taken apart: its sign and its digits with their marks.
struct AmountParts {
    bool negative = false;
    QStringView number;
};

/// The length of the run of letters (with an abbreviation's ".") ending before `end`, or
/// starting at `begin`; a currency code or "Fr." is up to three letters.
qsizetype letterRun(QStringView text, qsizetype from, int step)
{
    qsizetype length = 0;
    qsizetype i = from;
    while (i >= 0 && i < text.size() && (text[i].isLetter() || (text[i] == u'.' && length > 0 && step > 0)
                                         || (text[i] == u'.' && length == 0 && step < 0))) {
        ++length;
        i += step;
    }
    return length;
}

std::optional<AmountParts> splitAmount(QStringView text)
{
    text = text.trimmed();
    qsizetype begin = 0;
    qsizetype end = text.size();
    int minus = 0;
    int opening = 0;
    int closing = 0;
    int debitMarks = 0;
    int creditMarks = 0;
    int runsBefore = 0;
    int runsAfter = 0;
    // One word at most on each side: a currency code or a debit or credit mark.
    auto takeLetters = [&](qsizetype from, int step) -> qsizetype {
        if (++(step > 0 ? runsBefore : runsAfter) > 1)
            return 0;
        const qsizetype length = letterRun(text, from, step);
        const QStringView run = step > 0 ? text.mid(from, length) : text.mid(from - length + 1, length);
        qsizetype letters = 0;
        for (const QChar c : run)
            letters += c.isLetter() ? 1 : 0;
        if (letters == 0 || letters > 3)
            return 0;
        // One letter is a currency ("R 12") only apart from the digits and upper case: "12a" is no amount.
        const qsizetype outside = step > 0 ? from + length : from - length;
        const bool touchesDigit = outside >= 0 && outside < text.size() && isAsciiDigit(text[outside]);
        if (letters == 1 && (touchesDigit || !run.front().isUpper()))
            return 0;
        if (run.compare(u"DR", Qt::CaseInsensitive) == 0)
            ++debitMarks;
        else if (run.compare(u"CR", Qt::CaseInsensitive) == 0)
            ++creditMarks;
        return length;
    };
    auto numberStarts = [&](qsizetype i) {
        return isAsciiDigit(text[i])
            || ((text[i] == u'.' || text[i] == u',') && i + 1 < end && isAsciiDigit(text[i + 1]));
    };
    while (begin < end && !numberStarts(begin)) {
        const QChar c = text[begin];
        if (c.isSpace()) {
            ++begin;
        } else if (isMinus(c)) {
            ++minus, ++begin;
        } else if (c == u'+') {
            ++begin;
        } else if (c == u'(') {
            ++opening, ++begin;
        } else if (c.category() == QChar::Symbol_Currency) {
            ++begin;
        } else if (const qsizetype run = c.isLetter() ? takeLetters(begin, 1) : 0; run > 0) {
            begin += run;
        } else {
            return std::nullopt;
        }
    }
    while (end > begin && !isAsciiDigit(text[end - 1])) {
        const QChar c = text[end - 1];
        if (c.isSpace()) {
            --end;
        } else if (isMinus(c)) {
            ++minus, --end;
        } else if (c == u'+') {
            --end;
        } else if (c == u')') {
            ++closing, --end;
        } else if (c.category() == QChar::Symbol_Currency) {
            --end;
        } else if (const qsizetype run = takeLetters(end - 1, -1); run > 0) {
            end -= run;
        } else {
            return std::nullopt;
        }
    }
    if (begin >= end || opening != closing || opening > 1)
        return std::nullopt;
    const int negatives = minus + opening + debitMarks;
    if (negatives > 1 || (negatives > 0 && creditMarks > 0) || creditMarks > 1)
        return std::nullopt;
    const QStringView number = text.mid(begin, end - begin);
    for (const QChar c : number) {
        if (!isAsciiDigit(c) && c != u'.' && c != u',' && groupingKind(c).isNull())
            return std::nullopt;
    }
    return AmountParts{negatives == 1, number};
}

/// The digits and marks of an amount as a plain decimal without its sign, read with `mark`.
std::optional<QString> readNumber(QStringView number, QChar mark)
{
    const QChar other = mark == u'.' ? u',' : u'.';
    const qsizetype markAt = number.indexOf(mark);
    if (markAt >= 0 && number.indexOf(mark, markAt + 1) >= 0)
        return std::nullopt;
    const QStringView whole = markAt < 0 ? number : number.left(markAt);
    const QStringView fraction = markAt < 0 ? QStringView() : number.mid(markAt + 1);
    if (markAt >= 0 && fraction.isEmpty())
        return std::nullopt;
    for (const QChar c : fraction) {
        if (!isAsciiDigit(c))
            return std::nullopt;
    }

    QString digits;
    digits.reserve(whole.size());
    QChar separator;
    qsizetype groupLength = 0;
    bool firstGroup = true;
    for (const QChar c : whole) {
        if (isAsciiDigit(c)) {
            digits += c;
            ++groupLength;
            continue;
        }
        const QChar kind = c == other ? other : groupingKind(c);
        if (kind.isNull() || (!separator.isNull() && kind != separator) || groupLength == 0
            || (firstGroup ? groupLength > 3 : groupLength != 3)) {
            return std::nullopt;
        }
        separator = kind;
        firstGroup = false;
        groupLength = 0;
    }
    if (!firstGroup && groupLength != 3)
        return std::nullopt;
    if (digits.isEmpty() && fraction.isEmpty())
        return std::nullopt;

    qsizetype zeros = 0;
    while (zeros + 1 < digits.size() && digits[zeros] == u'0')
        ++zeros;
    QString plain = digits.isEmpty() ? QStringLiteral("0") : digits.mid(zeros);
    if (!fraction.isEmpty())
        plain += u'.' + fraction.toString();
    return plain;
}

/// The decimal mark one amount tells, or nothing when it tells none.
QChar markTold(QStringView number, Grouping grouping)
{
    const qsizetype lastPoint = number.lastIndexOf(u'.');
    const qsizetype lastComma = number.lastIndexOf(u',');
    if (lastPoint < 0 && lastComma < 0)
        return QChar();
    if (lastPoint >= 0 && lastComma >= 0)
        return lastPoint > lastComma ? u'.' : u',';
    const QChar mark = lastPoint >= 0 ? u'.' : u',';
    const qsizetype at = std::max(lastPoint, lastComma);
    if (number.indexOf(mark) != at)
        return grouping == Grouping::None ? QChar() : (mark == u'.' ? u',' : u'.');
    if (grouping == Grouping::None)
        return mark;
    qsizetype after = 0;
    while (at + 1 + after < number.size() && isAsciiDigit(number[at + 1 + after]))
        ++after;
    qsizetype before = 0;
    while (at - 1 - before >= 0 && isAsciiDigit(number[at - 1 - before]))
        ++before;
    const QStringView whole = number.left(at);
    bool otherGrouping = false;
    bool allZeros = true;
    for (const QChar c : whole) {
        otherGrouping = otherGrouping || !groupingKind(c).isNull();
        allZeros = allZeros && (c == u'0');
    }
    // "1.234" and "1,234" alone could be either; anything else is a decimal mark.
    if (after != 3 || before == 0 || before > 3 || allZeros || otherGrouping)
        return mark;
    return QChar();
}

/// A plain decimal as whole units of its last decimal place.
struct Scaled {
    std::int64_t units = 0;
    int scale = 0;
};

constexpr std::int64_t largestUnits = 999'999'999'999'999'999;

std::optional<Scaled> scaled(QStringView plain)
{
    Scaled value;
    const bool negative = plain.startsWith(u'-');
    int digits = 0;
    bool point = false;
    for (const QChar c : plain.mid(negative ? 1 : 0)) {
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (!isAsciiDigit(c) || ++digits > 18)
            return std::nullopt;
        value.units = value.units * 10 + (c.unicode() - u'0');
        value.scale += point ? 1 : 0;
    }
    if (negative)
        value.units = -value.units;
    return value;
}

std::optional<Scaled> rescaled(Scaled value, int scale)
{
    for (; value.scale < scale; ++value.scale) {
        if (__builtin_mul_overflow(value.units, 10, &value.units) || value.units > largestUnits
            || value.units < -largestUnits) {
            return std::nullopt;
        }
    }
    return value;
}

std::optional<Scaled> added(Scaled a, Scaled b)
{
    const int scale = std::max(a.scale, b.scale);
    const auto left = rescaled(a, scale);
    const auto right = rescaled(b, scale);
    Scaled sum{0, scale};
    if (!left || !right || __builtin_add_overflow(left->units, right->units, &sum.units) || sum.units > largestUnits
        || sum.units < -largestUnits) {
        return std::nullopt;
    }
    return sum;
}

QString plainText(Scaled value)
{
    const bool negative = value.units < 0;
    QString digits = QString::number(negative ? -value.units : value.units);
    if (value.scale > 0) {
        if (digits.size() <= value.scale)
            digits.prepend(QString(value.scale + 1 - digits.size(), u'0'));
        digits.insert(digits.size() - value.scale, u'.');
    }
    return negative ? u'-' + digits : digits;
}

} // namespace

QChar decideDecimalMark(const QStringList &amounts, QChar fallback, Grouping grouping)
{
    int points = 0;
    int commas = 0;
    for (const QString &amount : amounts) {
        const auto parts = splitAmount(amount);
        if (!parts)
            continue;
        const QChar mark = markTold(parts->number, grouping);
        points += mark == u'.' ? 1 : 0;
        commas += mark == u',' ? 1 : 0;
    }
    if (points == commas)
        return fallback;
    return points > commas ? u'.' : u',';
}

std::optional<QString> plainAmount(QStringView text, QChar decimalMark)
{
    const auto parts = splitAmount(text);
    if (!parts)
        return std::nullopt;
    std::optional<QString> plain = readNumber(parts->number, decimalMark);
    if (plain && parts->negative && !isZeroAmount(*plain))
        plain->prepend(u'-');
    return plain;
}

bool looksLikeAmount(QStringView text)
{
    const auto parts = splitAmount(text);
    return parts && (readNumber(parts->number, u'.') || readNumber(parts->number, u','));
}

std::optional<QString> plainDifference(const QString &credit, const QString &debit)
{
    const auto left = scaled(credit);
    auto right = scaled(debit);
    if (!left || !right)
        return std::nullopt;
    right->units = -right->units;
    const auto difference = added(*left, *right);
    if (!difference)
        return std::nullopt;
    return plainText(*difference);
}

std::optional<QString> plainSum(const QStringList &amounts)
{
    Scaled sum;
    for (const QString &amount : amounts) {
        const auto value = scaled(amount);
        const auto next = value ? added(sum, *value) : std::nullopt;
        if (!next)
            return std::nullopt;
        sum = *next;
    }
    return plainText(sum);
}

bool isZeroAmount(QStringView plain)
{
    for (const QChar c : plain) {
        if (isAsciiDigit(c) && c != u'0')
            return false;
    }
    return true;
}

} // namespace tallymere::import
