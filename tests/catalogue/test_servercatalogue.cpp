// The catalogue and the example viewer on the SQL Server connection: the tree,
// the editing (its several-statement operations run as one transaction over
// ODBC), the selection showing the sheet, and the sheet save into the
// server's binary field. Skipped when no test server runs.

#include "remote/RemoteServer.h"

#include "app/core/AppPaths.h"
#include "catalogue/CatalogueEditor.h"
#include "catalogue/CatalogueTree.h"
#include "components/data/Cp936.h"
#include "viewer/ExampleSheet.h"

#include <QtTest>

namespace {

const QString kRows = QStringLiteral(
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'D1',0,1);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'D2',0,2);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式,数据集) "
    "  VALUES (10,'S1',1,1,'select 1','记录集','\\x610962300d0a'::bytea);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (11,'S2',1,2);");

struct ServerFixture
{
    bool open()
    {
        if (!RemoteServer::resetFixture() || !RemoteServer::setCatalogue(kRows))
            return false;
        workspace.writeConfig(
            RemoteServer::configText(RemoteServer::address(), RemoteServer::user(), RemoteServer::password()));
        window = openMainWindow(state, ConnectChoice::Remote);
        messages.reset();
        return state.sqlServerMode == 1;
    }
    MainControls &c() const { return window->controls(); }
    QTreeWidgetItem *find(const QString &text) const
    {
        CatalogueTree &tree = window->catalogueTree();
        for (int i = 0; i < tree.itemCount(); ++i) {
            if (tree.itemText(i) == text)
                return tree.itemAt(i);
        }
        return nullptr;
    }
    bool select(const QString &text) const
    {
        for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
            c().树型框1->topLevelItem(i)->setExpanded(true);
        QTreeWidgetItem *item = find(text);
        if (!item)
            return false;
        c().树型框1->setCurrentItem(item);
        return state.currentItemName == text;
    }

    RecordingMessageService messages;
    TestWorkspace workspace;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class TestServerCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void treeAndSelectionShowTheSheet();
    void editing();
    void failedDeleteIsRolledBack();
    void sheetSaveRoundTrip();
};

void TestServerCatalogue::treeAndSelectionShowTheSheet()
{
    std::unique_ptr<RemoteServer::Lock> lock;
    QORVEX_REQUIRE_TEST_SERVER(lock);
    ServerFixture f;
    QVERIFY(f.open());
    QCOMPARE(f.c().树型框1->topLevelItemCount(), 2);
    QCOMPARE(f.c().树型框1->topLevelItem(0)->child(0)->text(0), CatalogueTree::placeholderText());
    QVERIFY(f.c().按钮_插入行->isEnabled());
    QVERIFY(f.c().按钮_高表到字节集->isEnabled());

    QVERIFY(f.select(QStringLiteral("S1")));
    QCOMPARE(f.state.currentItemId, QStringLiteral("10"));
    QCOMPARE(f.state.currentSql, QStringLiteral("select 1"));
    QCOMPARE(f.state.currentMode, QStringLiteral("记录集"));
    QCOMPARE(f.state.currentSheetBytes, QByteArray("a\tb0\r\n"));
    QVERIFY(f.c().超文本浏览框1->isHidden());
    QVERIFY(!f.c().高级表格2->isHidden());
    QCOMPARE(f.c().高级表格2->getCell(0, 1), QStringLiteral("b0"));
    QVERIFY(f.c().执行按钮->isEnabled());
    QVERIFY(!f.c().超级按钮_上移->isEnabled());
    QVERIFY(f.c().超级按钮_下移->isEnabled());
}

