#include "CatalogueTree.h"

#include "app/core/MainControls.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

QString decimal(int value)
{
    return QString::number(value);
}

QString topLevelQuery()
{
    return QStringLiteral("select * from sql信息表  where 父编号=0 order by 级别 asc");
}

// Walks the tree depth-first, parents before children, collapsed children
// included, and calls visit(item, index, depth) until it returns true.
template <typename Visit>
bool walk(QTreeWidgetItem *item, int depth, int &index, Visit &visit)
{
    if (visit(item, index, depth))
        return true;
    ++index;
    for (int i = 0; i < item->childCount(); ++i) {
        if (walk(item->child(i), depth + 1, index, visit))
            return true;
    }
    return false;
}

template <typename Visit>
void walkTree(const QTreeWidget *tree, Visit visit)
{
    int index = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (walk(tree->topLevelItem(i), 1, index, visit))
            return;
    }
}

void drawFolder(QPainter &p)
{
    p.setPen(QColor(160, 115, 10));
    p.setBrush(QColor(245, 200, 50));
    p.drawRect(0, 2, 6, 3);       // tab
    p.setBrush(QColor(252, 215, 80));
    p.drawRect(0, 4, 15, 11);     // body
}

// The folder bearing a number; the font narrows as the number grows so that
// it stays inside the 16 pixels.
QImage numberedFolder(int number)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawFolder(p);
    if (number < 0)
        return image;
    const QString text = number > 999 ? QStringLiteral("…") : QString::number(number);
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
    font.setBold(true);
    if (text.size() <= 2) {
        font.setPixelSize(9);
    } else {
        font.setPixelSize(7);
        font.setStretch(QFont::Condensed);
    }
    p.setFont(font);
    p.setPen(QColor(90, 50, 0));
    p.drawText(QRect(0, 5, 16, 10), Qt::AlignCenter, text);
    return image;
}

// Picture 0: the folder with a red arrow, shown for the selected item.
QImage arrowFolder()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawFolder(p);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(3, 8);
    arrow.lineTo(8, 8);
    arrow.lineTo(8, 5);
    arrow.lineTo(13, 9.5);
    arrow.lineTo(8, 14);
    arrow.lineTo(8, 11);
    arrow.lineTo(3, 11);
    arrow.closeSubpath();
    p.setPen(QColor(140, 0, 0));
    p.setBrush(QColor(225, 25, 25));
    p.drawPath(arrow);
    return image;
}

} // namespace

CatalogueTree::CatalogueTree(MainControls &controls)
    : m_c(controls)
{
}

QPixmap CatalogueTree::picturePixmap(int number)
{
    // Images, not pixmaps, are kept: they need no display connection and may
    // outlive the application object.
    static QHash<int, QImage> cache;
    auto it = cache.find(number);
    if (it == cache.end())
        it = cache.insert(number, number == 0 ? arrowFolder() : numberedFolder(number));
    return QPixmap::fromImage(*it);
}

QIcon CatalogueTree::picture(int image, int selectedImage)
{
    QIcon icon;
    icon.addPixmap(picturePixmap(image), QIcon::Normal);
    icon.addPixmap(picturePixmap(image), QIcon::Active);
    icon.addPixmap(picturePixmap(selectedImage), QIcon::Selected);
    return icon;
}

int CatalogueTree::itemCount() const
{
    int count = 0;
    walkTree(m_c.树型框1, [&count](QTreeWidgetItem *, int, int) {
        ++count;
        return false;
    });
    return count;
}

QTreeWidgetItem *CatalogueTree::itemAt(int index) const
{
    if (index < 0)
        return nullptr;
    QTreeWidgetItem *found = nullptr;
    walkTree(m_c.树型框1, [&](QTreeWidgetItem *item, int i, int) {
        if (i != index)
            return false;
        found = item;
        return true;
    });
    return found;
}

int CatalogueTree::indexOf(const QTreeWidgetItem *item) const
{
    if (!item || item->treeWidget() != m_c.树型框1)
        return -1;
    int found = -1;
    walkTree(m_c.树型框1, [&](QTreeWidgetItem *candidate, int i, int) {
        if (candidate != item)
            return false;
        found = i;
        return true;
    });
    return found;
}

int CatalogueTree::itemValue(int index) const
{
    const QTreeWidgetItem *item = itemAt(index);
    return item ? item->data(0, ValueRole).toInt() : 0;
}

QString CatalogueTree::itemText(int index) const
{
    const QTreeWidgetItem *item = itemAt(index);
    return item ? item->text(0) : QString();
}

