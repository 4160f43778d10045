#include "TestSupport.h"

#include "app/ConnectWindow.h"
#include "app/core/AppPaths.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>

RecordingMessageService::RecordingMessageService()
{
    MessageService::install(this);
}

RecordingMessageService::~RecordingMessageService()
{
    MessageService::install(nullptr);
}

MessageService::Answer RecordingMessageService::show(const QString &text, const QString &caption, Icon icon,
                                                     Buttons buttons)
{
    shown.append({text, caption, icon, buttons});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return Answer::Ok;
}

QStringList RecordingMessageService::texts() const
{
    QStringList list;
    for (const Shown &s : shown)
        list.append(s.text);
    return list;
}

TestWorkspace::TestWorkspace(bool withDatabase)
{
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("data"));
    root.mkpath(QStringLiteral("photo"));
    QFile::copy(QStringLiteral(QORVEX_SOURCE_DIR "/data/config.ini"), root.filePath(QStringLiteral("config.ini")));
    QFile::copy(QStringLiteral(QORVEX_SOURCE_DIR "/photo/模板.htm"), root.filePath(QStringLiteral("photo/模板.htm")));
    if (withDatabase) {
        QFile::copy(QString::fromUtf8(QORVEX_GENERATED_DB), databasePath());
        QFile(databasePath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    AppPaths::setProgramDir(m_dir.path());
}

TestWorkspace::~TestWorkspace()
{
    AppPaths::setProgramDir(QString());
}

QString TestWorkspace::dir() const
{
    return m_dir.path();
}

QString TestWorkspace::databasePath() const
{
    return m_dir.path() + QStringLiteral("/data/人员信息库.mdb");
}

QString TestWorkspace::photoDir() const
{
    return m_dir.path() + QStringLiteral("/photo");
}

void TestWorkspace::writeConfig(const QByteArray &bytes) const
{
    QFile file(m_dir.path() + QStringLiteral("/config.ini"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void TestWorkspace::useEmptyCatalogue() const
{
    QFile::remove(databasePath());
    TestDb::exec(databasePath(),
                 QStringLiteral("CREATE TABLE sql信息表 (编号 INTEGER PRIMARY KEY, 事件 VARCHAR(50), 父编号 INTEGER, "
                                "级别 INTEGER, SQL语句 MEMO, 执行方式 VARCHAR(50), 源码段 MEMO, 数据集 LONGBINARY);"
                                "CREATE TABLE 人员信息表 (编号 INTEGER PRIMARY KEY, 姓名 VARCHAR(20));"));
}

void TestWorkspace::copyGeneratedPages() const
{
    QDir pages(QString::fromUtf8(QORVEX_GENERATED_PAGES));
    for (const QString &name : pages.entryList({QStringLiteral("*.htm")}, QDir::Files))
        QFile::copy(pages.filePath(name), photoDir() + QLatin1Char('/') + name);
}

std::unique_ptr<MainWindow> openMainWindow(ProgramState &state, ConnectChoice choice)
{
    // The connection window runs its own modal loop inside the main window's
    // constructor; answer it from that loop.
    QTimer::singleShot(0, [choice] {
        auto *window = dynamic_cast<ConnectWindow *>(QApplication::activeModalWidget());
        if (!window)
            return;
        switch (choice) {
        case ConnectChoice::Local:
            window->按钮2->click();
            break;
        case ConnectChoice::Remote:
            window->按钮1->click();
            // A failed remote connect keeps the window open: leave it closed
            // without a choice so the test goes on.
            if (window->isVisible())
                window->reject();
            break;
        case ConnectChoice::Close:
            window->reject();
            break;
        }
    });
    return std::make_unique<MainWindow>(state);
}

namespace TestDb {

namespace {
sqlite3 *openDb(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}
} // namespace

bool exec(const QString &path, const QString &sql)
{
    sqlite3 *db = openDb(path);
    if (!db)
        return false;
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QList<QStringList> rows(const QString &path, const QString &sql)
{
    QList<QStringList> result;
    sqlite3 *db = openDb(path);
    if (!db)
        return result;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                row.append(text ? QString::fromUtf8(text) : QString());
            }
            result.append(row);
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

QString value(const QString &path, const QString &sql)
{
    const QList<QStringList> all = rows(path, sql);
    return all.isEmpty() || all.first().isEmpty() ? QString() : all.first().first();
}

QByteArray blob(const QString &path, const QString &sql)
{
    QByteArray bytes;
    sqlite3 *db = openDb(path);
    if (!db)
        return bytes;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW) {
        const void *data = sqlite3_column_blob(stmt, 0);
        bytes = QByteArray(static_cast<const char *>(data), sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return bytes;
}

} // namespace TestDb
