// The ledger after the program's own changes, their undo and redo: whatever happens, the tables
// hold what the changes left, and the lists, their selection and totals are a full reading's.

#include "support/entryfixture.h"

#include <array>
#include <map>
#include <optional>

#include <QRandomGenerator>
#include <QTest>

#include "ui/controls/pushbutton.h"
#include "core/errors/error.h"
#include "core/db/connection.h"
#include "core/ledger/modexpense.h"
#include "core/ledger/statements.h"
#include "core/platform/messagebox.h"
#include "support/windowstandin.h"

namespace tallymere {
namespace {

/// A second reader of the same file: its lists are always filled from the whole tables.
class FullReader
{
public:
    explicit FullReader(const QString &path) : m_ledger(&m_window)
    {
        m_ledger.openFile(path);
        for (RowStore *list : {&m_ledger.incomeList(), &m_ledger.expenseList()}) {
            for (const char *header : {"ID", "SR No", "Date", "Text", "Amount", "Particulars"})
                list->addColumnHeader(QString::fromLatin1(header));
        }
    }

    void read()
    {
        m_ledger.requireFullRefill();
        modExpense::listIncome(m_ledger);
        modExpense::listExpenses(m_ledger);
        modExpense::showTotals(m_ledger);
    }

    Ledger &ledger() { return m_ledger; }
    const QStringList &captions() const { return m_window.captions(); }

private:
    test::WindowStandIn m_window;
    Ledger m_ledger;
};

std::vector<std::string> cellsOf(const RowStore &list)
{
    std::vector<std::string> cells;
    for (int row = 0; row < list.itemCount(); ++row) {
        for (int column = 0; column < list.columnHeaderCount(); ++column)
            cells.emplace_back(list.cellUtf8(row, column));
    }
    return cells;
}

class LedgerTest : public test::EntryTest
{
protected:
    /// The record number of the selected entry of a list, or empty.
    static QString selected(ListView *list)
    {
        try {
            return list->items().itemText(list->selectedItem());
        } catch (const Error &) {
            return {};
        }
    }
};

TEST_F(LedgerTest, listsSelectionAndTotalsAfterEachChangeAreThoseOfAFullReading)
{
    QRandomGenerator random(20261208);
    const QStringList amounts{"10", "0.1", "0.2", "1500.25", "-7", "abc", "1e3", "12,500", "3250.00", ""};
    const auto any = [&](const QStringList &from) { return from[int(random.bounded(from.size()))]; };
    for (int i = 0; i < 20; ++i) {
        test::insertRow(ledger, i % 2 ? "income" : "expenses", "2026-01-0" + std::to_string(i % 9 + 1),
                        "seed", any(amounts).toStdString(), "p");
    }
    Form1 &w = start();
    FullReader reference(ledger);
    Connection other; // another program writing to the same file now and then
    other.openFile(ledger);

    for (int step = 0; step < 1000; ++step) {
        SCOPED_TRACE(step);
        const bool income = random.bounded(2) == 0;
        ListView *list = income ? w.ui().ListView1 : w.ui().ListView2;
        const int count = list->items().itemCount();
        std::array<QString, 2> before;
        const auto remember = [&] { before = {selected(w.ui().ListView1), selected(w.ui().ListView2)}; };
        const auto pickRow = [&] {
            select(list, int(random.bounded(count)) + 1);
            remember();
        };
        remember();
        const QString amount = any(amounts);
        const QString day = QStringLiteral("%1/%2/2026").arg(random.bounded(12) + 1).arg(random.bounded(28) + 1);

        switch (random.bounded(10)) {
        case 0: case 1: case 2: // add
            income ? w.PushButton1_Click() : w.PushButton7_Click();
            type(day, QStringLiteral("added"), amount.isEmpty() ? QStringLiteral("1") : amount, QStringLiteral("x"));
            editor().ui().PushButton1->click();
            break;
        case 3: case 4: case 5: // update
            if (count == 0)
                continue;
            pickRow();
            income ? w.PushButton2_Click() : w.PushButton6_Click();
            type(day, QStringLiteral("changed"), amount.isEmpty() ? QStringLiteral("2") : amount, QStringLiteral("y"));
            editor().ui().PushButton1->click();
            break;
        case 6: case 7: // delete
            if (count == 0)
                continue;
            pickRow();
            env.answerNext(platform::MessageResult::Yes);
            income ? w.PushButton3_Click() : w.PushButton8_Click();
            break;
        case 8: { // another program writes
            const QString table = income ? QStringLiteral("income") : QStringLiteral("expenses");
            other.Execute(random.bounded(2) ? QStringLiteral("delete from %1 where sr_no = (select min(sr_no) from %1)").arg(table)
                                            : QStringLiteral("insert into %1 values (null, '2026-02-01', 'other', '%2', 'o')")
                                                  .arg(table, amount));
            break;
        }
        default: // nothing changed: the commands refresh all the same
            income ? w.PushButton1_Click() : w.PushButton7_Click();
            editor().ui().PushButton2->click();
            break;
        }
        settle();
        // The refresh a save makes of both lists (a command refreshes only its own list).
        modExpense::listIncome(w.ledger());
        modExpense::listExpenses(w.ledger());
        modExpense::showTotals(w.ledger());
        ASSERT_TRUE(env.boxes().empty() || env.boxes().back().caption != QLatin1String("Application Error"))
            << env.boxes().back().text.toStdString();

        reference.read();
        ASSERT_EQ(cellsOf(w.ledger().incomeList()), cellsOf(reference.ledger().incomeList()));
        ASSERT_EQ(cellsOf(w.ledger().expenseList()), cellsOf(reference.ledger().expenseList()));
        ASSERT_EQ((QStringList{w.ui().lblTotalIncome->text(), w.ui().lblTotalExpenses->text(),
                               w.ui().lblAvailableBalance->text()}),
                  reference.captions());
        // The selected entry stays selected; when it is gone, the first one is, as after a full
        // reading; a list with rows always has one.
        for (int l = 0; l < 2; ++l) {
            ListView *view = l == 0 ? w.ui().ListView1 : w.ui().ListView2;
            const RowStore &rows = view->items();
            QString expected;
            for (int r = 1; r <= rows.itemCount() && expected.isEmpty(); ++r) {
                if (rows.itemText(r) == before[std::size_t(l)])
                    expected = before[std::size_t(l)];
            }
            if (expected.isEmpty() && rows.itemCount() > 0)
                expected = rows.itemText(1);
            ASSERT_EQ(selected(view), expected);
        }
    }
}

} // namespace
} // namespace tallymere

