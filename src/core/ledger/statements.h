#pragma once

#include <QString>
#include <QStringList>

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
/// "insert into [TABLE] (sr_no,COLUMNS) values (?,?,?,?,?)": an entry of many written in one go,
/// its number (null: the engine's next) and its four values given as parameters.
QString insertEntryStatement(bool income);
/// "update TABLE set SETLIST where sr_no=ID"; the number goes unquoted.
QString updateStatement(const QString &table, const QString &setList, const QString &srNo);

/// "select * from [TABLE] where sr_no=N": one entry for the editor.
QString selectEntryStatement(bool income, const QString &srNo);
/// "delete from [TABLE] where sr_no=N".
QString deleteStatement(bool income, const QString &srNo);

/// The statement of the entry editor's save, built step by step as the save runs: the table and
/// the insert's column list, then one field after another into the value list of an insert and
/// the set list of an update, then the separator after the last item taken off. The editor takes
/// each step under its own line number; any other caller gets the same text from of().
class SaveStatement
{
public:
    /// The table, "[income]" or "[expenses]".
    void setTable(bool income) { m_table = tableText(income); }
    /// The insert's column list of that table.
    void setColumns(bool income) { m_columns = columnListText(income); }
    void clearValues() { m_values.clear(); }
    void clearSetList() { m_setList.clear(); }
    /// Adds a field's value to the value list.
    void addValue(const QString &text) { m_values += valueItem(text); }
    /// Adds a field's value to the set list, under the column its label caption names.
    void addSetItem(const QString &caption, const QString &text) { m_setList += setItem(caption, text); }
    bool hasValues() const noexcept { return !m_values.isEmpty(); }
    /// Whether the value list ends with the separator after an item.
    bool valuesEndWithSeparator() const noexcept { return m_values.endsWith(QLatin1Char(',')); }
    /// Takes the last character off the value list, or off the set list.
    void chopValues() { m_values.chop(1); }
    void chopSetList() { m_setList.chop(1); }

    /// "insert into TABLE (COLUMNS) values (VALUES)".
    QString insert() const { return insertStatement(m_table, m_columns, m_values); }
    /// "update TABLE set SETLIST where sr_no=ID".
    QString update(const QString &srNo) const { return updateStatement(m_table, m_setList, srNo); }

    /// The statement a save sends for an editor with this caption, update number (empty: an
    /// insert), label captions and values as sent, built with the editor's steps in its order.
    static QString of(const QString &caption, const QString &updateId, const QStringList &labels,
                      const QStringList &values);

private:
    QString m_table;
    QString m_columns;
    QString m_values;
    QString m_setList;
};

} // namespace entrySql
} // namespace tallymere
