#include "support/entryfixture.h"

#include <QPointer>

#include "ui/controls/pushbutton.h"
#include "core/db/connection.h"
#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

using test::EntryTest;

const QString kSaveLocation = QStringLiteral("in Coinfold2021/08/31.Form2.PushButton1_Click ");

class EntrySaveTest : public EntryTest
{
protected:
    /// Opens the add editor of the income list (or the expense list) of a started main window.
    Form2 &openAdd(bool income = true)
    {
        Form1 &w = main ? *main : start();
        if (income)
            w.PushButton1_Click();
        else
            w.PushButton7_Click();
        return editor();
    }

    void save() { editor().ui().PushButton1->click(); }

    std::string row1(const std::string &table, std::size_t column)
    {
        const test::Rows rows = test::readRows(ledger, table);
        return rows.empty() ? std::string("(no row)") : rows.front().at(column);
    }
};

TEST_F(EntrySaveTest, addingIncomeStoresTheEntryRefreshesAndCloses)
{
    setEuropeanDate(QStringLiteral("True"));
    openAdd();
    type(QStringLiteral("5/12/2021"), QStringLiteral("Salary"), QStringLiteral("1500"), QStringLiteral("December"));
    save();

    EXPECT_EQ(writes(), (std::vector<QString>{
        "insert into [income] ([date],[source],[amount],[particulars]) values "
        "('2021-12-05','Salary','1500','December')"}));
    EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2021-12-05", "Salary", "1500", "December"}}));
    ASSERT_EQ(main->ui().ListView1->items().itemCount(), 1);
    EXPECT_EQ(main->ui().ListView1->items().subItem(1, 2), QStringLiteral("2021-12-05"));
    EXPECT_EQ(main->ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1500"));
    EXPECT_EQ(main->ui().lblAvailableBalance->text(), QStringLiteral("Available Balance: 1500"));
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(EntrySaveTest, updatingAnExpenseChangesThatRowOnly)
{
    {
        // Entries numbered 13 and 14, as an older ledger might hold them.
        Connection setup;
        setup.openFile(ledger);
        setup.Execute(QStringLiteral("insert into expenses values (13, '2021-03-01', 'Food', '20', 'Market')"));
        setup.Execute(QStringLiteral("insert into expenses values (14, '2021-03-02', 'Rent', '650', 'Feb')"));
    }
    Form1 &w = start();
    select(w.ui().ListView2, 2);
    w.PushButton6_Click();
    ASSERT_EQ(editor().mUpdateID, QStringLiteral("14"));
    EXPECT_EQ(field(1)->text(), QStringLiteral("3/2/2021"));
    type(QStringLiteral("3/8/2021"), QStringLiteral("Rent"), QStringLiteral("700"), QStringLiteral("March"));
    save();

    EXPECT_EQ(writes(), (std::vector<QString>{
        "update [expenses] set [Date] = '2021-03-08',[Category] = 'Rent',[Amount] = '700',"
        "[Particulars] = 'March' where sr_no=14"}));
    EXPECT_EQ(test::readRows(ledger, "expenses"), (test::Rows{{"13", "2021-03-01", "Food", "20", "Market"},
                                                             {"14", "2021-03-08", "Rent", "700", "March"}}));
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 720"));
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
}

struct RefusalCase {
    bool income;
    const char *date;
    const char *text;
    const char *amount;
    const char *particulars;
    const char *message;
    int focusedField; // 0: the focus stays where it was
};

void PrintTo(const RefusalCase &c, std::ostream *os)
{
    *os << c.message;
}

class EntrySaveRefusal : public EntrySaveTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(EntrySaveRefusal, showsOneMessageWritesNothingAndKeepsWhatWasTyped)
{
    const RefusalCase &c = GetParam();
    setEuropeanDate(QStringLiteral("True"));
    Form2 &e = openAdd(c.income);
    QApplication::setActiveWindow(&e);
    e.ui().PushButton1->setFocus();
    const QStringList typed{QString::fromUtf8(c.date), QString::fromUtf8(c.text), QString::fromUtf8(c.amount),
                            QString::fromUtf8(c.particulars)};
    type(typed[0], typed[1], typed[2], typed[3]);
    save();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QString::fromUtf8(c.message));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::OkOnly);
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(test::readRows(ledger, c.income ? "income" : "expenses").empty());
    ASSERT_EQ(main->openForm2(), &e);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(field(i)->text(), typed[i - 1]);
    QWidget *focused = c.focusedField ? static_cast<QWidget *>(field(c.focusedField)) : e.ui().PushButton1;
    EXPECT_EQ(QApplication::focusWidget(), focused);
}

