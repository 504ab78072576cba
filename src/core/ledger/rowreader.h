#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include <QString>

#include "core/db/recordset.h"

namespace tallymere {

/// The columns of one table as a fill reads them: sr_no, date, source or category, amount,
/// particulars.
const std::array<QString, 5> &fillColumnsOf(bool income);

/// The rows of a recordset as a fill reads them, in the columns of fillColumnsOf(). Each column
/// is found by name once per fill; a column that is missing is reported for the first row only,
/// and its cells stay empty. A value is read from the engine once per row.
class RowReader
{
public:
    RowReader(Recordset &rows, const std::array<QString, 5> &names) : m_rows(rows), m_names(names) {}

    std::string_view field(int column)
    {
        const auto c = std::size_t(column);
        if (!m_read[c]) {
            auto &position = m_positions[c];
            if (position == kUnknown) {
                position = kMissing;
                position = m_rows.columnPosition(m_names[c]);
            }
            m_values[c] = position == kMissing ? std::string_view() : m_rows.fieldUtf8(position);
            m_read[c] = true;
        }
        return m_values[c];
    }

    /// False once a column was found missing.
    bool complete() const noexcept
    {
        return std::none_of(m_positions.begin(), m_positions.end(), [](int p) { return p == kMissing; });
    }

    /// Makes the next row current; the values read of this row are gone with it.
    void moveNext()
    {
        m_read = {};
        m_rows.MoveNext();
    }

private:
    static constexpr int kUnknown = -2;
    static constexpr int kMissing = -1;
    Recordset &m_rows;
    const std::array<QString, 5> &m_names;
    std::array<int, 5> m_positions{kUnknown, kUnknown, kUnknown, kUnknown, kUnknown};
    std::array<std::string_view, 5> m_values{};
    std::array<bool, 5> m_read{};
};

} // namespace tallymere
