// The schema browser and the execute button on the SQL Server connection:
// the catalogue queries for tables and columns, names that need quoting,
// and the two modes that work on the server's master database.
#include "remote/RemoteServer.h"

#include "schema/SchemaBrowser.h"

#include <QTabBar>
#include <QTest>

namespace {

QStringList tabTexts(const QTabBar &strip)
{
    QStringList texts;
    for (int i = 0; i < strip.count(); ++i)
        texts.append(strip.tabText(i));
    return texts;
}

QStringList rowOf(const GridControl &grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid.columnCount(); ++column)
        cells.append(grid.getCell(row, column));
    return cells;
}

} // namespace

class TestSchemaRemote : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void listsUserTablesInServerOrder();
    void pickTable_data();
    void pickTable();
    void failedListingKeepsLastOne();
    void queryModeOnServer();
    void createRunsOnMaster();
    void renameScriptReportsEachLine();

private:
    void clickPage(int page);

    std::unique_ptr<RemoteServer::Lock> m_lock;
    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
    MainControls *m_c = nullptr;
};

void TestSchemaRemote::initTestCase()
{
    QORVEX_REQUIRE_TEST_SERVER(m_lock);
}

void TestSchemaRemote::init()
{
    QVERIFY(RemoteServer::resetFixture());
    QVERIFY(RemoteServer::exec(QStringLiteral(
        "CREATE TABLE \"my table\" (编号 integer, 名称 varchar(30), 日期 date);"
        "INSERT INTO \"my table\" VALUES (1, '笔', '2016-09-01'), (2, '纸', '2015-12-25');"
        "CREATE TABLE \"it's\" (a integer); INSERT INTO \"it's\" VALUES (7);"
        "CREATE TABLE \"select\" (\"from\" varchar(5));"
        "CREATE VIEW 视图 AS SELECT 1 AS x;")));
    RemoteServer::exec(QStringLiteral("DROP TABLE IF EXISTS t_created; DROP TABLE IF EXISTS t_script;"),
                       QStringLiteral("master"));
    m_workspace = std::make_unique<TestWorkspace>();
    m_workspace->writeConfig(
        RemoteServer::configText(RemoteServer::address(), RemoteServer::user(), RemoteServer::password()));
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
    m_window = openMainWindow(*m_state, ConnectChoice::Remote);
    QCOMPARE(m_state->sqlServerMode, 1);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_c = &m_window->controls();
    // As the selection of a statement item leaves it.
    m_c->执行按钮->setEnabled(true);
    m_messages->reset();
}

void TestSchemaRemote::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

void TestSchemaRemote::cleanupTestCase()
{
    if (!RemoteServer::address().isEmpty())
        RemoteServer::resetFixture();
}

void TestSchemaRemote::clickPage(int page)
{
    QTabBar *bar = m_c->选择夹1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCOMPARE(m_c->选择夹1->currentIndex(), page);
}

void TestSchemaRemote::listsUserTablesInServerOrder()
{
    const QStringList expected = [] {
        QStringList names;
        for (const QStringList &row : RemoteServer::rows(QStringLiteral(
                 "SELECT name FROM sysobjects WHERE xtype = 'U' ORDER BY id")))
            names.append(row.first());
        return names;
    }();
    QVERIFY(expected.contains(QStringLiteral("my table")));
    QVERIFY(!expected.contains(QStringLiteral("视图")));

    clickPage(2);
    QCOMPARE(m_state->tableNames, expected);
    QCOMPARE(tabTexts(*m_c->高级选择夹2), expected);
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 数据库中表有： %1 个").arg(expected.size()));
    QVERIFY(m_messages->shown.isEmpty());
}

void TestSchemaRemote::pickTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QList<QStringList>>("data");

    // The length is the character length, else the numeric precision, else
    // the date-time precision, else 1.
    QTest::newRow("name with a blank")
        << "my table" << QStringList{"编号", "名称", "日期"} << QStringList{"integer", "character varying", "date"}
        << QList<int>{32, 30, 0}
        << QList<QStringList>{{"编号", "名称", "日期"},
                              {"1", "笔", "2016-09-01 00:00:00"},
                              {"2", "纸", "2015-12-25 00:00:00"}};
    QTest::newRow("name with a quote") << "it's" << QStringList{"a"} << QStringList{"integer"} << QList<int>{32}
                                       << QList<QStringList>{{"a"}, {"7"}};
    QTest::newRow("reserved word") << "select" << QStringList{"from"} << QStringList{"character varying"}
                                   << QList<int>{5} << QList<QStringList>{{"from"}};
}

