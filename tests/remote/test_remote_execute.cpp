// The execute button in SQL Server mode, on catalogue items of every mode:
// queries fill the result grid from the server, commands change the
// server's tables, and "创建" and "数据库改名" work on the server's master
// database through the second connection.
#include "RemoteServer.h"

#include "catalogue/CatalogueTree.h"

#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kCatalogue = QStringLiteral(
    "INSERT INTO sql信息表 (编号, 事件, 父编号, 级别, SQL语句, 执行方式) VALUES "
    "(1, '执行', 0, 1, NULL, NULL), "
    "(11, '查全部', 1, 1, 'SELECT * FROM 人员信息表', '记录集'), "
    "(12, '查不到', 1, 2, 'SELECT 姓名, 工资 FROM 人员信息表 WHERE 编号 < 0', '记录集'), "
    "(13, '错的查询', 1, 3, 'SELECT * FROM 没有的表', '记录集'), "
    "(14, '建表', 1, 4, 'CREATE TABLE 练习表 (编号 int, 名称 varchar(20))', '数据库连接'), "
    "(15, '错的命令', 1, 5, 'DROP TABLE 没有的表', '数据库连接'), "
    "(16, '建库', 1, 6, 'CREATE DATABASE qorvex_e2e_a', '创建'), "
    "(17, '改库名', 1, 7, 'ALTER DATABASE qorvex_e2e_a RENAME TO qorvex_e2e_b' || chr(13) || chr(10) || "
    "'ALTER DATABASE qorvex_e2e_none RENAME TO qorvex_e2e_c' || chr(13) || chr(10), '数据库改名');");

/// The practice databases this test creates on the server, gone.
bool dropTestDatabases()
{
    bool ok = true;
    for (const char *name : {"qorvex_e2e_a", "qorvex_e2e_b", "qorvex_e2e_c"})
        ok = RemoteServer::exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(QLatin1String(name)),
                                QStringLiteral("postgres"))
             && ok;
    return ok;
}

QStringList databases()
{
    QStringList names;
    for (const QStringList &row : RemoteServer::rows(
             QStringLiteral("SELECT datname FROM pg_database WHERE datname LIKE 'qorvex_e2e_%' ORDER BY datname"),
             QStringLiteral("master")))
        names.append(row.first());
    return names;
}

/// Every cell of a grid, row by row, cells joined by " | ".
QStringList gridRows(const GridControl &grid)
{
    QStringList rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int col = 0; col < grid.columnCount(); ++col)
            cells.append(grid.getCell(r, col));
        rows.append(cells.join(QStringLiteral(" | ")));
    }
    return rows;
}

/// What the local file's grid looks like when its rows come from the
/// server. The local file's date columns report ADO's date type and show the
/// shortened date (1982-3-14, and 100-1-1 for NULL); the server's datetime
/// columns report a timestamp, which shows the full text of the value
/// (1982-03-14 00:00:00, empty for NULL). Everything else reads the same.
QStringList serverForm(const QStringList &localRows)
{
    static const QRegularExpression shortDate(QStringLiteral("^(\\d{3,4})-(\\d{1,2})-(\\d{1,2})$"));
    QStringList out;
    for (const QString &row : localRows) {
        QStringList cells = row.split(QStringLiteral(" | "));
        for (QString &cell : cells) {
            const QRegularExpressionMatch m = shortDate.match(cell);
            if (!m.hasMatch())
                continue;
            if (cell == QStringLiteral("100-1-1"))
                cell.clear();
            else
                cell = QStringLiteral("%1-%2-%3 00:00:00")
                           .arg(m.captured(1))
                           .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0'))
                           .arg(m.captured(3).toInt(), 2, 10, QLatin1Char('0'));
        }
        out.append(cells.join(QStringLiteral(" | ")));
    }
    return out;
}

} // namespace

