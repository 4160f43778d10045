#pragma once

#include <QTableView>

#include <functional>

class GridFill;
class GridModel;

/// The cell grid: a table of text cells addressed by 0-based row and column,
/// whose first rows and columns may be fixed (drawn as headings). Cells live
/// in the grid's own model, never as one widget item per cell.
class GridControl : public QTableView
{
    Q_OBJECT

public:
    /// Shape and settings at design: counts include the fixed rows and columns.
    GridControl(int rows, int columns, int fixedRows, int fixedColumns, int rowHeight,
                int columnWidth, QWidget *parent = nullptr);
    ~GridControl() override;

    int rowCount() const;
    int columnCount() const;
    /// n > 0 sets the count and resets every row height to the setting; 0 or less: nothing.
    void setRowCount(int n);
    /// n > 0 sets the count and resets every column width to the setting; 0 or less: nothing.
    void setColumnCount(int n);

    int fixedRowCount() const;
    int fixedColumnCount() const;
    void setFixedRowCount(int n);
    void setFixedColumnCount(int n);
    int rowHeightSetting() const;
    int columnWidthSetting() const;

    /// Empties every cell, keeping the counts; colours, alignments, heights,
    /// widths and fixed counts return to the settings; no cursor cell.
    void clear();

    /// Outside the grid: nothing happens.
    void setCell(int row, int column, const QString &text);
    /// A number stored as decimal text (up to 13 significant digits).
    void setCell(int row, int column, double number);
    QString getCell(int row, int column) const;

    using QWidget::setCursor;
    /// Makes the cell the cursor cell; ignored outside the grid.
    void setCursor(int row, int column);
    /// Row of the cursor cell, -1 when there is none.
    int cursorRow() const;

    /// Horizontal alignment of a rectangle: 2 centre, 3 right, other left.
    void setAlignment(int row1, int column1, int row2, int column2, int alignment);
    /// Background of a rectangle; colour is 0x00BBGGRR.
    void setBackColour(int row1, int column1, int row2, int column2, quint32 colour);
    /// Ignored for a column outside the grid.
    void setColumnWidth(int column, int width);

    /// Inserts an empty row before position; -1, a fixed row or a position not
    /// below the row count appends. The cursor keeps its row number.
    void insertRow(int position = -1);

    /// Whether the user may type into the cells (the sheet grid).
    void setCellsEditable(bool editable);

    /// Replaces the whole grid in one go: rows × columns texts, row-major.
    /// One model reset, no per-cell signals. Fixed counts stay.
    void setAllCells(int rows, int columns, QList<QString> &&cells);
    /// The same, for a caller that writes the cells itself: the grid takes
    /// rows × columns empty cells, which write fills through GridFill, with
    /// no list of all the texts built on the way.
    void fillAllCells(int rows, int columns, const std::function<void(GridFill &)> &write);

    /// Writes texts down a column from firstRow in one go (texts past the
    /// last row are dropped); like setCell, silent while the grid is hidden.
    void setColumnCells(int column, int firstRow, QList<QString> &&texts);

    /// Runs changes of cells, colours and alignments with one change notice
    /// at the end instead of one per call (the grid is redrawn once).
    void batchChanges(const std::function<void()> &changes);

    /// Background of a cell as 0x00BBGGRR, or 0xFFFFFFFF when it has none.
    quint32 backColour(int row, int column) const;
    /// Horizontal alignment of a cell: 1 left, 2 centre, 3 right.
    int alignment(int row, int column) const;

    GridModel *gridModel() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void restoreSettings();
    void resetRowHeights();
    void resetColumnWidths();
    /// Runs a replacement of the whole model, then sizes rows and columns as
    /// writing both counts does and puts the cursor back where it still fits.
    void replaceModel(const std::function<void()> &replace);

    GridModel *m_model;
    int m_fixedRowSetting;
    int m_fixedColumnSetting;
    int m_rowHeight;
    int m_columnWidth;
    /// Whether any row was sized apart from the setting since the last reset,
    /// so a reset with nothing to undo costs nothing on a million rows.
    bool m_rowsResized = false;
};
