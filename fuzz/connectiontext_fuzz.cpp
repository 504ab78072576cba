// The connection text. The ledger's own text gives back the ledger's path, whatever the program
// folder is called; an item is found by its key whatever else the text holds; and opening any
// text either opens the one ledger it names or fails with the program's error, never making a
// file.
//
// Input: one byte choosing the check, then UTF-8: a program folder, or a connection text.

#include <cstdint>

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/errors/error.h"
#include "fuzzcheck.h"
#include "core/db/connection.h"
#include "core/db/ledgerschema.h"

using namespace tallymere;

namespace {

const QString kDataSource = QStringLiteral("Data Source");

/// A scratch folder, the working folder of the run, holding one ledger, "dbExpense.mdb".
const QDir &scratch()
{
    static QTemporaryDir dir;
    static const bool ready = [] {
        createLedger(dir.filePath(QStringLiteral("dbExpense.mdb")));
        return QDir::setCurrent(dir.path());
    }();
    FUZZ_CHECK(ready);
    static const QDir folder(dir.path());
    return folder;
}

/// The keys a connection text knows: after a ";" they start a new item.
bool isKnownKey(QStringView name)
{
    static const QStringList known{QStringLiteral("Provider"), QStringLiteral("Data Source"),
        QStringLiteral("Persist Security Info"), QStringLiteral("User ID"), QStringLiteral("Password"),
        QStringLiteral("Mode"), QStringLiteral("Extended Properties"), QStringLiteral("Initial Catalog")};
    const QStringView trimmed = name.trimmed();
    if (trimmed.startsWith(u"Jet OLEDB:", Qt::CaseInsensitive))
        return true;
    for (const QString &key : known) {
        if (trimmed.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void folderRoundTrip(const QString &folder)
{
    // A folder name in which a ";" is followed by one of the connection text's own keys and "="
    // cannot be told from the start of another item; every other name comes back whole.
    const QStringList pieces = folder.split(u';');
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const qsizetype equals = pieces[i].indexOf(u'=');
        if (equals >= 0 && isKnownKey(QStringView(pieces[i]).left(equals)))
            return;
    }
    FUZZ_CHECK(Connection::connectionItem(connectionStringFor(folder), kDataSource) == ledgerPath(folder));
}

/// For a text made only of "key=value" items with known keys (no ";" inside a value): the
/// value of the first item whose key, without surrounding blanks, is the one asked for in any
/// letter case.
void itemLookup(const QString &text)
{
    const QStringList pieces = text.split(u';');
    QString expected;
    bool found = false;
    for (const QString &piece : pieces) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals < 0 || !isKnownKey(QStringView(piece).left(equals)))
            return;
        if (!found && piece.left(equals).trimmed().compare(kDataSource, Qt::CaseInsensitive) == 0) {
            expected = piece.mid(equals + 1);
            found = true;
        }
    }
    FUZZ_CHECK(Connection::connectionItem(text, kDataSource) == expected);
}

void opening(const QString &text)
{
    const QString source = Connection::connectionItem(text, kDataSource);
    // Only names inside the scratch folder: a path elsewhere could name a device or a pipe.
    // ":memory:" is left out until the connection stops opening it as a database in memory.
    if (source.contains(u'/') || source.contains(QChar(0)) || source == QLatin1String(":memory:"))
        return;
    const QDir &dir = scratch();
    Connection connection;
    bool opened = false;
    try {
        connection.Open(text);
        opened = true;
    } catch (const Error &) {
        FUZZ_CHECK(connection.State() == 0);
    }
    FUZZ_CHECK(opened == (source == QLatin1String("dbExpense.mdb")));
    FUZZ_CHECK(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
               == QStringList{QStringLiteral("dbExpense.mdb")});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0:
        folderRoundTrip(text);
        break;
    case 1:
        itemLookup(text);
        break;
    default:
        opening(text);
        break;
    }
    return 0;
}
