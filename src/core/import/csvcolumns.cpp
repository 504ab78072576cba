#include "core/import/csvcolumns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include <QHash>

#include "core/import/amounttext.h"
#include "core/import/statementdates.h"

namespace tallymere::import {
namespace {

/// A header name lower case, without accents, its words apart: "Date d'opération" is
/// "date d operation".
QString normalizedName(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_D).toLower();
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        plain += c.isLetterOrNumber() ? c : u' ';
    }
    return plain.simplified();
}

/// The names banks give their columns, normalized, by what they mean.
struct Keywords {
    HeaderMeaning meaning;
    std::vector<const char *> anywhere;      ///< found also inside a longer name
    std::vector<const char *> wholeNameOnly; ///< short or common words mean something only as the whole name
};

/// Checked in this order where a name only contains a keyword, so "Saldo nach Buchung" is a
/// balance and "Debit Amount" a debit.
const std::vector<Keywords> &keywords()
{
    static const std::vector<Keywords> table{
        {HeaderMeaning::Balance, {"balance", "running balance", "saldo", "kontostand", "solde"}, {}},
        {HeaderMeaning::Debit,
         {"debit", "debits", "withdrawal", "withdrawals", "money out", "paid out", "outflow", "belastung",
          "addebito", "addebiti"},
         {"out", "soll", "ausgang", "sortie", "sorties", "debe", "cargo", "cargos", "dare", "uscite", "af", "debet"}},
        {HeaderMeaning::Credit,
         {"credit", "credits", "deposit", "deposits", "money in", "paid in", "inflow", "accredito", "accrediti"},
         {"in", "haben", "gutschrift", "eingang", "entree", "entrees", "haber", "abono", "abonos", "avere",
          "entrate", "bij"}},
        {HeaderMeaning::Amount,
         {"amount", "betrag", "umsatz", "montant", "importe", "cantidad", "importo", "bedrag"},
         {"value"}},
        {HeaderMeaning::Category, {"category", "kategorie", "categorie", "categoria"}, {}},
        {HeaderMeaning::ValueDate,
         {"value date", "valuta", "valutadatum", "wertstellung", "date de valeur", "date valeur", "fecha valor",
          "fecha de valor", "rentedatum"},
         {}},
        {HeaderMeaning::Date,
         {"date", "datum", "buchungstag", "buchungsdatum", "fecha", "data", "boekdatum", "transactiedatum"},
         {}},
        {HeaderMeaning::Payee,
         {"payee", "name", "beneficiary", "merchant", "counterparty", "recipient", "payer", "empfanger",
          "zahlungsempfanger", "auftraggeber", "begunstigter", "beguenstigter", "zahlungspflichtiger",
          "beneficiaire", "tiers", "destinataire", "beneficiario", "ordenante", "controparte", "naam", "tegenpartij"},
         {"nome"}},
        {HeaderMeaning::Description,
         {"description", "libelle", "concepto", "descripcion", "descrizione", "omschrijving"},
         {}},
        {HeaderMeaning::Memo,
         {"memo", "reference", "notes", "note", "details", "purpose", "verwendungszweck", "buchungstext",
          "referenz", "motif", "detail", "observaciones", "referencia", "causale", "mededelingen"},
         {}},
    };
    return table;
}

/// The share of the non-empty cells of a column that pass `test`; 0 when all are empty.
template <typename Test>
double shareOf(const std::vector<QStringList> &rows, qsizetype column, Test test)
{
    int cells = 0;
    int passing = 0;
    for (const QStringList &row : rows) {
        if (column >= row.size() || row[column].trimmed().isEmpty())
            continue;
        ++cells;
        passing += test(row[column]) ? 1 : 0;
    }
    return cells == 0 ? 0.0 : double(passing) / cells;
}

bool filled(const QStringList &row, qsizetype column)
{
    return column < row.size() && !row[column].trimmed().isEmpty();
}

/// Words, not codes: a name or a text, not an IBAN or a BIC.
bool wordy(const QString &cell)
{
    int letters = 0;
    int digits = 0;
    bool lower = false;
    for (const QChar c : cell) {
        letters += c.isLetter() ? 1 : 0;
        digits += c.isDigit() ? 1 : 0;
        lower = lower || c.isLower();
    }
    return letters >= 3 && letters > digits && (lower || cell.trimmed().contains(u' '));
}

/// True when two columns take turns: no row fills both, and each fills some.
bool takeTurns(const std::vector<QStringList> &rows, qsizetype a, qsizetype b)
{
    bool someA = false;
    bool someB = false;
    for (const QStringList &row : rows) {
        const bool hasA = filled(row, a);
        const bool hasB = filled(row, b);
        if (hasA && hasB)
            return false;
        someA = someA || hasA;
        someB = someB || hasB;
    }
    return someA && someB;
}

