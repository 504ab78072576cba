#include "core/db/connection.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/db/recordset.h"

namespace tallymere {

namespace {

/// How long a statement waits for another process that holds the file before it fails with the
/// engine's "database is locked".
constexpr int busyTimeoutMs = 2000;

QString engineMessage(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

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

    // The engine reads a relative name that starts with "file:" as a URI and ":memory:" as no
    // file at all; "./" keeps every name that is not absolute a plain file name.
    const QString fileName = path.startsWith(u'/') ? path : QStringLiteral("./") + path;
    sqlite3 *db = nullptr;
    // No SQLITE_OPEN_CREATE: the ledger must exist and is never made by opening it.
    const int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? engineMessage(db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw Error(message);
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, busyTimeoutMs);

    try {
        // Opening alone reads nothing: reading the schema is what tells a database from any
        // other file. It only reads, so the file stays as it was.
        Recordset schema;
        schema.Open(QStringLiteral("select count(*) from sqlite_master"), *this);

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
    // A recordset runs the statement to its first row; stepping over the rest finishes it, so
    // an insert, update or delete is done before this returns.
    const sqlite3_int64 before = m_db ? sqlite3_total_changes64(m_db) : 0;
    Recordset run;
    run.Open(statement, *this, parameters);
    while (!run.Eof())
        run.MoveNext();
    return int(sqlite3_total_changes64(m_db) - before);
}

bool Connection::readOnly() const noexcept
{
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

long long Connection::dataVersion() const
{
    if (!m_db)
        throw Error(QStringLiteral("The connection to the ledger is closed."));
    // Not worth a wait: a reader that cannot tell reads the whole table, and that read waits.
    sqlite3_busy_timeout(m_db, 0);
    long long version = 0;
    try {
        Recordset pragma;
        pragma.Open(QStringLiteral("PRAGMA data_version"), *this);
        version = pragma.Fields(0).toLongLong();
    } catch (...) {
        sqlite3_busy_timeout(m_db, busyTimeoutMs);
        throw;
    }
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    return version;
}

void Connection::Close() noexcept
{
    // close_v2 lets a recordset that is still open finish with its statement first; the file is
    // released when the last one is finalised.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

} // namespace tallymere
