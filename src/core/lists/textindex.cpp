#include "core/lists/textindex.h"

#include <bit>
#include <cstring>

namespace tallymere {
namespace {

constexpr int kFirstBits = 6;

std::uint64_t load8(const char *at) noexcept
{
    std::uint64_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::uint64_t mix(std::uint64_t value) noexcept
{
    value ^= value >> 32;
    value *= 0xD6E8FEB86659FD93ULL;
    value ^= value >> 32;
    return value;
}

} // namespace

TextIndex::TextIndex() : m_places(std::size_t(1) << kFirstBits, 0), m_shift(64 - kFirstBits) {}

std::uint64_t TextIndex::hashOf(std::string_view text) noexcept
{
    // Eight bytes at a time, the last eight overlapping the ones before: source and category
    // names are short, and this costs a few loads and multiplications each.
    std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ text.size();
    const char *at = text.data();
    std::size_t left = text.size();
    if (left >= 8) {
        while (left > 8) {
            hash = mix(hash ^ load8(at));
            at += 8;
            left -= 8;
        }
        return mix(hash ^ load8(text.data() + text.size() - 8));
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, at, left);
    return mix(hash ^ tail);
}

std::uint32_t TextIndex::add(std::string_view text)
{
    const std::uint64_t hash = hashOf(text);
    const std::size_t mask = m_places.size() - 1;
    for (std::size_t place = std::size_t((hash * 0x9E3779B97F4A7C15ULL) >> m_shift);; place = (place + 1) & mask) {
        const std::uint32_t held = m_places[place];
        if (held == 0) {
            const auto number = std::uint32_t(m_texts.size());
            m_places[place] = number + 1;
            m_hashes.push_back(hash);
            m_texts.push_back(text);
            // At most half the places taken, so a search ends soon.
            if (m_texts.size() * 2 > m_places.size())
                grow();
            return number;
        }
        if (m_hashes[held - 1] == hash && m_texts[held - 1] == text)
            return held - 1;
    }
}

void TextIndex::grow()
{
    m_places.assign(m_places.size() * 2, 0);
    --m_shift;
    const std::size_t mask = m_places.size() - 1;
    for (std::uint32_t number = 0; number < m_texts.size(); ++number) {
        std::size_t place = std::size_t((m_hashes[number] * 0x9E3779B97F4A7C15ULL) >> m_shift);
        while (m_places[place] != 0)
            place = (place + 1) & mask;
        m_places[place] = number + 1;
    }
}

} // namespace tallymere
