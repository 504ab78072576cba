// The add, update and delete commands of the main window's two lists.

#include "ui/app/form1.h"

#include <QLabel>
#include <QLineEdit>

#include "ui/controls/calendar.h"
#include "ui/controls/listview.h"
#include "core/text/datetext.h"
#include "ui/entries/form2.h"
#include "core/ledger/statements.h"
#include "core/errors/error.h"
#include "core/errors/errorreport.h"
#include "core/ledger/modexpense.h"
#include "core/platform/messagebox.h"

namespace tallymere {
namespace {

/// The text of the selected item: the entry's sr_no. Throws when no item is selected.
QString selectedText(const ListView *list)
{
    return list->items().itemText(list->selectedItem());
}

/// Sub-item 1 of the selected item, the "SR No" column.
QString selectedNumber(const ListView *list)
{
    return list->items().subItem(list->selectedItem(), 1);
}

void showModeless(Form2 &editor)
{
    editor.show();
    editor.raise();
    editor.activateWindow();
}

/// Puts the editor's calendar on the date of its date field.
void calendarFromDateField(Form2 &editor)
{
    const auto date = dateText::read(editor.ui().Text1[1]->text());
    if (!date)
        throw Error(QStringLiteral("Type mismatch: \"%1\" is not a date.").arg(editor.ui().Text1[1]->text()));
    editor.ui().Calendar1->setValue(*date);
}

/// The add command of one list: the editor opens to add an entry to it.
void addEntry(ErrorHandler &on, Form1 &main, bool income)
{
    on.step(100, [&] {
        main.form2().setWindowTitle(income ? QStringLiteral("Add New Income") : QStringLiteral("Add New Expenses"));
    });
    // An editor still open from an update must not change that entry: the next save adds.
    on.step(102, [&] { main.form2().mUpdateID.clear(); });
    on.step(104, [&] {
        main.form2().ui().Label1[2]->setText(income ? QStringLiteral("Source:") : QStringLiteral("Category:"));
    });
    on.step(106, [&] { showModeless(main.form2()); });
    on.step(108, [&] {
        if (income)
            modExpense::listIncome(main.ledger());
        else
            modExpense::listExpenses(main.ledger());
    });
    on.step(110, [&] { modExpense::showTotals(main.ledger()); });
}

/// Steps 100 to 108 of the update command of one list: with an entry selected, the editor takes
/// its number and fields to update it. False when the list is empty (the command stops there).
bool loadForUpdate(ErrorHandler &on, Form1 &main, bool income)
{
    const ListView *list = income ? main.ui().ListView1 : main.ui().ListView2;
    if (!on.test(100, [&] { return list->items().itemCount() != 0; }))
        return false;
    on.step(102, [&] {
        main.form2().setWindowTitle(income ? QStringLiteral("Update Income") : QStringLiteral("Update Expenses"));
    });
    on.step(104, [&] {
        main.form2().ui().Label1[2]->setText(income ? QStringLiteral("Source:") : QStringLiteral("Category:"));
    });
    on.step(106, [&] { main.form2().mUpdateID = selectedText(list); });
    on.step(108, [&] {
        const auto fields = income ? modExpense::loadIncomeEntry(main.ledger(), selectedText(list))
                                   : modExpense::loadExpenseEntry(main.ledger(), selectedText(list));
        if (fields)
            main.form2().showEntry(*fields);
    });
    return true;
}

} // namespace

void Form1::PushButton1_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton1_Click "));
    addEntry(on, *this, true);
}

void Form1::PushButton7_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton7_Click "));
    addEntry(on, *this, false);
}

void Form1::PushButton2_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton2_Click "));
    if (!loadForUpdate(on, *this, true))
        return;
    on.step(110, [&] { showModeless(form2()); });
    on.step(112, [&] { modExpense::listIncome(m_ledger); });
    on.step(114, [&] { modExpense::showTotals(m_ledger); });
    on.step(114, [&] { calendarFromDateField(form2()); });
}

void Form1::PushButton6_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton6_Click "));
    if (!loadForUpdate(on, *this, false))
        return;
    on.step(110, [&] { showModeless(form2()); });
    on.step(110, [&] { calendarFromDateField(form2()); });
    on.step(112, [&] { modExpense::listExpenses(m_ledger); });
    on.step(114, [&] { modExpense::showTotals(m_ledger); });
}

namespace {

/// The delete command of one list. A row goes only when the answer is Yes: when the question
/// itself fails (no selected item), the delete step still reads the selection and is reported,
/// but deletes nothing.
void deleteSelected(ErrorHandler &on, Ledger &ledger, const ListView *list, bool income)
{
    if (!on.test(100, [&] { return list->items().itemCount() != 0; }))
        return;
    bool confirmed = false;
    if (!on.test(108, [&] {
            confirmed = platform::msgBox(QStringLiteral("Are you sure you want to delete ") + selectedNumber(list)
                                             + QStringLiteral("?"),
                                         platform::MessageStyle::YesNo,
                                         income ? QStringLiteral("Delete Income") : QStringLiteral("Delete Expenses"))
                == platform::MessageResult::Yes;
            return confirmed;
        }))
        return;
    on.step(110, [&] {
        const QString srNo = selectedText(list);
        if (confirmed)
            ledger.write(entrySql::deleteStatement(income, srNo), income, Ledger::Change::Delete, srNo);
    });
    on.step(112, [&] {
        if (income)
            modExpense::listIncome(ledger);
        else
            modExpense::listExpenses(ledger);
    });
    on.step(114, [&] { modExpense::showTotals(ledger); });
}

} // namespace

void Form1::PushButton3_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton3_Click "));
    deleteSelected(on, m_ledger, m_ui.ListView1, true);
}

void Form1::PushButton8_Click()
{
    ErrorHandler on(QStringLiteral("in Coinfold2021/08/31.Form1.PushButton8_Click "));
    deleteSelected(on, m_ledger, m_ui.ListView2, false);
}

} // namespace tallymere

namespace tallymere {

void Form1::newEntryLikeThis()
{
    ListView *list = m_ui.ListView1->hasFocus() ? m_ui.ListView1 : m_ui.ListView2->hasFocus() ? m_ui.ListView2 : m_lastList.data();
    if (list)
        newEntryLikeThis(list);
}

void Form1::newEntryLikeThis(ListView *list)
{
    ErrorHandler on(QStringLiteral("in Tallymere.Form1.newEntryLikeThis "));
    const bool income = list == m_ui.ListView1;
    // Nothing selected, nothing to repeat: as the update command, it does nothing then.
    if (!on.test(100, [&] { return list->items().itemCount() != 0; }))
        return;
    std::optional<modExpense::EntryFields> fields;
    on.step(102, [&] {
        const QString srNo = selectedText(list);
        fields = income ? modExpense::loadIncomeEntry(m_ledger, srNo) : modExpense::loadExpenseEntry(m_ledger, srNo);
    });
    if (!fields)
        return;
    // The add command of the list opens the editor: its caption, no update number, the label.
    on.step(104, [&] {
        if (income)
            PushButton1_Click();
        else
            PushButton7_Click();
    });
    on.step(106, [&] {
        Form2 *editor = openForm2();
        if (!editor)
            return;
        const QDate today = QDate::currentDate();
        (*fields)[0] = dateText::format(today);
        editor->showEntry(*fields);
        editor->ui().Calendar1->setValue(today);
        // The amount is the field most often changed from one month to the next.
        editor->ui().Text1[3]->setFocus(Qt::OtherFocusReason);
        editor->ui().Text1[3]->selectAll();
    });
}

} // namespace tallymere
