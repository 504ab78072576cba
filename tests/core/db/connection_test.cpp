#include "core/db/connection.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/db/ledgerschema.h"
#include "core/db/recordset.h"
#include "support/errorof.h"
#include "support/ledgerfile.h"

namespace tallymere {
namespace {

using test::Rows;

/// A ledger with both tables in a fresh program folder.
struct TempLedger
{
    QTemporaryDir dir;
    QString path = ledgerPath(dir.path());

    TempLedger() { test::makeLedger(path); }
    QString connectionString() const { return connectionStringFor(dir.path()); }
};

using test::errorOf;

TEST(Connection, opensLedgerNamedByConnectionTextAndClosesIt)
{
    TempLedger ledger;
    Connection connection;
    connection.Open(ledger.connectionString());
    EXPECT_NE(connection.State(), 0);
    connection.Close();
    EXPECT_EQ(connection.State(), 0);
    connection.Close();
    connection.Open(ledger.connectionString());
    EXPECT_NE(connection.State(), 0);
}

TEST(Connection, connectionItemFindsItemWithoutRegardToCase)
{
    EXPECT_EQ(Connection::connectionItem(
                  QStringLiteral("PROVIDER=x;data source=/a/b.mdb;Persist Security Info=False"),
                  QStringLiteral("Data Source")),
              QStringLiteral("/a/b.mdb"));
    EXPECT_EQ(Connection::connectionItem(QStringLiteral("PROVIDER=x"), QStringLiteral("Data Source")),
              QString());
    EXPECT_EQ(Connection::connectionItem(connectionStringFor(QStringLiteral("/my;folder")),
                                         QStringLiteral("Data Source")),
              QStringLiteral("/my;folder/dbExpense.mdb"));
}

TEST(Connection, openFailsWithoutCreatingWhenFileIsMissing)
{
    QTemporaryDir dir;
    Connection connection;
    EXPECT_EQ(errorOf([&] { connection.Open(connectionStringFor(dir.path())); }),
              "unable to open database file");
    EXPECT_EQ(connection.State(), 0);
    EXPECT_FALSE(QFile::exists(ledgerPath(dir.path())));
    EXPECT_EQ(errorOf([&] { connection.Open(QStringLiteral("PROVIDER=x")); }),
              "The connection text names no Data Source.");
}

TEST(Connection, openFailsOnFolderAndOnFileThatIsNoDatabase)
{
    QTemporaryDir dir;
    Connection connection;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dbExpense.mdb")));
    EXPECT_EQ(errorOf([&] { connection.Open(connectionStringFor(dir.path())); }),
              "unable to open database file");
    EXPECT_EQ(connection.State(), 0);

    QTemporaryDir other;
    const QString text = ledgerPath(other.path());
    ASSERT_TRUE(test::writeFile(text, QByteArray(8192, 'x')));
    const test::FileStamp before = test::fileStamp(text);
    EXPECT_EQ(errorOf([&] { connection.Open(connectionStringFor(other.path())); }), "file is not a database");
    EXPECT_EQ(connection.State(), 0);
    EXPECT_EQ(test::fileStamp(text), before);
}

TEST(Connection, openFailsWithoutReadPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempLedger ledger;
    ASSERT_TRUE(QFile::setPermissions(ledger.path, QFileDevice::WriteOwner));
    Connection connection;
    EXPECT_EQ(errorOf([&] { connection.Open(ledger.connectionString()); }), "unable to open database file");
    EXPECT_EQ(connection.State(), 0);
}

TEST(Connection, zeroByteFileOpensAsLedgerWithoutTables)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFile(ledgerPath(dir.path())));
    Connection connection;
    connection.Open(connectionStringFor(dir.path()));
    EXPECT_EQ(errorOf([&] { connection.Execute(QStringLiteral("delete from [income] where sr_no=1")); }),
              "no such table: income");
    EXPECT_EQ(QFileInfo(ledgerPath(dir.path())).size(), 0);
}

TEST(Connection, insertGivesEveryEntryItsOwnSrNo)
{
    TempLedger ledger;
    Connection connection;
    connection.Open(ledger.connectionString());
    const QString income = QStringLiteral("insert into [income] ([date],[source],[amount],[particulars]) "
                                          "values ('2021-12-05','Salary','1500','December')");
    connection.Execute(income);
    connection.Execute(income);
    connection.Execute(QStringLiteral("insert into [expenses] ([date],[category],[amount],[particulars]) "
                                      "values ('2021-12-06','Rent','12.50','Landlord''s fee')"));
    EXPECT_EQ(test::readRows(ledger.path, "income"),
              (Rows{{"1", "2021-12-05", "Salary", "1500", "December"},
                    {"2", "2021-12-05", "Salary", "1500", "December"}}));
    EXPECT_EQ(test::readRows(ledger.path, "expenses"),
              (Rows{{"1", "2021-12-06", "Rent", "12.50", "Landlord's fee"}}));
}

