#include "ledger/datetext.h"

#include <QRegularExpression>

#include "settings/settings.h"

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

std::optional<QDate> validDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

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

QString iso(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString fromStored(const QString &stored)
{
    const bool dayFirst = settings::europeanDate();
    if (const auto date = read(stored, dayFirst))
        return format(*date, dayFirst);
    return stored;
}

} // namespace tallymere::dateText