INSTANTIATE_TEST_SUITE_P(Fields, EntrySaveRefusal, ::testing::Values(
    // The date is tested first: an empty date is a bad date, not a missing input.
    RefusalCase{true, "", "", "", "", "Date is not proper format.", 0},
    RefusalCase{true, "31/2/2021", "Salary", "1", "x", "Date is not proper format.", 0},
    RefusalCase{true, "13/13/2021", "Salary", "1", "x", "Date is not proper format.", 0},
    RefusalCase{true, "0/0/0", "Salary", "1", "x", "Date is not proper format.", 0},
    RefusalCase{true, "29/2/2023", "Salary", "1", "x", "Date is not proper format.", 0},
    RefusalCase{true, "5 Dec 2021", "Salary", "1", "x", "Date is not proper format.", 0},
    // Only the first empty field is named.
    RefusalCase{true, "5/12/2021", "", "", "x", "You forgot to input Source", 2},
    RefusalCase{false, "5/12/2021", "", "", "x", "You forgot to input Category", 2},
    RefusalCase{true, "5/12/2021", "   ", "1", "x", "You forgot to input Source", 2},
    RefusalCase{true, "5/12/2021", "Salary", " \t ", "x", "You forgot to input Amount", 3},
    RefusalCase{false, "5/12/2021", "Rent", "1", "  ", "You forgot to input Particulars", 4}));

TEST_F(EntrySaveTest, dateIsReadInTheOrderSetNow)
{
    const auto typeOn = [this](const char *date) {
        type(QString::fromUtf8(date), QStringLiteral("S"), QStringLiteral("1"), QStringLiteral("p"));
    };
    // Month-first: 2/29/2023 is no date, neither is 29/2/2024; 2/29/2024 is.
    openAdd();
    typeOn("2/29/2023");
    save();
    typeOn("29/2/2024");
    save();
    typeOn("2/29/2024");
    save();

    // Day-first: 29/2/2024 is; ISO is read in either order.
    setEuropeanDate(QStringLiteral("True"));
    openAdd();
    typeOn("29/2/2024");
    save();
    openAdd();
    typeOn("2024-03-01");
    save();

    ASSERT_EQ(env.boxes().size(), 2u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Date is not proper format."));
    EXPECT_EQ(env.boxes()[1].text, QStringLiteral("Date is not proper format."));
    const test::Rows rows = test::readRows(ledger, "income");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1], "2024-02-29");
    EXPECT_EQ(rows[1][1], "2024-02-29");
    EXPECT_EQ(rows[2][1], "2024-03-01");
}

struct ValueCase {
    int field; // 2, 3 or 4
    QString text;
    QString stored = {}; // what the ledger keeps: the text itself when empty
    QString kept() const { return stored.isEmpty() ? text : stored; }
};

void PrintTo(const ValueCase &c, std::ostream *os)
{
    *os << "field " << c.field << ": " << c.text.left(40).toStdString();
}

class EntrySaveValue : public EntrySaveTest, public ::testing::WithParamInterface<ValueCase>
{
};

