#pragma once

#include "CourseRun.h"
#include "CourseSource.h"

#include <QHash>
#include <QString>
#include <QStringList>

/// The example pages: one HTML file per directory and example, made from the
/// template page, whose title and the part between <!--内容--> and
/// <!--/内容--> are replaced.
namespace CoursePages {

/// The template with the title and content put in.
QString fill(const QString &templateText, const QString &title, const QString &contentHtml);

QString directoryHtml(const Course::Directory &d);
/// result: what the example gave on a fresh database (null when not run).
QString exampleHtml(const Course::Directory &d, const Course::Example &e, int position,
                    const CourseRun::Result *result);

/// Writes <folder>/<name>.htm for every directory and example, after
/// removing the pages a previous run left there.
bool writeAll(const QString &templateText, const QString &folder, const QList<Course::Directory> &course,
              const QHash<QString, CourseRun::Result> &results, QStringList &errors);

/// True when the template has the markers fill() replaces.
bool isUsableTemplate(const QString &templateText);

} // namespace CoursePages
