#include "components/grid/CellStore.h"
#include "components/grid/GridControl.h"
#include "components/grid/GridModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <memory>

namespace {

constexpr quint32 kNone = GridModel::NoColour;
constexpr quint32 kPink = 0xFFA8FF;
constexpr quint32 kGrey = 0xECECEC;

QString label(int row, int column)
{
    return QStringLiteral("%1,%2").arg(row).arg(column);
}

/// A grid whose every cell holds its own "row,column" label.
std::unique_ptr<GridControl> labelledGrid(int rows, int columns, int fixedRows, int fixedColumns)
{
    auto grid = std::make_unique<GridControl>(rows, columns, fixedRows, fixedColumns, 24, 60);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            grid->setCell(r, c, label(r, c));
    }
    return grid;
}

/// True when every cell is empty.
bool allEmpty(const GridControl &grid)
{
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (!grid.getCell(r, c).isEmpty())
                return false;
        }
    }
    return true;
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT

private slots:
    void insertRow_data();
    void insertRow();
    void insertRowTakesHeightOfRowZero();

    void counts_data();
    void counts();
    void countsResetSizes();
    void columnCountWithUnwrittenRows_data();
    void columnCountWithUnwrittenRows();

    void rectangles_data();
    void rectangles();
    void colourLayers();
    void colourAndAlignmentRoles();

    void clearReturnsToSettings();
    void setCellOutside_data();
    void setCellOutside();
    void doubleText_data();
    void doubleText();
    void setColumnWidth_data();
    void setColumnWidth();
    void cursor();

    void hiddenGridSendsOneChangeOnShow();
    void setAllCells();
    void setColumnCells();
    void fillAllCells();
    void fillReadsUtf8AsFromUtf8_data();
    void fillReadsUtf8AsFromUtf8();
    void rewritingCellsKeepsTextsAndBoundsMemory();
    void storeKeepsUtf8AndBorrowedTexts();
    void storeMixesWidths_data();
    void storeMixesWidths();
    void typingEditsEditableGrid();
    void modelStaysConsistent();
};

void TestGrid::insertRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("fixedRows");
    QTest::addColumn<int>("fixedColumns");
    QTest::addColumn<int>("cursorRow");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("insertedAt");
    QTest::addColumn<int>("cursorAfter");
    QTest::addColumn<int>("fixedRowsAfter");
    QTest::addColumn<int>("fixedColumnsAfter");
    QTest::addColumn<int>("columnsAfter");

    //                                rows cols fr fc cursor pos  at  cur fr fc cols
    QTest::newRow("omitted appends") << 5 << 3 << 1 << 0 << -1 << -1 << 5 << -1 << 1 << 0 << 3;
    QTest::newRow("other negative appends") << 5 << 3 << 1 << 0 << -1 << -7 << 5 << -1 << 1 << 0 << 3;
    QTest::newRow("fixed row appends") << 5 << 3 << 1 << 0 << -1 << 0 << 5 << -1 << 1 << 0 << 3;
    QTest::newRow("second fixed row appends") << 5 << 3 << 2 << 0 << -1 << 1 << 5 << -1 << 2 << 0 << 3;
    QTest::newRow("first free row") << 5 << 3 << 1 << 0 << -1 << 1 << 1 << -1 << 1 << 0 << 3;
    QTest::newRow("middle") << 5 << 3 << 1 << 0 << -1 << 3 << 3 << -1 << 1 << 0 << 3;
    QTest::newRow("last row") << 5 << 3 << 1 << 0 << -1 << 4 << 4 << -1 << 1 << 0 << 3;
    QTest::newRow("at row count appends") << 5 << 3 << 1 << 0 << -1 << 5 << 5 << -1 << 1 << 0 << 3;
    QTest::newRow("beyond row count appends") << 5 << 3 << 1 << 0 << -1 << 40 << 5 << -1 << 1 << 0 << 3;
    QTest::newRow("no fixed rows, row 0") << 6 << 2 << 0 << 0 << -1 << 0 << 0 << -1 << 0 << 0 << 2;
    QTest::newRow("at cursor: cursor on new row") << 6 << 2 << 0 << 0 << 3 << 3 << 3 << 3 << 0 << 0 << 2;
    QTest::newRow("above cursor: cursor keeps number") << 6 << 2 << 0 << 0 << 4 << 1 << 1 << 4 << 0 << 0 << 2;
    QTest::newRow("below cursor") << 6 << 2 << 0 << 0 << 2 << 5 << 5 << 2 << 0 << 0 << 2;
    QTest::newRow("append with cursor") << 6 << 2 << 0 << 0 << 2 << -1 << 6 << 2 << 0 << 0 << 2;
    QTest::newRow("empty grid, nothing fixed") << 0 << 0 << 0 << 0 << -1 << -1 << 0 << -1 << 1 << 1 << 1;
    QTest::newRow("empty grid with columns") << 0 << 3 << 0 << 0 << -1 << 2 << 0 << -1 << 1 << 1 << 3;
    QTest::newRow("empty grid, fixed row kept") << 0 << 3 << 1 << 0 << -1 << -1 << 0 << -1 << 1 << 0 << 3;
}

