#include "RecordTable.h"

#include "AdoType.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

/// The first block is small, so a query of a few rows takes little; each
/// next one doubles up to the full size.
constexpr qsizetype kFirstBlockSize = 8 * 1024;
constexpr qsizetype kBlockSize = 2 * 1024 * 1024;

/// A reference is the block number, the offset in the block and the
/// length, 21 bits each for the last two. A value too long for that length
/// field has a block of its own and the field says "to the block's end".
constexpr int kFieldBits = 21;
constexpr std::uint64_t kFieldMask = (std::uint64_t(1) << kFieldBits) - 1;
constexpr std::uint64_t kToBlockEnd = kFieldMask;

const std::shared_ptr<const char> kNoOwner;

} // namespace

std::uint64_t BytePool::add(const char *data, qsizetype size)
{
    const bool ownBlock = std::uint64_t(size) >= kToBlockEnd;
    const bool full = m_open >= m_blocks.size() || m_blocks[m_open].capacity - m_blocks[m_open].used < size;
    if (ownBlock || full) {
        qsizetype capacity = size;
        if (!ownBlock) {
            const qsizetype previous = m_open < m_blocks.size() ? m_blocks[m_open].capacity : kFirstBlockSize / 2;
            capacity = std::max(std::min(kBlockSize, previous * 2), size);
        }
        const auto bytesToAsk = static_cast<std::size_t>(std::max<qsizetype>(capacity, 1));
        char *bytes = static_cast<char *>(LargeMemory::allocate(bytesToAsk));
        if (!bytes)
            throw std::bad_alloc();
        Block block;
        block.owner = std::shared_ptr<const char>(
            bytes, [bytesToAsk](const char *p) { LargeMemory::release(const_cast<char *>(p), bytesToAsk); });
        block.bytes = bytes;
        block.capacity = capacity;
        // Block numbers never change: references hold them.
        m_blocks.push_back(std::move(block));
        if (!ownBlock)
            m_open = m_blocks.size() - 1;
    }
    const std::size_t index = ownBlock ? m_blocks.size() - 1 : m_open;
    Block &block = m_blocks[index];
    const auto offset = static_cast<std::uint64_t>(block.used);
    if (size > 0)
        std::memcpy(block.bytes + block.used, data, static_cast<std::size_t>(size));
    block.used += size;
    const std::uint64_t length = ownBlock ? kToBlockEnd : static_cast<std::uint64_t>(size);
    return (static_cast<std::uint64_t>(index) << (2 * kFieldBits)) | (offset << kFieldBits) | length;
}

QByteArrayView BytePool::view(std::uint64_t ref) const
{
    const Block &block = m_blocks[static_cast<std::size_t>(ref >> (2 * kFieldBits))];
    const auto offset = static_cast<qsizetype>((ref >> kFieldBits) & kFieldMask);
    const std::uint64_t length = ref & kFieldMask;
    return QByteArrayView(block.bytes + offset,
                          length == kToBlockEnd ? block.used - offset : static_cast<qsizetype>(length));
}

const std::shared_ptr<const char> &BytePool::owner(std::uint64_t ref) const
{
    return m_blocks[static_cast<std::size_t>(ref >> (2 * kFieldBits))].owner;
}

void BytePool::clear()
{
    m_blocks.clear();
    m_open = static_cast<std::size_t>(-1);
}

RecordTable::Column &RecordTable::addColumn(const QString &name)
{
    Column &c = m_columns.emplace_back();
    c.name = name;
    return c;
}

void RecordTable::appendNull(int col)
{
    Column &c = column(col);
    c.kinds.push_back(CellKind::Null);
    c.values.push_back(0);
}

void RecordTable::appendInteger(int col, std::int64_t value)
{
    Column &c = column(col);
    if (!c.hasInteger) {
        c.hasInteger = true;
        c.minInteger = c.maxInteger = value;
    } else {
        c.minInteger = std::min(c.minInteger, value);
        c.maxInteger = std::max(c.maxInteger, value);
    }
    c.kinds.push_back(CellKind::Integer);
    c.values.push_back(value);
}

