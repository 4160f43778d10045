#include "ConnectWindow.h"

#include "app/core/AppPaths.h"
#include "app/core/IniFile.h"
#include "app/core/MessageService.h"
#include "app/core/ProgramState.h"
#include "components/data/DatabaseConnection.h"

#include <QPushButton>

ConnectWindow::ConnectWindow(ProgramState &state, DatabaseConnection &connection, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_connection(connection)
{
    setObjectName(QStringLiteral("ConnectWindow"));
    setWindowTitle(QString());
    setModal(true);
    setGeometry(50, 50, 230, 178);
    setFixedSize(230, 178);

    按钮1 = new QPushButton(QStringLiteral("连接远程SQL数据库"), this);
    按钮1->setObjectName(QStringLiteral("按钮1"));
    按钮1->setGeometry(36, 22, 152, 32);
    按钮1->setAutoDefault(false);
    按钮2 = new QPushButton(QStringLiteral("连接本地MDB数据库"), this);
    按钮2->setObjectName(QStringLiteral("按钮2"));
    按钮2->setGeometry(36, 84, 152, 32);
    按钮2->setAutoDefault(false);

    connect(按钮1, &QPushButton::clicked, this, [this] { on按钮1Clicked(); });
    connect(按钮2, &QPushButton::clicked, this, [this] { on按钮2Clicked(); });

    m_state.sqlServerMode = 0;
    m_state.accessMode = 0;
    const QString config = AppPaths::configFile();
    const QString section = QStringLiteral("config");
    m_state.serverAddress = IniFile::readValue(config, section, QStringLiteral("ip"));
    m_state.serverUser = IniFile::readValue(config, section, QStringLiteral("用户名"));
    m_state.serverPassword = IniFile::readValue(config, section, QStringLiteral("密码"));
}

void ConnectWindow::on按钮1Clicked()
{
    if (m_connection.connectSqlServer(m_state.serverAddress, QStringLiteral("mstest"), m_state.serverUser,
                                      m_state.serverPassword)) {
        m_state.sqlServerMode = 1;
        accept();
        return;
    }
    MessageService::instance().show(
        QStringLiteral("连接SQL失败!,远程服务器未开启或服务器忙!请使用MDB数据库连接."));
}

void ConnectWindow::on按钮2Clicked()
{
    if (m_connection.connectAccess(AppPaths::databaseFile(), QString()))
        m_state.accessMode = 1;
    else
        MessageService::instance().show(QStringLiteral("连接MDB失败"));
    accept();
}
