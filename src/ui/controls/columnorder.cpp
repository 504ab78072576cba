#include "ui/controls/columnorder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numeric>
#include <memory>

#include "core/text/datetext.h"
#include "core/lists/listrows.h"
#include "core/lists/textindex.h"

namespace tallymere {
namespace {

// Text comes after every date and amount: above the largest finite amount in the order of plain
// integers, with room for a rank below 2^52.
constexpr std::uint64_t kTextBase = 0xFFF0000000000000ULL;

/// An amount as an unsigned integer in the same order; -0 and 0 are one value.
std::uint64_t orderedBits(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value);
    return (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
}

QString textOf(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

bool isPrintableAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

/// The order the collation gives the printable ASCII characters, as two weights each: the
/// primary (which letter, digit or sign; case does not count) and the tertiary (the case). A
/// text of these characters is ordered by its primary weights first and its tertiary weights
/// after, as a collation orders such text when nothing in the language joins characters.
class AsciiWeights
{
public:
    explicit AsciiWeights(const QCollator &collator)
    {
        std::array<char, 95> characters{};
        std::iota(characters.begin(), characters.end(), char(0x20));
        const auto single = [](char c) { return QString(QChar::fromLatin1(c)); };
        std::stable_sort(characters.begin(), characters.end(), [&](char a, char b) {
            return collator.compare(single(a), single(b)) < 0;
        });
        QCollator caseless(collator);
        caseless.setCaseSensitivity(Qt::CaseInsensitive);
        unsigned char primary = 0;
        unsigned char tertiary = 0;
        for (std::size_t i = 0; i < characters.size(); ++i) {
            if (i == 0 || caseless.compare(single(characters[i - 1]), single(characters[i])) != 0) {
                ++primary;
                tertiary = 0;
            }
            ++tertiary;
            m_primary[std::size_t(characters[i])] = char(primary);
            m_tertiary[std::size_t(characters[i])] = char(tertiary);
        }
    }

    /// Writes the key of `text` (printable ASCII) at `out`, 2 * size + 1 bytes: its primary
    /// weights, a 0 that ends them so a text comes after the texts it begins with, its tertiary
    /// weights.
    void writeKey(std::string_view text, char *out) const
    {
        const std::size_t size = text.size();
        for (std::size_t i = 0; i < size; ++i) {
            out[i] = m_primary[std::size_t(text[i])];
            out[size + 1 + i] = m_tertiary[std::size_t(text[i])];
        }
        out[size] = '\0';
    }

private:
    std::array<char, 128> m_primary{};
    std::array<char, 128> m_tertiary{};
};

/// Compares texts by the collation itself, making each text's QString once per comparison.
class CollationCompare
{
public:
    CollationCompare(const std::vector<std::string_view> &texts, const QCollator &collator)
        : m_texts(texts), m_collator(collator)
    {
    }

    int operator()(std::uint32_t a, std::uint32_t b) const
    {
        if (m_texts[a] == m_texts[b])
            return 0;
        return m_collator.compare(textOf(m_texts[a]), textOf(m_texts[b]));
    }

private:
    const std::vector<std::string_view> &m_texts;
    const QCollator &m_collator;
};

/// A text as UTF-16 for the collation, in storage kept from one text to the next.
class WideText
{
public:
    QStringView set(std::string_view utf8)
    {
        if (isPrintableAscii(utf8)) {
            m_text.resize(qsizetype(utf8.size()));
            auto *out = reinterpret_cast<char16_t *>(m_text.data());
            for (std::size_t i = 0; i < utf8.size(); ++i)
                out[i] = char16_t(static_cast<unsigned char>(utf8[i]));
        } else {
            m_text = textOf(utf8);
        }
        return m_text;
    }

private:
    QString m_text;
};

/// A key in the arena, its first 16 bytes also held as two integers in the same order: most
/// comparisons end there.
struct KeyRef {
    std::uint64_t head = 0;
    std::uint64_t next = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t text = 0;
};

std::uint64_t bigEndianAt(const char *key, std::size_t length, std::size_t from)
{
    std::uint64_t value = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        value = (value << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    return value;
}

} // namespace

std::vector<std::uint32_t> collationRanks(const std::vector<std::string_view> &texts, const QCollator &collator)
{
    const std::size_t count = texts.size();
    std::vector<std::uint32_t> ranks(count, 0);
    if (count == 0)
        return ranks;
    const CollationCompare compare(texts, collator);

    // Printable ASCII texts by their weights; every other text by the collation itself.
    std::vector<std::uint32_t> ascii;
    std::vector<std::uint32_t> other;
    for (std::uint32_t i = 0; i < count; ++i)
        (isPrintableAscii(texts[i]) ? ascii : other).push_back(i);
    if (!ascii.empty()) {
        const AsciiWeights weights(collator);
        std::size_t arenaSize = 0;
        for (const std::uint32_t i : ascii)
            arenaSize += 2 * texts[i].size() + 1;
        const auto arena = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(arenaSize, 1));
        std::vector<KeyRef> keys(ascii.size());
        std::size_t offset = 0;
        for (std::size_t k = 0; k < ascii.size(); ++k) {
            const std::string_view text = texts[ascii[k]];
            const std::size_t length = 2 * text.size() + 1;
            char *key = arena.get() + offset;
            weights.writeKey(text, key);
            keys[k] = {bigEndianAt(key, length, 0), bigEndianAt(key, length, 8), std::uint32_t(offset),
                       std::uint32_t(length), ascii[k]};
            offset += length;
        }
        std::sort(keys.begin(), keys.end(), [&](const KeyRef &a, const KeyRef &b) {
            if (a.head != b.head)
                return a.head < b.head;
            if (a.next != b.next)
                return a.next < b.next;
            return std::string_view(arena.get() + a.offset, a.length) < std::string_view(arena.get() + b.offset, b.length);
        });
        for (std::size_t k = 0; k < ascii.size(); ++k)
            ascii[k] = keys[k].text;
    }
    if (!other.empty()) {
        std::vector<QString> wide(count);
        for (const std::uint32_t i : other)
            wide[i] = textOf(texts[i]);
        std::stable_sort(other.begin(), other.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return collator.compare(wide[a], wide[b]) < 0; });
    }
    std::vector<std::uint32_t> order;
    order.reserve(count);
    std::merge(ascii.begin(), ascii.end(), other.begin(), other.end(), std::back_inserter(order),
               [&](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });

