// The schema browser on a real practice file: the table strip, a table's
// columns and data, names that need quoting, the empty listing, and the
// page 0 query.
#include "support/TestSupport.h"

#include "schema/SchemaBrowser.h"

#include "components/data/AdoType.h"

#include <QTabBar>
#include <QTest>

namespace {

constexpr quint32 noColour = 0xFFFFFFFF;

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

const QStringList fileTables{"sql信息表", "人员信息表", "my table", "it's", "select", "订单"};

} // namespace

class TestSchemaBrowser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tablesPageListsUserTables();
    void pickTable_data();
    void pickTable();
    void pickByMouse();
    void pickCurrentTabAgainReadsAfresh();
    void secondListingRebuildsStrip();
    void noTablesLeavesStripEmpty();
    void noConnection();
    void peopleTableOnPage0();
    void columnTypeName_data();
    void columnTypeName();

private:
    void open(ConnectChoice choice = ConnectChoice::Local);
    void clickPage(int page);
    void pickTab(int k) { emit m_c->高级选择夹2->tabBarClicked(k); }

    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
    MainControls *m_c = nullptr;
};

void TestSchemaBrowser::init()
{
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
}

void TestSchemaBrowser::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

void TestSchemaBrowser::open(ConnectChoice choice)
{
    m_workspace = std::make_unique<TestWorkspace>();
    m_workspace->useEmptyCatalogue();
    QVERIFY(TestDb::exec(m_workspace->databasePath(), QStringLiteral(
        "INSERT INTO 人员信息表 VALUES (1, '张伟'); INSERT INTO 人员信息表 VALUES (2, '王芳');"
        "INSERT INTO 人员信息表 VALUES (3, '李娜');"
        "CREATE TABLE \"my table\" (编号 INTEGER, 名称 VARCHAR(30), 价格 MONEY, 日期 DATE, 数量 TINYINT, 备注 MEMO);"
        "INSERT INTO \"my table\" VALUES (1, '笔', 2.5, '2016-09-01', 3, NULL);"
        "INSERT INTO \"my table\" VALUES (2, '纸', 10, '2015-12-25', 200, '一包');"
        "CREATE TABLE \"it's\" (a INTEGER);"
        "INSERT INTO \"it's\" VALUES (7);"
        "CREATE TABLE \"select\" (\"from\" VARCHAR(5));"
        "CREATE VIEW 视图 AS SELECT * FROM 人员信息表;"
        "CREATE TABLE 订单 (号 INTEGER PRIMARY KEY AUTOINCREMENT, 金额 REAL);"
        "INSERT INTO 订单 (金额) VALUES (1.005);")));
    m_window = openMainWindow(*m_state, choice);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_c = &m_window->controls();
    m_messages->reset();
}

void TestSchemaBrowser::clickPage(int page)
{
    QTabBar *bar = m_c->选择夹1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCOMPARE(m_c->选择夹1->currentIndex(), page);
}

void TestSchemaBrowser::tablesPageListsUserTables()
{
    open();
    clickPage(2);
    // File order; the view and SQLite's own sqlite_sequence are not listed.
    QCOMPARE(m_state->tableNames, fileTables);
    QCOMPARE(tabTexts(*m_c->高级选择夹2), fileTables);
    QCOMPARE(m_c->高级选择夹2->currentIndex(), 0);
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 数据库中表有： 6 个"));
    const int clientHeight = m_window->height();
    QCOMPARE(m_c->高级表格3->y(), 51);
    QCOMPARE(m_c->高级表格3->height(), clientHeight - 172);
    QCOMPARE(m_c->高级表格3->columnCount(), 3);
    QCOMPARE(m_c->高级表格4->height(), clientHeight - 172);
    QVERIFY(m_c->高级表格4->isHidden());
    QVERIFY(m_messages->shown.isEmpty());
}

