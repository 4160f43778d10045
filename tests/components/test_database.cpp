#include "components/data/AdoType.h"
#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray withZeros()
{
    return QByteArray("\x00\x01\x02\x00\xFF\xFE sheet\x00", 13);
}

QByteArray largeBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7) % 256);
    return bytes;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    DatabaseConnection m_db;

    /// A fresh database file with the catalogue table and a few rows.
    QString makeDatabase(const QString &name, const QString &extraSql = {})
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        const bool ok = TestDb::exec(path, QStringLiteral(
            "BEGIN; CREATE TABLE sql信息表(编号 INTEGER PRIMARY KEY, 事件 VARCHAR(50), 父编号 INTEGER, 级别 INTEGER,"
            " SQL语句 TEXT, 执行方式 VARCHAR(20), 源码段 TEXT, 数据集 LONGBINARY);"
            "INSERT INTO sql信息表 VALUES(1, '查询', 0, 1, NULL, NULL, NULL, NULL);"
            "INSERT INTO sql信息表 VALUES(2, '简单查询', 1, 1, 'SELECT * FROM 人员信息表', '记录集', NULL, NULL);"
            "INSERT INTO sql信息表 VALUES(3, 'O''Brien', 1, 2, 'SELECT 1', '记录集', NULL, x'00');"
            "INSERT INTO sql信息表 VALUES(4, NULL, 1, 3, NULL, NULL, NULL, NULL);"
            "INSERT INTO sql信息表 VALUES(5, '简单查询', 1, 4, 'SELECT 2', '记录集', NULL, NULL);")
            + extraSql + QStringLiteral("; COMMIT"));
        return ok ? path : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_path = makeDatabase(QStringLiteral("main.mdb"));
        QVERIFY(!m_path.isEmpty());
        QVERIFY(m_db.connectAccess(m_path, QString()));
        QCOMPARE(m_db.kind(), DatabaseConnection::Kind::Sqlite);
        // The type tables rebuild a table per case; waiting for the disk each time is not under test.
        QVERIFY(m_db.executeSql(QStringLiteral("PRAGMA synchronous = OFF")));
    }

    void connectFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // "-" for no file at all
        QTest::addColumn<QString>("password");

        QTest::newRow("missing file") << QStringLiteral("missing.mdb") << QByteArray("-") << QString();
        QTest::newRow("text file") << QStringLiteral("notes.mdb") << QByteArray("not a database at all\n") << QString();
        QTest::newRow("empty file") << QStringLiteral("empty.mdb") << QByteArray() << QString();
        QTest::newRow("password") << QStringLiteral("main.mdb") << QByteArray("=") << QStringLiteral("secret");
        QTest::newRow("empty path") << QString() << QByteArray("-") << QString();
    }

    void connectFailures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, password);
        const QString path = name.isEmpty() ? QString() : m_dir.filePath(name);
        if (content != "-" && content != "=") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        DatabaseConnection db;
        QVERIFY(db.connectAccess(m_path, QString()));
        QVERIFY(!db.connectAccess(path, password));
        QVERIFY(!db.isOpen());
        QCOMPARE(db.kind(), DatabaseConnection::Kind::None);
        QVERIFY(!db.lastError().isEmpty());
        if (content == "-") {
            QVERIFY(path.isEmpty() || !QFile::exists(path)); // nothing was created
        } else if (content != "=") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), content); // left exactly as it was
        }
        QVERIFY(!db.connectSqliteReadOnly(path.isEmpty() || content == "=" ? m_dir.filePath("missing.mdb") : path));
    }

    void readOnlyConnectionReadsButDoesNotWrite()
    {
        DatabaseConnection db;
        QVERIFY(db.connectSqliteReadOnly(m_path));
        RecordSet rs;
        rs.bindConnection(&db);
        QVERIFY(rs.open(QStringLiteral("SELECT 事件 FROM sql信息表 WHERE 编号 = 2")));
        QString text;
        QVERIFY(rs.readText(0, text));
        QCOMPARE(text, QStringLiteral("简单查询"));
        QVERIFY(!db.executeSql(QStringLiteral("DELETE FROM sql信息表")));
        QCOMPARE(TestDb::value(m_path, QStringLiteral("SELECT count(*) FROM sql信息表")), QStringLiteral("5"));
    }

    void executeSqlRunsEveryStatement()
    {
        const QString path = makeDatabase(QStringLiteral("exec.mdb"));
        DatabaseConnection db;
        QVERIFY(db.connectAccess(path, QString()));
        QVERIFY(db.executeSql(QStringLiteral("CREATE TABLE 数字(值 INTEGER); INSERT INTO 数字 VALUES(1);\n"
                                             "-- a comment\nINSERT INTO 数字 VALUES(2);  ")));
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT group_concat(值) FROM 数字")), QStringLiteral("1,2"));

        // The first failing statement ends the run: what ran before it stays.
        QVERIFY(!db.executeSql(QStringLiteral("INSERT INTO 数字 VALUES(3); INSERT INTO 没有 VALUES(0);"
                                              " INSERT INTO 数字 VALUES(4)")));
        QVERIFY(!db.lastError().isEmpty());
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT group_concat(值) FROM 数字")), QStringLiteral("1,2,3"));

        QVERIFY(db.executeSql(QStringLiteral("UPDATE 数字 SET 值 = 0 WHERE 值 = 99"))); // no row: still success
        QVERIFY(db.executeSql(QStringLiteral("SELECT * FROM 数字")));                  // rows discarded
        QVERIFY(!db.executeSql(QStringLiteral("SELEKT nonsense")));
        QVERIFY(!db.executeSql(QString()));
        QVERIFY(!db.executeSql(QStringLiteral("   ")));

        DatabaseConnection closed;
        QVERIFY(!closed.executeSql(QStringLiteral("SELECT 1")));
    }

    void transactions()
    {
        const QString path = makeDatabase(QStringLiteral("tx.mdb"));
        DatabaseConnection db;
        QVERIFY(db.connectAccess(path, QString()));
        QVERIFY(!db.commitTransaction());

        QVERIFY(db.beginTransaction());
        QVERIFY(db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号 > 1")));
        QVERIFY(db.executeSql(QStringLiteral("UPDATE sql信息表 SET 事件 = '改' WHERE 编号 = 1")));
        QVERIFY(db.rollbackTransaction());
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT count(*) FROM sql信息表")), QStringLiteral("5"));
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT 事件 FROM sql信息表 WHERE 编号 = 1")),
                 QStringLiteral("查询"));

        QVERIFY(db.beginTransaction());
        QVERIFY(db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号 = 5")));
        QVERIFY(db.commitTransaction());
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT count(*) FROM sql信息表")), QStringLiteral("4"));

        // A learner's text that begins a transaction and fails part-way is
        // undone whole and leaves no transaction open behind it.
        QVERIFY(!db.executeSql(QStringLiteral("BEGIN; DELETE FROM sql信息表 WHERE 编号 = 4; INSERT INTO 没有 VALUES(1); COMMIT;")));
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT count(*) FROM sql信息表")), QStringLiteral("4"));
        QVERIFY(db.beginTransaction());
        QVERIFY(db.rollbackTransaction());

        // Inside a transaction the program began, a failed statement leaves
        // the rollback to the program.
        QVERIFY(db.beginTransaction());
        QVERIFY(db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号 = 4")));
        QVERIFY(!db.executeSql(QStringLiteral("INSERT INTO 没有 VALUES(1)")));
        QVERIFY(db.rollbackTransaction());
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT count(*) FROM sql信息表")), QStringLiteral("4"));
    }

    void quoteIdentifier_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << QStringLiteral("编号") << QStringLiteral("\"编号\"");
        QTest::newRow("space") << QStringLiteral("SQL 语句") << QStringLiteral("\"SQL 语句\"");
        QTest::newRow("quote inside") << QStringLiteral("a\"b") << QStringLiteral("\"a\"\"b\"");
    }

    void quoteIdentifier()
    {
        QFETCH(QString, name);
        QFETCH(QString, quoted);
        QCOMPARE(m_db.quoteIdentifier(name), quoted);
    }

    void recordSetLifecycle()
    {
        RecordSet rs;
        QCOMPARE(rs.recordCount(), -1);
        QCOMPARE(rs.fieldCount(), -1);
        QVERIFY(rs.isEof());
        QVERIFY(!rs.moveFirst());
        QVERIFY(!rs.moveNext());
        rs.close(); // harmless when closed
        QVERIFY(!rs.open(QStringLiteral("SELECT 1"))); // unbound

        DatabaseConnection unconnected;
        rs.bindConnection(&unconnected);
        QVERIFY(!rs.open(QStringLiteral("SELECT 1")));

        rs.bindConnection(&m_db);
        QCOMPARE(rs.connection(), &m_db);
        QVERIFY(!rs.open(QString()));
        QVERIFY(!rs.open(QStringLiteral("SELECT * FROM 没有这个表")));
        QCOMPARE(rs.recordCount(), -1);
        QCOMPARE(rs.fieldCount(), -1);

        QVERIFY(rs.open(QStringLiteral("SELECT 编号, 事件 FROM sql信息表 ORDER BY 编号")));
        QVERIFY(rs.isOpen());
        QCOMPARE(rs.sql(), QStringLiteral("SELECT 编号, 事件 FROM sql信息表 ORDER BY 编号"));
        QCOMPARE(rs.recordCount(), 5);
        QCOMPARE(rs.fieldCount(), 2);
        QCOMPARE(rs.position(), 0);
        int seen = 0;
        while (!rs.isEof()) {
            int id = 0;
            QVERIFY(rs.readInt(0, id));
            QCOMPARE(id, ++seen);
            QVERIFY(rs.moveNext());
        }
        QCOMPARE(seen, 5);
        QCOMPARE(rs.position(), 5);
        QVERIFY(!rs.moveNext()); // no move past the end
        QString text = QStringLiteral("stale");
        QVERIFY(!rs.readText(1, text));
        QVERIFY(text.isEmpty());
        QVERIFY(rs.moveFirst());
        QCOMPARE(rs.position(), 0);

        // A failed open leaves the record set closed, not on its old rows.
        QVERIFY(!rs.open(QStringLiteral("SELECT nonsense FROM")));
        QVERIFY(!rs.isOpen());
        QVERIFY(rs.isEof());
        QCOMPARE(rs.recordCount(), -1);
        QVERIFY(rs.sql().isEmpty());

        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 WHERE 编号 < 0")));
        QCOMPARE(rs.recordCount(), 0);
        QCOMPARE(rs.fieldCount(), 8);
        QVERIFY(rs.isEof());
        QVERIFY(!rs.readText(0, text));
        int id = 7;
        QVERIFY(rs.readInt(0, id)); // no current record reads as 0
        QCOMPARE(id, 0);

        // A statement without result columns opens with no fields and no records.
        QVERIFY(rs.open(QStringLiteral("UPDATE sql信息表 SET 级别 = 级别 WHERE 编号 = 1")));
        QCOMPARE(rs.fieldCount(), 0);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.isEof());

        rs.close();
        QVERIFY(!rs.isOpen());
        QCOMPARE(rs.recordCount(), -1);
    }

    void fieldsByNameIgnoreCase()
    {
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT 编号, SQL语句, 'x' AS Ärger FROM sql信息表 WHERE 编号 = 2")));
        QCOMPARE(rs.fieldName(1), QStringLiteral("SQL语句"));
        QCOMPARE(rs.fieldIndex(u"sql语句"), 1);
        QCOMPARE(rs.fieldIndex(u"SQL语句"), 1);
        QCOMPARE(rs.fieldIndex(u"ärger"), 2);
        QCOMPARE(rs.fieldIndex(u"编号"), 0);
        QCOMPARE(rs.fieldIndex(u"没有"), -1);
        QString text;
        QVERIFY(rs.readText(u"Sql语句", text));
        QCOMPARE(text, QStringLiteral("SELECT * FROM 人员信息表"));
        QVERIFY(!rs.readText(u"没有", text));
        QVERIFY(text.isEmpty());
        QVERIFY(!rs.readText(9, text));
        QVERIFY(rs.fieldName(9).isEmpty());
        QCOMPARE(rs.fieldType(9), 0);
        QCOMPARE(rs.fieldSize(-1), 0);
    }

    // Declared type → type code, defined size and the text of a stored value.
    void typesAndText_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("text");

        const QString memo = QStringLiteral("memo text");
        QTest::newRow("INTEGER") << "INTEGER" << "42" << 3 << 4 << "42";
        QTest::newRow("INT negative") << "INT" << "-7" << 3 << 4 << "-7";
        QTest::newRow("COUNTER") << "COUNTER" << "1" << 3 << 4 << "1";
        QTest::newRow("LONG") << "LONG" << "123456" << 3 << 4 << "123456";
        QTest::newRow("SMALLINT") << "SMALLINT" << "12" << 2 << 2 << "12";
        QTest::newRow("SHORT") << "SHORT" << "-3" << 2 << 2 << "-3";
        QTest::newRow("TINYINT") << "TINYINT" << "255" << 17 << 1 << "255";
        QTest::newRow("BYTE") << "BYTE" << "7" << 17 << 1 << "7";
        QTest::newRow("BIGINT") << "BIGINT" << "9000000000" << 20 << 8 << "9000000000";
        QTest::newRow("REAL") << "REAL" << "12.5" << 5 << 8 << "12.50000000";
        QTest::newRow("FLOAT") << "FLOAT" << "-0.25" << 5 << 8 << "-0.25000000";
        QTest::newRow("DOUBLE") << "DOUBLE" << "1.005" << 5 << 8 << "1.00500000";
        QTest::newRow("DOUBLE PRECISION") << "DOUBLE PRECISION" << "3" << 5 << 8 << "3.00000000";
        QTest::newRow("SINGLE") << "SINGLE" << "1.1" << 4 << 4 << "1.1000";
        QTest::newRow("SINGLE rounds as single") << "SINGLE" << "123456.789" << 4 << 4 << "123456.7891";
        QTest::newRow("MONEY whole") << "MONEY" << "8500" << 6 << 8 << "8500";
        QTest::newRow("CURRENCY half") << "CURRENCY" << "7200.5" << 6 << 8 << "7200.5";
        QTest::newRow("MONEY four places") << "MONEY" << "0.12345" << 6 << 8 << "0.1235";
        QTest::newRow("MONEY negative") << "MONEY" << "-3.250" << 6 << 8 << "-3.25";
        QTest::newRow("MONEY large, no grouping") << "MONEY" << "1234567.8" << 6 << 8 << "1234567.8";
        QTest::newRow("DECIMAL(10,2)") << "DECIMAL(10,2)" << "3.14" << 131 << 19 << "3.14000000";
        QTest::newRow("NUMERIC integer") << "NUMERIC" << "2" << 131 << 19 << "2.00000000";
        QTest::newRow("DATE") << "DATE" << "'2016-09-01'" << 7 << 8 << "2016-09-01 00:00:00";
        QTest::newRow("DATETIME") << "DATETIME" << "'2015-12-25 13:45:10'" << 7 << 8 << "2015-12-25 13:45:10";
        QTest::newRow("DATETIME T and minutes") << "DATETIME" << "'2015-12-25T08:05'" << 7 << 8
                                                << "2015-12-25 08:05:00";
        QTest::newRow("DATETIME fraction") << "DATETIME" << "'2015-12-25 08:05:09.750'" << 7 << 8
                                           << "2015-12-25 08:05:09";
        QTest::newRow("DATE slashes unpadded") << "DATE" << "'2016/9/1'" << 7 << 8 << "2016-09-01 00:00:00";
        QTest::newRow("TIME") << "TIME" << "'08:30:00'" << 7 << 8 << "1899-12-30 08:30:00";
        QTest::newRow("TIMESTAMP julian day") << "TIMESTAMP" << "2457632.5" << 7 << 8 << "2016-09-01 00:00:00";
        QTest::newRow("DATETIME unix seconds") << "DATETIME" << "1472733045" << 7 << 8 << "2016-09-01 12:30:45";
        QTest::newRow("DATE not a date") << "DATE" << "'soon'" << 7 << 8 << "soon";
        QTest::newRow("DATE impossible day") << "DATE" << "'2016-02-30'" << 7 << 8 << "2016-02-30";
        QTest::newRow("BIT on") << "BIT" << "1" << 11 << 2 << "TRUE";
        QTest::newRow("BOOLEAN off") << "BOOLEAN" << "0" << 11 << 2 << "FALSE";
        QTest::newRow("YESNO -1") << "YESNO" << "-1" << 11 << 2 << "TRUE";
        QTest::newRow("LOGICAL text") << "LOGICAL" << "'true'" << 11 << 2 << "TRUE";
        QTest::newRow("VARCHAR(50)") << "VARCHAR(50)" << "'张三'" << 202 << 50 << "张三";
        QTest::newRow("NVARCHAR(20)") << "NVARCHAR(20)" << "'李四 '" << 202 << 20 << "李四 ";
        QTest::newRow("CHAR(10)") << "CHAR(10)" << "'男'" << 202 << 10 << "男";
        QTest::newRow("TEXT(30)") << "TEXT(30)" << "'x'" << 202 << 30 << "x";
        QTest::newRow("VARCHAR no length") << "VARCHAR" << "'y'" << 202 << 255 << "y";
        QTest::newRow("text holding a number") << "VARCHAR(10)" << "12" << 202 << 10 << "12";
        QTest::newRow("TEXT is memo") << "TEXT" << "'memo text'" << 203 << 1073741823 << memo;
        QTest::newRow("MEMO") << "MEMO" << "'memo text'" << 203 << 1073741823 << memo;
        QTest::newRow("LONGTEXT") << "LONGTEXT" << "'memo text'" << 203 << 1073741823 << memo;
        QTest::newRow("NTEXT") << "NTEXT" << "'memo text'" << 203 << 1073741823 << memo;
        QTest::newRow("text stored as UTF-8 blob") << "MEMO" << "x'E4B8ADE69687'" << 203 << 1073741823 << "中文";
        QTest::newRow("text stored as GBK blob") << "MEMO" << "x'D6D0CEC4'" << 203 << 1073741823 << "中文";
        QTest::newRow("BLOB") << "BLOB" << "x'00FF'" << 205 << 2147483647 << "[BLOB]";
        QTest::newRow("IMAGE") << "IMAGE" << "x'01'" << 205 << 2147483647 << "[BLOB]";
        QTest::newRow("LONGBINARY") << "LONGBINARY" << "x'02'" << 205 << 2147483647 << "[BLOB]";
        QTest::newRow("OLEOBJECT") << "OLEOBJECT" << "x'03'" << 205 << 2147483647 << "[BLOB]";
        QTest::newRow("VARBINARY(8)") << "VARBINARY(8)" << "x'04'" << 205 << 2147483647 << "[BLOB]";
        QTest::newRow("GUID") << "GUID" << "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'" << 72 << 16
                              << "{6F9619FF-8B86-D011-B42D-00C04FC964FF}";
        QTest::newRow("affinity INT") << "UNSIGNED BIG INT" << "5" << 3 << 4 << "5";
        QTest::newRow("affinity CHAR with length") << "VARYING CHARACTER(20)" << "'v'" << 202 << 20 << "v";
        QTest::newRow("affinity NUMERIC") << "WHATEVER" << "1.5" << 131 << 19 << "1.50000000";
        QTest::newRow("case and spaces") << "  varchar ( 12 )" << "'z'" << 202 << 12 << "z";
    }

    void typesAndText()
    {
        QFETCH(QString, declared);
        QFETCH(QString, value);
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(QString, text);

        QVERIFY(m_db.executeSql(QStringLiteral("DROP TABLE IF EXISTS 类型; CREATE TABLE 类型(值 %1);"
                                               "INSERT INTO 类型 VALUES(%2); INSERT INTO 类型 VALUES(NULL)")
                                    .arg(declared, value)));
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT 值 FROM 类型 ORDER BY rowid")));
        QCOMPARE(rs.fieldType(0), type);
        QCOMPARE(rs.fieldSize(0), size);
        QString got = QStringLiteral("stale");
        QVERIFY(rs.readText(0, got));
        QCOMPARE(got, text);
        QCOMPARE(rs.textAt(0, 0), text);
        QVERIFY(!rs.isNull(0, 0));

        // NULL reads as empty in every type.
        QVERIFY(rs.moveNext());
        got = QStringLiteral("stale");
        QVERIFY(rs.readText(0, got));
        QVERIFY(got.isEmpty());
        QVERIFY(rs.isNull(1, 0));
        QCOMPARE(rs.numberAt(1, 0), 0.0);
        QByteArray bytes("stale");
        QVERIFY(rs.readBytes(0, bytes));
        QVERIFY(bytes.isEmpty());
    }

    // Columns without a declared type take the type of their first non-NULL value.
    void computedColumns_data()
    {
        QTest::addColumn<QString>("select");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("integer") << "SELECT 1 + 1" << 3 << "2";
        QTest::newRow("count") << "SELECT count(*) FROM sql信息表" << 3 << "5";
        QTest::newRow("beyond 32 bits") << "SELECT 5000000000" << 20 << "5000000000";
        QTest::newRow("later value beyond 32 bits") << "SELECT 1 UNION ALL SELECT 5000000000" << 20 << "1";
        QTest::newRow("real") << "SELECT 1.5" << 5 << "1.50000000";
        QTest::newRow("text") << "SELECT 'abc'" << 202 << "abc";
        QTest::newRow("blob") << "SELECT x'00'" << 205 << "[BLOB]";
        QTest::newRow("all NULL") << "SELECT NULL" << 202 << "";
        QTest::newRow("NULL then integer") << "SELECT NULL AS v UNION ALL SELECT 4" << 3 << "";
    }

    void computedColumns()
    {
        QFETCH(QString, select);
        QFETCH(int, type);
        QFETCH(QString, text);
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(select));
        QCOMPARE(rs.fieldType(0), type);
        QString got;
        QVERIFY(rs.readText(0, got));
        QCOMPARE(got, text);
    }

    void readInt_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("expected"); // the target after the call (it starts as -99)

        QTest::newRow("INTEGER") << "INTEGER" << "42" << true << 42;
        QTest::newRow("SMALLINT") << "SMALLINT" << "-5" << true << -5;
        QTest::newRow("TINYINT") << "TINYINT" << "200" << true << 200;
        QTest::newRow("BIGINT in range") << "BIGINT" << "2147483647" << true << 2147483647;
        QTest::newRow("BIGINT out of range") << "BIGINT" << "9000000000" << false << -99;
        QTest::newRow("NULL integer") << "INTEGER" << "NULL" << true << 0;
        QTest::newRow("REAL") << "REAL" << "3" << false << -99;
        QTest::newRow("MONEY") << "MONEY" << "3" << false << -99;
        QTest::newRow("NUMERIC") << "NUMERIC" << "3" << false << -99;
        QTest::newRow("BIT") << "BIT" << "1" << false << -99;
        QTest::newRow("VARCHAR") << "VARCHAR(5)" << "'3'" << false << -99;
        QTest::newRow("DATE") << "DATE" << "'2016-09-01'" << false << -99;
        QTest::newRow("BLOB") << "BLOB" << "x'03'" << false << -99;
    }

    void readInt()
    {
        QFETCH(QString, declared);
        QFETCH(QString, value);
        QFETCH(bool, ok);
        QFETCH(int, expected);
        QVERIFY(m_db.executeSql(QStringLiteral("DROP TABLE IF EXISTS 整数; CREATE TABLE 整数(值 %1);"
                                               "INSERT INTO 整数 VALUES(%2)")
                                    .arg(declared, value)));
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT 值 FROM 整数")));
        int target = -99;
        QCOMPARE(rs.readInt(0, target), ok);
        QCOMPARE(target, expected);
        target = -99;
        QCOMPARE(rs.readInt(u"值", target), ok);
        QCOMPARE(target, expected);
        target = -99;
        QVERIFY(!rs.readInt(1, target)); // no such field
        QCOMPARE(target, -99);
    }

    void readBytes()
    {
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT 数据集, 事件, 编号 FROM sql信息表 WHERE 编号 = 3")));
        QByteArray bytes("stale");
        QVERIFY(rs.readBytes(u"数据集", bytes));
        QCOMPARE(bytes, QByteArray("\0", 1));
        QVERIFY(rs.readBytes(1, bytes)); // text as UTF-8
        QCOMPARE(bytes, QByteArray("O'Brien"));
        QVERIFY(rs.readBytes(2, bytes));
        QCOMPARE(bytes, QByteArray("3"));
        QVERIFY(!rs.readBytes(u"没有", bytes));
        QVERIFY(bytes.isEmpty());
        QVERIFY(rs.moveNext());
        bytes = "stale";
        QVERIFY(!rs.readBytes(0, bytes)); // past the end
        QVERIFY(bytes.isEmpty());
    }

    void directReads()
    {
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT 1 AS a, 2.5 AS b, ' 12.5abc' AS c, 'abc' AS d, NULL AS e")));
        QCOMPARE(rs.numberAt(0, 0), 1.0);
        QCOMPARE(rs.numberAt(0, 1), 2.5);
        QCOMPARE(rs.numberAt(0, 2), 12.5); // the number the text starts with
        QCOMPARE(rs.numberAt(0, 3), 0.0);
        QCOMPARE(rs.numberAt(0, 4), 0.0);
        QVERIFY(rs.isNull(0, 4));
        QVERIFY(rs.isNull(1, 0)); // no such record
        QCOMPARE(rs.textAt(0, 1), QStringLiteral("2.50000000"));
        QVERIFY(rs.textAt(0, 9).isEmpty());
        QCOMPARE(rs.position(), 0); // direct reads do not move
    }

    void find_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<int>("start"); // records to move past before the find
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("id");    // 编号 of the found record

        QTest::newRow("text") << "事件='简单查询'" << 0 << true << 2;
        QTest::newRow("from the current record") << "事件='简单查询'" << 1 << true << 2;
        QTest::newRow("forward only") << "事件='简单查询'" << 2 << true << 5;
        QTest::newRow("none after") << "事件='查询'" << 1 << false << 0;
        QTest::newRow("doubled quote") << "事件='O''Brien'" << 0 << true << 3;
        QTest::newRow("spaces around") << "  事件 = '查询' " << 0 << true << 1;
        QTest::newRow("bracketed field") << "[事件]='查询'" << 0 << true << 1;
        QTest::newRow("field case") << "sql语句='SELECT 2'" << 0 << true << 5;
        QTest::newRow("exact, not case-folded") << "sql语句='select 2'" << 0 << false << 0;
        QTest::newRow("number") << "编号=4" << 0 << true << 4;
        QTest::newRow("number with point") << "编号=4.0" << 0 << true << 4;
        QTest::newRow("empty text does not match NULL") << "事件=''" << 0 << false << 0;
        QTest::newRow("no match") << "事件='没有'" << 0 << false << 0;
        QTest::newRow("unquoted quote is malformed") << "事件='it's'" << 0 << false << 0;
        QTest::newRow("unclosed quote") << "事件='abc" << 0 << false << 0;
        QTest::newRow("no equals sign") << "事件" << 0 << false << 0;
        QTest::newRow("no such field") << "没有='查询'" << 0 << false << 0;
        QTest::newRow("not a number") << "编号=abc" << 0 << false << 0;
    }

    void find()
    {
        QFETCH(QString, criteria);
        QFETCH(int, start);
        QFETCH(bool, found);
        QFETCH(int, id);
        RecordSet rs;
        rs.bindConnection(&m_db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 ORDER BY 编号")));
        for (int i = 0; i < start; ++i)
            QVERIFY(rs.moveNext());
        QCOMPARE(rs.find(criteria, 1), found);
        if (found) {
            int got = 0;
            QVERIFY(rs.readInt(u"编号", got));
            QCOMPARE(got, id);
        } else {
            QVERIFY(rs.isEof());
            QCOMPARE(rs.position(), rs.recordCount());
        }
    }

    void updateStoresBinaryThroughKey_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zero bytes, integer primary key") << "sql信息表" << withZeros();
        QTest::newRow("empty value") << "sql信息表" << QByteArray("");
        QTest::newRow("large value") << "sql信息表" << largeBytes(300 * 1024);
        QTest::newRow("key by the 编号 column") << "无主键表" << withZeros();
        QTest::newRow("composite primary key") << "复合键表" << withZeros();
    }

    void updateStoresBinaryThroughKey()
    {
        QFETCH(QString, table);
        QFETCH(QByteArray, bytes);
        const QString path = makeDatabase(QStringLiteral("update.mdb"), QStringLiteral(
            "CREATE TABLE 无主键表(编号 INTEGER, 事件 TEXT, 数据集 BLOB);"
            "INSERT INTO 无主键表 SELECT 编号, 事件, 数据集 FROM sql信息表;"
            "CREATE TABLE 复合键表(甲 INTEGER, 乙 TEXT, 事件 TEXT, 数据集 BLOB, PRIMARY KEY(乙, 甲));"
            "INSERT INTO 复合键表 SELECT 1, 'k' || 编号, 事件, 数据集 FROM sql信息表;"));
        DatabaseConnection db;
        QVERIFY(db.connectAccess(path, QString()));
        RecordSet rs;
        rs.bindConnection(&db);
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM %1").arg(table)));
        QVERIFY(rs.find(QStringLiteral("事件='O''Brien'")));
        QVERIFY(rs.writeBytes(u"数据集", bytes));
        QVERIFY(rs.update());

        // Only that row changed, and the record set holds the new value too.
        const QString stored = QStringLiteral("SELECT 数据集 FROM %1 WHERE 事件 = 'O''Brien'").arg(table);
        QCOMPARE(TestDb::blob(path, stored), bytes);
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT typeof(数据集) FROM %1 WHERE 事件 = 'O''Brien'").arg(table)),
                 QStringLiteral("blob"));
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT count(*) FROM %1 WHERE 数据集 IS NOT NULL").arg(table)),
                 QStringLiteral("1"));
        QByteArray read;
        QVERIFY(rs.readBytes(u"数据集", read));
        QCOMPARE(read, bytes);

        // A fresh record set reads the same bytes.
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM %1").arg(table)));
        QVERIFY(rs.find(QStringLiteral("事件='O''Brien'")));
        QVERIFY(rs.readBytes(u"数据集", read));
        QCOMPARE(read, bytes);
    }

    void updateFailures()
    {
        const QString path = makeDatabase(QStringLiteral("fail.mdb"), QStringLiteral(
            "CREATE TABLE 重复(名 VARCHAR(10), 数据集 BLOB);"
            "INSERT INTO 重复 VALUES('a', NULL); INSERT INTO 重复 VALUES('a', NULL);"));
        DatabaseConnection db;
        QVERIFY(db.connectAccess(path, QString()));
        RecordSet rs;
        rs.bindConnection(&db);

        // Two identical rows: no key tells them apart, so nothing is written.
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM 重复")));
        QVERIFY(rs.writeBytes(u"数据集", withZeros()));
        QVERIFY(!rs.update());
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT count(*) FROM 重复 WHERE 数据集 IS NULL")),
                 QStringLiteral("2"));
        QByteArray read("stale");
        QVERIFY(rs.readBytes(u"数据集", read));
        QVERIFY(read.isEmpty()); // the edit was dropped

        // A computed field has no table to go to.
        QVERIFY(rs.open(QStringLiteral("SELECT 1 AS 编号, x'00' AS 数据集")));
        QVERIFY(rs.writeBytes(u"数据集", withZeros()));
        QVERIFY(!rs.update());

        // The record was deleted behind the record set's back.
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 WHERE 编号 = 2")));
        QVERIFY(db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号 = 2")));
        QVERIFY(rs.writeBytes(u"数据集", withZeros()));
        QVERIFY(!rs.update());

        // No current record, no such field.
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 WHERE 编号 = 1")));
        QVERIFY(!rs.writeBytes(u"没有", withZeros()));
        QVERIFY(rs.moveNext());
        QVERIFY(!rs.writeBytes(u"数据集", withZeros()));

        // A pending edit is dropped by a move and by close; update then has nothing to store.
        QVERIFY(rs.moveFirst());
        QVERIFY(rs.writeBytes(u"数据集", withZeros()));
        QVERIFY(rs.moveFirst());
        QVERIFY(rs.update());
        QVERIFY(TestDb::blob(path, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号 = 1")).isEmpty());
        QVERIFY(rs.writeBytes(u"数据集", withZeros()));
        rs.close();
        QVERIFY(!rs.update());

        // Rows read from an earlier session are never written into a later one.
        QVERIFY(rs.open(QStringLiteral("SELECT * FROM sql信息表 WHERE 编号 = 1")));
        QVERIFY(db.connectAccess(path, QString()));
        QVERIFY(rs.writeBytes(u"数据集", withZeros()));
        QVERIFY(!rs.update());
        QVERIFY(TestDb::blob(path, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号 = 1")).isEmpty());
    }

    void updateTextField()
    {
        const QString path = makeDatabase(QStringLiteral("text.mdb"));
        DatabaseConnection db;
        QVERIFY(db.connectAccess(path, QString()));
        RecordSet rs;
        rs.bindConnection(&db);
        QVERIFY(rs.open(QStringLiteral("SELECT 编号, SQL语句 FROM sql信息表 WHERE 编号 = 5")));
        QVERIFY(rs.writeBytes(u"sql语句", QStringLiteral("SELECT 姓名 FROM 人员信息表").toUtf8()));
        QVERIFY(rs.update());
        QCOMPARE(TestDb::value(path, QStringLiteral("SELECT SQL语句 || '|' || typeof(SQL语句) FROM sql信息表 WHERE 编号 = 5")),
                 QStringLiteral("SELECT 姓名 FROM 人员信息表|text"));
        QString text;
        QVERIFY(rs.readText(1, text));
        QCOMPARE(text, QStringLiteral("SELECT 姓名 FROM 人员信息表"));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