TEST_P(EntrySaveValue, isStoredAndReadBackAsTypedOrAsAPlainDecimal)
{
    const ValueCase &c = GetParam();
    openAdd();
    QStringList typed{QStringLiteral("8/3/2021"), QStringLiteral("Salary"), QStringLiteral("10"),
                      QStringLiteral("March")};
    typed[c.field - 1] = c.text;
    type(typed[0], typed[1], typed[2], typed[3]);
    save();

    EXPECT_TRUE(env.boxes().empty());
    ASSERT_EQ(row1("income", std::size_t(c.field)), c.kept().toStdString());
    EXPECT_EQ(row1("expenses", 0), "(no row)");
    // The list shows what is stored, and the update editor brings it back unchanged.
    EXPECT_EQ(main->ui().ListView1->items().subItem(1, c.field + 1), c.kept());
    main->PushButton2_Click();
    EXPECT_EQ(field(c.field)->text(), c.kept());
    save(); // an unchanged update keeps the row as it is
    EXPECT_EQ(row1("income", std::size_t(c.field)), c.kept().toStdString());
    EXPECT_EQ(row1("income", 1), "2021-08-03"); // month-first: 8 is the month
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(BadInput, EntrySaveValue, ::testing::Values(
    ValueCase{4, QStringLiteral("Landlord's fee")},
    ValueCase{4, QStringLiteral("'); delete from [income]; --")},
    ValueCase{2, QStringLiteral("' or '1'='1")},
    ValueCase{4, QString::fromUtf8("Café Müller, Straße")},
    ValueCase{4, QString::fromUtf8("家計簿 食費")},
    ValueCase{4, QString::fromUtf8("🎉🧾 party")},
    ValueCase{4, QString::fromUtf8("שכר דירה")},
    ValueCase{2, QString::fromUtf8("إيجار")},
    ValueCase{4, QString(10000, QLatin1Char('x'))},
    ValueCase{4, QStringLiteral("  blanks kept  ")},
    // A numeric amount is kept as a plain decimal with the typed decimals, so every reader of
    // the file reads the same number; anything else as typed.
    ValueCase{3, QStringLiteral("  12 "), QStringLiteral("12")},
    ValueCase{3, QStringLiteral("12a")},
    ValueCase{3, QStringLiteral("1e400")},
    ValueCase{3, QStringLiteral("1,234.50"), QStringLiteral("1234.50")},
    ValueCase{3, QStringLiteral("12,500"), QStringLiteral("12500")},
    ValueCase{3, QStringLiteral("-7")},
    ValueCase{3, QStringLiteral("+3.5"), QStringLiteral("3.5")},
    ValueCase{3, QStringLiteral(".5"), QStringLiteral("0.5")},
    ValueCase{3, QStringLiteral("1e3"), QStringLiteral("1000")},
    ValueCase{3, QStringLiteral("-1.25E-2"), QStringLiteral("-0.0125")},
    ValueCase{3, QStringLiteral("3250.00")}));

TEST_F(EntrySaveTest, amountTypedWithADecimalCommaIsKeptWithAPoint)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    openAdd();
    type(QStringLiteral("8/3/2021"), QStringLiteral("Salary"), QStringLiteral(" 1.012,50 "), QStringLiteral("March"));
    save();

    EXPECT_TRUE(env.boxes().empty());
    EXPECT_EQ(row1("income", 3), "1012.50");
    // The list shows the stored text; the total is written the desktop's way.
    EXPECT_EQ(main->ui().ListView1->items().subItem(1, 4), QStringLiteral("1012.50"));
    EXPECT_EQ(main->ui().lblTotalIncome->text(), QStringLiteral("Total Income: 1012,5"));
    // The update editor shows it as the user types numbers, and an unchanged save keeps it.
    main->PushButton2_Click();
    EXPECT_EQ(field(3)->text(), QStringLiteral("1012,50"));
    save();
    EXPECT_EQ(row1("income", 3), "1012.50");
    EXPECT_TRUE(env.boxes().empty());
}

enum class SaveKind { Add, Update };

class EntrySaveOnce : public EntrySaveTest, public ::testing::WithParamInterface<SaveKind>
{
};

