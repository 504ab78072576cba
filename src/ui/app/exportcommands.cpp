// The main window's two export commands: each sends its list to a new spreadsheet workbook.

#include "ui/app/form1.h"
#include "ui/controls/listview.h"
#include "core/export/listexport.h"

namespace tallymere {

void Form1::PushButton4_Click()
{
    exportList(m_ui.ListView1->items(), QStringLiteral("in Coinfold2021/08/31.Form1.PushButton4_Click "), *this,
               m_ui.ListView1->shownRows(), QStringLiteral("Income.xlsx"));
}

void Form1::PushButton5_Click()
{
    exportList(m_ui.ListView2->items(), QStringLiteral("in Coinfold2021/08/31.Form1.PushButton5_Click "), *this,
               m_ui.ListView2->shownRows(), QStringLiteral("Expenses.xlsx"));
}

} // namespace tallymere
