#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

/// Runs catalogue statements on a SQLite database the way the program's two
/// local execution modes do, keeping the first rows of a query for its page.
namespace CourseRun {

struct Result
{
    bool ok = false;
    QString error;
    bool returnsRows = false;
    QStringList columns;
    QList<QStringList> rows; ///< the first rows only; NULL as a null QString
    int total = 0;           ///< every row the query returned
};

/// "记录集": one statement that must return columns; "数据库连接": the whole
/// text, every statement of it. keepRows limits Result::rows.
Result run(sqlite3 *db, const QString &sql, const QString &mode, int keepRows);

/// Runs a whole SQL text; false with the message on error.
bool exec(sqlite3 *db, const QString &sql, QString &error);

} // namespace CourseRun
