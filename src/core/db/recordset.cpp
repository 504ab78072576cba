#include "core/db/recordset.h"

#include <sqlite3.h>

#include "core/errors/error.h"
#include "core/db/connection.h"

namespace tallymere {

namespace {

QString engineMessage(sqlite3_stmt *stmt)
{
    return QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt)));
}

/// True when nothing but blanks, comments and semicolons lies between tail and end.
bool onlyBlanksFollow(sqlite3 *db, const char *tail, const char *end)
{
    while (tail < end) {
        sqlite3_stmt *next = nullptr;
        const char *rest = nullptr;
        const int rc = sqlite3_prepare_v2(db, tail, int(end - tail), &next, &rest);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next || rest <= tail)
            return false;
        tail = rest;
    }
    return true;
}

} // namespace

Recordset::~Recordset()
{
    Close();
}

void Recordset::Open(const QString &statement, const Connection &connection,
                     [[maybe_unused]] int cursorType, [[maybe_unused]] int lockType)
{
    Open(statement, connection, Parameters());
}

void Recordset::Open(const QString &statement, const Connection &connection, const Parameters &parameters)
{
    // Every recordset of the program is read once, forwards and read-only, so the engine's own
    // forward cursor serves for the static, read-only one that is asked for.
    Close();
    sqlite3 *db = connection.handle();
    if (!db)
        throw Error(QStringLiteral("The connection to the ledger is not open."));

    const QByteArray text = statement.toUtf8();
    const char *end = text.constData() + text.size();
    const char *tail = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK)
        throw Error(QString::fromUtf8(sqlite3_errmsg(db)));
    if (!stmt)
        throw Error(QStringLiteral("The statement is empty."));
    // The program sends one statement per call; a second one can only have come in with a value.
    if (!onlyBlanksFollow(db, tail, end)) {
        sqlite3_finalize(stmt);
        throw Error(QStringLiteral("Only one statement can be executed at a time."));
    }

    m_stmt = stmt;
    try {
        bind(parameters);
    } catch (...) {
        Close();
        throw;
    }
    const int columns = sqlite3_column_count(stmt);
    m_columnNames.reserve(std::size_t(columns));
    for (int i = 0; i < columns; ++i)
        m_columnNames.push_back(QString::fromUtf8(sqlite3_column_name(stmt, i)));
    m_eof = false;
    try {
        MoveNext();
    } catch (...) {
        Close();
        throw;
    }
}

void Recordset::bind(const Parameters &parameters)
{
    sqlite3_stmt *stmt = m_stmt;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const FieldValue &v = parameters[i];
        const int at = int(i) + 1;
        int rc = SQLITE_OK;
        switch (v.type) {
        case SQLITE_INTEGER: rc = sqlite3_bind_int64(stmt, at, v.integer); break;
        case SQLITE_FLOAT: rc = sqlite3_bind_double(stmt, at, v.real); break;
        case SQLITE_TEXT:
            rc = sqlite3_bind_text64(stmt, at, v.bytes.constData(), sqlite3_uint64(v.bytes.size()), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        case SQLITE_BLOB:
            rc = sqlite3_bind_blob64(stmt, at, v.bytes.constData(), sqlite3_uint64(v.bytes.size()), SQLITE_TRANSIENT);
            break;
        default: rc = sqlite3_bind_null(stmt, at); break;
        }
        if (rc != SQLITE_OK)
            throw Error(engineMessage(stmt));
    }
}

void Recordset::Rerun(const Parameters &parameters)
{
    if (!m_stmt)
        throw Error(QStringLiteral("The recordset is not open."));
    // A reset reports the failure of the last run again; that run has been reported already.
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_eof = true;
    bind(parameters);
    m_eof = false;
    MoveNext();
}

bool Recordset::Eof() const noexcept
{
    return !m_stmt || m_eof;
}

void Recordset::MoveNext()
{
    requireRow();
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return;
    // A failed step ends the rows as well, so a reading loop always comes to its end.
    m_eof = true;
    if (rc != SQLITE_DONE)
        throw Error(engineMessage(m_stmt));
}

void Recordset::Close() noexcept
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_eof = true;
    m_columnNames.clear();
}

FieldValue Recordset::value(int position) const
{
    requireRow();
    if (position < 0 || std::size_t(position) >= m_columnNames.size())
        throw Error(QStringLiteral("The recordset has no column number %1.").arg(position));
    FieldValue v;
    v.type = sqlite3_column_type(m_stmt, position);
    switch (v.type) {
    case SQLITE_INTEGER: v.integer = sqlite3_column_int64(m_stmt, position); break;
    case SQLITE_FLOAT: v.real = sqlite3_column_double(m_stmt, position); break;
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, position));
        v.bytes = QByteArray(text, sqlite3_column_bytes(m_stmt, position));
        break;
    }
    case SQLITE_BLOB: {
        const auto *blob = static_cast<const char *>(sqlite3_column_blob(m_stmt, position));
        v.bytes = QByteArray(blob, sqlite3_column_bytes(m_stmt, position));
        break;
    }
    default: break;
    }
    return v;
}

QString Recordset::Fields(const QString &column) const
{
    requireRow();
    return Fields(columnPosition(column));
}

QString Recordset::Fields(int position) const
{
    const std::string_view value = fieldUtf8(position);
    return QString::fromUtf8(value.data(), qsizetype(value.size()));
}

std::string_view Recordset::fieldUtf8(int position) const
{
    requireRow();
    if (position < 0 || std::size_t(position) >= m_columnNames.size())
        throw Error(QStringLiteral("The recordset has no column number %1.").arg(position));
    // The engine writes every value as text on request (7 as "7"); Null has no text and reads
    // as the empty text.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, position));
    if (!text)
        return {};
    return {text, std::size_t(sqlite3_column_bytes(m_stmt, position))};
}

int Recordset::columnPosition(const QString &column) const
{
    if (!m_stmt)
        throw Error(QStringLiteral("The recordset is not open."));
    for (std::size_t i = 0; i < m_columnNames.size(); ++i) {
        if (m_columnNames[i].compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw Error(QStringLiteral("The recordset has no column named %1.").arg(column));
}

void Recordset::requireRow() const
{
    if (!m_stmt)
        throw Error(QStringLiteral("The recordset is not open."));
    if (m_eof)
        throw Error(QStringLiteral("The recordset has no current row: it is at its end."));
}

} // namespace tallymere
