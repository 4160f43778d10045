// The eight catalogue editing operations: their effect on the rows of the
// catalogue, on the example pages, and the messages they show.

#include "CatalogueFixture.h"

#include <QtTest>

namespace {

using Icon = MessageService::Icon;
using Answer = MessageService::Answer;

// Three directories; the first holds three statements. Every item has a page.
const QString kRows = QStringLiteral(
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'D1',0,1);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'D2',0,2);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (3,'D3',0,3);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (10,'S1',1,1);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (11,'S2',1,2);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (12,'S3',1,3);");

const QStringList kAllRows{QStringLiteral("1|D1|0|1"),   QStringLiteral("2|D2|0|2"),   QStringLiteral("3|D3|0|3"),
                           QStringLiteral("10|S1|1|1"), QStringLiteral("11|S2|1|2"), QStringLiteral("12|S3|1|3")};

const QStringList kPages{QStringLiteral("D1"), QStringLiteral("D2"), QStringLiteral("D3"),
                         QStringLiteral("S1"), QStringLiteral("S2"), QStringLiteral("S3")};

constexpr int kMarkRole = Qt::UserRole + 50;

struct EditorFixture : CatalogueFixture
{
    explicit EditorFixture(const QString &rowsSql = kRows)
        : CatalogueFixture(rowsSql)
    {
        for (const QString &name : kPages)
            writePage(name, "page of " + name.toUtf8());
    }
    /// Marks the tree as it stands; a reload replaces every item.
    void markTree() const { c().树型框1->topLevelItem(0)->setData(0, kMarkRole, true); }
    bool treeReloaded() const
    {
        QTreeWidgetItem *first = c().树型框1->topLevelItem(0);
        return !first || !first->data(0, kMarkRole).toBool();
    }
    QByteArray templateBytes() const
    {
        QFile file(AppPaths::templatePage());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    /// Replaces one row of kAllRows by its new form.
    static QStringList allRowsWith(const QStringList &changes)
    {
        QStringList out = kAllRows;
        for (const QString &change : changes) {
            const QString id = change.section(QLatin1Char('|'), 0, 0);
            bool replaced = false;
            for (QString &row : out) {
                if (row.section(QLatin1Char('|'), 0, 0) == id) {
                    row = change;
                    replaced = true;
                }
            }
            if (!replaced)
                out.append(change);
        }
        return out;
    }
};

// A trigger that makes one kind of write fail.
QString failing(const QString &event, const QString &when = QString())
{
    return QStringLiteral("CREATE TRIGGER fail BEFORE %1 ON sql信息表 %2 BEGIN SELECT RAISE(ABORT, 'refused'); END;")
        .arg(event, when.isEmpty() ? QString() : QStringLiteral("WHEN ") + when);
}

} // namespace

class TestCatalogueEditor : public QObject
{
    Q_OBJECT

private slots:
    void insertDirectory_data();
    void insertDirectory();
    void newPageKeepsAPageInUse_data();
    void newPageKeepsAPageInUse();
    void insertStatement_data();
    void insertStatement();
    void insertStatementRefused_data();
    void insertStatementRefused();
    void insertStatementFailure();

    void deleteDirectoryWithStatements();
    void deleteStatement();
    void deleteCancelled();
    void deleteWithoutSelection();
    void deleteStaleSelection();
    void deleteRolledBackOnFailure();
    void deleteSparesSharedPage();

    void move_data();
    void move();
    void moveWithoutValidSelection_data();
    void moveWithoutValidSelection();
    void moveRolledBackOnFailure();

    void rename_data();
    void rename();
    void renameTwiceFollowsThePage();
    void renameSharedPageCopies();
    void saveSqlAndMode();
};

void TestCatalogueEditor::insertDirectory_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("newRow");

    QTest::newRow("empty table") << QString() << QStringLiteral("1|新目录1|0|1");
    QTest::newRow("five directories, largest 编号 40")
        << QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'a',0,1);"
                          "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'b',0,2);"
                          "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (3,'c',0,3);"
                          "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (4,'d',0,4);"
                          "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (5,'e',0,5);"
                          "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (40,'s',1,1);")
        << QStringLiteral("41|新目录6|0|6");
}

