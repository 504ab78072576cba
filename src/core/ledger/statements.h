#pragma once

#include <QString>

namespace tallymere {

/// The statement texts that the entry commands and the entry editor send to the ledger. Values
/// go as text literals: the text exactly as given, every single quote doubled, nothing trimmed.
namespace entrySql {

/// Whether an editor caption names the income table: it contains "income" in any letter case.
bool isIncomeCaption(const QString &caption);

/// "[income]" or "[expenses]".
QString tableText(bool income);
/// The insert's column list: "[date],[source],[amount],[particulars]" or the same with
/// "[category]".
QString columnListText(bool income);

/// `text` with every "'" written twice.
QString escaped(const QString &text);
/// One item of an insert's value list: the quoted text followed by ",".
QString valueItem(const QString &text);

/// The name of a field as messages give it: its label caption without ":" and surrounding blanks.
QString fieldName(const QString &caption);
/// The column an update writes for a field: its label caption with every blank turned into "_",
/// every ":" removed and surrounding blanks trimmed, in brackets ("Date:" gives "[Date]").
QString updateColumnName(const QString &caption);
/// One item of an update's set list: "[Column] = 'text',".
QString setItem(const QString &caption, const QString &text);

/// "insert into TABLE (COLUMNS) values (VALUES)".
QString insertStatement(const QString &table, const QString &columns, const QString &values);
/// "update TABLE set SETLIST where sr_no=ID"; the number goes unquoted.
QString updateStatement(const QString &table, const QString &setList, const QString &srNo);

/// "select * from [TABLE] where sr_no=N": one entry for the editor.
QString selectEntryStatement(bool income, const QString &srNo);
/// "delete from [TABLE] where sr_no=N".
QString deleteStatement(bool income, const QString &srNo);

} // namespace entrySql
} // namespace tallymere
