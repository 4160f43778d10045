#pragma once

#include "components/grid/CellAttributeMap.h"
#include "components/grid/CellStore.h"

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

/// Writes the cells of a grid being filled in one go (GridModel::fill,
/// GridControl::fillAllCells). Cells outside the grid are ignored.
class GridFill
{
public:
    void setText(int row, int column, QStringView text);
    /// Bytes that are Latin-1 characters (plain ASCII digits, for instance).
    void setLatin1(int row, int column, const char *text, qsizetype length);
    /// UTF-8 bytes, read as QString::fromUtf8 reads them.
    void setUtf8(int row, int column, QByteArrayView text);
    /// The same, for bytes in a block that owner keeps alive and that never
    /// change (owner.get() is the block's start): the grid refers to them.
    void shareUtf8(int row, int column, QByteArrayView text, const std::shared_ptr<const char> &owner);

private:
    friend class GridModel;
    GridFill(CellStore &cells, int rows, int columns) : m_cells(cells), m_rows(rows), m_columns(columns) {}
    bool contains(int row, int column) const
    {
        return row >= 0 && column >= 0 && row < m_rows && column < m_columns;
    }
    qsizetype offset(int row, int column) const { return qsizetype(row) * m_columns + column; }

    CellStore &m_cells;
    int m_rows;
    int m_columns;
};

/// The cells of a GridControl: texts row-major in one compact store, colours
/// and alignments sparse. While changes are deferred (the grid is hidden), cell
/// writes send no signal; the first notification afterwards covers them all.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    /// Background value meaning "no colour of its own".
    static constexpr quint32 NoColour = 0xffffffffu;
    enum Alignment { AlignLeft = 1, AlignCentre = 2, AlignRight = 3 };

    GridModel(int rows, int columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    bool contains(int row, int column) const
    {
        return row >= 0 && column >= 0 && row < m_rows && column < m_columns;
    }
    /// The caller asks for a cell inside the grid.
    QString text(int row, int column) const { return m_cells.text(offset(row, column)); }
    /// Ignored outside the grid.
    void setText(int row, int column, QStringView text);
    /// Writes texts down a column from firstRow; texts past the last row are dropped.
    void setColumnTexts(int column, int firstRow, QList<QString> &&texts);

    /// Row and column counts; rows or columns beyond n go, new ones are empty.
    void resizeRows(int n);
    void resizeColumns(int n);
    /// An empty row before position (0..rows); later rows move down.
    void insertEmptyRow(int position);
    /// Empties every cell and drops colours and alignments, in one reset.
    void clearAll();
    /// One reset: rows × columns texts, row-major. A list of the wrong length
    /// is cut or padded with empty cells. Colours and alignments inside the
    /// new shape stay.
    void replaceAll(int rows, int columns, QList<QString> &&cells);
    /// One reset: rows × columns cells, empty until write fills them.
    /// Colours and alignments inside the new shape stay.
    void fill(int rows, int columns, const std::function<void(GridFill &)> &write);

    int fixedRows() const { return m_fixedRows; }
    int fixedColumns() const { return m_fixedColumns; }
    void setFixedCounts(int rows, int columns);
    bool isFixed(int row, int column) const { return row < m_fixedRows || column < m_fixedColumns; }

    /// 0x00BBGGRR, or NoColour.
    quint32 backColour(int row, int column) const { return m_colours.value(row, column); }
    /// 1 left, 2 centre, 3 right.
    int alignment(int row, int column) const { return m_alignments.value(row, column); }
    /// The rectangle must already lie inside the grid.
    void setBackColour(int row1, int column1, int row2, int column2, quint32 colour);
    void setAlignment(int row1, int column1, int row2, int column2, int alignment);

    bool cellsEditable() const { return m_editable; }
    void setCellsEditable(bool editable) { m_editable = editable; }

    /// While deferred, cell, colour and alignment writes send no signal; ending
    /// the deferral sends one dataChanged over the whole grid when anything changed.
    void setDeferChanges(bool defer);
    bool defersChanges() const { return m_defer; }

private:
    qsizetype offset(int row, int column) const { return qsizetype(row) * m_columns + column; }
    enum class Change { Text, Colour, Alignment };
    void cellsChanged(int row1, int column1, int row2, int column2, Change change);
    /// The new shape of replaceAll and fill; the caller resets the model around it.
    void reshape(int rows, int columns);

    int m_rows = 0;
    int m_columns = 0;
    CellStore m_cells;
    CellAttributeMap<quint32> m_colours{NoColour};
    CellAttributeMap<int> m_alignments{AlignLeft};
    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    bool m_editable = false;
    bool m_defer = false;
    bool m_dirty = false;
};
