#pragma once

#include "CourseSource.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// The rows of sql信息表 that a course makes, for one of the two catalogues.
namespace Catalogue {

struct Row
{
    int id = 0;
    QString name;
    int parent = 0;
    int level = 0;
    QString sql;   ///< with CR LF line ends; empty for a directory
    QString mode;  ///< empty for a directory
    QByteArray sheet; ///< the sheet text in code page 936
    const Course::Example *example = nullptr; ///< null for a directory
    const Course::Directory *directory = nullptr;
};

/// Local (SQLite) or SQL Server catalogue: numbered 1.. in file order, each
/// directory followed by its statements, levels dense from 1.
QList<Row> build(const QList<Course::Directory> &course, bool server);

/// The six labelled rows of a sheet, each cell's line ends CR LF.
QList<QStringList> exampleSheet(const Course::Example &e, bool server);
QList<QStringList> directorySheet(const Course::Directory &d, bool server);

QString withCrLf(const QString &text);

} // namespace Catalogue
