#include "StatementExecutor.h"

#include "ResultRenderer.h"
#include "app/core/MainControls.h"
#include "app/core/MessageService.h"

namespace {

const QString modeQuery = QStringLiteral("记录集");
const QString modeCommand = QStringLiteral("数据库连接");
const QString modeCreate = QStringLiteral("创建");
const QString modeRename = QStringLiteral("数据库改名");

// The server's master database is reached with the program's own login,
// whatever database and login the user chose at start.
const QString masterDatabase = QStringLiteral("master");
const QString masterUser = QStringLiteral("sa");
const QString masterPassword = QStringLiteral("kzqpw");

void say(const QString &text, MessageService::Icon icon)
{
    MessageService::instance().show(text, MessageService::defaultCaption(), icon);
}

} // namespace

StatementExecutor::StatementExecutor(MainControls &controls)
    : m_c(controls)
{
}

QStringList StatementExecutor::scriptLines(const QString &script)
{
    static const QString separator = QStringLiteral("\r\n");
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = script.indexOf(separator, start);
        if (at < 0)
            break;
        lines.append(script.mid(start, at - start));
        start = at + separator.size();
    }
    if (start < script.size())
        lines.append(script.mid(start));
    return lines;
}

void StatementExecutor::execute()
{
    const QString text = m_c.statementText();
    if (text.isEmpty()) {
        say(QStringLiteral("您还没有选择执行命令！请在‘树型框’中选择SQL命令后再按‘执行’按钮！"), MessageService::Icon::None);
    } else if (!runMode(text)) {
        return;
    }
    m_c.选择夹1->setCurrentIndex(0);
}

bool StatementExecutor::runMode(const QString &text)
{
    // Exact comparison: a mode text with a blank or another case runs nothing.
    const QString &mode = m_c.state->currentMode;
    if (mode == modeQuery)
        runQuery(text);
    else if (mode == modeCommand)
        return runCommand(text);
    else if (mode == modeCreate)
        runOnMaster(text);
    else if (mode == modeRename)
        runScriptOnMaster();
    return true;
}

void StatementExecutor::runQuery(const QString &text)
{
    ProgramState &state = *m_c.state;
    GridControl &grid = *m_c.高级表格1;
    grid.setGeometry(grid.x(), 27, grid.width(), m_c.window->height() - 148);
    state.lastQuerySql = text;
    RecordSet &records = *m_c.记录集;
    if (records.open(state.lastQuerySql, 1)) {
        ResultRenderer::renderRecordSet(records, state.lastQuerySql, grid);
        m_c.状态条1->setPartText(0, QStringLiteral(" 符合条件的记录有： ") + QString::number(records.recordCount())
                                        + QStringLiteral(" 条"));
    } else {
        say(state.currentItemName + QStringLiteral("_执行失败！"), MessageService::Icon::None);
    }
    ResultRenderer::stripeRows(grid);
}

bool StatementExecutor::runCommand(const QString &text)
{
    ProgramState &state = *m_c.state;
    state.lastQuerySql = text;
    m_c.高级表格1->clear();
    m_c.高级表格1->setRowCount(1);
    if (!m_c.数据库连接->executeSql(state.lastQuerySql)) {
        say(state.currentItemName + QStringLiteral("_执行失败！数据表是否存在？"), MessageService::Icon::Information);
        return false;
    }
    say(state.currentItemName + QStringLiteral("_执行成功！"), MessageService::Icon::Information);
    ResultRenderer::stripeRows(*m_c.高级表格1);
    return true;
}

void StatementExecutor::connectMaster()
{
    m_c.数据库连接1->connectSqlServer(m_c.state->serverAddress, masterDatabase, masterUser, masterPassword);
}

void StatementExecutor::runOnMaster(const QString &text)
{
    connectMaster();
    m_c.state->lastQuerySql = text;
    m_c.数据库连接1->executeSql(m_c.state->lastQuerySql);
}

void StatementExecutor::runScriptOnMaster()
{
    connectMaster();
    // The stored text, not the editor's: a script runs as it was saved.
    const QStringList lines = scriptLines(m_c.state->currentSql);
    for (const QString &line : lines) {
        if (m_c.数据库连接1->executeSql(line))
            say(QStringLiteral("执行语句[") + line + QStringLiteral("]成功!"), MessageService::Icon::Information);
        else
            say(QStringLiteral("执行语句[") + line + QStringLiteral("]失败!请检查库是否存在."), MessageService::Icon::None);
    }
}
