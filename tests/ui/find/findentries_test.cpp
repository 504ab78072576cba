#include "support/entryfixture.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "core/lists/foundentries.h"
#include "core/platform/messagebox.h"
#include "ui/controls/columnorder.h"
#include "ui/find/findentries.h"
#include "support/openingways.h"
#include "support/scriptedspreadsheet.h"
#include "support/xlsxreader.h"

namespace tallymere {
namespace {

class FindEntriesTest : public test::EntryTest
{
protected:
    /// The main window over a small ledger of both kinds of entry, shown, with Find Entries
    /// opened by its key.
    FindEntries &openOver()
    {
        test::insertRow(ledger, "income", "2026-01-30", "Salary", "3250", "January pay");
        test::insertRow(ledger, "income", "2026-02-14", "Caf\xc3\xa9 sale", "0.1", "cakes");
        test::insertRow(ledger, "expenses", "2026-01-03", "Rent", "1150", "January");
        test::insertRow(ledger, "expenses", "2026-01-09", "CAFE", "0.2", "espresso");
        test::insertRow(ledger, "expenses", "2026-02-03", "Rent", "1150", "February");
        Form1 &w = startShown();
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
        FindEntries *find = w.openFindEntries();
        QApplication::setActiveWindow(find); // as the window system does on its activation
        return *find;
    }

    /// The results as shown: one text per shown cell (ID left out), row by row.
    static std::vector<QStringList> shown(const FindEntries &find)
    {
        std::vector<QStringList> rows;
        const QAbstractItemModel *model = find.ui().results->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList row;
            for (int c = 1; c < model->columnCount(); ++c)
                row.append(model->index(r, c).data().toString());
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(FindEntriesTest, followsEachKeystrokeWithTheResultsAndTheirCountLine)
{
    FindEntries &find = openOver();
    EXPECT_EQ(find.windowTitle(), QStringLiteral("Find Entries"));
    EXPECT_TRUE(find.ui().searchField->hasFocus());
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("5 entries \u2013 Income: 3250.1   Expenses: 2300.2"));

    QTest::keyClicks(find.ui().searchField, QStringLiteral("cafe"));
    EXPECT_EQ(shown(find), (std::vector<QStringList>{{"2026-02-14", "Income", "Caf\u00e9 sale", "0.1", "cakes"},
                                                      {"2026-01-09", "Expense", "CAFE", "0.2", "espresso"}}));
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("2 entries \u2013 Income: 0.1   Expenses: 0.2"));

    find.ui().listChoice->setCurrentIndex(2); // Expenses
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("1 entry \u2013 Income: 0   Expenses: 0.2"));

    find.ui().listChoice->setCurrentIndex(0);
    find.ui().searchField->clear();
    find.ui().amountFrom->setText(QStringLiteral("1,000"));
    find.ui().dateTo->setText(QStringLiteral("1/31/2026"));
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("2 entries \u2013 Income: 3250   Expenses: 1150"));
    find.ui().dateTo->setText(QStringLiteral("31/1/2026")); // not a date month-first: no bound, shown red
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("3 entries \u2013 Income: 3250   Expenses: 2300"));
    EXPECT_EQ(find.ui().dateTo->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(FindEntriesTest, enterOnASortedResultSelectsThatEntryInItsListForDeleteAndUpdate)
{
    FindEntries &find = openOver();
    QTest::keyClicks(find.ui().searchField, QStringLiteral("rent"));
    // Newest first: the February rent, entry 3 of the expense list, comes first.
    find.ui().results->horizontalHeader()->sectionClicked(FoundEntries::kDateColumn);
    find.ui().results->horizontalHeader()->sectionClicked(FoundEntries::kDateColumn);
    ASSERT_EQ(shown(find).front().at(0), QStringLiteral("2026-02-03"));
    QTest::keyClick(find.ui().searchField, Qt::Key_Down);
    ASSERT_TRUE(find.ui().results->hasFocus());
    QTest::keyClick(find.ui().results, Qt::Key_Up); // the selection went with the January rent
    QTest::keyClick(find.ui().results, Qt::Key_Return);

    ListView *expenses = main->ui().ListView2;
    EXPECT_EQ(main->focusWidget(), expenses);
    EXPECT_EQ(expenses->selectedItem(), 3);
    const int top = expenses->rowViewportPosition(expenses->currentIndex().row());
    EXPECT_TRUE(top >= 0 && top < expenses->viewport()->height()) << "in view";
    EXPECT_EQ(main->openFindEntries(), &find) << "the Find window stays open";

    main->PushButton8_Click(); // Delete Selected Entry, answered No
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Are you sure you want to delete 3?"));
}

TEST_F(FindEntriesTest, resultsFollowSavesDeletesAndUndoAtOnce)
{
    FindEntries &find = openOver();
    QTest::keyClicks(find.ui().searchField, QStringLiteral("rent"));
    ASSERT_EQ(find.found().itemCount(), 2);

    main->PushButton7_Click(); // a new expense that matches
    type(QStringLiteral("3/3/2026"), QStringLiteral("Rent"), QStringLiteral("1200"), QStringLiteral("March"));
    editor().PushButton1_Click();
    settle();
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("3 entries \u2013 Income: 0   Expenses: 3500"));

    select(main->ui().ListView2, 1); // the January rent, changed so it no longer matches
    main->PushButton6_Click();
    field(2)->setText(QStringLiteral("Deposit"));
    editor().PushButton1_Click();
    settle();
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("2 entries \u2013 Income: 0   Expenses: 2350"));

    main->mnuUndo_Click();
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("3 entries \u2013 Income: 0   Expenses: 3500"));

    select(main->ui().ListView2, 3); // the February rent, deleted
    env.answerNext(platform::MessageResult::Yes);
    main->PushButton8_Click();
    EXPECT_EQ(find.ui().countLine->text(), QStringLiteral("2 entries \u2013 Income: 0   Expenses: 2350"));
    EXPECT_EQ(shown(find).size(), 2u);
}

