// Rendering records into a grid and striping its rows, on real SQLite files.
#include "support/TestSupport.h"

#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "components/grid/GridControl.h"
#include "execution/ResultRenderer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint32 noColour = 0xFFFFFFFF;

QStringList rowOf(const GridControl &grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid.columnCount(); ++column)
        cells.append(grid.getCell(row, column));
    return cells;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cellTextByColumnType();
    void cellsMatchTheRuleOnReadText_data();
    void cellsMatchTheRuleOnReadText();
    void shapes_data();
    void shapes();
    void gridThatWasLargerBefore();
    void statementRunsOnce_data();
    void statementRunsOnce();
    void recordSetOpenOnAnotherText();
    void failedOpen();
    void stripes_data();
    void stripes();

private:
    void render(const QString &sql, bool callerOpens = true);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<DatabaseConnection> m_connection;
    std::unique_ptr<RecordSet> m_records;
    std::unique_ptr<QWidget> m_page;
    GridControl *m_grid = nullptr;
    std::unique_ptr<RecordingMessageService> m_messages;
};

void TestRender::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("render.db"));
    QVERIFY(TestDb::exec(m_path, QStringLiteral(
        "CREATE TABLE 人员 (编号 INTEGER, 身高 REAL, 工资 MONEY, 绩效 NUMERIC(6,2), 出生日期 DATE, "
        "  入职 DATETIME, 姓名 VARCHAR(20), 在职 BIT, 代码 BIGINT);"
        "INSERT INTO 人员 VALUES (42, 12.5, 3, 1.005, '2016-09-01', '2015-12-25 13:45:00', '张伟', 1, 12345678901234);"
        "INSERT INTO 人员 VALUES (-7, -2.675, 1234.5678, 2.675, '1988-03-14', '2016-09-01 00:00:00', ' 王 芳 ', 0, -1);"
        "INSERT INTO 人员 VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
        "INSERT INTO 人员 VALUES (10000000000000, 1e13, 0, -0.001, 'not a date', '', '', 1, 0);"
        "CREATE TABLE t3 (a INTEGER, b VARCHAR(10));"
        "INSERT INTO t3 VALUES (1, 'x'); INSERT INTO t3 VALUES (2, 'y'); INSERT INTO t3 VALUES (3, 'z');"
        "CREATE TABLE log (x INTEGER);")));
    m_connection = std::make_unique<DatabaseConnection>();
    QVERIFY(m_connection->connectAccess(m_path, QString()));
    m_records = std::make_unique<RecordSet>();
    m_records->bindConnection(m_connection.get());
    m_page = std::make_unique<QWidget>();
    m_grid = new GridControl(5, 5, 1, 0, 24, 60, m_page.get());
    m_messages = std::make_unique<RecordingMessageService>();
}

void TestRender::cleanup()
{
    m_messages.reset();
    m_page.reset();
    m_records.reset();
    m_connection.reset();
    m_dir.reset();
}

void TestRender::render(const QString &sql, bool callerOpens)
{
    if (callerOpens)
        QVERIFY(m_records->open(sql, 1));
    ResultRenderer::renderRecordSet(*m_records, sql, *m_grid);
}

void TestRender::cellTextByColumnType()
{
    render(QStringLiteral("SELECT * FROM 人员"));
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_grid->rowCount(), 5);
    QCOMPARE(m_grid->columnCount(), 9);
    QCOMPARE(rowOf(*m_grid, 0), QStringList({"编号", "身高", "工资", "绩效", "出生日期", "入职", "姓名", "在职", "代码"}));
    QCOMPARE(rowOf(*m_grid, 1),
             QStringList({"42", "12.5", "3", "1.01", "2016-9-1", "2015-12-25", "张伟", "TRUE", "12345678901234"}));
    QCOMPARE(rowOf(*m_grid, 2),
             QStringList({"-7", "-2.68", "1234.57", "2.68", "1988-3-14", "2016-9-1", " 王 芳 ", "FALSE", "-1"}));
    // NULL: 0 in a number column, the earliest date in a date column, empty otherwise.
    QCOMPARE(rowOf(*m_grid, 3), QStringList({"0", "0", "0", "0", "100-1-1", "100-1-1", "", "", ""}));
    QCOMPARE(rowOf(*m_grid, 4), QStringList({"1e+013", "1e+013", "0", "0", "100-1-1", "100-1-1", "", "TRUE", "0"}));
}