TEST(Connection, updateAndDeleteChangeOnlyTheNamedRow)
{
    TempLedger ledger;
    for (int i = 0; i < 3; ++i) {
        test::insertRow(ledger.path, "income", "2021-01-01", "Gift", "5", "x");
        test::insertRow(ledger.path, "expenses", "2021-01-01", "Food", "5", "x");
    }
    Connection connection;
    connection.Open(ledger.connectionString());
    connection.Execute(QStringLiteral("update [income] set [Date] = '2021-12-31',[Source] = 'Salary',"
                                      "[Amount] = '1500',[Particulars] = 'December' where sr_no=2"));
    connection.Execute(QStringLiteral("update [expenses] set [Date] = '2021-12-31',[Category] = 'Rent',"
                                      "[Amount] = '700',[Particulars] = 'It''s paid' where sr_no=3"));
    connection.Execute(QStringLiteral("delete from [income] where sr_no=1"));
    connection.Execute(QStringLiteral("delete from [expenses] where sr_no=2"));
    // Numbers that are gone change nothing and report nothing.
    connection.Execute(QStringLiteral("delete from [income] where sr_no=99"));
    connection.Execute(QStringLiteral("update [income] set [Date] = 'z',[Source] = 'z',[Amount] = 'z',"
                                      "[Particulars] = 'z' where sr_no=1"));
    EXPECT_EQ(
        test::readRows(ledger.path, "income"),
        (Rows{{"2", "2021-12-31", "Salary", "1500", "December"}, {"3", "2021-01-01", "Gift", "5", "x"}}));
    EXPECT_EQ(test::readRows(ledger.path, "expenses"),
              (Rows{{"1", "2021-01-01", "Food", "5", "x"}, {"3", "2021-12-31", "Rent", "700", "It's paid"}}));
}

TEST(Connection, executeRefusesSecondStatementAndChangesNothing)
{
    TempLedger ledger;
    test::insertRow(ledger.path, "income", "2021-01-01", "Gift", "5", "x");
    const Rows before = test::readRows(ledger.path, "income");
    Connection connection;
    connection.Open(ledger.connectionString());
    EXPECT_EQ(errorOf([&] {
                  connection.Execute(
                      QStringLiteral("insert into [income] ([date],[source],[amount],[particulars]) "
                                     "values ('a','b','1','x'); delete from [income] --')"));
              }),
              "Only one statement can be executed at a time.");
    EXPECT_EQ(test::readRows(ledger.path, "income"), before);
    // Blanks, a semicolon or a comment after the one statement are no second statement.
    connection.Execute(QStringLiteral("delete from [income] where sr_no=1 ; -- done\n"));
    EXPECT_TRUE(test::readRows(ledger.path, "income").empty());
}

TEST(Connection, failuresCarryEngineTextOrNotOpen)
{
    TempLedger ledger;
    Connection connection;
    EXPECT_EQ(errorOf([&] { connection.Execute(QStringLiteral("delete from [income] where sr_no=1")); }),
              "The connection to the ledger is not open.");
    connection.Open(ledger.connectionString());
    EXPECT_EQ(errorOf([&] {
                  connection.Execute(
                      QStringLiteral("insert into [income] ([date],[nosuch]) values ('a','b')"));
              }),
              "table income has no column named nosuch");
    EXPECT_TRUE(test::readRows(ledger.path, "income").empty());
}

TEST(Connection, saveWaitsBrieflyThenFailsWhileAnotherProcessHoldsTheFile)
{
    TempLedger ledger;
    Connection connection;
    connection.Open(ledger.connectionString());
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(ledger.path).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const QString insert = QStringLiteral("insert into [income] ([date]) values ('2021-12-05')");
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(errorOf([&] { connection.Execute(insert); }), "database is locked");
    EXPECT_GE(waited.elapsed(), 1000);
    EXPECT_LT(waited.elapsed(), 30000);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    connection.Execute(insert);
    EXPECT_EQ(test::readRows(ledger.path, "income").size(), 1u);
}

TEST(Connection, saveIsCommittedThroughRollbackJournalWithSyncedWrites)
{
    TempLedger ledger;
    Connection connection;
    connection.Open(ledger.connectionString());
    connection.Execute(QStringLiteral("insert into [income] ([date]) values ('2021-12-05')"));
    EXPECT_FALSE(QFile::exists(ledger.path + QStringLiteral("-journal")));
    Recordset settings;
    settings.Open(
        QStringLiteral("select journal_mode, synchronous from pragma_journal_mode, pragma_synchronous"),
        connection);
    EXPECT_EQ(settings.Fields(0), QStringLiteral("delete"));
    EXPECT_EQ(settings.Fields(1), QStringLiteral("3"));
}

TEST(Connection, openingAndReadingLeaveFileUnchanged)
{
    TempLedger ledger;
    test::insertRow(ledger.path, "income", "2021-01-01", "Gift", "5", "x");
    {
        QFile file(ledger.path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)),
                                     QFileDevice::FileModificationTime));
    }
    const test::FileStamp before = test::fileStamp(ledger.path);
    Connection connection;
    connection.Open(ledger.connectionString());
    Recordset rows;
    rows.Open(QStringLiteral("select * from [income]"), connection);
    while (!rows.Eof())
        rows.MoveNext();
    rows.Close();
    connection.Close();
    EXPECT_EQ(test::fileStamp(ledger.path), before);
    EXPECT_FALSE(QFile::exists(ledger.path + QStringLiteral("-journal")));
}

} // namespace
} // namespace tallymere
