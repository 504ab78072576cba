#pragma once

#include <optional>
#include <vector>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "core/import/readerror.h"
#include "core/import/statementvalues.h"

namespace tallymere::import {

/// The dates of one file: their order is decided once from all of them, then each is read.
///
/// A form that tells its own order reads in it whatever the others say: a four-digit year first
/// ("2024-03-05", "2024/3/5", "2024.03.05", OFX's "20240305120000.000[-5:EST]", a time after any
/// of them), day and month between dots ("5.3.2024", "05.03.24"), a month name in English,
/// German, French or Spanish ("04 Nov 2009", "Nov 4, 2009", "4. März 2009", "4 de marzo de 2009").
/// Day and month between other marks ("05/03/2024", QIF's "3/ 5'24") read day-first when a
/// first field of the file is above 12, month-first when a second one is, and stay undecided when
/// neither is and the order would matter. Two-digit years: 00-69 are 20xx, 70-99 are 19xx.
class DateReading
{
public:
    /// Decides the order from `dates` (every date text of the file) unless `fixed` gives it.
    DateReading(const QStringList &dates, std::optional<DateOrder> fixed);

    /// True when the order would matter and nothing decided it.
    bool undecided() const noexcept { return m_undecided; }
    /// The order the file's dates were read in, for the choices; empty when none was needed and
    /// the dates' own forms do not agree on one.
    std::optional<DateOrder> order() const noexcept { return m_reported; }
    /// When the dates contradict each other (a first field above 12 in one, a second in
    /// another): the indexes, in `dates`, of the first of each kind.
    std::optional<std::pair<qsizetype, qsizetype>> contradiction() const noexcept { return m_contradiction; }

    /// The day `text` states. Nothing when it is no date (in the order decided); an invalid QDate
    /// when it needs the order and the order is undecided.
    std::optional<QDate> read(QStringView text) const;

private:
    std::optional<DateOrder> m_order;
    std::optional<DateOrder> m_reported;
    bool m_undecided = false;
    std::optional<std::pair<qsizetype, qsizetype>> m_contradiction;
};

/// True when `text` is a date in one of the forms DateReading reads (in some order).
bool looksLikeDate(QStringView text);

} // namespace tallymere::import
