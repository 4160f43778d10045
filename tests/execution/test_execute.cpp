// The execute button on a real main window and practice file: every mode,
// its messages, the status text and the page switch.
#include "support/TestSupport.h"

#include "components/data/DatabaseConnection.h"
#include "execution/StatementExecutor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

namespace {

// No driver can reach it: neither FreeTDS nor a libpq-based driver (which
// would read "host,port" as a list of hosts) takes "host:port" as a server.
const QString unreachableServer = QStringLiteral("127.0.0.1:1");

} // namespace

class TestExecute : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void queryFillsGridAndStatus();
    void querySelectedInTree();
    void queryWithoutRecords();
    void queryThatFails();
    void queryRunsOnce();
    void emptyEditor_data();
    void emptyEditor();
    void unmatchedMode_data();
    void unmatchedMode();
    void commandSucceeds();
    void commandFails();
    void createOnUnreachableServer();
    void renameScriptLines_data();
    void renameScriptLines();
    void scriptLines_data();
    void scriptLines();

private:
    void select(const QString &mode, const QString &editorText, const QString &storedSql = QString());
    void click();
    QString db(const QString &sql) const { return TestDb::value(m_workspace->databasePath(), sql); }

    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
    MainControls *m_c = nullptr;
};

void TestExecute::init()
{
    m_workspace = std::make_unique<TestWorkspace>();
    QString setup = QStringLiteral("CREATE TABLE 成绩 (学号 INTEGER, 分数 REAL, 姓名 VARCHAR(20));");
    for (int i = 1; i <= 12; ++i)
        setup += QStringLiteral("INSERT INTO 成绩 VALUES (%1, %1.5, '学生%1');").arg(i);
    setup += QStringLiteral("CREATE TABLE log (x INTEGER);");
    QVERIFY(TestDb::exec(m_workspace->databasePath(), setup));
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
    m_window = openMainWindow(*m_state, ConnectChoice::Local);
    QCOMPARE(m_state->accessMode, 1);
    m_window->show();
    m_c = &m_window->controls();
    m_messages->reset();
}

void TestExecute::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

void TestExecute::select(const QString &mode, const QString &editorText, const QString &storedSql)
{
    m_state->currentItemName = QStringLiteral("例子");
    m_state->currentMode = mode;
    m_state->currentSql = storedSql.isNull() ? editorText : storedSql;
    m_c->setStatementText(editorText);
    // As the selection of a statement item leaves it.
    m_c->执行按钮->setEnabled(true);
    // Start away from page 0 so the switch shows.
    m_c->选择夹1->setCurrentIndex(2);
}

void TestExecute::click()
{
    m_c->执行按钮->click();
}

void TestExecute::queryFillsGridAndStatus()
{
    // The editor's text runs, not the stored one.
    select(QStringLiteral("记录集"), QStringLiteral("SELECT 学号, 分数, 姓名\nFROM 成绩"), QStringLiteral("SELECT 1"));
    click();

    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("SELECT 学号, 分数, 姓名\r\nFROM 成绩"));
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 12 条"));
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
    GridControl &grid = *m_c->高级表格1;
    QCOMPARE(grid.rowCount(), 13);
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.getCell(0, 2), QStringLiteral("姓名"));
    QCOMPARE(grid.getCell(12, 0), QStringLiteral("12"));
    QCOMPARE(grid.getCell(12, 1), QStringLiteral("12.5"));
    QCOMPARE(grid.cursorRow(), 1);
    QVERIFY(!grid.isHidden());
    QCOMPARE(grid.backColour(1, 2), 0xFFA8FFu);
    QCOMPARE(grid.backColour(12, 0), 0xECECECu);
    QCOMPARE(grid.y(), 27);
    QCOMPARE(grid.height(), m_window->height() - 148);
}

