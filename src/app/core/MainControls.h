#pragma once

#include "app/core/ProgramState.h"
#include "app/core/StatusBar.h"
#include "app/core/TabControl.h"
#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "components/grid/GridControl.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>

/// Handles of the main window's controls and data-access components, and the
/// program state. The main window creates and owns everything named here;
/// each subsystem works through these handles, so it can be tested on a real
/// window without knowing how the window was built.
struct MainControls
{
    ProgramState *state = nullptr;
    QWidget *window = nullptr;

    QTreeWidget *树型框1 = nullptr;
    QGroupBox *分组框1 = nullptr;
    QToolButton *超级按钮_插入目录 = nullptr;
    QToolButton *超级按钮_插入子目录 = nullptr;
    QToolButton *超级按钮_删除 = nullptr;
    QToolButton *超级按钮_上移 = nullptr;
    QToolButton *超级按钮_下移 = nullptr;
    QLabel *标签2 = nullptr;
    QPushButton *按钮_修改执行方式 = nullptr;
    QLabel *标签1 = nullptr;
    QLineEdit *编辑框_执行方式 = nullptr;
    QPushButton *按钮_修改事件 = nullptr;
    QLabel *标签7 = nullptr;
    QLineEdit *编辑框_事件名称 = nullptr;
    QGroupBox *分组框5 = nullptr;
    QPushButton *按钮_修改命令 = nullptr;
    QToolButton *执行按钮 = nullptr;
    QPlainTextEdit *编辑框_执行语句 = nullptr;
    TabControl *选择夹1 = nullptr;
    GridControl *高级表格1 = nullptr;
    QTextBrowser *超文本浏览框1 = nullptr;
    GridControl *高级表格2 = nullptr;
    QTabBar *高级选择夹2 = nullptr;
    GridControl *高级表格3 = nullptr;
    GridControl *高级表格4 = nullptr;
    StatusBar *状态条1 = nullptr;
    QProgressBar *进度条1 = nullptr;
    QPushButton *按钮_插入行 = nullptr;
    QPushButton *按钮_高表到字节集 = nullptr;
    QGroupBox *分组框2 = nullptr;

    DatabaseConnection *数据库连接 = nullptr;
    DatabaseConnection *数据库连接1 = nullptr;
    RecordSet *记录集 = nullptr;
    RecordSet *记录集_分类 = nullptr;
    RecordSet *记录集_查找 = nullptr;

    /// The statement editor's text with Windows line ends (CR LF), as an edit
    /// box holds it; the catalogue stores and splits texts by CR LF.
    QString statementText() const
    {
        QString text = 编辑框_执行语句->toPlainText();
        text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        return text;
    }
    /// Puts a stored text into the statement editor.
    void setStatementText(const QString &text) const
    {
        QString plain = text;
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        编辑框_执行语句->setPlainText(plain);
    }
};
