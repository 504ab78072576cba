#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QCollator>

namespace tallymere {

class ListRows;

/// How the rows of a list are put in order by one of its columns.
enum class SortKind {
    Text,   ///< as text, in the user's collation
    Date,   ///< ISO dates in time order, every other text after them, as text
    Amount, ///< numeric amounts by value, every other text after them, as text
};

/// The order of a list's rows by one column, ascending or descending: a total order, rows that
/// tie standing in list order in both directions. As in a spreadsheet, the dates or amounts come
/// first either way, and the texts that are none come after them. sorted() gives the whole order
/// at once, reading each cell once; before() places single rows in it, as a change of one row
/// needs, and agrees with sorted().
class ColumnOrder
{
public:
    /// The order of `rows` by `column` (0-based) read as `kind`, in the collation of the default
    /// locale. An Amount column's values are the amounts the list holds for its rows.
    ColumnOrder(const ListRows &rows, int column, SortKind kind, Qt::SortOrder order = Qt::AscendingOrder);

    /// Every row (0-based), in order.
    std::vector<int> sorted() const;
    /// True when row `a` comes before row `b`.
    bool before(int a, int b) const;

private:
    struct Key {
        bool text;            // the text comes after every number
        std::uint64_t number; // a date or an amount, in an order of plain integers
        std::string_view utf8;
    };
    Key keyOf(int row) const;

    const ListRows &m_rows;
    int m_column;
    SortKind m_kind;
    bool m_descending;
    QCollator m_collator;
};

/// The rank of each text in the collation of `collator`: texts that the collation holds equal
/// share a rank, and a lower rank comes first. For many texts this costs far less than sorting
/// by the collation alone: printable ASCII texts are first put in order by weights the
/// collation gives their characters, and the result is then checked pair by pair against the
/// collation itself (and mended where a language orders them otherwise).
std::vector<std::uint32_t> collationRanks(const std::vector<std::string_view> &texts, const QCollator &collator);

} // namespace tallymere
