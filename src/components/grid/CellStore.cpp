#include "components/grid/CellStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

/// Unused bytes are only squeezed out past this many, so small grids never
/// spend time on it.
constexpr qsizetype kCompactAtLeast = 1 << 16;
/// The first block is small; each next one doubles up to the full size.
constexpr qsizetype kFirstBlockBytes = 8192;
/// Emptying the store keeps up to this many bytes of blocks for the next
/// fill, whose pages are then already mapped.
constexpr qsizetype kKeepBytes = qsizetype(32) << 20;

// UTF-8 that reads as the empty text: a byte order mark alone, which
// QString::fromUtf8 drops.
bool isLoneByteOrderMark(const char *text, qsizetype length)
{
    return length == 3 && std::memcmp(text, "\xef\xbb\xbf", 3) == 0;
}

bool fitsLatin1(QStringView text)
{
    // No early exit, so the loop vectorises.
    const char16_t *chars = text.utf16();
    char16_t all = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        all |= chars[i];
    return all <= 0xff;
}

void writeLatin1(char *to, QStringView text)
{
    const char16_t *from = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        to[i] = char(from[i]);
}

} // namespace

CellStore::CellStore(qsizetype cells) : m_cells(size_t(std::max<qsizetype>(cells, 0)))
{
}

CellStore::~CellStore()
{
    freeBlocks();
}

QString CellStore::text(qsizetype cell) const
{
    const Cell &c = m_cells[size_t(cell)];
    if (c.length == 0)
        return QString();
    if (isInline(c)) {
        char chars[kInlineMax];
        const qsizetype length = qsizetype((c.length >> 27) & 7u);
        for (qsizetype i = 0; i < length; ++i)
            chars[i] = char(i < 4 ? c.place >> (8 * i) : c.length >> (8 * (i - 4)));
        return QString::fromLatin1(chars, length);
    }
    const qsizetype length = qsizetype(c.length & kLengthMask);
    if (c.length & kWide)
        return QString(reinterpret_cast<const QChar *>(at(c)), length);
    if (c.length & kUtf8)
        return QString::fromUtf8(at(c), length);
    return QString::fromLatin1(at(c), length);
}

void CellStore::set(qsizetype cell, QStringView text)
{
    const bool narrow = fitsLatin1(text);
    if (narrow && text.size() > 0 && text.size() <= kInlineMax) {
        char chars[kInlineMax];
        writeLatin1(chars, text);
        setInline(cell, chars, text.size());
        return;
    }
    char *to = place(cell, text.size(), narrow ? 0u : kWide);
    if (!to)
        return;
    if (narrow)
        writeLatin1(to, text);
    else
        std::memcpy(to, text.utf16(), size_t(text.size()) * 2);
}

void CellStore::setLatin1(qsizetype cell, const char *text, qsizetype length)
{
    if (length > 0 && length <= kInlineMax) {
        setInline(cell, text, length);
        return;
    }
    if (char *to = place(cell, length, 0u))
        std::memcpy(to, text, size_t(length));
}

void CellStore::setUtf8(qsizetype cell, const char *text, qsizetype length)
{
    if (isLoneByteOrderMark(text, length))
        length = 0;
    if (char *to = place(cell, length, kUtf8))
        std::memcpy(to, text, size_t(length));
}

void CellStore::shareUtf8(qsizetype cell, const char *text, qsizetype length,
                          const std::shared_ptr<const char> &owner)
{
    const qsizetype offset = owner ? qsizetype(text - owner.get()) : -1;
    const bool referable = offset >= 0 && offset < kBlockBytes && length > 0 && length <= qsizetype(kLengthMask)
        && !isLoneByteOrderMark(text, length);
    const qsizetype block = referable ? borrowedBlock(owner) : -1;
    if (block < 0) {
        setUtf8(cell, text, length);
        return;
    }
    Cell &target = m_cells[size_t(cell)];
    release(target);
    target = Cell{(quint32(block) << kOffsetBits) | quint32(offset), quint32(length) | kUtf8};
    m_used += length;
}

void CellStore::setInline(qsizetype cell, const char *text, qsizetype length)
{
    quint32 place = 0;
    quint32 rest = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const quint32 byte = quint8(text[i]);
        if (i < 4)
            place |= byte << (8 * i);
        else
            rest |= byte << (8 * (i - 4));
    }
    Cell &target = m_cells[size_t(cell)];
    release(target);
    target = Cell{place, kInline | (quint32(length) << 27) | rest};
    ++m_inlineCells;
}

