// The date texts of the entry editor. Reading, in either order, accepts exactly the texts that
// name a real day in one of the three forms ("d/m/yyyy" or "m/d/yyyy" with day and month of one
// or two ASCII digits, or ISO "yyyy-mm-dd"), judged here by a calendar of our own; and every
// date read, written in either order or as ISO, reads back as the same date.
//
// Input: one byte whose lowest bit chooses day-first, then the text as UTF-8.

#include <cstdint>
#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>

#include "core/text/datetext.h"
#include "fuzzcheck.h"

using namespace tallymere;

namespace {

struct Day {
    int year;
    int month;
    int day;
};

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysIn(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

/// The number of ASCII digits `text` consists of, or nothing when it holds anything else.
std::optional<int> digits(QStringView text, qsizetype minLength, qsizetype maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

/// The day a text names, by the forms the editor promises to read. There is no year 0.
std::optional<Day> dayNamed(const QString &raw, bool dayFirst)
{
    const QString text = raw.trimmed();
    std::optional<int> year, month, day;
    if (text.size() == 10 && text[4] == u'-' && text[7] == u'-') {
        year = digits(QStringView(text).mid(0, 4), 4, 4);
        month = digits(QStringView(text).mid(5, 2), 2, 2);
        day = digits(QStringView(text).mid(8, 2), 2, 2);
    } else {
        const QStringList parts = text.split(u'/');
        if (parts.size() != 3)
            return std::nullopt;
        const auto first = digits(parts[0], 1, 2);
        const auto second = digits(parts[1], 1, 2);
        year = digits(parts[2], 4, 4);
        day = dayFirst ? first : second;
        month = dayFirst ? second : first;
    }
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1
        || *day > daysIn(*year, *month))
        return std::nullopt;
    return Day{*year, *month, *day};
}

/// "d/m/yyyy" or "m/d/yyyy" exactly: no leading zero on day and month, four year digits.
bool isEditorForm(const QString &text, const QDate &date, bool dayFirst)
{
    const QString year = QString::number(date.year()).rightJustified(4, u'0');
    const QString day = QString::number(date.day());
    const QString month = QString::number(date.month());
    return text == (dayFirst ? day + u'/' + month : month + u'/' + day) + u'/' + year;
}

void checkRoundTrips(const QDate &date)
{
    for (const bool order : {false, true}) {
        const QString written = dateText::format(date, order);
        FUZZ_CHECK(isEditorForm(written, date, order));
        FUZZ_CHECK(dateText::read(written, order) == date);
        FUZZ_CHECK(dateText::read(dateText::iso(date), order) == date);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool dayFirst = data[0] & 1;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const std::optional<QDate> read = dateText::read(text, dayFirst);
    const std::optional<Day> named = dayNamed(text, dayFirst);
    FUZZ_CHECK(read.has_value() == named.has_value());
    if (read) {
        FUZZ_CHECK(read->isValid());
        FUZZ_CHECK(read->year() == named->year && read->month() == named->month && read->day() == named->day);
        checkRoundTrips(*read);
    }

    // Any day of the years the editor writes, chosen by the first bytes.
    if (size >= 4) {
        const std::uint32_t bits = std::uint32_t(data[1]) | std::uint32_t(data[2]) << 8 | std::uint32_t(data[3]) << 16;
        const QDate first(1, 1, 1);
        const qint64 span = first.daysTo(QDate(9999, 12, 31)) + 1;
        checkRoundTrips(first.addDays(qint64(bits) % span));
    }
    return 0;
}
