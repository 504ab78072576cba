// The import window over a loaded main window: what it offers, what Import writes, and how the
// lists, the totals and an open monthly summary follow.

#include "support/entryfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QPushButton>
#include <QTableView>

#include "core/import/importplan.h"
#include "ui/import/importtable.h"
#include "ui/import/importwindow.h"
#include "ui/import/statementfile.h"
#include "ui/summary/monthlysummary.h"
#include "ui/summary/monthtable.h"

namespace tallymere {
namespace {

using namespace import;

BankTransaction transaction(int line, int day, const char *amount, const char *payee)
{
    BankTransaction t;
    t.line = line;
    t.date = QDate(2024, 5, day);
    t.amount = QString::fromLatin1(amount);
    t.payee = QString::fromLatin1(payee);
    return t;
}

class ImportWindowTest : public test::EntryTest
{
protected:
    /// Opens the import window on a statement as read from `file`.
    ImportWindow &open(const BankStatement &statement, const QString &file = QStringLiteral("may.csv"))
    {
        window = new ImportWindow(main->ledger(), env.path(file), {}, ImportWindow::Reading{{}, statement}, main.get());
        window->Form_Load();
        window->show();
        return *window;
    }

    /// The texts of one column of the window's table.
    QStringList column(int c) const
    {
        QStringList texts;
        const ImportTable &table = window->table();
        for (int r = 0; r < table.rowCount(); ++r)
            texts.append(table.index(r, c).data().toString());
        return texts;
    }

    QStringList checks() const
    {
        QStringList texts;
        const ImportTable &table = window->table();
        for (int r = 0; r < table.rowCount(); ++r) {
            const QVariant check = table.index(r, ImportTable::kImportColumn).data(Qt::CheckStateRole);
            texts.append(!check.isValid() ? QStringLiteral("-") : check.toInt() == Qt::Checked ? QStringLiteral("x")
                                                                                                  : QStringLiteral(" "));
        }
        return texts;
    }