qsizetype CellStore::borrowedBlock(const std::shared_ptr<const char> &owner)
{
    if (m_lastBorrowed >= 0 && m_blocks[size_t(m_lastBorrowed)].owner == owner)
        return m_lastBorrowed;
    for (qsizetype i = qsizetype(m_blocks.size()) - 1; i >= 0; --i) {
        if (m_blocks[size_t(i)].owner == owner) {
            m_lastBorrowed = i;
            return i;
        }
    }
    // Half the block numbers stay for the store's own blocks.
    if (qsizetype(m_blocks.size()) >= kMaxBlocks / 2)
        return -1;
    Block block;
    block.bytes = const_cast<char *>(owner.get());
    block.owner = owner;
    m_blocks.push_back(std::move(block));
    m_lastBorrowed = qsizetype(m_blocks.size()) - 1;
    return m_lastBorrowed;
}

char *CellStore::place(qsizetype cell, qsizetype length, quint32 flags)
{
    Cell &target = m_cells[size_t(cell)];
    if (length <= 0 || length > qsizetype(kLengthMask)) {
        // A text too long to record its length is dropped rather than cut.
        release(target);
        target = Cell{};
        return nullptr;
    }
    const bool wide = (flags & kWide) != 0;
    const qsizetype bytes = wide ? length * 2 : length;
    const quint32 lengthField = quint32(length) | flags;

    // Fits where the old text was, in a block of the store's own (wide
    // texts need an even offset).
    if (bytes <= bytesOf(target) && !m_blocks[target.place >> kOffsetBits].owner
        && (!wide || (target.place & 1u) == 0)) {
        m_garbage += bytesOf(target) - bytes;
        target.length = lengthField;
        return at(target);
    }

    quint32 where = 0;
    char *to = allocate(bytes, wide, where);
    Cell &placed = m_cells[size_t(cell)];
    release(placed);
    if (!to) {
        // Beyond what the store can hold: the cell is emptied rather than
        // left showing a text it was told to drop.
        placed = Cell{};
        return nullptr;
    }
    placed = Cell{where, lengthField};
    return to;
}

char *CellStore::allocate(qsizetype bytes, bool wide, quint32 &place)
{
    const bool ownBlock = bytes > kBlockBytes;
    auto padding = [this, wide](qsizetype index) { return wide ? (m_blocks[size_t(index)].used & 1) : 0; };
    auto fitsIn = [this, bytes, &padding](qsizetype index) {
        const Block &block = m_blocks[size_t(index)];
        return block.capacity - block.used - padding(index) >= bytes;
    };
    bool fits = !ownBlock && m_open >= 0 && fitsIn(m_open);
    // Blocks kept from before the store was emptied follow the open one.
    while (!ownBlock && !fits && m_open + 1 < qsizetype(m_blocks.size())
           && m_blocks[size_t(m_open) + 1].used == 0 && !m_blocks[size_t(m_open) + 1].owner) {
        ++m_open;
        fits = fitsIn(m_open);
    }

    if (!fits) {
        // A new block is due: first squeeze out unused bytes if they
        // outweigh the texts, or if the blocks have run out.
        const qsizetype live = m_used - m_garbage;
        const bool wasteful = m_garbage > live && m_garbage >= kCompactAtLeast;
        if (wasteful || (qsizetype(m_blocks.size()) >= kMaxBlocks && m_garbage > 0))
            return compact() ? allocate(bytes, wide, place) : nullptr;
        if (qsizetype(m_blocks.size()) >= kMaxBlocks)
            return nullptr;

        Block block;
        if (ownBlock) {
            block.capacity = bytes;
        } else {
            const qsizetype previous =
                m_open >= 0 ? m_blocks[size_t(m_open)].capacity : kFirstBlockBytes / 2;
            block.capacity = std::max(std::min(kBlockBytes, previous * 2), bytes);
        }
        block.bytes = static_cast<char *>(LargeMemory::allocate(size_t(block.capacity)));
        if (!block.bytes)
            return nullptr;
        m_blocks.push_back(block);
        if (!ownBlock)
            m_open = qsizetype(m_blocks.size()) - 1;
    }

    const qsizetype index = ownBlock ? qsizetype(m_blocks.size()) - 1 : m_open;
    const qsizetype pad = padding(index);
    Block &block = m_blocks[size_t(index)];
    block.used += pad;
    m_used += pad;
    m_garbage += pad;
    char *to = block.bytes + block.used;
    place = (quint32(index) << kOffsetBits) | quint32(block.used);
    block.used += bytes;
    m_used += bytes;
    return to;
}

