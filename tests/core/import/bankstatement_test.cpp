#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include <QDate>
#include <QFile>
#include <QStringList>

#include "core/import/bankstatement.h"
#include "core/import/csvmapping.h"

namespace tallymere::import {
namespace {

QByteArray fileBytes(const char *name)
{
    QFile file(QStringLiteral(TALLYMERE_IMPORT_FILES "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot open " << name;
    return file.readAll();
}

struct FileCase {
    const char *file;
    Format format;
    const char *encoding;
    int count;
    double sum;
    QDate firstDate; ///< invalid: the order stays undecided
    const char *payees; ///< every transaction's, joined by "|"
    const char *memos;
    const char *categories; ///< "[transfer]" for a transfer
    const char *bankIds;
    int leftOut;
};

void PrintTo(const FileCase &c, std::ostream *os)
{
    *os << c.file;
}

QString joined(const BankStatement &statement, QString (*field)(const BankTransaction &))
{
    QStringList texts;
    for (const BankTransaction &transaction : statement.transactions)
        texts += field(transaction);
    return texts.join(u'|');
}

class StatementFile : public ::testing::TestWithParam<FileCase>
{
};

TEST_P(StatementFile, readsWhatTheBankMeant)
{
    const FileCase &c = GetParam();
    const BankStatement statement = readStatement(fileBytes(c.file), QString::fromUtf8(c.file));
    EXPECT_EQ(statement.choices.format, c.format);
    EXPECT_EQ(statement.choices.encoding, QString::fromUtf8(c.encoding));
    ASSERT_EQ(int(statement.transactions.size()), c.count);
    double sum = 0;
    for (const BankTransaction &transaction : statement.transactions)
        sum += transaction.amount.toDouble();
    EXPECT_NEAR(sum, c.sum, 1e-9);
    EXPECT_EQ(statement.dateOrderUndecided, !c.firstDate.isValid());
    EXPECT_EQ(statement.transactions.front().date, c.firstDate);
    EXPECT_EQ(joined(statement, [](const BankTransaction &t) { return t.payee; }), QString::fromUtf8(c.payees));
    EXPECT_EQ(joined(statement, [](const BankTransaction &t) { return t.memo; }), QString::fromUtf8(c.memos));
    EXPECT_EQ(joined(statement, [](const BankTransaction &t) { return t.transfer ? QStringLiteral("[transfer]") : t.category; }),
              QString::fromUtf8(c.categories));
    EXPECT_EQ(joined(statement, [](const BankTransaction &t) { return t.bankId; }), QString::fromUtf8(c.bankIds));
    EXPECT_EQ(int(statement.leftOut.size()), c.leftOut);

    // The choices the reading reports read the file alike when the window hands them back.
    const BankStatement again =
        readStatement(fileBytes(c.file), QString::fromUtf8(c.file), csvMapping::optionsOf(statement.choices));
    ASSERT_EQ(again.transactions.size(), statement.transactions.size());
    for (std::size_t i = 0; i < again.transactions.size(); ++i) {
        EXPECT_EQ(again.transactions[i].amount, statement.transactions[i].amount);
        EXPECT_EQ(again.transactions[i].date, statement.transactions[i].date);
        EXPECT_EQ(again.transactions[i].payee, statement.transactions[i].payee);
    }
    EXPECT_EQ(again.leftOut.size(), statement.leftOut.size());
}

INSTANTIATE_TEST_SUITE_P(Files, StatementFile, ::testing::Values(
    FileCase{"german-preamble.csv", Format::Csv, "UTF-8", 3, 1154.74, QDate(2024, 3, 4),
             "Bäckerei Sonnenschein|Arbeitgeber GmbH|Stadtwerke",
             "Brötchen und Kaffee|Gehalt März Personalnummer 42|Abschlag Strom", "||", "||", 2},
    FileCase{"no-header.csv", Format::Csv, "UTF-8", 3, 1413.37, QDate(2024, 3, 14),
             "COFFEE HOUSE, MAIN ST|PAYROLL DEPOSIT|GROCERY MART", "||", "||", "||", 0},
    FileCase{"day-first-by-elimination.csv", Format::Csv, "UTF-8", 3, -756.4, QDate(2024, 4, 3),
             "Corner Shop|Corner Shop|Landlord", "||", "||", "||", 0},
    FileCase{"undecided-order.csv", Format::Csv, "UTF-8", 2, -6.4, QDate(), "Corner Shop|Corner Shop", "|", "|", "|", 0},
    FileCase{"year-first.csv", Format::Csv, "UTF-8", 3, -7.4, QDate(2024, 3, 5), "Book Shop|Refund Book Shop|Train",
             "||", "||", "||", 0},
    FileCase{"month-names.csv", Format::Csv, "UTF-8", 5, -91.15, QDate(2009, 11, 4),
             "Hardware Store|Weihnachtsmarkt|Boulangerie|Farmacia|Gas Station", "||||", "||||", "||||", 0},
    FileCase{"debit-credit.csv", Format::Csv, "UTF-8", 3, 764.01, QDate(2024, 2, 1), "Rent|Salary|Phone bill", "||",
             "||", "||", 0},
    FileCase{"no-header-debit-credit.csv", Format::Csv, "UTF-8", 3, 1164.01, QDate(2024, 1, 2),
             "Miete Januar|Gehalt|Telefon", "||", "||", "||", 0},
    FileCase{"sign-column.csv", Format::Csv, "UTF-8", 2, 2476.55, QDate(2024, 3, 5), "Albert Heijn 1234|Werkgever BV",
             "Pasvolgnr:001|Salaris maart", "|", "|", 1},
    FileCase{"pipe-quotes.csv", Format::Csv, "UTF-8", 2, -973.45, QDate(2024, 3, 1), "Albert \"AH\" Markt|Huur",
             "Boodschappen|Maart | april", "|", "|", 0},
    FileCase{"windows-1252.csv", Format::Csv, "windows-1252", 2, -15.3, QDate(2024, 4, 1),
             "Müller & Söhne|Straßenbahn Köln", "|", "|", "|", 0},
    FileCase{"latin1.csv", Format::Csv, "windows-1252", 2, 1846.5, QDate(2024, 5, 2), "Café à Paris|Rémunération", "|",
             "|", "|", 0},
    FileCase{"utf16le-bom.csv", Format::Csv, "UTF-16LE", 2, 1, QDate(2024, 2, 1), "Zoë|Ärztin", "|", "|", "|", 0},
    FileCase{"utf16be-bom.csv", Format::Csv, "UTF-16BE", 2, 1, QDate(2024, 2, 1), "Zoë|Ärztin", "|", "|", "|", 0},
    FileCase{"ofx1-one-line.ofx", Format::Ofx, "windows-1252", 2, -142.1, QDate(2024, 3, 1), "Café & Bar|", "Lunch|",
             "|", "A-0001|A-0002", 0},
    FileCase{"qfx-multi-line.qfx", Format::Ofx, "UTF-8", 2, 235, QDate(2024, 1, 31),
             "Crème Brûlée Bistro|Payment - Thank You", "Table <4>|", "|", "CC-77|CC-78", 0},
    FileCase{"ofx2.ofx", Format::Ofx, "UTF-8", 2, -496.79, QDate(2024, 6, 30), "Interest & Bonus|Own Current Account",
             "|Monthly <transfer>", "|", "X-1|X-2", 0},
    FileCase{"split-transfer.qif", Format::Qif, "UTF-8", 3, -1636.4, QDate(2024, 1, 5),
             "City Flats|Supermarket|Transfer to savings", "January rent||", "Housing:Rent||[transfer]", "||", 1},
    FileCase{"camt053-v02.xml", Format::Camt, "UTF-8", 2, 2389.3, QDate(2024, 3, 4),
             "Stadtwerke Musterstadt|Arbeitgeber & Co. KG", "Abschlag März Vertrag 99|RF18539007547034", "|",
             "2024030412345|2024032899999", 1},
    FileCase{"camt053-v08.xml", Format::Camt, "UTF-8", 2, 22.1, QDate(2024, 5, 1), "Hans Muster|Buchhandlung",
             "Geburtstag|", "|", "TX-REF-8|NR-502", 0}));

TEST(StatementFile, aGivenDateOrderReadsAFileThatLeavesItOpen)
{
    ReadOptions options;
    options.dateOrder = DateOrder::DayMonthYear;
    const BankStatement statement = readStatement(fileBytes("undecided-order.csv"), QStringLiteral("u.csv"), options);
    EXPECT_FALSE(statement.dateOrderUndecided);
    EXPECT_EQ(statement.transactions.front().date, QDate(2024, 4, 3));
    EXPECT_EQ(statement.transactions.back().date, QDate(2024, 6, 5));
}

TEST(StatementFile, namesEachChoiceOfACsvReading)
{
    const BankStatement statement = readStatement(fileBytes("german-preamble.csv"), QStringLiteral("g.csv"));
    const ReadChoices &choices = statement.choices;
    EXPECT_EQ(choices.delimiter, u';');
    EXPECT_EQ(choices.skipLines, 4);
    EXPECT_TRUE(choices.headerRow);
    EXPECT_EQ(choices.decimalMark, u',');
    EXPECT_EQ(choices.dateOrder, DateOrder::DayMonthYear);
    EXPECT_EQ(choices.header.at(2), QStringLiteral("Auftraggeber / Empfänger"));
    // The running balance ("Saldo") is never the amount; the value date gives way to the booking date.
    EXPECT_EQ(choices.columns, (std::vector<ColumnRole>{ColumnRole::Date, ColumnRole::Ignore, ColumnRole::Payee,
                                                         ColumnRole::Memo, ColumnRole::Amount, ColumnRole::Ignore}));
    EXPECT_EQ(choices.signColumn, -1);
    // A row without an amount and a pending row without a booking day are shown as left out.
    ASSERT_EQ(statement.leftOut.size(), 2u);
    EXPECT_EQ(statement.leftOut.front().line, 11);
    EXPECT_TRUE(statement.leftOut.front().text.startsWith(u"07.03.2024;07.03.2024;Kontoführung"));
    EXPECT_EQ(statement.leftOut.back().line, 12);
}

struct FailureCase {
    const char *name;
    QByteArray bytes; ///< empty: the file `name`
    std::optional<Format> format;
    int line;
    const char *what; ///< a part of the message
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class StatementFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(StatementFailure, namesTheFileTheLineAndWhatIsWrong)
{
    const FailureCase &c = GetParam();
    ReadOptions options;
    options.format = c.format;
    try {
        readStatement(c.bytes.isEmpty() ? fileBytes(c.name) : c.bytes, QString::fromUtf8(c.name), options);
        FAIL() << "no error";
    } catch (const ReadError &error) {
        EXPECT_EQ(error.file(), QString::fromUtf8(c.name));
        EXPECT_EQ(error.line(), c.line);
        EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.what))) << error.message().toStdString();
        EXPECT_TRUE(error.message().startsWith(QString::fromUtf8(c.name))) << error.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, StatementFailure, ::testing::Values(
    FailureCase{"bad-amount.csv", {}, {}, 3, "the amount \"12.3.4\" is no number"},
    FailureCase{"broken-off.ofx", {}, {}, 0, "breaks off inside a transaction"},
    FailureCase{"letter.txt", {}, {}, 0, "is no bank statement"},
    FailureCase{"report.xml", {}, {}, 0, "no OFX or CAMT.053 statement"},
    FailureCase{"statement.pdf", "%PDF-1.7\n%\xE2\xE3\n1 0 obj", {}, 0, "is a PDF document"},
    FailureCase{"empty.csv", " \n\n", {}, 0, "is empty"},
    FailureCase{"both-orders.csv", "Date,Payee,Amount\n13/01/2024,A,1\n01/13/2024,B,2\n", {}, 3,
                "\"01/13/2024\" puts the month first, but \"13/01/2024\" on line 2 puts the day first"},
    FailureCase{"open-quote.csv", "Date,Payee,Amount\n2024-01-02,\"Shop,1\n2024-01-03,Shop,2\n", {}, 2, "never closed"},
    FailureCase{"no-date.qif", "!Type:Bank\nT-5.00\nPShop\n^\n", {}, 2, "has no date"},
    FailureCase{"cut.xml", "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.04\">"
                           "<BkToCstmrStmt><Stmt><Ntry><Amt>1.00</Amt>", {}, 1, "no well-formed XML"},
    FailureCase{"camt054.xml", "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.054.001.02\"/>", {}, 0,
                "not a CAMT.053 statement"},
    FailureCase{"table.csv", "Date,Payee,Amount\n2024-01-02,Shop,1\n", Format::Qif, 0, "is no QIF file"},
    FailureCase{"names.csv", "Name,Town\nAnna,Bonn\nBen,Graz\n", Format::Csv, 0, "no column holds the dates"}));

} // namespace
} // namespace tallymere::import