    QPointer<ImportWindow> window;
};

TEST_F(ImportWindowTest, importsTheCheckedRowsAndTheListsTotalsAndSummaryFollow)
{
    test::insertRow(ledger, "expenses", "2024-05-02", "Home", "45.00", "Hardware store"); // typed by hand
    Form1 &w = start();
    w.showMonthlySummary();

    BankStatement statement;
    statement.transactions = {transaction(2, 1, "-12.50", "Bakery"), transaction(3, 3, "-45.00", "HARDWARE STORE"),
                              transaction(5, 4, "1800.00", "Employer"), transaction(6, 6, "-30.00", "Fuel station"),
                              transaction(7, 7, "-1234567890123456.78", "Broker")}; // beyond what a total holds
    statement.leftOut = {LeftOut{4, QStringLiteral("2024-05-04;Opening balance;;")}};
    // The bakery came in with an earlier statement.
    BankStatement earlier;
    earlier.transactions = {statement.transactions[0]};
    writeImport(w.ledger(), planImport(w.ledger().connection(), earlier, QStringLiteral("april.csv")), {0}, false);
    modExpense::listExpenses(w.ledger());

    ImportWindow &importing = open(statement);
    EXPECT_EQ(importing.windowTitle(), QStringLiteral("Import Statement \u2013 may.csv"));
    EXPECT_EQ(column(ImportTable::kStatusColumn),
              (QStringList{"already in the ledger", "possibly typed already", "left out: no amount", "new", "new",
                           "left out: the amount is too large"}));
    EXPECT_EQ(checks(), (QStringList{" ", " ", "-", "x", "x", "-"}));
    EXPECT_EQ(column(ImportTable::kKindColumn), (QStringList{"Expense", "Expense", "", "Income", "Expense", "Expense"}));
    EXPECT_EQ(importing.sumsText(), QStringLiteral("Checked income: 1800 (1 entry)    Checked expenses: 30 (1 entry)"));

    // The user takes the hardware store in after all, and files the fuel under Car.
    ImportTable &table = importing.table();
    table.setData(table.index(1, ImportTable::kImportColumn), Qt::Checked, Qt::CheckStateRole);
    table.setData(table.index(4, ImportTable::kNameColumn), QStringLiteral("Car"), Qt::EditRole);
    EXPECT_EQ(importing.sumsText(), QStringLiteral("Checked income: 1800 (1 entry)    Checked expenses: 75 (2 entries)"));
    importing.importButton()->click();

    EXPECT_TRUE(window.isNull() || !window->isVisible());
    EXPECT_EQ(test::readRows(ledger, "expenses"),
              (test::Rows{{"1", "2024-05-02", "Home", "45.00", "Hardware store"},
                          {"2", "2024-05-01", "Uncategorised", "12.50", "Bakery"},
                          {"3", "2024-05-03", "Home", "45.00", "HARDWARE STORE"},
                          {"4", "2024-05-06", "Car", "30.00", "Fuel station"}}));
    EXPECT_EQ(test::readRows(ledger, "income"), (test::Rows{{"1", "2024-05-04", "Uncategorised", "1800.00", "Employer"}}));
    EXPECT_EQ(w.ui().ListView2->model()->rowCount(), 4);
    EXPECT_EQ(w.ui().ListView1->model()->rowCount(), 1);
    EXPECT_EQ(w.ui().lblTotalExpenses->text(), QStringLiteral("Total Expenses: 132.5"));
    QCoreApplication::processEvents(); // the summary refreshes once the program is idle
    const QAbstractItemModel *months = w.openMonthlySummary()->table()->model();
    ASSERT_EQ(months->rowCount(), 2);
    EXPECT_EQ(months->index(0, 0).data().toString(), QStringLiteral("2024-05"));
    EXPECT_EQ(months->index(1, 2).data().toString(), QStringLiteral("132.5"));
    EXPECT_TRUE(env.boxes().empty());

    // One Ctrl+Z takes the whole import back, as the context menu says it will.
    emit w.ui().ListView1->customContextMenuRequested(QPoint(5, 5));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (const QAction *action : menu->actions())
        items.append(action->text());
    menu->close();
    EXPECT_TRUE(items.contains(QStringLiteral("Undo import of 3 entries from may.csv"))) << items.join(u'|').toStdString();
    EXPECT_TRUE(items.contains(QStringLiteral("Import Statement...")));
    w.mnuUndo_Click();
    EXPECT_EQ(test::readRows(ledger, "expenses").size(), 2u);
    EXPECT_TRUE(test::readRows(ledger, "income").empty());
    EXPECT_EQ(w.ui().ListView2->model()->rowCount(), 2);
    EXPECT_EQ(w.ui().lblTotalIncome->text(), QStringLiteral("Total Income: 0"));
}

TEST_F(ImportWindowTest, anUndecidedDateOrderIsAskedBeforeAnythingCanBeImported)
{
    start();
    BankStatement statement;
    statement.choices.format = Format::Qif;
    statement.transactions = {transaction(3, 1, "-1.00", "A")};
    statement.transactions[0].date = QDate();
    statement.dateOrderUndecided = true;
    ImportWindow &importing = open(statement, QStringLiteral("old.qif"));
    EXPECT_FALSE(importing.problemText().isEmpty());
    EXPECT_TRUE(importing.choices()->isVisibleTo(&importing));
    EXPECT_FALSE(importing.importButton()->isEnabled());
    importing.importButton()->click();
    EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
}

TEST_F(ImportWindowTest, theStatusesFollowEntriesSavedUndoneAndImportedWhileTheWindowIsOpen)
{
    Form1 &w = start();
    BankStatement statement;
    statement.transactions = {transaction(2, 1, "-12.50", "Bakery"), transaction(3, 3, "-45.00", "Hardware store")};
    ImportWindow &importing = open(statement);
    const auto statuses = [this] {
        QCoreApplication::processEvents(); // they follow once the program is idle
        return column(ImportTable::kStatusColumn);
    };

    // The hardware store typed by hand in the main window, then taken back.
    w.PushButton7_Click();
    type(QStringLiteral("5/4/2024"), QStringLiteral("Home"), QStringLiteral("45"), QStringLiteral("Hardware"));
    editor().ui().PushButton1->click();
    EXPECT_EQ(statuses(), (QStringList{"new", "possibly typed already"}));
    EXPECT_EQ(checks(), (QStringList{"x", " "}));
    w.mnuUndo_Click();
    EXPECT_EQ(statuses(), (QStringList{"new", "new"}));
    EXPECT_EQ(checks(), (QStringList{"x", "x"}));

    // Another import brings the bakery in; the lists show it at their next refresh.
    BankStatement other;
    other.transactions = {statement.transactions[0]};
    writeImport(w.ledger(), planImport(w.ledger().connection(), other, QStringLiteral("april.csv")), {0}, false);
    modExpense::listExpenses(w.ledger());
    EXPECT_EQ(statuses(), (QStringList{"already in the ledger", "new"}));
    EXPECT_EQ(importing.sumsText(), QStringLiteral("Checked income: 0 (0 entries)    Checked expenses: 45 (1 entry)"));
}

TEST_F(ImportWindowTest, escapeLeavesAnEditThenCancelsTheImportWritingNothing)
{
    start();
    BankStatement statement;
    statement.transactions = {transaction(2, 1, "-12.50", "Bakery")};
    ImportWindow &importing = open(statement);
    QApplication::setActiveWindow(&importing);
    importing.view()->edit(importing.table().index(0, ImportTable::kNameColumn));
    ASSERT_NE(QApplication::focusWidget(), importing.view());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(importing.isVisible()); // the editor took that one
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    EXPECT_TRUE(test::readRows(ledger, "expenses").empty());
}

/// The context menu item "Import Statement..." of the list or frame `over`.
void pickImportStatement(QWidget *over)
{
    emit over->customContextMenuRequested(QPoint(5, 5));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction *action : menu->actions()) {
        if (action->text() == QLatin1String("Import Statement...")) {
            action->trigger();
            break;
        }
    }
    menu->close();
}

TEST_F(ImportWindowTest, csvChoicesChangeTheTableAtOnceAndTheConfirmedOnesAreKeptForTheSameHeader)
{
    Form1 &w = start();
    w.show();
    QApplication::setActiveWindow(&w);
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile out(env.path(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    };
    write(QStringLiteral("may.csv"), "Date;Payee;Amount;Note\n2024-05-01;Bakery;-3,20;Food\n2024-05-02;Garage;-45,00;Car\n");
    write(QStringLiteral("june.csv"), "Date;Payee;Amount;Note\n2024-06-01;Bakery;-2,80;Food\n");
    QString chosen = env.path(QStringLiteral("may.csv"));
    setStatementFileChooser([&chosen](QWidget *) { return chosen; });
    const auto restore = qScopeGuard([] { setStatementFileChooser({}); });

    pickImportStatement(w.ui().Frame1);
    window = w.openImportWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(column(ImportTable::kParticularsColumn), (QStringList{"Bakery \u2013 Food", "Garage \u2013 Car"}));
    EXPECT_EQ(column(ImportTable::kAmountColumn), (QStringList{"3.20", "45.00"}));

    // The fourth column holds the category, not a memo: the table follows at once.
    QComboBox *note = window->choices()->columnBoxes().at(3);
    note->setCurrentIndex(int(ColumnRole::Category));
    emit note->activated(note->currentIndex());
    EXPECT_EQ(column(ImportTable::kNameColumn), (QStringList{"Food", "Car"}));
    EXPECT_EQ(column(ImportTable::kParticularsColumn), (QStringList{"Bakery", "Garage"}));
    // A decimal point where the file has commas: the amounts are no numbers, and nothing can be
    // imported until the choice is taken back.
    QComboBox *mark = window->choices()->decimalBox();
    mark->setCurrentIndex(mark->findData(QChar(u'.')));
    emit mark->activated(mark->currentIndex());
    EXPECT_FALSE(window->problemText().isEmpty());
    EXPECT_FALSE(window->importButton()->isEnabled());
    mark->setCurrentIndex(mark->findData(QChar(u',')));
    emit mark->activated(mark->currentIndex());
    EXPECT_TRUE(window->problemText().isEmpty());
    window->importButton()->click();
    EXPECT_EQ(test::readRows(ledger, "expenses"),
              (test::Rows{{"1", "2024-05-01", "Food", "3.20", "Bakery"}, {"2", "2024-05-02", "Car", "45.00", "Garage"}}));

    // The next file with that header is read as confirmed.
    chosen = env.path(QStringLiteral("june.csv"));
    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    window = w.openImportWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Import Statement \u2013 june.csv"));
    EXPECT_EQ(column(ImportTable::kNameColumn), (QStringList{"Food"}));
    EXPECT_TRUE(env.boxes().empty());
}

TEST_F(ImportWindowTest, aFileThatIsNoStatementIsSaidSoAndNoWindowOpens)
{
    Form1 &w = start();
    QFile letter(env.path(QStringLiteral("letter.txt")));
    ASSERT_TRUE(letter.open(QIODevice::WriteOnly));
    letter.write("Dear Sir,\nthank you for your letter.\n");
    letter.close();
    setStatementFileChooser([&](QWidget *) { return letter.fileName(); });
    const auto restore = qScopeGuard([] { setStatementFileChooser({}); });
    w.importStatement();
    EXPECT_EQ(w.openImportWindow(), nullptr);
    ASSERT_EQ(env.boxes().size(), 1u);
    EXPECT_TRUE(env.boxes()[0].text.startsWith(QStringLiteral("letter.txt: "))) << env.boxes()[0].text.toStdString();
}

class ImportWindowFormat : public ImportWindowTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(ImportWindowFormat, aStatementComesInOnceAndOneUndoTakesItBack)
{
    Form1 &w = start();
    const QString file = QStringLiteral(TALLYMERE_IMPORT_FILES "/") + QString::fromLatin1(GetParam());
    setStatementFileChooser([&file](QWidget *) { return file; });
    const auto restore = qScopeGuard([] { setStatementFileChooser({}); });
    const auto entries = [&] { return test::readRows(ledger, "income").size() + test::readRows(ledger, "expenses").size(); };

    w.importStatement();
    window = w.openImportWindow();
    ASSERT_NE(window, nullptr);
    const auto read = std::size_t(window->table().plan().entries.size());
    ASSERT_GT(read, 0u);
    EXPECT_EQ(window->table().checkedEntries().size(), read);
    window->importButton()->click();
    EXPECT_EQ(entries(), read);
    EXPECT_EQ(std::size_t(w.ui().ListView1->model()->rowCount() + w.ui().ListView2->model()->rowCount()), read);

    // The same file again: every transaction is there already, and nothing is offered.
    w.importStatement();
    window = w.openImportWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->table().checkedEntries().empty());
    EXPECT_FALSE(window->importButton()->isEnabled());
    window->close();
    EXPECT_EQ(entries(), read);

    w.show();
    QApplication::setActiveWindow(&w);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(entries(), 0u);
    EXPECT_EQ(w.ui().ListView1->model()->rowCount() + w.ui().ListView2->model()->rowCount(), 0);
    EXPECT_TRUE(env.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, ImportWindowFormat,
                         ::testing::Values("german-preamble.csv", "ofx1-one-line.ofx", "ofx2.ofx", "qfx-multi-line.qfx",
                                           "split-transfer.qif", "camt053-v02.xml", "camt053-v08.xml"));

} // namespace
} // namespace tallymere
