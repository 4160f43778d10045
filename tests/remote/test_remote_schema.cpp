// The schema browser in SQL Server mode: page "数据表" lists the server's
// user tables (not its views) by the sysobjects query, a table's tab shows
// its columns from information_schema in column order and its records, and
// page "查询显示" queries 人员信息表 from the server.
//
// The stand-in server is PostgreSQL: its type names are its own
// ("integer", "character varying", "timestamp without time zone") and its
// numeric precisions are binary for integers and floats (32, 53) where SQL
// Server says "int", "nvarchar", "datetime" and 10, 53. The expected
// columns are therefore read from the server's own catalogue.
#include "RemoteServer.h"

#include <QTabBar>
#include <QTest>

namespace {

void clickTab(QTabBar *bar, int index)
{
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QStringList tabTexts(const QTabBar *bar)
{
    QStringList texts;
    for (int i = 0; i < bar->count(); ++i)
        texts.append(bar->tabText(i));
    return texts;
}

/// The user tables of the practice file, in the order they were created:
/// the server holds the same tables, created in that order.
QStringList bundledTables()
{
    QStringList names;
    for (const QStringList &row :
         TestDb::rows(QString::fromUtf8(QORVEX_GENERATED_DB),
                      QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                                     "ORDER BY rowid")))
        names.append(row.first());
    return names;
}

} // namespace

class TestRemoteSchema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tablesPageListsUserTables();
    void tableTabShowsColumnsAndData();
    void peoplePageQueriesServer();

private:
    MainControls &c() { return m_window->controls(); }
    void clickPage(int page) { clickTab(c().选择夹1->tabBar(), page); }

    std::unique_ptr<RemoteServer::Lock> m_lock;
    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void TestRemoteSchema::initTestCase()
{
    QORVEX_REQUIRE_TEST_SERVER(m_lock);
}

void TestRemoteSchema::init()
{
    QVERIFY(RemoteServer::resetFixture());
    m_workspace = std::make_unique<TestWorkspace>();
    m_workspace->writeConfig(RemoteServer::configText(RemoteServer::address(), RemoteServer::user(),
                                                      RemoteServer::password()));
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
    m_window = openMainWindow(*m_state, ConnectChoice::Remote);
    QCOMPARE(m_state->sqlServerMode, 1);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_messages->reset();
}

void TestRemoteSchema::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

void TestRemoteSchema::tablesPageListsUserTables()
{
    // A view and a later table: only the table is listed, last.
    QVERIFY(RemoteServer::exec(QStringLiteral("CREATE VIEW 在职人员 AS SELECT 姓名 FROM 人员信息表 WHERE 在职; "
                                              "CREATE TABLE 后建表 (编号 int)")));
    QStringList expected = bundledTables();
    QVERIFY(expected.contains(QStringLiteral("人员信息表")));
    expected.append(QStringLiteral("后建表"));

    clickPage(2);
    QCOMPARE(c().选择夹1->currentIndex(), 2);
    QCOMPARE(m_state->tableNames, expected);
    QCOMPARE(tabTexts(c().高级选择夹2), expected);
    QCOMPARE(c().状态条1->partText(0), QStringLiteral(" 数据库中表有： %1 个").arg(expected.size()));
    QVERIFY(m_messages->shown.isEmpty());

    // The next click on the page lists afresh.
    QVERIFY(RemoteServer::exec(QStringLiteral("DROP TABLE 后建表")));
    clickPage(2);
    expected.removeLast();
    QCOMPARE(tabTexts(c().高级选择夹2), expected);
}

void TestRemoteSchema::tableTabShowsColumnsAndData()
{
    clickPage(2);
    const int index = m_state->tableNames.indexOf(QStringLiteral("人员信息表"));
    QVERIFY(index >= 0);
    clickTab(c().高级选择夹2, index);

    QCOMPARE(m_state->currentTableName, QStringLiteral("人员信息表"));
    QCOMPARE(c().状态条1->partText(0), QStringLiteral(" 现在数据表为： 人员信息表"));

    // Column order, type names and lengths as the server's catalogue has them.
    const QList<QStringList> columns = RemoteServer::rows(QStringLiteral(
        "SELECT column_name, data_type, "
        "coalesce(character_maximum_length, numeric_precision, datetime_precision, 1) "
        "FROM information_schema.columns_unordered WHERE table_name = '人员信息表' ORDER BY ordinal_position"));
    QVERIFY(columns.size() >= 5);
    const GridControl &grid3 = *c().高级表格3;
    QCOMPARE(grid3.rowCount(), columns.size() + 1);
    QCOMPARE(grid3.getCell(0, 0), QStringLiteral("字段名"));
    QCOMPARE(grid3.getCell(0, 1), QStringLiteral("字段类型"));
    QCOMPARE(grid3.getCell(0, 2), QStringLiteral("字段长度"));
    for (int i = 0; i < columns.size(); ++i) {
        QCOMPARE(grid3.getCell(i + 1, 0), columns.at(i).at(0));
        QCOMPARE(grid3.getCell(i + 1, 1), columns.at(i).at(1));
        QCOMPARE(grid3.getCell(i + 1, 2), columns.at(i).at(2));
    }
    // A text column's length is its declared size.
    QCOMPARE(grid3.getCell(2, 0), QStringLiteral("姓名"));
    QCOMPARE(grid3.getCell(2, 2), QStringLiteral("20"));
    QCOMPARE(m_state->columnLengths.size(), columns.size());

    const int count = RemoteServer::value(QStringLiteral("SELECT count(*) FROM 人员信息表")).toInt();
    QVERIFY(count > 0);
    QVERIFY(c().高级表格4->isVisible());
    QCOMPARE(c().高级表格4->rowCount(), count + 1);
    QCOMPARE(c().高级表格4->getCell(0, 1), QStringLiteral("姓名"));
    QCOMPARE(c().状态条1->partText(1), QStringLiteral(" 共有： %1条记录！").arg(count));
    QVERIFY(m_messages->shown.isEmpty());
}

void TestRemoteSchema::peoplePageQueriesServer()
{
    QVERIFY(RemoteServer::exec(QStringLiteral("INSERT INTO 人员信息表 (编号, 姓名) VALUES (1000, '服务器上的人')")));
    const int count = RemoteServer::value(QStringLiteral("SELECT count(*) FROM 人员信息表")).toInt();
    c().状态条1->setPartText(0, QStringLiteral("之前"));
    clickPage(1);
    clickPage(0);

    const GridControl &grid = *c().高级表格1;
    QCOMPARE(grid.rowCount(), count + 1);
    QCOMPARE(grid.getCell(count, 1), QStringLiteral("服务器上的人"));
    QCOMPARE(c().状态条1->partText(0), QStringLiteral("之前"));
    QVERIFY(m_state->lastQuerySql.isEmpty());
}

QTEST_MAIN(TestRemoteSchema)
#include "test_remote_schema.moc"
