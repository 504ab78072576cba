// Read transactions into the ledger: what each becomes, what a later import finds there, what
// an entry typed by hand looks like to it, one transaction, one undo step.

#include <gtest/gtest.h>

#include <QDate>

#include "core/db/connection.h"
#include "core/import/importplan.h"
#include "core/ledger/ledger.h"
#include "support/ledgerfile.h"
#include "support/testenvironment.h"

namespace tallymere {
namespace {

using namespace import;

BankTransaction payment(int day, const char *amount, const char *payee, const char *memo = "", const char *bankId = "")
{
    static int line = 1;
    BankTransaction t;
    t.date = QDate(2024, 3, day);
    t.amount = QString::fromLatin1(amount);
    t.payee = QString::fromUtf8(payee);
    t.memo = QString::fromUtf8(memo);
    t.bankId = QString::fromLatin1(bankId);
    t.line = ++line;
    return t;
}

class ImportPlanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::makeLedger(path);
        ledger.openFile(path);
    }

    ImportPlan plan(std::vector<BankTransaction> transactions, const QString &file = QStringLiteral("statement.csv"))
    {
        BankStatement statement;
        statement.transactions = std::move(transactions);
        return planImport(ledger.connection(), statement, file);
    }

    /// Imports the transactions the plan finds new, as the command does.
    ImportResult importNew(const ImportPlan &p)
    {
        std::vector<std::size_t> chosen;
        for (std::size_t i = 0; i < p.entries.size(); ++i) {
            if (p.entries[i].status == EntryStatus::New)
                chosen.push_back(i);
        }
        return writeImport(ledger, p, chosen, true);
    }

    static std::vector<EntryStatus> statuses(const ImportPlan &p)
    {
        std::vector<EntryStatus> result;
        for (const PlannedEntry &e : p.entries)
            result.push_back(e.status);
        return result;
    }

    /// Another program's change to the ledger file.
    void elsewhere(const QString &statement)
    {
        Connection other;
        other.openFile(path);
        other.Execute(statement);
    }

    test::TestEnvironment env;
    QString path = env.path(QStringLiteral("dbExpense.mdb"));
    Ledger ledger;
};

constexpr auto New = EntryStatus::New;
constexpr auto InLedger = EntryStatus::InLedger;
constexpr auto Typed = EntryStatus::PossiblyTyped;

TEST_F(ImportPlanTest, entriesAreStoredAsTheSaveStoresThemAndASecondImportAddsNothing)
{
    const std::vector<BankTransaction> file{payment(1, "-0110.70", "TESCO", "Card 1234", "F1"),
                                            payment(2, "2500", "ACME LTD", "Salary March"),
                                            payment(3, "-5.5", "Coffee Bar", "coffee bar")};
    const ImportPlan first = plan(file);
    EXPECT_EQ(statuses(first), (std::vector{New, New, New}));
    const ImportResult written = importNew(first);
    EXPECT_EQ(written.income, 1);
    EXPECT_EQ(written.expenses, 2);
    const test::Rows expenses{{"1", "2024-03-01", "Uncategorised", "110.70", "TESCO \u2013 Card 1234"},
                              {"2", "2024-03-03", "Uncategorised", "5.5", "Coffee Bar"}};
    const test::Rows income{{"1", "2024-03-02", "Uncategorised", "2500", "ACME LTD \u2013 Salary March"}};
    EXPECT_EQ(test::readRows(path, "expenses"), expenses);
    EXPECT_EQ(test::readRows(path, "income"), income);

    // The same file again, even with the amounts written with other decimals.
    std::vector<BankTransaction> again = file;
    again[0].amount = QStringLiteral("-110.7");
    again[1].amount = QStringLiteral("2500.00");
    const ImportPlan second = plan(again);
    EXPECT_EQ(statuses(second), (std::vector{InLedger, InLedger, InLedger}));
    EXPECT_EQ(importNew(second).expenses, 0);
    EXPECT_EQ(test::readRows(path, "expenses"), expenses);
    EXPECT_EQ(test::readRows(path, "income"), income);
}

TEST_F(ImportPlanTest, keysAnEarlierReleaseWroteAsTextsStillFindTheirEntries)
{
    const std::vector<BankTransaction> file{payment(1, "-110.70", "TESCO", "", "F1"), payment(2, "-5.50", "Coffee")};
    importNew(plan(file));
    // The key table as the earlier release wrote it: texts joined by the unit separator.
    elsewhere(QStringLiteral("delete from import_keys"));
    elsewhere(QStringLiteral("insert into import_keys values ('2024-03-01\x1f-110.7\x1fid\x1f" "F1\x1f" "1', 0, 1), "
                             "('2024-03-02\x1f-5.5\x1ftext\x1f" "Coffee\x1f\x1f\x1f" "1', 0, 2)"));
    EXPECT_EQ(statuses(plan(file)), (std::vector{InLedger, InLedger}));
    // Keys of both forms side by side: a later import finds each.
    std::vector<BankTransaction> longer = file;
    longer.push_back(payment(3, "-2.00", "Kiosk"));
    importNew(plan(longer));
    EXPECT_EQ(statuses(plan(longer)), (std::vector{InLedger, InLedger, InLedger}));
    EXPECT_EQ(test::readRows(path, "expenses").size(), 3u);
}

