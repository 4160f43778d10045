#include "Catalogue.h"

#include "TsqlScript.h"

#include "components/data/Cp936.h"
#include "viewer/SheetFormat.h"

namespace Catalogue {

QString withCrLf(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t;
}

QList<QStringList> exampleSheet(const Course::Example &e, bool server)
{
    const QString sql = withCrLf(server ? TsqlScript::unicodeLiterals(e.serverSql()) : e.sql);
    return {
        {QStringLiteral("语句类型"), withCrLf(e.type)},
        {QStringLiteral("语句格式"), withCrLf(server ? e.serverSyntax() : e.syntax)},
        {QStringLiteral("SQL语句"), sql},
        {QStringLiteral("语句说明"), withCrLf(e.explanation)},
        {QStringLiteral("执行语句"), sql},
        {QStringLiteral("练习语句"), withCrLf(e.exercise)},
    };
}

QList<QStringList> directorySheet(const Course::Directory &d, bool server)
{
    QStringList names;
    for (const Course::Example &e : d.examples) {
        if (server ? e.inServer() : e.inLocal())
            names.append(e.name);
    }
    const QString exercise = d.exercise.isEmpty()
        ? QStringLiteral("展开本目录，依次选择例程，按“执行语句”运行并对照结果。")
        : d.exercise;
    return {
        {QStringLiteral("语句类型"), QStringLiteral("目录")},
        {QStringLiteral("语句格式"), names.join(QStringLiteral("、"))},
        {QStringLiteral("SQL语句"), QString()},
        {QStringLiteral("语句说明"), withCrLf(d.explanation)},
        {QStringLiteral("执行语句"), QString()},
        {QStringLiteral("练习语句"), withCrLf(exercise)},
    };
}

QList<Row> build(const QList<Course::Directory> &course, bool server)
{
    QList<Row> rows;
    int id = 0;
    int dirLevel = 0;
    for (const Course::Directory &d : course) {
        if (!(server ? d.inServer() : d.inLocal()))
            continue;
        Row dirRow;
        dirRow.id = ++id;
        dirRow.name = d.name;
        dirRow.parent = 0;
        dirRow.level = ++dirLevel;
        dirRow.sheet = Cp936::encode(SheetFormat::encode(directorySheet(d, server)));
        dirRow.directory = &d;
        rows.append(dirRow);
        int level = 0;
        for (const Course::Example &e : d.examples) {
            if (!(server ? e.inServer() : e.inLocal()))
                continue;
            Row r;
            r.id = ++id;
            r.name = e.name;
            r.parent = dirRow.id;
            r.level = ++level;
            r.sql = withCrLf(server ? TsqlScript::unicodeLiterals(e.serverSql()) : e.sql);
            r.mode = e.mode;
            r.sheet = Cp936::encode(SheetFormat::encode(exampleSheet(e, server)));
            r.example = &e;
            r.directory = &d;
            rows.append(r);
        }
    }
    return rows;
}

} // namespace Catalogue
