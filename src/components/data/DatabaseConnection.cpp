#include "DatabaseConnection.h"

#include "ConnectionBackend.h"
#include "OdbcBackend.h"
#include "SqliteBackend.h"

DatabaseConnection::DatabaseConnection() = default;

DatabaseConnection::~DatabaseConnection() = default;

bool DatabaseConnection::connectSqlServer(const QString &server, const QString &database, const QString &user,
                                          const QString &password)
{
    return connectOdbc(sqlServerConnectionText(server, database, user, password));
}

bool DatabaseConnection::connectAccess(const QString &path, const QString &password)
{
    close();
    if (!password.isEmpty()) {
        // The local file has no password protection: a password cannot be right.
        m_lastError = QStringLiteral("the database file takes no password");
        return false;
    }
    m_backend = SqliteBackend::open(path, false, m_lastError);
    return m_backend != nullptr;
}

bool DatabaseConnection::connectOdbc(const QString &connectionText)
{
    close();
    m_backend = OdbcBackend::connect(connectionText, m_loginTimeout, m_lastError);
    return m_backend != nullptr;
}

bool DatabaseConnection::connectSqliteReadOnly(const QString &path)
{
    close();
    m_backend = SqliteBackend::open(path, true, m_lastError);
    return m_backend != nullptr;
}

QString DatabaseConnection::sqlServerConnectionText(const QString &server, const QString &database,
                                                    const QString &user, const QString &password)
{
    return QStringLiteral("DRIVER=SQL Server;SERVER=") + server + QStringLiteral(";UID=") + user
        + QStringLiteral(";PWD=") + password + QStringLiteral(";DATABASE=") + database + QStringLiteral(";");
}

void DatabaseConnection::setLoginTimeout(int seconds)
{
    m_loginTimeout = seconds < 0 ? 0 : seconds;
}

int DatabaseConnection::loginTimeout() const
{
    return m_loginTimeout;
}

bool DatabaseConnection::executeSql(const QString &sql)
{
    if (!m_backend) {
        m_lastError = QStringLiteral("not connected");
        return false;
    }
    if (sql.trimmed().isEmpty()) {
        m_backend->lastError = QStringLiteral("empty command");
        return false;
    }
    return m_backend->execute(sql);
}

bool DatabaseConnection::beginTransaction()
{
    return m_backend && m_backend->beginTransaction();
}

bool DatabaseConnection::commitTransaction()
{
    return m_backend && m_backend->commitTransaction();
}

bool DatabaseConnection::rollbackTransaction()
{
    return m_backend && m_backend->rollbackTransaction();
}

QString DatabaseConnection::quoteIdentifier(const QString &name) const
{
    if (m_backend)
        return m_backend->quoteIdentifier(name);
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

void DatabaseConnection::close()
{
    m_backend.reset();
}

bool DatabaseConnection::isOpen() const
{
    return m_backend != nullptr;
}

DatabaseConnection::Kind DatabaseConnection::kind() const
{
    return m_backend ? m_backend->kind() : Kind::None;
}

QString DatabaseConnection::lastError() const
{
    return m_backend ? m_backend->lastError : m_lastError;
}

ConnectionBackend *DatabaseConnection::backend() const
{
    return m_backend.get();
}
