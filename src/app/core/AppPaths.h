#pragma once

#include <QString>

/// File paths of the program: its directory followed by a fixed tail.
namespace AppPaths {

/// The directory that holds the program file, without a trailing separator.
QString programDir();
/// Points every path at another folder (tests and benchmarks use this).
void setProgramDir(const QString &dir);

QString configFile();      ///< <dir>/config.ini
QString databaseFile();    ///< <dir>/data/人员信息库.mdb
QString templatePage();    ///< <dir>/photo/模板.htm

/// The example page of a catalogue item: <dir>/photo/<name>.htm. A name that
/// could leave photo/ (a path separator, "..", a NUL or other control
/// character, a drive colon), or that is too long for a file name, has no
/// page: the result is empty, and every caller treats the empty path as
/// "no file".
QString examplePagePath(const QString &name);
/// True when the name can name a page file inside photo/.
bool isSafePageName(const QString &name);

} // namespace AppPaths