void TestGrid::insertRow()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, fixedRows);
    QFETCH(int, fixedColumns);
    QFETCH(int, cursorRow);
    QFETCH(int, position);
    QFETCH(int, insertedAt);
    QFETCH(int, cursorAfter);
    QFETCH(int, fixedRowsAfter);
    QFETCH(int, fixedColumnsAfter);
    QFETCH(int, columnsAfter);

    auto grid = labelledGrid(rows, columns, fixedRows, fixedColumns);
    grid->setBackColour(0, 0, rows - 1, columns - 1, kGrey);
    if (cursorRow >= 0)
        grid->setCursor(cursorRow, 1);

    if (position == -1)
        grid->insertRow();
    else
        grid->insertRow(position);

    QCOMPARE(grid->rowCount(), rows + 1);
    QCOMPARE(grid->columnCount(), columnsAfter);
    QCOMPARE(grid->fixedRowCount(), fixedRowsAfter);
    QCOMPARE(grid->fixedColumnCount(), fixedColumnsAfter);
    QCOMPARE(grid->cursorRow(), cursorAfter);
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < grid->columnCount(); ++c) {
            const bool inserted = r == insertedAt;
            const QString expected = inserted ? QString() : label(r > insertedAt ? r - 1 : r, c);
            QCOMPARE(grid->getCell(r, c), expected);
            QCOMPARE(grid->backColour(r, c), inserted ? kNone : kGrey);
        }
    }
}

void TestGrid::insertRowTakesHeightOfRowZero()
{
    GridControl grid(4, 2, 1, 0, 24, 60);
    grid.verticalHeader()->resizeSection(0, 40);
    grid.insertRow(2);
    QCOMPARE(grid.rowHeight(2), 40);
    QCOMPARE(grid.rowHeight(3), 24);
    grid.insertRow();
    QCOMPARE(grid.rowHeight(5), 40);
}

void TestGrid::counts_data()
{
    QTest::addColumn<bool>("writeRows");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("rows shrink") << true << 2 << 2;
    QTest::newRow("rows to one") << true << 1 << 1;
    QTest::newRow("rows grow") << true << 9 << 9;
    QTest::newRow("rows same") << true << 5 << 5;
    QTest::newRow("rows zero ignored") << true << 0 << 5;
    QTest::newRow("rows negative ignored") << true << -1 << 5;
    QTest::newRow("columns shrink") << false << 2 << 2;
    QTest::newRow("columns to one") << false << 1 << 1;
    QTest::newRow("columns grow") << false << 7 << 7;
    QTest::newRow("columns zero ignored") << false << 0 << 4;
    QTest::newRow("columns negative ignored") << false << -1 << 4;
}

void TestGrid::counts()
{
    QFETCH(bool, writeRows);
    QFETCH(int, value);
    QFETCH(int, expected);

    auto grid = labelledGrid(5, 4, 1, 0);
    grid->setBackColour(1, 0, 4, 3, kPink);
    grid->setAlignment(1, 1, 4, 3, 3);

    if (writeRows)
        grid->setRowCount(value);
    else
        grid->setColumnCount(value);
    QCOMPARE(writeRows ? grid->rowCount() : grid->columnCount(), expected);
    QCOMPARE(writeRows ? grid->columnCount() : grid->rowCount(), writeRows ? 4 : 5);

    // Going back to the old shape shows whether cells beyond the count went.
    const int keptRows = writeRows ? std::min(expected, 5) : 5;
    const int keptColumns = writeRows ? 4 : std::min(expected, 4);
    grid->setRowCount(std::max(grid->rowCount(), 5));
    grid->setColumnCount(std::max(grid->columnCount(), 4));
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < grid->columnCount(); ++c) {
            const bool kept = r < keptRows && c < keptColumns;
            QCOMPARE(grid->getCell(r, c), kept ? label(r, c) : QString());
            QCOMPARE(grid->backColour(r, c), kept && r >= 1 ? kPink : kNone);
            QCOMPARE(grid->alignment(r, c), kept && r >= 1 && c >= 1 ? 3 : 1);
        }
    }
}

