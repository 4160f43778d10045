#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

/// The texts of a grid's cells, by cell number (row-major). Texts are packed
/// one after another into a few large character blocks and a cell is just
/// its place there, so a million cells cost eight bytes each plus their
/// characters, and writing a cell allocates nothing per cell. Blocks are
/// never moved once made, so filling never copies what is already stored.
/// Replaced or dropped texts leave unused characters behind, which are
/// squeezed out once they outweigh the rest.
class CellStore
{
public:
    CellStore() = default;
    explicit CellStore(qsizetype cells);
    ~CellStore();
    CellStore(const CellStore &) = delete;
    CellStore &operator=(const CellStore &) = delete;

    qsizetype size() const { return qsizetype(m_cells.size()); }
    /// Valid until the next change of the store.
    QStringView view(qsizetype cell) const
    {
        const Cell &c = m_cells[size_t(cell)];
        if (c.length == 0)
            return QStringView();
        return QStringView(m_blocks[c.place >> kOffsetBits].chars + (c.place & kOffsetMask),
                           qsizetype(c.length));
    }
    QString text(qsizetype cell) const { return view(cell).toString(); }
    void set(qsizetype cell, QStringView text);

    /// Cells past n go; new cells are empty.
    void resize(qsizetype n);
    /// count empty cells before cell number at.
    void insert(qsizetype at, qsizetype count);
    /// rows × oldColumns cells become rows × newColumns: columns past the
    /// new count go, new columns are empty.
    void relayout(qsizetype rows, qsizetype oldColumns, qsizetype newColumns);
    /// n empty cells, the character buffer released.
    void reset(qsizetype n);
    /// n cells from the texts, which are consumed; missing ones are empty.
    void assign(qsizetype n, QList<QString> &&texts);

    /// Characters stored, in use or not (for tests and figures).
    qsizetype storedChars() const { return m_used; }
    qsizetype liveChars() const { return m_used - m_garbage; }

private:
    /// A cell's place: block number in the high bits, offset in the low ones.
    static constexpr int kOffsetBits = 20;
    static constexpr quint32 kOffsetMask = (1u << kOffsetBits) - 1;
    static constexpr qsizetype kBlockChars = qsizetype(1) << kOffsetBits;
    static constexpr qsizetype kMaxBlocks = qsizetype(1) << (32 - kOffsetBits);

    struct Cell
    {
        quint32 place = 0;
        quint32 length = 0;
    };
    struct Block
    {
        char16_t *chars = nullptr;
        qsizetype capacity = 0;
        qsizetype used = 0;
    };

    void release(const Cell &cell) { m_garbage += cell.length; }
    /// Stores a copy of the text and gives its place; false when no room
    /// can be had.
    bool append(QStringView text, quint32 &place);
    /// Moves every live text into fresh blocks and drops the old ones.
    bool compact();
    void freeBlocks();

    std::vector<Cell> m_cells;
    std::vector<Block> m_blocks;
    /// The block that takes short texts, -1 before the first.
    qsizetype m_open = -1;
    qsizetype m_used = 0;
    qsizetype m_garbage = 0;
};
