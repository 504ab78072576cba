#include "core/db/ledgerschema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "support/ledgerfile.h"

namespace tallymere {
namespace {

/// The column names of a table, in order.
QStringList columnsOf(const QString &ledger, const QString &table)
{
    Connection connection;
    connection.openFile(ledger);
    Recordset rs;
    rs.Open(QStringLiteral("select name from pragma_table_info('%1') order by cid").arg(table), connection);
    QStringList names;
    for (; !rs.Eof(); rs.MoveNext())
        names << rs.Fields(0);
    return names;
}

struct CommandRun
{
    int exitCode;
    QString errors;
};

CommandRun newLedger(const QStringList &arguments, const QString &workingFolder = {})
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(TALLYMERE_NEWLEDGER), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(LedgerSchema, namesTheLedgerInTheProgramFolder)
{
    EXPECT_EQ(ledgerPath(QStringLiteral("/opt/tallymere")), QStringLiteral("/opt/tallymere/dbExpense.mdb"));
    EXPECT_EQ(connectionStringFor(QStringLiteral("/opt/tallymere")),
              QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/tallymere/dbExpense.mdb;"
                             "Persist Security Info=False"));
}

TEST(LedgerSchema, createLedgerMakesBothTablesEmptyInTheirColumnOrder)
{
    QTemporaryDir dir;
    const QString path = ledgerPath(dir.path());
    createLedger(path);
    EXPECT_EQ(columnsOf(path, QStringLiteral("income")),
              (QStringList{"sr_no", "date", "source", "amount", "particulars"}));
    EXPECT_EQ(columnsOf(path, QStringLiteral("expenses")),
              (QStringList{"sr_no", "date", "category", "amount", "particulars"}));
    EXPECT_TRUE(test::readRows(path, "income").empty());
    EXPECT_TRUE(test::readRows(path, "expenses").empty());
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
}

TEST(LedgerSchema, createLedgerNeverOverwritesWhatLiesAtThePath)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file.mdb"));
    QFile existing(file);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("my own notes");
    existing.close();
    const test::FileStamp before = test::fileStamp(file);
    const QString folder = dir.filePath(QStringLiteral("folder.mdb"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), link));

    for (const QString &path : {file, folder, link}) {
        try {
            createLedger(path);
            ADD_FAILURE() << "created over " << path.toStdString();
        } catch (const LedgerExists &error) {
            EXPECT_EQ(error.description(), path + QStringLiteral(" already exists."));
        }
    }
    EXPECT_EQ(test::fileStamp(file), before);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nowhere"))));
}

TEST(LedgerSchema, createLedgerFailureNamesThePathAndLeavesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/dbExpense.mdb"));
    try {
        createLedger(path);
        ADD_FAILURE() << "created in a missing folder";
    } catch (const LedgerExists &) {
        ADD_FAILURE() << "reported as existing";
    } catch (const Error &error) {
        EXPECT_TRUE(error.description().startsWith(path + QStringLiteral(" cannot be created: ")));
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST(LedgerSchema, companionCommandCreatesLedgerOnceAndLeavesItAfterwards)
{
    QTemporaryDir dir;
    const QString path = ledgerPath(dir.path());
    const CommandRun created = newLedger({path});
    EXPECT_EQ(created.exitCode, 0) << created.errors.toStdString();
    EXPECT_EQ(columnsOf(path, QStringLiteral("expenses")).size(), 5);
    test::insertRow(path, "income", "2021-12-05", "Salary", "1500", "December");
    const test::FileStamp before = test::fileStamp(path);

    const CommandRun again = newLedger({path});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.errors, path + QStringLiteral(" exists, left as it is.\n"));
    EXPECT_EQ(test::fileStamp(path), before);

    // A relative name is a plain file name even where the engine would read it as a URI.
    EXPECT_EQ(newLedger({QStringLiteral("file:other.mdb")}, dir.path()).exitCode, 0);
    EXPECT_EQ(columnsOf(dir.filePath(QStringLiteral("file:other.mdb")), QStringLiteral("income")).size(), 5);

    EXPECT_EQ(newLedger({dir.filePath(QStringLiteral("missing/dbExpense.mdb"))}).exitCode, 1);
    EXPECT_EQ(newLedger({}).exitCode, 1);
    // An option is no file name: nothing is created under it.
    const CommandRun help = newLedger({QStringLiteral("--help")}, dir.path());
    EXPECT_EQ(help.exitCode, 1);
    EXPECT_TRUE(help.errors.startsWith(QStringLiteral("usage: ")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("--help"))));
}

} // namespace
} // namespace tallymere