void TestGrid::countsResetSizes()
{
    GridControl grid(5, 4, 1, 0, 24, 60);
    grid.setColumnWidth(1, 200);
    grid.setRowHeight(2, 50);

    grid.setRowCount(0);
    grid.setColumnCount(-1);
    QCOMPARE(grid.columnWidth(1), 200);
    QCOMPARE(grid.rowHeight(2), 50);

    grid.setRowCount(6);
    QCOMPARE(grid.rowHeight(2), 24);
    QCOMPARE(grid.columnWidth(1), 200);

    grid.setColumnCount(4);
    QCOMPARE(grid.columnWidth(1), 60);

    // A second resize after a reset is undone too.
    grid.setRowHeight(3, 70);
    grid.setRowCount(3);
    QCOMPARE(grid.rowHeight(2), 24);
    grid.setRowCount(6);
    QCOMPARE(grid.rowHeight(3), 24);
}

void TestGrid::columnCountWithUnwrittenRows_data()
{
    QTest::addColumn<int>("writtenRows");
    QTest::addColumn<QList<int>>("columnCounts");

    QTest::newRow("shrink") << 3 << QList<int>{2};
    QTest::newRow("shrink to one") << 2 << QList<int>{1};
    QTest::newRow("grow") << 3 << QList<int>{7};
    QTest::newRow("shrink then grow") << 4 << QList<int>{3, 9, 2, 4};
    QTest::newRow("nothing written") << 0 << QList<int>{2, 6};
    QTest::newRow("all written") << 6 << QList<int>{1, 6};
}

void TestGrid::columnCountWithUnwrittenRows()
{
    QFETCH(int, writtenRows);
    QFETCH(QList<int>, columnCounts);

    // Rows below the written ones were never touched; a change of column
    // count must leave them empty and keep the written cells in place.
    GridControl grid(6, 4, 1, 0, 24, 60);
    for (int r = 0; r < writtenRows; ++r) {
        for (int c = 0; c < 4; ++c)
            grid.setCell(r, c, label(r, c));
    }
    int keptColumns = 4;
    for (int columns : columnCounts) {
        grid.setColumnCount(columns);
        keptColumns = std::min(keptColumns, columns);
    }
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c)
            QCOMPARE(grid.getCell(r, c), r < writtenRows && c < keptColumns ? label(r, c) : QString());
    }
}

void TestGrid::rectangles_data()
{
    // Rectangle asked for, and the cells that must change (-1: none).
    QTest::addColumn<QList<int>>("rectangle");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("inside") << QList<int>{1, 1, 2, 2} << QList<int>{1, 1, 2, 2};
    QTest::newRow("one cell") << QList<int>{3, 2, 3, 2} << QList<int>{3, 2, 3, 2};
    QTest::newRow("whole rows") << QList<int>{1, 0, 3, 3} << QList<int>{1, 0, 3, 3};
    QTest::newRow("row start, part width") << QList<int>{2, 0, 2, 1} << QList<int>{2, 0, 2, 1};
    QTest::newRow("cut to last row and column") << QList<int>{2, 1, 99, 99} << QList<int>{2, 1, 4, 3};
    QTest::newRow("whole grid by cutting") << QList<int>{0, 0, 1000, 1000} << QList<int>{0, 0, 4, 3};
    QTest::newRow("starts below last row") << QList<int>{5, 0, 6, 3} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("starts right of last column") << QList<int>{0, 4, 2, 6} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("negative row") << QList<int>{-1, 0, 2, 2} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("negative column") << QList<int>{0, -1, 2, 2} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("ends above start") << QList<int>{3, 0, 2, 3} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("ends left of start") << QList<int>{1, 2, 3, 1} << QList<int>{-1, -1, -1, -1};
}

void TestGrid::rectangles()
{
    QFETCH(QList<int>, rectangle);
    QFETCH(QList<int>, expected);

    GridControl grid(5, 4, 1, 0, 24, 60);
    grid.setBackColour(rectangle[0], rectangle[1], rectangle[2], rectangle[3], kPink);
    grid.setAlignment(rectangle[0], rectangle[1], rectangle[2], rectangle[3], 2);

    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            const bool inside = expected[0] >= 0 && r >= expected[0] && r <= expected[2]
                                && c >= expected[1] && c <= expected[3];
            QCOMPARE(grid.backColour(r, c), inside ? kPink : kNone);
            QCOMPARE(grid.alignment(r, c), inside ? 2 : 1);
        }
    }
}

