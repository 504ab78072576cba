#include "core/import/statementdates.h"

#include <array>

#include <QHash>
#include <QLocale>
#include <QSet>

#include "core/text/datetext.h"

namespace tallymere::import {
namespace {

/// Lower case, without accents and dots: "Févr." and "fevr" are one name.
QString folded(QStringView word)
{
    const QString decomposed = word.toString().normalized(QString::NormalizationForm_D).toLower();
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing && c != u'.')
            plain += c;
    }
    return plain;
}

const std::array<QLocale::Language, 4> &monthLanguages()
{
    static const std::array<QLocale::Language, 4> languages{QLocale::English, QLocale::German, QLocale::French,
                                                            QLocale::Spanish};
    return languages;
}

/// Month names and their abbreviations in the four languages, as the locales name them, and
/// every beginning of three letters or more of a long name that names one month only.
const QHash<QString, int> &monthNames()
{
    static const QHash<QString, int> names = [] {
        QHash<QString, int> table;
        QHash<QString, int> beginnings;
        QSet<QString> shared;
        for (const QLocale::Language language : monthLanguages()) {
            const QLocale locale(language);
            for (int month = 1; month <= 12; ++month) {
                for (const auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                    table.insert(folded(locale.monthName(month, format)), month);
                    table.insert(folded(locale.standaloneMonthName(month, format)), month);
                }
                const QString name = folded(locale.monthName(month, QLocale::LongFormat));
                for (qsizetype length = 3; length < name.size(); ++length) {
                    const QString beginning = name.left(length);
                    const auto it = beginnings.constFind(beginning);
                    if (it != beginnings.cend() && *it != month)
                        shared.insert(beginning);
                    beginnings.insert(beginning, month);
                }
            }
        }
        for (auto it = beginnings.cbegin(); it != beginnings.cend(); ++it) {
            if (!shared.contains(it.key()) && !table.contains(it.key()))
                table.insert(it.key(), it.value());
        }
        return table;
    }();
    return names;
}

/// Words a date may carry besides its month: weekdays, ordinal endings, "de" and "of".
const QSet<QString> &fillerWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> set{QStringLiteral("de"), QStringLiteral("del"), QStringLiteral("of"), QStringLiteral("st"),
                          QStringLiteral("nd"),  QStringLiteral("rd"),  QStringLiteral("th"), QStringLiteral("er")};
        for (const QLocale::Language language : monthLanguages()) {
            const QLocale locale(language);
            for (int day = 1; day <= 7; ++day) {
                set.insert(folded(locale.dayName(day, QLocale::LongFormat)));
                set.insert(folded(locale.dayName(day, QLocale::ShortFormat)));
            }
        }
        return set;
    }();
    return words;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

enum class Kind { None, Fixed, Numeric };

/// A date text taken apart. Fixed: its own form tells year, month and day. Numeric: day and month
/// in an order the file decides, then the year (`third`).
struct DateFields {
    Kind kind = Kind::None;
    int year = 0, month = 0, day = 0; // Fixed
    DateOrder own = DateOrder::YearMonthDay;
    int first = 0, second = 0, third = 0; // Numeric
    int thirdDigits = 0;
};

int fullYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

struct Number {
    int value;
    int digits;
    QChar separatorBefore;
};

DateFields fixedDate(int year, int month, int day, DateOrder own)
{
    DateFields fields;
    fields.kind = Kind::Fixed;
    fields.year = year;
    fields.month = month;
    fields.day = day;
    fields.own = own;
    return fields;
}

/// OFX's yyyymmdd, with hhmm, hhmmss, hhmmss.xxx and a time zone after it.
std::optional<DateFields> compactDate(QStringView text)
{
    qsizetype run = 0;
    while (run < text.size() && isAsciiDigit(text[run]))
        ++run;
    if (run != 8 && run != 12 && run != 14)
        return std::nullopt;
    if (run < text.size() && !QStringView(u".[ +-").contains(text[run]))
        return std::nullopt;
    return fixedDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt(), DateOrder::YearMonthDay);
}

