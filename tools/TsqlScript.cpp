#include "TsqlScript.h"

#include <sqlite3.h>

#include <QLocale>
#include <QMap>
#include <QRegularExpression>

namespace TsqlScript {

namespace {

QString fromText(const unsigned char *text)
{
    return text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString();
}

// Rows of a query as texts; NULL as a null QString.
QList<QStringList> query(sqlite3 *db, const QString &sql)
{
    QList<QStringList> rows;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            row.append(fromText(sqlite3_column_text(stmt, c)));
        rows.append(row);
    }
    sqlite3_finalize(stmt);
    return rows;
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Plain when every character may stand in a regular identifier, bracketed otherwise.
QString ident(const QString &name)
{
    bool plain = !name.isEmpty() && !name.at(0).isDigit();
    for (const QChar c : name)
        plain = plain && isIdentifierChar(c);
    if (plain)
        return name;
    QString inner = name;
    inner.replace(QLatin1Char(']'), QLatin1String("]]"));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString sqlQuoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString stringLiteral(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral("N'") + q + QLatin1Char('\'');
}

QString hexLiteral(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("NULL");
    return QStringLiteral("0x") + QString::fromLatin1(bytes.toHex().toUpper());
}

bool isDateType(const QString &declared)
{
    const QString t = declared.trimmed().toUpper();
    return t.startsWith(QLatin1String("DATE")) || t.startsWith(QLatin1String("TIME"));
}

// A date for a datetime column in a form SQL Server reads the same under
// every language setting: 'YYYYMMDD' or 'YYYY-MM-DDThh:mm:ss'.
QString dateLiteral(const QString &text)
{
    static const QRegularExpression dateOnly(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    static const QRegularExpression dateTime(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})[ T](\\d{2}:\\d{2}:\\d{2})$"));
    QRegularExpressionMatch m = dateOnly.match(text);
    if (m.hasMatch())
        return QLatin1Char('\'') + m.captured(1) + m.captured(2) + m.captured(3) + QLatin1Char('\'');
    m = dateTime.match(text);
    if (m.hasMatch())
        return QLatin1Char('\'') + m.captured(1) + QLatin1Char('T') + m.captured(2) + QLatin1Char('\'');
    return QString();
}

struct Column
{
    QString name;
    QString declared;
    bool notNull = false;
    QString defaultValue;
    int pk = 0;
};

} // namespace

QString columnType(const QString &declared)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([A-Za-z ]+?)\\s*(\\(\\s*(\\d+)\\s*(,\\s*(\\d+)\\s*)?\\))?\\s*$"));
    const QRegularExpressionMatch m = re.match(declared);
    if (!m.hasMatch())
        return QString();
    const QString base = m.captured(1).toUpper();
    const QString size = m.captured(3);
    const QString scale = m.captured(5);
    if (base == QLatin1String("INTEGER") || base == QLatin1String("INT"))
        return QStringLiteral("int");
    if (base == QLatin1String("SMALLINT"))
        return QStringLiteral("smallint");
    if (base == QLatin1String("TINYINT") || base == QLatin1String("BYTE"))
        return QStringLiteral("tinyint");
    if (base == QLatin1String("BIGINT"))
        return QStringLiteral("bigint");
    if (base == QLatin1String("REAL") || base == QLatin1String("FLOAT") || base == QLatin1String("DOUBLE"))
        return QStringLiteral("float");
    if (base == QLatin1String("SINGLE"))
        return QStringLiteral("real");
    if (base == QLatin1String("MONEY") || base == QLatin1String("CURRENCY"))
        return QStringLiteral("money");
    if (base == QLatin1String("DECIMAL") || base == QLatin1String("NUMERIC")) {
        if (size.isEmpty())
            return QStringLiteral("decimal(18,4)");
        return QStringLiteral("decimal(%1,%2)").arg(size, scale.isEmpty() ? QStringLiteral("0") : scale);
    }
    if (base == QLatin1String("DATE") || base == QLatin1String("DATETIME") || base == QLatin1String("TIME"))
        return QStringLiteral("datetime");
    if (base == QLatin1String("BIT") || base == QLatin1String("BOOLEAN") || base == QLatin1String("YESNO"))
        return QStringLiteral("bit");
    if (base == QLatin1String("CHAR") || base == QLatin1String("VARCHAR") || base == QLatin1String("NVARCHAR"))
        return QStringLiteral("nvarchar(%1)").arg(size.isEmpty() ? QStringLiteral("255") : size);
    if (base == QLatin1String("TEXT") || base == QLatin1String("MEMO") || base == QLatin1String("LONGTEXT") ||
        base == QLatin1String("NTEXT"))
        return QStringLiteral("nvarchar(max)");
    if (base == QLatin1String("BLOB") || base == QLatin1String("IMAGE") || base == QLatin1String("LONGBINARY"))
        return QStringLiteral("varbinary(max)");
    return QString();
}

QString unicodeLiterals(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    enum { Code, Literal, Bracket, Quoted, LineComment } state = Code;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        switch (state) {
        case Code:
            if (c == QLatin1Char('\'')) {
                // Already N'...'? Only when the N is a word of its own.
                const bool prefixed = i > 0 && (sql.at(i - 1) == QLatin1Char('N') || sql.at(i - 1) == QLatin1Char('n')) &&
                                      (i < 2 || !isIdentifierChar(sql.at(i - 2)));
                if (!prefixed)
                    out += QLatin1Char('N');
                state = Literal;
            } else if (c == QLatin1Char('[')) {
                state = Bracket;
            } else if (c == QLatin1Char('"')) {
                state = Quoted;
            } else if (c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('-')) {
                state = LineComment;
            }
            break;
        case Literal:
            if (c == QLatin1Char('\'')) {
                if (i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('\'')) {
                    out += c;
                    ++i;
                } else {
                    state = Code;
                }
            }
            break;
        case Bracket:
            if (c == QLatin1Char(']'))
                state = Code;
            break;
        case Quoted:
            if (c == QLatin1Char('"'))
                state = Code;
            break;
        case LineComment:
            if (c == QLatin1Char('\n'))
                state = Code;
            break;
        }
        out += c;
    }
    return out;
}