void TestCatalogueEditor::insertDirectory()
{
    QFETCH(QString, rows);
    QFETCH(QString, newRow);
    EditorFixture f(rows);
    const QString name = newRow.section(QLatin1Char('|'), 1, 1);
    f.editor().insertDirectory();

    QCOMPARE(f.rows().last(), newRow);
    QCOMPARE(f.topTexts().last(), name);
    QCOMPARE(f.readPage(name), f.templateBytes());
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("插入") + name + QStringLiteral("成功！"));
    QCOMPARE(f.messages.shown[0].caption, QStringLiteral("信息："));
    QCOMPARE(f.messages.shown[0].icon, Icon::Information);
}

void TestCatalogueEditor::newPageKeepsAPageInUse_data()
{
    QTest::addColumn<bool>("nameInUse");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("page of another item of that name") << true << QByteArray("mine");
    QTest::newRow("page of no item: replaced by the template") << false << QByteArray();
}

void TestCatalogueEditor::newPageKeepsAPageInUse()
{
    QFETCH(bool, nameInUse);
    QFETCH(QByteArray, expected);
    EditorFixture f(kRows
                    + (nameInUse ? QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (13,'新目录4',1,4);")
                                 : QString()));
    f.writePage(QStringLiteral("新目录4"), "mine");
    f.editor().insertDirectory();
    QCOMPARE(f.rows().last(), QStringLiteral("%1|新目录4|0|4").arg(nameInUse ? 14 : 13));
    QCOMPARE(f.readPage(QStringLiteral("新目录4")), expected.isEmpty() ? f.templateBytes() : expected);
}

void TestCatalogueEditor::insertStatement_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("newRow");
    QTest::newRow("directory with three statements") << QStringLiteral("D1") << QStringLiteral("13|新事件4|1|4");
    QTest::newRow("directory without statements") << QStringLiteral("D2") << QStringLiteral("13|新事件1|2|1");
}

void TestCatalogueEditor::insertStatement()
{
    QFETCH(QString, directory);
    QFETCH(QString, newRow);
    EditorFixture f;
    QVERIFY(f.select(directory));
    f.c().编辑框_事件名称->setText(QStringLiteral("目录名"));
    f.markTree();
    f.editor().insertStatement();

    const QString name = newRow.section(QLatin1Char('|'), 1, 1);
    QCOMPARE(f.rows(), EditorFixture::allRowsWith({newRow}));
    QCOMPARE(f.readPage(name), f.templateBytes());
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("插入—目录名—") + name + QStringLiteral("成功！")});
    QCOMPARE(f.messages.shown[0].icon, Icon::Information);
    QVERIFY(f.treeReloaded());
}

void TestCatalogueEditor::insertStatementRefused_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("deleteSelectedRow");
    QTest::newRow("nothing selected") << QString() << false;
    QTest::newRow("statement selected") << QStringLiteral("S2") << false;
    QTest::newRow("directory gone since selected") << QStringLiteral("D2") << true;
}

void TestCatalogueEditor::insertStatementRefused()
{
    QFETCH(QString, selected);
    QFETCH(bool, deleteSelectedRow);
    EditorFixture f;
    if (!selected.isEmpty())
        QVERIFY(f.select(selected));
    QStringList before = kAllRows;
    if (deleteSelectedRow) {
        QVERIFY(TestDb::exec(f.db(), QStringLiteral("DELETE FROM sql信息表 WHERE 编号=") + f.state.currentItemId));
        before = f.rows();
    }
    f.editor().insertStatement();
    QCOMPARE(f.rows(), before);
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("你还没有选择要插入的位置？或位置不正确呢？")});
    QCOMPARE(f.messages.shown[0].icon, Icon::Error);
    QCOMPARE(f.messages.shown[0].caption, QStringLiteral("信息："));
}

void TestCatalogueEditor::insertStatementFailure()
{
    EditorFixture f(kRows + failing(QStringLiteral("INSERT")));
    QVERIFY(f.select(QStringLiteral("D1")));
    f.markTree();
    f.editor().insertStatement();
    QCOMPARE(f.rows(), kAllRows);
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("插入—D1—新事件4失败！")});
    QCOMPARE(f.messages.shown[0].icon, Icon::None);
    QVERIFY(!QFile::exists(f.pagePath(QStringLiteral("新事件4"))));
    QVERIFY(!f.treeReloaded());
}

