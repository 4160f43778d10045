#include "components/grid/CellStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

/// Unused characters are only squeezed out past this many, so small grids
/// never spend time on it.
constexpr qsizetype kCompactAtLeast = 1 << 16;
/// The first block is small; each next one doubles up to the full size.
constexpr qsizetype kFirstBlockChars = 4096;
/// Emptying the store keeps up to this many characters of blocks for the
/// next fill, whose pages are then already mapped.
constexpr qsizetype kKeepChars = qsizetype(16) << 20;

} // namespace

CellStore::CellStore(qsizetype cells) : m_cells(size_t(std::max<qsizetype>(cells, 0)))
{
}

CellStore::~CellStore()
{
    freeBlocks();
}

void CellStore::set(qsizetype cell, QStringView text)
{
    const qsizetype length = text.size();
    Cell &target = m_cells[size_t(cell)];
    if (length <= qsizetype(target.length)) {
        // Fits where the old text was. The text may come from this very
        // store, hence a move rather than a copy.
        if (length > 0) {
            char16_t *at = m_blocks[target.place >> kOffsetBits].chars + (target.place & kOffsetMask);
            std::memmove(at, text.utf16(), size_t(length) * sizeof(char16_t));
        }
        m_garbage += target.length - length;
        target.length = quint32(length);
        if (length == 0)
            target.place = 0;
        return;
    }

    quint32 place = 0;
    const bool stored = append(text, place);
    Cell &placed = m_cells[size_t(cell)];
    release(placed);
    // Beyond what the store can address, the cell is emptied rather than
    // left showing a text it was told to drop.
    placed = stored ? Cell{place, quint32(length)} : Cell{};
}

bool CellStore::append(QStringView text, quint32 &place)
{
    const qsizetype length = text.size();
    const bool ownBlock = length > kBlockChars;
    auto roomIn = [this](qsizetype index) {
        return m_blocks[size_t(index)].capacity - m_blocks[size_t(index)].used;
    };
    bool fits = !ownBlock && m_open >= 0 && roomIn(m_open) >= length;
    // Blocks kept from before the store was emptied follow the open one.
    while (!ownBlock && !fits && m_open + 1 < qsizetype(m_blocks.size())
           && m_blocks[size_t(m_open) + 1].used == 0) {
        ++m_open;
        fits = roomIn(m_open) >= length;
    }
    if (!fits) {
        // A new block is due: first squeeze out unused characters if they
        // outweigh the texts, or if the blocks have run out.
        const qsizetype live = m_used - m_garbage;
        const bool wasteful = m_garbage > live && m_garbage >= kCompactAtLeast;
        if (wasteful || (qsizetype(m_blocks.size()) >= kMaxBlocks && m_garbage > 0)) {
            // The text may lie in a block that the squeeze frees.
            const QString copy = text.toString();
            if (compact())
                return append(copy, place);
            return false;
        }
        if (qsizetype(m_blocks.size()) >= kMaxBlocks)
            return false;

        Block block;
        if (ownBlock) {
            block.capacity = length;
        } else {
            const qsizetype previous = m_open >= 0 ? m_blocks[size_t(m_open)].capacity : kFirstBlockChars / 2;
            block.capacity = std::max(std::min(kBlockChars, previous * 2), length);
        }
        block.chars = static_cast<char16_t *>(std::malloc(size_t(block.capacity) * sizeof(char16_t)));
        if (!block.chars)
            return false;
        m_blocks.push_back(block);
        if (!ownBlock)
            m_open = qsizetype(m_blocks.size()) - 1;
    }

    const qsizetype index = ownBlock ? qsizetype(m_blocks.size()) - 1 : m_open;
    Block &block = m_blocks[size_t(index)];
    std::memcpy(block.chars + block.used, text.utf16(), size_t(length) * sizeof(char16_t));
    place = (quint32(index) << kOffsetBits) | quint32(block.used);
    block.used += length;
    m_used += length;
    return true;
}

bool CellStore::compact()
{
    std::vector<Block> old;
    old.swap(m_blocks);
    const qsizetype oldOpen = m_open;
    const qsizetype oldUsed = m_used;
    const qsizetype oldGarbage = m_garbage;
    m_open = -1;
    m_used = 0;
    m_garbage = 0;

    std::vector<Cell> moved(m_cells.size());
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const Cell &cell = m_cells[i];
        if (cell.length == 0)
            continue;
        const QStringView text(old[cell.place >> kOffsetBits].chars + (cell.place & kOffsetMask),
                               qsizetype(cell.length));
        quint32 place = 0;
        if (!append(text, place)) {
            // Out of memory half way: keep everything as it was.
            freeBlocks();
            m_blocks.swap(old);
            m_open = oldOpen;
            m_used = oldUsed;
            m_garbage = oldGarbage;
            return false;
        }
        moved[i] = Cell{place, cell.length};
    }
    m_cells.swap(moved);
    for (Block &block : old)
        std::free(block.chars);
    return true;
}

void CellStore::freeBlocks()
{
    for (Block &block : m_blocks)
        std::free(block.chars);
    m_blocks.clear();
    m_open = -1;
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
    if (m_used == m_garbage) {
        // No cell holds a text (a grid just lengthened for a fill): nothing
        // to move, every cell starts empty in the new shape.
        m_cells.assign(size_t(rows * newColumns), Cell{});
        return;
    }
    if (oldColumns == newColumns || rows == 0) {
        m_cells.resize(size_t(rows * newColumns));
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
        if (block.capacity <= kBlockChars && kept + block.capacity <= kKeepChars) {
            block.used = 0;
            keep.push_back(block);
            kept += block.capacity;
        } else {
            std::free(block.chars);
        }
    }
    m_blocks.swap(keep);
    m_open = m_blocks.empty() ? -1 : 0;
    m_used = m_garbage = 0;
    m_cells.assign(size_t(std::max<qsizetype>(n, 0)), Cell{});
}

void CellStore::assign(qsizetype n, QList<QString> &&texts)
{
    reset(n);
    const qsizetype count = std::min(size(), texts.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString &text = texts.at(i);
        quint32 place = 0;
        if (!text.isEmpty() && append(text, place))
            m_cells[size_t(i)] = Cell{place, quint32(text.size())};
    }
    texts = QList<QString>();
}
