#pragma once

#include <QString>

#include <memory>

class RecordSet;
struct ConnectionBackend;

/// One connection to the program's database: a SQLite file (the local
/// practice database) or a SQL Server reached through ODBC. No operation
/// throws or shows anything: failure is a false result.
class DatabaseConnection
{
public:
    enum class Kind { None, Sqlite, Odbc };

    DatabaseConnection();
    ~DatabaseConnection();
    DatabaseConnection(const DatabaseConnection &) = delete;
    DatabaseConnection &operator=(const DatabaseConnection &) = delete;

    /// Closes the connection if open, then connects through the ODBC driver
    /// named "SQL Server" with the text sqlServerConnectionText() gives.
    bool connectSqlServer(const QString &server, const QString &database, const QString &user,
                          const QString &password);
    /// Opens the local practice file. Fails, creating nothing, when the file
    /// is missing or is not a SQLite database, and for a non-empty password.
    bool connectAccess(const QString &path, const QString &password);
    /// Connects with a complete ODBC connection text.
    bool connectOdbc(const QString &connectionText);
    /// Opens a SQLite file read-only (the schema listing uses this).
    bool connectSqliteReadOnly(const QString &path);

    /// "DRIVER=SQL Server;SERVER=<server>;UID=<user>;PWD=<password>;DATABASE=<database>;"
    static QString sqlServerConnectionText(const QString &server, const QString &database,
                                           const QString &user, const QString &password);

    /// Seconds an ODBC connect waits for the server's answer before it fails
    /// (0 waits for ever). Applies to the next connect.
    void setLoginTimeout(int seconds);
    int loginTimeout() const;

    /// Runs the text as a command and discards any rows. True when it ran
    /// without error; an UPDATE or DELETE that touches no row succeeds.
    /// A server session whose link broke (the server stopped and started
    /// again) fails the statement that found it broken; the next statement
    /// outside a transaction connects again with the same connection text.
    bool executeSql(const QString &sql);

    /// Several statements as one unit: the multi-step catalogue edits use
    /// these so a failure in the middle leaves the table as it was.
    bool beginTransaction();
    bool commitTransaction();
    bool rollbackTransaction();

    /// The name quoted as an identifier of the connected database.
    QString quoteIdentifier(const QString &name) const;

    void close();
    bool isOpen() const;
    Kind kind() const;
    /// The last error the database reported, for diagnostics and tests only.
    QString lastError() const;

    /// For RecordSet: the live backend, or null when closed.
    ConnectionBackend *backend() const;
    /// The same, after replacing a server session whose link broke (see
    /// executeSql): record sets opened afterwards read through the new one.
    ConnectionBackend *backend();

private:
    void replaceLostSession();

    std::unique_ptr<ConnectionBackend> m_backend;
    int m_loginTimeout = 15;
    QString m_lastError;
    /// The text of the last ODBC connect that succeeded, to connect again.
    QString m_connectionText;
    bool m_inTransaction = false;
    /// A reconnect that waited for its time-out is not tried again before
    /// this time (ms since the epoch), so a server that is gone for good does
    /// not cost every statement the full wait.
    qint64 m_noReconnectBefore = 0;
};