// The renderer makes most cells straight from the stored values; every cell
// must still be the column's rule applied to what readText gives. One column
// of each declared type takes values of every storage kind: integers at the
// 13-digit edge, halves at the 2nd, 4th and 8th decimal place, large and
// tiny reals, number and date texts, texts that are neither, broken UTF-8,
// blobs and NULLs.
void TestRender::cellsMatchTheRuleOnReadText_data()
{
    QTest::addColumn<QString>("declared");
    for (const char *type : {"INTEGER", "SMALLINT", "TINYINT", "BIGINT", "REAL", "SINGLE", "MONEY", "NUMERIC(8,2)",
                             "DECIMAL", "DATE", "DATETIME", "VARCHAR(50)", "MEMO", "BIT", "GUID", "LONGBINARY", ""})
        QTest::newRow(*type ? type : "untyped") << QString::fromLatin1(type);
}

void TestRender::cellsMatchTheRuleOnReadText()
{
    QFETCH(QString, declared);
    QVERIFY(TestDb::exec(m_path, QStringLiteral("CREATE TABLE v (x ") + declared + QStringLiteral(");"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 6000) "
        "INSERT INTO v SELECT CASE i % 16 "
        "  WHEN 0 THEN NULL "
        "  WHEN 1 THEN i * 7919 - 25000000 "
        "  WHEN 2 THEN (i % 4000) / 400.0 + 0.005 "
        "  WHEN 3 THEN i / 512.0 "
        "  WHEN 4 THEN -(i / 32.0) "
        "  WHEN 5 THEN i * 1234567890.12345 "
        "  WHEN 6 THEN -(i / 1000.0) - 0.0000000049 "
        "  WHEN 7 THEN printf('%04d-%02d-%02d', 1890 + i % 200, 1 + i % 12, 1 + i % 28) "
        "  WHEN 8 THEN printf('%04d-%02d-%02d %02d:%02d:%02d', 50 + i % 2000, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 59) "
        "  WHEN 9 THEN printf('%d.%03d5', i, i % 1000) "
        "  WHEN 10 THEN '学生' || i "
        "  WHEN 11 THEN 2451545 + i / 3.0 "
        "  WHEN 12 THEN i * 86400 + 7 "
        "  WHEN 13 THEN (i % 7) * 0.1 + 1e-12 * (i % 3) "
        "  WHEN 14 THEN 9999999999990 + i % 20 "
        "  ELSE -9999999999990 - i % 20 END FROM n;"
        "INSERT INTO v VALUES (1e300), (-1e300), (-0.0), (9223372036854775807), (-9223372036854775808), "
        "  (0.000000005), (99999999.5), (1e13), (45035996.27370497), (99999999999.99), (100000000000.01), "
        "  (-0.05), (0.01), (123456789.1), (9999999999999.5), ('12.5abc'), ('  3'), (''), ('0x1A'), "
        "  ('1e5'), ('2016-09-01 10:5'), ('2016-9-1'), ('0099-12-31'), (' 2016-09-01'), ('TRUE'), "
        "  (CAST(x'EFBBBF41' AS TEXT)), (CAST(x'41FF42C0' AS TEXT)), (x'00FF10'), (x''), ('全角１２３');")));
    const QString sql = QStringLiteral("SELECT x FROM v");
    render(sql);
    QVERIFY(m_messages->shown.isEmpty());
    const int type = m_records->fieldType(0);
    QCOMPARE(m_grid->rowCount(), m_records->recordCount() + 1);
    QCOMPARE(m_grid->getCell(0, 0), QStringLiteral("x"));
    int row = 1;
    QString text;
    for (m_records->moveFirst(); !m_records->isEof(); m_records->moveNext(), ++row) {
        QVERIFY(m_records->readText(0, text));
        const QString expected = ResultRenderer::cellText(type, text);
        if (m_grid->getCell(row, 0) != expected)
            QFAIL(qPrintable(QStringLiteral("type %1, row %2, readText \"%3\": cell \"%4\", rule \"%5\"")
                                 .arg(type)
                                 .arg(row)
                                 .arg(text, m_grid->getCell(row, 0), expected)));
    }
}

void TestRender::shapes_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("cursorRow");

    QTest::newRow("3 records, 2 fields") << "SELECT a, b FROM t3" << 4 << 2 << 1;
    // No cell (1, 1): the cursor is not moved.
    QTest::newRow("no records") << "SELECT a, b FROM t3 WHERE a > 9" << 1 << 2 << -1;
    QTest::newRow("one field") << "SELECT b FROM t3" << 4 << 1 << -1;
}

