#include "core/db/statement.h"

#include <sqlite3.h>

#include "core/db/database.h"

namespace tallymere {
namespace {

QString engineMessage(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
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

QString quotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

Statement::Statement(sqlite3 *db, const QString &sql)
{
    if (!db)
        throw Error(QStringLiteral("The connection to the ledger is not open."));
    const QByteArray text = sql.toUtf8();
    const char *end = text.constData() + text.size();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, &tail) != SQLITE_OK)
        throw Error(engineMessage(db));
    if (!m_stmt)
        throw Error(QStringLiteral("The statement is empty."));
    // The program sends one statement per call; a second one can only have come in with a value.
    if (!onlyBlanksFollow(db, tail, end)) {
        sqlite3_finalize(m_stmt);
        throw Error(QStringLiteral("Only one statement can be executed at a time."));
    }
}

Statement::Statement(const Database &database, const QString &sql) : Statement(database.handle(), sql) {}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int position, const FieldValue &v, bool borrowed)
{
    const auto keeping = borrowed ? SQLITE_STATIC : SQLITE_TRANSIENT;
    int rc = SQLITE_OK;
    switch (v.type) {
    case ValueType::Integer: rc = sqlite3_bind_int64(m_stmt, position, v.integer); break;
    case ValueType::Float: rc = sqlite3_bind_double(m_stmt, position, v.real); break;
    case ValueType::Text:
        rc = sqlite3_bind_text64(m_stmt, position, v.bytes.constData(), sqlite3_uint64(v.bytes.size()),
                                 keeping, SQLITE_UTF8);
        break;
    case ValueType::Blob:
        rc = sqlite3_bind_blob64(m_stmt, position, v.bytes.constData(), sqlite3_uint64(v.bytes.size()), keeping);
        break;
    case ValueType::Null: rc = sqlite3_bind_null(m_stmt, position); break;
    }
    if (rc != SQLITE_OK)
        throw Error(engineMessage(database()));
}

void Statement::bind(const Parameters &parameters, bool borrowed)
{
    for (std::size_t i = 0; i < parameters.size(); ++i)
        bind(int(i) + 1, parameters[i], borrowed);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
        throw ConstraintFailure(engineMessage(database()));
    throw Error(engineMessage(database()));
}

void Statement::run()
{
    while (step()) {
    }
}

void Statement::reset() noexcept
{
    // A reset reports the failure of the last run again; that run has been reported already.
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const noexcept
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

ValueType Statement::columnType(int column) const noexcept
{
    return ValueType(sqlite3_column_type(m_stmt, column));
}

std::string_view Statement::columnText(int column) const noexcept
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    if (!text)
        return {};
    return {text, std::size_t(sqlite3_column_bytes(m_stmt, column))};
}

long long Statement::columnInteger(int column) const noexcept
{
    return sqlite3_column_int64(m_stmt, column);
}

FieldValue Statement::value(int column) const
{
    FieldValue v;
    v.type = columnType(column);
    switch (v.type) {
    case ValueType::Integer: v.integer = sqlite3_column_int64(m_stmt, column); break;
    case ValueType::Float: v.real = sqlite3_column_double(m_stmt, column); break;
    case ValueType::Text: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        v.bytes = QByteArray(text, sqlite3_column_bytes(m_stmt, column));
        break;
    }
    case ValueType::Blob: {
        const auto *blob = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        v.bytes = QByteArray(blob, sqlite3_column_bytes(m_stmt, column));
        break;
    }
    case ValueType::Null: break;
    }
    return v;
}

sqlite3 *Statement::database() const noexcept
{
    return sqlite3_db_handle(m_stmt);
}

} // namespace tallymere