class AmountColumns
{
public:
    AmountColumns(const std::vector<QStringList> &rows, const std::vector<qsizetype> &columns) : m_rows(rows)
    {
        QStringList cells;
        for (const QStringList &row : rows) {
            for (const qsizetype column : columns) {
                if (filled(row, column))
                    cells += row[column];
            }
        }
        m_mark = decideDecimalMark(cells, u'.');
    }

    std::optional<double> value(const QStringList &row, qsizetype column) const
    {
        if (!filled(row, column))
            return std::nullopt;
        const auto plain = plainAmount(row[column], m_mark);
        if (!plain)
            return std::nullopt;
        return plain->toDouble();
    }

    /// True when `balance` runs along `amount`: its change from row to row is the amount of the
    /// later row (oldest first) or of the earlier one (newest first).
    bool isBalanceOf(qsizetype balance, qsizetype amount) const
    {
        int compared = 0;
        int forward = 0;
        int backward = 0;
        for (std::size_t i = 1; i < m_rows.size(); ++i) {
            const auto before = value(m_rows[i - 1], balance);
            const auto after = value(m_rows[i], balance);
            const auto amountBefore = value(m_rows[i - 1], amount);
            const auto amountAfter = value(m_rows[i], amount);
            if (!before || !after || !amountBefore || !amountAfter)
                continue;
            ++compared;
            forward += std::fabs(*after - *before - *amountAfter) < 0.005 ? 1 : 0;
            backward += std::fabs(*before - *after - *amountBefore) < 0.005 ? 1 : 0;
        }
        return compared >= 2 && std::max(forward, backward) * 5 >= compared * 4;
    }

    bool hasNegatives(qsizetype column) const
    {
        for (const QStringList &row : m_rows) {
            const auto amount = value(row, column);
            if (amount && *amount < 0)
                return true;
        }
        return false;
    }

private:
    const std::vector<QStringList> &m_rows;
    QChar m_mark;
};

bool hasDecimals(const QString &cell)
{
    return cell.contains(u'.') || cell.contains(u',');
}

/// Chooses the amount (or a debit and a credit) among columns of numbers no name placed.
void guessAmounts(const std::vector<QStringList> &rows, std::vector<qsizetype> candidates, std::vector<ColumnRole> &roles)
{
    if (candidates.empty())
        return;
    // Columns of whole numbers (counters, references) stand back where others carry decimals.
    std::vector<qsizetype> decimal;
    for (const qsizetype column : candidates) {
        if (shareOf(rows, column, hasDecimals) > 0)
            decimal.push_back(column);
    }
    if (!decimal.empty())
        candidates = decimal;

    const AmountColumns amounts(rows, candidates);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            if (takeTurns(rows, candidates[i], candidates[j])) {
                const bool secondOut = amounts.hasNegatives(candidates[j]) && !amounts.hasNegatives(candidates[i]);
                roles[std::size_t(candidates[i])] = secondOut ? ColumnRole::Credit : ColumnRole::Debit;
                roles[std::size_t(candidates[j])] = secondOut ? ColumnRole::Debit : ColumnRole::Credit;
                return;
            }
        }
    }
    for (const qsizetype column : candidates) {
        bool balance = false;
        for (const qsizetype other : candidates)
            balance = balance || (other != column && amounts.isBalanceOf(column, other));
        if (!balance) {
            roles[std::size_t(column)] = ColumnRole::Amount;
            return;
        }
    }
}

} // namespace

Direction directionOf(const QString &cell)
{
    const QString word = normalizedName(cell);
    // German Soll/Haben, Dutch Af/Bij, and the English, French and Spanish words and marks.
    static const QStringList out{QStringLiteral("s"), QStringLiteral("soll"), QStringLiteral("af"),
                                 QStringLiteral("d"), QStringLiteral("dr"), QStringLiteral("debit"),
                                 QStringLiteral("debet"), QStringLiteral("cargo")};
    static const QStringList in{QStringLiteral("h"), QStringLiteral("haben"), QStringLiteral("bij"),
                                QStringLiteral("c"), QStringLiteral("cr"), QStringLiteral("credit"),
                                QStringLiteral("abono")};
    if (out.contains(word))
        return Direction::Out;
    if (in.contains(word))
        return Direction::In;
    return Direction::Neither;
}

