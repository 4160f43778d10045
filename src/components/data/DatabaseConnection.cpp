#include "DatabaseConnection.h"

#include "ConnectionBackend.h"
#include "OdbcBackend.h"
#include "SqliteBackend.h"

#include <QDateTime>
#include <QElapsedTimer>

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
    if (m_backend)
        m_connectionText = connectionText;
    return m_backend != nullptr;
}

void DatabaseConnection::replaceLostSession()
{
    // Inside a transaction the statements before the break are gone with the
    // old session: running the rest on a new one would store half an edit.
    // The transaction's rollback ends it, and the next statement reconnects.
    if (!m_backend || m_inTransaction || m_connectionText.isEmpty() || !m_backend->isLost())
        return;
    if (QDateTime::currentMSecsSinceEpoch() < m_noReconnectBefore)
        return;
    QElapsedTimer waited;
    waited.start();
    QString error;
    std::unique_ptr<OdbcBackend> fresh = OdbcBackend::connect(m_connectionText, m_loginTimeout, error);
    if (fresh) {
        m_backend = std::move(fresh);
        m_noReconnectBefore = 0;
        return;
    }
    // A refused connect fails at once and may be tried at the next statement;
    // one that had to wait is not repeated for a while.
    if (waited.elapsed() > 1000)
        m_noReconnectBefore = QDateTime::currentMSecsSinceEpoch() + 30 * 1000;
    m_backend->lastError = error;
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
    replaceLostSession();
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
    replaceLostSession();
    m_inTransaction = m_backend && m_backend->beginTransaction();
    return m_inTransaction;
}

bool DatabaseConnection::commitTransaction()
{
    const bool committed = m_backend && m_backend->commitTransaction();
    if (committed)
        m_inTransaction = false;
    return committed;
}

bool DatabaseConnection::rollbackTransaction()
{
    m_inTransaction = false;
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
    m_connectionText.clear();
    m_inTransaction = false;
    m_noReconnectBefore = 0;
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

ConnectionBackend *DatabaseConnection::backend()
{
    replaceLostSession();
    return m_backend.get();
}
