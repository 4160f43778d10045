#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct MainControls;
class CatalogueTree;
class GridControl;
class QProgressBar;

/// The example sheet shown in 高级表格2: load, default, save, row insert.
class ExampleSheet
{
public:
    ExampleSheet(MainControls &controls, CatalogueTree &tree);

    /// Puts the sheet of currentSheetBytes into 高级表格2.
    void loadSheet();
    /// Puts the default sheet of labels into 高级表格2.
    void showDefaultSheet();
    /// The sheet text of a grid, stepping the progress bar (which may be null).
    static QString sheetToText(const GridControl &grid, QProgressBar *bar);
    /// Click on 按钮_高表到字节集.
    void saveSheet();
    /// Click on 按钮_插入行.
    void insertRow();

private:
    MainControls &m_c;
    CatalogueTree &m_tree;
};
