#include "AppPaths.h"

#include <QCoreApplication>
#include <QFile>

namespace {
QString g_programDir;
}

namespace AppPaths {

QString programDir()
{
    if (!g_programDir.isEmpty())
        return g_programDir;
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

void setProgramDir(const QString &dir)
{
    g_programDir = dir;
    while (g_programDir.size() > 1 && g_programDir.endsWith(QLatin1Char('/')))
        g_programDir.chop(1);
}

QString configFile()
{
    return programDir() + QStringLiteral("/config.ini");
}

QString databaseFile()
{
    return programDir() + QStringLiteral("/data/人员信息库.mdb");
}

QString templatePage()
{
    return programDir() + QStringLiteral("/photo/模板.htm");
}

bool isSafePageName(const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')))
        return false;
    if (name.contains(QStringLiteral("..")))
        return false;
    // A file name longer than the file system takes (255 bytes with ".htm")
    // could never be created or found.
    if (QFile::encodeName(name).size() + 4 > 255)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QString examplePagePath(const QString &name)
{
    if (!isSafePageName(name))
        return {};
    return programDir() + QStringLiteral("/photo/") + name + QStringLiteral(".htm");
}

} // namespace AppPaths
