#include "core/lists/entryfinder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/errors/error.h"
#include "core/lists/rowstore.h"
#include "core/settings/settings.h"
#include "core/text/datetext.h"
#include "core/text/foldedtext.h"

namespace tallymere {
namespace {

constexpr std::array<const char *, EntryFinder::kColumns> kHeaders{
    "ID", "Date", "Income or Expense", "Source or Category", "Amount", "Particulars"};

constexpr std::string_view kIncome = "Income";
constexpr std::string_view kExpense = "Expense";

/// The column of a ledger list that a column of this list shows; -1 for the kind.
int listColumn(int column)
{
    switch (column) {
    case EntryFinder::kRecordColumn:
        return ListColumn::kRecordColumn;
    case EntryFinder::kDateColumn:
        return ListColumn::kDateColumn;
    case EntryFinder::kNameColumn:
        return ListColumn::kNameColumn;
    case EntryFinder::kAmountColumn:
        return ListColumn::kAmountColumn;
    case EntryFinder::kParticularsColumn:
        return ListColumn::kParticularsColumn;
    default:
        return -1;
    }
}

constexpr char kFieldEnd = '\x1F';
constexpr char kRowEnd = '\x1E';
// The day of a date that is not in the ISO form: read in the date order of the search.
constexpr std::int32_t kOtherDate = std::numeric_limits<std::int32_t>::min();

std::string_view cellOf(const RowStore &rows, int row, int column)
{
    return column < rows.columnHeaderCount() ? rows.cellUtf8(row, column) : std::string_view();
}

std::int32_t dayNumber(const dateText::Day &day)
{
    return day.year * 10000 + day.month * 100 + day.day;
}

std::int32_t dayNumber(const QDate &date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

std::int32_t storedDay(std::string_view text)
{
    const auto day = dateText::readIsoUtf8(text);
    return day ? dayNumber(*day) : kOtherDate;
}

void appendRow(const RowStore &rows, int row, std::string &out)
{
    foldedText::append(cellOf(rows, row, ListColumn::kParticularsColumn), out);
    out += kFieldEnd;
    foldedText::append(cellOf(rows, row, ListColumn::kAmountColumn), out);
    out += kRowEnd;
}

/// The first place of `needle` in `text`, or null. Most searches find a match in nearly every
/// row, a few bytes on, or none in a hundred megabytes: the library's memmem() prepares a table on
/// each call, which the first kind pays millions of times, and reads the second slowly. This
/// compares the needle's first and last bytes at sixteen places at once and only then the rest,
/// which is as fast as the memory for both.
const char *findNeedle(const char *text, std::size_t size, const std::string &needle)
{
    const std::size_t length = needle.size();
    if (length > size)
        return nullptr;
    if (length == 1)
        return static_cast<const char *>(std::memchr(text, needle[0], size));
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[length - 1]);
    std::size_t at = 0;
    for (; at + length - 1 + 16 <= size; at += 16) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at + length - 1));
        auto candidates = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
        while (candidates != 0) {
            const auto offset = std::size_t(__builtin_ctz(candidates));
            // The bytes between the first and the last, in place: a needle is a few bytes long.
            const char *candidate = text + at + offset;
            std::size_t same = 1;
            while (same < length - 1 && candidate[same] == needle[same])
                ++same;
            if (same >= length - 1)
                return candidate;
            candidates &= candidates - 1;
        }
    }
    for (; at + length <= size; ++at) {
        if (text[at] == needle[0] && std::memcmp(text + at, needle.data(), length) == 0)
            return text + at;
    }
    return nullptr;
#else
    return static_cast<const char *>(::memmem(text, size, needle.data(), length));
#endif
}

bool dayFirstNow() noexcept
{
    try {
        return settings::europeanDate();
    } catch (...) {
        return false;
    }
}

} // namespace