bool CellStore::compact()
{
    std::vector<Block> old;
    old.swap(m_blocks);
    const qsizetype oldOpen = m_open;
    const qsizetype oldUsed = m_used;
    const qsizetype oldGarbage = m_garbage;
    const qsizetype oldBorrowed = m_lastBorrowed;
    m_open = -1;
    m_lastBorrowed = -1;
    m_used = 0;
    m_garbage = 0;

    std::vector<Cell, LargeAllocator<Cell>> moved(m_cells.size());
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const Cell &cell = m_cells[i];
        if (cell.length == 0)
            continue;
        if (isInline(cell)) {
            moved[i] = cell;
            continue;
        }
        const qsizetype bytes = bytesOf(cell);
        quint32 place = 0;
        char *to = allocate(bytes, (cell.length & kWide) != 0, place);
        if (!to) {
            // Out of memory half way: keep everything as it was.
            freeBlocks();
            m_blocks.swap(old);
            m_open = oldOpen;
            m_lastBorrowed = oldBorrowed;
            m_used = oldUsed;
            m_garbage = oldGarbage;
            return false;
        }
        std::memcpy(to, old[cell.place >> kOffsetBits].bytes + (cell.place & kOffsetMask), size_t(bytes));
        moved[i] = Cell{place, cell.length};
    }
    m_cells.swap(moved);
    for (Block &block : old) {
        if (!block.owner)
            LargeMemory::release(block.bytes, size_t(block.capacity));
    }
    return true;
}

void CellStore::freeBlocks()
{
    for (Block &block : m_blocks) {
        if (!block.owner)
            LargeMemory::release(block.bytes, size_t(block.capacity));
    }
    m_blocks.clear();
    m_open = -1;
    m_lastBorrowed = -1;
}

void CellStore::resize(qsizetype n)
{
    n = std::max<qsizetype>(n, 0);
    for (qsizetype i = n; i < size(); ++i)
        release(m_cells[size_t(i)]);
    m_cells.resize(size_t(n));
}

void CellStore::insert(qsizetype at, qsizetype count)
{
    if (count <= 0)
        return;
    at = std::clamp<qsizetype>(at, 0, size());
    m_cells.insert(m_cells.begin() + at, size_t(count), Cell{});
}

void CellStore::relayout(qsizetype rows, qsizetype oldColumns, qsizetype newColumns)
{
    rows = std::max<qsizetype>(rows, 0);
    if (m_used == m_garbage && m_inlineCells == 0) {
        // No cell holds a text (a grid just lengthened for a fill): nothing
        // to move, every cell starts empty in the new shape.
        m_cells.assign(size_t(rows * newColumns), Cell{});
        return;
    }
    if (oldColumns == newColumns || rows == 0) {
        resize(rows * newColumns);
        return;
    }
    if (newColumns > oldColumns) {
        // From the last row up, so no row is overwritten before it moved.
        m_cells.resize(size_t(rows * newColumns));
        Cell *cells = m_cells.data();
        for (qsizetype row = rows - 1; row >= 0; --row) {
            if (row > 0)
                std::memmove(cells + row * newColumns, cells + row * oldColumns,
                             size_t(oldColumns) * sizeof(Cell));
            std::fill(cells + row * newColumns + oldColumns, cells + (row + 1) * newColumns, Cell{});
        }
    } else {
        Cell *cells = m_cells.data();
        for (qsizetype row = 0; row < rows; ++row) {
            for (qsizetype column = newColumns; column < oldColumns; ++column)
                release(cells[row * oldColumns + column]);
        }
        for (qsizetype row = 1; row < rows; ++row)
            std::memmove(cells + row * newColumns, cells + row * oldColumns,
                         size_t(newColumns) * sizeof(Cell));
        m_cells.resize(size_t(rows * newColumns));
    }
}

void CellStore::reset(qsizetype n)
{
    std::vector<Block> keep;
    qsizetype kept = 0;
    for (Block &block : m_blocks) {
        if (block.owner)
            continue; // a borrowed block goes back to its owner
        if (block.capacity <= kBlockBytes && kept + block.capacity <= kKeepBytes) {
            block.used = 0;
            keep.push_back(block);
            kept += block.capacity;
        } else {
            LargeMemory::release(block.bytes, size_t(block.capacity));
        }
    }
    m_blocks.swap(keep);
    m_open = m_blocks.empty() ? -1 : 0;
    m_lastBorrowed = -1;
    m_used = m_garbage = 0;
    m_inlineCells = 0;
    m_cells.assign(size_t(std::max<qsizetype>(n, 0)), Cell{});
}

void CellStore::assign(qsizetype n, QList<QString> &&texts)
{
    reset(n);
    const qsizetype count = std::min(size(), texts.size());
    for (qsizetype i = 0; i < count; ++i)
        set(i, texts.at(i));
    texts = QList<QString>();
}
