// What the connection text can name: cases found by fuzzing the connection text.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/errors/error.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "support/ledgerfile.h"

namespace tallymere {
namespace {

TEST(ConnectionText, ledgerInAFolderWhoseNameHoldsSemicolonAndEqualsSignOpens)
{
    // A folder name is any text: "; x=y" in it must not read as another item of the text.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("books;owner=Ann"));
    ASSERT_TRUE(QDir().mkpath(folder));
    test::makeLedger(ledgerPath(folder));
    test::insertRow(ledgerPath(folder), "income", "2021-12-05", "Salary", "1500", "December");

    EXPECT_EQ(Connection::connectionItem(connectionStringFor(folder), QStringLiteral("Data Source")).toStdString(),
              ledgerPath(folder).toStdString());
    Connection connection;
    try {
        connection.Open(connectionStringFor(folder));
    } catch (const Error &error) {
        ADD_FAILURE() << error.description().toStdString();
    }
    EXPECT_EQ(connection.State(), 1);
}

TEST(ConnectionText, memoryIsAFileNameNotADatabaseInMemory)
{
    // The program never works on a ledger that is not a file: one in memory would take saves and
    // lose them all when the program ends. No file of that name exists here.
    ASSERT_FALSE(QFileInfo::exists(QDir::currentPath() + QStringLiteral("/:memory:")));
    Connection connection;
    EXPECT_THROW(connection.Open(QStringLiteral("Data Source=:memory:")), Error);
    EXPECT_EQ(connection.State(), 0);
    EXPECT_THROW(connection.openFile(QStringLiteral(":memory:")), Error);
    EXPECT_EQ(connection.State(), 0);
}

} // namespace
} // namespace tallymere