/// A query as the scan uses it: the text folded, the dates as numbers.
struct EntryFinder::Compiled {
    explicit Compiled(const FindQuery &query)
        : needle(foldedText::of(QStringView(query.text))),
          hasDates(query.from || query.to),
          from(query.from ? dayNumber(*query.from) : std::numeric_limits<std::int32_t>::min() + 1),
          to(query.to ? dayNumber(*query.to) : std::numeric_limits<std::int32_t>::max()),
          hasAmounts(query.minimum || query.maximum),
          minimum(query.minimum.value_or(-std::numeric_limits<double>::infinity())),
          maximum(query.maximum.value_or(std::numeric_limits<double>::infinity())),
          dayFirst(hasDates && dayFirstNow())
    {
    }

    std::string needle;
    bool hasDates;
    std::int32_t from;
    std::int32_t to;
    bool hasAmounts;
    double minimum;
    double maximum;
    bool dayFirst;
};

EntryFinder::EntryFinder(RowStore &income, RowStore &expenses, QObject *parent, int blockRows)
    : ListRows(parent), m_blockRows(std::max(1, blockRows)), m_income{income, {}, {}, 0, {}}, m_expenses{expenses, {}, {}, 0, {}}
{
    buildWhole(m_income);
    buildWhole(m_expenses);
    watch(true);
    watch(false);
}

EntryFinder::~EntryFinder() = default;

void EntryFinder::watch(bool income)
{
    // Each change is told as a change of this list's rows, which the rows of the list start at.
    const auto rowOf = [this, income](int row) { return firstRowOf(income) + row; };
    followRowChanges(&indexOf(income).rows, this,
                     {.aboutToBeReset = [this] { beginResetModel(); },
                      .reset =
                          [this, income] {
                              buildWhole(indexOf(income));
                              endResetModel();
                          },
                      .aboutToBeInserted = [this, rowOf](int first, int last) { beginInsertRows({}, rowOf(first), rowOf(last)); },
                      .inserted =
                          [this, income](int first, int last) {
                              noteInserted(indexOf(income), first, last);
                              endInsertRows();
                          },
                      .aboutToBeRemoved = [this, rowOf](int first, int last) { beginRemoveRows({}, rowOf(first), rowOf(last)); },
                      .removed =
                          [this, income](int first, int last) {
                              noteRemoved(indexOf(income), first, last);
                              endRemoveRows();
                          },
                      .changed =
                          [this, income, rowOf](int first, int last) {
                              noteChanged(indexOf(income), first, last);
                              emit dataChanged(index(rowOf(first), 0), index(rowOf(last), kColumns - 1));
                          }});
}

std::uint32_t EntryFinder::Names::add(const std::string &name)
{
    // The index keeps a view of the text it numbers: a new one is the copy kept here.
    folded.push_back(name);
    const std::uint32_t number = numbers.add(folded.back());
    if (number + 1 < folded.size())
        folded.pop_back();
    return number;
}

void EntryFinder::buildWhole(Index &index)
{
    index.blocks.clear();
    index.names = {};
    const int count = index.rows.itemCount();
    for (int start = 0; start < count; start += m_blockRows) {
        Block &block = index.blocks.emplace_back();
        block.count = std::min(m_blockRows, count - start);
        fold(index, block, start);
    }
    renumber(index);
}

void EntryFinder::fold(Index &index, Block &block, int start)
{
    block.text.clear();
    block.ends.clear();
    block.names.clear();
    block.names.reserve(std::size_t(block.count));
    block.days.clear();
    block.ends.reserve(std::size_t(block.count));
    block.days.reserve(std::size_t(block.count));
    std::string name;
    for (int row = start; row < start + block.count; ++row) {
        name.clear();
        foldedText::append(cellOf(index.rows, row, ListColumn::kNameColumn), name);
        block.names.push_back(index.names.add(name));
        appendRow(index.rows, row, block.text);
        block.ends.push_back(std::uint32_t(block.text.size()));
        block.days.push_back(storedDay(cellOf(index.rows, row, ListColumn::kDateColumn)));
    }
}

void EntryFinder::renumber(Index &index)
{
    index.starts.resize(index.blocks.size());
    int start = 0;
    for (std::size_t b = 0; b < index.blocks.size(); ++b) {
        index.starts[b] = start;
        start += index.blocks[b].count;
    }
    index.count = start;
}

