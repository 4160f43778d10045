#pragma once

#include <QString>

#include <functional>

struct MainControls;
class CatalogueTree;

/// The eight editing operations of the catalogue, one per button. Every one
/// but the directory insert works on the selected item (currentItemId and
/// currentItemName of the program state). Example pages follow the rows:
/// a new item's page is copied from the template, a rename renames it and a
/// delete removes it. A page that another item of the same name still uses
/// is kept.
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
    struct ItemRecord
    {
        int parent = 0;
        int level = 0;
        QString name;
    };

    /// Opens 记录集 on a one-value query and reads field 0 as an integer.
    /// False when the open fails; the value is 0 for NULL or no row.
    bool readSingleInt(const QString &sql, int &value);
    /// The largest 编号 plus 1.
    bool nextItemId(int &id);
    /// True when the query finds the selected item's row (open succeeded and
    /// it returned a record); its fields are read into record.
    bool readSelectedItem(const QString &sql, ItemRecord &record, bool withName);
    /// True when an item other than exceptId carries the name.
    bool nameInUse(const QString &name, const QString &exceptId);
    /// Runs the statements in one transaction; rolls back on the first failure.
    bool runAtomically(const std::function<bool()> &steps);
    void move(int step);
    /// Copies the template page to the example page of a new item's name.
    void createPage(const QString &name, int newId);

    MainControls &m_c;
    CatalogueTree &m_tree;
};
