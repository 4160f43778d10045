#pragma once

#include <QIcon>
#include <QPixmap>
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
    /// Data roles of a tree item besides its text and icon.
    enum Role {
        ValueRole = 0x0100,          ///< Qt::UserRole: the row's 编号 (0 for the placeholder)
        ImageRole = 0x0101,          ///< picture number shown normally (the row's 级别)
        SelectedImageRole = 0x0102,  ///< picture number shown while selected
    };

    /// Text of the child that stands for rows not loaded yet.
    static QString placeholderText() { return QStringLiteral("添加中"); }

    explicit CatalogueTree(MainControls &controls);

    /// -1: appends the top level. An item's index: replaces its children.
    void loadCatalogueTree(int itemIndex);
    /// Removes every item, then loads the top level. The tree's signals are
    /// blocked meanwhile, so a reload raises no selection change: the selected
    /// item's fields of the program state keep the last selection.
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

    /// Adds an item as the last child of the item at parentIndex (-1: the top
    /// level) and returns its index; -1 when parentIndex names no item.
    int addItem(int parentIndex, const QString &text, int image, int selectedImage, int value);
    /// Deletes the item at the index with everything under it.
    void deleteItem(int index);

    /// Picture 0 is the folder with a red arrow; 1 to 40 folders bearing the
    /// number. A position above 40 gets a folder bearing its number in a
    /// narrower font (above 999: "…"); a negative number gives a plain folder.
    static QPixmap picturePixmap(int number);
    /// An icon showing picture `image` normally and `selectedImage` while selected.
    static QIcon picture(int image, int selectedImage);
    static QIcon picture(int number) { return picture(number, number); }

private:
    QTreeWidgetItem *addChild(QTreeWidgetItem *parent, const QString &text, int image, int selectedImage,
                              int value);
    void addRows(QTreeWidgetItem *parent, bool topLevel);

    MainControls &m_c;
};