namespace tallymere {
namespace {

/// The tables as the program's changes should leave them: record number to the four texts.
using TableModel = std::map<long long, std::array<std::string, 4>>;

test::Rows rowsOf(const TableModel &table)
{
    test::Rows rows;
    for (const auto &[srNo, values] : table)
        rows.push_back({std::to_string(srNo), values[0], values[1], values[2], values[3]});
    return rows;
}

TEST_F(LedgerTest, undoAndRedoFollowAModelOfTheTablesAndUndoingAllRestoresTheFirstState)
{
    QRandomGenerator random(8122026);
    std::array<TableModel, 2> model; // income, expenses
    std::array<long long, 2> lastNumber{0, 0};
    for (int i = 0; i < 10; ++i) {
        const bool income = i % 2 == 0;
        const std::array<std::string, 4> values{"2026-03-0" + std::to_string(i % 9 + 1), "seed", std::to_string(i),
                                                i == 4 ? std::string() : "p"};
        const long long srNo = test::insertRow(ledger, income ? "income" : "expenses", values[0], values[1],
                                               values[2], i == 4 ? test::Value() : test::Value(values[3]));
        model[income ? 0 : 1][srNo] = values;
        lastNumber[income ? 0 : 1] = srNo;
    }
    const std::array<test::Rows, 2> first{rowsOf(model[0]), rowsOf(model[1])};
    Form1 &w = start();
    Ledger &book = w.ledger();
    FullReader reference(ledger);

    // What each change did to the model, to be done again or undone there.
    struct Done {
        int table;
        long long srNo;
        std::optional<std::array<std::string, 4>> before, after;
    };
    std::vector<Done> done, undone;
    const auto put = [&](int table, long long srNo, const std::optional<std::array<std::string, 4>> &values) {
        if (values)
            model[std::size_t(table)][srNo] = *values;
        else
            model[std::size_t(table)].erase(srNo);
    };

    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE(step);
        const int table = int(random.bounded(2));
        const bool income = table == 0;
        TableModel &rows = model[std::size_t(table)];
        const std::array<std::string, 4> values{"2026-04-" + std::to_string(10 + random.bounded(18)), "t" + std::to_string(step),
                                                std::to_string(random.bounded(1000)) + ".5", "s"};
        QStringList texts;
        for (const std::string &value : values)
            texts << QString::fromStdString(value);
        const QStringList labels{"Date:", income ? "Source:" : "Category:", "Amount:", "Particulars:"};
        const QString caption = income ? QStringLiteral("Income") : QStringLiteral("Expenses");
        const auto anyRow = [&] { return std::next(rows.begin(), long(random.bounded(quint32(rows.size()))))->first; };
        const int kind = int(random.bounded(10));
        if (kind < 2 || (kind < 5 && rows.empty())) { // add
            book.write(entrySql::SaveStatement::of(caption, {}, labels, texts), income, Ledger::Change::Insert);
            const long long srNo = ++lastNumber[std::size_t(table)];
            done.push_back({table, srNo, std::nullopt, values});
            put(table, srNo, values);
            undone.clear();
        } else if (kind < 4) { // update
            const long long srNo = anyRow();
            book.write(entrySql::SaveStatement::of(caption, QString::number(srNo), labels, texts), income,
                       Ledger::Change::Update, QString::number(srNo));
            done.push_back({table, srNo, rows[srNo], values});
            put(table, srNo, values);
            undone.clear();
        } else if (kind < 5) { // delete
            const long long srNo = anyRow();
            book.write(entrySql::deleteStatement(income, QString::number(srNo)), income, Ledger::Change::Delete,
                       QString::number(srNo));
            done.push_back({table, srNo, rows[srNo], std::nullopt});
            put(table, srNo, std::nullopt);
            undone.clear();
        } else { // undo, or redo
            const bool undoing = kind < 8;
            std::vector<Done> &from = undoing ? done : undone;
            std::vector<Done> &to = undoing ? undone : done;
            ASSERT_EQ(undoing ? book.canUndo() : book.canRedo(), !from.empty());
            undoing ? w.mnuUndo_Click() : w.mnuRedo_Click();
            if (!from.empty()) {
                put(from.back().table, from.back().srNo, undoing ? from.back().before : from.back().after);
                to.push_back(from.back());
                from.pop_back();
            }
        }
        modExpense::listIncome(book);
        modExpense::listExpenses(book);
        modExpense::showTotals(book);
        ASSERT_TRUE(env.boxes().empty()) << env.boxes().back().text.toStdString();
        ASSERT_EQ(test::readRows(ledger, "income"), rowsOf(model[0]));
        ASSERT_EQ(test::readRows(ledger, "expenses"), rowsOf(model[1]));
        reference.read();
        ASSERT_EQ(cellsOf(book.incomeList()), cellsOf(reference.ledger().incomeList()));
        ASSERT_EQ(cellsOf(book.expenseList()), cellsOf(reference.ledger().expenseList()));
        ASSERT_EQ(w.ui().lblAvailableBalance->text(), reference.captions().at(2));
    }

