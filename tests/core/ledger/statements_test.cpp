#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/ledger/statements.h"
#include "core/db/connection.h"
#include "core/db/recordset.h"
#include "support/ledgerfile.h"

namespace tallymere {
namespace {

using entrySql::SaveStatement;

struct StatementCase {
    const char *caption;
    const char *updateId;
    const char *secondLabel;
    QStringList values;
    const char *expected;
};

class EntryStatement : public ::testing::TestWithParam<StatementCase>
{
};

TEST_P(EntryStatement, isTheExactText)
{
    const StatementCase &c = GetParam();
    const QStringList labels{"Date:", QString::fromUtf8(c.secondLabel), "Amount:", "Particulars:"};
    EXPECT_EQ(SaveStatement::of(QString::fromUtf8(c.caption), QString::fromUtf8(c.updateId), labels, c.values)
                  .toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Saves, EntryStatement, ::testing::Values(
    StatementCase{"Add New Income", "", "Source:", {"2021-12-05", "Salary", "1500", "December"},
        "insert into [income] ([date],[source],[amount],[particulars]) values "
        "('2021-12-05','Salary','1500','December')"},
    StatementCase{"Update Expenses", "14", "Category:", {"2021-03-08", "Rent", "700", "March"},
        "update [expenses] set [Date] = '2021-03-08',[Category] = 'Rent',[Amount] = '700',"
        "[Particulars] = 'March' where sr_no=14"},
    StatementCase{"Update Income", "7", "Source:", {"2021-12-31", "Salary", "1500", "December"},
        "update [income] set [Date] = '2021-12-31',[Source] = 'Salary',[Amount] = '1500',"
        "[Particulars] = 'December' where sr_no=7"},
    StatementCase{"Add New Expenses", "", "Category:", {"2021-01-02", "Rent", "  12 ", "Landlord's fee"},
        "insert into [expenses] ([date],[category],[amount],[particulars]) values "
        "('2021-01-02','Rent','  12 ','Landlord''s fee')"},
    StatementCase{"ADD NEW INCOME", "", "Source:", {"2021-01-02", "'", "''", "'); delete from [income]; --"},
        "insert into [income] ([date],[source],[amount],[particulars]) values "
        "('2021-01-02','''','''''','''); delete from [income]; --')"},
    // The form's designed caption has no "income" in it: the expense table.
    StatementCase{"Form2", "", "Source/Cate:", {"d", "s", "a", "p"},
        "insert into [expenses] ([date],[category],[amount],[particulars]) values ('d','s','a','p')"}));

TEST(EntryStatement, namesComeFromTheLabelCaptions)
{
    EXPECT_EQ(entrySql::fieldName(QStringLiteral("Category:")), QStringLiteral("Category"));
    EXPECT_EQ(entrySql::fieldName(QStringLiteral(" Source/Cate: ")), QStringLiteral("Source/Cate"));
    EXPECT_EQ(entrySql::updateColumnName(QStringLiteral("Particulars:")), QStringLiteral("[Particulars]"));
    EXPECT_EQ(entrySql::updateColumnName(QStringLiteral("Sales tax:")), QStringLiteral("[Sales_tax]"));
    EXPECT_EQ(entrySql::updateColumnName(QStringLiteral("Source/Cate:")), QStringLiteral("[Source/Cate]"));
}

TEST(EntryStatement, selectsAndDeletesNameTheTableAndTheBareNumber)
{
    EXPECT_EQ(entrySql::selectEntryStatement(true, QStringLiteral("12")),
              QStringLiteral("select * from [income] where sr_no=12"));
    EXPECT_EQ(entrySql::selectEntryStatement(false, QStringLiteral("3")),
              QStringLiteral("select * from [expenses] where sr_no=3"));
    EXPECT_EQ(entrySql::deleteStatement(true, QStringLiteral("12")),
              QStringLiteral("delete from [income] where sr_no=12"));
    EXPECT_EQ(entrySql::deleteStatement(false, QStringLiteral("3")),
              QStringLiteral("delete from [expenses] where sr_no=3"));
}

QString randomText(QRandomGenerator &random)
{
    // Mostly quotes, brackets, blanks and statement punctuation, with letters of several scripts.
    static const QStringList pieces = QString::fromUtf8(
        "' ' ' \" [ ] ( ) ; , - -- \t \\ % _ a Z 0 9 é ß Ж 中文 عربي 😀 \u200F").split(QLatin1Char(' '))
        + QStringList{QStringLiteral(" ")};
    const int length = int(random.bounded(0, 40));
    QString text;
    for (int i = 0; i < length; ++i)
        text += pieces.at(int(random.bounded(qsizetype(pieces.size()))));
    return text;
}

TEST(EntryStatement, anyTextSentIsStoredAndReadBackExactly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dbExpense.mdb"));
    test::makeLedger(path);
    Connection ledger;
    ledger.openFile(path);
    QRandomGenerator random(20210831);
    ledger.Execute(QStringLiteral("BEGIN")); // one flush to disk for all rounds
    for (int round = 0; round < 300; ++round) {
        QStringList values;
        for (int i = 0; i < 4; ++i)
            values << randomText(random);
        const QStringList labels{"Date:", "Source:", "Amount:", "Particulars:"};
        const auto storedRow = [&](const QString &srNo) {
            Recordset rs;
            rs.Open(QStringLiteral("select * from [income] where sr_no=") + srNo, ledger);
            QStringList row;
            for (int i = 1; !rs.Eof() && i <= 4; ++i)
                row << rs.Fields(i);
            return row;
        };
        ledger.Execute(SaveStatement::of(QStringLiteral("Add New Income"), {}, labels, values));
        ASSERT_EQ(storedRow(QStringLiteral("(select max(sr_no) from [income])")), values) << "round " << round;
        ledger.Execute(SaveStatement::of(QStringLiteral("Update Income"), QStringLiteral("1"), labels, values));
        ASSERT_EQ(storedRow(QStringLiteral("1")), values) << "round " << round;
        ledger.Execute(QStringLiteral("delete from [income] where sr_no<>1"));
    }
    ledger.Execute(QStringLiteral("COMMIT"));
}

} // namespace
} // namespace tallymere
