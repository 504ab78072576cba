// The refresh after the program's own change applies just that change; whatever happens, the
// lists, their selection and the totals must be what a full reading of the tables gives.

#include "entries/entryfixture.h"

#include <array>

#include <QRandomGenerator>

#include "controls/pushbutton.h"
#include "errors/error.h"
#include "ledger/connection.h"
#include "ledger/modexpense.h"
#include "platform/messagebox.h"

namespace tallymere {
namespace {

/// A second reader of the same file: its lists are always filled from the whole tables.
class FullReader
{
public:
    explicit FullReader(const QString &path)
        : m_ledger(LedgerWindow{[] { return 0; }, [](int) {},
                                [this](const QString &income, const QString &expenses, const QString &balance) {
                                    m_captions = {income, expenses, balance};
                                }})
    {
        m_ledger.ledgerConnection = std::make_unique<Connection>();
        m_ledger.ledgerConnection->openFile(path);
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
    const QStringList &captions() const { return m_captions; }

private:
    QStringList m_captions;
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

class RefreshTest : public test::EntryTest
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

TEST_F(RefreshTest, listsSelectionAndTotalsAfterEachChangeAreThoseOfAFullReading)
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
            env.answerNext(platform::vbYes);
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
