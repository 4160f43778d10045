#pragma once

#include <QDialog>

struct ProgramState;
class DatabaseConnection;
class QPushButton;

/// The small modal window that asks which database to work on.
class ConnectWindow : public QDialog
{
public:
    /// Runs the creation handler: both mode flags to 0, config.ini read.
    ConnectWindow(ProgramState &state, DatabaseConnection &connection, QWidget *parent = nullptr);

    QPushButton *按钮1; ///< "连接远程SQL数据库"
    QPushButton *按钮2; ///< "连接本地MDB数据库"

    void on按钮1Clicked();
    void on按钮2Clicked();

private:
    ProgramState &m_state;
    DatabaseConnection &m_connection;
};
