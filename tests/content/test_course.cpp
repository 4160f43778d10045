// The bundled practice database and its course: every catalogue item has a
// page and a sheet, and the whole course runs, in catalogue order and the
// way each item's execution mode runs it, on a fresh copy and a second time.
#include "app/core/AppPaths.h"
#include "components/data/AdoType.h"
#include "components/data/Cp936.h"
#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "support/TestSupport.h"
#include "viewer/SheetFormat.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Item
{
    int id = 0;
    QString name;
    int parent = 0;
    int level = 0;
    QString sql;
    QString mode;
    QByteArray sheet;

    bool isDirectory() const { return parent == 0; }
};

const QString recordSetMode = QStringLiteral("记录集");
const QString commandMode = QStringLiteral("数据库连接");

/// The catalogue as the tree shows it: directories by 级别, each followed by
/// its statements by 级别.
QList<Item> catalogueInOrder(const QString &path)
{
    QList<Item> all;
    const QList<QStringList> rows = TestDb::rows(
        path, QStringLiteral("SELECT 编号, 事件, 父编号, 级别, SQL语句, 执行方式 FROM sql信息表 ORDER BY 父编号, 级别"));
    for (const QStringList &r : rows) {
        Item item;
        item.id = r.at(0).toInt();
        item.name = r.at(1);
        item.parent = r.at(2).toInt();
        item.level = r.at(3).toInt();
        item.sql = r.at(4);
        item.mode = r.at(5);
        item.sheet = TestDb::blob(path, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号 = %1").arg(item.id));
        all.append(item);
    }
    QList<Item> ordered;
    for (const Item &dir : all) {
        if (!dir.isDirectory())
            continue;
        ordered.append(dir);
        for (const Item &statement : all) {
            if (statement.parent == dir.id)
                ordered.append(statement);
        }
    }
    return ordered;
}

/// Runs one catalogue item the way its execution mode does. Returns the
/// empty text on success, else what went wrong.
QString runItem(DatabaseConnection &db, const Item &item)
{
    if (item.mode == recordSetMode) {
        RecordSet records;
        records.bindConnection(&db);
        if (!records.open(item.sql, 1))
            return QStringLiteral("open failed: ") + db.lastError();
        if (records.fieldCount() <= 0)
            return QStringLiteral("the query returned no columns");
        return {};
    }
    if (item.mode == commandMode) {
        if (!db.executeSql(item.sql))
            return QStringLiteral("executeSql failed: ") + db.lastError();
        return {};
    }
    return QStringLiteral("mode \"%1\" does not belong in the local catalogue").arg(item.mode);
}

QString generatedDb()
{
    return QString::fromUtf8(QORVEX_GENERATED_DB);
}

QString freshCopy(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("人员信息库.mdb"));
    QFile::remove(path);
    QFile::copy(generatedDb(), path);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCourse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(generatedDb()), "the build did not generate the practice database");
        m_items = catalogueInOrder(generatedDb());
        QVERIFY(!m_items.isEmpty());
    }

    void catalogueHasTheCourse()
    {
        int directories = 0;
        int statements = 0;
        QSet<QString> names;
        QHash<int, QList<int>> levels;
        QSet<int> directoryIds;
        for (const Item &item : m_items) {
            QVERIFY2(!names.contains(item.name), qPrintable(QStringLiteral("duplicate name ") + item.name));
            names.insert(item.name);
            QVERIFY2(!item.name.isEmpty() && item.name.size() <= 12, qPrintable(item.name));
            QVERIFY2(AppPaths::isSafePageName(item.name), qPrintable(item.name + QStringLiteral(" cannot name a page")));
            levels[item.parent].append(item.level);
            if (item.isDirectory()) {
                ++directories;
                directoryIds.insert(item.id);
                QVERIFY2(item.sql.isEmpty() && item.mode.isEmpty(), qPrintable(item.name));
            } else {
                ++statements;
                QVERIFY2(directoryIds.contains(item.parent), qPrintable(item.name + QStringLiteral(" hangs below no directory")));
                QVERIFY2(item.mode == recordSetMode || item.mode == commandMode, qPrintable(item.name + QLatin1Char(' ') + item.mode));
                QVERIFY2(!item.sql.trimmed().isEmpty(), qPrintable(item.name));
                // Stored texts use CR LF line ends, like the editor writes them.
                QVERIFY2(!item.sql.contains(QRegularExpression(QStringLiteral("(?<!\\r)\\n"))), qPrintable(item.name));
            }
        }
        QVERIFY2(directories >= 15, qPrintable(QString::number(directories)));
        QVERIFY2(statements >= 120, qPrintable(QString::number(statements)));
        // 级别 is dense from 1 among the items of one parent.
        for (auto it = levels.begin(); it != levels.end(); ++it) {
            QList<int> l = it.value();
            std::sort(l.begin(), l.end());
            for (int i = 0; i < l.size(); ++i)
                QCOMPARE(l.at(i), i + 1);
        }
    }

    void everyItemHasPageAndSheet()
    {
        const QDir pages(QString::fromUtf8(QORVEX_GENERATED_PAGES));
        const QStringList labels = {QStringLiteral("语句类型"), QStringLiteral("语句格式"), QStringLiteral("SQL语句"),
                                    QStringLiteral("语句说明"), QStringLiteral("执行语句"), QStringLiteral("练习语句")};
        QStringList problems;
        for (const Item &item : m_items) {
            const QByteArray page = fileBytes(pages.filePath(item.name + QStringLiteral(".htm")));
            if (page.isEmpty())
                problems << item.name + QStringLiteral(": no page");
            else if (!Cp936::isValidUtf8(page) || !page.contains("<meta charset=\"utf-8\">") ||
                     !QString::fromUtf8(page).contains(item.name.toHtmlEscaped()))
                problems << item.name + QStringLiteral(": page is not a UTF-8 page about this item");

            if (item.sheet.isEmpty()) {
                problems << item.name + QStringLiteral(": no sheet");
                continue;
            }
            // Every character of the sheet made it into code page 936.
            if (Cp936::encode(Cp936::decode(item.sheet)) != item.sheet || item.sheet.contains('?'))
                problems << item.name + QStringLiteral(": sheet bytes are not clean code page 936");
            const QList<QStringList> rows = SheetFormat::decode(SheetFormat::textOfBytes(item.sheet));
            if (rows.size() != labels.size()) {
                problems << item.name + QStringLiteral(": sheet has %1 rows").arg(rows.size());
                continue;
            }
            for (int r = 0; r < rows.size(); ++r) {
                const bool needsText = !item.isDirectory() || r == 3;
                if (rows.at(r).value(0) != labels.at(r) || rows.at(r).size() > 2 ||
                    (needsText && rows.at(r).value(1).trimmed().isEmpty()))
                    problems << item.name + QStringLiteral(": sheet row %1 is wrong").arg(r);
            }
            if (!item.isDirectory() && (rows.at(2).value(1) != item.sql || rows.at(4).value(1) != item.sql))
                problems << item.name + QStringLiteral(": sheet does not hold the item's SQL");
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void practiceTablesKeepTheirTypes()
    {
        DatabaseConnection db;
        QTemporaryDir dir;
        QVERIFY(db.connectAccess(freshCopy(dir), QString()));
        RecordSet people;
        people.bindConnection(&db);
        QVERIFY(people.open(QStringLiteral("SELECT * FROM 人员信息表")));
        QVERIFY(people.recordCount() >= 30);
        const QList<QPair<QString, int>> expected = {
            {QStringLiteral("编号"), AdoType::Integer},   {QStringLiteral("姓名"), AdoType::VarWChar},
            {QStringLiteral("出生日期"), AdoType::Date},  {QStringLiteral("工资"), AdoType::Currency},
            {QStringLiteral("身高"), AdoType::Double},    {QStringLiteral("绩效"), AdoType::Numeric},
            {QStringLiteral("在职"), AdoType::Boolean},   {QStringLiteral("备注"), AdoType::VarWChar},
            {QStringLiteral("部门编号"), AdoType::Integer},
        };
        for (const auto &[name, type] : expected) {
            const int field = people.fieldIndex(name);
            QVERIFY2(field >= 0, qPrintable(name));
            QCOMPARE(people.fieldType(field), type);
        }
        // The outer-join and IS NULL lessons need people without a
        // department, a department without people and missing remarks.
        QVERIFY(TestDb::value(generatedDb(), QStringLiteral("SELECT COUNT(*) FROM 人员信息表 WHERE 部门编号 IS NULL")).toInt() > 0);
        QVERIFY(TestDb::value(generatedDb(), QStringLiteral("SELECT COUNT(*) FROM 人员信息表 WHERE 备注 IS NULL")).toInt() > 0);
        QVERIFY(TestDb::value(generatedDb(), QStringLiteral("SELECT COUNT(*) FROM 部门表 d WHERE NOT EXISTS "
                                                            "(SELECT * FROM 人员信息表 p WHERE p.部门编号 = d.部门编号)"))
                    .toInt() > 0);
    }

    void courseRunsInOrderTwice()
    {
        QTemporaryDir dir;
        DatabaseConnection db;
        QVERIFY(db.connectAccess(freshCopy(dir), QString()));
        QStringList failures;
        for (int pass = 1; pass <= 2; ++pass) {
            QString directory;
            for (const Item &item : m_items) {
                if (item.isDirectory()) {
                    directory = item.name;
                    continue;
                }
                const QString error = runItem(db, item);
                if (!error.isEmpty())
                    failures << QStringLiteral("pass %1, %2 / %3: %4").arg(pass).arg(directory, item.name, error);
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }

    void committedServerScriptIsCurrent()
    {
        const QByteArray committed = fileBytes(QStringLiteral(QORVEX_SOURCE_DIR "/data/mstest.sql"));
        const QByteArray generated = fileBytes(QStringLiteral(QORVEX_BINARY_DIR "/generated/mstest.sql"));
        QVERIFY(!generated.isEmpty());
        QVERIFY2(committed == generated,
                 "data/mstest.sql is stale: build the target qorvex_update_mstest and commit the result");
    }

    void serverCatalogueIsTransactSql()
    {
        const QString script = QString::fromUtf8(fileBytes(QStringLiteral(QORVEX_BINARY_DIR "/generated/mstest.sql")));
        QVERIFY(script.contains(QStringLiteral("CREATE DATABASE mstest")));
        QVERIFY(script.contains(QStringLiteral("N'创建'")));
        QVERIFY(script.contains(QStringLiteral("N'数据库改名'")));
        // SQLite forms that SQL Server does not understand; an example that
        // uses one needs its own T-SQL form in the course file.
        const QStringList sqliteOnly = {QStringLiteral(" LIMIT "), QStringLiteral("||"), QStringLiteral("strftime("),
                                        QStringLiteral("julianday("), QStringLiteral("substr("), QStringLiteral("instr("),
                                        QStringLiteral("printf("), QStringLiteral("length("), QStringLiteral("'now'"),
                                        QStringLiteral("sqlite_master"), QStringLiteral("pragma_"), QStringLiteral("ADD COLUMN"),
                                        QStringLiteral("SAVEPOINT"), QStringLiteral("EXPLAIN"), QStringLiteral("IFNULL(")};
        QStringList problems;
        for (const QString &line : script.split(QStringLiteral("\r\n"))) {
            if (!line.startsWith(QStringLiteral("INSERT INTO sql信息表")))
                continue;
            for (const QString &s : sqliteOnly) {
                if (line.contains(s))
                    problems << s + QStringLiteral(" in ") + line.left(120);
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

private:
    QList<Item> m_items;
};

QTEST_GUILESS_MAIN(TestCourse)
#include "test_course.moc"