int CatalogueTree::indentLevel(int index) const
{
    if (index < 0)
        return 0;
    int level = 0;
    walkTree(m_c.树型框1, [&](QTreeWidgetItem *, int i, int depth) {
        if (i != index)
            return false;
        level = depth;
        return true;
    });
    return level;
}

int CatalogueTree::currentIndex() const
{
    return indexOf(m_c.树型框1->currentItem());
}

QTreeWidgetItem *CatalogueTree::addChild(QTreeWidgetItem *parent, const QString &text, int image,
                                         int selectedImage, int value)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setData(0, ValueRole, value);
    item->setData(0, ImageRole, image);
    item->setData(0, SelectedImageRole, selectedImage);
    item->setIcon(0, picture(image, selectedImage));
    if (parent)
        parent->addChild(item);
    else
        m_c.树型框1->addTopLevelItem(item);
    return item;
}

int CatalogueTree::addItem(int parentIndex, const QString &text, int image, int selectedImage, int value)
{
    QTreeWidgetItem *parent = nullptr;
    if (parentIndex >= 0) {
        parent = itemAt(parentIndex);
        if (!parent)
            return -1;
    }
    return indexOf(addChild(parent, text, image, selectedImage, value));
}

void CatalogueTree::deleteItem(int index)
{
    delete itemAt(index);
}

void CatalogueTree::addRows(QTreeWidgetItem *parent, bool topLevel)
{
    RecordSet &list = *m_c.记录集_分类;
    RecordSet &probe = *m_c.记录集_查找;
    // The two loads word their queries differently; the texts are kept as
    // they have always been sent.
    const QString probeHead = topLevel ? QStringLiteral("select * from sql信息表 where 父编号=")
                                       : QStringLiteral("select * from sql信息表  where 父编号=");
    list.moveFirst();
    const int n = list.recordCount();
    for (int i = 0; i < n; ++i) {
        int id = 0;
        int level = 0;
        QString name;
        list.readInt(u"编号", id);
        list.readInt(u"级别", level);
        list.readText(u"事件", name);
        QTreeWidgetItem *item = addChild(parent, name, level, 0, id);
        probe.open(probeHead + decimal(id) + QStringLiteral("  order by 编号 asc"), 1);
        if (!topLevel)
            probe.moveFirst();
        if (probe.recordCount() > 0)
            addChild(item, placeholderText(), level, level, 0);
        list.moveNext();
    }
    list.close();
    probe.close();
}

void CatalogueTree::loadCatalogueTree(int itemIndex)
{
    QTreeWidget *tree = m_c.树型框1;
    if (itemIndex < 0) {
        m_c.记录集_分类->bindConnection(m_c.数据库连接);
        m_c.记录集_分类->open(topLevelQuery(), 1);
        m_c.记录集_查找->bindConnection(m_c.数据库连接);
        addRows(nullptr, true);
        return;
    }

    // Remove the old descendants one at a time, letting the window repaint in
    // between. User input is held back meanwhile: a click that reloaded or
    // edited the tree now would pull the items from under this loop.
    const int ownLevel = indentLevel(itemIndex);
    if (ownLevel == 0)
        return;
    const bool wasExpanded = itemAt(itemIndex)->isExpanded();
    for (;;) {
        const int k = itemIndex + 1;
        if (indentLevel(k) <= ownLevel)
            break;
        deleteItem(k);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    QTreeWidgetItem *item = itemAt(itemIndex);
    if (!item)
        return;
    const int value = item->data(0, ValueRole).toInt();
    m_c.记录集_分类->open(QStringLiteral("select * from sql信息表 where 父编号=") + decimal(value)
                              + QStringLiteral("  order by 级别 asc"),
                          1);
    addRows(item, false);

    // The view collapses an item whose last child goes; an item that was
    // being expanded stays open with its fresh children.
    if (wasExpanded && !item->isExpanded() && item->childCount() > 0) {
        const QSignalBlocker blocker(tree);
        item->setExpanded(true);
    }
}

void CatalogueTree::reloadCatalogueTree()
{
    // A catalogue that cannot be read just now (the file locked by another
    // program, the server gone) keeps the tree that is shown: an empty tree
    // would look like a lost catalogue, and nothing but the next edit would
    // bring it back.
    RecordSet &list = *m_c.记录集_分类;
    list.bindConnection(m_c.数据库连接);
    if (!list.open(topLevelQuery(), 1))
        return;
    const QSignalBlocker blocker(m_c.树型框1);
    m_c.树型框1->clear();
    m_c.记录集_查找->bindConnection(m_c.数据库连接);
    addRows(nullptr, true);
}

void CatalogueTree::onItemExpanding(QTreeWidgetItem *item)
{
    const int index = indexOf(item);
    if (index >= 0)
        loadCatalogueTree(index);
}