class TestRemoteExecute : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void queryShowsServerRecords();
    void queryMatchesLocalFile();
    void queryWithoutRecords();
    void queryThatFails();
    void commandChangesServer();
    void commandThatFails();
    void createOnMaster();
    void renameOnMasterRunsStoredLines();

private:
    void openRemote();
    bool select(const QString &text);
    MainControls &c() { return m_window->controls(); }

    std::unique_ptr<RemoteServer::Lock> m_lock;
    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void TestRemoteExecute::initTestCase()
{
    QORVEX_REQUIRE_TEST_SERVER(m_lock);
    QVERIFY(RemoteServer::resetFixture());
    QVERIFY(RemoteServer::setCatalogue(kCatalogue));
}

void TestRemoteExecute::init()
{
    QVERIFY(dropTestDatabases());
    QVERIFY(RemoteServer::exec(QStringLiteral("DROP TABLE IF EXISTS 练习表")));
    m_workspace = std::make_unique<TestWorkspace>();
    m_workspace->writeConfig(RemoteServer::configText(RemoteServer::address(), RemoteServer::user(),
                                                      RemoteServer::password()));
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
}

void TestRemoteExecute::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

void TestRemoteExecute::cleanupTestCase()
{
    if (!m_lock)
        return;
    dropTestDatabases();
    RemoteServer::resetFixture();
}

void TestRemoteExecute::openRemote()
{
    m_window = openMainWindow(*m_state, ConnectChoice::Remote);
    QCOMPARE(m_state->sqlServerMode, 1);
    m_window->show();
    m_messages->reset();
}

bool TestRemoteExecute::select(const QString &text)
{
    for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
        c().树型框1->topLevelItem(i)->setExpanded(true);
    CatalogueTree &tree = m_window->catalogueTree();
    for (int i = 0; i < tree.itemCount(); ++i) {
        if (tree.itemText(i) == text) {
            c().树型框1->setCurrentItem(tree.itemAt(i));
            return m_state->currentItemName == text;
        }
    }
    return false;
}

void TestRemoteExecute::queryShowsServerRecords()
{
    // A row only the server has shows the records come from it.
    QVERIFY(RemoteServer::exec(QStringLiteral("INSERT INTO 人员信息表 (编号, 姓名) VALUES (1000, '服务器上的人')")));
    const int count = RemoteServer::value(QStringLiteral("SELECT count(*) FROM 人员信息表")).toInt();
    const int columns = RemoteServer::value(
        QStringLiteral("SELECT count(*) FROM information_schema.columns WHERE table_name = '人员信息表'")).toInt();
    openRemote();
    QVERIFY(select(QStringLiteral("查全部")));
    c().执行按钮->click();

    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(c().状态条1->partText(0), QStringLiteral(" 符合条件的记录有： %1 条").arg(count));
    QCOMPARE(c().选择夹1->currentIndex(), 0);
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("SELECT * FROM 人员信息表"));
    const GridControl &grid = *c().高级表格1;
    QCOMPARE(grid.rowCount(), count + 1);
    QCOMPARE(grid.columnCount(), columns);
    QCOMPARE(grid.getCell(0, 1), QStringLiteral("姓名"));
    QCOMPARE(grid.getCell(count, 1), QStringLiteral("服务器上的人"));
    QVERIFY(RemoteServer::exec(QStringLiteral("DELETE FROM 人员信息表 WHERE 编号 = 1000")));
}

void TestRemoteExecute::queryMatchesLocalFile()
{
    // The server holds the rows of the local file: the same query renders
    // the same grid in both modes.
    const QString sql = QStringLiteral("SELECT * FROM 人员信息表 ORDER BY 编号");
    QStringList local;
    {
        ProgramState state;
        auto window = openMainWindow(state, ConnectChoice::Local);
        QCOMPARE(state.accessMode, 1);
        state.currentItemName = QStringLiteral("查全部");
        state.currentMode = QStringLiteral("记录集");
        window->controls().setStatementText(sql);
        window->controls().执行按钮->click();
        local = gridRows(*window->controls().高级表格1);
    }
    openRemote();
    m_state->currentItemName = QStringLiteral("查全部");
    m_state->currentMode = QStringLiteral("记录集");
    c().setStatementText(sql);
    c().执行按钮->click();
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(gridRows(*c().高级表格1), serverForm(local));
}

