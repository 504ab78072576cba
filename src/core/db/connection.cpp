#include "core/db/connection.h"

#include <algorithm>

#include <QStringList>

#include "core/db/database.h"
#include "core/errors/error.h"

namespace tallymere {

namespace {

/// How long a statement waits for another process that holds the file before it fails with the
/// engine's "database is locked".
constexpr int busyTimeoutMs = 2000;

} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    Close();
}

QString Connection::connectionItem(const QString &connectionString, const QString &key)
{
    // Items are "Key=Value" separated by ";", but a folder name may hold ";" and "=" as well, so
    // a piece starts a new item only when it begins with a key that a connection text knows;
    // any other piece continues the value before it.
    const auto isKnownKey = [](QStringView name) {
        static const QStringList known{QStringLiteral("Provider"), QStringLiteral("Data Source"),
            QStringLiteral("Persist Security Info"), QStringLiteral("User ID"), QStringLiteral("Password"),
            QStringLiteral("Mode"), QStringLiteral("Extended Properties"), QStringLiteral("Initial Catalog")};
        const QStringView trimmed = name.trimmed();
        return trimmed.startsWith(u"Jet OLEDB:", Qt::CaseInsensitive)
            || std::any_of(known.begin(), known.end(), [trimmed](const QString &k) {
                   return trimmed.compare(k, Qt::CaseInsensitive) == 0;
               });
    };
    QString value;
    bool inItem = false;
    bool first = true;
    for (const QString &piece : connectionString.split(u';')) {
        const qsizetype equals = piece.indexOf(u'=');
        const bool startsItem = equals >= 0 && (first || isKnownKey(QStringView(piece).left(equals)));
        first = false;
        if (!startsItem) {
            if (inItem)
                value += u';' + piece;
            continue;
        }
        if (inItem)
            break;
        inItem = piece.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0;
        if (inItem)
            value = piece.mid(equals + 1);
    }
    return value;
}

void Connection::Open(const QString &connectionString)
{
    const QString path = connectionItem(connectionString, QStringLiteral("Data Source"));
    if (path.isEmpty())
        throw Error(QStringLiteral("The connection text names no Data Source."));
    openFile(path);
}

void Connection::openFile(const QString &path)
{
    if (m_db)
        throw Error(QStringLiteral("The connection to the ledger is already open."));
    m_db = std::make_unique<Database>(path, Database::Mode::ReadWrite);
    m_db->setBusyTimeout(busyTimeoutMs);

    try {
        // Opening alone reads nothing: reading the schema is what tells a database from any
        // other file. It only reads, so the file stays as it was.
        Statement(*m_db, QStringLiteral("select count(*) from sqlite_master")).step();

        // The journal stays the engine's default rollback journal (DELETE), which opening never
        // changes. Each statement then commits on its own: the pages it changes are first copied
        // to the journal, the journal is flushed to disk, the file is written and flushed, and
        // deleting the journal is the commit. A process killed, or power lost, before that point
        // leaves the journal behind and the next open rolls the file back to the last commit, so
        // a save is either wholly there or not at all. EXTRA is FULL (every flush waits until the
        // disk has the data) plus a flush of the folder after the journal is deleted: without it
        // power lost just after a commit could bring the deleted journal back and undo a save
        // that Execute had already reported done.
        Execute(QStringLiteral("PRAGMA synchronous=EXTRA"));
    } catch (...) {
        Close();
        throw;
    }
}

int Connection::Execute(const QString &statement)
{
    return Execute(statement, Parameters());
}

int Connection::Execute(const QString &statement, const Parameters &parameters)
{
    // Run to its end, so an insert, update or delete is done before this returns.
    const long long before = m_db ? m_db->totalChanges() : 0;
    Statement run(handle(), statement);
    run.bind(parameters);
    run.run();
    return int(m_db->totalChanges() - before);
}

bool Connection::readOnly() const noexcept
{
    return m_db && m_db->readOnly();
}

long long Connection::dataVersion() const
{
    if (!m_db)
        throw Error(QStringLiteral("The connection to the ledger is closed."));
    // Not worth a wait: a reader that cannot tell reads the whole table, and that read waits.
    m_db->setBusyTimeout(0);
    long long version = 0;
    try {
        Statement pragma(*m_db, QStringLiteral("PRAGMA data_version"));
        if (pragma.step())
            version = pragma.columnInteger(0);
    } catch (...) {
        m_db->setBusyTimeout(busyTimeoutMs);
        throw;
    }
    m_db->setBusyTimeout(busyTimeoutMs);
    return version;
}

long long Connection::lastInsertedRecord() const noexcept
{
    return m_db ? m_db->lastInsertRowid() : 0;
}

long long Connection::totalChanges() const noexcept
{
    return m_db ? m_db->totalChanges() : 0;
}

void Connection::Close() noexcept
{
    // A recordset that is still open finishes with its statement first; the file is released
    // when the last one is finalised.
    m_db.reset();
}

sqlite3 *Connection::handle() const noexcept
{
    return m_db ? m_db->handle() : nullptr;
}

} // namespace tallymere
