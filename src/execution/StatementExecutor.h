#pragma once

#include <QString>
#include <QStringList>

struct MainControls;

/// The execute button: runs the editor's statement by the item's mode.
class StatementExecutor
{
public:
    explicit StatementExecutor(MainControls &controls);

    /// Click handler of 执行按钮: "记录集" fills 高级表格1 with the query's
    /// records, "数据库连接" runs a command on the program's connection,
    /// "创建" runs the editor's text on the server's master database and
    /// "数据库改名" runs the stored SQL there line by line. Page 0 of 选择夹1
    /// comes to the front afterwards, except after a failed "数据库连接".
    void execute();

    /// The lines of a script: the text before each CR LF (empty ones too),
    /// and the text after the last CR LF when it is not empty.
    static QStringList scriptLines(const QString &script);

private:
    /// False when the page must stay where it is.
    bool runMode(const QString &text);
    void runQuery(const QString &text);
    bool runCommand(const QString &text);
    void runOnMaster(const QString &text);
    void runScriptOnMaster();
    void connectMaster();

    MainControls &m_c;
};
