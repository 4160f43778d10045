// The catalogue in SQL Server mode: the tree is read from the server's
// sql信息表, and every editing button changes the server's rows as it does
// the local file's.
#include "RemoteServer.h"

#include "catalogue/CatalogueTree.h"

#include <QAbstractButton>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kCatalogue = QStringLiteral(
    "INSERT INTO sql信息表 (编号, 事件, 父编号, 级别, SQL语句, 执行方式) VALUES "
    "(1, '目录一', 0, 1, NULL, NULL), (2, '目录二', 0, 2, NULL, NULL), (3, '目录三', 0, 3, NULL, NULL), "
    "(11, '语句甲', 1, 1, 'SELECT 1', '记录集'), (12, '语句乙', 1, 2, 'SELECT 2', '记录集'), "
    "(13, '语句丙', 1, 3, 'SELECT 3', '记录集'), (21, '语句丁', 2, 1, 'SELECT 4', '记录集');");

const QStringList kRows{
    QStringLiteral("1|目录一|0|1"),  QStringLiteral("2|目录二|0|2"),  QStringLiteral("3|目录三|0|3"),
    QStringLiteral("11|语句甲|1|1"), QStringLiteral("12|语句乙|1|2"), QStringLiteral("13|语句丙|1|3"),
    QStringLiteral("21|语句丁|2|1")};

/// kRows with some rows replaced ("编号|..." keyed by 编号), removed (value
/// empty) or added.
QStringList rowsWith(const QMap<int, QString> &changes)
{
    QMap<int, QString> rows;
    for (const QString &row : kRows)
        rows.insert(row.section(QLatin1Char('|'), 0, 0).toInt(), row);
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isEmpty())
            rows.remove(it.key());
        else
            rows.insert(it.key(), it.value());
    }
    return rows.values();
}

} // namespace

class TestRemoteCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void treeFromServer();
    void editingButtons_data();
    void editingButtons();
    void saveSqlAndMode();

private:
    bool select(const QString &text);
    void expandAll();
    QStringList childTexts(const QString &directory) const;
    MainControls &c() { return m_window->controls(); }

    std::unique_ptr<RemoteServer::Lock> m_lock;
    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void TestRemoteCatalogue::initTestCase()
{
    QORVEX_REQUIRE_TEST_SERVER(m_lock);
    QVERIFY(RemoteServer::resetFixture());
}

void TestRemoteCatalogue::init()
{
    QVERIFY(RemoteServer::setCatalogue(kCatalogue));
    m_workspace = std::make_unique<TestWorkspace>();
    m_workspace->writeConfig(RemoteServer::configText(RemoteServer::address(), RemoteServer::user(),
                                                      RemoteServer::password()));
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
    m_window = openMainWindow(*m_state, ConnectChoice::Remote);
    QCOMPARE(m_state->sqlServerMode, 1);
    m_window->show();
    m_messages->reset();
}

void TestRemoteCatalogue::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

void TestRemoteCatalogue::expandAll()
{
    for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
        c().树型框1->topLevelItem(i)->setExpanded(true);
}

bool TestRemoteCatalogue::select(const QString &text)
{
    expandAll();
    CatalogueTree &tree = m_window->catalogueTree();
    for (int i = 0; i < tree.itemCount(); ++i) {
        if (tree.itemText(i) == text) {
            c().树型框1->setCurrentItem(tree.itemAt(i));
            return m_state->currentItemName == text;
        }
    }
    return false;
}

QStringList TestRemoteCatalogue::childTexts(const QString &directory) const
{
    QStringList out;
    for (int i = 0; i < m_window->controls().树型框1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_window->controls().树型框1->topLevelItem(i);
        if (item->text(0) != directory)
            continue;
        for (int j = 0; j < item->childCount(); ++j)
            out.append(item->child(j)->text(0));
    }
    return out;
}

void TestRemoteCatalogue::treeFromServer()
{
    QTreeWidget *tree = c().树型框1;
    QCOMPARE(tree->topLevelItemCount(), 3);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("目录一"));
    QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("目录三"));
    // Directories with statements wait with a placeholder; the empty one has none.
    QCOMPARE(childTexts(QStringLiteral("目录一")), QStringList{CatalogueTree::placeholderText()});
    QCOMPARE(childTexts(QStringLiteral("目录三")), QStringList());

    tree->topLevelItem(0)->setExpanded(true);
    QCOMPARE(childTexts(QStringLiteral("目录一")),
             (QStringList{QStringLiteral("语句甲"), QStringLiteral("语句乙"), QStringLiteral("语句丙")}));
    QCOMPARE(m_window->catalogueTree().itemValue(2), 12);

    // A statement added on the server while the directory is collapsed shows
    // at the next expansion.
    tree->topLevelItem(0)->setExpanded(false);
    QVERIFY(RemoteServer::exec(QStringLiteral("INSERT INTO sql信息表 (编号, 事件, 父编号, 级别) VALUES (14, '语句戊', 1, 4)")));
    tree->topLevelItem(0)->setExpanded(true);
    QCOMPARE(childTexts(QStringLiteral("目录一")).last(), QStringLiteral("语句戊"));
}