void TestRemoteExecute::queryWithoutRecords()
{
    openRemote();
    QVERIFY(select(QStringLiteral("查不到")));
    c().执行按钮->click();

    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(c().状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 0 条"));
    QCOMPARE(gridRows(*c().高级表格1), QStringList{QStringLiteral("姓名 | 工资")});
}

void TestRemoteExecute::queryThatFails()
{
    openRemote();
    QVERIFY(select(QStringLiteral("错的查询")));
    c().状态条1->setPartText(0, QStringLiteral("之前"));
    c().执行按钮->click();

    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("错的查询_执行失败！")});
    QCOMPARE(c().状态条1->partText(0), QStringLiteral("之前"));
    QCOMPARE(c().选择夹1->currentIndex(), 0);
}

void TestRemoteExecute::commandChangesServer()
{
    openRemote();
    QVERIFY(select(QStringLiteral("建表")));
    c().执行按钮->click();

    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("建表_执行成功！")});
    QCOMPARE(m_messages->shown.first().icon, MessageService::Icon::Information);
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = '练习表'")),
             QStringLiteral("1"));
    QCOMPARE(c().高级表格1->rowCount(), 1);
    QCOMPARE(c().选择夹1->currentIndex(), 0);

    // The same command again fails: the table exists now.
    m_messages->reset();
    c().选择夹1->setCurrentIndex(2);
    c().执行按钮->click();
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("建表_执行失败！数据表是否存在？")});
    QCOMPARE(c().选择夹1->currentIndex(), 2);
}

void TestRemoteExecute::commandThatFails()
{
    openRemote();
    QVERIFY(select(QStringLiteral("错的命令")));
    c().执行按钮->click();

    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("错的命令_执行失败！数据表是否存在？")});
    QCOMPARE(m_messages->shown.first().icon, MessageService::Icon::Information);
    // The page of the selection stays in front.
    QCOMPARE(c().选择夹1->currentIndex(), 1);
}

void TestRemoteExecute::createOnMaster()
{
    openRemote();
    QVERIFY(select(QStringLiteral("建库")));
    c().执行按钮->click();

    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(databases(), QStringList{QStringLiteral("qorvex_e2e_a")});
    QVERIFY(c().数据库连接1->isOpen());
    QCOMPARE(c().选择夹1->currentIndex(), 0);
}

void TestRemoteExecute::renameOnMasterRunsStoredLines()
{
    QVERIFY(RemoteServer::exec(QStringLiteral("CREATE DATABASE qorvex_e2e_a"), QStringLiteral("master")));
    openRemote();
    QVERIFY(select(QStringLiteral("改库名")));
    // An unsaved edit of the editor does not count: the stored lines run.
    c().编辑框_执行语句->setPlainText(QStringLiteral("SELECT 1"));
    c().执行按钮->click();

    QCOMPARE(m_messages->texts(),
             (QStringList{QStringLiteral("执行语句[ALTER DATABASE qorvex_e2e_a RENAME TO qorvex_e2e_b]成功!"),
                          QStringLiteral("执行语句[ALTER DATABASE qorvex_e2e_none RENAME TO qorvex_e2e_c]失败!请检查库是否存在.")}));
    QCOMPARE(m_messages->shown.at(0).icon, MessageService::Icon::Information);
    QCOMPARE(m_messages->shown.at(1).icon, MessageService::Icon::None);
    QCOMPARE(databases(), QStringList{QStringLiteral("qorvex_e2e_b")});
    QCOMPARE(c().选择夹1->currentIndex(), 0);
}

QTEST_MAIN(TestRemoteExecute)
#include "test_remote_execute.moc"