    while (book.canUndo())
        w.mnuUndo_Click();
    EXPECT_EQ(test::readRows(ledger, "income"), first[0]);
    EXPECT_EQ(test::readRows(ledger, "expenses"), first[1]);
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(LedgerTest, undoOfAnEntryAnotherProgramChangedIsRefusedAndWritesNothing)
{
    test::insertRow(ledger, "income", "2026-05-01", "Salary", "1500", "May");
    Form1 &w = start();
    w.PushButton2_Click();
    type(QStringLiteral("5/2/2026"), QStringLiteral("Salary"), QStringLiteral("1600"), QStringLiteral("May"));
    editor().ui().PushButton1->click();
    ASSERT_TRUE(w.ledger().canUndo());
    EXPECT_EQ(w.ledger().undoText(), QStringLiteral("change of income entry 1"));
    {
        Connection other;
        other.openFile(ledger);
        other.Execute(QStringLiteral("update income set particulars = 'by hand' where sr_no = 1"));
    }
    const test::Rows changed = test::readRows(ledger, "income");

    w.show();
    QApplication::setActiveWindow(&w);
    QTest::keyClick(w.ui().ListView1, Qt::Key_Z, Qt::ControlModifier);

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Cannot undo the change of income entry 1: the entry was changed "
                                                  "by another program since. Nothing was written."));
    EXPECT_EQ(test::readRows(ledger, "income"), changed);
    EXPECT_EQ(w.ui().ListView1->items().subItem(1, 5), QStringLiteral("by hand"));
    EXPECT_FALSE(w.ledger().canUndo());
}

} // namespace
} // namespace tallymere

