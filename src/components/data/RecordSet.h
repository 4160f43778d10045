#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

class DatabaseConnection;
class RecordTable;
struct RecordSetData;

/// A client-side, static record set: open() runs the query and reads every
/// row, so recordCount() is exact and moving is cheap. Fields are addressed
/// by 0-based index or by name, names matched without regard to case.
/// Nothing throws or shows a message: failures are false, an empty read or -1.
class RecordSet
{
public:
    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet &) = delete;
    RecordSet &operator=(const RecordSet &) = delete;

    /// Later opens run on this connection. The connection must outlive the binding.
    void bindConnection(DatabaseConnection *connection);
    DatabaseConnection *connection() const;

    /// Closes the record set if open, then runs the text and positions on the
    /// first record. False when unbound, on an empty text or a database error
    /// (the record set then stays closed). A text that runs without error but
    /// returns no columns (an UPDATE, a CREATE) opens with no fields and no
    /// records. Of several statements, the first that returns columns gives the rows.
    bool open(const QString &sql, int options = 1);
    /// Drops a pending edit. Harmless when closed.
    void close();
    bool isOpen() const;
    /// The text the record set is open on (empty when closed).
    QString sql() const;

    /// Exact while open; -1 when closed or after a failed open.
    int recordCount() const;
    int fieldCount() const;
    /// 0-based position of the current record; recordCount() when past the end.
    int position() const;

    /// True past the last record, and for an empty or closed record set.
    bool isEof() const;
    bool moveFirst();
    bool moveNext();

    /// Field text of the current record by its type (NULL gives the empty text):
    /// integers in decimal, singles with 4 decimals, doubles and decimals with 8,
    /// currency in plain form, dates as "%Y-%m-%d %H:%M:%S", bits "TRUE"/"FALSE",
    /// long binary "[BLOB]", other kinds "UN_KNOW". No current record or no such
    /// field: target empty, false.
    bool readText(int field, QString &target) const;
    bool readText(QStringView field, QString &target) const;
    /// Integer fields only (codes 2, 3, 17, 20, 21); NULL and no current record
    /// give 0. Other fields, and a value beyond the range of int: target unchanged, false.
    bool readInt(int field, int &target) const;
    bool readInt(QStringView field, int &target) const;
    /// Target emptied, then filled from a binary or text field; NULL leaves it empty.
    bool readBytes(int field, QByteArray &target) const;
    bool readBytes(QStringView field, QByteArray &target) const;

    /// Replaces a field's value in the current record; update() stores the
    /// record through its table's key (on failure the edit is dropped, false).
    /// Exactly one row must match the key, and only through the connection
    /// session the rows were read from. Moving or closing drops an edit that
    /// was not stored; update() without an edit is true.
    bool writeBytes(QStringView field, const QByteArray &bytes);
    bool update();

    /// Criteria "field='text'" (quotes inside doubled) or "field=number";
    /// searches forward from the current record, which is included. Text
    /// criteria match readText exactly; NULL matches nothing. False, and past
    /// the end, when none matches or the criteria cannot be read.
    bool find(const QString &criteria, int options = 1);

    QString fieldName(int field) const;
    /// ADO data type code (AdoType); 0 for no such field.
    int fieldType(int field) const;
    /// Defined size; 0 for no such field.
    int fieldSize(int field) const;
    /// Index of the named field, -1 when there is none.
    int fieldIndex(QStringView name) const;

    /// Direct reads for the renderer, by record and field, without moving.
    bool isNull(int record, int field) const;
    /// The value as a number (0 for NULL or text that is not a number).
    double numberAt(int record, int field) const;
    /// Same text readText gives for that record.
    QString textAt(int record, int field) const;
    /// The rows as read, for readers that turn whole columns into text
    /// (FieldText gives their texts); null when closed.
    const RecordTable *table() const;

private:
    DatabaseConnection *m_connection = nullptr;
    std::unique_ptr<RecordSetData> m_data;
};
