#include "ExampleSheet.h"

#include "SheetFormat.h"
#include "app/core/MainControls.h"
#include "catalogue/CatalogueTree.h"
#include "components/data/Cp936.h"

ExampleSheet::ExampleSheet(MainControls &controls, CatalogueTree &tree)
    : m_c(controls)
    , m_tree(tree)
{
}

void ExampleSheet::loadSheet()
{
    ProgramState &state = *m_c.state;
    GridControl &grid = *m_c.高级表格2;

    state.sheetLines = SheetFormat::splitPieces(SheetFormat::textOfBytes(state.currentSheetBytes),
                                                QStringLiteral("\r\n"));
    grid.clear();
    grid.setAlignment(0, 1, 0, 1, 2);
    grid.setRowCount(int(state.sheetLines.size()));
    for (int i = 0; i < state.sheetLines.size(); ++i) {
        // A cell saved in quotation marks because it held CR LF comes back
        // with its own text, not with the marks of the stored form.
        state.sheetCells = SheetFormat::decodeLine(state.sheetLines.at(i));
        for (int j = 0; j < state.sheetCells.size(); ++j)
            grid.setCell(i, j, state.sheetCells.at(j));
    }
}

void ExampleSheet::showDefaultSheet()
{
    GridControl &grid = *m_c.高级表格2;
    grid.clear();
    grid.setCell(0, 0, QStringLiteral("语句类型"));
    grid.setCell(0, 1, QStringLiteral("语句内容"));
    grid.setCell(1, 0, QStringLiteral("语句格式"));
    grid.setCell(2, 0, QStringLiteral("SQL语句"));
    grid.setCell(3, 0, QStringLiteral("语句说明"));
    grid.setCell(4, 0, QStringLiteral("执行语句"));
    grid.setCell(5, 0, QStringLiteral("练习语句"));
}

QString ExampleSheet::sheetToText(const GridControl &grid, QProgressBar *bar)
{
    const int rows = grid.rowCount();
    const int columns = grid.columnCount();
    if (bar) {
        bar->setMaximum(rows);
        bar->setValue(0);
    }
    QString text;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            text += SheetFormat::encodeCell(grid.getCell(i, j));
            if (j + 1 < columns)
                text += QLatin1Char('\t');
        }
        text += QLatin1String("\r\n");
        if (bar)
            bar->setValue(i + 1);
    }
    return text;
}

void ExampleSheet::saveSheet()
{
    ProgramState &state = *m_c.state;
    RecordSet &rs = *m_c.记录集;
    state.pendingSheetBytes = Cp936::encode(sheetToText(*m_c.高级表格2, m_c.进度条1));
    if (!rs.open(QStringLiteral("select * from sql信息表  WHERE 编号=") + state.currentItemId, 1))
        return;
    rs.writeBytes(u"数据集", state.pendingSheetBytes);
    rs.update();
    m_tree.reloadCatalogueTree();
}

void ExampleSheet::insertRow()
{
    GridControl &grid = *m_c.高级表格2;
    grid.insertRow(grid.cursorRow());
}
