#include "core/text/datetext.h"

#include <QRegularExpression>

#include "core/settings/settings.h"

namespace tallymere::dateText {
namespace {

// ASCII digits only: \d would take the digits of every script.
const QRegularExpression &slashPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})$"));
    return pattern;
}

const QRegularExpression &isoPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})$"));
    return pattern;
}

} // namespace

std::optional<QDate> validDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString format(const QDate &date, bool dayFirst)
{
    return date.toString(dayFirst ? QStringLiteral("d/M/yyyy") : QStringLiteral("M/d/yyyy"));
}

QString format(const QDate &date)
{
    return format(date, settings::europeanDate());
}

std::optional<QDate> read(QStringView text, bool dayFirst)
{
    const QString trimmed = text.trimmed().toString();
    if (const auto iso = isoPattern().match(trimmed); iso.hasMatch())
        return validDate(iso.captured(1).toInt(), iso.captured(2).toInt(), iso.captured(3).toInt());

    const auto slash = slashPattern().match(trimmed);
    if (!slash.hasMatch())
        return std::nullopt;
    const int first = slash.captured(1).toInt();
    const int second = slash.captured(2).toInt();
    const int year = slash.captured(3).toInt();
    return dayFirst ? validDate(year, second, first) : validDate(year, first, second);
}

std::optional<QDate> read(QStringView text)
{
    return read(text, settings::europeanDate());
}

namespace {

bool isAsciiBlank(char c)
{
    // The blanks QString::trimmed() takes away that are ASCII.
    return c == ' ' || (c >= '\t' && c <= '\r');
}

/// The value of the ASCII digits [from, to), or -1 when any is not one.
int digitsValue(std::string_view text, std::size_t from, std::size_t to)
{
    int value = 0;
    for (std::size_t i = from; i < to; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<Day> validDay(int year, int month, int day)
{
    if (year < 0 || month < 0 || day < 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return Day{year, month, day};
}

/// The ASCII text without the blanks around it; nothing when the text holds a byte beyond
/// ASCII (its blanks and digits are the Unicode rules' to judge).
std::optional<std::string_view> trimmedAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
    }
    while (!text.empty() && isAsciiBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<Day> readIsoAscii(std::string_view t)
{
    if (t.size() != 10 || t[4] != '-' || t[7] != '-')
        return std::nullopt;
    const auto digit = [&t](std::size_t i) { return unsigned(static_cast<unsigned char>(t[i])) - unsigned('0'); };
    unsigned digits[8];
    constexpr std::size_t at[8] = {0, 1, 2, 3, 5, 6, 8, 9};
    for (std::size_t i = 0; i < 8; ++i) {
        digits[i] = digit(at[i]);
        if (digits[i] > 9)
            return std::nullopt;
    }
    const int year = int(digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3]);
    const int month = int(digits[4] * 10 + digits[5]);
    const int day = int(digits[6] * 10 + digits[7]);
    // Every month has its first 28 days, in every year but the year 0 that the calendar lacks.
    if (year > 0 && month >= 1 && month <= 12 && day >= 1 && day <= 28)
        return Day{year, month, day};
    return validDay(year, month, day);
}

std::optional<Day> fromDate(const std::optional<QDate> &date)
{
    if (!date)
        return std::nullopt;
    int year = 0;
    int month = 0;
    int day = 0;
    date->getDate(&year, &month, &day);
    return Day{year, month, day};
}

} // namespace

std::optional<Day> readUtf8(std::string_view text, bool dayFirst)
{
    // The form the program itself stores, read before any search of the text.
    if (auto iso = readIsoAscii(text))
        return iso;
    const std::optional<std::string_view> ascii = trimmedAscii(text);
    if (!ascii)
        return fromDate(read(QString::fromUtf8(text.data(), qsizetype(text.size())), dayFirst));
    const std::string_view t = *ascii;
    if (auto iso = readIsoAscii(t))
        return iso;
    // d/m/yyyy or m/d/yyyy: one or two digits, one or two digits, four digits.
    const std::size_t firstSlash = t.find('/');
    if (firstSlash == std::string_view::npos || firstSlash < 1 || firstSlash > 2)
        return std::nullopt;
    const std::size_t secondSlash = t.find('/', firstSlash + 1);
    if (secondSlash == std::string_view::npos || secondSlash - firstSlash - 1 < 1 || secondSlash - firstSlash - 1 > 2
        || t.size() - secondSlash - 1 != 4)
        return std::nullopt;
    const int first = digitsValue(t, 0, firstSlash);
    const int second = digitsValue(t, firstSlash + 1, secondSlash);
    const int year = digitsValue(t, secondSlash + 1, t.size());
    return dayFirst ? validDay(year, second, first) : validDay(year, first, second);
}

std::optional<Day> readIsoUtf8(std::string_view text)
{
    if (auto iso = readIsoAscii(text))
        return iso;
    if (const std::optional<std::string_view> ascii = trimmedAscii(text))
        return readIsoAscii(*ascii);
    const QString wide = QString::fromUtf8(text.data(), qsizetype(text.size())).trimmed();
    if (const auto iso = isoPattern().match(wide); iso.hasMatch())
        return validDay(iso.captured(1).toInt(), iso.captured(2).toInt(), iso.captured(3).toInt());
    return std::nullopt;
}

QString iso(const QDate &date)
{
    // Written digit by digit: an import writes a hundred thousand of them, and the general
    // formatter takes the long way through a format text.
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1 || year > 9999)
        return date.toString(Qt::ISODate);
    const char16_t text[10] = {char16_t(u'0' + year / 1000), char16_t(u'0' + year / 100 % 10),
                               char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10), u'-',
                               char16_t(u'0' + month / 10), char16_t(u'0' + month % 10), u'-',
                               char16_t(u'0' + day / 10), char16_t(u'0' + day % 10)};
    return QString(reinterpret_cast<const QChar *>(text), 10);
}

QString fromStored(const QString &stored)
{
    const bool dayFirst = settings::europeanDate();
    if (const auto date = read(stored, dayFirst))
        return format(*date, dayFirst);
    return stored;
}

} // namespace tallymere::dateText
