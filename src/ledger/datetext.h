#pragma once

#include <optional>

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

/// The ISO text "yyyy-mm-dd" the ledger stores.
QString iso(const QDate &date);

/// A stored date as the editor shows it: a stored text that reads as a date is written in the
/// current order; any other text (a Null is the empty text) is shown as it is stored.
QString fromStored(const QString &stored);

} // namespace dateText
} // namespace tallymere
