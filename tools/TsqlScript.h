#pragma once

#include "Catalogue.h"

#include <QString>
#include <QStringList>

struct sqlite3;

/// The SQL Server form of the practice database: a T-SQL script that makes
/// the database mstest with the same tables and rows, and the SQL Server
/// catalogue in sql信息表.
namespace TsqlScript {

/// The whole script (lines end in CR LF). The tables and rows come from the
/// SQLite database as built from the schema files, the catalogue from rows.
QString write(sqlite3 *db, const QList<Catalogue::Row> &rows, QStringList &errors);

/// The T-SQL column type for a SQLite declared type; empty when unknown.
QString columnType(const QString &declared);

/// Every string literal of the text written as a Unicode literal (N'...'),
/// so Chinese texts survive whatever the server's code page.
QString unicodeLiterals(const QString &sql);

/// A T-SQL expression for the text: N'...' pieces joined by CR LF.
QString textLiteral(const QString &text);

} // namespace TsqlScript
