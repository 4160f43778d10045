#include "components/grid/GridControl.h"

#include "components/grid/GridDelegate.h"
#include "components/grid/GridModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

GridControl::GridControl(int rows, int columns, int fixedRows, int fixedColumns, int rowHeight,
                         int columnWidth, QWidget *parent)
    : QTableView(parent),
      m_model(new GridModel(rows, columns, this)),
      m_fixedRowSetting(std::max(fixedRows, 0)),
      m_fixedColumnSetting(std::max(fixedColumns, 0)),
      m_rowHeight(std::max(rowHeight, 0)),
      m_columnWidth(std::max(columnWidth, 0))
{
    // Not shown yet: cell writes wait for the first show.
    m_model->setDeferChanges(true);
    m_model->setFixedCounts(m_fixedRowSetting, m_fixedColumnSetting);
    setModel(m_model);
    setItemDelegate(new GridDelegate(m_model, this));

    // Fixed rows and columns are the headings; the view's own are not used.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(m_columnWidth);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    // Rows are only ever sized by the grid itself; with fixed sections the
    // view never measures row contents, which keeps a million rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int, int, int newSize) {
                if (newSize != m_rowHeight)
                    m_rowsResized = true;
            });

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
}

GridControl::~GridControl() = default;

int GridControl::rowCount() const
{
    return m_model->rows();
}

int GridControl::columnCount() const
{
    return m_model->columns();
}

void GridControl::setRowCount(int n)
{
    if (n <= 0)
        return;
    m_model->resizeRows(n);
    resetRowHeights();
}

void GridControl::setColumnCount(int n)
{
    if (n <= 0)
        return;
    m_model->resizeColumns(n);
    resetColumnWidths();
}

int GridControl::fixedRowCount() const
{
    return m_model->fixedRows();
}

int GridControl::fixedColumnCount() const
{
    return m_model->fixedColumns();
}

void GridControl::setFixedRowCount(int n)
{
    m_model->setFixedCounts(n, m_model->fixedColumns());
    viewport()->update();
}

void GridControl::setFixedColumnCount(int n)
{
    m_model->setFixedCounts(m_model->fixedRows(), n);
    viewport()->update();
}

int GridControl::rowHeightSetting() const
{
    return m_rowHeight;
}

int GridControl::columnWidthSetting() const
{
    return m_columnWidth;
}

void GridControl::clear()
{
    m_model->clearAll();
    resetRowHeights();
    resetColumnWidths();
    restoreSettings();
    selectionModel()->clear();
}

void GridControl::setCell(int row, int column, const QString &text)
{
    m_model->setText(row, column, text);
}

void GridControl::setCell(int row, int column, double number)
{
    if (!m_model->contains(row, column))
        return;
    // A negative zero reads as plain 0.
    if (number == 0.0)
        number = 0.0;
    m_model->setText(row, column, QString::number(number, 'g', 13));
}

QString GridControl::getCell(int row, int column) const
{
    if (!m_model->contains(row, column))
        return QString();
    return m_model->text(row, column);
}

void GridControl::setCursor(int row, int column)
{
    if (!m_model->contains(row, column))
        return;
    setCurrentIndex(m_model->index(row, column));
}

int GridControl::cursorRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void GridControl::setAlignment(int row1, int column1, int row2, int column2, int alignment)
{
    if (!m_model->contains(row1, column1) || row2 < row1 || column2 < column1)
        return;
    m_model->setAlignment(row1, column1, std::min(row2, rowCount() - 1),
                          std::min(column2, columnCount() - 1), alignment);
}

void GridControl::setBackColour(int row1, int column1, int row2, int column2, quint32 colour)
{
    if (!m_model->contains(row1, column1) || row2 < row1 || column2 < column1)
        return;
    // Only the red, green and blue bytes count.
    m_model->setBackColour(row1, column1, std::min(row2, rowCount() - 1),
                           std::min(column2, columnCount() - 1), colour & 0x00ffffffu);
}

