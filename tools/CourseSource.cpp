#include "CourseSource.h"

#include "components/data/Cp936.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace Course {

namespace {

const QStringList keys = {
    QStringLiteral("目录"), QStringLiteral("例程"), QStringLiteral("方式"), QStringLiteral("类型"),
    QStringLiteral("格式"), QStringLiteral("SQL"),  QStringLiteral("T-SQL"), QStringLiteral("T-SQL格式"),
    QStringLiteral("说明"), QStringLiteral("练习"), QStringLiteral("页面"), QStringLiteral("适用"),
};

const QStringList validModes = {QStringLiteral("记录集"), QStringLiteral("数据库连接"), QStringLiteral("创建"),
                                QStringLiteral("数据库改名")};

// A field line: a known key, then a half-width or full-width colon.
const QRegularExpression &fieldLine()
{
    static const QRegularExpression re(QStringLiteral("^(T-SQL格式|T-SQL|目录|例程|方式|类型|格式|SQL|说明|练习|页面|适用)"
                                                      "[ \\t]*[:：][ \\t]*(.*)$"));
    return re;
}

QString rightTrimmed(const QString &s)
{
    qsizetype end = s.size();
    while (end > 0 && s.at(end - 1).isSpace())
        --end;
    return s.left(end);
}

// The lines of a field as one text: blank lines around it dropped, trailing
// blanks cut, TABs widened (a TAB would split a sheet cell in two).
QString joinValue(QStringList lines)
{
    for (QString &l : lines) {
        l.replace(QLatin1Char('\t'), QLatin1String("    "));
        l = rightTrimmed(l);
    }
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

bool parseScope(const QString &text, Scope &scope)
{
    const QString t = text.trimmed();
    if (t == QStringLiteral("全部"))
        scope = Scope::Both;
    else if (t == QStringLiteral("本地"))
        scope = Scope::LocalOnly;
    else if (t.compare(QStringLiteral("SQL Server"), Qt::CaseInsensitive) == 0)
        scope = Scope::ServerOnly;
    else
        return false;
    return true;
}

bool fitsCodePage(const QString &text)
{
    return Cp936::decode(Cp936::encode(text)) == text;
}

} // namespace

Directory parseFile(const QString &fileName, const QString &text, QStringList &errors)
{
    Directory dir;
    dir.origin = fileName + QStringLiteral(":1");
    QString dirType;
    QString dirMode;

    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)))
        lines.first().remove(0, 1);

    QString key;          // field being read, empty before the first
    int keyLine = 0;
    QStringList value;
    QSet<QString> seen;   // fields of the current entry

    auto fail = [&](int line, const QString &message) {
        errors.append(QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(message));
    };

    auto flush = [&] {
        if (key.isEmpty() || key == QStringLiteral("目录") || key == QStringLiteral("例程"))
            return;
        const QString v = joinValue(value);
        const bool atDirectory = dir.examples.isEmpty();
        if (seen.contains(key)) {
            fail(keyLine, QStringLiteral("字段“%1”重复").arg(key));
            return;
        }
        seen.insert(key);
        if (key == QStringLiteral("适用")) {
            Scope s;
            if (!parseScope(v, s))
                fail(keyLine, QStringLiteral("“适用”只能是 全部、本地 或 SQL Server"));
            else if (atDirectory)
                dir.scope = s;
            else
                dir.examples.last().scope = s;
            return;
        }
        if (atDirectory) {
            if (key == QStringLiteral("说明"))
                dir.explanation = v;
            else if (key == QStringLiteral("练习"))
                dir.exercise = v;
            else if (key == QStringLiteral("页面"))
                dir.pageBody = v;
            else if (key == QStringLiteral("类型"))
                dirType = v;
            else if (key == QStringLiteral("方式"))
                dirMode = v;
            else
                fail(keyLine, QStringLiteral("字段“%1”只能写在例程里").arg(key));
            return;
        }
        Example &e = dir.examples.last();
        if (key == QStringLiteral("方式"))
            e.mode = v;
        else if (key == QStringLiteral("类型"))
            e.type = v;
        else if (key == QStringLiteral("格式"))
            e.syntax = v;
        else if (key == QStringLiteral("SQL"))
            e.sql = v;
        else if (key == QStringLiteral("T-SQL"))
            e.tsql = v;
        else if (key == QStringLiteral("T-SQL格式"))
            e.tsqlSyntax = v;
        else if (key == QStringLiteral("说明"))
            e.explanation = v;
        else if (key == QStringLiteral("练习"))
            e.exercise = v;
        else if (key == QStringLiteral("页面"))
            e.pageBody = v;
    };

    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const int lineNo = i + 1;
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch m = fieldLine().match(line);
        if (!m.hasMatch()) {
            if (key.isEmpty() || key == QStringLiteral("目录") || key == QStringLiteral("例程")) {
                if (!line.trimmed().isEmpty())
                    fail(lineNo, QStringLiteral("这一行不属于任何字段：%1").arg(line.trimmed()));
                continue;
            }
            value.append(line);
            continue;
        }
        flush();
        key = m.captured(1);
        keyLine = lineNo;
        value.clear();
        const QString rest = m.captured(2);
        if (key == QStringLiteral("目录")) {
            if (!dir.name.isEmpty() || !dir.examples.isEmpty())
                fail(lineNo, QStringLiteral("一个文件只写一个目录，且写在最前面"));
            dir.name = rest.trimmed();
            dir.origin = QStringLiteral("%1:%2").arg(fileName).arg(lineNo);
            continue;
        }
        if (key == QStringLiteral("例程")) {
            if (dir.name.isEmpty())
                fail(lineNo, QStringLiteral("例程之前缺少“目录：”"));
            Example e;
            e.name = rest.trimmed();
            e.origin = QStringLiteral("%1:%2").arg(fileName).arg(lineNo);
            dir.examples.append(e);
            seen.clear();
            continue;
        }
        if (!rest.trimmed().isEmpty())
            value.append(rest);
    }
    flush();

    if (dir.name.isEmpty())
        fail(1, QStringLiteral("缺少“目录：”"));
    for (Example &e : dir.examples) {
        if (e.type.isEmpty())
            e.type = dirType;
        if (e.mode.isEmpty())
            e.mode = dirMode;
        if (dir.scope == Scope::ServerOnly)
            e.scope = Scope::ServerOnly;
        else if (dir.scope == Scope::LocalOnly && e.scope == Scope::Both)
            e.scope = Scope::LocalOnly;
    }
    return dir;
}

