// tallymere-import as a script runs it: its lines, its exit codes, and what it leaves in the
// ledger.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "core/db/connection.h"
#include "core/db/ledgerschema.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

struct CommandRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

class ImportCommandTest : public ::testing::Test
{
protected:
    void SetUp() override { test::makeLedger(ledger); }

    /// A statement file of the test folder with `text` as its content.
    QString file(const QString &name, const QByteArray &text)
    {
        const QString path = env.path(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }

    CommandRun run(QStringList arguments)
    {
        QProcess command;
        // The command reads the date order of older entries from the user's settings: the test's own.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env.settingsFolder());
        command.setProcessEnvironment(environment);
        command.start(QStringLiteral(TALLYMERE_IMPORT), arguments);
        if (!command.waitForFinished(60000))
            ADD_FAILURE() << "tallymere-import did not end";
        return {command.exitCode(), QString::fromUtf8(command.readAllStandardOutput()),
                QString::fromUtf8(command.readAllStandardError())};
    }

    test::TestEnvironment env;
    QString ledger = ledgerPath(env.folder());
    const QByteArray march = "Booking date;Payee;Purpose;Amount;Balance\n"
                             "01.03.2024;Bakery;Bread;-3,20;996,80\n"
                             "02.03.2024;Employer;Salary;2.100,00;3.096,80\n"
                             "02.03.2024;City Transit;Ticket;-2,90;3.093,90\n";
};

TEST_F(ImportCommandTest, dryRunPrintsEachTransactionAndWritesNothing)
{
    const QString statement = file(QStringLiteral("march.csv"), march);
    const CommandRun dry = run({QStringLiteral("--ledger"), ledger, QStringLiteral("--dry-run"), statement});
    EXPECT_EQ(dry.exitCode, 0) << dry.errors.toStdString();
    EXPECT_EQ(dry.output, QStringLiteral("expenses\t2024-03-01\tUncategorised\t3.20\tBakery \u2013 Bread\tnew\n"
                                         "income\t2024-03-02\tUncategorised\t2100.00\tEmployer \u2013 Salary\tnew\n"
                                         "expenses\t2024-03-02\tUncategorised\t2.90\tCity Transit \u2013 Ticket\tnew\n"));
    EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
    EXPECT_TRUE(test::readRows(ledger, "income").empty());
}

TEST_F(ImportCommandTest, importsWhatIsNewSkipsWhatIsThereAndWhatMayHaveBeenTyped)
{
    test::insertRow(ledger, "expenses", "2024-03-03", "Travel", "2.90", "Bus ticket"); // typed by hand
    const QString statement = file(QStringLiteral("march.csv"), march);
    const CommandRun first = run({QStringLiteral("--ledger"), ledger, statement});
    EXPECT_EQ(first.exitCode, 0) << first.errors.toStdString();
    EXPECT_EQ(first.output,
              QStringLiteral("Imported 2 entries (1 income, 1 expenses) from %1; 0 already in the ledger\n").arg(statement));
    EXPECT_TRUE(first.errors.contains(QStringLiteral("possibly typed already"))) << first.errors.toStdString();
    EXPECT_EQ(test::readRows(ledger, "expenses").size(), 2u);

    const CommandRun again = run({QStringLiteral("--ledger"), ledger, QStringLiteral("--include-possible"), statement});
    EXPECT_EQ(again.output,
              QStringLiteral("Imported 1 entries (0 income, 1 expenses) from %1; 2 already in the ledger\n").arg(statement));
    EXPECT_EQ(test::readRows(ledger, "expenses").size(), 3u);
    EXPECT_EQ(test::readRows(ledger, "income").size(), 1u);
}

TEST_F(ImportCommandTest, anAmountTooLargeForTheTotalsIsShownLeftOutAndNeverWritten)
{
    const QString statement = file(QStringLiteral("broker.csv"), "Date;Payee;Amount\n01.03.2024;Broker;-1234567890123456,78\n"
                                                                 "02.03.2024;Bakery;-3,20\n");
    const CommandRun dry = run({QStringLiteral("--ledger"), ledger, QStringLiteral("--dry-run"), statement});
    EXPECT_EQ(dry.output, QStringLiteral("expenses\t2024-03-01\tUncategorised\t1234567890123456.78\tBroker\t"
                                         "left out: the amount is too large\n"
                                         "expenses\t2024-03-02\tUncategorised\t3.20\tBakery\tnew\n"));
    const CommandRun real = run({QStringLiteral("--ledger"), ledger, statement});
    EXPECT_EQ(real.exitCode, 0) << real.errors.toStdString();
    EXPECT_TRUE(real.errors.contains(QStringLiteral("1 left out: the amount is too large"))) << real.errors.toStdString();
    EXPECT_EQ(test::readRows(ledger, "expenses"), (test::Rows{{"1", "2024-03-02", "Uncategorised", "3.20", "Bakery"}}));
}

/// The ledger as the command finds it.
enum class LedgerState { Usable, Missing, Locked };

struct ExitCase {
    const char *name;
    QByteArray content;
    QStringList options;
    LedgerState ledger;
    int exitCode;
    const char *saying; ///< what the message must say
};

void PrintTo(const ExitCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImportCommandExit : public ImportCommandTest, public ::testing::WithParamInterface<ExitCase>
{
};

TEST_P(ImportCommandExit, saysWhyAndWritesNothing)
{
    const ExitCase &c = GetParam();
    const QString statement = file(QStringLiteral("statement.csv"), c.content);
    QStringList arguments{QStringLiteral("--ledger"),
                          c.ledger == LedgerState::Missing ? env.path(QStringLiteral("none.mdb")) : ledger};
    arguments += c.options;
    arguments.append(statement);
    // Another program is writing the ledger: it can be read, not written.
    Connection writer;
    writer.openFile(ledger);
    if (c.ledger == LedgerState::Locked)
        writer.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    const CommandRun r = run(arguments);
    writer.Close();
    EXPECT_EQ(r.exitCode, c.exitCode) << r.errors.toStdString();
    EXPECT_TRUE(r.errors.contains(QString::fromUtf8(c.saying))) << r.errors.toStdString();
    EXPECT_TRUE(r.output.isEmpty()) << r.output.toStdString();
    EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
}

const QByteArray kOneRow = "Date,Payee,Amount\n2024-01-02,A,-1.00\n";

INSTANTIATE_TEST_SUITE_P(Cases, ImportCommandExit, ::testing::Values(
    ExitCase{"a_letter", "Dear Sir,\nplease find enclosed the invoice.\nKind regards\n", {}, LedgerState::Usable, 1,
             "statement.csv: "},
    ExitCase{"broken_amount_names_its_line", "Date,Payee,Amount\n2024-01-02,Shop,-1.50\n2024-01-03,Shop,1.2.3\n", {},
             LedgerState::Usable, 1, "statement.csv, line 3: "},
    ExitCase{"undecided_date_order", "Date,Payee,Amount\n01/02/2024,A,-1.00\n03/04/2024,B,2.00\n", {},
             LedgerState::Usable, 2, "--date-order"},
    ExitCase{"unknown_date_order", kOneRow, {QStringLiteral("--date-order"), QStringLiteral("ddmm")}, LedgerState::Usable,
             2, "--date-order must be"},
    ExitCase{"unknown_role", kOneRow, {QStringLiteral("--columns"), QStringLiteral("date,who,amount")},
             LedgerState::Usable, 2, "\"who\" is no role"},
    ExitCase{"no_ledger", kOneRow, {}, LedgerState::Missing, 3, "none.mdb: the ledger cannot be opened"},
    ExitCase{"ledger_being_written", kOneRow, {}, LedgerState::Locked, 3, "statement.csv, line 2: database is locked"}),
    [](const ::testing::TestParamInfo<ExitCase> &param) { return std::string(param.param.name); });

TEST_F(ImportCommandTest, theUsersChoicesReadAFileTheGuessWouldNot)
{
    // No header, the amount's sign in a column of its own kind, day-first dates that alone would not tell.
    const QString statement = file(QStringLiteral("export.txt"), "\n\n01/02/2024|Rent|x|750.00\n03/04/2024|Pay|x|1200.00\n");
    const CommandRun r = run({QStringLiteral("--ledger"), ledger, QStringLiteral("--dry-run"), QStringLiteral("--format"),
                       QStringLiteral("csv"), QStringLiteral("--delimiter"), QStringLiteral("|"), QStringLiteral("--skip"),
                       QStringLiteral("2"), QStringLiteral("--no-header"), QStringLiteral("--columns"),
                       QStringLiteral("date,payee,,debit"), QStringLiteral("--date-order"), QStringLiteral("dmy"), statement});
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(r.output, QStringLiteral("expenses\t2024-02-01\tUncategorised\t750.00\tRent\tnew\n"
                                       "expenses\t2024-04-03\tUncategorised\t1200.00\tPay\tnew\n"));
}

} // namespace
} // namespace tallymere