void TestGrid::colourLayers()
{
    GridControl grid(6, 5, 1, 0, 24, 60);

    // The later write wins, whether it covers a cell or a whole row.
    grid.setBackColour(1, 1, 1, 1, kGrey);
    grid.setBackColour(1, 0, 1, 4, kPink);
    QCOMPARE(grid.backColour(1, 1), kPink);

    grid.setBackColour(2, 0, 2, 4, kPink);
    grid.setBackColour(2, 2, 2, 2, kGrey);
    QCOMPARE(grid.backColour(2, 1), kPink);
    QCOMPARE(grid.backColour(2, 2), kGrey);

    // A shorter rectangle from column 0 keeps the rest of the row.
    grid.setBackColour(3, 0, 3, 4, kPink);
    grid.setBackColour(3, 0, 3, 1, kGrey);
    QCOMPARE(grid.backColour(3, 1), kGrey);
    QCOMPARE(grid.backColour(3, 2), kPink);

    // Colours move down with their rows.
    grid.insertRow(2);
    QCOMPARE(grid.backColour(2, 2), kNone);
    QCOMPARE(grid.backColour(3, 2), kGrey);
    QCOMPARE(grid.backColour(3, 1), kPink);
    QCOMPARE(grid.backColour(4, 1), kGrey);
    QCOMPARE(grid.backColour(4, 4), kPink);

    // Only red, green and blue count.
    grid.setBackColour(5, 3, 5, 3, 0xAB123456u);
    QCOMPARE(grid.backColour(5, 3), 0x123456u);
}

void TestGrid::colourAndAlignmentRoles()
{
    GridControl grid(3, 3, 1, 0, 24, 60);
    grid.setBackColour(1, 0, 1, 2, kPink);
    grid.setBackColour(2, 1, 2, 1, 0x00332211);
    grid.setAlignment(0, 0, 0, 0, 2);
    grid.setAlignment(0, 1, 0, 1, 3);
    grid.setAlignment(0, 2, 0, 2, 7);

    const GridModel *model = grid.gridModel();
    auto brush = [model](int r, int c) {
        return model->index(r, c).data(Qt::BackgroundRole).value<QBrush>().color();
    };
    auto align = [model](int r, int c) { return model->index(r, c).data(Qt::TextAlignmentRole).toInt(); };
    QCOMPARE(brush(1, 2), QColor(255, 168, 255));
    QCOMPARE(brush(2, 1), QColor(0x11, 0x22, 0x33));
    QVERIFY(!model->index(2, 0).data(Qt::BackgroundRole).isValid());
    QCOMPARE(align(0, 0), int(Qt::AlignHCenter | Qt::AlignVCenter));
    QCOMPARE(align(0, 1), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(align(0, 2), int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(align(2, 2), int(Qt::AlignLeft | Qt::AlignVCenter));
}

void TestGrid::clearReturnsToSettings()
{
    auto grid = labelledGrid(6, 4, 1, 1);
    grid->setBackColour(1, 0, 5, 3, kPink);
    grid->setAlignment(0, 0, 5, 3, 3);
    grid->setColumnWidth(2, 150);
    grid->setRowHeight(3, 50);
    grid->setFixedRowCount(0);
    grid->setFixedColumnCount(2);
    grid->setCursor(2, 2);
    QCOMPARE(grid->cursorRow(), 2);

    grid->clear();

    QCOMPARE(grid->rowCount(), 6);
    QCOMPARE(grid->columnCount(), 4);
    QVERIFY(allEmpty(*grid));
    QCOMPARE(grid->fixedRowCount(), 1);
    QCOMPARE(grid->fixedColumnCount(), 1);
    QCOMPARE(grid->cursorRow(), -1);
    QCOMPARE(grid->columnWidth(2), 60);
    QCOMPARE(grid->rowHeight(3), 24);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(grid->backColour(r, c), kNone);
            QCOMPARE(grid->alignment(r, c), 1);
        }
    }
}

void TestGrid::setCellOutside_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("row -1") << -1 << 0;
    QTest::newRow("column -1") << 0 << -1;
    QTest::newRow("row count") << 4 << 0;
    QTest::newRow("column count") << 0 << 3;
    QTest::newRow("far away") << 100000 << 100000;
}

void TestGrid::setCellOutside()
{
    QFETCH(int, row);
    QFETCH(int, column);

    GridControl grid(4, 3, 1, 0, 24, 60);
    grid.setCell(row, column, QStringLiteral("x"));
    grid.setCell(row, column, 1.5);
    QVERIFY(allEmpty(grid));
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.getCell(row, column), QString());
}

void TestGrid::doubleText_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 3.0 << "3";
    QTest::newRow("half") << 12.5 << "12.5";
    QTest::newRow("negative") << -2.25 << "-2.25";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("binary noise dropped") << 0.1 + 0.2 << "0.3";
    QTest::newRow("13 significant digits") << 1.0 / 3.0 << "0.3333333333333";
    QTest::newRow("large cut to 13 digits") << 123456789012.345 << "123456789012.3";
    QTest::newRow("13 digit integer") << 1234567890123.0 << "1234567890123";
    QTest::newRow("exponent beyond 13 digits") << 1e13 << "1e+13";
    QTest::newRow("tiny") << 2.5e-7 << "2.5e-07";
}

void TestGrid::doubleText()
{
    QFETCH(double, number);
    QFETCH(QString, text);

    GridControl grid(2, 2, 0, 0, 24, 60);
    grid.setCell(1, 1, number);
    QCOMPARE(grid.getCell(1, 1), text);
}

