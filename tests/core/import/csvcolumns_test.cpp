#include <gtest/gtest.h>

#include "core/import/csvcolumns.h"

namespace tallymere::import {
namespace {

TEST(CsvColumns, headerNamesInSixLanguagesSayWhatTheirColumnsHold)
{
    using M = HeaderMeaning;
    const std::vector<std::pair<const char *, HeaderMeaning>> names{
        {"Buchungstag", M::Date}, {"Date d'opération", M::Date}, {"Fecha operación", M::Date},
        {"Data contabile", M::Date}, {"Boekdatum", M::Date}, {"Transaction Date", M::Date},
        {"Wertstellung", M::ValueDate}, {"Fecha Valor", M::ValueDate}, {"Value Date", M::ValueDate},
        {"Auftraggeber / Empfänger", M::Payee}, {"Beguenstigter/Zahlungspflichtiger", M::Payee},
        {"Bénéficiaire", M::Payee}, {"Beneficiario", M::Payee}, {"Naam / Omschrijving", M::Payee},
        {"Libellé", M::Description}, {"Concepto", M::Description}, {"Descrizione", M::Description},
        {"Verwendungszweck", M::Memo}, {"Causale", M::Memo}, {"Mededelingen", M::Memo}, {"Memo", M::Memo},
        {"Kategorie", M::Category}, {"Catégorie", M::Category}, {"Categoría", M::Category},
        {"Betrag (EUR)", M::Amount}, {"Montant", M::Amount}, {"Importe", M::Amount}, {"Importo", M::Amount},
        {"Bedrag (EUR)", M::Amount}, {"Amount", M::Amount},
        {"Soll", M::Debit}, {"Débit", M::Debit}, {"Cargo", M::Debit}, {"Dare", M::Debit}, {"Paid out", M::Debit},
        {"Debit Amount", M::Debit},
        {"Haben", M::Credit}, {"Crédit", M::Credit}, {"Abono", M::Credit}, {"Avere", M::Credit}, {"Bij", M::Credit},
        {"Saldo", M::Balance}, {"Solde", M::Balance}, {"Running Balance", M::Balance}, {"Kontostand", M::Balance},
        {"Saldo na mutatie", M::Balance},
        {"IBAN", M::Unknown}, {"Mandatsreferenz", M::Unknown}, {"Af Bij", M::Unknown}};
    for (const auto &[name, meaning] : names)
        EXPECT_EQ(headerMeaning(QString::fromUtf8(name)), meaning) << name;
}

TEST(CsvColumns, aRunningBalanceIsNeverTheAmountEvenUnnamed)
{
    // Newest first: each balance is the one below it plus this row's amount.
    const std::vector<QStringList> rows{
        {"2024-01-05", "Shop", "2,413.37", "-82.13"},
        {"2024-01-04", "Pay", "2,495.50", "1,500.00"},
        {"2024-01-03", "Cafe", "995.50", "-4.50"},
    };
    const auto roles = guessColumns({}, rows, 4);
    EXPECT_EQ(roles, (std::vector<ColumnRole>{ColumnRole::Date, ColumnRole::Payee, ColumnRole::Ignore, ColumnRole::Amount}));
}

} // namespace
} // namespace tallymere::import
