#include "CoursePages.h"

#include "TsqlScript.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace CoursePages {

namespace {

const QString contentStart = QStringLiteral("<!--内容-->");
const QString contentEnd = QStringLiteral("<!--/内容-->");

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

// Paragraphs at blank lines, line breaks kept inside a paragraph.
QString paragraphs(const QString &text)
{
    QString html;
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("\\n[ \\t]*\\n")), Qt::SkipEmptyParts);
    for (const QString &p : parts)
        html += QStringLiteral("<p>") + esc(p.trimmed()).replace(QLatin1Char('\n'), QLatin1String("<br>")) +
                QStringLiteral("</p>\n");
    return html;
}

QString pre(const QString &text, const QString &cssClass)
{
    return QStringLiteral("<pre class=\"%1\">%2</pre>\n").arg(cssClass, esc(text));
}

QString resultTable(const CourseRun::Result &r)
{
    if (!r.returnsRows)
        return QStringLiteral("<p class=\"note\">语句执行成功，它不返回记录。用“查询显示”页或表浏览查看它带来的变化。</p>\n");
    QString html = QStringLiteral("<p class=\"note\">在新的练习库上，这条语句返回 %1 行").arg(r.total);
    if (r.total > r.rows.size())
        html += QStringLiteral("，下面是前 %1 行").arg(r.rows.size());
    html += QStringLiteral("：</p>\n");
    html += QStringLiteral("<table class=\"result\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>");
    for (const QString &c : r.columns)
        html += QStringLiteral("<th>") + esc(c) + QStringLiteral("</th>");
    html += QStringLiteral("</tr>\n");
    for (const QStringList &row : r.rows) {
        html += QStringLiteral("<tr>");
        for (const QString &cell : row) {
            if (cell.isNull())
                html += QStringLiteral("<td class=\"null\">NULL</td>");
            else
                html += QStringLiteral("<td>") + esc(cell) + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n");
    return html;
}

QString scopeNote(Course::Scope scope)
{
    switch (scope) {
    case Course::Scope::ServerOnly:
        return QStringLiteral("<p class=\"note\">这一项只在连接 SQL Server 时出现在目录里。</p>\n");
    case Course::Scope::LocalOnly:
        return QStringLiteral("<p class=\"note\">这一项只在本地练习库的目录里。</p>\n");
    case Course::Scope::Both:
        break;
    }
    return {};
}

} // namespace

bool isUsableTemplate(const QString &templateText)
{
    const qsizetype start = templateText.indexOf(contentStart);
    return start >= 0 && templateText.indexOf(contentEnd, start) > start &&
           templateText.contains(QLatin1String("<title>")) && templateText.contains(QLatin1String("charset"));
}

QString fill(const QString &templateText, const QString &title, const QString &contentHtml)
{
    QString page = templateText;
    static const QRegularExpression titleRe(QStringLiteral("<title>[^<]*</title>"));
    page.replace(titleRe, QStringLiteral("<title>") + esc(title) + QStringLiteral("</title>"));
    static const QRegularExpression headingRe(QStringLiteral("<!--标题-->.*?<!--/标题-->"),
                                              QRegularExpression::DotMatchesEverythingOption);
    page.replace(headingRe, esc(title));
    const qsizetype start = page.indexOf(contentStart);
    const qsizetype end = page.indexOf(contentEnd, start);
    if (start >= 0 && end > start)
        page.replace(start, end + contentEnd.size() - start, contentHtml);
    return page;
}

QString directoryHtml(const Course::Directory &d)
{
    QString html;
    html += QStringLiteral("<p class=\"path\">SQL 课程 · 目录</p>\n");
    html += scopeNote(d.scope);
    html += paragraphs(d.explanation);
    if (!d.pageBody.isEmpty())
        html += d.pageBody + QLatin1Char('\n');
    html += QStringLiteral("<h3>本目录的例程</h3>\n");
    html += QStringLiteral("<table class=\"list\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n"
                           "<tr><th>序号</th><th>例程</th><th>语句类型</th><th>执行方式</th></tr>\n");
    int n = 0;
    for (const Course::Example &e : d.examples) {
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                    .arg(++n)
                    .arg(esc(e.name), esc(e.type), esc(e.mode));
    }
    html += QStringLiteral("</table>\n");
    if (!d.exercise.isEmpty()) {
        html += QStringLiteral("<h3>练习</h3>\n");
        html += paragraphs(d.exercise);
    }
    return html;
}

QString exampleHtml(const Course::Directory &d, const Course::Example &e, int position,
                    const CourseRun::Result *result)
{
    const bool serverOnly = e.scope == Course::Scope::ServerOnly;
    QString html;
    html += QStringLiteral("<p class=\"path\">目录：%1 · 第 %2 个例程</p>\n").arg(esc(d.name)).arg(position);
    html += scopeNote(e.scope);
    html += QStringLiteral("<table class=\"info\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n");
    html += QStringLiteral("<tr><th>语句类型</th><td>%1</td></tr>\n").arg(esc(e.type));
    html += QStringLiteral("<tr><th>执行方式</th><td>%1</td></tr>\n").arg(esc(e.mode));
    html += QStringLiteral("</table>\n");
    html += QStringLiteral("<h3>语句格式</h3>\n") + pre(e.syntax, QStringLiteral("syntax"));
    if (!e.tsqlSyntax.isEmpty() && e.inServer())
        html += QStringLiteral("<p>SQL Server 的格式：</p>\n") + pre(e.tsqlSyntax, QStringLiteral("syntax"));
    html += QStringLiteral("<h3>SQL 语句</h3>\n") + pre(e.sql, QStringLiteral("sql"));
    if (!e.tsql.isEmpty() && e.inServer() && !serverOnly)
        html += QStringLiteral("<p>连接 SQL Server 时，目录里是这样写的：</p>\n") + pre(TsqlScript::unicodeLiterals(e.tsql), QStringLiteral("sql"));
    html += QStringLiteral("<h3>语句说明</h3>\n") + paragraphs(e.explanation);
    if (!e.pageBody.isEmpty())
        html += e.pageBody + QLatin1Char('\n');
    if (result && result->ok) {
        html += QStringLiteral("<h3>运行结果</h3>\n") + resultTable(*result);
    }
    html += QStringLiteral("<h3>练习</h3>\n") + paragraphs(e.exercise);
    return html;
}

bool writeAll(const QString &templateText, const QString &folder, const QList<Course::Directory> &course,
              const QHash<QString, CourseRun::Result> &results, QStringList &errors)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        errors.append(QStringLiteral("%1: 无法建立目录").arg(folder));
        return false;
    }
    // Pages of examples that were renamed or removed must not linger.
    for (const QString &old : dir.entryList({QStringLiteral("*.htm")}, QDir::Files))
        dir.remove(old);

    auto write = [&](const QString &name, const QString &html) {
        QFile file(dir.filePath(name + QStringLiteral(".htm")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(html.toUtf8()) < 0) {
            errors.append(QStringLiteral("%1: 无法写入").arg(file.fileName()));
            return false;
        }
        return true;
    };
    for (const Course::Directory &d : course) {
        if (!write(d.name, fill(templateText, d.name, directoryHtml(d))))
            return false;
        int position = 0;
        for (const Course::Example &e : d.examples) {
            ++position;
            const auto it = results.constFind(e.name);
            const CourseRun::Result *r = it == results.constEnd() ? nullptr : &it.value();
            if (!write(e.name, fill(templateText, e.name, exampleHtml(d, e, position, r))))
                return false;
        }
    }
    return true;
}

} // namespace CoursePages
