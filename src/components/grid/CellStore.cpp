#include "components/grid/CellStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

/// Offsets are 32-bit: the buffer never holds more characters than this.
constexpr qsizetype kMaxChars = qsizetype(std::numeric_limits<quint32>::max());
/// Unused characters are only squeezed out past this many, so small grids
/// never spend time on it.
constexpr qsizetype kCompactAtLeast = 1 << 16;

} // namespace

CellStore::CellStore(qsizetype cells) : m_cells(size_t(std::max<qsizetype>(cells, 0)))
{
}

CellStore::~CellStore()
{
    std::free(m_chars);
}

void CellStore::set(qsizetype cell, QStringView text)
{
    const qsizetype length = text.size();
    Cell &target = m_cells[size_t(cell)];
    if (length <= qsizetype(target.length)) {
        // Fits where the old text was: no new room needed. The text may
        // come from this very buffer, hence the move rather than a copy.
        if (length > 0)
            std::memmove(m_chars + target.offset, text.utf16(), size_t(length) * sizeof(char16_t));
        m_garbage += target.length - length;
        target.length = quint32(length);
        if (length == 0)
            target.offset = 0;
        return;
    }

    // Growing the buffer would leave a text taken from it dangling.
    QString copy;
    if (m_chars && text.utf16() >= m_chars && text.utf16() < m_chars + m_used) {
        copy = text.toString();
        text = copy;
    }
    if (!reserve(length)) {
        // Beyond what the buffer can address: the cell is emptied rather
        // than left showing a text it was told to drop.
        release(m_cells[size_t(cell)]);
        m_cells[size_t(cell)] = Cell{};
        return;
    }
    std::memcpy(m_chars + m_used, text.utf16(), size_t(length) * sizeof(char16_t));
    Cell &placed = m_cells[size_t(cell)];
    release(placed);
    placed = Cell{quint32(m_used), quint32(length)};
    m_used += length;
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
    if (oldColumns == newColumns || rows <= 0 || m_used == m_garbage) {
        // Nothing to move when no cell holds a text (a grid just lengthened
        // for a fill): every cell starts empty in the new shape.
        if (m_used == m_garbage)
            m_cells.assign(size_t(std::max<qsizetype>(rows, 0) * newColumns), Cell{});
        else
            m_cells.resize(size_t(std::max<qsizetype>(rows, 0) * newColumns));
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
    std::free(m_chars);
    m_chars = nullptr;
    m_used = m_capacity = m_garbage = 0;
    m_cells.assign(size_t(std::max<qsizetype>(n, 0)), Cell{});
}

void CellStore::assign(qsizetype n, QList<QString> &&texts)
{
    reset(n);
    const qsizetype count = std::min(n, texts.size());
    qsizetype total = 0;
    for (qsizetype i = 0; i < count; ++i)
        total += texts.at(i).size();
    if (total > 0 && reserve(std::min(total, kMaxChars))) {
        for (qsizetype i = 0; i < count; ++i) {
            const QString &text = texts.at(i);
            const qsizetype length = text.size();
            if (length == 0 || m_used + length > m_capacity)
                continue;
            std::memcpy(m_chars + m_used, text.utf16(), size_t(length) * sizeof(char16_t));
            m_cells[size_t(i)] = Cell{quint32(m_used), quint32(length)};
            m_used += length;
        }
    }
    texts = QList<QString>();
}

bool CellStore::reserve(qsizetype extra)
{
    if (m_used + extra <= m_capacity)
        return true;
    const qsizetype live = m_used - m_garbage;
    const bool wasteful = m_garbage > live && m_garbage >= kCompactAtLeast;
    if (wasteful || m_used + extra > kMaxChars) {
        if (live + extra > kMaxChars)
            return false;
        if (compact(extra))
            return true;
        if (m_used + extra > kMaxChars)
            return false;
    }
    // Grows by half again, so a fill cell by cell reallocates rarely; large
    // blocks are remapped by realloc rather than copied.
    const qsizetype wanted =
        std::min(kMaxChars, std::max({m_used + extra, m_capacity + m_capacity / 2, qsizetype(4096)}));
    auto *grown = static_cast<char16_t *>(std::realloc(m_chars, size_t(wanted) * sizeof(char16_t)));
    if (!grown)
        return false;
    m_chars = grown;
    m_capacity = wanted;
    return true;
}

bool CellStore::compact(qsizetype extra)
{
    const qsizetype live = m_used - m_garbage;
    const qsizetype capacity = std::min(kMaxChars, live + extra + live / 2);
    auto *packed = static_cast<char16_t *>(std::malloc(size_t(std::max<qsizetype>(capacity, 1)) * sizeof(char16_t)));
    if (!packed)
        return false;
    qsizetype used = 0;
    for (Cell &cell : m_cells) {
        if (cell.length == 0)
            continue;
        std::memcpy(packed + used, m_chars + cell.offset, size_t(cell.length) * sizeof(char16_t));
        cell.offset = quint32(used);
        used += cell.length;
    }
    std::free(m_chars);
    m_chars = packed;
    m_used = used;
    m_capacity = capacity;
    m_garbage = 0;
    return true;
}