void TestExecute::querySelectedInTree()
{
    const QString path = m_workspace->databasePath();
    const QList<QStringList> items = TestDb::rows(path, QStringLiteral(
        "SELECT 事件, 父编号, SQL语句 FROM sql信息表 WHERE 执行方式 = '记录集' AND 父编号 <> 0 "
        "AND SQL语句 LIKE 'SELECT%' ORDER BY 编号 LIMIT 1"));
    QCOMPARE(items.size(), 1);
    const QString name = items[0][0];
    const int parentId = items[0][1].toInt();
    const int expectedCount = int(TestDb::rows(path, items[0][2]).size());

    QTreeWidget *tree = m_c->树型框1;
    QTreeWidgetItem *directory = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && !directory; ++i) {
        if (tree->topLevelItem(i)->data(0, Qt::UserRole).toInt() == parentId)
            directory = tree->topLevelItem(i);
    }
    QVERIFY(directory);
    directory->setExpanded(true);
    QTreeWidgetItem *statement = nullptr;
    for (int i = 0; i < directory->childCount() && !statement; ++i) {
        if (directory->child(i)->text(0) == name)
            statement = directory->child(i);
    }
    QVERIFY(statement);
    tree->setCurrentItem(statement);
    QCOMPARE(m_state->currentMode, QStringLiteral("记录集"));
    QVERIFY(m_c->执行按钮->isEnabled());
    QCOMPARE(m_c->选择夹1->currentIndex(), 1);

    QTest::mouseClick(m_c->执行按钮, Qt::LeftButton);
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_state->lastQuerySql, m_c->statementText());
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 符合条件的记录有： %1 条").arg(expectedCount));
    QCOMPARE(m_c->高级表格1->rowCount(), expectedCount + 1);
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
}

void TestExecute::queryWithoutRecords()
{
    select(QStringLiteral("记录集"), QStringLiteral("SELECT 学号, 姓名 FROM 成绩 WHERE 学号 > 100"));
    click();
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 0 条"));
    QCOMPARE(m_c->高级表格1->rowCount(), 1);
    QCOMPARE(m_c->高级表格1->getCell(0, 1), QStringLiteral("姓名"));
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
}

void TestExecute::queryThatFails()
{
    select(QStringLiteral("记录集"), QStringLiteral("SELECT 学号 FROM 成绩 WHERE 学号 <= 2"));
    click();
    QCOMPARE(m_c->高级表格1->rowCount(), 3);

    select(QStringLiteral("记录集"), QStringLiteral("SELECT * FROM 不存在的表"));
    click();
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown[0].text, QStringLiteral("例子_执行失败！"));
    QCOMPARE(m_messages->shown[0].caption, QStringLiteral("信息："));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::None);
    // Cells and status bar keep what they had; the page still switches.
    QCOMPARE(m_c->高级表格1->rowCount(), 3);
    QCOMPARE(m_c->高级表格1->getCell(2, 0), QStringLiteral("2"));
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 2 条"));
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("SELECT * FROM 不存在的表"));
}

void TestExecute::queryRunsOnce()
{
    select(QStringLiteral("记录集"), QStringLiteral("INSERT INTO log (x) VALUES (7) RETURNING x"));
    click();
    QCOMPARE(db(QStringLiteral("SELECT COUNT(*) FROM log")), QStringLiteral("1"));
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 1 条"));
    QCOMPARE(m_c->高级表格1->getCell(1, 0), QStringLiteral("7"));
}

void TestExecute::emptyEditor_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("记录集") << "记录集";
    QTest::newRow("数据库连接") << "数据库连接";
    QTest::newRow("数据库改名") << "数据库改名";
    QTest::newRow("no mode") << "";
}

void TestExecute::emptyEditor()
{
    QFETCH(QString, mode);
    m_state->lastQuerySql = QStringLiteral("earlier");
    select(mode, QString(), QStringLiteral("SELECT 1"));
    click();
    QCOMPARE(m_messages->texts(),
             QStringList{QStringLiteral("您还没有选择执行命令！请在‘树型框’中选择SQL命令后再按‘执行’按钮！")});
    QCOMPARE(m_messages->shown[0].caption, QStringLiteral("信息："));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::None);
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("earlier"));
}

void TestExecute::unmatchedMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("trailing blank") << "记录集 ";
    QTest::newRow("leading blank") << " 数据库连接";
    QTest::newRow("part of a mode") << "数据库";
    QTest::newRow("empty") << "";
}

void TestExecute::unmatchedMode()
{
    QFETCH(QString, mode);
    m_state->lastQuerySql = QStringLiteral("earlier");
    select(mode, QStringLiteral("INSERT INTO log (x) VALUES (1)"));
    click();
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("earlier"));
    QCOMPARE(db(QStringLiteral("SELECT COUNT(*) FROM log")), QStringLiteral("0"));
}

