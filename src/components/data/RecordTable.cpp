#include "RecordTable.h"

#include "AdoType.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qsizetype kBlockSize = 4 * 1024 * 1024;
constexpr std::uint32_t kLengthBytes = sizeof(std::uint32_t);

} // namespace

std::uint64_t BytePool::add(const char *data, qsizetype size)
{
    const qsizetype need = size + kLengthBytes;
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < need) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(kBlockSize, need));
    }
    QByteArray &block = m_blocks.back();
    const auto offset = static_cast<std::uint64_t>(block.size());
    const auto length = static_cast<std::uint32_t>(size);
    block.append(reinterpret_cast<const char *>(&length), kLengthBytes);
    if (size > 0)
        block.append(data, size);
    return (static_cast<std::uint64_t>(m_blocks.size() - 1) << 32) | offset;
}

QByteArrayView BytePool::view(std::uint64_t ref) const
{
    const QByteArray &block = m_blocks[static_cast<std::size_t>(ref >> 32)];
    const auto offset = static_cast<qsizetype>(ref & 0xFFFFFFFFu);
    std::uint32_t length = 0;
    std::memcpy(&length, block.constData() + offset, kLengthBytes);
    return QByteArrayView(block.constData() + offset + kLengthBytes, static_cast<qsizetype>(length));
}

void BytePool::clear()
{
    m_blocks.clear();
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
        for (CellKind k : c.kinds) {
            if (k != CellKind::Null) {
                first = k;
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