QString textLiteral(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("NULL");
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList lines = t.split(QLatin1Char('\n'));
    if (lines.size() == 1)
        return stringLiteral(text);
    // nvarchar(max) from the first piece on, so a long text is not cut at
    // 4000 characters; CR LF written as characters so the script's own line
    // ends do not matter.
    QString expr = QStringLiteral("CAST(") + stringLiteral(lines.first()) + QStringLiteral(" AS nvarchar(max))");
    for (qsizetype i = 1; i < lines.size(); ++i)
        expr += QStringLiteral(" + NCHAR(13) + NCHAR(10) + ") + stringLiteral(lines.at(i));
    return expr;
}

QString write(sqlite3 *db, const QList<Catalogue::Row> &rows, QStringList &errors)
{
    QStringList out;
    out << QStringLiteral("-- Qorvex 的 SQL Server 练习数据库 mstest：练习表、数据和 SQL Server 版的例程目录。")
        << QStringLiteral("-- 本文件由 qorvex_makedb 从 data/sqlite/*.sql 和 data/course/*.txt 生成，请改那些文件，不要改这里。")
        << QStringLiteral("-- 需要 SQL Server 2016 或更新的版本。执行：sqlcmd -S 服务器 -U sa -P 密码 -i mstest.sql")
        << QStringLiteral("-- 库 mstest 不存在时新建；库里的练习表和 sql信息表会被删掉重建，别的表不动。")
        << QString()
        << QStringLiteral("IF DB_ID(N'mstest') IS NULL")
        << QStringLiteral("    CREATE DATABASE mstest COLLATE Chinese_PRC_CI_AS;")
        << QStringLiteral("GO")
        << QStringLiteral("USE mstest;")
        << QStringLiteral("GO")
        << QStringLiteral("SET NOCOUNT ON;")
        << QStringLiteral("GO")
        << QString();

    const QList<QStringList> tables =
        query(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                                 "ORDER BY rowid"));
    QStringList names;
    for (const QStringList &t : tables) {
        names.append(t.at(0));
        if (t.at(1).contains(QLatin1String("CHECK"), Qt::CaseInsensitive))
            errors.append(QStringLiteral("表 %1 有 CHECK 约束，生成 T-SQL 时不会带上它").arg(t.at(0)));
    }

    // Foreign keys that other tables (a learner's, or the course's scratch
    // tables) hold on ours would block the drops below.
    QStringList objectIds;
    for (const QString &n : names)
        objectIds.append(QStringLiteral("OBJECT_ID(%1)").arg(stringLiteral(n)));
    out << QStringLiteral("-- 先去掉指向这些表的外键，再按建表的反序删表。")
        << QStringLiteral("DECLARE @drop nvarchar(max) = N'';")
        << QStringLiteral("SELECT @drop = @drop + N'ALTER TABLE ' + QUOTENAME(OBJECT_SCHEMA_NAME(parent_object_id)) + N'.' "
                          "+ QUOTENAME(OBJECT_NAME(parent_object_id)) + N' DROP CONSTRAINT ' + QUOTENAME(name) + N';'")
        << QStringLiteral("    FROM sys.foreign_keys WHERE referenced_object_id IN (%1);").arg(objectIds.join(QStringLiteral(", ")))
        << QStringLiteral("EXEC sp_executesql @drop;")
        << QStringLiteral("GO");
    for (qsizetype i = names.size() - 1; i >= 0; --i)
        out << QStringLiteral("DROP TABLE IF EXISTS %1;").arg(ident(names.at(i)));
    out << QStringLiteral("GO") << QString();

    QHash<QString, QList<Column>> columnsOf;
    for (const QString &table : names) {
        QList<Column> columns;
        for (const QStringList &c : query(db, QStringLiteral("PRAGMA table_info(%1)").arg(sqlQuoted(table)))) {
            Column col;
            col.name = c.at(1);
            col.declared = c.at(2);
            col.notNull = c.at(3) == QLatin1String("1");
            col.defaultValue = c.at(4);
            col.pk = c.at(5).toInt();
            columns.append(col);
        }
        columnsOf.insert(table, columns);

        QStringList defs;
        QStringList keyColumns(columns.size());
        int keyCount = 0;
        for (const Column &col : columns) {
            const QString type = columnType(col.declared);
            if (type.isEmpty())
                errors.append(QStringLiteral("表 %1 列 %2：类型 %3 没有对应的 T-SQL 类型").arg(table, col.name, col.declared));
            QString def = QStringLiteral("    %1 %2").arg(ident(col.name), type);
            if (col.notNull || col.pk > 0)
                def += QStringLiteral(" NOT NULL");
            if (!col.defaultValue.isNull())
                def += QStringLiteral(" DEFAULT ") + unicodeLiterals(col.defaultValue);
            defs.append(def);
            if (col.pk > 0) {
                keyColumns[col.pk - 1] = ident(col.name);
                ++keyCount;
            }
        }
        if (keyCount > 0) {
            keyColumns.resize(keyCount);
            defs.append(QStringLiteral("    PRIMARY KEY (%1)").arg(keyColumns.join(QStringLiteral(", "))));
        }
        // UNIQUE constraints live in SQLite as automatic indexes.
        QStringList extraIndexes;
        for (const QStringList &idx : query(db, QStringLiteral("PRAGMA index_list(%1)").arg(sqlQuoted(table)))) {
            const QString origin = idx.at(3);
            if (origin == QLatin1String("pk"))
                continue;
            QStringList cols;
            for (const QStringList &ic : query(db, QStringLiteral("PRAGMA index_info(%1)").arg(sqlQuoted(idx.at(1)))))
                cols.append(ident(ic.at(2)));
            if (origin == QLatin1String("u"))
                defs.append(QStringLiteral("    UNIQUE (%1)").arg(cols.join(QStringLiteral(", "))));
            else
                extraIndexes.append(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4);")
                                        .arg(idx.at(2) == QLatin1String("1") ? QStringLiteral("UNIQUE ") : QString(),
                                             ident(idx.at(1)), ident(table), cols.join(QStringLiteral(", "))));
        }
        // Foreign keys: one per id, columns in sequence order.
        QMap<int, QPair<QString, QPair<QStringList, QStringList>>> keys;
        for (const QStringList &fk : query(db, QStringLiteral("PRAGMA foreign_key_list(%1)").arg(sqlQuoted(table)))) {
            auto &k = keys[fk.at(0).toInt()];
            k.first = fk.at(2);
            k.second.first.append(ident(fk.at(3)));
            k.second.second.append(ident(fk.at(4)));
        }
        for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
            defs.append(QStringLiteral("    FOREIGN KEY (%1) REFERENCES %2 (%3)")
                            .arg(it.value().second.first.join(QStringLiteral(", ")), ident(it.value().first),
                                 it.value().second.second.join(QStringLiteral(", "))));
        }
        out << QStringLiteral("CREATE TABLE %1 (").arg(ident(table)) << defs.join(QStringLiteral(",\n")).split(QLatin1Char('\n'))
            << QStringLiteral(");");
        out << extraIndexes;
        out << QStringLiteral("GO");
    }
    out << QString();

    for (const QString &table : names) {
        if (table == QStringLiteral("sql信息表"))
            continue;
        const QList<Column> &columns = columnsOf.value(table);
        QStringList colNames;
        for (const Column &c : columns)
            colNames.append(ident(c.name));
        const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES (").arg(ident(table), colNames.join(QStringLiteral(", ")));
        sqlite3_stmt *stmt = nullptr;
        const QString select = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(sqlQuoted(table));
        if (sqlite3_prepare_v2(db, select.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            errors.append(QStringLiteral("表 %1：%2").arg(table, QString::fromUtf8(sqlite3_errmsg(db))));
            continue;
        }
        out << QStringLiteral("-- %1").arg(table);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList values;
            for (int c = 0; c < columns.size(); ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_NULL:
                    values.append(QStringLiteral("NULL"));
                    break;
                case SQLITE_INTEGER:
                    values.append(QString::number(sqlite3_column_int64(stmt, c)));
                    break;
                case SQLITE_FLOAT:
                    values.append(QString::number(sqlite3_column_double(stmt, c), 'g', QLocale::FloatingPointShortest));
                    break;
                case SQLITE_BLOB:
                    values.append(hexLiteral(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, c)),
                                                        sqlite3_column_bytes(stmt, c))));
                    break;
                default: {
                    const QString text = fromText(sqlite3_column_text(stmt, c));
                    QString date;
                    if (isDateType(columns.at(c).declared))
                        date = dateLiteral(text);
                    if (isDateType(columns.at(c).declared) && date.isEmpty())
                        errors.append(QStringLiteral("表 %1 列 %2：日期 %3 不是 YYYY-MM-DD 格式").arg(table, columns.at(c).name, text));
                    values.append(date.isEmpty() ? stringLiteral(text) : date);
                    break;
                }
                }
            }
            out << head + values.join(QStringLiteral(", ")) + QStringLiteral(");");
        }
        sqlite3_finalize(stmt);
        out << QStringLiteral("GO");
    }
    out << QString();

    out << QStringLiteral("-- 例程目录：目录的父编号为 0；数据集是例程表单的代码页 936 字节。");
    for (const Catalogue::Row &r : rows) {
        out << QStringLiteral("INSERT INTO sql信息表 (编号, 事件, 父编号, 级别, SQL语句, 执行方式, 源码段, 数据集) VALUES (%1, %2, %3, %4, %5, %6, NULL, %7);")
                   .arg(r.id)
                   .arg(stringLiteral(r.name))
                   .arg(r.parent)
                   .arg(r.level)
                   .arg(r.sql.isEmpty() ? QStringLiteral("NULL") : textLiteral(r.sql),
                        r.mode.isEmpty() ? QStringLiteral("NULL") : stringLiteral(r.mode), hexLiteral(r.sheet));
    }
    out << QStringLiteral("GO") << QString();
    return out.join(QStringLiteral("\r\n"));
}

} // namespace TsqlScript