void TestExecute::commandSucceeds()
{
    select(QStringLiteral("记录集"), QStringLiteral("SELECT * FROM 成绩"));
    click();
    select(QStringLiteral("数据库连接"), QStringLiteral("INSERT INTO log (x) VALUES (3)"));
    click();

    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown[0].text, QStringLiteral("例子_执行成功！"));
    QCOMPARE(m_messages->shown[0].caption, QStringLiteral("信息："));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::Information);
    QCOMPARE(db(QStringLiteral("SELECT x FROM log")), QStringLiteral("3"));
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("INSERT INTO log (x) VALUES (3)"));
    // Emptied to one row, keeping its columns.
    GridControl &grid = *m_c->高级表格1;
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.columnCount(), 3);
    for (int column = 0; column < 3; ++column)
        QCOMPARE(grid.getCell(0, column), QString());
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
}

void TestExecute::commandFails()
{
    select(QStringLiteral("数据库连接"), QStringLiteral("INSERT INTO 不存在的表 VALUES (1)"));
    click();
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown[0].text, QStringLiteral("例子_执行失败！数据表是否存在？"));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::Information);
    // The page stays where it was.
    QCOMPARE(m_c->选择夹1->currentIndex(), 2);
}

void TestExecute::createOnUnreachableServer()
{
    m_state->serverAddress = unreachableServer;
    select(QStringLiteral("创建"), QStringLiteral("INSERT INTO log (x) VALUES (1)"));
    click();
    // Nothing is reported, and nothing ran on the program's own database.
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("INSERT INTO log (x) VALUES (1)"));
    QCOMPARE(db(QStringLiteral("SELECT COUNT(*) FROM log")), QStringLiteral("0"));
    QVERIFY(!m_c->数据库连接1->isOpen());
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
}

void TestExecute::renameScriptLines_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("three lines") << "USE master\r\nALTER DATABASE a MODIFY NAME = b\r\nSELECT 1"
                                 << QStringList{"USE master", "ALTER DATABASE a MODIFY NAME = b", "SELECT 1"};
    QTest::newRow("empty line between, each ended") << "A\r\n\r\nB\r\n" << QStringList{"A", "", "B"};
    QTest::newRow("no line break") << "SELECT 1" << QStringList{"SELECT 1"};
}

void TestExecute::renameScriptLines()
{
    QFETCH(QString, script);
    QFETCH(QStringList, lines);
    m_state->serverAddress = unreachableServer;
    m_state->lastQuerySql = QStringLiteral("earlier");
    // The stored text runs, not the editor's.
    select(QStringLiteral("数据库改名"), QStringLiteral("SELECT 'edited'"), script);
    click();

    QStringList expected;
    for (const QString &line : lines)
        expected.append(QStringLiteral("执行语句[") + line + QStringLiteral("]失败!请检查库是否存在."));
    QCOMPARE(m_messages->texts(), expected);
    for (const auto &shown : std::as_const(m_messages->shown)) {
        QCOMPARE(shown.icon, MessageService::Icon::None);
        QCOMPARE(shown.caption, QStringLiteral("信息："));
    }
    QCOMPARE(m_state->lastQuerySql, QStringLiteral("earlier"));
    QCOMPARE(m_c->选择夹1->currentIndex(), 0);
}

void TestExecute::scriptLines_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one") << "A" << QStringList{"A"};
    QTest::newRow("ended") << "A\r\n" << QStringList{"A"};
    QTest::newRow("empty line kept") << "A\r\n\r\nB\r\n" << QStringList{"A", "", "B"};
    QTest::newRow("only a break") << "\r\n" << QStringList{""};
    QTest::newRow("bare LF is no break") << "A\nB" << QStringList{"A\nB"};
    QTest::newRow("CR CR LF") << "A\r\r\nB" << QStringList{"A\r", "B"};
}

void TestExecute::scriptLines()
{
    QFETCH(QString, script);
    QFETCH(QStringList, lines);
    QCOMPARE(StatementExecutor::scriptLines(script), lines);
}

QTEST_MAIN(TestExecute)
#include "test_execute.moc"
