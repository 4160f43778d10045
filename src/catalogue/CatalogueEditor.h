#pragma once

struct MainControls;
class CatalogueTree;

/// The eight editing operations of the catalogue, one per button.
class CatalogueEditor
{
public:
    CatalogueEditor(MainControls &controls, CatalogueTree &tree);

    void insertDirectory();   ///< 超级按钮_插入目录
    void insertStatement();   ///< 超级按钮_插入子目录
    void deleteItem();        ///< 超级按钮_删除
    void moveUp();            ///< 超级按钮_上移
    void moveDown();          ///< 超级按钮_下移
    void renameItem();        ///< 按钮_修改事件
    void saveSql();           ///< 按钮_修改命令
    void saveMode();          ///< 按钮_修改执行方式

private:
    MainControls &m_c;
    CatalogueTree &m_tree;
};
