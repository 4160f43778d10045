#include "components/data/AdoType.h"
#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "support/SilentServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray patterned(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 13 + i / 256) % 256);
    return bytes;
}

} // namespace

// The ODBC backend, driven through the SQLite ODBC driver on a real file.
class TestRecordSetOdbc : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    DatabaseConnection m_db;

    QString connectionText() const { return QStringLiteral("DRIVER=SQLite3;Database=%1;").arg(m_path); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("odbc.db"));
        QVERIFY(TestDb::exec(m_path, QStringLiteral(
            "BEGIN;"
            "CREATE TABLE sql信息表(编号 INTEGER PRIMARY KEY, 事件 VARCHAR(50), 父编号 INTEGER, 级别 INTEGER,"
            " SQL语句 TEXT, 执行方式 VARCHAR(20), 源码段 TEXT, 数据集 BLOB);"
            "INSERT INTO sql信息表 VALUES(1, '查询', 0, 1, NULL, NULL, NULL, NULL);"
            "INSERT INTO sql信息表 VALUES(2, '简单查询', 1, 1, 'SELECT * FROM 人员信息表', '记录集', NULL, NULL);"
            "INSERT INTO sql信息表 VALUES(3, 'O''Brien', 1, 2, 'SELECT 1', '记录集', NULL, x'00');"
            "CREATE TABLE 人员信息表(编号 INTEGER PRIMARY KEY, 姓名 VARCHAR(20), 出生日期 DATE, 登记 DATETIME,"
            " 工资 MONEY, 身高 DOUBLE, 级 SMALLINT, 代码 TINYINT, 大数 BIGINT, 在职 BIT, 备注 TEXT);"
            "INSERT INTO 人员信息表 VALUES(1, '张三', '1990-05-17', '2016-09-01 08:30:00', 8500, 1.75, 3, 200,"
            " 9000000000, 1, NULL);"
            "INSERT INTO 人员信息表 VALUES(2, '李四', NULL, NULL, 7200.5, NULL, NULL, NULL, NULL, 0, '备注');"
            "COMMIT;")));
        if (!m_db.connectOdbc(connectionText()))
            QSKIP(qPrintable(QStringLiteral("the SQLite3 ODBC driver is not available: ") + m_db.lastError()));
        QCOMPARE(m_db.kind(), DatabaseConnection::Kind::Odbc);
    }

    void readsEveryRowAndCountsThem()
    {
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 ORDER BY 编号")));
        QCOMPARE(rs.recordCount(), 3); // exact, whatever the driver says of its row count
        QCOMPARE(rs.fieldCount(), 8);
        QCOMPARE(rs.fieldName(1), QStringLiteral("事件"));
        QCOMPARE(rs.fieldIndex(u"sql语句"), 4);
        QString text;
        QVERIFY(rs.readText(u"事件", text));
        QCOMPARE(text, QStringLiteral("查询"));
        QVERIFY(rs.readText(u"SQL语句", text));
        QVERIFY(text.isEmpty()); // NULL
        QVERIFY(rs.moveNext());
        QVERIFY(rs.readText(u"sql语句", text));
        QCOMPARE(text, QStringLiteral("SELECT * FROM 人员信息表"));
        int id = 0;
        QVERIFY(rs.readInt(u"编号", id));
        QCOMPARE(id, 2);

        QVERIFY(!rs.open(QStringLiteral("SELECT * FROM 没有这个表")));
        QCOMPARE(rs.recordCount(), -1);
        QVERIFY(!m_db.lastError().isEmpty());
    }

    // The codes of the SQL types that the driver reports, and their texts.
    void typesAndText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("first");  // record 1
        QTest::addColumn<QString>("second"); // record 2

        QTest::newRow("integer") << "编号" << int(AdoType::Integer) << "1" << "2";
        QTest::newRow("varchar") << "姓名" << int(AdoType::VarChar) << "张三" << "李四";
        QTest::newRow("date") << "出生日期" << int(AdoType::DBDate) << "1990-05-17 00:00:00" << "";
        QTest::newRow("timestamp") << "登记" << int(AdoType::DBTimeStamp) << "2016-09-01 08:30:00" << "";
        QTest::newRow("money by its type name") << "工资" << int(AdoType::Currency) << "8500" << "7200.5";
        QTest::newRow("double") << "身高" << int(AdoType::Double) << "1.75000000" << "";
        QTest::newRow("smallint") << "级" << int(AdoType::SmallInt) << "3" << "";
        QTest::newRow("tinyint") << "代码" << int(AdoType::UnsignedTinyInt) << "200" << "";
        QTest::newRow("bigint") << "大数" << int(AdoType::BigInt) << "9000000000" << "";
        QTest::newRow("bit") << "在职" << int(AdoType::Boolean) << "TRUE" << "FALSE";
        QTest::newRow("long text") << "备注" << int(AdoType::LongVarChar) << "" << "备注";
    }

    void typesAndText()
    {
        QFETCH(QString, field);
        QFETCH(int, type);
        QFETCH(QString, first);
        QFETCH(QString, second);
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM 人员信息表 ORDER BY 编号")));
        const int index = rs.fieldIndex(field);
        QVERIFY(index >= 0);
        QCOMPARE(rs.fieldType(index), type);
        QVERIFY(rs.fieldSize(index) > 0);
        QString text;
        QVERIFY(rs.readText(index, text));
        QCOMPARE(text, first);
        QVERIFY(rs.moveNext());
        QVERIFY(rs.readText(index, text));
        QCOMPARE(text, second);
    }

    void longValuesAreReadWhole()
    {
        // Longer than one read buffer of text and of binary.
        const QString longText = QString(20000, QChar(0x6C49)) + QStringLiteral("尾");
        const QByteArray longBytes = patterned(200 * 1024 + 17);
        QVERIFY(TestDb::exec(m_path, QStringLiteral("CREATE TABLE 长值(编号 INTEGER PRIMARY KEY, 文 TEXT, 块 BLOB);"
                                                    "INSERT INTO 长值 VALUES(1, '%1', x'%2')")
                                         .arg(longText, QString::fromLatin1(longBytes.toHex()))));
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT 文, 块 FROM 长值")));
        QString text;
        QVERIFY(rs.readText(0, text));
        QCOMPARE(text.size(), longText.size());
        QCOMPARE(text, longText);
        QByteArray bytes;
        QVERIFY(rs.readBytes(1, bytes));
        QCOMPARE(bytes.size(), longBytes.size());
        QCOMPARE(bytes, longBytes);
        QVERIFY(m_db.executeSql(QStringLiteral("DROP TABLE 长值")));
    }

    void find()
    {
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 ORDER BY 编号")));
        QVERIFY(rs.find(QStringLiteral("事件='O''Brien'"), 1));
        int id = 0;
        QVERIFY(rs.readInt(u"编号", id));
        QCOMPARE(id, 3);
        QVERIFY(rs.moveFirst());
        QVERIFY(rs.find(QStringLiteral("编号=2")));
        QCOMPARE(rs.position(), 1);
        QVERIFY(!rs.find(QStringLiteral("事件='查询'"))); // forward only
        QVERIFY(rs.isEof());
    }

    void updateStoresBinary_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zero bytes") << QByteArray("\x00\x01\x00\xFFsheet\x00", 10);
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("sent in pieces") << patterned(150 * 1024 + 3);
    }

    void updateStoresBinary()
    {
        QFETCH(QByteArray, bytes);
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 ORDER BY 编号")));
        QVERIFY(rs.find(QStringLiteral("事件='简单查询'")));
        QVERIFY(rs.writeBytes(u"数据集", bytes));
        QVERIFY2(rs.update(), qPrintable(m_db.lastError()));
        QByteArray read;
        QVERIFY(rs.readBytes(u"数据集", read));
        QCOMPARE(read, bytes);

        QCOMPARE(TestDb::blob(m_path, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号 = 2")), bytes);
        QCOMPARE(TestDb::blob(m_path, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号 = 3")),
                 QByteArray("\0", 1)); // the other rows are untouched
        QVERIFY(rs.open(QStringLiteral("SELECT 编号, 数据集 FROM sql信息表 WHERE 编号 = 2")));
        QVERIFY(rs.readBytes(1, read));
        QCOMPARE(read, bytes);
    }

    void updateOfAVanishedRowFails()
    {
        QVERIFY(TestDb::exec(m_path, QStringLiteral("INSERT INTO sql信息表(编号, 事件) VALUES(9, '临时')")));
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 WHERE 编号 = 9")));
        QVERIFY(m_db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号 = 9")));
        QVERIFY(rs.writeBytes(u"数据集", QByteArray("x")));
        QVERIFY(!rs.update());
    }

    void executeSqlAndTransactions()
    {
        QVERIFY(m_db.executeSql(QStringLiteral("UPDATE sql信息表 SET 级别 = 0 WHERE 编号 = 999"))); // no row
        QVERIFY(!m_db.executeSql(QStringLiteral("UPDATE 没有 SET a = 1")));
        QVERIFY(!m_db.executeSql(QString()));

        QVERIFY(!m_db.rollbackTransaction());
        QVERIFY(m_db.beginTransaction());
        QVERIFY(!m_db.beginTransaction());
        QVERIFY(m_db.executeSql(QStringLiteral("DELETE FROM sql信息表")));
        QVERIFY(m_db.rollbackTransaction());
        QCOMPARE(TestDb::value(m_path, QStringLiteral("SELECT count(*) FROM sql信息表")), QStringLiteral("3"));

        QVERIFY(m_db.beginTransaction());
        QVERIFY(m_db.executeSql(QStringLiteral("UPDATE sql信息表 SET 级别 = 7 WHERE 编号 = 1")));
        QVERIFY(m_db.commitTransaction());
        QCOMPARE(TestDb::value(m_path, QStringLiteral("SELECT 级别 FROM sql信息表 WHERE 编号 = 1")),
                 QStringLiteral("7"));
        // Back in autocommit: a change is stored at once.
        QVERIFY(m_db.executeSql(QStringLiteral("UPDATE sql信息表 SET 级别 = 1 WHERE 编号 = 1")));
        QCOMPARE(TestDb::value(m_path, QStringLiteral("SELECT 级别 FROM sql信息表 WHERE 编号 = 1")),
                 QStringLiteral("1"));
    }

    void quoteIdentifier()
    {
        QCOMPARE(m_db.quoteIdentifier(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
        QCOMPARE(m_db.quoteIdentifier(QStringLiteral("人员信息表")), QStringLiteral("\"人员信息表\""));
    }

    void connectFailures()
    {
        DatabaseConnection db;
        QVERIFY(!db.connectOdbc(QStringLiteral("DRIVER=No Such Driver Anywhere;")));
        QVERIFY(!db.isOpen());
        QVERIFY(!db.lastError().isEmpty());
        QCOMPARE(DatabaseConnection::sqlServerConnectionText(QStringLiteral("10.0.0.5"), QStringLiteral("mstest"),
                                                             QStringLiteral("sa"), QStringLiteral("pw")),
                 QStringLiteral("DRIVER=SQL Server;SERVER=10.0.0.5;UID=sa;PWD=pw;DATABASE=mstest;"));
        QCOMPARE(db.loginTimeout(), 15);
    }

    void sqlServerWithNothingListeningFails()
    {
        // Whether or not a driver is registered as "SQL Server", nothing answers
        // with these credentials: the connect must fail, and not hang.
        DatabaseConnection db;
        db.setLoginTimeout(3);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!db.connectSqlServer(QStringLiteral("127.0.0.1,1"), QStringLiteral("nosuchdb"),
                                     QStringLiteral("nobody"), QStringLiteral("wrong")));
        QVERIFY(!db.isOpen());
        QVERIFY2(timer.elapsed() < 30000, "the connect outlived its login timeout by far");
    }

    void silentServerEndsAtLoginTimeout()
    {
        DatabaseConnection probe;
        if (!probe.connectOdbc(QStringLiteral("DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=1;TDS_Version=7.4;"))
            && probe.lastError().contains(QLatin1String("IM002")))
            QSKIP("the FreeTDS ODBC driver is not registered");
        SilentServer listener;
        QVERIFY(listener.port() > 0);
        DatabaseConnection db;
        db.setLoginTimeout(2);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!db.connectOdbc(QStringLiteral("DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=%1;TDS_Version=7.4;"
                                               "UID=sa;PWD=x;DATABASE=mstest;")
                                    .arg(listener.port())));
        QVERIFY2(timer.elapsed() < 30000, "the login timeout was not applied");
    }
};

QTEST_GUILESS_MAIN(TestRecordSetOdbc)
#include "test_recordset_odbc.moc"