std::size_t EntryFinder::blockOf(const Index &index, int row) const
{
    const auto after = std::upper_bound(index.starts.begin(), index.starts.end(), row);
    return after == index.starts.begin() ? 0 : std::size_t(after - index.starts.begin() - 1);
}

void EntryFinder::noteInserted(Index &index, int first, int last)
{
    if (index.blocks.empty()) {
        buildWhole(index);
        return;
    }
    const std::size_t b = blockOf(index, first);
    index.blocks[b].count += last - first + 1;
    // A block grown far beyond its size is cut into blocks of the usual size.
    if (index.blocks[b].count > 2 * m_blockRows) {
        const int total = index.blocks[b].count;
        std::vector<Block> pieces;
        for (int done = 0; done < total; done += m_blockRows)
            pieces.emplace_back().count = std::min(m_blockRows, total - done);
        index.blocks.erase(index.blocks.begin() + std::ptrdiff_t(b));
        index.blocks.insert(index.blocks.begin() + std::ptrdiff_t(b), pieces.begin(), pieces.end());
        renumber(index);
        for (std::size_t p = b; p < b + pieces.size(); ++p)
            fold(index, index.blocks[p], index.starts[p]);
        return;
    }
    renumber(index);
    fold(index, index.blocks[b], index.starts[b]);
}

void EntryFinder::noteRemoved(Index &index, int first, int last)
{
    // Counts are taken off the blocks the rows were in (numbered as before the removal); the
    // rows before and after the gap, now neighbours, are folded again with their blocks.
    int start = 0;
    for (Block &block : index.blocks) {
        const int end = start + block.count;
        const int overlap = std::min(end, last + 1) - std::max(start, first);
        start = end;
        if (overlap > 0)
            block.count -= overlap;
    }
    std::erase_if(index.blocks, [](const Block &block) { return block.count == 0; });
    renumber(index);
    const int count = index.rows.itemCount();
    std::size_t refolded = index.blocks.size();
    for (const int row : {first - 1, first}) {
        if (row < 0 || row >= count)
            continue;
        const std::size_t b = blockOf(index, row);
        if (b != refolded)
            fold(index, index.blocks[b], index.starts[b]);
        refolded = b;
    }
}

void EntryFinder::noteChanged(Index &index, int first, int last)
{
    if (index.blocks.empty())
        return;
    const int count = index.rows.itemCount();
    for (std::size_t b = blockOf(index, first); b < index.blocks.size() && index.starts[b] <= last && index.starts[b] < count; ++b)
        fold(index, index.blocks[b], index.starts[b]);
}

bool EntryFinder::accepts(const Compiled &query, const Index &index, int row, std::int32_t day) const
{
    if (query.hasDates) {
        if (day == kOtherDate) {
            const auto read = dateText::readUtf8(cellOf(index.rows, row, ListColumn::kDateColumn), query.dayFirst);
            if (!read)
                return false;
            day = dayNumber(*read);
        }
        if (day < query.from || day > query.to)
            return false;
    }
    if (query.hasAmounts) {
        const double amount = index.rows.amountAt(row);
        if (std::isnan(amount) || amount < query.minimum || amount > query.maximum)
            return false;
    }
    return true;
}

std::vector<FoundEntry> EntryFinder::find(const FindQuery &query) const
{
    std::vector<std::uint32_t> rows;
    findRows(query, rows);
    std::vector<FoundEntry> found;
    found.reserve(rows.size());
    for (const std::uint32_t row : rows)
        found.push_back(entryAt(int(row)));
    return found;
}

void EntryFinder::findRows(const FindQuery &query, std::vector<std::uint32_t> &rows) const
{
    const Compiled compiled(query);
    for (const bool income : {true, false}) {
        if (query.looksIn(income))
            findIn(compiled, income, rows);
    }
}

