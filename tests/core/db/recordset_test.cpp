#include "core/db/recordset.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "support/errorof.h"
#include "support/ledgerfile.h"

namespace tallymere {
namespace {

using test::Row;
using test::Rows;

/// An open connection to a ledger with both tables in a fresh program folder.
struct OpenLedger
{
    QTemporaryDir dir;
    QString path = ledgerPath(dir.path());
    Connection connection;

    OpenLedger()
    {
        test::makeLedger(path);
        connection.Open(connectionStringFor(dir.path()));
    }
};

using test::errorOf;

/// Reads every row as the list fill does: by column name, until the end of the rows.
Rows fill(const Connection &connection, const QString &statement, const char *textColumn)
{
    Rows rows;
    Recordset rs;
    rs.Open(statement, connection, CursorType::Static, LockType::ReadOnly);
    while (!rs.Eof()) {
        Row row;
        for (const char *column : {"sr_no", "date", textColumn, "amount", "particulars"})
            row.push_back(rs.Fields(QString::fromLatin1(column)).toStdString());
        rows.push_back(row);
        rs.MoveNext();
    }
    return rows;
}

TEST(Recordset, selectAllReadsEveryRowInAscendingSrNo)
{
    OpenLedger ledger;
    EXPECT_TRUE(fill(ledger.connection, QStringLiteral("select * from [income]"), "source").empty());
    for (const char *source : {"A", "B", "C"})
        test::insertRow(ledger.path, "income", "2021-12-05", source, "12.50", std::nullopt);
    ledger.connection.Execute(QStringLiteral("delete from [income] where sr_no=2"));
    test::insertRow(ledger.path, "income", "2021-12-06", "D", "0012", "");
    test::insertRow(ledger.path, "expenses", std::nullopt, "Rent", "700", "May");
    EXPECT_EQ(fill(ledger.connection, QStringLiteral("select * from [income]"), "source"),
              (Rows{{"1", "2021-12-05", "A", "12.50", ""},
                    {"3", "2021-12-05", "C", "12.50", ""},
                    {"4", "2021-12-06", "D", "0012", ""}}));
    EXPECT_EQ(fill(ledger.connection, QStringLiteral("select * from [expenses]"), "category"),
              (Rows{{"1", "", "Rent", "700", "May"}}));
}

TEST(Recordset, selectBySrNoGivesThatRowByNameOrPosition)
{
    OpenLedger ledger;
    test::insertRow(ledger.path, "expenses", "2021-01-01", "Food", "5", "x");
    test::insertRow(ledger.path, "expenses", "2021-01-02", "Rent", "700", std::nullopt);
    Recordset rs;
    rs.Open(QStringLiteral("select * from [expenses] where sr_no=2"), ledger.connection, 3, 1);
    ASSERT_FALSE(rs.Eof());
    const char *expected[] = {"2", "2021-01-02", "Rent", "700", ""};
    const char *names[] = {"SR_NO", "Date", "CATEGORY", "Amount", "Particulars"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rs.Fields(i).toStdString(), expected[i]);
        EXPECT_EQ(rs.Fields(QString::fromLatin1(names[i])).toStdString(), expected[i]);
        EXPECT_EQ(rs.fieldUtf8(i), expected[i]);
        EXPECT_EQ(rs.columnPosition(QString::fromLatin1(names[i])), i);
    }
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());

    rs.Open(QStringLiteral("select * from [income] where sr_no=2"), ledger.connection, 3, 1);
    EXPECT_TRUE(rs.Eof());
}

TEST(Recordset, valuesReadAsTheTextTheEngineGivesThem)
{
    OpenLedger ledger;
    Recordset rs;
    rs.Open(QStringLiteral("select 7, 12.5, null, '', ' 12.50 '"), ledger.connection);
    const Row expected{"7", "12.5", "", "", " 12.50 "};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rs.Fields(i).toStdString(), expected[std::size_t(i)]);
}

class RecordsetText : public testing::TestWithParam<std::string>
{
};