namespace tallymere {
namespace {

TEST_F(LedgerTest, totalsAfterTheProgramsOwnChangesAreBitForBitThoseOfAFullReading)
{
    // Decimals whose binary sums would depend on their order, amounts too large for the totals,
    // and texts that are no number.
    const QStringList amounts{"0.1", "0.2", "0.3", "1e16", "-1e16", "1e-7", "123456789.123", "2.675", "abc", "", "7"};
    for (int i = 0; i < 10; ++i)
        test::insertRow(ledger, "income", "2026-01-01", "seed", amounts[i % amounts.size()].toStdString(), "p");
    Form1 &w = start();
    Ledger &book = w.ledger();
    FullReader reference(ledger);
    QRandomGenerator random(4242);
    const QStringList labels{"Date:", "Source:", "Amount:", "Particulars:"};
    for (int step = 0; step < 200; ++step) {
        SCOPED_TRACE(step);
        const QString amount = amounts[int(random.bounded(amounts.size()))];
        if (random.bounded(5) == 0) { // now and then a change in the middle of the list
            const QString srNo = book.incomeList().itemText(int(random.bounded(book.incomeList().itemCount())) + 1);
            book.write(entrySql::SaveStatement::of(QStringLiteral("Update Income"), srNo, labels,
                                                   {"2026-01-02", "changed", amount, "q"}),
                       true, Ledger::Change::Update, srNo);
        } else {
            book.write(entrySql::SaveStatement::of(QStringLiteral("Add New Income"), {}, labels,
                                                   {"2026-01-03", "added", amount, "a"}),
                       true, Ledger::Change::Insert);
        }
        modExpense::listIncome(book);
        modExpense::listExpenses(book); // nothing of its own changed
        reference.read();
        ASSERT_EQ(book.totalIncome(), reference.ledger().totalIncome());
        ASSERT_EQ(book.totalIncome(), book.incomeList().sumOfAmounts());
        ASSERT_EQ(book.totalExpenses(), reference.ledger().totalExpenses());
    }
}

TEST_F(LedgerTest, undoOfADeleteWhoseNumberAnotherProgramTookIsRefusedAndWritesNothing)
{
    test::insertRow(ledger, "income", "2026-05-01", "Salary", "1500", "May");
    Form1 &w = start();
    EntryTest::select(w.ui().ListView1, 1);
    env.answerNext(platform::MessageResult::Yes);
    w.PushButton3_Click();
    ASSERT_TRUE(test::readRows(ledger, "income").empty());
    {
        Connection other;
        other.openFile(ledger);
        other.Execute(QStringLiteral("insert into income values (1, '2026-06-01', 'Gift', '20', 'by hand')"));
    }
    const test::Rows taken = test::readRows(ledger, "income");
    env.clearBoxes();

    w.mnuUndo_Click();

    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Cannot undo the delete of income entry 1: the entry was changed "
                                                  "by another program since. Nothing was written."));
    EXPECT_EQ(test::readRows(ledger, "income"), taken);
    EXPECT_FALSE(w.ledger().canUndo());
}

