// Makes the practice database, its example pages and the SQL Server script
// from the SQL files in data/sqlite and the course files in data/course.
#include "Catalogue.h"
#include "CoursePages.h"
#include "CourseRun.h"
#include "CourseSource.h"
#include "TsqlScript.h"

#include <sqlite3.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <cstdio>

namespace {

// Rows a page shows of a query's result.
constexpr int pageRows = 40;

void report(const QStringList &errors)
{
    for (const QString &e : errors)
        std::fprintf(stderr, "qorvex_makedb: %s\n", qPrintable(e));
}

bool readText(const QString &path, QString &text, QStringList &errors)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errors.append(QStringLiteral("%1: 无法读取").arg(path));
        return false;
    }
    text = QString::fromUtf8(file.readAll());
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QStringList &errors)
{
    // Through a temporary file, so an interrupted build never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        errors.append(QStringLiteral("%1: 无法写入").arg(path));
        return false;
    }
    return true;
}

bool insertCatalogue(sqlite3 *db, const QList<Catalogue::Row> &rows, QStringList &errors)
{
    sqlite3_stmt *stmt = nullptr;
    const char *sql = "INSERT INTO sql信息表 (编号, 事件, 父编号, 级别, SQL语句, 执行方式, 源码段, 数据集) "
                      "VALUES (?, ?, ?, ?, ?, ?, NULL, ?)";
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        errors.append(QStringLiteral("sql信息表：%1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
        return false;
    }
    for (const Catalogue::Row &r : rows) {
        const QByteArray name = r.name.toUtf8();
        const QByteArray text = r.sql.toUtf8();
        const QByteArray mode = r.mode.toUtf8();
        sqlite3_bind_int(stmt, 1, r.id);
        sqlite3_bind_text(stmt, 2, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 3, r.parent);
        sqlite3_bind_int(stmt, 4, r.level);
        if (r.sql.isEmpty())
            sqlite3_bind_null(stmt, 5);
        else
            sqlite3_bind_text(stmt, 5, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        if (r.mode.isEmpty())
            sqlite3_bind_null(stmt, 6);
        else
            sqlite3_bind_text(stmt, 6, mode.constData(), static_cast<int>(mode.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(stmt, 7, r.sheet.constData(), static_cast<int>(r.sheet.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            errors.append(QStringLiteral("sql信息表 %1：%2").arg(r.name, QString::fromUtf8(sqlite3_errmsg(db))));
            sqlite3_finalize(stmt);
            return false;
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return true;
}

// Runs the local catalogue in order, twice, on a copy of the database: every
// statement must work on a fresh copy and again after the whole course has
// run once. The first pass's results go on the pages.
bool runCourse(sqlite3 *source, const QList<Catalogue::Row> &rows, QHash<QString, CourseRun::Result> &results,
               QStringList &errors)
{
    sqlite3 *copy = nullptr;
    sqlite3_open(":memory:", &copy);
    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, "main");
    const bool copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    sqlite3_backup_finish(backup);
    if (!copied) {
        errors.append(QStringLiteral("无法复制数据库来试运行课程"));
        sqlite3_close(copy);
        return false;
    }
    // Checked like a careful database would: a course that breaks a foreign
    // key is wrong even where the program does not enforce them.
    QString ignored;
    CourseRun::exec(copy, QStringLiteral("PRAGMA foreign_keys = ON"), ignored);

    for (int pass = 1; pass <= 2; ++pass) {
        for (const Catalogue::Row &r : rows) {
            if (!r.example)
                continue;
            CourseRun::Result result = CourseRun::run(copy, r.sql, r.mode, pageRows);
            if (!result.ok) {
                errors.append(QStringLiteral("%1 例程“%2”第 %3 遍运行出错：%4")
                                  .arg(r.example->origin, r.name)
                                  .arg(pass)
                                  .arg(result.error));
                continue;
            }
            if (pass == 1)
                results.insert(r.name, result);
        }
    }
    sqlite3_close(copy);
    return errors.isEmpty();
}

bool saveDatabase(sqlite3 *db, const QString &path, QStringList &errors)
{
    const QString tmp = path + QStringLiteral(".tmp");
    QFile::remove(tmp);
    sqlite3 *file = nullptr;
    if (sqlite3_open(tmp.toUtf8().constData(), &file) != SQLITE_OK) {
        errors.append(QStringLiteral("%1: 无法建立").arg(tmp));
        sqlite3_close(file);
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(file, "main", db, "main");
    const bool copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    sqlite3_backup_finish(backup);
    QString error;
    const bool vacuumed = copied && CourseRun::exec(file, QStringLiteral("VACUUM"), error);
    sqlite3_close(file);
    if (!vacuumed) {
        errors.append(QStringLiteral("%1: 无法写入 %2").arg(tmp, error));
        return false;
    }
    QFile::remove(path);
    if (!QFile::rename(tmp, path)) {
        errors.append(QStringLiteral("%1: 无法写入").arg(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Builds the practice database from SQL files and the course."));
    parser.addHelpOption();
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("The SQLite database to write."),
                                      QStringLiteral("file"));
    const QCommandLineOption courseOption(QStringLiteral("course"), QStringLiteral("Folder of course files (*.txt)."),
                                          QStringLiteral("folder"));
    const QCommandLineOption templateOption(QStringLiteral("template"), QStringLiteral("The template page."),
                                            QStringLiteral("file"));
    const QCommandLineOption pagesOption(QStringLiteral("pages"), QStringLiteral("Folder for the example pages."),
                                         QStringLiteral("folder"));
    const QCommandLineOption tsqlOption(QStringLiteral("tsql"), QStringLiteral("The SQL Server script to write."),
                                        QStringLiteral("file"));
    const QCommandLineOption stampOption(QStringLiteral("stamp"), QStringLiteral("File touched when all is written."),
                                         QStringLiteral("file"));
    parser.addOptions({dbOption, courseOption, templateOption, pagesOption, tsqlOption, stampOption});
    parser.addPositionalArgument(QStringLiteral("sql"), QStringLiteral("SQL files, run in the order given."));
    parser.process(app);

    QStringList errors;
    const QStringList sqlFiles = parser.positionalArguments();
    if (sqlFiles.isEmpty() || (!parser.isSet(dbOption) && !parser.isSet(tsqlOption))) {
        std::fprintf(stderr, "usage: qorvex_makedb [--db out.mdb] [--tsql out.sql] [--course dir] "
                             "[--template page.htm --pages dir] [--stamp file] file.sql...\n");
        return 2;
    }
    if (parser.isSet(pagesOption) && (!parser.isSet(templateOption) || !parser.isSet(courseOption))) {
        std::fprintf(stderr, "qorvex_makedb: --pages needs --template and --course\n");
        return 2;
    }

    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    for (const QString &path : sqlFiles) {
        QString text;
        QString error;
        if (readText(path, text, errors) && !CourseRun::exec(db, text, error))
            errors.append(QStringLiteral("%1: %2").arg(path, error));
    }

    QList<Course::Directory> course;
    if (parser.isSet(courseOption) && errors.isEmpty()) {
        course = Course::readFolder(parser.value(courseOption), errors);
        if (errors.isEmpty())
            Course::validate(course, errors);
    }
    const QList<Catalogue::Row> localRows = Catalogue::build(course, false);
    const QList<Catalogue::Row> serverRows = Catalogue::build(course, true);

    QHash<QString, CourseRun::Result> results;
    if (errors.isEmpty())
        insertCatalogue(db, localRows, errors);
    if (errors.isEmpty() && !course.isEmpty())
        runCourse(db, localRows, results, errors);
    if (errors.isEmpty() && parser.isSet(dbOption))
        saveDatabase(db, parser.value(dbOption), errors);

    if (errors.isEmpty() && parser.isSet(pagesOption)) {
        QString templateText;
        if (readText(parser.value(templateOption), templateText, errors)) {
            if (!CoursePages::isUsableTemplate(templateText))
                errors.append(QStringLiteral("%1: 模板页缺少 <title>、charset 或 <!--内容--> … <!--/内容-->")
                                  .arg(parser.value(templateOption)));
            else
                CoursePages::writeAll(templateText, parser.value(pagesOption), course, results, errors);
        }
    }

    if (errors.isEmpty() && parser.isSet(tsqlOption)) {
        const QString script = TsqlScript::write(db, serverRows, errors);
        // With a byte order mark, so sqlcmd and Management Studio read it as UTF-8.
        if (errors.isEmpty())
            writeFile(parser.value(tsqlOption), QByteArray("\xEF\xBB\xBF") + script.toUtf8(), errors);
    }
    sqlite3_close(db);

    if (errors.isEmpty() && parser.isSet(stampOption))
        writeFile(parser.value(stampOption), QByteArray("generated\n"), errors);

    if (!errors.isEmpty()) {
        report(errors);
        return 1;
    }
    std::printf("qorvex_makedb: %lld catalogue rows (local), %lld (SQL Server)\n",
                static_cast<long long>(localRows.size()), static_cast<long long>(serverRows.size()));
    return 0;
}