void RecordTable::appendReal(int col, double value)
{
    Column &c = column(col);
    std::int64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    c.kinds.push_back(CellKind::Real);
    c.values.push_back(bits);
}

void RecordTable::appendText(int col, const char *data, qsizetype size)
{
    appendBytes(col, CellKind::Text, data, size);
}

void RecordTable::appendBlob(int col, const char *data, qsizetype size)
{
    appendBytes(col, CellKind::Blob, data, size);
}

void RecordTable::appendBytes(int col, CellKind kind, const char *data, qsizetype size)
{
    Column &c = column(col);
    c.kinds.push_back(kind);
    c.values.push_back(static_cast<std::int64_t>(m_pool.add(data, size)));
}

void RecordTable::setText(int row, int col, const QByteArray &utf8)
{
    Column &c = column(col);
    const auto r = static_cast<std::size_t>(row);
    c.kinds[r] = CellKind::Text;
    c.values[r] = static_cast<std::int64_t>(m_pool.add(utf8.constData(), utf8.size()));
}

void RecordTable::setBlob(int row, int col, const QByteArray &bytes)
{
    Column &c = column(col);
    const auto r = static_cast<std::size_t>(row);
    c.kinds[r] = CellKind::Blob;
    c.values[r] = static_cast<std::int64_t>(m_pool.add(bytes.constData(), bytes.size()));
}

CellKind RecordTable::kind(int row, int col) const
{
    return column(col).kinds[static_cast<std::size_t>(row)];
}

std::int64_t RecordTable::integer(int row, int col) const
{
    return column(col).values[static_cast<std::size_t>(row)];
}

double RecordTable::real(int row, int col) const
{
    const std::int64_t bits = column(col).values[static_cast<std::size_t>(row)];
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const std::shared_ptr<const char> &RecordTable::bytesOwner(int row, int col) const
{
    const Column &c = column(col);
    const auto r = static_cast<std::size_t>(row);
    if (c.kinds[r] != CellKind::Text && c.kinds[r] != CellKind::Blob)
        return kNoOwner;
    return m_pool.owner(static_cast<std::uint64_t>(c.values[r]));
}

QByteArrayView RecordTable::bytes(int row, int col) const
{
    const Column &c = column(col);
    const auto r = static_cast<std::size_t>(row);
    if (c.kinds[r] != CellKind::Text && c.kinds[r] != CellKind::Blob)
        return {};
    return m_pool.view(static_cast<std::uint64_t>(c.values[r]));
}

void RecordTable::settleComputedTypes()
{
    for (Column &c : m_columns) {
        if (!c.typeFromValues)
            continue;
        CellKind first = CellKind::Null;
        for (std::size_t row = 0; row < c.kinds.size(); ++row) {
            if (c.kinds[row] != CellKind::Null) {
                first = c.kinds[row];
                break;
            }
        }
        switch (first) {
        case CellKind::Integer: {
            // A column whose integers do not all fit 32 bits is a big integer,
            // so readInt never truncates silently.
            const bool fits = c.minInteger >= std::numeric_limits<std::int32_t>::min()
                && c.maxInteger <= std::numeric_limits<std::int32_t>::max();
            c.type = fits ? AdoType::Integer : AdoType::BigInt;
            c.size = fits ? 4 : 8;
            break;
        }
        case CellKind::Real:
            c.type = AdoType::Double;
            c.size = 8;
            break;
        case CellKind::Blob:
            c.type = AdoType::LongVarBinary;
            c.size = 2147483647;
            break;
        case CellKind::Text:
        case CellKind::Null:
            c.type = AdoType::VarWChar;
            c.size = 255;
            break;
        }
    }
}

void RecordTable::clear()
{
    m_columns.clear();
    m_pool.clear();
    m_rowCount = 0;
}