QList<Directory> readFolder(const QString &folder, QStringList &errors)
{
    QList<Directory> course;
    QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        errors.append(QStringLiteral("%1: 没有课程文件 (*.txt)").arg(folder));
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            errors.append(QStringLiteral("%1: 无法读取").arg(file.fileName()));
            continue;
        }
        const QByteArray bytes = file.readAll();
        if (!Cp936::isValidUtf8(bytes)) {
            errors.append(QStringLiteral("%1: 不是 UTF-8 文本").arg(file.fileName()));
            continue;
        }
        course.append(parseFile(name, QString::fromUtf8(bytes), errors));
    }
    return course;
}

bool isSafeName(const QString &name)
{
    if (name.isEmpty() || name != name.trimmed())
        return false;
    if (name.startsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('.')) || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
        if (QStringLiteral("/\\:*?\"<>|'").contains(c))
            return false;
    }
    return name != QStringLiteral("模板");
}

void validate(const QList<Directory> &course, QStringList &errors)
{
    QHash<QString, QString> names; // name -> where it was first used
    auto checkName = [&](const QString &name, const QString &origin) {
        if (name.isEmpty()) {
            errors.append(origin + QStringLiteral(": 名称为空"));
            return;
        }
        if (!isSafeName(name))
            errors.append(origin + QStringLiteral(": 名称“%1”不能用作文件名").arg(name));
        if (name.size() > maxNameLength)
            errors.append(origin + QStringLiteral(": 名称“%1”超过 %2 个字").arg(name).arg(maxNameLength));
        if (names.contains(name))
            errors.append(origin + QStringLiteral(": 名称“%1”与 %2 重复").arg(name, names.value(name)));
        else
            names.insert(name, origin);
    };
    auto checkText = [&](const QString &text, const QString &origin, const QString &field) {
        if (!fitsCodePage(text))
            errors.append(origin + QStringLiteral(": “%1”里有代码页 936 不能表示的字符").arg(field));
    };

    for (const Directory &d : course) {
        checkName(d.name, d.origin);
        checkText(d.name + d.explanation + d.exercise, d.origin, QStringLiteral("目录"));
        if (d.explanation.isEmpty())
            errors.append(d.origin + QStringLiteral(": 目录缺少“说明”"));
        if (d.examples.isEmpty())
            errors.append(d.origin + QStringLiteral(": 目录里没有例程"));
        for (const Example &e : d.examples) {
            checkName(e.name, e.origin);
            if (!validModes.contains(e.mode)) {
                errors.append(e.origin + QStringLiteral(": 方式“%1”不是 记录集、数据库连接、创建 或 数据库改名").arg(e.mode));
            } else if (e.mode == validModes.at(2) || e.mode == validModes.at(3)) {
                // These two modes always reach a SQL Server, so they only
                // make sense in the server's catalogue.
                if (e.scope != Scope::ServerOnly)
                    errors.append(e.origin + QStringLiteral(": 方式“%1”只能用于“适用：SQL Server”的例程").arg(e.mode));
            }
            const struct { const QString &text; const char *field; } required[] = {
                {e.type, "类型"}, {e.syntax, "格式"}, {e.sql, "SQL"}, {e.explanation, "说明"}, {e.exercise, "练习"},
            };
            for (const auto &r : required) {
                if (r.text.trimmed().isEmpty())
                    errors.append(e.origin + QStringLiteral(": 例程“%1”缺少“%2”").arg(e.name, QString::fromUtf8(r.field)));
            }
            if (e.scope == Scope::ServerOnly && !e.tsql.isEmpty())
                errors.append(e.origin + QStringLiteral(": 只用于 SQL Server 的例程把 T-SQL 写在“SQL”里"));
            if (e.scope == Scope::LocalOnly && !e.tsql.isEmpty())
                errors.append(e.origin + QStringLiteral(": 只用于本地的例程不需要“T-SQL”"));
            checkText(e.name + e.type + e.syntax + e.sql + e.tsql + e.tsqlSyntax + e.explanation + e.exercise,
                      e.origin, e.name);
        }
    }
}

} // namespace Course
