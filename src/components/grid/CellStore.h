#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdlib>
#include <new>
#include <vector>

namespace CellMemory {
/// malloc, or for two megabytes and more, memory in whole huge pages where
/// the system offers them. Released with free.
void *allocateLarge(size_t bytes);
} // namespace CellMemory

/// A vector allocator for large arrays: see allocateLarge.
template <typename T>
struct LargeAllocator
{
    using value_type = T;
    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U> &) noexcept
    {
    }
    T *allocate(size_t n)
    {
        if (void *memory = CellMemory::allocateLarge(n * sizeof(T)))
            return static_cast<T *>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T *memory, size_t) noexcept { std::free(memory); }
    friend bool operator==(const LargeAllocator &, const LargeAllocator &) { return true; }
};

/// The texts of a grid's cells, by cell number (row-major). Texts are packed
/// one after another into a few large blocks and a cell is just its place
/// there, so a million cells cost eight bytes each plus their characters,
/// and writing a cell allocates nothing per cell. A text whose characters
/// all fit in Latin-1 (digits, dates, most field values) is kept one byte a
/// character, any other as UTF-16. Blocks never move once made, so filling
/// never copies what is already stored. Replaced or dropped texts leave
/// unused bytes behind, which are squeezed out once they outweigh the rest.
class CellStore
{
public:
    CellStore() = default;
    explicit CellStore(qsizetype cells);
    ~CellStore();
    CellStore(const CellStore &) = delete;
    CellStore &operator=(const CellStore &) = delete;

    qsizetype size() const { return qsizetype(m_cells.size()); }
    QString text(qsizetype cell) const;
    bool isEmpty(qsizetype cell) const { return m_cells[size_t(cell)].length == 0; }
    void set(qsizetype cell, QStringView text);
    /// A text whose bytes are its Latin-1 characters, stored as they are.
    void setLatin1(qsizetype cell, const char *text, qsizetype length);

    /// Cells past n go; new cells are empty.
    void resize(qsizetype n);
    /// count empty cells before cell number at.
    void insert(qsizetype at, qsizetype count);
    /// rows × oldColumns cells become rows × newColumns: columns past the
    /// new count go, new columns are empty.
    void relayout(qsizetype rows, qsizetype oldColumns, qsizetype newColumns);
    /// n empty cells. Some blocks are kept for the next fill.
    void reset(qsizetype n);
    /// n cells from the texts, which are consumed; missing ones are empty.
    void assign(qsizetype n, QList<QString> &&texts);

    /// Bytes stored, in use or not (for tests and figures).
    qsizetype storedBytes() const { return m_used; }
    qsizetype liveBytes() const { return m_used - m_garbage; }

private:
    /// A cell's place: block number in the high bits, offset in the low ones.
    static constexpr int kOffsetBits = 21;
    static constexpr quint32 kOffsetMask = (1u << kOffsetBits) - 1;
    static constexpr qsizetype kBlockBytes = qsizetype(1) << kOffsetBits;
    static constexpr qsizetype kMaxBlocks = qsizetype(1) << (32 - kOffsetBits);
    /// In a cell's length: the text is UTF-16 rather than Latin-1.
    static constexpr quint32 kWide = 0x80000000u;

    struct Cell
    {
        quint32 place = 0;
        quint32 length = 0;
    };
    struct Block
    {
        char *bytes = nullptr;
        qsizetype capacity = 0;
        qsizetype used = 0;
    };

    static qsizetype bytesOf(const Cell &cell)
    {
        return (cell.length & kWide) ? qsizetype(cell.length & ~kWide) * 2 : qsizetype(cell.length);
    }
    /// Makes the cell a text of so many characters (Latin-1 bytes, or UTF-16
    /// when wide) and returns where its bytes go; null when the cell was
    /// emptied instead (an empty text, or one the store cannot hold).
    char *place(qsizetype cell, qsizetype length, bool wide);
    char *at(const Cell &cell) const
    {
        return m_blocks[cell.place >> kOffsetBits].bytes + (cell.place & kOffsetMask);
    }
    void release(const Cell &cell) { m_garbage += bytesOf(cell); }
    /// Room for a text of so many bytes (at an even offset when wide), or
    /// null when none can be had.
    char *allocate(qsizetype bytes, bool wide, quint32 &place);
    /// Moves every live text into fresh blocks and drops the old ones.
    bool compact();
    void freeBlocks();

    std::vector<Cell, LargeAllocator<Cell>> m_cells;
    std::vector<Block> m_blocks;
    /// The block that takes ordinary texts, -1 before the first.
    qsizetype m_open = -1;
    qsizetype m_used = 0;
    qsizetype m_garbage = 0;
};