DateFields parse(QStringView text)
{
    text = text.trimmed();
    if (const auto compact = compactDate(text))
        return *compact;

    // A fixed array: a file has as many dates as rows, and this runs for each of them twice.
    std::array<Number, 3> numbers{};
    std::size_t count = 0;
    int month = 0;
    qsizetype monthAt = -1;
    QChar separator;
    auto complete = [&] { return count == 3 || (count == 2 && month > 0); };
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            qsizetype end = i;
            while (end < text.size() && isAsciiDigit(text[end]))
                ++end;
            if (end < text.size() && text[end] == u':' && complete())
                break; // a time of day follows the date
            if (end - i > 4 || count == 3)
                return {};
            numbers[count++] = Number{text.mid(i, end - i).toInt(), int(end - i), separator};
            separator = QChar();
            i = end;
        } else if (c.isLetter()) {
            qsizetype end = i;
            while (end < text.size() && text[end].isLetter())
                ++end;
            const QStringView word = text.mid(i, end - i);
            if (complete() && (word == u"T" || word == u"Z"))
                break;
            const QString name = folded(word);
            if (const auto it = monthNames().constFind(name); it != monthNames().cend() && month == 0) {
                month = *it;
                monthAt = qsizetype(count);
            } else if (!fillerWords().contains(name)) {
                return {};
            }
            i = end;
        } else if (c == u'+' && complete()) {
            break; // a time zone
        } else if (QStringView(u"-/.,'").contains(c)) {
            if (separator.isNull())
                separator = c;
            ++i;
        } else if (c.isSpace()) {
            ++i;
        } else {
            return {};
        }
    }

    if (month > 0) {
        if (count != 2)
            return {};
        const Number &a = numbers[0];
        const Number &b = numbers[1];
        if (a.digits == 4 && b.digits <= 2)
            return fixedDate(a.value, month, b.value, DateOrder::YearMonthDay);
        if (a.digits > 2 || (b.digits != 4 && b.digits != 2))
            return {};
        return fixedDate(fullYear(b.value, b.digits), month, a.value,
                         monthAt == 0 ? DateOrder::MonthDayYear : DateOrder::DayMonthYear);
    }
    if (count != 3)
        return {};
    const Number &a = numbers[0];
    const Number &b = numbers[1];
    const Number &y = numbers[2];
    if (a.digits == 4 && b.digits <= 2 && y.digits <= 2)
        return fixedDate(a.value, b.value, y.value, DateOrder::YearMonthDay);
    if (a.digits > 2 || b.digits > 2 || (y.digits != 4 && y.digits != 2))
        return {};
    if (b.separatorBefore == u'.' && y.separatorBefore == u'.')
        return fixedDate(fullYear(y.value, y.digits), b.value, a.value, DateOrder::DayMonthYear);
    DateFields fields;
    fields.kind = Kind::Numeric;
    fields.first = a.value;
    fields.second = b.value;
    fields.third = y.value;
    fields.thirdDigits = y.digits;
    return fields;
}

std::optional<QDate> numericDate(const DateFields &fields, DateOrder order)
{
    switch (order) {
    case DateOrder::DayMonthYear:
        return dateText::validDate(fullYear(fields.third, fields.thirdDigits), fields.second, fields.first);
    case DateOrder::MonthDayYear:
        return dateText::validDate(fullYear(fields.third, fields.thirdDigits), fields.first, fields.second);
    case DateOrder::YearMonthDay:
        if (fields.thirdDigits > 2)
            return std::nullopt;
        return dateText::validDate(fullYear(fields.first, 2), fields.second, fields.third);
    }
    return std::nullopt;
}

} // namespace

DateReading::DateReading(const QStringList &dates, std::optional<DateOrder> fixed)
{
    std::optional<qsizetype> dayFirst;
    std::optional<qsizetype> monthFirst;
    bool orderMatters = false;
    bool numeric = false;
    QSet<int> ownOrders;
    for (qsizetype i = 0; i < dates.size(); ++i) {
        const DateFields fields = parse(dates[i]);
        if (fields.kind == Kind::Fixed) {
            ownOrders.insert(int(fields.own));
        } else if (fields.kind == Kind::Numeric) {
            numeric = true;
            orderMatters = orderMatters || fields.first != fields.second;
            if (fields.first > 12 && fields.second <= 12 && !dayFirst)
                dayFirst = i;
            if (fields.second > 12 && fields.first <= 12 && !monthFirst)
                monthFirst = i;
        }
    }
    if (fixed) {
        m_order = fixed;
        m_reported = fixed;
        return;
    }
    if (dayFirst && monthFirst) {
        m_contradiction = std::pair(*dayFirst, *monthFirst);
        return;
    }
    if (dayFirst || monthFirst) {
        m_order = dayFirst ? DateOrder::DayMonthYear : DateOrder::MonthDayYear;
        m_reported = m_order;
        return;
    }
    if (orderMatters) {
        m_undecided = true;
        return;
    }
    // No date needs an order: any reads them alike. The order the dates' own forms agree on is
    // worth naming only where no date reads by the file's order: given back, it would read those.
    m_order = DateOrder::DayMonthYear;
    if (ownOrders.size() == 1 && !numeric)
        m_reported = DateOrder(*ownOrders.cbegin());
}

std::optional<QDate> DateReading::read(QStringView text) const
{
    const DateFields fields = parse(text);
    switch (fields.kind) {
    case Kind::None:
        return std::nullopt;
    case Kind::Fixed:
        return dateText::validDate(fields.year, fields.month, fields.day);
    case Kind::Numeric:
        if (m_order)
            return numericDate(fields, *m_order);
        if (numericDate(fields, DateOrder::DayMonthYear) || numericDate(fields, DateOrder::MonthDayYear))
            return QDate();
        return std::nullopt;
    }
    return std::nullopt;
}

bool looksLikeDate(QStringView text)
{
    const DateFields fields = parse(text);
    switch (fields.kind) {
    case Kind::None:
        return false;
    case Kind::Fixed:
        return dateText::validDate(fields.year, fields.month, fields.day).has_value();
    case Kind::Numeric:
        return numericDate(fields, DateOrder::DayMonthYear) || numericDate(fields, DateOrder::MonthDayYear);
    }
    return false;
}

} // namespace tallymere::import