void TestSchemaBrowser::pickTable_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QList<QStringList>>("columns");
    QTest::addColumn<QList<QStringList>>("data");

    QTest::newRow("name with a blank")
        << 2
        << QList<QStringList>{{"编号", "int", "4"},     {"名称", "nvarchar", "30"}, {"价格", "money", "8"},
                              {"日期", "smalldatetime", "8"}, {"数量", "", "1"},  {"备注", "ntext", "1073741823"}}
        << QList<QStringList>{{"编号", "名称", "价格", "日期", "数量", "备注"},
                              {"1", "笔", "2.5", "2016-9-1", "3", ""},
                              {"2", "纸", "10", "2015-12-25", "200", "一包"}};
    QTest::newRow("name with a quote") << 3 << QList<QStringList>{{"a", "int", "4"}}
                                       << QList<QStringList>{{"a"}, {"7"}};
    QTest::newRow("reserved word") << 4 << QList<QStringList>{{"from", "nvarchar", "5"}}
                                   << QList<QStringList>{{"from"}};
    QTest::newRow("plain name") << 5 << QList<QStringList>{{"号", "int", "4"}, {"金额", "float", "8"}}
                                << QList<QStringList>{{"号", "金额"}, {"1", "1.01"}};
}

void TestSchemaBrowser::pickTable()
{
    QFETCH(int, tab);
    QFETCH(QList<QStringList>, columns);
    QFETCH(QList<QStringList>, data);
    open();
    clickPage(2);
    const QString table = fileTables.at(tab);
    pickTab(tab);

    QCOMPARE(m_state->currentTableName, table);
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 现在数据表为： ") + table);
    QCOMPARE(m_c->状态条1->partText(1), QStringLiteral(" 共有： %1条记录！").arg(data.size() - 1));
    QCOMPARE(m_state->lastQuerySql, m_window->schemaBrowser().tableQuery(table));

    QCOMPARE(m_state->columnNames.size(), columns.size());
    GridControl &columnGrid = *m_c->高级表格3;
    QCOMPARE(columnGrid.rowCount(), columns.size() + 1);
    QCOMPARE(rowOf(columnGrid, 0), QStringList({"字段名", "字段类型", "字段长度"}));
    for (int i = 0; i < columns.size(); ++i)
        QCOMPARE(rowOf(columnGrid, i + 1), columns.at(i));
    QCOMPARE(columnGrid.width(), 190);
    QCOMPARE(columnGrid.height(), m_c->选择夹1->height() - 48);

    GridControl &dataGrid = *m_c->高级表格4;
    QVERIFY(!dataGrid.isHidden());
    QCOMPARE(dataGrid.height(), m_c->选择夹1->height() - 48);
    QCOMPARE(dataGrid.rowCount(), data.size());
    for (int row = 0; row < data.size(); ++row)
        QCOMPARE(rowOf(dataGrid, row), data.at(row));
    QVERIFY(m_messages->shown.isEmpty());
}

void TestSchemaBrowser::pickByMouse()
{
    open();
    clickPage(2);
    QTabBar *strip = m_c->高级选择夹2;
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(1).center());
    QCOMPARE(m_state->currentTableName, QStringLiteral("人员信息表"));
    QCOMPARE(m_c->状态条1->partText(1), QStringLiteral(" 共有： 3条记录！"));
    QCOMPARE(m_c->高级表格4->getCell(3, 1), QStringLiteral("李娜"));
}

void TestSchemaBrowser::pickCurrentTabAgainReadsAfresh()
{
    open();
    clickPage(2);
    pickTab(3);
    QCOMPARE(m_c->状态条1->partText(1), QStringLiteral(" 共有： 1条记录！"));
    QVERIFY(TestDb::exec(m_workspace->databasePath(), QStringLiteral("INSERT INTO \"it's\" VALUES (8)")));
    pickTab(3);
    QCOMPARE(m_c->状态条1->partText(1), QStringLiteral(" 共有： 2条记录！"));
    QCOMPARE(m_c->高级表格4->getCell(2, 0), QStringLiteral("8"));
}

void TestSchemaBrowser::secondListingRebuildsStrip()
{
    open();
    clickPage(2);
    pickTab(2);
    m_c->高级选择夹2->setCurrentIndex(2);
    QVERIFY(TestDb::exec(m_workspace->databasePath(), QStringLiteral("DROP TABLE 订单; CREATE TABLE 新表 (x INTEGER);")));

    clickPage(2);
    QStringList expected = fileTables;
    expected.removeLast();
    expected.append(QStringLiteral("新表"));
    QCOMPARE(tabTexts(*m_c->高级选择夹2), expected);
    QCOMPARE(m_c->高级选择夹2->currentIndex(), 0);
    // The grids still show the earlier choice.
    QCOMPARE(m_state->currentTableName, QStringLiteral("my table"));
    QCOMPARE(m_c->高级表格3->getCell(2, 0), QStringLiteral("名称"));
    QCOMPARE(m_c->高级表格4->getCell(1, 1), QStringLiteral("笔"));
}