void TestGrid::setColumnWidth_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("widths");

    QTest::newRow("inside") << 1 << 120 << QList<int>{60, 120, 60};
    QTest::newRow("last") << 2 << 5 << QList<int>{60, 60, 5};
    QTest::newRow("negative width is zero") << 0 << -30 << QList<int>{0, 60, 60};
    QTest::newRow("column -1") << -1 << 120 << QList<int>{60, 60, 60};
    QTest::newRow("column count") << 3 << 120 << QList<int>{60, 60, 60};
}

void TestGrid::setColumnWidth()
{
    QFETCH(int, column);
    QFETCH(int, width);
    QFETCH(QList<int>, widths);

    GridControl grid(2, 3, 0, 0, 24, 60);
    grid.setColumnWidth(column, width);
    QList<int> actual;
    for (int c = 0; c < grid.columnCount(); ++c)
        actual << grid.columnWidth(c);
    QCOMPARE(actual, widths);
}

void TestGrid::cursor()
{
    GridControl grid(5, 5, 1, 0, 24, 60);
    QCOMPARE(grid.cursorRow(), -1);
    grid.setCursor(5, 0);
    grid.setCursor(1, 5);
    grid.setCursor(-1, 0);
    QCOMPARE(grid.cursorRow(), -1);
    grid.setCursor(1, 1);
    QCOMPARE(grid.cursorRow(), 1);
    grid.setCursor(9, 1);
    QCOMPARE(grid.cursorRow(), 1);
    grid.setCursor(4, 0);
    QCOMPARE(grid.cursorRow(), 4);
    grid.setRowCount(3);
    QVERIFY(grid.cursorRow() < 3);
}

void TestGrid::hiddenGridSendsOneChangeOnShow()
{
    GridControl grid(200, 8, 1, 0, 24, 60);
    QSignalSpy changes(grid.gridModel(), &QAbstractItemModel::dataChanged);

    for (int r = 0; r < 200; ++r) {
        for (int c = 0; c < 8; ++c)
            grid.setCell(r, c, label(r, c));
    }
    grid.setBackColour(1, 0, 199, 7, kPink);
    QCOMPARE(changes.count(), 0);

    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QModelIndex>(), grid.gridModel()->index(0, 0));
    QCOMPARE(changes.at(0).at(1).value<QModelIndex>(), grid.gridModel()->index(199, 7));

    // Shown, every write is announced; hidden again, nothing is.
    changes.clear();
    grid.setCell(3, 3, QStringLiteral("new"));
    QCOMPARE(changes.count(), 1);
    grid.hide();
    grid.setCell(4, 4, QStringLiteral("later"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(grid.getCell(4, 4), QStringLiteral("later"));

    // Nothing written while hidden: no change on show.
    grid.show();
    QCOMPARE(changes.count(), 2);
    grid.hide();
    grid.show();
    QCOMPARE(changes.count(), 2);
}

void TestGrid::setAllCells()
{
    auto grid = labelledGrid(3, 3, 1, 0);
    grid->setBackColour(1, 0, 2, 2, kPink);
    grid->setColumnWidth(0, 200);
    grid->setCursor(2, 1);

    QList<QString> cells{"a", "b", "c", "d", "e"};
    grid->setAllCells(3, 2, std::move(cells));
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->fixedRowCount(), 1);
    QCOMPARE(grid->getCell(0, 0), QStringLiteral("a"));
    QCOMPARE(grid->getCell(1, 1), QStringLiteral("d"));
    QCOMPARE(grid->getCell(2, 0), QStringLiteral("e"));
    // A short list leaves the missing cells empty.
    QCOMPARE(grid->getCell(2, 1), QString());
    QCOMPARE(grid->backColour(2, 1), kPink);
    QCOMPARE(grid->columnWidth(0), 60);
    QCOMPARE(grid->cursorRow(), 2);

    QList<QString> more(4 * 5, QStringLiteral("z"));
    more.append(QStringLiteral("beyond"));
    grid->setAllCells(4, 5, std::move(more));
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(grid->columnCount(), 5);
    QCOMPARE(grid->getCell(3, 4), QStringLiteral("z"));
    // Columns that came back start without colour.
    QCOMPARE(grid->backColour(1, 1), kPink);
    QCOMPARE(grid->backColour(1, 2), kNone);
}

void TestGrid::setColumnCells()
{
    GridControl grid(4, 3, 1, 0, 24, 60);
    grid.setColumnCells(1, 1, QList<QString>{"x", "y", "z", "past the end"});
    QCOMPARE(grid.getCell(0, 1), QString());
    QCOMPARE(grid.getCell(1, 1), QStringLiteral("x"));
    QCOMPARE(grid.getCell(3, 1), QStringLiteral("z"));
    QCOMPARE(grid.getCell(3, 2), QString());

    grid.setColumnCells(3, 0, QList<QString>{"outside"});
    grid.setColumnCells(0, 4, QList<QString>{"outside"});
    grid.setColumnCells(-1, 0, QList<QString>{"outside"});
    QCOMPARE(grid.getCell(0, 0), QString());
}

