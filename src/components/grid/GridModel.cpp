#include "components/grid/GridModel.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <utility>

GridModel::GridModel(int rows, int columns, QObject *parent)
    : QAbstractTableModel(parent),
      m_rows(std::max(rows, 0)),
      m_columns(std::max(columns, 0)),
      m_cells(qsizetype(m_rows) * m_columns)
{
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !contains(index.row(), index.column()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole: {
        const quint32 colour = backColour(index.row(), index.column());
        if (colour == NoColour)
            return {};
        return QBrush(QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff)));
    }
    case Qt::TextAlignmentRole: {
        Qt::Alignment horizontal = Qt::AlignLeft;
        switch (alignment(index.row(), index.column())) {
        case AlignCentre:
            horizontal = Qt::AlignHCenter;
            break;
        case AlignRight:
            horizontal = Qt::AlignRight;
            break;
        default:
            break;
        }
        return int(horizontal | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !contains(index.row(), index.column()))
        return false;
    setText(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && !isFixed(index.row(), index.column()))
        result |= Qt::ItemIsEditable;
    return result;
}

void GridModel::setText(int row, int column, QStringView text)
{
    if (!contains(row, column))
        return;
    m_cells.set(offset(row, column), text);
    cellsChanged(row, column, row, column, Change::Text);
}

void GridModel::setColumnTexts(int column, int firstRow, QList<QString> &&texts)
{
    if (column < 0 || column >= m_columns || firstRow < 0 || firstRow >= m_rows || texts.isEmpty())
        return;
    const int count = int(std::min<qsizetype>(texts.size(), m_rows - firstRow));
    for (int i = 0; i < count; ++i)
        m_cells.set(offset(firstRow + i, column), texts.at(i));
    texts = QList<QString>();
    cellsChanged(firstRow, column, firstRow + count - 1, column, Change::Text);
}

void GridModel::resizeRows(int n)
{
    if (n < 0 || n == m_rows)
        return;
    if (n > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, n - 1);
        m_cells.resize(qsizetype(n) * m_columns);
        m_rows = n;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), n, m_rows - 1);
        m_cells.resize(qsizetype(n) * m_columns);
        m_rows = n;
        m_colours.truncateRows(n);
        m_alignments.truncateRows(n);
        endRemoveRows();
    }
}

void GridModel::resizeColumns(int n)
{
    if (n < 0 || n == m_columns)
        return;
    const int old = m_columns;
    if (n > old) {
        beginInsertColumns(QModelIndex(), old, n - 1);
        m_cells.relayout(m_rows, old, n);
        m_columns = n;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), n, old - 1);
        m_cells.relayout(m_rows, old, n);
        m_columns = n;
        m_colours.truncateColumns(n);
        m_alignments.truncateColumns(n);
        endRemoveColumns();
    }
}

void GridModel::insertEmptyRow(int position)
{
    position = std::clamp(position, 0, m_rows);
    beginInsertRows(QModelIndex(), position, position);
    m_cells.insert(offset(position, 0), m_columns);
    ++m_rows;
    m_colours.insertRow(position);
    m_alignments.insertRow(position);
    endInsertRows();
}

void GridModel::clearAll()
{
    beginResetModel();
    m_cells.reset(qsizetype(m_rows) * m_columns);
    m_colours.clear();
    m_alignments.clear();
    m_dirty = false;
    endResetModel();
}

void GridModel::replaceAll(int rows, int columns, QList<QString> &&cells)
{
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    beginResetModel();
    m_cells.assign(qsizetype(rows) * columns, std::move(cells));
    reshape(rows, columns);
    endResetModel();
}

void GridModel::fill(int rows, int columns, const std::function<void(GridFill &)> &write)
{
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    beginResetModel();
    m_cells.reset(qsizetype(rows) * columns);
    reshape(rows, columns);
    GridFill cells(m_cells, rows, columns);
    write(cells);
    endResetModel();
}

void GridModel::reshape(int rows, int columns)
{
    if (columns < m_columns) {
        m_colours.truncateColumns(columns);
        m_alignments.truncateColumns(columns);
    }
    if (rows < m_rows) {
        m_colours.truncateRows(rows);
        m_alignments.truncateRows(rows);
    }
    m_rows = rows;
    m_columns = columns;
    m_dirty = false;
}

void GridModel::setFixedCounts(int rows, int columns)
{
    m_fixedRows = std::max(rows, 0);
    m_fixedColumns = std::max(columns, 0);
}

void GridModel::setBackColour(int row1, int column1, int row2, int column2, quint32 colour)
{
    m_colours.set(row1, column1, row2, column2, colour);
    cellsChanged(row1, column1, row2, column2, Change::Colour);
}

void GridModel::setAlignment(int row1, int column1, int row2, int column2, int alignment)
{
    if (alignment != AlignCentre && alignment != AlignRight)
        alignment = AlignLeft;
    m_alignments.set(row1, column1, row2, column2, alignment);
    cellsChanged(row1, column1, row2, column2, Change::Alignment);
}

void GridModel::setDeferChanges(bool defer)
{
    m_defer = defer;
    if (!defer && m_dirty) {
        m_dirty = false;
        if (m_rows > 0 && m_columns > 0)
            emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    }
}

void GridModel::cellsChanged(int row1, int column1, int row2, int column2, Change change)
{
    if (m_defer) {
        m_dirty = true;
        return;
    }
    QList<int> roles;
    switch (change) {
    case Change::Text:
        roles = {Qt::DisplayRole, Qt::EditRole};
        break;
    case Change::Colour:
        roles = {Qt::BackgroundRole};
        break;
    case Change::Alignment:
        roles = {Qt::TextAlignmentRole};
        break;
    }
    emit dataChanged(index(row1, column1), index(row2, column2), roles);
}

void GridFill::setText(int row, int column, QStringView text)
{
    if (contains(row, column))
        m_cells.set(offset(row, column), text);
}

void GridFill::setLatin1(int row, int column, const char *text, qsizetype length)
{
    if (contains(row, column))
        m_cells.setLatin1(offset(row, column), text, length);
}

void GridFill::setUtf8(int row, int column, QByteArrayView text)
{
    if (contains(row, column))
        m_cells.setUtf8(offset(row, column), text.data(), text.size());
}

void GridFill::shareUtf8(int row, int column, QByteArrayView text, const std::shared_ptr<const char> &owner)
{
    if (contains(row, column))
        m_cells.shareUtf8(offset(row, column), text.data(), text.size(), owner);
}