void TestRemoteCatalogue::editingButtons_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("messages");

    const QString deleteQuestion = QStringLiteral("注意!将删除该目录及其子目录！删除后不可恢复！您真的要删除吗？");
    QTest::newRow("insert directory")
        << QString() << QString() << QStringLiteral("超级按钮_插入目录")
        << rowsWith({{22, QStringLiteral("22|新目录4|0|4")}}) << QStringList{QStringLiteral("插入新目录4成功！")};
    QTest::newRow("insert statement")
        << QStringLiteral("目录二") << QString() << QStringLiteral("超级按钮_插入子目录")
        << rowsWith({{22, QStringLiteral("22|新事件2|2|2")}})
        << QStringList{QStringLiteral("插入—目录二—新事件2成功！")};
    QTest::newRow("delete directory with its statements")
        << QStringLiteral("目录一") << QString() << QStringLiteral("超级按钮_删除")
        << rowsWith({{1, {}}, {11, {}}, {12, {}}, {13, {}}, {2, QStringLiteral("2|目录二|0|1")},
                     {3, QStringLiteral("3|目录三|0|2")}})
        << QStringList{deleteQuestion};
    // The renumbering touches no row here; ODBC answers such an UPDATE with
    // SQL_NO_DATA, which is success.
    QTest::newRow("delete last directory")
        << QStringLiteral("目录三") << QString() << QStringLiteral("超级按钮_删除") << rowsWith({{3, {}}})
        << QStringList{deleteQuestion};
    QTest::newRow("delete statement")
        << QStringLiteral("语句乙") << QString() << QStringLiteral("超级按钮_删除")
        << rowsWith({{12, {}}, {13, QStringLiteral("13|语句丙|1|2")}}) << QStringList{deleteQuestion};
    QTest::newRow("move directory down")
        << QStringLiteral("目录一") << QString() << QStringLiteral("超级按钮_下移")
        << rowsWith({{1, QStringLiteral("1|目录一|0|2")}, {2, QStringLiteral("2|目录二|0|1")}}) << QStringList();
    QTest::newRow("move statement up")
        << QStringLiteral("语句丙") << QString() << QStringLiteral("超级按钮_上移")
        << rowsWith({{12, QStringLiteral("12|语句乙|1|3")}, {13, QStringLiteral("13|语句丙|1|2")}}) << QStringList();
    QTest::newRow("rename with a quote")
        << QStringLiteral("语句甲") << QStringLiteral("it's 甲") << QStringLiteral("按钮_修改事件")
        << rowsWith({{11, QStringLiteral("11|it's 甲|1|1")}}) << QStringList();
}

void TestRemoteCatalogue::editingButtons()
{
    QFETCH(QString, selected);
    QFETCH(QString, newName);
    QFETCH(QString, button);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, messages);

    if (!selected.isEmpty())
        QVERIFY(select(selected));
    if (!newName.isNull())
        c().编辑框_事件名称->setText(newName);
    auto *target = m_window->findChild<QAbstractButton *>(button);
    QVERIFY(target);
    QVERIFY(target->isEnabled());
    m_messages->reset();
    target->click();

    QCOMPARE(RemoteServer::catalogueRows(), rows);
    QCOMPARE(m_messages->texts(), messages);
    // The tree was reloaded from the server: its top level follows the rows.
    QStringList expectedTop;
    for (const QStringList &row :
         RemoteServer::rows(QStringLiteral("SELECT 事件 FROM sql信息表 WHERE 父编号 = 0 ORDER BY 级别")))
        expectedTop.append(row.first());
    QStringList top;
    for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
        top.append(c().树型框1->topLevelItem(i)->text(0));
    QCOMPARE(top, expectedTop);
}

void TestRemoteCatalogue::saveSqlAndMode()
{
    QVERIFY(select(QStringLiteral("语句甲")));
    // Lines of the editor are stored with CR LF, quotes doubled in the SQL.
    c().编辑框_执行语句->setPlainText(QStringLiteral("SELECT '它''s', 姓名\nFROM 人员信息表"));
    c().按钮_修改命令->click();
    c().编辑框_执行方式->setText(QStringLiteral("数据库连接"));
    c().按钮_修改执行方式->click();

    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT encode(convert_to(SQL语句, 'UTF8'), 'hex') FROM sql信息表 WHERE 编号 = 11")),
             QString::fromLatin1(QStringLiteral("SELECT '它''s', 姓名\r\nFROM 人员信息表").toUtf8().toHex()));
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT 执行方式 FROM sql信息表 WHERE 编号 = 11")),
             QStringLiteral("数据库连接"));
    QCOMPARE(RemoteServer::catalogueRows(), kRows);
    QVERIFY(m_messages->shown.isEmpty());
}

QTEST_MAIN(TestRemoteCatalogue)
#include "test_remote_catalogue.moc"