void TestGrid::fillAllCells()
{
    auto grid = labelledGrid(3, 3, 1, 0);
    grid->setBackColour(1, 0, 2, 2, kPink);
    grid->setColumnWidth(0, 200);
    grid->setCursor(2, 1);
    QSignalSpy resets(grid->gridModel(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(grid->gridModel(), &QAbstractItemModel::dataChanged);

    grid->fillAllCells(4, 2, [](GridFill &cells) {
        cells.setText(0, 0, u"姓名");
        cells.setLatin1(1, 1, "12.5", 4);
        cells.setUtf8(3, 0, "北京");
        cells.setUtf8(2, 0, "plain");
        cells.setLatin1(2, 1, "", 0);
        // Outside the new shape: ignored.
        cells.setText(4, 0, u"below");
        cells.setText(0, 2, u"right");
        cells.setText(-1, 0, u"above");
    });
    QCOMPARE(resets.count(), 1);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->fixedRowCount(), 1);
    QCOMPARE(grid->getCell(0, 0), QStringLiteral("姓名"));
    QCOMPARE(grid->getCell(1, 1), QStringLiteral("12.5"));
    QCOMPARE(grid->getCell(2, 0), QStringLiteral("plain"));
    QCOMPARE(grid->getCell(3, 0), QStringLiteral("北京"));
    // Cells not written are empty, whatever the grid held before.
    QCOMPARE(grid->getCell(0, 1), QString());
    QCOMPARE(grid->getCell(1, 0), QString());
    QCOMPARE(grid->getCell(2, 1), QString());
    QCOMPARE(grid->backColour(2, 1), kPink);
    QCOMPARE(grid->backColour(3, 0), kNone);
    QCOMPARE(grid->columnWidth(0), 60);
    QCOMPARE(grid->cursorRow(), 2);

    // A smaller fill drops the cursor that no longer fits.
    grid->fillAllCells(2, 1, [](GridFill &) {});
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->cursorRow(), -1);
}

void TestGrid::fillReadsUtf8AsFromUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QByteArray("SELECT 1");
    QTest::newRow("chinese") << QByteArray("备注文字 42");
    QTest::newRow("latin-1 range") << QByteArray("caf\xc3\xa9");
    QTest::newRow("four-byte character") << QByteArray("a\xf0\x9f\x98\x80" "b");
    QTest::newRow("leading byte order mark") << QByteArray("\xef\xbb\xbf" "abc");
    QTest::newRow("second byte order mark") << QByteArray("\xef\xbb\xbf\xef\xbb\xbf" "a");
    QTest::newRow("stray continuation") << QByteArray("a\x80\xbf" "b");
    QTest::newRow("cut sequence at the end") << QByteArray("ab\xe4\xb8");
    QTest::newRow("overlong") << QByteArray("\xc0\xaf" "x");
    QTest::newRow("surrogate encoded") << QByteArray("\xed\xa0\x80");
    QTest::newRow("only invalid") << QByteArray("\xff\xfe\xfd");
}

void TestGrid::fillReadsUtf8AsFromUtf8()
{
    QFETCH(QByteArray, bytes);
    GridControl grid(3, 1, 0, 0, 24, 60);
    grid.fillAllCells(3, 1, [&](GridFill &cells) {
        // A long text first, so the buffer kept between cells is not fresh.
        cells.setUtf8(0, 0, QByteArray(200, '\xe4'));
        cells.setUtf8(1, 0, bytes);
        cells.setUtf8(2, 0, bytes.left(1));
    });
    QCOMPARE(grid.getCell(0, 0), QString::fromUtf8(QByteArray(200, '\xe4')));
    QCOMPARE(grid.getCell(1, 0), QString::fromUtf8(bytes));
    QCOMPARE(grid.getCell(2, 0), QString::fromUtf8(bytes.left(1)));
}

