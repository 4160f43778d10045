#pragma once

// The whole program on a copy of the practice database whose catalogue holds
// the test's own rows, with a message recorder, and the checks every
// reliability test ends with: what the database holds, whether the 级别
// numbering is dense, and whether the program still answers.

#include "support/TestSupport.h"

#include "app/core/AppPaths.h"
#include "catalogue/CatalogueTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace Reliability {

/// Two directories; D1 holds one statement of each execution mode, D2 three
/// plain statements. Every SQL text is a harmless query until a test changes it.
inline QString catalogueRows()
{
    return QStringLiteral(
        "DELETE FROM sql信息表;"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'D1',0,1);"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'D2',0,2);"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (10,'Q',1,1,'SELECT 1','记录集');"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (11,'C',1,2,'SELECT 1','数据库连接');"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (12,'M',1,3,'SELECT 1','创建');"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (13,'R',1,4,'SELECT 1','数据库改名');"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (20,'S1',2,1,'SELECT 1','记录集');"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (21,'S2',2,2,'SELECT 2','记录集');"
        "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (22,'S3',2,3,'SELECT 3','记录集');");
}

/// Every row of every table of a SQLite file as text, blobs as hexadecimal,
/// in a fixed order: two snapshots are equal when nothing was changed.
inline QStringList snapshot(const QString &db)
{
    QStringList out;
    const QList<QStringList> tables =
        TestDb::rows(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    for (const QStringList &table : tables) {
        const QString name = table.value(0);
        QString quoted = name;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        QStringList columns;
        for (const QStringList &column :
             TestDb::rows(db, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(name)))
            columns.append(QStringLiteral("quote(\"%1\")").arg(column.value(0)));
        out.append(QStringLiteral("table ") + name);
        for (const QStringList &row : TestDb::rows(db, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                                                           .arg(columns.join(QLatin1Char(',')), quoted)))
            out.append(row.join(QLatin1Char('|')));
    }
    return out;
}

/// The catalogue as "编号|事件|父编号|级别", ordered by 编号.
inline QStringList catalogue(const QString &db)
{
    QStringList out;
    for (const QStringList &row :
         TestDb::rows(db, QStringLiteral("SELECT 编号, 事件, 父编号, 级别 FROM sql信息表 ORDER BY 编号")))
        out.append(row.join(QLatin1Char('|')));
    return out;
}

/// Empty when the 级别 of every parent's children run 1, 2, ..., n; else
/// the first parent whose numbering has a gap or a repeat.
inline QString levelGap(const QList<QStringList> &parentLevelRows)
{
    QMap<QString, QList<int>> levels;
    for (const QStringList &row : parentLevelRows)
        levels[row.value(0)].append(row.value(1).toInt());
    for (auto it = levels.begin(); it != levels.end(); ++it) {
        QList<int> list = it.value();
        std::sort(list.begin(), list.end());
        for (int i = 0; i < list.size(); ++i) {
            if (list[i] != i + 1)
                return QStringLiteral("父编号 %1 has 级别 %2").arg(it.key(), QString::number(list[i]));
        }
    }
    return {};
}

inline QString levelGap(const QString &db)
{
    return levelGap(TestDb::rows(db, QStringLiteral("SELECT 父编号, 级别 FROM sql信息表")));
}

/// Every file under a folder, relative to it, with its size.
inline QStringList files(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out.append(QDir(root).relativeFilePath(it.filePath()) + QLatin1Char(' ')
                   + QString::number(it.fileInfo().size()));
    }
    out.sort();
    return out;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The main window, connected to the local file, on the rows of
/// catalogueRows() (or the given SQL run on the workspace's copy first).
struct Program
{
    explicit Program(const QString &setupSql = catalogueRows(), ConnectChoice choice = ConnectChoice::Local)
    {
        if (!setupSql.isEmpty())
            setupOk = TestDb::exec(db(), setupSql);
        open(choice);
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    void open(ConnectChoice choice = ConnectChoice::Local)
    {
        window.reset();
        window = openMainWindow(state, choice);
        messages.reset();
    }

    QString db() const { return workspace.databasePath(); }
    MainControls &c() const { return window->controls(); }
    CatalogueTree &tree() const { return window->catalogueTree(); }

    QTreeWidgetItem *findItem(const QString &text) const
    {
        for (int i = 0; i < tree().itemCount(); ++i) {
            if (tree().itemText(i) == text)
                return tree().itemAt(i);
        }
        return nullptr;
    }
    /// Makes the named item current, as a click in the tree does; expands the
    /// directories first so statements can be found.
    bool select(const QString &text) const
    {
        for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
            c().树型框1->topLevelItem(i)->setExpanded(true);
        QTreeWidgetItem *item = findItem(text);
        if (!item)
            return false;
        c().树型框1->setCurrentItem(nullptr);
        c().树型框1->setCurrentItem(item);
        return state.currentItemName == text;
    }
    /// Runs a query through the execute button as the item Q; true when the
    /// grid and status bar show its one record and no message came.
    bool queryWorks() const
    {
        if (!select(QStringLiteral("Q")))
            return false;
        messages.reset();
        c().setStatementText(QStringLiteral("SELECT 'still' AS answer"));
        c().执行按钮->click();
        return messages.shown.isEmpty()
               && c().状态条1->partText(0) == QStringLiteral(" 符合条件的记录有： 1 条")
               && c().高级表格1->getCell(1, 0) == QStringLiteral("still");
    }
    QStringList topTexts() const
    {
        QStringList out;
        for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
            out.append(c().树型框1->topLevelItem(i)->text(0));
        return out;
    }
    QString pagePath(const QString &name) const
    {
        return workspace.photoDir() + QLatin1Char('/') + name + QStringLiteral(".htm");
    }

    mutable RecordingMessageService messages;
    TestWorkspace workspace;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
    bool setupOk = true;
};

} // namespace Reliability