TEST_P(RecordsetText, keepsTextIntactThroughSaveAndRead)
{
    OpenLedger ledger;
    const QString text = QString::fromStdString(GetParam());
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    ledger.connection.Execute(QStringLiteral("insert into [income] ([date],[source],[amount],[particulars]) "
                                             "values ('2021-12-05','%1','1','%1')")
                                  .arg(quoted));
    Recordset rs;
    rs.Open(QStringLiteral("select * from [income] where sr_no=1"), ledger.connection);
    EXPECT_EQ(rs.Fields(QStringLiteral("source")), text);
    EXPECT_EQ(rs.fieldUtf8(4), GetParam());
    EXPECT_EQ(test::readRows(ledger.path, "income").at(0).at(2), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Texts, RecordsetText,
                         testing::Values("Landlord's fee", "'", "Café crème, Ærø, naïve",
                                         "家計簿 收入 가계부", "Coffee ☕ 💰🧾",
                                         "שכר דירה مصاريف الإيجار", std::string(10000, 'a') + "z",
                                         "line one\nline two\t; --"));

TEST(Recordset, readingWithoutCurrentRowOrUnknownColumnThrowsClearText)
{
    OpenLedger ledger;
    Recordset rs;
    EXPECT_EQ(errorOf([&] { rs.Fields(0); }), "The recordset is not open.");
    test::insertRow(ledger.path, "income", "2021-01-01", "Gift", "5", "x");
    rs.Open(QStringLiteral("select * from [income]"), ledger.connection);
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("category")); }),
              "The recordset has no column named category.");
    EXPECT_EQ(errorOf([&] { rs.Fields(5); }), "The recordset has no column number 5.");
    EXPECT_EQ(errorOf([&] { rs.Fields(-1); }), "The recordset has no column number -1.");
    rs.MoveNext();
    ASSERT_TRUE(rs.Eof());
    const std::string atEnd = "The recordset has no current row: it is at its end.";
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("date")); }), atEnd);
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), atEnd);
    rs.Close();
    EXPECT_EQ(rs.State(), 0);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("date")); }), "The recordset is not open.");
}

TEST(Recordset, openFailsWithEngineTextOrNotOpen)
{
    Connection closed;
    Recordset rs;
    EXPECT_EQ(errorOf([&] { rs.Open(QStringLiteral("select * from [income]"), closed); }),
              "The connection to the ledger is not open.");

    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFile(ledgerPath(dir.path())));
    Connection connection;
    connection.Open(connectionStringFor(dir.path()));
    EXPECT_EQ(errorOf([&] { rs.Open(QStringLiteral("select * from [income]"), connection); }),
              "no such table: income");
    EXPECT_EQ(rs.State(), 0);
    EXPECT_TRUE(rs.Eof());
}

TEST(Recordset, failedMoveNextEndsTheRows)
{
    OpenLedger ledger;
    for (int i = 0; i < 3; ++i)
        test::insertRow(ledger.path, "income", "2021-01-01", "Gift", "5", "x");
    Recordset rs;
    // The second row's value overflows, so the engine fails on the step that reaches it.
    rs.Open(QStringLiteral("select case when sr_no=2 then abs(-9223372036854775807-1) else sr_no end "
                           "from [income]"),
            ledger.connection);
    EXPECT_EQ(rs.Fields(0), QStringLiteral("1"));
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), "integer overflow");
    EXPECT_TRUE(rs.Eof());
}

TEST(Recordset, readWaitsBrieflyThenFailsWhileAnotherProcessWritesTheFile)
{
    OpenLedger ledger;
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(ledger.path).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    Recordset rs;
    EXPECT_EQ(errorOf([&] { rs.Open(QStringLiteral("select * from [income]"), ledger.connection); }),
              "database is locked");
    EXPECT_TRUE(rs.Eof());
    sqlite3_close(other);
}

TEST(Recordset, connectionMayCloseBeforeItsRecordset)
{
    OpenLedger ledger;
    test::insertRow(ledger.path, "income", "2021-01-01", "Gift", "5", "x");
    Recordset rs;
    rs.Open(QStringLiteral("select * from [income]"), ledger.connection);
    ledger.connection.Close();
    rs.Close();
    // The file is released: a new connection writes at once.
    ledger.connection.Open(connectionStringFor(ledger.dir.path()));
    ledger.connection.Execute(QStringLiteral("delete from [income] where sr_no=1"));
    EXPECT_TRUE(test::readRows(ledger.path, "income").empty());
}

} // namespace
} // namespace tallymere