TEST_F(FindEntriesTest, typingOnKeepsTheSortAndTheResultsGoOutInTheOrderShown)
{
    test::ScriptedSpreadsheet spreadsheet;
    FindEntries &find = openOver();
    find.ui().results->horizontalHeader()->sectionClicked(FoundEntries::kAmountColumn);
    QTest::keyClicks(find.ui().searchField, QStringLiteral("ar"));
    EXPECT_EQ(shown(find), (std::vector<QStringList>{{"2026-01-03", "Expense", "Rent", "1150", "January"},
                                                      {"2026-02-03", "Expense", "Rent", "1150", "February"},
                                                      {"2026-01-30", "Income", "Salary", "3250", "January pay"}}));
    find.findChild<QPushButton *>(QStringLiteral("SendResultsToExcel"))->click();

    ASSERT_EQ(spreadsheet.opened.size(), 1);
    const auto sheet = test::XlsxSheet::read(spreadsheet.opened[0]);
    EXPECT_EQ(sheet.shownRow(1), (QStringList{"Date", "Income or Expense", "Source or Category", "Amount", "Particulars"}));
    const std::vector<QStringList> rows = shown(find);
    ASSERT_EQ(sheet.lastRow(), int(rows.size()) + 1);
    for (int r = 0; r < int(rows.size()); ++r)
        EXPECT_EQ(sheet.shownRow(r + 2), rows[std::size_t(r)]);
    EXPECT_TRUE(env.boxes().empty());
}

// Results that grow again after a sort (the search text shortened) stand as a fresh sort of them
// would put them, ties in entry order, in both directions, also after a save and an update
// changed the lists while they were fewer.
TEST_F(FindEntriesTest, widenedResultsAfterTheListsChangedStandAsAFreshSortOfThem)
{
    FindEntries &find = openOver();
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        QHeaderView *header = find.ui().results->horizontalHeader();
        do
            header->sectionClicked(FoundEntries::kAmountColumn);
        while (header->sortIndicatorOrder() != order);
        QTest::keyClicks(find.ui().searchField, QStringLiteral("rent"));

        main->PushButton7_Click(); // a new expense, its amount tied with the rents
        type(QStringLiteral("3/3/2026"), QStringLiteral("Books"), QStringLiteral("1150"), QStringLiteral("March"));
        editor().PushButton1_Click();
        settle();
        select(main->ui().ListView2, 2); // the espresso, at another price
        main->PushButton6_Click();
        field(3)->setText(order == Qt::AscendingOrder ? QStringLiteral("2000") : QStringLiteral("5"));
        editor().PushButton1_Click();
        settle();
        find.ui().searchField->clear();

        const FoundEntries &found = find.found();
        std::vector<QStringList> fresh;
        for (const int row : ColumnOrder(found, FoundEntries::kAmountColumn, SortKind::Amount, order).sorted()) {
            QStringList cells;
            for (int column = 1; column < FoundEntries::kColumns; ++column)
                cells.append(found.index(row, column).data().toString());
            fresh.push_back(cells);
        }
        ASSERT_EQ(fresh.size(), std::size_t(found.itemCount()));
        EXPECT_EQ(shown(find), fresh) << (order == Qt::AscendingOrder ? "ascending" : "descending");
    }
}

void fromMenu(Form1 &form, QWidget *over)
{
    test::pickFromMenu(form, over, QLatin1StringView("Find Entries..."));
}

class FindEntriesWay : public FindEntriesTest, public ::testing::WithParamInterface<test::Way>
{
};

TEST_P(FindEntriesWay, opensOneModelessWindowThatASecondCommandBringsForwardAndEscapeCloses)
{
    Form1 &w = startShown();
    GetParam().open(w);
    FindEntries *find = w.openFindEntries();
    ASSERT_NE(find, nullptr);
    EXPECT_FALSE(find->isModal());
    QTest::keyClicks(find->ui().searchField, QStringLiteral("rent"));
    QApplication::setActiveWindow(&w);
    GetParam().open(w);
    EXPECT_EQ(w.openFindEntries(), find);
    EXPECT_EQ(find->focusWidget(), find->ui().searchField);
    EXPECT_EQ(find->ui().searchField->selectedText(), QStringLiteral("rent")) << "ready for the next search";

    QTest::keyClick(find->ui().searchField, Qt::Key_Escape);
    EXPECT_EQ(w.openFindEntries(), nullptr);
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, FindEntriesWay, ::testing::Values(
    test::Way{"Ctrl+F", [](Form1 &w) { QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier); }},
    test::Way{"income list menu", [](Form1 &w) { fromMenu(w, w.ui().ListView1); }},
    test::Way{"expense list menu", [](Form1 &w) { fromMenu(w, w.ui().ListView2); }},
    test::Way{"Report frame menu", [](Form1 &w) { fromMenu(w, w.ui().Frame1); }}));

} // namespace
} // namespace tallymere
