#include "core/db/ledgerschema.h"

#include <QFile>
#include <QFileInfo>

#include "core/db/connection.h"

namespace tallymere {

namespace {

// TEXT affinity keeps every value as the text it was sent as: an amount "12.50" stays "12.50"
// and a date keeps its exact form. AUTOINCREMENT never gives out the number of a deleted row
// again, so a stale list item can never name a newer entry.
constexpr const char *incomeTable =
    "CREATE TABLE income (sr_no INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, source TEXT, "
    "amount TEXT, particulars TEXT)";
constexpr const char *expensesTable =
    "CREATE TABLE expenses (sr_no INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, category TEXT, "
    "amount TEXT, particulars TEXT)";

} // namespace

void createLedger(const QString &path)
{
    // An exclusive create claims the name, so whatever lies there, or appears there meanwhile,
    // is never overwritten; the engine takes the empty file for an empty database.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QFileInfo existing(path);
        if (existing.exists() || existing.isSymLink())
            throw LedgerExists(QStringLiteral("%1 already exists.").arg(path));
        throw Error(QStringLiteral("%1 cannot be created: %2").arg(path, file.errorString()));
    }
    file.close();

    try {
        Connection ledger;
        ledger.openFile(path);
        ledger.Execute(QStringLiteral("BEGIN"));
        ledger.Execute(QString::fromLatin1(incomeTable));
        ledger.Execute(QString::fromLatin1(expensesTable));
        ledger.Execute(QStringLiteral("COMMIT"));
    } catch (const Error &error) {
        QFile::remove(path);
        throw Error(QStringLiteral("%1 cannot be created: %2").arg(path, error.description()));
    }
}

QString ledgerPath(const QString &programFolder)
{
    return programFolder + QStringLiteral("/dbExpense.mdb");
}

QString connectionStringFor(const QString &programFolder)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + ledgerPath(programFolder)
        + QStringLiteral(";Persist Security Info=False");
}

} // namespace tallymere