void TestGrid::storeKeepsUtf8AndBorrowedTexts()
{
    // A block of UTF-8 texts as a record set holds them.
    const QByteArray texts = QByteArrayLiteral("学生42|a plain remark|broken \xe4\xb8|\xef\xbb\xbf");
    auto *bytes = new char[size_t(texts.size())];
    std::memcpy(bytes, texts.constData(), size_t(texts.size()));
    auto owner = std::make_shared<int>(0); // counts who keeps the block
    std::shared_ptr<const char> block(owner, bytes);
    std::weak_ptr<int> alive = owner;
    owner.reset();
    const std::unique_ptr<char[]> free(bytes);

    CellStore store(6);
    store.shareUtf8(0, bytes, 8, block);       // 学生42
    store.shareUtf8(1, bytes + 9, 14, block);  // a plain remark
    store.shareUtf8(2, bytes + 24, 9, block);  // a cut sequence
    store.shareUtf8(3, bytes + 34, 3, block);  // a byte order mark alone
    store.setUtf8(4, bytes, 8);
    store.shareUtf8(5, bytes, 8, nullptr);     // no owner: copied
    block.reset();
    QVERIFY(!alive.expired()); // the store keeps the block
    QCOMPARE(store.text(0), QStringLiteral("学生42"));
    QCOMPARE(store.text(1), QStringLiteral("a plain remark"));
    QCOMPARE(store.text(2), QString::fromUtf8(texts.mid(24, 9)));
    QCOMPARE(store.text(3), QString());
    QVERIFY(store.isEmpty(3));
    QCOMPARE(store.text(4), QStringLiteral("学生42"));
    QCOMPARE(store.text(5), QStringLiteral("学生42"));

    // Writing a shorter text over a borrowed one never writes into the block.
    store.set(1, u"short remark");
    store.setLatin1(0, "12", 2);
    store.set(4, u"学");
    QCOMPARE(QByteArray(bytes, texts.size()), texts);
    QCOMPARE(store.text(1), QStringLiteral("short remark"));
    QCOMPARE(store.text(0), QStringLiteral("12"));
    QCOMPARE(store.text(4), QStringLiteral("学"));

    // Squeezed, the borrowed texts move into the store's own blocks.
    qsizetype written = 0;
    for (int pass = 0; pass < 200; ++pass) {
        store.set(5, QString(2000 + pass, QChar(u'x')));
        written += 2000 + pass;
    }
    QVERIFY(store.storedBytes() < written / 2);
    QCOMPARE(store.text(2), QString::fromUtf8(texts.mid(24, 9)));
    QCOMPARE(store.text(1), QStringLiteral("short remark"));

    store.reset(2);
    QVERIFY(alive.expired());
}

void TestGrid::rewritingCellsKeepsTextsAndBoundsMemory()
{
    // Texts of changing lengths, written over and over: shorter ones reuse
    // their place, longer ones leave old characters behind until a squeeze.
    // Eighty passes write far more than the bound below, which a store that
    // never squeezed would pass.
    const int cells = 300;
    CellStore store(cells);
    QList<QString> expected(cells);
    qsizetype mostLive = 0;
    qsizetype written = 0;
    for (int pass = 0; pass < 80; ++pass) {
        for (int i = 0; i < cells; ++i) {
            const int length = (pass * 37 + i * 11) % 900;
            expected[i] = QString(length, QChar(u'a' + (pass + i) % 26));
            if (i % 17 == 0)
                expected[i].clear();
            store.set(i, expected[i]);
            written += expected[i].size();
        }
        for (int i = 0; i < cells; ++i)
            QCOMPARE(store.text(i), expected[i]);
        mostLive = std::max(mostLive, store.liveBytes());
        // Unused characters never outweigh the texts by more than one block.
        QVERIFY2(store.storedBytes() <= 2 * mostLive + (1 << 20) + (1 << 16),
                 qPrintable(QStringLiteral("pass %1: %2 stored for %3 live")
                                .arg(pass).arg(store.storedBytes()).arg(store.liveBytes())));
    }
    QVERIFY(written > 4 * ((1 << 20) + 2 * mostLive));

    // A text longer than a whole block gets one of its own.
    const QString huge((1 << 20) + 5, QChar(u'h'));
    store.set(7, huge);
    store.set(8, u"after");
    QCOMPARE(store.text(7), huge);
    QCOMPARE(store.text(8), QStringLiteral("after"));
    expected[7] = huge;
    expected[8] = QStringLiteral("after");

    // Columns and rows dropped: their characters count as unused.
    store.relayout(30, 10, 4);
    QCOMPARE(store.size(), 120);
    for (int row = 0; row < 30; ++row) {
        for (int column = 0; column < 4; ++column)
            QCOMPARE(store.text(row * 4 + column), expected[row * 10 + column]);
    }
    // Short texts sit in their cells and take no bytes of the blocks.
    qsizetype live = 0;
    for (int i = 0; i < store.size(); ++i) {
        if (store.text(i).size() > CellStore::inlineLength)
            live += store.text(i).size();
    }
    QCOMPARE(store.liveBytes(), live);

    // Emptied, the store fills again into the blocks it kept.
    store.reset(2000);
    QCOMPARE(store.liveBytes(), 0);
    QCOMPARE(store.text(5), QString());
    for (int i = 0; i < 2000; ++i)
        store.set(i, QString::number(i).repeated(1 + i % 300));
    for (int i = 0; i < 2000; ++i)
        QCOMPARE(store.text(i), QString::number(i).repeated(1 + i % 300));
    QList<QString> texts;
    for (int i = 0; i < 1500; ++i)
        texts << QString(i % 700, QChar(u'0' + i % 10));
    store.assign(1500, std::move(texts));
    for (int i = 0; i < 1500; ++i)
        QCOMPARE(store.text(i), QString(i % 700, QChar(u'0' + i % 10)));
}

