#include "core/ledger/statements.h"

#include <array>

namespace tallymere::entrySql {

bool isIncomeCaption(const QString &caption)
{
    return caption.contains(QLatin1String("income"), Qt::CaseInsensitive);
}

QString tableText(bool income)
{
    return income ? QStringLiteral("[income]") : QStringLiteral("[expenses]");
}

QString columnListText(bool income)
{
    return income ? QStringLiteral("[date],[source],[amount],[particulars]")
                  : QStringLiteral("[date],[category],[amount],[particulars]");
}

QString escaped(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QLatin1String("''"));
    return result;
}

QString valueItem(const QString &text)
{
    return QLatin1Char('\'') + escaped(text) + QLatin1String("',");
}

QString fieldName(const QString &caption)
{
    QString name = caption;
    name.remove(QLatin1Char(':'));
    return name.trimmed();
}

QString updateColumnName(const QString &caption)
{
    QString name = caption;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    name.remove(QLatin1Char(':'));
    return QLatin1Char('[') + name.trimmed() + QLatin1Char(']');
}

QString setItem(const QString &caption, const QString &text)
{
    return updateColumnName(caption) + QLatin1String(" = '") + escaped(text) + QLatin1String("',");
}

QString insertStatement(const QString &table, const QString &columns, const QString &values)
{
    return QLatin1String("insert into ") + table + QLatin1String(" (") + columns
        + QLatin1String(") values (") + values + QLatin1Char(')');
}

QString insertEntryStatement(bool income)
{
    // Asked for once per entry of an import: made once.
    static const std::array<QString, 2> texts = [] {
        std::array<QString, 2> made;
        for (const bool list : {false, true})
            made[list] = insertStatement(tableText(list), QLatin1String("sr_no,") + columnListText(list),
                                         QStringLiteral("?,?,?,?,?"));
        return made;
    }();
    return texts[income];
}

QString updateStatement(const QString &table, const QString &setList, const QString &srNo)
{
    return QLatin1String("update ") + table + QLatin1String(" set ") + setList
        + QLatin1String(" where sr_no=") + srNo;
}

QString SaveStatement::of(const QString &caption, const QString &updateId, const QStringList &labels,
                          const QStringList &values)
{
    // The steps of the editor's save, lines 100 to 144, without its checks of the fields.
    SaveStatement save;
    const bool income = isIncomeCaption(caption);
    save.setTable(income);
    save.setColumns(income);
    save.clearValues();
    save.clearSetList();
    for (qsizetype i = 0; i < values.size(); ++i) {
        save.addValue(values[i]);
        save.addSetItem(labels.value(i), values[i]);
    }
    if (save.hasValues() && save.valuesEndWithSeparator()) {
        save.chopValues();
        save.chopSetList();
    }
    return updateId.isEmpty() ? save.insert() : save.update(updateId);
}

QString selectEntryStatement(bool income, const QString &srNo)
{
    return QLatin1String("select * from ") + tableText(income) + QLatin1String(" where sr_no=") + srNo;
}

QString deleteStatement(bool income, const QString &srNo)
{
    return QLatin1String("delete from ") + tableText(income) + QLatin1String(" where sr_no=") + srNo;
}

} // namespace tallymere::entrySql
