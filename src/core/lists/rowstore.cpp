#include "core/lists/rowstore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/errors/error.h"

namespace tallymere {
namespace {

// Items live in chunks of this size; a row larger than a chunk gets a chunk of its own.
constexpr std::size_t kChunkSize = 256 * 1024;

// A row in a chunk: one byte that gives the width of the cell lengths (2 bytes, or 4 for a row
// with a cell of 64 KiB or more), the byte length of each cell, then the cells' UTF-8 bytes one
// after another.
constexpr unsigned char kShortLengths = 2;
constexpr unsigned char kLongLengths = 4;

std::uint32_t readLength(const char *at, unsigned char width)
{
    if (width == kShortLengths) {
        std::uint16_t length = 0;
        std::memcpy(&length, at, sizeof length);
        return length;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, at, sizeof length);
    return length;
}

std::int64_t packedAmount(const std::optional<Amount> &amount) noexcept
{
    return amount ? amount->packed() : Amount::packedNone();
}

void writeLength(char *at, unsigned char width, std::size_t length)
{
    if (width == kShortLengths) {
        const auto value = std::uint16_t(length);
        std::memcpy(at, &value, sizeof value);
    } else {
        const auto value = std::uint32_t(length);
        std::memcpy(at, &value, sizeof value);
    }
}

} // namespace

RowStore::RowStore(QObject *parent) : ListRows(parent) {}

RowStore::~RowStore() = default;

void RowStore::addColumnHeader(const QString &text)
{
    // Items keep a fixed number of cells per row, so a column can only come before any item.
    beginResetModel();
    releaseItems();
    m_headers.append(text);
    m_widths.push_back(-1);
    endResetModel();
}

QString RowStore::columnHeaderText(int index) const
{
    if (index < 1 || index > columnHeaderCount())
        throw Error(QStringLiteral("Column header %1 does not exist.").arg(index));
    return m_headers.at(index - 1);
}

void RowStore::setColumnHeaderWidth(int index, int twips)
{
    if (index < 1 || index > columnHeaderCount())
        throw Error(QStringLiteral("Column header %1 does not exist.").arg(index));
    m_widths[std::size_t(index - 1)] = twips;
    emit columnWidthChanged(index - 1, twips);
}

int RowStore::columnHeaderWidth(int index) const
{
    if (index < 1 || index > columnHeaderCount())
        throw Error(QStringLiteral("Column header %1 does not exist.").arg(index));
    return m_widths[std::size_t(index - 1)];
}

QString RowStore::itemText(int item) const
{
    if (item < 1 || item > itemCount())
        throw Error(QStringLiteral("List item %1 does not exist.").arg(item));
    const std::string_view cell = cellUtf8(item - 1, 0);
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

QString RowStore::subItem(int item, int index) const
{
    if (item < 1 || item > itemCount())
        throw Error(QStringLiteral("List item %1 does not exist.").arg(item));
    if (index < 1 || index >= columnHeaderCount())
        throw Error(QStringLiteral("Sub-item %1 does not exist.").arg(index));
    const std::string_view cell = cellUtf8(item - 1, index);
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

std::string_view RowStore::cellUtf8(int row, int column) const
{
    const char *data = rowData(row);
    const auto width = static_cast<unsigned char>(data[0]);
    const char *lengths = data + 1;
    std::size_t offset = 1 + m_cellsPerRow * width;
    std::uint32_t length = 0;
    for (int c = 0; c <= column; ++c) {
        offset += length;
        length = readLength(lengths + std::size_t(c) * width, width);
    }
    return {data + offset, length};
}

void RowStore::clearItems()
{
    beginResetModel();
    releaseItems();
    endResetModel();
}

DecimalSum RowStore::sumOfAmounts() const
{
    return DecimalSum::ofPacked(m_amounts.data(), m_amounts.size());
}

double RowStore::amountAt(int row) const noexcept
{
    const std::optional<Amount> amount = exactAmountAt(row);
    return amount ? amount->toDouble() : std::nan("");
}

namespace {

std::optional<long long> recordNumber(std::string_view text) noexcept
{
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return number;
}

} // namespace

int RowStore::findRecord(long long srNo) const noexcept
{
    if (!m_recordOrder)
        return -1;
    int low = 0;
    int high = itemCount() - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const long long found = recordNumber(cellUtf8(middle, 0)).value_or(0);
        if (found == srNo)
            return middle;
        if (found < srNo)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

std::optional<long long> RowStore::recordAt(int row) const noexcept
{
    return recordNumber(cellUtf8(row, 0));
}

std::optional<long long> RowStore::lastRecord() const noexcept
{
    if (m_rows.empty())
        return std::nullopt;
    return recordAt(itemCount() - 1);
}

void RowStore::noteRecord(std::string_view itemText) noexcept
{
    if (!m_recordOrder)
        return;
    // The number of the row added last is kept rather than read again for every row. After the
    // last row is removed it may be above the true last one: that only ever sends a change to a
    // full fill, never lets one out of order through.
    const std::optional<long long> number = recordNumber(itemText);
    m_recordOrder = number && (m_rows.empty() || *number > m_lastNumber);
    if (number)
        m_lastNumber = *number;
}

void RowStore::appendRow(const Row &row)
{
    const int at = itemCount();
    beginInsertRows({}, at, at);
    const RowRef ref = storeCells(row.cells);
    noteRecord(row.cells.front());
    m_rows.push_back(ref);
    m_amounts.push_back(packedAmount(row.amount));
    endInsertRows();
}

bool RowStore::insertRecordRow(long long srNo, const Row &row)
{
    if (!m_recordOrder)
        return false;
    const std::optional<long long> last = lastRecord();
    if (!last || srNo > *last) {
        appendRow(row);
        return true;
    }
    int low = 0;
    int high = itemCount();
    while (low < high) { // the first row whose number is not below srNo
        const int middle = low + (high - low) / 2;
        if (recordNumber(cellUtf8(middle, 0)).value_or(0) < srNo)
            low = middle + 1;
        else
            high = middle;
    }
    if (recordNumber(cellUtf8(low, 0)) == srNo || recordNumber(row.cells.front()) != srNo)
        return false;
    beginInsertRows({}, low, low);
    m_rows.insert(m_rows.begin() + low, storeCells(row.cells));
    m_amounts.insert(m_amounts.begin() + low, packedAmount(row.amount));
    endInsertRows();
    return true;
}

void RowStore::replaceRow(int row, const Row &cells)
{
    // The old cells stay unused in their chunk until the next fill: a few bytes per change.
    m_rows[std::size_t(row)] = storeCells(cells.cells);
    m_amounts[std::size_t(row)] = packedAmount(cells.amount);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RowStore::removeRecordRow(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    m_amounts.erase(m_amounts.begin() + row);
    endRemoveRows();
}

std::size_t RowStore::itemMemory() const noexcept
{
    std::size_t bytes = m_rows.capacity() * sizeof(RowRef) + m_amounts.capacity() * sizeof(std::int64_t);
    for (std::size_t size : m_chunkSizes)
        bytes += size;
    return bytes;
}

int RowStore::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : itemCount();
}

int RowStore::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnHeaderCount();
}

QVariant RowStore::data(const QModelIndex &index, int role) const
{
    return cellData(index, role, kAmountColumn,
                    index.row() < itemCount() && std::size_t(index.column()) < m_cellsPerRow);
}

QVariant RowStore::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal && section == kAmountColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnHeaderCount())
        return {};
    return m_headers.at(section);
}

void RowStore::releaseItems() noexcept
{
    m_rows = decltype(m_rows)();
    m_amounts = decltype(m_amounts)();
    m_recordOrder = true;
    m_chunks = decltype(m_chunks)();
    m_chunkSizes = decltype(m_chunkSizes)();
    m_chunkUsed = 0;
}

char *RowStore::allocateRow(std::size_t bytes, RowRef &ref)
{
    if (m_chunks.empty() || m_chunkUsed + bytes > m_chunkSizes.back()) {
        const std::size_t size = std::max(bytes, kChunkSize);
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_chunkSizes.push_back(size);
        m_chunkUsed = 0;
    }
    ref.chunk = std::uint32_t(m_chunks.size() - 1);
    ref.offset = std::uint32_t(m_chunkUsed);
    m_chunkUsed += bytes;
    return m_chunks.back().get() + ref.offset;
}

const char *RowStore::rowData(int row) const noexcept
{
    const RowRef ref = m_rows[std::size_t(row)];
    return m_chunks[ref.chunk].get() + ref.offset;
}

ListFill::ListFill(RowStore &model) : m_model(model)
{
    m_model.beginResetModel();
    m_model.releaseItems();
    m_model.m_cellsPerRow = std::size_t(std::max(1, m_model.columnHeaderCount()));
    m_pending.resize(m_model.m_cellsPerRow);
}

ListFill::~ListFill()
{
    try {
        storePending();
    } catch (...) {
        // Out of memory for the last row: the list keeps the rows stored before it.
    }
    m_model.endResetModel();
}

void ListFill::addItem(std::string_view text)
{
    storePending();
    m_pending[0].assign(text);
    m_hasPending = true;
}

void ListFill::setSubItem(int index, std::string_view text)
{
    if (!m_hasPending)
        throw Error(QStringLiteral("There is no list item to set a sub-item of."));
    if (index < 1 || std::size_t(index) >= m_pending.size())
        throw Error(QStringLiteral("Sub-item %1 does not exist.").arg(index));
    m_pending[std::size_t(index)].assign(text);
}

void ListFill::setAmount(std::optional<Amount> amount)
{
    if (!m_hasPending)
        throw Error(QStringLiteral("There is no list item to set the amount of."));
    m_pendingAmount = amount;
}

void ListFill::storePending()
{
    if (!m_hasPending)
        return;
    m_hasPending = false;
    const RowStore::RowRef ref = m_model.storeCells(m_pending);
    m_model.noteRecord(m_pending.front());
    m_model.m_rows.push_back(ref);
    m_model.m_amounts.push_back(packedAmount(m_pendingAmount));
    m_pendingAmount.reset();
    for (std::string &cell : m_pending)
        cell.clear();
}

RowStore::RowRef RowStore::storeCells(const std::vector<std::string> &cells)
{
    const std::size_t columns = m_cellsPerRow;
    std::size_t textBytes = 0;
    std::size_t longest = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        const std::size_t size = c < cells.size() ? cells[c].size() : 0;
        textBytes += size;
        longest = std::max(longest, size);
    }
    const unsigned char width = longest > 0xFFFF ? kLongLengths : kShortLengths;

    RowRef ref{};
    char *out = allocateRow(1 + columns * width + textBytes, ref);
    out[0] = char(width);
    char *text = out + 1 + columns * width;
    for (std::size_t c = 0; c < columns; ++c) {
        const std::size_t length = c < cells.size() ? cells[c].size() : 0;
        writeLength(out + 1 + c * width, width, length);
        if (length)
            std::memcpy(text, cells[c].data(), length);
        text += length;
    }
    return ref;
}

} // namespace tallymere