TEST_P(EntrySaveOnce, pressesQueuedBehindASaveNeitherSaveAgainNorTouchTheClosingEditor)
{
    test::insertRow(ledger, "income", "2021-03-08", "Salary", "1500", "March");
    Form1 &w = start();
    if (GetParam() == SaveKind::Update)
        w.PushButton2_Click();
    else
        w.PushButton1_Click();
    QPointer<Form2> first = main->openForm2();
    type(QStringLiteral("3/9/2021"), QStringLiteral("Bonus"), QStringLiteral("200"), QStringLiteral("Extra"));

    // A double click on Save, then Cancel and an add command of the main window, all waiting in
    // the queue while the first click saves: the editor's closing step lets them run.
    QMetaObject::invokeMethod(first->ui().PushButton1, &QPushButton::click, Qt::QueuedConnection);
    QMetaObject::invokeMethod(first->ui().PushButton2, &QPushButton::click, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&w, &Form1::PushButton7_Click, Qt::QueuedConnection);
    save();

    const test::Rows rows = test::readRows(ledger, "income");
    if (GetParam() == SaveKind::Update)
        EXPECT_EQ(rows, (test::Rows{{"1", "2021-03-09", "Bonus", "200", "Extra"}}));
    else
        EXPECT_EQ(rows, (test::Rows{{"1", "2021-03-08", "Salary", "1500", "March"},
                                    {"2", "2021-03-09", "Bonus", "200", "Extra"}}));
    EXPECT_FALSE(first->isVisible());
    // The add command opened an editor of its own.
    Form2 *second = main->openForm2();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first.data());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Add New Expenses"));
    EXPECT_TRUE(second->mUpdateID.isEmpty());
    EXPECT_TRUE(env.boxes().empty());
    settle();
}

INSTANTIATE_TEST_SUITE_P(Kinds, EntrySaveOnce, ::testing::Values(SaveKind::Add, SaveKind::Update));

