// The lazily loaded catalogue tree against real catalogue files.

#include "CatalogueFixture.h"

#include <QtTest>

namespace {

// Three directories inserted out of order; B has no statements; a1 carries a
// row of its own (a third level); one directory has a NULL name.
const QString kRows = QStringLiteral(
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (3,'C',0,3);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'A',0,1);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'B',0,2);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (11,'a2',1,2);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (10,'a1',1,1);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (12,'c1',3,1);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (20,'deep',10,1);");

QImage imageOf(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// What the tree shows, depth-first: "text/value/indent" per item.
QStringList walk(const CatalogueTree &tree)
{
    QStringList out;
    for (int i = 0; i < tree.itemCount(); ++i)
        out.append(QStringLiteral("%1/%2/%3").arg(tree.itemText(i)).arg(tree.itemValue(i)).arg(tree.indentLevel(i)));
    return out;
}

} // namespace

class TestCatalogueTree : public QObject
{
    Q_OBJECT

private slots:
    void emptyTableGivesEmptyTree();
    void fullLoadAddsDirectoriesWithPlaceholders();
    void expansionFillsInLevelOrder();
    void thirdLevelRowExpandsLikeADirectory();
    void lastDirectoryExpansionKeepsTheRest();
    void everyExpansionReadsTheTableAfresh();
    void nullNameShowsEmptyText();
    void indexAddressing();
    void picturesFollowPosition();
    void picturesAreDistinct();
    void reloadRaisesNoSelectionChange();
};

