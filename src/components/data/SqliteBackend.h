#pragma once

#include "ConnectionBackend.h"

#include <memory>

struct sqlite3;

/// A session on a SQLite file through the SQLite C library.
class SqliteBackend final : public ConnectionBackend
{
public:
    /// Opens an existing SQLite database file; never creates one. Null on
    /// failure, with the reason in error.
    static std::unique_ptr<SqliteBackend> open(const QString &path, bool readOnly, QString &error);
    ~SqliteBackend() override;

    DatabaseConnection::Kind kind() const override { return DatabaseConnection::Kind::Sqlite; }
    bool execute(const QString &sql) override;
    bool query(const QString &sql, RecordTable &table) override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;
    QString quoteIdentifier(const QString &name) const override;
    bool storeFields(RecordTable &table, int row, const std::vector<FieldEdit> &edits) override;

    /// ADO type code and defined size for a declared column type; false for
    /// no declared type (the column's values decide).
    static bool declaredType(const QByteArray &declared, int &type, int &size);

private:
    explicit SqliteBackend(sqlite3 *db);
    bool run(const QString &sql, RecordTable *table);
    bool runStatements(const QString &sql, RecordTable *table);
    bool fail();
    QStringList primaryKey(const QString &database, const QString &table);

    sqlite3 *m_db;
};
