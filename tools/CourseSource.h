#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// The course as a teacher writes it: one text file per directory of the
/// catalogue (format described in data/course/README.md).
namespace Course {

/// Which catalogue an entry belongs to.
enum class Scope { Both, LocalOnly, ServerOnly };

struct Example
{
    QString name;
    QString mode;
    QString type;
    QString syntax;
    QString sql;        ///< SQLite form (for a server-only example: its T-SQL)
    QString tsql;       ///< T-SQL form when it differs, else empty
    QString tsqlSyntax; ///< T-SQL syntax when it differs, else empty
    QString explanation;
    QString exercise;
    QString pageBody;   ///< extra HTML for the page, may be empty
    Scope scope = Scope::Both;
    QString origin;     ///< "file:line" for messages

    bool inLocal() const { return scope != Scope::ServerOnly; }
    bool inServer() const { return scope != Scope::LocalOnly; }
    /// The statement the SQL Server catalogue carries.
    QString serverSql() const { return tsql.isEmpty() ? sql : tsql; }
    QString serverSyntax() const { return tsqlSyntax.isEmpty() ? syntax : tsqlSyntax; }
};

struct Directory
{
    QString name;
    QString explanation;
    QString exercise;
    QString pageBody;
    Scope scope = Scope::Both;
    QString origin;
    QList<Example> examples;

    bool inLocal() const { return scope != Scope::ServerOnly; }
    bool inServer() const { return scope != Scope::LocalOnly; }
};

/// Reads one course file. Problems are appended to errors as "file:line: text".
Directory parseFile(const QString &fileName, const QString &text, QStringList &errors);

/// Reads every *.txt of the folder in name order.
QList<Directory> readFolder(const QString &folder, QStringList &errors);

/// Checks what a single file cannot: names unique over the whole course, safe
/// as file names, texts that code page 936 can hold, modes that fit the
/// catalogue they land in.
void validate(const QList<Directory> &course, QStringList &errors);

/// True when the name can be a page file name on every system the program
/// runs on, and a quoted criteria value.
bool isSafeName(const QString &name);

/// The longest name the tree shows without cutting it.
constexpr int maxNameLength = 12;

} // namespace Course
