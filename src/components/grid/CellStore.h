#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

/// The texts of a grid's cells, by cell number (row-major). Every text lives
/// in one shared character buffer and a cell is just its place there, so a
/// million cells cost eight bytes each plus their characters, and writing a
/// cell allocates nothing per cell. Replaced or dropped texts leave unused
/// characters behind, which are squeezed out once they outweigh the rest.
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
        return QStringView(m_chars + c.offset, qsizetype(c.length));
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

    /// Characters held, in use or not (for tests and figures).
    qsizetype bufferedChars() const { return m_used; }
    qsizetype liveChars() const { return m_used - m_garbage; }

private:
    struct Cell
    {
        quint32 offset = 0;
        quint32 length = 0;
    };

    void release(const Cell &cell) { m_garbage += cell.length; }
    /// Room for extra more characters at the end of the buffer.
    bool reserve(qsizetype extra);
    /// Packs the texts into a new buffer with room for extra more.
    bool compact(qsizetype extra);

    std::vector<Cell> m_cells;
    char16_t *m_chars = nullptr;
    qsizetype m_used = 0;
    qsizetype m_capacity = 0;
    qsizetype m_garbage = 0;
};