TEST_F(ImportPlanTest, anOverlappingStatementFindsTheDaysItShares)
{
    std::vector<BankTransaction> march1to10;
    std::vector<BankTransaction> march6to15;
    for (int day = 1; day <= 15; ++day) {
        const BankTransaction t = payment(day, day % 2 ? "-12.00" : "40.10", "Shop", "");
        if (day <= 10)
            march1to10.push_back(t);
        if (day >= 6)
            march6to15.push_back(t);
    }
    importNew(plan(march1to10));
    const ImportPlan overlap = plan(march6to15);
    std::vector<EntryStatus> expected(5, InLedger);
    expected.resize(10, New);
    EXPECT_EQ(statuses(overlap), expected);
    importNew(overlap);
    EXPECT_EQ(test::readRows(path, "expenses").size() + test::readRows(path, "income").size(), 15u);
}

TEST_F(ImportPlanTest, identicalPaymentsInOneFileAreEachAnEntry)
{
    const BankTransaction ticket = payment(4, "-2.90", "City Transit", "Ticket");
    importNew(plan({ticket, ticket}));
    EXPECT_EQ(test::readRows(path, "expenses").size(), 2u);
    // A later statement of the same day shows a third ticket: only that one is new.
    EXPECT_EQ(statuses(plan({ticket, ticket, ticket})), (std::vector{InLedger, InLedger, New}));
    // Two payments the bank told apart by their IDs stay apart too.
    const ImportPlan ids = plan({payment(5, "-9.99", "Stream", "", "A1"), payment(5, "-9.99", "Stream", "", "A2")});
    EXPECT_EQ(statuses(ids), (std::vector{New, New}));
}

TEST_F(ImportPlanTest, oneUndoTakesTheWholeImportBackAndRedoBringsItAgain)
{
    const std::vector<BankTransaction> file{payment(1, "-1.00", "A"), payment(2, "3.00", "B"), payment(3, "-4.00", "C")};
    importNew(plan(file));
    const test::Rows expenses = test::readRows(path, "expenses");
    ASSERT_TRUE(ledger.canUndo());
    EXPECT_EQ(ledger.undoText(), QStringLiteral("import of 3 entries from statement.csv"));

    EXPECT_EQ(ledger.undo(), Ledger::Outcome::Done);
    EXPECT_TRUE(test::readRows(path, "expenses").empty());
    EXPECT_TRUE(test::readRows(path, "income").empty());
    EXPECT_FALSE(ledger.canUndo());
    EXPECT_EQ(statuses(plan(file)), (std::vector{New, New, New})); // undone is not in the ledger

    EXPECT_EQ(ledger.redoText(), QStringLiteral("import of 3 entries from statement.csv"));
    EXPECT_EQ(ledger.redo(), Ledger::Outcome::Done);
    EXPECT_EQ(test::readRows(path, "expenses"), expenses); // with their own numbers
    EXPECT_EQ(statuses(plan(file)), (std::vector{InLedger, InLedger, InLedger}));

    // Another program changes one of the entries: the import is no longer the program's to take
    // back, and not one entry of it goes.
    elsewhere(QStringLiteral("update expenses set amount='4.50' where particulars='C'"));
    EXPECT_EQ(ledger.undo(), Ledger::Outcome::Refused);
    EXPECT_EQ(test::readRows(path, "expenses").size(), 2u);
    EXPECT_EQ(test::readRows(path, "income").size(), 1u);
    EXPECT_FALSE(ledger.canUndo());
}

TEST_F(ImportPlanTest, aWriteThatFailsHalfWayWritesNothingAndSaysWhere)
{
    elsewhere(QStringLiteral("create trigger full before insert on expenses when new.particulars='Third' "
                             "begin select raise(abort, 'database or disk is full'); end"));
    std::vector<BankTransaction> file{payment(1, "-1.00", "First"), payment(2, "-2.00", "Second"),
                                      payment(3, "-3.00", "Third"), payment(4, "-4.00", "Fourth")};
    const ImportPlan p = plan(file);
    try {
        importNew(p);
        FAIL() << "the import went through";
    } catch (const WriteError &error) {
        EXPECT_EQ(error.line(), file[2].line);
        EXPECT_EQ(error.description(),
                  QStringLiteral("statement.csv, line %1: database or disk is full").arg(file[2].line));
    }
    EXPECT_TRUE(test::readRows(path, "expenses").empty());
    EXPECT_FALSE(ledger.canUndo());
    EXPECT_EQ(statuses(plan(file)), (std::vector{New, New, New, New}));
}

