#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include <QString>

struct sqlite3;

namespace tallymere {

/// An open database file: the engine's handle, closed in the destructor, in the SQLiteCpp
/// manner. Every failure throws tallymere::Error carrying the engine's own message.
class Database
{
public:
    enum class Mode { ReadOnly, ReadWrite };

    /// Opens the database file at `path`, which must exist: nothing is created by opening.
    /// A relative `path` is taken as a plain file name, never as a URI or ":memory:".
    Database(const QString &path, Mode mode);
    /// Lets a statement still open finish first; the file is released when it is finalised.
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    /// The engine's handle, for the statements made on this database.
    sqlite3 *handle() const noexcept { return m_db; }

    /// Runs `sql` (one or more statements) to its end; throws on failure.
    void execute(const QString &sql);
    /// The same, a failure passed over; false when it failed.
    bool tryExecute(const char *sql) noexcept;

    /// How long a statement waits for another process that holds the file, at most.
    void setBusyTimeout(int milliseconds) noexcept;
    /// While the file is held by another process, a statement asks `retry` (with the number of
    /// pauses so far) whether to wait once more, `pauseMs` long; without it, it fails at once.
    /// Once `interrupt` answers true, the statement under way fails ("interrupted"), checked
    /// every few thousand steps of the engine. Both are kept until the database is closed.
    void setWaiting(std::function<bool(int pausesSoFar)> retry, int pauseMs, std::function<bool()> interrupt);

    /// The rows inserted, changed or deleted by every statement since the file was opened.
    long long totalChanges() const noexcept;
    /// The record number of the last row inserted on this database.
    long long lastInsertRowid() const noexcept;
    /// The engine's message of the last failure.
    QString lastMessage() const;

    /// Reads `bytes` bytes of the main file from `offset` through the engine's own file handle
    /// (so the process keeps its locks on the file); false when they cannot be read.
    bool readFile(char *buffer, std::size_t bytes, long long offset) const noexcept;

    /// Sleeps for `milliseconds`, as the engine does between two tries.
    static void sleep(int milliseconds) noexcept;
    /// The engine's text for one of its result codes.
    static QString resultText(int code);

private:
    struct Waiting;

    sqlite3 *m_db = nullptr;
    std::unique_ptr<Waiting> m_waiting;
};

} // namespace tallymere