void TestSchemaRemote::pickTable()
{
    QFETCH(QString, table);
    QFETCH(QStringList, names);
    QFETCH(QStringList, types);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<QStringList>, data);

    clickPage(2);
    const int k = m_state->tableNames.indexOf(table);
    QVERIFY(k >= 0);
    emit m_c->高级选择夹2->tabBarClicked(k);

    QCOMPARE(m_state->currentTableName, table);
    QCOMPARE(m_state->columnNames, names);
    QCOMPARE(m_state->columnTypes, types);
    QCOMPARE(m_state->columnLengths, lengths);
    QCOMPARE(m_c->高级表格3->rowCount(), names.size() + 1);
    QCOMPARE(m_c->高级表格3->getCell(1, 0), names.first());
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 现在数据表为： ") + table);
    QCOMPARE(m_c->状态条1->partText(1), QStringLiteral(" 共有： %1条记录！").arg(data.size() - 1));
    QCOMPARE(m_c->高级表格4->rowCount(), data.size());
    for (int row = 0; row < data.size(); ++row)
        QCOMPARE(rowOf(*m_c->高级表格4, row), data.at(row));
    QVERIFY(m_messages->shown.isEmpty());
}

void TestSchemaRemote::failedListingKeepsLastOne()
{
    clickPage(2);
    const QStringList before = tabTexts(*m_c->高级选择夹2);
    QVERIFY(RemoteServer::exec(QStringLiteral("DROP VIEW sysobjects")));
    clickPage(2);
    QCOMPARE(tabTexts(*m_c->高级选择夹2), before);
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 数据库中表有： %1 个").arg(before.size()));
}

void TestSchemaRemote::queryModeOnServer()
{
    m_state->currentItemName = QStringLiteral("查询");
    m_state->currentMode = QStringLiteral("记录集");
    m_c->setStatementText(QStringLiteral("SELECT * FROM \"my table\" ORDER BY 编号"));
    m_c->执行按钮->click();
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 2 条"));
    // The driver reports a date column by another code than 7, so its full
    // text stays.
    QCOMPARE(rowOf(*m_c->高级表格1, 1), QStringList({"1", "笔", "2016-09-01 00:00:00"}));
}

void TestSchemaRemote::createRunsOnMaster()
{
    m_state->serverAddress = RemoteServer::address();
    m_state->currentMode = QStringLiteral("创建");
    m_c->setStatementText(QStringLiteral("CREATE TABLE t_created (x integer)"));
    m_c->执行按钮->click();
    QVERIFY(m_messages->shown.isEmpty());
    QVERIFY(m_c->数据库连接1->isOpen());
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = 't_created'"),
                                 QStringLiteral("master")),
             QStringLiteral("1"));
    // Not on the program's own database.
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = 't_created'")),
             QStringLiteral("0"));
}

void TestSchemaRemote::renameScriptReportsEachLine()
{
    m_state->serverAddress = RemoteServer::address();
    m_state->currentMode = QStringLiteral("数据库改名");
    m_state->currentSql = QStringLiteral("CREATE TABLE t_script (x integer)\r\nNOT SQL\r\nINSERT INTO t_script VALUES (1)\r\n");
    m_c->setStatementText(QStringLiteral("SELECT 1"));
    m_c->执行按钮->click();
    QCOMPARE(m_messages->texts(),
             QStringList({"执行语句[CREATE TABLE t_script (x integer)]成功!", "执行语句[NOT SQL]失败!请检查库是否存在.",
                          "执行语句[INSERT INTO t_script VALUES (1)]成功!"}));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::Information);
    QCOMPARE(m_messages->shown[1].icon, MessageService::Icon::None);
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT count(*) FROM t_script"), QStringLiteral("master")),
             QStringLiteral("1"));
}

QTEST_MAIN(TestSchemaRemote)
#include "test_schema_remote.moc"