void EntryFinder::findIn(const Compiled &query, bool income, std::vector<std::uint32_t> &rows) const
{
    const Index &index = indexOf(income);
    const std::string &needle = query.needle;
    // The sources or categories that hold the needle: every row of theirs is a match.
    std::vector<char> named(index.names.folded.size(), needle.empty());
    bool anyNamed = needle.empty();
    for (std::size_t n = 0; n < named.size() && !needle.empty(); ++n) {
        named[n] = index.names.folded[n].find(needle) != std::string::npos;
        anyNamed = anyNamed || named[n];
    }
    for (std::size_t b = 0; b < index.blocks.size(); ++b) {
        const Block &block = index.blocks[b];
        const int start = index.starts[b];
        const auto first = std::uint32_t(firstRowOf(income) + start);
        const auto count = std::size_t(block.count);
        // The rows whose own texts hold the needle come from one scan over the block's bytes: a
        // match names the row it lies in, and the scan goes on after that row.
        const char *text = block.text.data();
        const std::size_t size = block.text.size();
        const auto nextHit = [&](std::size_t row) {
            const std::size_t from = row == 0 ? 0 : block.ends[row - 1];
            const char *hit = needle.empty() ? nullptr : findNeedle(text + from, size - from, needle);
            if (!hit)
                return count;
            while (block.ends[row] <= std::size_t(hit - text))
                ++row;
            return row;
        };
        const auto take = [&](std::size_t i) {
            if (accepts(query, index, start + int(i), block.days[i]))
                rows.push_back(first + std::uint32_t(i));
        };
        if (!anyNamed) {
            for (std::size_t hit = nextHit(0); hit < count; hit = nextHit(hit + 1))
                take(hit);
            continue;
        }
        // A row of a source or category found needs no scan of its own texts; the scan goes on
        // from the next row that does.
        std::size_t hit = nextHit(0);
        for (std::size_t i = 0; i < count; ++i) {
            if (!named[block.names[i]]) {
                if (hit < i)
                    hit = nextHit(i);
                if (hit != i)
                    continue;
            }
            take(i);
        }
    }
}

bool EntryFinder::matches(const FindQuery &query, int row) const
{
    if (row < 0 || row >= itemCount())
        return false;
    const FoundEntry entry = entryAt(row);
    if (!query.looksIn(entry.income))
        return false;
    const Index &index = indexOf(entry.income);
    const Compiled compiled(query);
    std::string name;
    foldedText::append(cellOf(index.rows, int(entry.row), ListColumn::kNameColumn), name);
    std::string text;
    appendRow(index.rows, int(entry.row), text);
    return (name.find(compiled.needle) != std::string::npos || text.find(compiled.needle) != std::string::npos)
        && accepts(compiled, index, int(entry.row), storedDay(cellOf(index.rows, int(entry.row), ListColumn::kDateColumn)));
}

QString EntryFinder::columnHeaderText(int index) const
{
    if (index < 1 || index > kColumns)
        throw Error(QStringLiteral("Column header %1 does not exist.").arg(index));
    return QLatin1String(kHeaders[std::size_t(index - 1)]);
}

QString EntryFinder::subItem(int item, int index) const
{
    if (item < 1 || item > itemCount())
        throw Error(QStringLiteral("List item %1 does not exist.").arg(item));
    if (index < 1 || index >= kColumns)
        throw Error(QStringLiteral("Sub-item %1 does not exist.").arg(index));
    const std::string_view cell = cellUtf8(item - 1, index);
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

std::string_view EntryFinder::cellUtf8(int row, int column) const
{
    const FoundEntry entry = entryAt(row);
    if (column == kKindColumn)
        return entry.income ? kIncome : kExpense;
    const RowStore &rows = list(entry.income);
    const int from = listColumn(column);
    if (from < 0 || from >= rows.columnHeaderCount() || int(entry.row) >= rows.itemCount())
        return {};
    return rows.cellUtf8(int(entry.row), from);
}

double EntryFinder::amountAt(int row) const noexcept
{
    const FoundEntry entry = entryAt(row);
    const RowStore &rows = list(entry.income);
    return int(entry.row) < rows.itemCount() ? rows.amountAt(int(entry.row)) : std::nan("");
}

int EntryFinder::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : itemCount();
}

int EntryFinder::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant EntryFinder::data(const QModelIndex &index, int role) const
{
    return cellData(index, role, kAmountColumn, index.row() < itemCount());
}

QVariant EntryFinder::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal && section == kAmountColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return QLatin1String(kHeaders[std::size_t(section)]);
}

} // namespace tallymere
