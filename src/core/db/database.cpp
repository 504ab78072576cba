#include "core/db/database.h"

#include <QFile>

#include <sqlite3.h>

#include "core/errors/error.h"

namespace tallymere {

struct Database::Waiting {
    std::function<bool(int)> retry;
    int pauseMs = 0;
    std::function<bool()> interrupt;
};

Database::Database(const QString &path, Mode mode)
{
    // The engine reads a relative name that starts with "file:" as a URI and ":memory:" as no
    // file at all; "./" keeps every name that is not absolute a plain file name.
    const QString fileName = path.startsWith(u'/') ? path : QStringLiteral("./") + path;
    // No SQLITE_OPEN_CREATE: the file must exist and is never made by opening it.
    const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : resultText(rc);
        sqlite3_close_v2(db);
        throw Error(message);
    }
    m_db = db;
}

Database::~Database()
{
    // close_v2 lets a statement that is still open finish first; the file is released when the
    // last one is finalised.
    sqlite3_close_v2(m_db);
}

void Database::execute(const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : lastMessage();
        sqlite3_free(message);
        throw Error(text);
    }
}

bool Database::tryExecute(const char *sql) noexcept
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void Database::setBusyTimeout(int milliseconds) noexcept
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

void Database::setWaiting(std::function<bool(int)> retry, int pauseMs, std::function<bool()> interrupt)
{
    m_waiting = std::make_unique<Waiting>(Waiting{std::move(retry), pauseMs, std::move(interrupt)});
    // The engine's own busy timeout gives up for good on a connection that runs no statement
    // between two tries; this handler keeps asking.
    const auto waitOnce = [](void *context, int pausesSoFar) -> int {
        const auto *waiting = static_cast<const Waiting *>(context);
        if (!waiting->retry || !waiting->retry(pausesSoFar))
            return 0;
        sqlite3_sleep(waiting->pauseMs);
        return 1;
    };
    const auto interruptWhenAsked = [](void *context) -> int {
        const auto *waiting = static_cast<const Waiting *>(context);
        return waiting->interrupt && waiting->interrupt() ? 1 : 0;
    };
    sqlite3_busy_handler(m_db, waitOnce, m_waiting.get());
    sqlite3_progress_handler(m_db, 10000, interruptWhenAsked, m_waiting.get());
}

long long Database::totalChanges() const noexcept
{
    return sqlite3_total_changes64(m_db);
}

long long Database::lastInsertRowid() const noexcept
{
    return sqlite3_last_insert_rowid(m_db);
}

QString Database::lastMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

bool Database::readFile(char *buffer, std::size_t bytes, long long offset) const noexcept
{
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return false;
    return file->pMethods->xRead(file, buffer, int(bytes), offset) == SQLITE_OK;
}

void Database::sleep(int milliseconds) noexcept
{
    sqlite3_sleep(milliseconds);
}

QString Database::resultText(int code)
{
    return QString::fromUtf8(sqlite3_errstr(code));
}

} // namespace tallymere
