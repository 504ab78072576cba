#include "support/entryfixture.h"

#include <QCalendarWidget>
#include <QDate>
#include <QTest>

#include "ui/controls/calendar.h"
#include "ui/controls/pushbutton.h"
#include "core/platform/messagebox.h"
#include "core/text/datetext.h"

namespace tallymere {
namespace {

using test::EntryTest;

/// Two income entries and two expense entries in a started main window.
class EntryCommandsTest : public EntryTest
{
protected:
    Form1 &startWithEntries()
    {
        test::insertSalaryAndRent(ledger);
        test::insertRow(ledger, "income", "2021-12-20", "Gift", "100", "Aunt's present");
        test::insertRow(ledger, "expenses", "2021-12-02", "Food", "55.5", "Market");
        return start();
    }

    void save() { editor().ui().PushButton1->click(); }

    const test::Rows incomeRows{{"1", "2021-12-05", "Salary", "1500", "December"},
                                {"2", "2021-12-20", "Gift", "100", "Aunt's present"}};
    const test::Rows expenseRows{{"1", "2021-12-01", "Rent", "700", "December"},
                                 {"2", "2021-12-02", "Food", "55.5", "Market"}};
};

struct ListCase {
    bool income;
    void (Form1::*add)();
    void (Form1::*update)();
    void (Form1::*remove)();
    const char *table;
    const char *addCaption;
    const char *updateCaption;
    const char *secondLabel;
    const char *deleteTitle;
    const char *location;
};

void PrintTo(const ListCase &c, std::ostream *os)
{
    *os << c.table;
}

const ListCase kIncome{true, &Form1::PushButton1_Click, &Form1::PushButton2_Click, &Form1::PushButton3_Click,
                       "income", "Add New Income", "Update Income", "Source:", "Delete Income", "Form1.PushButton"};
const ListCase kExpenses{false, &Form1::PushButton7_Click, &Form1::PushButton6_Click, &Form1::PushButton8_Click,
                         "expenses", "Add New Expenses", "Update Expenses", "Category:", "Delete Expenses",
                         "Form1.PushButton"};

class EntryCommands : public EntryCommandsTest, public ::testing::WithParamInterface<ListCase>
{
protected:
    ListView *list() { return GetParam().income ? main->ui().ListView1 : main->ui().ListView2; }
    test::Rows rows() { return test::readRows(ledger, GetParam().table); }
    const test::Rows &original() { return GetParam().income ? incomeRows : expenseRows; }
    void run(void (Form1::*command)()) { (main.get()->*command)(); }
};

TEST_P(EntryCommands, updateAndDeleteOnAnEmptyListDoNothing)
{
    start();
    run(GetParam().update);
    run(GetParam().remove);
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
    EXPECT_TRUE(writes().empty());
}

TEST_P(EntryCommands, addOpensTheEditorForItsList)
{
    startWithEntries();
    run(GetParam().add);
    Form2 &e = editor();
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(e.windowTitle(), QString::fromUtf8(GetParam().addCaption));
    EXPECT_EQ(e.ui().Label1[2]->text(), QString::fromUtf8(GetParam().secondLabel));
    EXPECT_TRUE(e.mUpdateID.isEmpty());
    EXPECT_EQ(list()->items().itemCount(), 2);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_P(EntryCommands, updateLoadsTheSelectedEntryAndItsSaveChangesThatRowOnly)
{
    setEuropeanDate(QStringLiteral("True"));
    startWithEntries();
    select(list(), 2);
    run(GetParam().update);

    Form2 &e = editor();
    EXPECT_EQ(e.windowTitle(), QString::fromUtf8(GetParam().updateCaption));
    EXPECT_EQ(e.ui().Label1[2]->text(), QString::fromUtf8(GetParam().secondLabel));
    EXPECT_EQ(e.mUpdateID, QStringLiteral("2"));
    const test::Row &entry = original()[1];
    EXPECT_EQ(field(1)->text(), GetParam().income ? QStringLiteral("20/12/2021") : QStringLiteral("2/12/2021"));
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(field(i)->text().toStdString(), entry[std::size_t(i)]);
    EXPECT_EQ(e.ui().Calendar1->value(), QDate::fromString(QString::fromStdString(entry[1]), Qt::ISODate));

    field(3)->setText(QStringLiteral("99"));
    save();
    test::Rows expected = original();
    expected[1][3] = "99";
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(main->openForm2(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_P(EntryCommands, deleteAsksWithTheRecordNumberAndNoChangesNothing)
{
    startWithEntries();
    select(list(), 2);
    const QString totals = main->ui().lblAvailableBalance->text();
    env.answerNext(platform::MessageResult::No);
    run(GetParam().remove);

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Are you sure you want to delete 2?"));
    EXPECT_EQ(env.boxes()[0].style, platform::MessageStyle::YesNo);
    EXPECT_EQ(env.boxes()[0].caption, QString::fromUtf8(GetParam().deleteTitle));
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(rows(), original());
    EXPECT_EQ(list()->items().itemCount(), 2);
    EXPECT_EQ(main->ui().lblAvailableBalance->text(), totals);
}

TEST_P(EntryCommands, deleteWithYesRemovesTheEntryAndRecomputesTheTotals)
{
    startWithEntries();
    select(list(), 1);
    env.answerNext(platform::MessageResult::Yes);
    run(GetParam().remove);

    EXPECT_EQ(writes(), (std::vector<QString>{QStringLiteral("delete from [%1] where sr_no=1")
                                                  .arg(QString::fromUtf8(GetParam().table))}));
    EXPECT_EQ(rows(), test::Rows{original()[1]});
    ASSERT_EQ(list()->items().itemCount(), 1);
    EXPECT_EQ(list()->items().itemText(1), QStringLiteral("2"));
    EXPECT_EQ(list()->selectedItem(), 1); // the list still has a selected entry
    EXPECT_EQ(main->ui().lblAvailableBalance->text(),
              GetParam().income ? QStringLiteral("Available Balance: -655.5") : QStringLiteral("Available Balance: 1544.5"));
}

TEST_P(EntryCommands, deletingTheEntryAnOpenEditorUpdatesMakesItsSaveAskAndChangeNothing)
{
    startWithEntries();
    select(list(), 2);
    run(GetParam().update);
    select(list(), 2);
    env.answerNext(platform::MessageResult::Yes);
    run(GetParam().remove);
    ASSERT_NE(main->openForm2(), nullptr);
    EXPECT_EQ(field(2)->text().toStdString(), original()[1][2]); // the editor keeps what it holds

    field(4)->setText(QStringLiteral("changed"));
    save(); // answered No: not as a new entry
    EXPECT_EQ(rows(), test::Rows{original()[0]});
    ASSERT_EQ(env.boxes().size(), 2u); // the delete's question, then the save's
    EXPECT_EQ(env.boxes()[1].text, QStringLiteral("This entry is no longer in the ledger. Save it as a new entry?"));
    ASSERT_NE(main->openForm2(), nullptr);
    EXPECT_EQ(field(4)->text(), QStringLiteral("changed"));
}

TEST_P(EntryCommands, secondUpdateReplacesTheNumberAndTheFields)
{
    startWithEntries();
    select(list(), 1);
    run(GetParam().update);
    field(4)->setText(QStringLiteral("typed, then abandoned"));
    select(list(), 2);
    run(GetParam().update);

    EXPECT_EQ(editor().mUpdateID, QStringLiteral("2"));
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(field(i)->text().toStdString(), original()[1][std::size_t(i)]);
    field(2)->setText(QStringLiteral("Second"));
    save();
    test::Rows expected = original();
    expected[1][2] = "Second";
    EXPECT_EQ(rows(), expected);
}

TEST_P(EntryCommands, addWhileAnUpdateIsOpenInsertsANewEntry)
{
    startWithEntries();
    select(list(), 1);
    run(GetParam().update);
    run(GetParam().add);
    EXPECT_EQ(editor().windowTitle(), QString::fromUtf8(GetParam().addCaption));
    save();

    test::Rows expected = original();
    expected.push_back(original()[0]);
    expected.back()[0] = "3";
    EXPECT_EQ(rows(), expected);
}

TEST_P(EntryCommands, noSelectedItemIsReportedAndNothingIsDeleted)
{
    startWithEntries();
    // The delete command reports its question and its delete, the update command the number
    // and the loading of the entry; each shows these two reports and nothing else.
    const struct {
        void (Form1::*command)();
        int button;
        int lines[2];
    } commands[] = {{GetParam().remove, GetParam().income ? 3 : 8, {108, 110}},
                    {GetParam().update, GetParam().income ? 2 : 6, {106, 108}}};
    for (const auto &c : commands) {
        env.clearBoxes();
        list()->selectionModel()->clearSelection();
        run(c.command);
        const QString where = QStringLiteral("in Coinfold2021/08/31.Form1.PushButton%1_Click ").arg(c.button);
        for (const int line : c.lines)
            EXPECT_TRUE(reported(where, line)) << c.button << " at " << line;
        EXPECT_EQ(env.boxes().size(), 2u);
        EXPECT_TRUE(writes().empty());
        EXPECT_EQ(rows(), original());
    }
    ASSERT_NE(main->openForm2(), nullptr);
    EXPECT_EQ(editor().windowTitle(), QString::fromUtf8(GetParam().updateCaption));
    EXPECT_TRUE(editor().mUpdateID.isEmpty());
    EXPECT_TRUE(field(2)->text().isEmpty());
}

TEST_P(EntryCommands, ctrlDOpensTheAddEditorLikeTheSelectedEntryDatedTodayAndSaveAddsOne)
{
    setEuropeanDate(QStringLiteral("True"));
    Form1 &w = startWithEntries();
    w.show();
    QApplication::setActiveWindow(&w);
    select(list(), 2);
    list()->setFocus();
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);

    Form2 &e = editor();
    EXPECT_EQ(e.windowTitle(), QString::fromUtf8(GetParam().addCaption));
    EXPECT_EQ(e.ui().Label1[2]->text(), QString::fromUtf8(GetParam().secondLabel));
    EXPECT_TRUE(e.mUpdateID.isEmpty());
    const QDate today = QDate::currentDate();
    EXPECT_EQ(field(1)->text(), dateText::format(today, true));
    EXPECT_EQ(e.ui().Calendar1->value(), today);
    const test::Row &entry = original()[1];
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(field(i)->text().toStdString(), entry[std::size_t(i)]);

    save();
    test::Rows expected = original();
    expected.push_back({"3", dateText::iso(today).toStdString(), entry[2], entry[3], entry[4]});
    EXPECT_EQ(rows(), expected);
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Lists, EntryCommands, ::testing::Values(kIncome, kExpenses));

TEST_F(EntryCommandsTest, addAfterUpdateInsertsIntoTheAddsTableWithTheFieldsAsTheyAre)
{
    Form1 &w = startWithEntries();
    select(w.ui().ListView1, 2);
    w.PushButton2_Click();
    w.PushButton7_Click();

    Form2 &e = editor();
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Add New Expenses"));
    EXPECT_EQ(e.ui().Label1[2]->text(), QStringLiteral("Category:"));
    EXPECT_TRUE(e.mUpdateID.isEmpty());
    EXPECT_EQ(field(2)->text(), QStringLiteral("Gift"));
    save();

    EXPECT_EQ(test::readRows(ledger, "income"), incomeRows);
    test::Rows expected = expenseRows;
    expected.push_back({"3", "2021-12-20", "Gift", "100", "Aunt's present"});
    EXPECT_EQ(test::readRows(ledger, "expenses"), expected);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(EntryCommandsTest, cancelledUpdateThenAddInserts)
{
    Form1 &w = startWithEntries();
    select(w.ui().ListView1, 1);
    w.PushButton2_Click();
    editor().ui().PushButton2->click();
    settle();
    w.PushButton1_Click();
    type(QStringLiteral("1/2/2022"), QStringLiteral("Bonus"), QStringLiteral("5"), QStringLiteral("January"));
    save();

    test::Rows expected = incomeRows;
    expected.push_back({"3", "2022-01-02", "Bonus", "5", "January"});
    EXPECT_EQ(test::readRows(ledger, "income"), expected);
}

TEST_F(EntryCommandsTest, entrySavedDayFirstIsTheSameDayWhenLoadedMonthFirst)
{
    setEuropeanDate(QStringLiteral("True"));
    Form1 &w = start();
    w.PushButton1_Click();
    type(QStringLiteral("8/3/2021"), QStringLiteral("Salary"), QStringLiteral("1500"), QStringLiteral("March"));
    save();
    EXPECT_EQ(w.ui().ListView1->items().subItem(1, 2), QStringLiteral("2021-03-08"));

    setEuropeanDate(QStringLiteral("False"));
    w.PushButton2_Click();
    EXPECT_EQ(field(1)->text(), QStringLiteral("3/8/2021"));
    EXPECT_EQ(editor().ui().Calendar1->value(), QDate(2021, 3, 8));
    save();
    EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2021-03-08", "Salary", "1500", "March"}}));

    // A date picked in the calendar goes the same way.
    w.PushButton2_Click();
    QCalendarWidget *grid = editor().ui().Calendar1->grid();
    grid->setSelectedDate(QDate(2021, 3, 9));
    emit grid->clicked(QDate(2021, 3, 9));
    save();
    EXPECT_EQ(test::readRows(ledger, "income")[0][1], "2021-03-09");
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(EntryCommandsTest, storedDateThatIsNoDateIsShownAsStoredAndReported)
{
    test::insertRow(ledger, "income", "sometime", "Salary", "1500", std::nullopt);
    Form1 &w = start();
    w.PushButton2_Click();
    EXPECT_EQ(field(1)->text(), QStringLiteral("sometime"));
    EXPECT_TRUE(field(4)->text().isEmpty());
    EXPECT_TRUE(reported(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton2_Click "), 114));
    EXPECT_EQ(env.boxes().size(), 1u);
}

} // namespace
} // namespace tallymere
