#pragma once

#include <QString>

namespace tallymere {

class Form2;

namespace modExpense {

/// Writes the income entry numbered `srNo` into the four fields of the entry editor (the date
/// in the current order). A number that matches no entry changes nothing. Throws on failure;
/// the calling command reports it.
void loadIncomeEntry(const QString &srNo);
/// The same for an expense entry.
void loadExpenseEntry(const QString &srNo);

/// The loaders' work on a given editor: `income` chooses the table.
void loadEntry(Form2 &editor, bool income, const QString &srNo);

} // namespace modExpense
} // namespace tallymere