TEST_F(ImportPlanTest, anEntryTypedByHandNearTheDayWithTheAmountMayBeTheTransaction)
{
    test::insertRow(path, "expenses", "2024-03-13", "Car", "110.7", "Garage");
    test::insertRow(path, "expenses", "3/20/2024", "Car", "60", "Tyres"); // an older entry's date form
    const ImportPlan p = plan({payment(10, "-110.70", "GARAGE SMITH"), payment(11, "-110.70", "GARAGE SMITH"),
                               payment(17, "-60.00", "TYRES4U"), payment(12, "110.70", "Refund"),
                               payment(25, "-60.00", "TYRES4U")});
    // Each entry typed by hand stands for one transaction at most, the nearest; an income is
    // never an expense typed by hand, nor is a payment a week away.
    EXPECT_EQ(statuses(p), (std::vector{New, Typed, Typed, New, New}));

    // What an import wrote is no entry typed by hand.
    importNew(plan({payment(1, "-33.00", "Bakery")}));
    EXPECT_EQ(statuses(plan({payment(2, "-33.00", "Bakery Two")})), (std::vector{New}));
}

TEST_F(ImportPlanTest, theCategoryIsTheFilesElseTheOneEarlierEntriesOfThePayeeMostUseElseUncategorised)
{
    for (const auto &[category, particulars] : {std::pair{"Groceries", "TESCO STORES \u2013 weekly shop"},
                                                {"Groceries", "Tesco Stores"},
                                                {"Food", "tesco stores 3297"},
                                                {"Uncategorised", "TESCO STORES"},
                                                {"Uncategorised", "TESCO STORES"},
                                                {"Fuel", "Shell Garage"},
                                                {"Car", "Shell Garage"}})
        test::insertRow(path, "expenses", "2024-01-01", category, "1", particulars);
    test::insertRow(path, "income", "2024-01-01", "Salary", "1", "ACME LTD");

    BankTransaction fromFile = payment(1, "-3.00", "TESCO STORES");
    fromFile.category = QStringLiteral("Household");
    BankTransaction transfer = payment(1, "-3.00", "TESCO STORES");
    transfer.category = QStringLiteral("[Savings]");
    transfer.transfer = true;
    BankTransaction cheque = payment(1, "-80.00", "");
    cheque.checkNumber = QStringLiteral("1042");
    BankTransaction typed = payment(1, "-80.00", "");
    typed.kind = QStringLiteral("ATM");
    const ImportPlan p = plan({payment(1, "-3.00", "Tesco Stores"), fromFile, transfer, payment(1, "-3.00", "Shell Garage"),
                               payment(1, "-3.00", "ACME LTD"), payment(1, "900", "ACME LTD"), cheque, typed,
                               payment(1, "-3.00", "", "Standing order 7")});
    const std::vector<std::pair<QString, QString>> expected{
        {QStringLiteral("Groceries"), QStringLiteral("Tesco Stores")},  // most used, case aside
        {QStringLiteral("Household"), QStringLiteral("TESCO STORES")},  // the file's own
        {QStringLiteral("Groceries"), QStringLiteral("TESCO STORES")},  // a transfer's is not
        {QStringLiteral("Car"), QStringLiteral("Shell Garage")},        // a tie: the later entry
        {QStringLiteral("Uncategorised"), QStringLiteral("ACME LTD")},  // income teaches no expense
        {QStringLiteral("Salary"), QStringLiteral("ACME LTD")},
        {QStringLiteral("Uncategorised"), QStringLiteral("Cheque 1042")},
        {QStringLiteral("Uncategorised"), QStringLiteral("ATM")},
        {QStringLiteral("Uncategorised"), QStringLiteral("Standing order 7")},
    };
    ASSERT_EQ(p.entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(p.entries[i].name, expected[i].first) << i;
        EXPECT_EQ(p.entries[i].particulars, expected[i].second) << i;
    }
}

TEST_F(ImportPlanTest, anUndecidedDateOrderIsNeverGuessed)
{
    BankStatement statement;
    statement.transactions = {payment(1, "-1.00", "A")};
    statement.transactions[0].date = QDate();
    statement.dateOrderUndecided = true;
    EXPECT_THROW(planImport(ledger.connection(), statement, QStringLiteral("s.qif")), Error);
}

} // namespace
} // namespace tallymere
