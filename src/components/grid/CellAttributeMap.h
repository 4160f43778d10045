#pragma once

#include <QHash>

#include <algorithm>
#include <vector>

/// A per-cell attribute (colour, alignment) kept sparse. A rectangle that
/// starts at column 0 is stored as one entry per row covering a prefix of the
/// row, so striping a million rows costs one entry per row rather than one
/// per cell; any other rectangle is kept as per-cell entries, which win over
/// the row entry underneath them.
template <typename T>
class CellAttributeMap
{
public:
    explicit CellAttributeMap(T none) : m_none(none) {}

    T none() const { return m_none; }

    T value(int row, int column) const
    {
        if (!m_cells.isEmpty()) {
            const auto it = m_cells.constFind(key(row, column));
            if (it != m_cells.constEnd())
                return it.value();
        }
        if (row < int(m_rows.size()) && column < m_rows[size_t(row)].columns)
            return m_rows[size_t(row)].value;
        return m_none;
    }

    /// The rectangle must already lie inside the grid.
    void set(int row1, int column1, int row2, int column2, T value)
    {
        for (int row = row1; row <= row2; ++row) {
            if (column1 == 0 && column2 + 1 >= rowPrefix(row)) {
                if (row >= int(m_rows.size()))
                    m_rows.resize(size_t(row) + 1);
                m_rows[size_t(row)] = RowEntry{value, column2 + 1};
                if (!m_cells.isEmpty()) {
                    for (int column = 0; column <= column2; ++column)
                        m_cells.remove(key(row, column));
                }
            } else {
                for (int column = column1; column <= column2; ++column)
                    m_cells.insert(key(row, column), value);
            }
        }
    }

    void clear()
    {
        m_rows = {};
        m_cells = {};
    }

    /// A new empty row before position; later rows move down.
    void insertRow(int position)
    {
        if (position < int(m_rows.size()))
            m_rows.insert(m_rows.begin() + position, RowEntry{m_none, 0});
        if (m_cells.isEmpty())
            return;
        QHash<quint64, T> moved;
        moved.reserve(m_cells.size());
        for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it) {
            const int row = int(it.key() >> 32);
            const int column = int(it.key() & 0xffffffffu);
            moved.insert(key(row >= position ? row + 1 : row, column), it.value());
        }
        m_cells = std::move(moved);
    }

    /// Drops everything at or below row n.
    void truncateRows(int n)
    {
        if (n < int(m_rows.size()))
            m_rows.resize(size_t(n));
        m_cells.removeIf([n](const auto &it) { return int(it.key() >> 32) >= n; });
    }

    /// Drops everything at or right of column n, so columns added later start plain.
    void truncateColumns(int n)
    {
        for (RowEntry &entry : m_rows)
            entry.columns = std::min(entry.columns, n);
        m_cells.removeIf([n](const auto &it) { return int(it.key() & 0xffffffffu) >= n; });
    }

private:
    struct RowEntry
    {
        T value{};
        int columns = 0;
    };

    static quint64 key(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }
    int rowPrefix(int row) const { return row < int(m_rows.size()) ? m_rows[size_t(row)].columns : 0; }

    T m_none;
    std::vector<RowEntry> m_rows;
    QHash<quint64, T> m_cells;
};