void TestCatalogueEditor::deleteDirectoryWithStatements()
{
    EditorFixture f;
    QVERIFY(f.select(QStringLiteral("D1")));
    f.editor().deleteItem();
    QCOMPARE(f.rows(), (QStringList{QStringLiteral("2|D2|0|1"), QStringLiteral("3|D3|0|2")}));
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("注意!将删除该目录及其子目录！删除后不可恢复！您真的要删除吗？"));
    QCOMPARE(f.messages.shown[0].caption, QStringLiteral("删除提示"));
    QCOMPARE(f.messages.shown[0].icon, Icon::Exclamation);
    QCOMPARE(f.messages.shown[0].buttons, MessageService::Buttons::OkCancel);
    // The directory's own page goes; its statements' pages stay.
    QVERIFY(!QFile::exists(f.pagePath(QStringLiteral("D1"))));
    for (const QString &name : {QStringLiteral("S1"), QStringLiteral("S2"), QStringLiteral("S3"), QStringLiteral("D2")})
        QVERIFY(QFile::exists(f.pagePath(name)));
    QCOMPARE(f.topTexts(), (QStringList{QStringLiteral("D2"), QStringLiteral("D3")}));
}

void TestCatalogueEditor::deleteStatement()
{
    EditorFixture f;
    QVERIFY(f.select(QStringLiteral("S2")));
    f.editor().deleteItem();
    QStringList expected = EditorFixture::allRowsWith({QStringLiteral("12|S3|1|2")});
    expected.removeAll(QStringLiteral("11|S2|1|2"));
    QCOMPARE(f.rows(), expected);
    QVERIFY(!QFile::exists(f.pagePath(QStringLiteral("S2"))));
    QVERIFY(QFile::exists(f.pagePath(QStringLiteral("S3"))));
}

void TestCatalogueEditor::deleteCancelled()
{
    EditorFixture f;
    QVERIFY(f.select(QStringLiteral("D1")));
    f.markTree();
    f.messages.answers = {Answer::Cancel};
    f.editor().deleteItem();
    QCOMPARE(f.rows(), kAllRows);
    QVERIFY(QFile::exists(f.pagePath(QStringLiteral("D1"))));
    QVERIFY(!f.treeReloaded());
}

void TestCatalogueEditor::deleteWithoutSelection()
{
    EditorFixture f;
    f.editor().deleteItem();
    QCOMPARE(f.rows(), kAllRows);
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("您还没有选择要删除的数据呢！"));
    QCOMPARE(f.messages.shown[0].caption, QStringLiteral("友情提示"));
    QCOMPARE(f.messages.shown[0].icon, Icon::Information);
}

void TestCatalogueEditor::deleteStaleSelection()
{
    // The selection still names the directory deleted a moment ago; a second
    // delete must not renumber the directories again.
    EditorFixture f;
    QVERIFY(f.select(QStringLiteral("D2")));
    f.editor().deleteItem();
    const QStringList afterFirst = f.rows();
    QCOMPARE(afterFirst.size(), 5);
    f.messages.reset();
    f.editor().deleteItem();
    QCOMPARE(f.rows(), afterFirst);
    QCOMPARE(f.messages.texts().last(), QStringLiteral("您还没有选择要删除的数据呢！"));
}

void TestCatalogueEditor::deleteRolledBackOnFailure()
{
    // The renumbering runs first; the failing delete after it must undo it.
    EditorFixture f(kRows + failing(QStringLiteral("DELETE")));
    QVERIFY(f.select(QStringLiteral("D1")));
    f.editor().deleteItem();
    QCOMPARE(f.rows(), kAllRows);
    QVERIFY(QFile::exists(f.pagePath(QStringLiteral("D1"))));
    QVERIFY(f.select(QStringLiteral("S1")));
    f.editor().deleteItem();
    QCOMPARE(f.rows(), kAllRows);
    QVERIFY(QFile::exists(f.pagePath(QStringLiteral("S1"))));
}

void TestCatalogueEditor::deleteSparesSharedPage()
{
    EditorFixture f(QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'Same',0,1);"
                                   "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'Same',0,2);"));
    f.writePage(QStringLiteral("Same"), "shared");
    f.c().树型框1->setCurrentItem(f.c().树型框1->topLevelItem(0));
    f.editor().deleteItem();
    QCOMPARE(f.readPage(QStringLiteral("Same")), QByteArray("shared"));
    f.c().树型框1->setCurrentItem(f.c().树型框1->topLevelItem(0));
    QCOMPARE(f.state.currentItemId, QStringLiteral("2"));
    f.editor().deleteItem();
    QVERIFY(f.rows().isEmpty());
    QVERIFY(!QFile::exists(f.pagePath(QStringLiteral("Same"))));
}