class EntrySaveVanished : public EntrySaveTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(EntrySaveVanished, updateOfADeletedEntryAsksAndLosesNothing)
{
    test::insertRow(ledger, "expenses", "2021-03-01", "Food", "20", "Market");
    Form1 &w = start();
    w.PushButton6_Click();
    Form2 &e = editor();
    type(QStringLiteral("3/2/2021"), QStringLiteral("Groceries"), QStringLiteral("25"), QStringLiteral("Market"));
    {
        Connection other; // another program deletes the entry meanwhile
        other.openFile(ledger);
        other.Execute(QStringLiteral("delete from expenses where sr_no=1"));
    }
    env.answerNext(GetParam());
    save();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("This entry is no longer in the ledger. Save it as a new entry?"));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::YesNo);
    EXPECT_EQ(env.boxes()[0].caption, platform::applicationTitle());
    if (GetParam() == platform::MessageResult::Yes) {
        EXPECT_EQ(test::readRows(ledger, "expenses"), (test::Rows{{"2", "2021-03-02", "Groceries", "25", "Market"}}));
        EXPECT_EQ(w.ui().ListView2->items().itemCount(), 1);
        EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 25"));
        EXPECT_EQ(main->openForm2(), nullptr);
    } else {
        EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
        EXPECT_EQ(w.ui().ListView2->items().itemCount(), 0);
        ASSERT_EQ(main->openForm2(), &e);
        EXPECT_TRUE(e.isVisible());
        EXPECT_EQ(e.mUpdateID, QStringLiteral("1"));
        EXPECT_EQ(field(2)->text(), QStringLiteral("Groceries"));
        EXPECT_EQ(field(3)->text(), QStringLiteral("25"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, EntrySaveVanished, ::testing::Values(platform::MessageResult::Yes, platform::MessageResult::No));

class EntrySaveOverAnotherCopy : public EntrySaveTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(EntrySaveOverAnotherCopy, asksBeforeWritingOverWhatTheOtherCopySavedMeanwhile)
{
    test::insertRow(ledger, "income", "2021-05-01", "Salary", "100", "May");
    Form1 &mine = start();
    Form1 other; // a second copy of the program on the same ledger
    other.Form_Load();
    select(mine.ui().ListView1, 1);
    mine.PushButton2_Click();
    select(other.ui().ListView1, 1);
    other.PushButton2_Click();
    Form2 &late = *other.openForm2();

    field(3)->setText(QStringLiteral("111"));
    save();
    ASSERT_TRUE(env.boxes().empty());
    late.ui().Text1[3]->setText(QStringLiteral("222"));
    QStringList typed;
    for (int i = 1; i <= 4; ++i)
        typed.append(late.ui().Text1[std::size_t(i)]->text());
    env.answerNext(GetParam());
    late.ui().PushButton1->click();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("This entry was changed by another program since you opened it. "
                                                  "Save your version over it?"));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::YesNo);
    EXPECT_EQ(env.boxes()[0].caption, platform::applicationTitle());
    if (GetParam() == platform::MessageResult::Yes) {
        EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2021-05-01", "Salary", "222", "May"}}));
        EXPECT_EQ(other.openForm2(), nullptr);
        EXPECT_EQ(other.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 222"));
    } else {
        EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2021-05-01", "Salary", "111", "May"}}));
        ASSERT_EQ(other.openForm2(), &late);
        EXPECT_TRUE(late.isVisible());
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(late.ui().Text1[std::size_t(i)]->text(), typed[i - 1]) << "field " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, EntrySaveOverAnotherCopy,
                         ::testing::Values(platform::MessageResult::Yes, platform::MessageResult::No));

TEST_F(EntrySaveTest, refusedStatementIsReportedRefreshesAndKeepsTheEditorOpen)
{
    {
        Connection setup;
        setup.openFile(ledger);
        setup.Execute(QStringLiteral(
            "create trigger refuse before insert on income begin select raise(abort, 'amount refused'); end"));
    }
    Form1 &w = start();
    Form2 &e = openAdd();
    type(QStringLiteral("8/3/2021"), QStringLiteral("Salary"), QStringLiteral("10"), QStringLiteral("March"));
    // Another entry appears meanwhile: the refresh after the refused save shows it.
    test::insertRow(ledger, "expenses", "2021-03-01", "Food", "20", "Market");
    save();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(env.boxes()[0].text.startsWith(QStringLiteral("amount refused\r\n") + kSaveLocation
                                               + QStringLiteral("at line 142\r\r")));
    EXPECT_EQ(env.boxes()[0].caption, QStringLiteral("Application Error"));
    EXPECT_TRUE(test::readRows(ledger, "income").empty());
    EXPECT_EQ(w.ui().ListView2->items().itemCount(), 1);
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 20"));
    ASSERT_EQ(main->openForm2(), &e);
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(field(1)->text(), QStringLiteral("8/3/2021"));
    EXPECT_EQ(field(2)->text(), QStringLiteral("Salary"));
    EXPECT_EQ(field(3)->text(), QStringLiteral("10"));
    EXPECT_EQ(field(4)->text(), QStringLiteral("March"));
}

TEST_F(EntrySaveTest, failingRefreshIsReportedAndTheSaveGoesOnToClose)
{
    Form1 &w = start();
    openAdd();
    {
        Connection other; // another program changes the file meanwhile
        other.openFile(ledger);
        other.Execute(QStringLiteral("alter table expenses rename to spent"));
    }
    type(QStringLiteral("8/3/2021"), QStringLiteral("Salary"), QStringLiteral("10"), QStringLiteral("March"));
    save();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(reported(kSaveLocation, 148));
    EXPECT_EQ(test::readRows(ledger, "income").size(), 1u);
    EXPECT_EQ(w.ui().ListView1->items().itemCount(), 1);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 10"));
    EXPECT_EQ(main->openForm2(), nullptr);
}

} // namespace
} // namespace tallymere
