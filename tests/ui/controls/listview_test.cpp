#include "support/entryfixture.h"

#include <QHeaderView>
#include <QTest>

#include "ui/dateformat/form3.h"
#include "core/platform/messagebox.h"
#include "support/scriptedspreadsheet.h"
#include "support/xlsxreader.h"

namespace tallymere {
namespace {

struct SortCase {
    const char *name;
    int column;
    int clicks;
    std::vector<std::string> shown; // record numbers, top to bottom
};

void PrintTo(const SortCase &c, std::ostream *os)
{
    *os << c.name;
}

/// The income list of a shown main window over entries whose dates, sources and amounts each
/// sort differently from the order they were entered in.
class ListSortTest : public test::EntryTest
{
protected:
    Form1 &startSorted()
    {
        test::insertRow(ledger, "income", "2026-03-05", "banana", "20", "one");
        test::insertRow(ledger, "income", "someday", "Apple", "abc", "two");
        test::insertRow(ledger, "income", "2025-12-31", "\xc3\xa9" "clair", "-5", "three"); // éclair
        test::insertRow(ledger, "income", "", "date", "100", "four");
        test::insertRow(ledger, "income", "2026-03-05", "Zucchini", "", "five");
        test::insertRow(ledger, "income", "3/4/2026", "cherry", "9.5", "six");
        Form1 &w = start();
        w.show();
        return w;
    }

    ListView *list() const { return main->ui().ListView1; }
    void save() { editor().ui().PushButton1->click(); }

    void clickHeader(int column)
    {
        QHeaderView *header = list()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                 header->height() / 2));
    }

    /// The record numbers of the rows as the list shows them, top to bottom.
    std::vector<std::string> shown() const
    {
        std::vector<std::string> numbers;
        const QAbstractItemModel *model = list()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            numbers.push_back(model->index(row, 0).data().toString().toStdString());
        return numbers;
    }

    /// Selects the row shown at `row` (0-based) as a click would, and gives its record number.
    std::string selectShown(int row)
    {
        list()->setCurrentIndex(list()->model()->index(row, 0));
        return shown().at(std::size_t(row));
    }
};

class ListSortOrder : public ListSortTest, public ::testing::WithParamInterface<SortCase>
{
};

TEST_P(ListSortOrder, aHeaderClickSortsTheRowsShownAndASecondClickReverses)
{
    startSorted();
    EXPECT_EQ(shown(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"})); // the ledger's own order
    for (int i = 0; i < GetParam().clicks; ++i)
        clickHeader(GetParam().column);
    EXPECT_EQ(shown(), GetParam().shown);
}

// Dates: ISO texts in time order, then every other text as text. Amounts: numbers by value, then
// the texts that are none. Sources: as words, whatever the case or accent. Reversed as a
// spreadsheet reverses: ties stay in the ledger's order, the dates or amounts stay first.
INSTANTIATE_TEST_SUITE_P(Columns, ListSortOrder, ::testing::Values(
    SortCase{"date", 2, 1, {"3", "1", "5", "4", "6", "2"}},
    SortCase{"date reversed", 2, 2, {"1", "5", "3", "2", "6", "4"}},
    SortCase{"amount", 4, 1, {"3", "6", "1", "4", "5", "2"}},
    SortCase{"amount reversed", 4, 2, {"4", "1", "6", "3", "2", "5"}},
    SortCase{"source", 3, 1, {"2", "1", "6", "4", "3", "5"}},
    SortCase{"source, third click", 3, 3, {"2", "1", "6", "4", "3", "5"}}));

TEST_F(ListSortTest, commandsActOnTheEntrySeenAndTheSortHoldsThroughChanges)
{
    test::ScriptedSpreadsheet spreadsheet;
    Form1 &w = startSorted();
    clickHeader(4); // by amount: 3, 6, 1, 4, then 5 and 2 (no number)

    // A new entry takes its place in the sort.
    w.PushButton1_Click();
    type(QStringLiteral("3/6/2026"), QStringLiteral("Gift"), QStringLiteral("50"), QStringLiteral("seven"));
    save();
    EXPECT_EQ(shown(), (std::vector<std::string>{"3", "6", "1", "7", "4", "5", "2"}));

    // Update acts on the entry seen selected; when its amount moves it, the selection goes along.
    const std::string updated = selectShown(1);
    w.PushButton2_Click();
    EXPECT_EQ(editor().mUpdateID.toStdString(), updated);
    field(3)->setText(QStringLiteral("1000"));
    save();
    EXPECT_EQ(shown(), (std::vector<std::string>{"3", "1", "7", "4", updated, "5", "2"}));
    EXPECT_EQ(list()->items().itemText(list()->selectedItem()).toStdString(), updated);

    // Delete asks about, and removes, the entry seen selected.
    const std::string deleted = selectShown(2);
    env.answerNext(platform::MessageResult::Yes);
    w.PushButton3_Click();
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Are you sure you want to delete %1?").arg(QString::fromStdString(deleted)));
    for (const test::Row &row : test::readRows(ledger, "income"))
        EXPECT_NE(row.front(), deleted);
    EXPECT_EQ(shown(), (std::vector<std::string>{"3", "1", "4", updated, "5", "2"}));

    // A full refill (a new date order) keeps the sort; the export writes the rows as seen.
    w.PushButton10_Click();
    w.openForm3()->ui().Option2->setChecked(true);
    w.openForm3()->ui().PushButton3->click();
    EXPECT_EQ(shown(), (std::vector<std::string>{"3", "1", "4", updated, "5", "2"}));
    w.PushButton4_Click();
    ASSERT_EQ(spreadsheet.opened.size(), 1);
    const auto sheet = test::XlsxSheet::read(spreadsheet.opened[0]);
    std::vector<std::string> exported;
    for (int row = 2; row <= sheet.lastRow(); ++row)
        exported.push_back(sheet.shown(row, 1).toStdString());
    EXPECT_EQ(exported, shown());
}

} // namespace
} // namespace tallymere