TEST_F(LedgerTest, aBatchIsWrittenAndUndoneAllOrNothingAsOneStep)
{
    test::insertRow(ledger, "income", "2026-05-01", "Salary", "1500", "May");
    Form1 &w = start();
    Ledger &book = w.ledger();
    FullReader reference(ledger);
    const auto listsAsRead = [&] {
        modExpense::listIncome(book);
        modExpense::listExpenses(book);
        reference.read();
        return cellsOf(book.incomeList()) == cellsOf(reference.ledger().incomeList())
            && cellsOf(book.expenseList()) == cellsOf(reference.ledger().expenseList());
    };
    const auto insert = [](const char *amount) {
        return entrySql::insertStatement(entrySql::tableText(false), entrySql::columnListText(false),
                                         QStringLiteral("'2026-05-02','Food','%1','Market'").arg(QLatin1String(amount)));
    };
    const test::Rows income = test::readRows(ledger, "income");
    {
        Ledger::Batch dropped(book, QStringLiteral("import of 2 entries"));
        dropped.write(insert("1"), false, Ledger::Change::Insert);
        dropped.write(insert("2"), false, Ledger::Change::Insert);
    }
    EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
    EXPECT_FALSE(book.canUndo());
    EXPECT_TRUE(listsAsRead());

    {
        Ledger::Batch batch(book, QStringLiteral("import of 3 entries from statement.csv"));
        for (const char *amount : {"10", "20", "30"})
            batch.write(insert(amount), false, Ledger::Change::Insert);
        batch.write(entrySql::deleteStatement(true, QStringLiteral("1")), true, Ledger::Change::Delete,
                    QStringLiteral("1"));
        batch.commit();
    }
    const test::Rows imported = test::readRows(ledger, "expenses");
    ASSERT_EQ(imported.size(), 3u);
    EXPECT_TRUE(test::readRows(ledger, "income").empty());
    EXPECT_EQ(book.undoText(), QStringLiteral("import of 3 entries from statement.csv"));
    EXPECT_TRUE(listsAsRead());

    w.mnuUndo_Click();
    EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
    EXPECT_EQ(test::readRows(ledger, "income"), income);
    EXPECT_EQ(book.redoText(), QStringLiteral("import of 3 entries from statement.csv"));
    EXPECT_TRUE(listsAsRead());
    w.mnuRedo_Click();
    EXPECT_EQ(test::readRows(ledger, "expenses"), imported);
    EXPECT_TRUE(listsAsRead());

    // One of the entries changed by another program: the whole undo is refused, nothing written.
    {
        Connection other;
        other.openFile(ledger);
        other.Execute(QStringLiteral("update expenses set particulars = 'by hand' where sr_no = ")
                      + QString::fromStdString(imported[1][0]));
    }
    const test::Rows changed = test::readRows(ledger, "expenses");
    w.mnuUndo_Click();
    EXPECT_EQ(test::readRows(ledger, "expenses"), changed);
    EXPECT_TRUE(test::readRows(ledger, "income").empty());
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_EQ(env.boxes()[0].text, QStringLiteral("Cannot undo the import of 3 entries from statement.csv: it is undone "
                                                  "only as a whole, and its expense entry %1 was changed by another "
                                                  "program since. Nothing was written.")
                                       .arg(QString::fromStdString(imported[1][0])));
    EXPECT_FALSE(book.canUndo());
    EXPECT_TRUE(listsAsRead());
}

} // namespace
} // namespace tallymere
