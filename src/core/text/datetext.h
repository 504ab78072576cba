#pragma once

#include <optional>
#include <string_view>

#include <QDate>
#include <QString>
#include <QStringView>

namespace tallymere {

/// The date texts of the entry editor. The editor writes a date day-first ("d/m/yyyy") when
/// EuropeanDate reads exactly "True" and month-first ("m/d/yyyy") otherwise, day and month
/// without leading zeros; the ledger stores dates as ISO "yyyy-mm-dd".
namespace dateText {

/// `date` as "d/m/yyyy" (dayFirst) or "m/d/yyyy"; the year always has four digits.
QString format(const QDate &date, bool dayFirst);
/// `date` in the order EuropeanDate selects now. Throws when the setting cannot be read.
QString format(const QDate &date);

/// Reads a date text written day-first (dayFirst) or month-first, or as ISO "yyyy-mm-dd":
/// day and month of one or two digits, a four-digit year, "/" between them, blanks around the
/// whole allowed. Anything else, and a day that its month does not have, is no date.
std::optional<QDate> read(QStringView text, bool dayFirst);
/// Reads a date text in the order EuropeanDate selects now. Throws when the setting cannot be
/// read.
std::optional<QDate> read(QStringView text);

/// The day `year`-`month`-`day` as read from a date text's numbers, or nothing where the
/// calendar has no such day (the 31st of April, a 29th of February out of a leap year).
std::optional<QDate> validDate(int year, int month, int day);

/// A calendar day as read from a stored text, without the cost of a QDate.
struct Day {
    int year;
    int month;
    int day;
};

/// read() over UTF-8 text, with the same answers, for the loops that read every stored date:
/// ASCII text is read in place, without a QString or a regular expression.
std::optional<Day> readUtf8(std::string_view text, bool dayFirst);
/// Reads only the ISO form "yyyy-mm-dd" of UTF-8 text (blanks around allowed): the one form that
/// means the same day whatever the date order.
std::optional<Day> readIsoUtf8(std::string_view text);

/// The ISO text "yyyy-mm-dd" the ledger stores.
QString iso(const QDate &date);

/// A stored date as the editor shows it: a stored text that reads as a date is written in the
/// current order; any other text (a Null is the empty text) is shown as it is stored.
QString fromStored(const QString &stored);

} // namespace dateText
} // namespace tallymere