void TestSchemaBrowser::noTablesLeavesStripEmpty()
{
    open();
    clickPage(2);
    pickTab(1);
    QVERIFY(TestDb::exec(m_workspace->databasePath(), QStringLiteral(
        "DROP VIEW 视图; DROP TABLE sql信息表; DROP TABLE 人员信息表; DROP TABLE \"my table\";"
        "DROP TABLE \"it's\"; DROP TABLE \"select\"; DROP TABLE 订单;")));

    clickPage(2);
    QVERIFY(m_state->tableNames.isEmpty());
    QCOMPARE(m_c->高级选择夹2->count(), 0);
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 数据库中表有： 0 个"));

    // A table choice now does nothing beyond sizing the grids.
    m_window->schemaBrowser().onTableTabClicked(0);
    QCOMPARE(m_state->currentTableName, QStringLiteral("人员信息表"));
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 数据库中表有： 0 个"));
    QVERIFY(m_messages->shown.isEmpty());
}

void TestSchemaBrowser::noConnection()
{
    open(ConnectChoice::Close);
    QCOMPARE(m_state->accessMode, 0);
    clickPage(2);
    QCOMPARE(m_c->高级选择夹2->count(), 0);
    QCOMPARE(m_c->状态条1->partText(0), QStringLiteral(" 数据库中表有： 0 个"));
    m_window->schemaBrowser().onTableTabClicked(0);
    QVERIFY(m_state->currentTableName.isEmpty());
    QVERIFY(m_c->高级表格4->isHidden());
    QVERIFY(m_messages->shown.isEmpty());

    clickPage(0);
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("打开数据源失败。")});
    QCOMPARE(m_messages->shown[0].caption, QStringLiteral("提示"));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::Error);
}

void TestSchemaBrowser::peopleTableOnPage0()
{
    open();
    m_state->lastQuerySql = QStringLiteral("earlier");
    m_c->状态条1->setPartText(0, QStringLiteral("before"));
    clickPage(2);
    m_c->状态条1->setPartText(0, QStringLiteral("before"));
    // Page 0 queries afresh, also when it is current already.
    for (int click = 0; click < 2; ++click) {
        clickPage(0);
        GridControl &grid = *m_c->高级表格1;
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(rowOf(grid, 0), QStringList({"编号", "姓名"}));
        QCOMPARE(rowOf(grid, 3), QStringList({"3", "李娜"}));
        QVERIFY(!grid.isHidden());
        QCOMPARE(grid.cursorRow(), 1);
        QCOMPARE(grid.backColour(1, 0), noColour);
        QCOMPARE(grid.backColour(2, 1), noColour);
        QCOMPARE(m_c->状态条1->partText(0), QStringLiteral("before"));
        QCOMPARE(m_state->lastQuerySql, QStringLiteral("earlier"));
        QVERIFY(TestDb::exec(m_workspace->databasePath(), QStringLiteral("DELETE FROM 人员信息表 WHERE 编号 = 4")));
    }
    QVERIFY(m_messages->shown.isEmpty());
}

void TestSchemaBrowser::columnTypeName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    const QList<QPair<int, QString>> table{
        {2, "smallint"}, {3, "int"},      {4, "real"},     {5, "float"},    {6, "money"},
        {7, "smalldatetime"}, {11, "bit"}, {14, "decimal"}, {16, "tinyint"}, {20, "bigint"},
        {128, "binary"}, {129, "char"},   {130, "nchar"},  {131, "numeric"}, {201, "text"},
        {202, "nvarchar"}, {203, "ntext"}, {204, "varbinary"}, {205, "image"},
        {0, ""},         {17, ""},        {135, ""},       {200, ""},       {-1, ""}};
    for (const auto &[code, name] : table)
        QTest::addRow("%d", code) << code << name;
}

void TestSchemaBrowser::columnTypeName()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(SchemaBrowser::columnTypeName(code), name);
}

QTEST_MAIN(TestSchemaBrowser)
#include "test_schema_browser.moc"