    // Each neighbour against the collation itself; a pair out of order is mended by moving the
    // later text back to its place. A language that orders much of the text otherwise than the
    // weights say is sorted by the collation alone.
    std::vector<char> equalToPrevious(count, 0);
    std::size_t budget = count + 64;
    bool mended = false;
    bool exhausted = false;
    WideText previous;
    WideText current;
    QStringView previousText = previous.set(texts[order[0]]);
    for (std::size_t i = 1; i < count && !exhausted; ++i) {
        const QStringView currentText = current.set(texts[order[i]]);
        const int result = texts[order[i - 1]] == texts[order[i]] ? 0 : collator.compare(previousText, currentText);
        std::swap(previous, current);
        previousText = currentText;
        if (result > 0) {
            mended = true;
            for (std::size_t j = i; j > 0 && compare(order[j - 1], order[j]) > 0; --j) {
                if (budget == 0) {
                    exhausted = true;
                    break;
                }
                --budget;
                std::swap(order[j - 1], order[j]);
            }
            previousText = previous.set(texts[order[i]]);
        }
        equalToPrevious[i] = result == 0;
    }
    if (exhausted) {
        std::vector<QString> wide(count);
        for (std::uint32_t i = 0; i < count; ++i)
            wide[i] = textOf(texts[i]);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return collator.compare(wide[a], wide[b]) < 0; });
    }
    if (mended) {
        for (std::size_t i = 1; i < count; ++i)
            equalToPrevious[i] = compare(order[i - 1], order[i]) == 0;
    }
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < count; ++i) {
        rank += i > 0 && !equalToPrevious[i];
        ranks[order[i]] = rank;
    }
    return ranks;
}

ColumnOrder::ColumnOrder(const ListRows &rows, int column, SortKind kind, Qt::SortOrder order)
    : m_rows(rows), m_column(column), m_kind(kind), m_descending(order == Qt::DescendingOrder)
{
}

ColumnOrder::Key ColumnOrder::keyOf(int row) const
{
    const std::string_view cell =
        m_column < m_rows.columnCount() ? m_rows.cellUtf8(row, m_column) : std::string_view();
    switch (m_kind) {
    case SortKind::Date:
        if (const auto day = dateText::readIsoUtf8(cell))
            return {false, std::uint64_t(day->year) * 10000 + std::uint64_t(day->month) * 100 + std::uint64_t(day->day),
                    cell};
        break;
    case SortKind::Amount:
        if (const double amount = m_rows.amountAt(row); !std::isnan(amount))
            return {false, orderedBits(amount), cell};
        break;
    case SortKind::Text:
        break;
    }
    return {true, 0, cell};
}

std::vector<int> ColumnOrder::sorted() const
{
    const int count = m_rows.itemCount();
    struct Entry {
        std::uint64_t key;
        std::uint32_t row;
        bool text;
    };
    std::vector<Entry> entries(std::size_t(count), Entry{0, 0, false});

    // Texts are ranked once per distinct text: a list holds few sources and categories.
    TextIndex distinct;
    std::vector<std::uint32_t> textOfRow; // for rows that sort as text, their distinct text
    for (int row = 0; row < count; ++row) {
        const Key key = keyOf(row);
        Entry &entry = entries[std::size_t(row)];
        entry.row = std::uint32_t(row);
        entry.text = key.text;
        if (!key.text) {
            entry.key = key.number;
            continue;
        }
        entry.key = kTextBase;
        if (textOfRow.empty())
            textOfRow.assign(std::size_t(count), 0);
        textOfRow[std::size_t(row)] = distinct.add(key.utf8);
    }
    if (!distinct.texts().empty()) {
        const std::vector<std::uint32_t> ranks = collationRanks(distinct.texts(), m_collator);
        for (Entry &entry : entries) {
            if (entry.text)
                entry.key += ranks[textOfRow[entry.row]];
        }
    }
    // A descending sort is not the ascending one read backwards: rows that tie keep the list's
    // order, and the texts stay after the dates or amounts.
    std::sort(entries.begin(), entries.end(), [descending = m_descending](const Entry &a, const Entry &b) {
        if (a.text != b.text)
            return b.text;
        if (a.key != b.key)
            return descending ? a.key > b.key : a.key < b.key;
        return a.row < b.row;
    });
    std::vector<int> rows(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < entries.size(); ++i)
        rows[i] = int(entries[i].row);
    return rows;
}

bool ColumnOrder::before(int a, int b) const
{
    const Key ka = keyOf(a);
    const Key kb = keyOf(b);
    if (ka.text != kb.text)
        return kb.text;
    if (!ka.text && ka.number != kb.number)
        return m_descending ? ka.number > kb.number : ka.number < kb.number;
    if (ka.text && ka.utf8 != kb.utf8) {
        if (const int result = m_collator.compare(textOf(ka.utf8), textOf(kb.utf8)); result != 0)
            return m_descending ? result > 0 : result < 0;
    }
    return a < b;
}

} // namespace tallymere