void TestCatalogueEditor::move_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<QStringList>("changed");

    QTest::newRow("first directory down") << QStringLiteral("D1") << QStringList{QStringLiteral("down")}
                                          << QStringList{QStringLiteral("1|D1|0|2"), QStringLiteral("2|D2|0|1")};
    QTest::newRow("down then up restores") << QStringLiteral("D1")
                                           << QStringList{QStringLiteral("down"), QStringLiteral("up")} << QStringList{};
    QTest::newRow("last directory up") << QStringLiteral("D3") << QStringList{QStringLiteral("up")}
                                       << QStringList{QStringLiteral("2|D2|0|3"), QStringLiteral("3|D3|0|2")};
    QTest::newRow("middle statement down") << QStringLiteral("S2") << QStringList{QStringLiteral("down")}
                                           << QStringList{QStringLiteral("11|S2|1|3"), QStringLiteral("12|S3|1|2")};
    QTest::newRow("first directory up: no neighbour") << QStringLiteral("D1") << QStringList{QStringLiteral("up")}
                                                      << QStringList{};
    QTest::newRow("last directory down: no neighbour") << QStringLiteral("D3") << QStringList{QStringLiteral("down")}
                                                       << QStringList{};
    QTest::newRow("last statement down: no neighbour") << QStringLiteral("S3") << QStringList{QStringLiteral("down")}
                                                       << QStringList{};
}

void TestCatalogueEditor::move()
{
    QFETCH(QString, item);
    QFETCH(QStringList, moves);
    QFETCH(QStringList, changed);
    EditorFixture f;
    QVERIFY(f.select(item));
    for (const QString &step : moves) {
        f.markTree();
        if (step == QLatin1String("down"))
            f.editor().moveDown();
        else
            f.editor().moveUp();
        QVERIFY(f.treeReloaded());
    }
    QCOMPARE(f.rows(), EditorFixture::allRowsWith(changed));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCatalogueEditor::moveWithoutValidSelection_data()
{
    QTest::addColumn<QString>("selected");
    QTest::newRow("nothing selected") << QString();
    QTest::newRow("selected row gone") << QStringLiteral("D2");
    QTest::newRow("placeholder selected") << QStringLiteral("添加中");
}

void TestCatalogueEditor::moveWithoutValidSelection()
{
    QFETCH(QString, selected);
    EditorFixture f;
    if (!selected.isEmpty()) {
        if (selected == QStringLiteral("添加中")) {
            f.c().树型框1->setCurrentItem(f.c().树型框1->topLevelItem(0)->child(0));
            QCOMPARE(f.state.currentItemId, QStringLiteral("0"));
        } else {
            QVERIFY(f.select(selected));
        }
    }
    QStringList before = kAllRows;
    if (selected == QLatin1String("D2")) {
        QVERIFY(TestDb::exec(f.db(), QStringLiteral("DELETE FROM sql信息表 WHERE 编号=2")));
        before = f.rows();
    }
    f.editor().moveDown();
    f.editor().moveUp();
    QCOMPARE(f.rows(), before);
}

void TestCatalogueEditor::moveRolledBackOnFailure()
{
    // The neighbour's update succeeds, the item's fails: the neighbour must not
    // be left sharing the item's position.
    EditorFixture f(kRows + failing(QStringLiteral("UPDATE"), QStringLiteral("OLD.编号=1")));
    QVERIFY(f.select(QStringLiteral("D1")));
    f.editor().moveDown();
    QCOMPARE(f.rows(), kAllRows);
}

void TestCatalogueEditor::rename_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("hasPage");
    QTest::addColumn<QStringList>("pagesAfter");   // name=content; empty content: no file
    QTest::newRow("page follows") << QStringLiteral("D1") << QStringLiteral("新名字") << true
                                  << QStringList{QStringLiteral("D1="), QStringLiteral("新名字=page of D1")};
    QTest::newRow("name with a quote") << QStringLiteral("S1") << QStringLiteral("it's") << true
                                       << QStringList{QStringLiteral("S1="), QStringLiteral("it's=page of S1")};
    QTest::newRow("no page: only the row") << QStringLiteral("S2") << QStringLiteral("X") << false
                                           << QStringList{QStringLiteral("S2="), QStringLiteral("X=")};
    QTest::newRow("target page exists") << QStringLiteral("D1") << QStringLiteral("D2") << true
                                        << QStringList{QStringLiteral("D1=page of D1"), QStringLiteral("D2=page of D2")};
    QTest::newRow("name leaving photo/") << QStringLiteral("D1") << QStringLiteral("../evil") << true
                                         << QStringList{QStringLiteral("D1=page of D1")};
}

