#include "CourseRun.h"

#include <sqlite3.h>

namespace CourseRun {

bool exec(sqlite3 *db, const QString &sql, QString &error)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

namespace {

bool onlyBlanks(const char *tail)
{
    for (; tail && *tail; ++tail) {
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            return false;
    }
    return true;
}

} // namespace

Result run(sqlite3 *db, const QString &sql, const QString &mode, int keepRows)
{
    Result result;
    if (mode == QStringLiteral("数据库连接")) {
        result.ok = exec(db, sql, result.error);
        return result;
    }
    if (mode != QStringLiteral("记录集")) {
        result.error = QStringLiteral("本地数据库不能执行方式“%1”").arg(mode);
        return result;
    }

    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &stmt, &tail) != SQLITE_OK) {
        result.error = QString::fromUtf8(sqlite3_errmsg(db));
        return result;
    }
    if (!stmt) {
        result.error = QStringLiteral("没有语句");
        return result;
    }
    // A record set opens one query: text after it would never run.
    if (!onlyBlanks(tail)) {
        sqlite3_finalize(stmt);
        result.error = QStringLiteral("“记录集”方式只能有一条查询语句");
        return result;
    }
    const int columns = sqlite3_column_count(stmt);
    if (columns == 0) {
        sqlite3_finalize(stmt);
        result.error = QStringLiteral("“记录集”方式的语句没有返回列");
        return result;
    }
    result.returnsRows = true;
    for (int c = 0; c < columns; ++c)
        result.columns.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++result.total;
        if (result.rows.size() >= keepRows)
            continue;
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_NULL)
                row.append(QString());
            else if (sqlite3_column_type(stmt, c) == SQLITE_BLOB)
                row.append(QStringLiteral("[BLOB]"));
            else if (sqlite3_column_bytes(stmt, c) == 0)
                row.append(QStringLiteral("")); // empty, and not null
            else
                row.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c))));
        }
        result.rows.append(row);
    }
    if (rc != SQLITE_DONE) {
        result.error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
        return result;
    }
    sqlite3_finalize(stmt);
    result.ok = true;
    return result;
}

} // namespace CourseRun
