#pragma once

#include "ConnectionBackend.h"

#include <memory>

/// A session through the ODBC driver manager (unixODBC), using the wide
/// character API throughout so that Chinese names and texts pass unchanged.
class OdbcBackend final : public ConnectionBackend
{
public:
    /// Connects with a complete connection text. The login timeout (seconds,
    /// 0 for none) bounds how long a silent server can keep the call waiting.
    static std::unique_ptr<OdbcBackend> connect(const QString &connectionText, int loginTimeout, QString &error);
    ~OdbcBackend() override;

    DatabaseConnection::Kind kind() const override { return DatabaseConnection::Kind::Odbc; }
    bool execute(const QString &sql) override;
    bool query(const QString &sql, RecordTable &table) override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;
    QString quoteIdentifier(const QString &name) const override;
    bool storeFields(RecordTable &table, int row, const std::vector<FieldEdit> &edits) override;
    bool isLost() const override;

    /// ADO type code for an ODBC SQL type (money and smallmoney, which
    /// drivers report as decimals, are told by their type name).
    static int adoType(int sqlType, const QString &typeName);
    /// Defined size for an ADO type code, given the driver's column length.
    static int definedSize(int adoType, long long length);

private:
    OdbcBackend(void *env, void *dbc);
    QStringList primaryKey(const RecordTable &table, int col);
    QString qualifiedTable(const RecordTable &table, int col) const;
    bool endTransaction(bool commit);

    void *m_env;
    void *m_dbc;
    QString m_quoteOpen = QStringLiteral("\"");
    QString m_quoteClose = QStringLiteral("\"");
    bool m_inTransaction = false;
};
