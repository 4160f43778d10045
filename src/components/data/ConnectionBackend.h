#pragma once

#include "DatabaseConnection.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class RecordTable;

/// A new value for one field of a record.
struct FieldEdit {
    int column = -1;
    QByteArray bytes;
};

/// One live database session behind a DatabaseConnection. Failures are
/// false results; the reason is left in lastError.
struct ConnectionBackend {
    ConnectionBackend();
    virtual ~ConnectionBackend();
    ConnectionBackend(const ConnectionBackend &) = delete;
    ConnectionBackend &operator=(const ConnectionBackend &) = delete;

    virtual DatabaseConnection::Kind kind() const = 0;
    /// Runs every statement of the text, discarding rows.
    virtual bool execute(const QString &sql) = 0;
    /// Runs the text and reads every row of its first result into the (empty)
    /// table. A text that yields no result columns leaves the table without columns.
    virtual bool query(const QString &sql, RecordTable &table) = 0;
    virtual bool beginTransaction() = 0;
    virtual bool commitTransaction() = 0;
    virtual bool rollbackTransaction() = 0;
    virtual QString quoteIdentifier(const QString &name) const = 0;
    /// Writes the edited fields of one record of the table to the database
    /// row it came from, found by its key; on success the table holds the
    /// new values too. Exactly one row must change.
    virtual bool storeFields(RecordTable &table, int row, const std::vector<FieldEdit> &edits) = 0;
    /// True when the link to the server is broken for good (the server went
    /// away); such a session never works again. A local file is never lost.
    virtual bool isLost() const { return false; }

    QString lastError;
    /// Distinguishes this session from any earlier one at the same address.
    const std::uint64_t serial;
};

/// Picks the result columns that identify a record's row in the base table
/// of the edited columns: the table's primary key when every key column is
/// in the result, else a column named 编号 or id, else every other column of
/// that table that can be compared (keyIsUnique is then false and the caller
/// must make sure only one row matches). Empty when the edited columns have
/// no single base table.
std::vector<int> chooseKeyColumns(const RecordTable &table, const std::vector<FieldEdit> &edits,
                                  const QStringList &primaryKey, bool &keyIsUnique);

/// True when every edit names a column of the table and all of them come
/// from the same base table.
bool editsShareBaseTable(const RecordTable &table, const std::vector<FieldEdit> &edits);