void TestCatalogueEditor::rename()
{
    QFETCH(QString, item);
    QFETCH(QString, newName);
    QFETCH(bool, hasPage);
    QFETCH(QStringList, pagesAfter);
    EditorFixture f;
    if (!hasPage)
        QFile::remove(f.pagePath(item));
    QVERIFY(f.select(item));
    f.markTree();
    f.c().编辑框_事件名称->setText(newName);
    f.editor().renameItem();

    QVERIFY(f.treeReloaded());
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select 事件 from sql信息表 where 编号=") + f.state.currentItemId),
             newName);
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select count(*) from sql信息表 where 事件='") + item + "'"),
             QStringLiteral("0"));
    for (const QString &page : pagesAfter) {
        const QString name = page.section(QLatin1Char('='), 0, 0);
        const QByteArray content = page.section(QLatin1Char('='), 1).toUtf8();
        QCOMPARE(QFile::exists(f.pagePath(name)), !content.isEmpty());
        if (!content.isEmpty())
            QCOMPARE(f.readPage(name), content);
    }
    QVERIFY(!QFile::exists(f.workspace.dir() + QStringLiteral("/evil.htm")));
    // The selection keeps the name it had.
    QCOMPARE(f.state.currentItemName, item);
}

void TestCatalogueEditor::renameTwiceFollowsThePage()
{
    EditorFixture f;
    QVERIFY(f.select(QStringLiteral("D1")));
    f.c().编辑框_事件名称->setText(QStringLiteral("X"));
    f.editor().renameItem();
    f.c().编辑框_事件名称->setText(QStringLiteral("Y"));
    f.editor().renameItem();
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select 事件 from sql信息表 where 编号=1")), QStringLiteral("Y"));
    QVERIFY(!QFile::exists(f.pagePath(QStringLiteral("X"))));
    QCOMPARE(f.readPage(QStringLiteral("Y")), QByteArray("page of D1"));
}

void TestCatalogueEditor::renameSharedPageCopies()
{
    EditorFixture f(QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'Same',0,1);"
                                   "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'Same',0,2);"));
    f.writePage(QStringLiteral("Same"), "shared");
    f.c().树型框1->setCurrentItem(f.c().树型框1->topLevelItem(1));
    f.c().编辑框_事件名称->setText(QStringLiteral("Other"));
    f.editor().renameItem();
    QCOMPARE(f.readPage(QStringLiteral("Same")), QByteArray("shared"));
    QCOMPARE(f.readPage(QStringLiteral("Other")), QByteArray("shared"));
    QCOMPARE(f.rows(), (QStringList{QStringLiteral("1|Same|0|1"), QStringLiteral("2|Other|0|2")}));
}

void TestCatalogueEditor::saveSqlAndMode()
{
    EditorFixture f;
    QVERIFY(f.select(QStringLiteral("S1")));
    f.c().编辑框_执行语句->setPlainText(QStringLiteral("select 'a'\nfrom t"));
    f.markTree();
    f.editor().saveSql();
    QVERIFY(f.treeReloaded());
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select SQL语句 from sql信息表 where 编号=10")),
             QStringLiteral("select 'a'\r\nfrom t"));

    f.c().编辑框_执行方式->setText(QStringLiteral("it's"));
    f.markTree();
    f.editor().saveMode();
    QVERIFY(!f.treeReloaded());
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select 执行方式 from sql信息表 where 编号=10")), QStringLiteral("it's"));
    // Only the selected row changed.
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select count(*) from sql信息表 where 执行方式 is not null")),
             QStringLiteral("1"));
    QVERIFY(f.messages.shown.isEmpty());
}

QTEST_MAIN(TestCatalogueEditor)
#include "test_catalogueeditor.moc"