void GridControl::setColumnWidth(int column, int width)
{
    if (column < 0 || column >= columnCount())
        return;
    horizontalHeader()->resizeSection(column, std::max(width, 0));
}

void GridControl::insertRow(int position)
{
    if (rowCount() == 0 && fixedRowCount() == 0 && fixedColumnCount() == 0) {
        m_model->setFixedCounts(1, 1);
        if (columnCount() == 0)
            setColumnCount(1);
    }

    const int rows = rowCount();
    if (position < 0 || position < fixedRowCount() || position >= rows)
        position = rows;

    const QModelIndex cursor = currentIndex();
    const int cursorRowBefore = cursor.isValid() ? cursor.row() : -1;
    const int cursorColumn = cursor.isValid() ? cursor.column() : -1;

    m_model->insertEmptyRow(position);

    if (position > 0) {
        const int height = rowHeight(0);
        if (height != verticalHeader()->defaultSectionSize())
            verticalHeader()->resizeSection(position, height);
    }
    // The cursor stays on its row number, which after an insert at or above
    // it is the row that moved in there.
    if (cursorRowBefore >= 0)
        setCurrentIndex(m_model->index(cursorRowBefore, cursorColumn));
    viewport()->update();
}

void GridControl::setCellsEditable(bool editable)
{
    m_model->setCellsEditable(editable);
    setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                   | QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
}

void GridControl::setAllCells(int rows, int columns, QList<QString> &&cells)
{
    replaceModel([&] { m_model->replaceAll(rows, columns, std::move(cells)); });
}

void GridControl::fillAllCells(int rows, int columns, const std::function<void(GridFill &)> &write)
{
    replaceModel([&] { m_model->fill(rows, columns, write); });
}

void GridControl::replaceModel(const std::function<void()> &replace)
{
    const QModelIndex cursor = currentIndex();
    const int cursorRowBefore = cursor.isValid() ? cursor.row() : -1;
    const int cursorColumn = cursor.isValid() ? cursor.column() : -1;

    replace();
    resetRowHeights();
    resetColumnWidths();
    if (m_model->contains(cursorRowBefore, cursorColumn))
        setCurrentIndex(m_model->index(cursorRowBefore, cursorColumn));
}

void GridControl::setColumnCells(int column, int firstRow, QList<QString> &&texts)
{
    m_model->setColumnTexts(column, firstRow, std::move(texts));
}

void GridControl::batchChanges(const std::function<void()> &changes)
{
    if (m_model->defersChanges()) {
        changes(); // hidden: nothing is sent anyway
        return;
    }
    m_model->setDeferChanges(true);
    changes();
    m_model->setDeferChanges(false);
}

quint32 GridControl::backColour(int row, int column) const
{
    if (!m_model->contains(row, column))
        return GridModel::NoColour;
    return m_model->backColour(row, column);
}

int GridControl::alignment(int row, int column) const
{
    if (!m_model->contains(row, column))
        return GridModel::AlignLeft;
    return m_model->alignment(row, column);
}

GridModel *GridControl::gridModel() const
{
    return m_model;
}

void GridControl::showEvent(QShowEvent *event)
{
    m_model->setDeferChanges(false);
    QTableView::showEvent(event);
}

void GridControl::hideEvent(QHideEvent *event)
{
    QTableView::hideEvent(event);
    m_model->setDeferChanges(true);
}

void GridControl::restoreSettings()
{
    m_model->setFixedCounts(m_fixedRowSetting, m_fixedColumnSetting);
    viewport()->update();
}

void GridControl::resetRowHeights()
{
    if (!m_rowsResized)
        return;
    // Setting the default size again sizes every section to it in one pass.
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    m_rowsResized = false;
}

void GridControl::resetColumnWidths()
{
    horizontalHeader()->setDefaultSectionSize(m_columnWidth);
}