void TestGrid::storeMixesWidths_data()
{
    // Texts written one after another into cell 1 of three.
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("Latin-1 then Chinese, longer")
        << QStringList{QStringLiteral("abc"), QStringLiteral("中文字段名")};
    QTest::newRow("Chinese then Latin-1 in its place")
        << QStringList{QStringLiteral("人员信息表"), QStringLiteral("42"), QStringLiteral("ab")};
    QTest::newRow("Chinese into a longer Latin-1 slot")
        << QStringList{QStringLiteral("1234567"), QStringLiteral("中文"), QStringLiteral("x中")};
    QTest::newRow("odd Latin-1 slot, then wide")
        << QStringList{QStringLiteral("abcde"), QStringLiteral("é"), QStringLiteral("Āb")};
    QTest::newRow("Latin-1 accents stay narrow")
        << QStringList{QStringLiteral("café ÿ"), QStringLiteral("naïve"), QString()};
    QTest::newRow("first character past Latin-1")
        << QStringList{QString(QChar(0x0100)), QString(QChar(0x00ff)), QString(QChar(0xffff))};
    QTest::newRow("emptied and written again")
        << QStringList{QStringLiteral("数据"), QString(), QStringLiteral("again")};
    QTest::newRow("long Latin-1, shorter ones in its place")
        << QStringList{QStringLiteral("a longer text"), QStringLiteral("shorter!"), QStringLiteral("é in place")};
    QTest::newRow("odd long slot, then wide")
        << QStringList{QStringLiteral("abcdefghi"), QStringLiteral("中文字段名")};
    QTest::newRow("seven and eight characters")
        << QStringList{QStringLiteral("1234567"), QStringLiteral("12345678"), QStringLiteral("7654321"),
                       QStringLiteral("ÿÿÿÿÿÿÿ"), QStringLiteral("\x01")};
    QTest::newRow("in the cell, then in a block, then back")
        << QStringList{QStringLiteral("-0.01"), QStringLiteral("2016-12-31"), QStringLiteral("1e+013"), QString()};
}

void TestGrid::storeMixesWidths()
{
    QFETCH(QStringList, writes);

    CellStore store(3);
    store.set(0, u"left");
    store.set(2, u"右边");
    for (const QString &text : writes) {
        store.set(1, text);
        QCOMPARE(store.text(1), text);
        QCOMPARE(store.isEmpty(1), text.isEmpty());
        QCOMPARE(store.text(0), QStringLiteral("left"));
        QCOMPARE(store.text(2), QStringLiteral("右边"));
    }
}

void TestGrid::typingEditsEditableGrid()
{
    GridControl grid(3, 2, 1, 0, 32, 80);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));

    // Not editable: typing changes nothing.
    grid.setCursor(1, 1);
    grid.setFocus();
    QTest::keyClicks(&grid, QStringLiteral("abc"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(grid.getCell(1, 1), QString());
    QCOMPARE(QApplication::focusWidget(), &grid);

    // Typing into a cell opens its editor, which takes the rest.
    grid.setCellsEditable(true);
    grid.setCursor(2, 1);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_T);
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(editor && editor != &grid);
    QTest::keyClicks(editor, QStringLiteral("yped"));
    // The editor commits on Return from the event loop.
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(grid.getCell(2, 1), QStringLiteral("typed"));

    // Headings are not typed into.
    const GridModel *model = grid.gridModel();
    QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(model->flags(model->index(1, 0)) & Qt::ItemIsEditable);
}

void TestGrid::modelStaysConsistent()
{
    GridControl grid(5, 5, 1, 1, 24, 60);
    grid.show();
    QAbstractItemModelTester tester(grid.gridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    grid.setCell(1, 1, QStringLiteral("a"));
    grid.setRowCount(12);
    grid.setColumnCount(3);
    grid.setColumnCount(7);
    grid.setRowCount(2);
    grid.setCursor(1, 1);
    grid.insertRow(1);
    grid.insertRow();
    grid.setBackColour(0, 0, 99, 99, kGrey);
    grid.setAlignment(1, 1, 2, 2, 3);
    grid.clear();
    grid.setAllCells(2, 2, QList<QString>{"1", "2", "3", "4"});
    grid.setAllCells(0, 3, {});
    grid.insertRow();
    QCOMPARE(grid.rowCount(), 1);
    grid.hide();
    grid.setRowCount(4);
    grid.setCell(3, 0, QStringLiteral("hidden"));
    grid.show();
}

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
