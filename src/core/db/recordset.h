#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include <QString>

#include "core/db/statement.h"

namespace tallymere {

class Connection;

/// Cursor types and lock types the program passes when opening a recordset.
namespace CursorType {
inline constexpr int Static = 3;
} // namespace CursorType
namespace LockType {
inline constexpr int ReadOnly = 1;
} // namespace LockType

/// A forward-read recordset over one select statement. The first row is current after Open.
/// Every failure throws tallymere::Error carrying the engine's own message.
class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    /// Runs the select on an open connection and makes its first row current.
    void Open(const QString &statement, const Connection &connection, int cursorType = CursorType::Static,
              int lockType = LockType::ReadOnly);
    /// Runs a statement with values bound to its "?" in order.
    void Open(const QString &statement, const Connection &connection, const Parameters &parameters);

    /// Runs the open statement again from its start with `parameters` bound in place of the
    /// last ones and makes its first row current: a loop that runs one statement many times
    /// (an import's inserts) prepares it once. Throws when the recordset is not open.
    void Rerun(const Parameters &parameters);
    /// Runs the open statement again to its end (a write) with `parameters`, whose bytes the
    /// engine reads where they are, without a copy, and lets go of them before returning: the
    /// loop of an import's inserts allocates nothing per value. The recordset is at its end.
    void RerunToEnd(const Parameters &parameters);

    /// True when no current row is left (and when the recordset is not open). Named Eof because
    /// EOF itself is a macro of the C library.
    bool Eof() const noexcept;
    /// Makes the next row current.
    void MoveNext();
    /// 0 when closed, 1 when open.
    int State() const noexcept { return m_stmt ? 1 : 0; }
    void Close() noexcept;

    /// The current row's value in a column as text: a Null value is the empty text.
    /// Columns are found by name without regard to case, or by position from 0.
    QString Fields(const QString &column) const;
    QString Fields(int position) const;

    /// The same value as UTF-8 bytes, valid until the next MoveNext or Close: for fills that
    /// copy many rows without making a QString per cell.
    std::string_view fieldUtf8(int position) const;
    /// The current row's value in a column exactly as stored.
    FieldValue value(int position) const;
    /// The number of columns and the name of one.
    int columnCount() const noexcept { return int(m_columnNames.size()); }
    const QString &columnName(int position) const { return m_columnNames.at(std::size_t(position)); }
    /// The position of a column found by name without regard to case; throws when absent.
    int columnPosition(const QString &column) const;

private:
    void requireRow() const;
    void requireColumn(int position) const;

    std::unique_ptr<Statement> m_stmt;
    bool m_eof = true;
    std::vector<QString> m_columnNames;
};

} // namespace tallymere
