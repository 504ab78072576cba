#include "core/db/recordset.h"

#include "core/db/connection.h"
#include "core/errors/error.h"

namespace tallymere {

Recordset::Recordset() = default;

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
    auto stmt = std::make_unique<Statement>(connection.handle(), statement);
    stmt->bind(parameters);

    m_stmt = std::move(stmt);
    const int columns = m_stmt->columnCount();
    m_columnNames.reserve(std::size_t(columns));
    for (int i = 0; i < columns; ++i)
        m_columnNames.push_back(m_stmt->columnName(i));
    m_eof = false;
    try {
        MoveNext();
    } catch (...) {
        Close();
        throw;
    }
}

void Recordset::Rerun(const Parameters &parameters)
{
    if (!m_stmt)
        throw Error(QStringLiteral("The recordset is not open."));
    m_eof = true;
    m_stmt->reset();
    m_stmt->bind(parameters);
    m_eof = false;
    MoveNext();
}

void Recordset::RerunToEnd(const Parameters &parameters)
{
    if (!m_stmt)
        throw Error(QStringLiteral("The recordset is not open."));
    m_eof = true;
    m_stmt->reset();
    try {
        m_stmt->bind(parameters, true);
        m_stmt->run();
    } catch (...) {
        m_stmt->reset();
        throw;
    }
    m_stmt->reset(); // the values are the caller's: unbound before it may let them go
}

bool Recordset::Eof() const noexcept
{
    return !m_stmt || m_eof;
}

void Recordset::MoveNext()
{
    requireRow();
    try {
        if (m_stmt->step())
            return;
    } catch (...) {
        // A failed step ends the rows as well, so a reading loop always comes to its end.
        m_eof = true;
        throw;
    }
    m_eof = true;
}

void Recordset::Close() noexcept
{
    m_stmt.reset();
    m_eof = true;
    m_columnNames.clear();
}

FieldValue Recordset::value(int position) const
{
    requireRow();
    requireColumn(position);
    return m_stmt->value(position);
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
    requireColumn(position);
    return m_stmt->columnText(position);
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

void Recordset::requireColumn(int position) const
{
    if (position < 0 || std::size_t(position) >= m_columnNames.size())
        throw Error(QStringLiteral("The recordset has no column number %1.").arg(position));
}

} // namespace tallymere
