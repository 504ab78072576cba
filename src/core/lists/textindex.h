#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tallymere {

/// Numbers the distinct texts it is given, in the order first seen: for loops over every row of
/// a list that group rows by a cell (sums by source or category, ranks for a sort). The texts are
/// not copied; they must outlive the index (the cells of a list, until the list changes).
class TextIndex
{
public:
    TextIndex();

    /// The number of `text`: a new one (the count of texts so far) when it was not seen before.
    std::uint32_t add(std::string_view text);
    /// The distinct texts, by number.
    const std::vector<std::string_view> &texts() const noexcept { return m_texts; }

private:
    static std::uint64_t hashOf(std::string_view text) noexcept;
    void grow();

    std::vector<std::uint32_t> m_places; // number + 1 of the text in each place; 0 is free
    std::vector<std::uint64_t> m_hashes; // the hash of each text, by number
    std::vector<std::string_view> m_texts;
    int m_shift;
};

} // namespace tallymere