int signColumn(const std::vector<QStringList> &rows, const std::vector<ColumnRole> &roles)
{
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (roles[i] != ColumnRole::Ignore)
            continue;
        const auto column = qsizetype(i);
        const bool any = std::any_of(rows.begin(), rows.end(), [column](const QStringList &row) { return filled(row, column); });
        if (any && shareOf(rows, column, [](const QString &cell) { return directionOf(cell) != Direction::Neither; }) == 1.0)
            return int(i);
    }
    return -1;
}

HeaderMeaning headerMeaning(const QString &name)
{
    const QString normalized = normalizedName(name);
    if (normalized.isEmpty())
        return HeaderMeaning::Unknown;
    for (const Keywords &group : keywords()) {
        for (const auto *words : {&group.anywhere, &group.wholeNameOnly}) {
            for (const char *keyword : *words) {
                if (normalized == QLatin1String(keyword))
                    return group.meaning;
            }
        }
    }
    const QString spaced = u' ' + normalized + u' ';
    for (const Keywords &group : keywords()) {
        for (const char *keyword : group.anywhere) {
            if (spaced.contains(u' ' + QLatin1String(keyword) + u' '))
                return group.meaning;
        }
    }
    return HeaderMeaning::Unknown;
}

std::vector<ColumnRole> guessColumns(const QStringList &header, const std::vector<QStringList> &rows, qsizetype columns)
{
    std::vector<ColumnRole> roles(std::size_t(columns), ColumnRole::Ignore);
    std::vector<HeaderMeaning> meanings(std::size_t(columns), HeaderMeaning::Unknown);
    for (qsizetype i = 0; i < columns && i < header.size(); ++i)
        meanings[std::size_t(i)] = headerMeaning(header[i]);
    auto firstMeaning = [&](HeaderMeaning meaning) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < meanings.size(); ++i) {
            if (meanings[i] == meaning)
                return i;
        }
        return std::nullopt;
    };
    auto give = [&](std::optional<std::size_t> column, ColumnRole role) {
        if (column && roles[*column] == ColumnRole::Ignore)
            roles[*column] = role;
        return column.has_value();
    };
    auto has = [&](ColumnRole role) { return std::find(roles.begin(), roles.end(), role) != roles.end(); };
    auto open = [&](std::size_t i) { return roles[i] == ColumnRole::Ignore && meanings[i] == HeaderMeaning::Unknown; };

    give(firstMeaning(HeaderMeaning::Date), ColumnRole::Date) || give(firstMeaning(HeaderMeaning::ValueDate), ColumnRole::Date);
    if (!give(firstMeaning(HeaderMeaning::Amount), ColumnRole::Amount)) {
        give(firstMeaning(HeaderMeaning::Debit), ColumnRole::Debit);
        give(firstMeaning(HeaderMeaning::Credit), ColumnRole::Credit);
    }
    give(firstMeaning(HeaderMeaning::Category), ColumnRole::Category);
    give(firstMeaning(HeaderMeaning::Payee), ColumnRole::Payee);
    for (std::size_t i = 0; i < meanings.size(); ++i) {
        if (meanings[i] == HeaderMeaning::Description)
            give(i, has(ColumnRole::Payee) ? ColumnRole::Memo : ColumnRole::Payee);
        else if (meanings[i] == HeaderMeaning::Memo)
            give(i, ColumnRole::Memo);
    }

    if (!has(ColumnRole::Date)) {
        for (std::size_t i = 0; i < roles.size(); ++i) {
            if (open(i) && shareOf(rows, qsizetype(i), looksLikeDate) >= 0.8) {
                roles[i] = ColumnRole::Date;
                break;
            }
        }
    }
    if (!has(ColumnRole::Amount) && !has(ColumnRole::Debit) && !has(ColumnRole::Credit)) {
        std::vector<qsizetype> candidates;
        for (std::size_t i = 0; i < roles.size(); ++i) {
            if (open(i) && shareOf(rows, qsizetype(i), looksLikeAmount) >= 0.8)
                candidates.push_back(qsizetype(i));
        }
        guessAmounts(rows, candidates, roles);
    }
    // Words in columns no name placed: the payee first, then (without a header) the memo.
    for (std::size_t i = 0; i < roles.size(); ++i) {
        const bool numbers = shareOf(rows, qsizetype(i), looksLikeAmount) >= 0.8;
        if (!open(i) || numbers || shareOf(rows, qsizetype(i), wordy) < 0.5)
            continue;
        if (!has(ColumnRole::Payee))
            roles[i] = ColumnRole::Payee;
        else if (!has(ColumnRole::Memo) && header.isEmpty())
            roles[i] = ColumnRole::Memo;
    }
    return roles;
}

} // namespace tallymere::import