void TestRender::shapes()
{
    QFETCH(QString, sql);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, cursorRow);

    render(sql);
    QCOMPARE(m_grid->rowCount(), rows);
    QCOMPARE(m_grid->columnCount(), columns);
    QCOMPARE(m_grid->cursorRow(), cursorRow);
    QVERIFY(!m_grid->isHidden());
    QCOMPARE(m_grid->getCell(0, columns - 1), QStringLiteral("b"));
    // Left on the first record for the caller's count.
    QCOMPARE(m_records->position(), 0);
    QCOMPARE(m_records->recordCount(), rows - 1);
}

void TestRender::gridThatWasLargerBefore()
{
    render(QStringLiteral("SELECT * FROM 人员"));
    QCOMPARE(m_grid->rowCount(), 5);
    render(QStringLiteral("SELECT b, a FROM t3 WHERE a < 3"));
    QCOMPARE(m_grid->rowCount(), 3);
    QCOMPARE(m_grid->columnCount(), 2);
    QCOMPARE(rowOf(*m_grid, 0), QStringList({"b", "a"}));
    QCOMPARE(rowOf(*m_grid, 1), QStringList({"x", "1"}));
    QCOMPARE(rowOf(*m_grid, 2), QStringList({"y", "2"}));
}

void TestRender::statementRunsOnce_data()
{
    QTest::addColumn<bool>("callerOpens");
    QTest::newRow("caller opened it") << true;
    QTest::newRow("renderer opens it") << false;
}

void TestRender::statementRunsOnce()
{
    QFETCH(bool, callerOpens);
    render(QStringLiteral("INSERT INTO log (x) VALUES (5) RETURNING x"), callerOpens);
    QCOMPARE(TestDb::value(m_path, QStringLiteral("SELECT COUNT(*) FROM log")), QStringLiteral("1"));
    QCOMPARE(m_grid->rowCount(), 2);
    QCOMPARE(rowOf(*m_grid, 1), QStringList({"5"}));
}

void TestRender::recordSetOpenOnAnotherText()
{
    QVERIFY(m_records->open(QStringLiteral("SELECT a FROM t3"), 1));
    ResultRenderer::renderRecordSet(*m_records, QStringLiteral("SELECT b, a FROM t3 WHERE a = 2"), *m_grid);
    QCOMPARE(m_grid->rowCount(), 2);
    QCOMPARE(m_grid->columnCount(), 2);
    QCOMPARE(rowOf(*m_grid, 1), QStringList({"y", "2"}));
    QCOMPARE(m_records->sql(), QStringLiteral("SELECT b, a FROM t3 WHERE a = 2"));
}

void TestRender::failedOpen()
{
    render(QStringLiteral("SELECT a, b FROM t3"));
    QVERIFY(!m_records->open(QStringLiteral("SELECT * FROM missing"), 1));
    ResultRenderer::renderRecordSet(*m_records, QStringLiteral("SELECT * FROM missing"), *m_grid);

    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown[0].text, QStringLiteral("打开数据源失败。"));
    QCOMPARE(m_messages->shown[0].caption, QStringLiteral("提示"));
    QCOMPARE(m_messages->shown[0].icon, MessageService::Icon::Error);
    QCOMPARE(m_messages->shown[0].buttons, MessageService::Buttons::Ok);
    // Hidden, with its shape and cells of before.
    QVERIFY(m_grid->isHidden());
    QCOMPARE(m_grid->rowCount(), 4);
    QCOMPARE(rowOf(*m_grid, 3), QStringList({"3", "z"}));

    render(QStringLiteral("SELECT a FROM t3"));
    QVERIFY(!m_grid->isHidden());
    QCOMPARE(m_messages->shown.size(), 1);
}

void TestRender::stripes_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("design shape, 5 rows") << 5;
    QTest::newRow("header only") << 1;
    QTest::newRow("two rows") << 2;
}

void TestRender::stripes()
{
    QFETCH(int, rows);
    m_grid->setRowCount(rows);
    m_grid->setColumnCount(3);
    ResultRenderer::stripeRows(*m_grid);
    for (int column = 0; column < 3; ++column) {
        QCOMPARE(m_grid->backColour(0, column), noColour);
        for (int row = 1; row < rows; ++row)
            QCOMPARE(m_grid->backColour(row, column), row % 2 == 1 ? 0xFFA8FFu : 0xECECECu);
    }
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