void TestServerCatalogue::editing()
{
    std::unique_ptr<RemoteServer::Lock> lock;
    QORVEX_REQUIRE_TEST_SERVER(lock);
    ServerFixture f;
    QVERIFY(f.open());
    CatalogueEditor &editor = f.window->catalogueEditor();

    editor.insertDirectory();
    QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("插入新目录3成功！")});
    QVERIFY(f.select(QStringLiteral("D1")));
    editor.insertStatement();
    QCOMPARE(f.messages.texts().last(), QStringLiteral("插入—D1—新事件3成功！"));
    QCOMPARE(RemoteServer::catalogueRows(),
             (QStringList{QStringLiteral("1|D1|0|1"), QStringLiteral("2|D2|0|2"), QStringLiteral("10|S1|1|1"),
                          QStringLiteral("11|S2|1|2"), QStringLiteral("12|新目录3|0|3"), QStringLiteral("13|新事件3|1|3")}));

    QVERIFY(f.select(QStringLiteral("S1")));
    editor.moveDown();
    QVERIFY(f.select(QStringLiteral("D1")));
    f.c().编辑框_事件名称->setText(QStringLiteral("it's"));
    editor.renameItem();
    QVERIFY(f.select(QStringLiteral("D2")));
    editor.deleteItem();
    QCOMPARE(RemoteServer::catalogueRows(),
             (QStringList{QStringLiteral("1|it's|0|1"), QStringLiteral("10|S1|1|2"), QStringLiteral("11|S2|1|1"),
                          QStringLiteral("12|新目录3|0|2"), QStringLiteral("13|新事件3|1|3")}));
}

void TestServerCatalogue::failedDeleteIsRolledBack()
{
    std::unique_ptr<RemoteServer::Lock> lock;
    QORVEX_REQUIRE_TEST_SERVER(lock);
    ServerFixture f;
    QVERIFY(f.open());
    QVERIFY(RemoteServer::exec(QStringLiteral(
        "CREATE FUNCTION refuse_delete() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'refused'; END $$;"
        "CREATE TRIGGER refuse BEFORE DELETE ON sql信息表 FOR EACH ROW EXECUTE FUNCTION refuse_delete();")));
    const QStringList before = RemoteServer::catalogueRows();
    QVERIFY(f.select(QStringLiteral("D1")));
    f.window->catalogueEditor().deleteItem();
    QCOMPARE(RemoteServer::catalogueRows(), before);
    // The connection is usable afterwards.
    f.window->catalogueEditor().insertDirectory();
    QCOMPARE(RemoteServer::catalogueRows().size(), before.size() + 1);
}

void TestServerCatalogue::sheetSaveRoundTrip()
{
    std::unique_ptr<RemoteServer::Lock> lock;
    QORVEX_REQUIRE_TEST_SERVER(lock);
    ServerFixture f;
    QVERIFY(f.open());
    QVERIFY(f.select(QStringLiteral("S2")));
    GridControl &grid = *f.c().高级表格2;
    grid.setCell(0, 1, QStringLiteral("第一行\r\n第二行"));
    grid.setCell(1, 1, QStringLiteral("say \"hi\""));
    f.c().按钮_插入行->click();
    QCOMPARE(grid.rowCount(), 7);
    f.c().按钮_高表到字节集->click();

    const QString stored = QStringLiteral("语句类型\t\"第一行\n第二行\"\r\n语句格式\tsay \"hi\"\r\nSQL语句\t\r\n语句说明\t\r\n"
                                          "执行语句\t\r\n练习语句\t\r\n\t\r\n");
    QCOMPARE(RemoteServer::bytes(QStringLiteral("数据集"), QStringLiteral("sql信息表 WHERE 编号=11")),
             Cp936::encode(stored));
    QVERIFY(f.select(QStringLiteral("S2")));
    QCOMPARE(grid.rowCount(), 7);
    QCOMPARE(grid.getCell(0, 1), QStringLiteral("第一行\r\n第二行"));
    QCOMPARE(grid.getCell(1, 1), QStringLiteral("say \"hi\""));
}

QTEST_MAIN(TestServerCatalogue)
#include "test_servercatalogue.moc"