void TestCatalogueTree::emptyTableGivesEmptyTree()
{
    CatalogueFixture f;
    QCOMPARE(f.tree().itemCount(), 0);
    QCOMPARE(f.c().树型框1->topLevelItemCount(), 0);
    f.tree().reloadCatalogueTree();
    QCOMPARE(f.tree().itemCount(), 0);
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCatalogueTree::fullLoadAddsDirectoriesWithPlaceholders()
{
    CatalogueFixture f(kRows);
    QVERIFY(f.ok);
    // Directories in 级别 order, each with one placeholder when rows hang below it.
    QCOMPARE(walk(f.tree()), (QStringList{QStringLiteral("A/1/1"), QStringLiteral("添加中/0/2"), QStringLiteral("B/2/1"),
                                          QStringLiteral("C/3/1"), QStringLiteral("添加中/0/2")}));
    QTreeWidget *tree = f.c().树型框1;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        QVERIFY(!tree->topLevelItem(i)->isExpanded());
    // A directory without statements offers no expansion.
    QCOMPARE(tree->topLevelItem(1)->childCount(), 0);
}

void TestCatalogueTree::expansionFillsInLevelOrder()
{
    CatalogueFixture f(kRows);
    QTreeWidgetItem *a = f.c().树型框1->topLevelItem(0);
    a->setExpanded(true);
    QVERIFY(a->isExpanded());
    QCOMPARE(walk(f.tree()),
             (QStringList{QStringLiteral("A/1/1"), QStringLiteral("a1/10/2"), QStringLiteral("添加中/0/3"),
                          QStringLiteral("a2/11/2"), QStringLiteral("B/2/1"), QStringLiteral("C/3/1"),
                          QStringLiteral("添加中/0/2")}));
    // Each statement's picture is its position; selected it shows picture 0.
    QCOMPARE(a->child(1)->data(0, CatalogueTree::ImageRole).toInt(), 2);
    QCOMPARE(a->child(1)->data(0, CatalogueTree::SelectedImageRole).toInt(), 0);
}

void TestCatalogueTree::thirdLevelRowExpandsLikeADirectory()
{
    CatalogueFixture f(kRows);
    f.c().树型框1->topLevelItem(0)->setExpanded(true);
    QTreeWidgetItem *a1 = f.findItem(QStringLiteral("a1"));
    QVERIFY(a1);
    a1->setExpanded(true);
    QCOMPARE(a1->childCount(), 1);
    QCOMPARE(a1->child(0)->text(0), QStringLiteral("deep"));
    QCOMPARE(f.tree().indentLevel(f.tree().indexOf(a1->child(0))), 3);
}

void TestCatalogueTree::lastDirectoryExpansionKeepsTheRest()
{
    CatalogueFixture f(kRows);
    QTreeWidget *tree = f.c().树型框1;
    tree->topLevelItem(2)->setExpanded(true);
    QCOMPARE(walk(f.tree()), (QStringList{QStringLiteral("A/1/1"), QStringLiteral("添加中/0/2"), QStringLiteral("B/2/1"),
                                          QStringLiteral("C/3/1"), QStringLiteral("c1/12/2")}));
}

void TestCatalogueTree::everyExpansionReadsTheTableAfresh()
{
    CatalogueFixture f(kRows);
    QTreeWidgetItem *a = f.c().树型框1->topLevelItem(0);
    a->setExpanded(true);
    a->setExpanded(false);
    QVERIFY(TestDb::exec(f.db(), QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (13,'a0',1,0)")));
    a->setExpanded(true);
    QStringList children;
    for (int i = 0; i < a->childCount(); ++i)
        children.append(a->child(i)->text(0));
    QCOMPARE(children, (QStringList{QStringLiteral("a0"), QStringLiteral("a1"), QStringLiteral("a2")}));
    // The statements of a directory whose rows all went leave it childless.
    QVERIFY(TestDb::exec(f.db(), QStringLiteral("DELETE FROM sql信息表 WHERE 父编号=1")));
    a->setExpanded(false);
    a->setExpanded(true);
    QCOMPARE(a->childCount(), 0);
    QCOMPARE(f.tree().itemCount(), 4);
}

void TestCatalogueTree::nullNameShowsEmptyText()
{
    CatalogueFixture f(QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,NULL,0,1);"
                                      "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,NULL,1,1);"));
    QCOMPARE(f.tree().itemText(0), QString());
    QCOMPARE(f.tree().itemValue(0), 1);
    f.c().树型框1->topLevelItem(0)->setExpanded(true);
    QCOMPARE(walk(f.tree()), (QStringList{QStringLiteral("/1/1"), QStringLiteral("/2/2")}));
}

void TestCatalogueTree::indexAddressing()
{
    CatalogueFixture f(kRows);
    CatalogueTree &tree = f.tree();
    // An index naming no item reads as value 0, empty text, indent level 0.
    for (int index : {-1, -7, 5, 1000}) {
        QCOMPARE(tree.itemValue(index), 0);
        QCOMPARE(tree.itemText(index), QString());
        QCOMPARE(tree.indentLevel(index), 0);
        QCOMPARE(tree.itemAt(index), nullptr);
    }
    // Adding under a collapsed item counts its children in the walk.
    const int added = tree.addItem(2, QStringLiteral("x"), 1, 0, 99);
    QCOMPARE(added, 3);
    QCOMPARE(tree.itemValue(4), 3);
    QCOMPARE(tree.addItem(1000, QStringLiteral("y"), 1, 0, 98), -1);
    tree.deleteItem(0);
    QCOMPARE(walk(tree), (QStringList{QStringLiteral("B/2/1"), QStringLiteral("x/99/2"), QStringLiteral("C/3/1"),
                                      QStringLiteral("添加中/0/2")}));
    QCOMPARE(tree.indexOf(nullptr), -1);
}

void TestCatalogueTree::picturesFollowPosition()
{
    CatalogueFixture f(kRows);
    QTreeWidgetItem *c = f.c().树型框1->topLevelItem(2);
    const QIcon icon = c->icon(0);
    QCOMPARE(imageOf(icon.pixmap(16, QIcon::Normal)), imageOf(CatalogueTree::picturePixmap(3)));
    QCOMPARE(imageOf(icon.pixmap(16, QIcon::Selected)), imageOf(CatalogueTree::picturePixmap(0)));
    // The placeholder shows its directory's picture, selected or not.
    const QIcon placeholder = c->child(0)->icon(0);
    QCOMPARE(c->child(0)->data(0, CatalogueTree::ImageRole).toInt(), 3);
    QCOMPARE(c->child(0)->data(0, CatalogueTree::SelectedImageRole).toInt(), 3);
    QCOMPARE(imageOf(placeholder.pixmap(16, QIcon::Normal)), imageOf(CatalogueTree::picturePixmap(3)));
    QCOMPARE(imageOf(placeholder.pixmap(16, QIcon::Selected)), imageOf(CatalogueTree::picturePixmap(3)));
}

void TestCatalogueTree::picturesAreDistinct()
{
    // 0 to 40 each have their own picture, and positions beyond still get one.
    QList<QImage> seen;
    for (int n = 0; n <= 40; ++n) {
        const QImage image = imageOf(CatalogueTree::picturePixmap(n));
        QCOMPARE(image.size(), QSize(16, 16));
        QVERIFY2(!seen.contains(image), qPrintable(QString::number(n)));
        seen.append(image);
    }
    for (int n : {41, 99, 100, 5000}) {
        const QImage image = imageOf(CatalogueTree::picturePixmap(n));
        QCOMPARE(image.size(), QSize(16, 16));
        QVERIFY(!seen.contains(image));
    }
}

void TestCatalogueTree::reloadRaisesNoSelectionChange()
{
    CatalogueFixture f(kRows);
    QVERIFY(f.select(QStringLiteral("a2")));
    QCOMPARE(f.state.currentItemId, QStringLiteral("11"));
    f.state.currentItemName = QStringLiteral("marker");
    f.tree().reloadCatalogueTree();
    QCOMPARE(f.state.currentItemName, QStringLiteral("marker"));
    QCOMPARE(f.state.currentItemId, QStringLiteral("11"));
    QCOMPARE(f.tree().currentIndex(), -1);
    // Fresh and collapsed again.
    QCOMPARE(f.tree().itemCount(), 5);
}

QTEST_MAIN(TestCatalogueTree)
#include "test_cataloguetree.moc"
