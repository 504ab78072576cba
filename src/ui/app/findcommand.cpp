// The main window's way into Find Entries, and back from a found entry to its list.

#include "ui/app/form1.h"

#include "core/errors/errorreport.h"
#include "ui/controls/listview.h"

namespace tallymere {

void Form1::showFindEntries()
{
    ErrorHandler on(QStringLiteral("in Tallymere.Form1.showFindEntries "));
    on.step(100, [&] {
        // One Find window: an open one just comes to the front, ready for the next search.
        FindEntries &find = m_find.showInFront([this] { return new FindEntries(m_ledger, this); },
                                               [this](FindEntries *window) {
                                                   connect(window, &FindEntries::entryChosen, this,
                                                           &Form1::showEntryInList);
                                               });
        find.focusSearch();
    });
}

void Form1::showEntryInList(bool income, int row)
{
    ErrorHandler on(QStringLiteral("in Tallymere.Form1.showEntryInList "));
    ListView *list = income ? m_ui.ListView1 : m_ui.ListView2;
    on.step(100, [&] { list->selectItem(row + 1); });
    on.step(102, [&] {
        raise();
        activateWindow();
        list->setFocus(Qt::OtherFocusReason);
    });
}

} // namespace tallymere
