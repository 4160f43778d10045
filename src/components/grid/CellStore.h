#pragma once

#include "components/data/LargeMemory.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdlib>
#include <memory>
#include <vector>

/// A vector allocator for large arrays (huge pages, given back at once).
template <typename T>
using LargeAllocator = LargeMemory::Allocator<T>;

/// The texts of a grid's cells, by cell number (row-major). Texts are packed
/// one after another into a few large blocks and a cell is just its place
/// there, so a million cells cost eight bytes each plus their characters,
/// and writing a cell allocates nothing per cell. A text of up to seven
/// Latin-1 characters sits in the cell itself. A longer one whose characters
/// all fit in Latin-1 (digits, dates, most field values) is kept one byte a
/// character, any other as UTF-16, or as the UTF-8 it was given in. A cell
/// may also refer to UTF-8 bytes in a block borrowed from elsewhere (the
/// record set's own storage), which then costs no copy at all. Blocks never
/// move once made, so filling never copies what is already stored. Replaced
/// or dropped texts leave unused bytes behind, which are squeezed out once
/// they outweigh the rest.
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
    /// UTF-8 bytes, stored as they are and read back as QString::fromUtf8
    /// reads them (broken sequences included).
    void setUtf8(qsizetype cell, const char *text, qsizetype length);
    /// UTF-8 bytes that lie in a block which owner keeps alive and which
    /// never changes: the cell refers to them where they are, the store
    /// holding on to the block, so nothing is copied. Copied as setUtf8 does
    /// when the store cannot refer to them.
    void shareUtf8(qsizetype cell, const char *text, qsizetype length, const std::shared_ptr<const char> &owner);

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

    /// Texts of up to this many Latin-1 characters sit in their cells and
    /// take no bytes in the blocks.
    static constexpr qsizetype inlineLength = 7;
    /// Bytes stored, in use or not (for tests and figures).
    qsizetype storedBytes() const { return m_used; }
    qsizetype liveBytes() const { return m_used - m_garbage; }

private:
    /// A cell's place: block number in the high bits, offset in the low ones.
    static constexpr int kOffsetBits = 21;
    static constexpr quint32 kOffsetMask = (1u << kOffsetBits) - 1;
    static constexpr qsizetype kBlockBytes = qsizetype(1) << kOffsetBits;
    static constexpr qsizetype kMaxBlocks = qsizetype(1) << (32 - kOffsetBits);
    /// In a cell's length: the text is UTF-16, or UTF-8, rather than Latin-1.
    static constexpr quint32 kWide = 0x80000000u;
    static constexpr quint32 kUtf8 = 0x40000000u;
    static constexpr quint32 kLengthMask = 0x3fffffffu;
    /// Both form bits: a text of up to seven Latin-1 characters (most
    /// numbers) held in the cell itself, the first four in its place, the
    /// rest in the low bytes of its length, their count in bits 27 to 29.
    static constexpr quint32 kInline = kWide | kUtf8;
    static constexpr qsizetype kInlineMax = inlineLength;

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
        /// Set for a block that is borrowed (shareUtf8): never written, never freed here.
        std::shared_ptr<const char> owner;
    };

    static bool isInline(const Cell &cell) { return (cell.length & kInline) == kInline; }
    static qsizetype bytesOf(const Cell &cell)
    {
        if (isInline(cell))
            return 0;
        const qsizetype length = qsizetype(cell.length & kLengthMask);
        return (cell.length & kWide) ? length * 2 : length;
    }
    /// Makes the cell a text of so many characters, in the form that flags
    /// names (0 Latin-1, kWide UTF-16, kUtf8 UTF-8), and returns where its
    /// bytes go; null when the cell was emptied instead (an empty text, or
    /// one the store cannot hold).
    char *place(qsizetype cell, qsizetype length, quint32 flags);
    /// Makes the cell an inline text; at() gives its i-th character.
    void setInline(qsizetype cell, const char *text, qsizetype length);
    /// Index of the borrowed block of owner, taken in when new; -1 when the
    /// store takes no more borrowed blocks.
    qsizetype borrowedBlock(const std::shared_ptr<const char> &owner);
    char *at(const Cell &cell) const
    {
        return m_blocks[cell.place >> kOffsetBits].bytes + (cell.place & kOffsetMask);
    }
    void release(const Cell &cell)
    {
        m_garbage += bytesOf(cell);
        if (isInline(cell))
            --m_inlineCells;
    }
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
    /// The borrowed block found last, -1 for none.
    qsizetype m_lastBorrowed = -1;
    qsizetype m_used = 0;
    qsizetype m_garbage = 0;
    /// Cells that hold an inline text.
    qsizetype m_inlineCells = 0;
};
