#pragma once

#include <string_view>
#include <vector>

#include <QByteArray>
#include <QString>

#include "core/errors/error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tallymere {

class Database;

/// The type of a stored value, with the engine's own codes.
enum class ValueType : int { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

/// One stored value exactly as the engine keeps it: its type and its content.
struct FieldValue {
    ValueType type = ValueType::Null;
    long long integer = 0;
    double real = 0;
    QByteArray bytes; // the UTF-8 text or the blob

    static FieldValue ofInteger(long long value) { return {ValueType::Integer, value, 0, {}}; }

    bool operator==(const FieldValue &) const = default;
};

/// Values bound to the "?" of a statement, in order.
using Parameters = std::vector<FieldValue>;

/// Thrown when a statement breaks a constraint of the table (a number already taken).
class ConstraintFailure : public Error
{
public:
    using Error::Error;
};

/// A name (of a table or a column) as the engine reads it in a statement: in double quotes,
/// every double quote in it doubled.
QString quotedName(const QString &name);

/// One prepared statement of the engine, in the SQLiteCpp manner: prepared by the constructor,
/// values bound, stepped row by row, columns read by type, finalised by the destructor. Every
/// failure throws tallymere::Error carrying the engine's own message.
class Statement
{
public:
    /// Prepares `sql`, which must be exactly one statement (blanks, comments and semicolons may
    /// follow it), on the database handle `db`.
    Statement(sqlite3 *db, const QString &sql);
    Statement(const Database &database, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    /// Binds `value` to the "?" at `position` (from 1); all of `parameters` in order. With
    /// `borrowed` the engine reads a text or blob where the caller keeps it instead of copying
    /// it, so it must stay unchanged until reset().
    void bind(int position, const FieldValue &value, bool borrowed = false);
    void bind(const Parameters &parameters, bool borrowed = false);

    /// Runs the statement to its next row: true when there is one, false at its end. Throws
    /// on failure (ConstraintFailure for a broken constraint).
    bool step();
    /// Runs the statement to its end.
    void run();
    /// Makes the statement ready to run again from its start, its values unbound.
    void reset() noexcept;

    int columnCount() const noexcept;
    QString columnName(int column) const;
    ValueType columnType(int column) const noexcept;
    /// The value of a column of the current row as UTF-8 text, valid until the next step: the
    /// engine writes any value as text (7 as "7"); Null is the empty text.
    std::string_view columnText(int column) const noexcept;
    long long columnInteger(int column) const noexcept;
    /// The value exactly as stored.
    FieldValue value(int column) const;

    /// The database handle the statement runs on.
    sqlite3 *database() const noexcept;

private:
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace tallymere
