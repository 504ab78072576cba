#include "entries/entryloader.h"

#include <QLineEdit>

#include "entries/datetext.h"
#include "entries/form2.h"
#include "entries/forms.h"
#include "entries/statements.h"
#include "errors/error.h"
#include "ledger/modexpense.h"
#include "ledger/numerictext.h"
#include "ledger/recordset.h"

namespace tallymere::modExpense {

void loadEntry(Form2 &editor, bool income, const QString &srNo)
{
    if (!ledgerConnection)
        throw Error(QStringLiteral("The connection to the ledger has not been created."));
    Recordset rs;
    rs.Open(entrySql::selectEntryStatement(income, srNo), *ledgerConnection, adOpenStatic, adLockReadOnly);
    if (!rs.Eof()) {
        for (int i = 1; i <= 4; ++i) {
            // The date in the current order, the amount as the user types numbers.
            const QString value = rs.Fields(i);
            const QString shown = i == 1 ? dateText::fromStored(value) : i == 3 ? typedDecimalText(value) : value;
            editor.ui().Text1[std::size_t(i)]->setText(shown);
        }
    }
    if (rs.State() != 0)
        rs.Close();
}

void loadIncomeEntry(const QString &srNo)
{
    loadEntry(form2(), true, srNo);
}

void loadExpenseEntry(const QString &srNo)
{
    loadEntry(form2(), false, srNo);
}

} // namespace tallymere::modExpense
