#pragma once

#include <QIcon>
#include <QString>

struct MainControls;
class QTreeWidgetItem;

/// The catalogue tree 树型框1, loaded lazily from sql信息表: a full load adds
/// the directories, each with a placeholder child when rows hang below it;
/// expanding an item replaces its children by fresh rows.
/// Items are addressed by index: their position in a depth-first walk of the
/// whole tree, collapsed children included.
class CatalogueTree
{
public:
    explicit CatalogueTree(MainControls &controls);

    /// -1: appends the top level. An item's index: replaces its children.
    void loadCatalogueTree(int itemIndex);
    /// Removes every item, then loads the top level.
    void reloadCatalogueTree();

    /// The expansion handler of the tree view.
    void onItemExpanding(QTreeWidgetItem *item);

    int itemCount() const;
    QTreeWidgetItem *itemAt(int index) const;
    /// -1 for null or an item not in the tree.
    int indexOf(const QTreeWidgetItem *item) const;
    /// Value (编号), text and indent level at an index; an index naming no
    /// item reads as 0, the empty text and 0.
    int itemValue(int index) const;
    QString itemText(int index) const;
    int indentLevel(int index) const;
    /// Index of the tree's current item, -1 when there is none.
    int currentIndex() const;

    /// Picture 0 is the folder with a red arrow; 1 to 40 folders bearing the number.
    static QIcon picture(int number);

private:
    MainControls &m_c;
};
