#pragma once

#include <memory>

#include <QString>

#include "core/db/statement.h"

struct sqlite3;

namespace tallymere {

class Database;

/// The ledger's database connection: opened with a connection text, statements executed as
/// text.
/// Every failure throws tallymere::Error carrying the engine's own message.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    /// Opens the database named by the connection text's "Data Source" item. The file must exist;
    /// nothing is created and nothing is written by opening. Throws when the file cannot be
    /// opened or is not a database; the connection then stays closed.
    void Open(const QString &connectionString);
    /// Open with the path of the database file itself in place of the connection text.
    void openFile(const QString &path);

    /// Runs one statement to its end before returning; returns the number of rows it inserted,
    /// changed or deleted (0 for any other statement). Throws on failure (a closed connection
    /// included). Waits a short, bounded time when another process holds the file.
    int Execute(const QString &statement);
    /// The same with values bound to the statement's "?" in order.
    int Execute(const QString &statement, const Parameters &parameters);

    /// The engine's data version: it changes whenever another connection commits a change to the
    /// file. Read without waiting for another process's lock; throws when it cannot be read.
    long long dataVersion() const;

    /// The record number the engine gave the row inserted last on this connection.
    long long lastInsertedRecord() const noexcept;
    /// The rows inserted, changed or deleted on this connection since it was opened; 0 when closed.
    long long totalChanges() const noexcept;

    /// 0 when closed, 1 when open.
    int State() const noexcept { return m_db ? 1 : 0; }

    /// True when the engine could open the file for reading only (this process may not write
    /// it): every change then fails. False when closed.
    bool readOnly() const noexcept;

    /// Releases the file. Closing a closed connection does nothing.
    void Close() noexcept;

    /// The engine's handle for the statements run on this connection; null when closed.
    sqlite3 *handle() const noexcept;

    /// The value of one item ("Data Source", matched without regard to case) of a connection
    /// text of the form "Key=Value;Key=Value"; empty when absent.
    static QString connectionItem(const QString &connectionString, const QString &key);

private:
    std::unique_ptr<Database> m_db;
};

} // namespace tallymere
