#pragma once

#include "ChunkedArray.h"
#include "LargeMemory.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

/// What one stored cell holds.
enum class CellKind : std::uint8_t { Null, Integer, Real, Text, Blob };

/// Append-only byte storage for text and binary values. Values are kept in
/// blocks of up to two megabytes (a longer one in a block of its own) so
/// that growing never copies what is stored. A stored value's bytes never change or move, so a block may be
/// kept alive past the pool by whoever shows its values (owner()).
class BytePool
{
public:
    /// Stores the bytes and returns a reference for view().
    std::uint64_t add(const char *data, qsizetype size);
    QByteArrayView view(std::uint64_t ref) const;
    /// Keeps alive the block that holds the value; the block starts at get().
    const std::shared_ptr<const char> &owner(std::uint64_t ref) const;
    void clear();

private:
    struct Block {
        std::shared_ptr<const char> owner;
        char *bytes = nullptr;
        qsizetype capacity = 0;
        qsizetype used = 0;
    };
    std::vector<Block> m_blocks;
    /// The block that takes values of ordinary size; none at first.
    std::size_t m_open = static_cast<std::size_t>(-1);
};

/// The rows of a query held compactly, column by column: one kind byte and
/// one 8-byte value per cell (the integer, the double's bits, or a pool
/// reference), so a million rows of eight columns take about 72 MB plus
/// their texts.
class RecordTable
{
public:
    struct Column {
        QString name;
        int type = 0;
        int size = 0;
        /// No declared type: the type follows the column's first value.
        bool typeFromValues = false;
        /// Where the column comes from, for writing a value back.
        QString baseCatalog;
        QString baseSchema;
        QString baseTable;
        QString baseColumn;
        ChunkedArray<CellKind> kinds;
        ChunkedArray<std::int64_t> values;
        bool hasInteger = false;
        std::int64_t minInteger = 0;
        std::int64_t maxInteger = 0;
    };

    int rowCount() const { return m_rowCount; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }

    Column &addColumn(const QString &name);
    Column &column(int index) { return m_columns[static_cast<std::size_t>(index)]; }
    const Column &column(int index) const { return m_columns[static_cast<std::size_t>(index)]; }

    /// Appending: every column takes one value, then finishRow().
    void appendNull(int col);
    void appendInteger(int col, std::int64_t value);
    void appendReal(int col, double value);
    void appendText(int col, const char *data, qsizetype size);
    void appendBlob(int col, const char *data, qsizetype size);
    void finishRow() { ++m_rowCount; }

    /// Replaces one stored cell.
    void setText(int row, int col, const QByteArray &utf8);
    void setBlob(int row, int col, const QByteArray &bytes);

    CellKind kind(int row, int col) const;
    std::int64_t integer(int row, int col) const;
    double real(int row, int col) const;
    /// The bytes of a text (UTF-8) or binary cell; empty for other kinds.
    QByteArrayView bytes(int row, int col) const;
    /// What keeps the bytes of a text or binary cell alive: a shared block
    /// that holds them, starting at its get(). Null for other kinds.
    const std::shared_ptr<const char> &bytesOwner(int row, int col) const;

    /// Gives computed columns their type from their values.
    void settleComputedTypes();

    void clear();

private:
    void appendBytes(int col, CellKind kind, const char *data, qsizetype size);

    std::vector<Column> m_columns;
    BytePool m_pool;
    int m_rowCount = 0;
};
