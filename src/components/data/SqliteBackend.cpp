#include "SqliteBackend.h"

#include "AdoType.h"
#include "Cp936.h"
#include "FieldText.h"
#include "RecordTable.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <map>
#include <string_view>

namespace {

// A briefly locked file (another program writing) is waited for, not failed at once.
constexpr int kBusyTimeoutMs = 2000;

class Statement
{
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt **out() { return &m_stmt; }
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

struct TypeRule {
    std::string_view word;
    int type;
    int size;
};

// Declared type names, by their first word. Text types take their length
// from "(n)" when one is given.
constexpr TypeRule kTypeRules[] = {
    {"INTEGER", AdoType::Integer, 4},       {"INT", AdoType::Integer, 4},
    {"COUNTER", AdoType::Integer, 4},       {"AUTOINCREMENT", AdoType::Integer, 4},
    {"LONG", AdoType::Integer, 4},          {"MEDIUMINT", AdoType::Integer, 4},
    {"SMALLINT", AdoType::SmallInt, 2},     {"SHORT", AdoType::SmallInt, 2},
    {"TINYINT", AdoType::UnsignedTinyInt, 1}, {"BYTE", AdoType::UnsignedTinyInt, 1},
    {"BIGINT", AdoType::BigInt, 8},
    {"REAL", AdoType::Double, 8},           {"FLOAT", AdoType::Double, 8},
    {"DOUBLE", AdoType::Double, 8},         {"SINGLE", AdoType::Single, 4},
    {"MONEY", AdoType::Currency, 8},        {"CURRENCY", AdoType::Currency, 8},
    {"SMALLMONEY", AdoType::Currency, 8},
    {"DECIMAL", AdoType::Numeric, 19},      {"NUMERIC", AdoType::Numeric, 19},
    {"DATE", AdoType::Date, 8},             {"DATETIME", AdoType::Date, 8},
    {"TIME", AdoType::Date, 8},             {"TIMESTAMP", AdoType::Date, 8},
    {"SMALLDATETIME", AdoType::Date, 8},
    {"BIT", AdoType::Boolean, 2},           {"BOOLEAN", AdoType::Boolean, 2},
    {"BOOL", AdoType::Boolean, 2},          {"YESNO", AdoType::Boolean, 2},
    {"LOGICAL", AdoType::Boolean, 2},
    {"CHAR", AdoType::VarWChar, 255},       {"VARCHAR", AdoType::VarWChar, 255},
    {"NVARCHAR", AdoType::VarWChar, 255},   {"NCHAR", AdoType::VarWChar, 255},
    {"CHARACTER", AdoType::VarWChar, 255},  {"STRING", AdoType::VarWChar, 255},
    {"VARYING", AdoType::VarWChar, 255},    {"NATIVE", AdoType::VarWChar, 255},
    {"MEMO", AdoType::LongVarWChar, 1073741823}, {"LONGTEXT", AdoType::LongVarWChar, 1073741823},
    {"NTEXT", AdoType::LongVarWChar, 1073741823}, {"CLOB", AdoType::LongVarWChar, 1073741823},
    {"LONGCHAR", AdoType::LongVarWChar, 1073741823},
    {"BLOB", AdoType::LongVarBinary, 2147483647}, {"IMAGE", AdoType::LongVarBinary, 2147483647},
    {"LONGBINARY", AdoType::LongVarBinary, 2147483647}, {"BINARY", AdoType::LongVarBinary, 2147483647},
    {"VARBINARY", AdoType::LongVarBinary, 2147483647}, {"OLEOBJECT", AdoType::LongVarBinary, 2147483647},
    {"GUID", AdoType::Guid, 16},            {"UNIQUEIDENTIFIER", AdoType::Guid, 16},
};

void bindCell(sqlite3_stmt *stmt, int index, const RecordTable &table, int row, int col)
{
    switch (table.kind(row, col)) {
    case CellKind::Null:
        sqlite3_bind_null(stmt, index);
        break;
    case CellKind::Integer:
        sqlite3_bind_int64(stmt, index, table.integer(row, col));
        break;
    case CellKind::Real:
        sqlite3_bind_double(stmt, index, table.real(row, col));
        break;
    case CellKind::Text: {
        const QByteArrayView v = table.bytes(row, col);
        sqlite3_bind_text64(stmt, index, v.data() ? v.data() : "", static_cast<sqlite3_uint64>(v.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    case CellKind::Blob: {
        const QByteArrayView v = table.bytes(row, col);
        if (v.isEmpty())
            sqlite3_bind_zeroblob(stmt, index, 0);
        else
            sqlite3_bind_blob64(stmt, index, v.data(), static_cast<sqlite3_uint64>(v.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

QString quoted(const QString &name)
{
    QString out = name;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

std::unique_ptr<SqliteBackend> SqliteBackend::open(const QString &path, bool readOnly, QString &error)
{
    // Checked first so that nothing is ever created, and an empty file (which
    // SQLite would take as a new database) is not taken for the practice file.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile()) {
        error = QStringLiteral("file not found: ") + path;
        return nullptr;
    }
    if (info.size() == 0) {
        error = QStringLiteral("not a database: ") + path;
        return nullptr;
    }
    sqlite3 *db = nullptr;
    // A connection is only ever used by the thread that opened it, so SQLite
    // need not lock it around every call (a lock per value read was a fifth
    // of the time of reading a large result).
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &db, flags, nullptr) != SQLITE_OK) {
        error = db ? fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);

    // Reading the schema is what tells a database from any other file.
    int rc = SQLITE_ERROR;
    {
        Statement check;
        rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, check.out(), nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(check.get());
        if (rc != SQLITE_ROW)
            error = fromUtf8(sqlite3_errmsg(db));
    }
    if (rc != SQLITE_ROW) {
        sqlite3_close(db);
        return nullptr;
    }
    return std::unique_ptr<SqliteBackend>(new SqliteBackend(db));
}

SqliteBackend::SqliteBackend(sqlite3 *db)
    : m_db(db)
{
}

SqliteBackend::~SqliteBackend()
{
    sqlite3_close_v2(m_db);
}

bool SqliteBackend::fail()
{
    lastError = fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool SqliteBackend::declaredType(const QByteArray &declared, int &type, int &size)
{
    const QByteArray upper = declared.trimmed().toUpper();
    if (upper.isEmpty())
        return false;
    qsizetype end = 0;
    while (end < upper.size() && upper[end] != ' ' && upper[end] != '(' && upper[end] != '\t')
        ++end;
    const std::string_view word(upper.constData(), static_cast<std::size_t>(end));

    int length = -1;
    const qsizetype open = upper.indexOf('(');
    if (open >= 0) {
        qsizetype p = open + 1;
        while (p < upper.size() && upper[p] == ' ')
            ++p;
        int n = 0;
        int digits = 0;
        while (p < upper.size() && upper[p] >= '0' && upper[p] <= '9' && digits < 9) {
            n = n * 10 + (upper[p] - '0');
            ++p;
            ++digits;
        }
        if (digits > 0)
            length = n;
    }

    if (word == "TEXT") {
        // TEXT(n) is a sized text; a bare TEXT is a memo.
        type = length >= 0 ? AdoType::VarWChar : AdoType::LongVarWChar;
        size = length >= 0 ? length : 1073741823;
        return true;
    }
    for (const TypeRule &rule : kTypeRules) {
        if (rule.word == word) {
            type = rule.type;
            size = rule.size;
            if (type == AdoType::VarWChar && length >= 0)
                size = length;
            return true;
        }
    }
    // Any other name follows SQLite's own affinity rules.
    if (upper.contains("INT")) {
        type = AdoType::Integer;
        size = 4;
    } else if (upper.contains("CHAR") || upper.contains("CLOB") || upper.contains("TEXT")) {
        type = AdoType::VarWChar;
        size = length >= 0 ? length : 255;
    } else if (upper.contains("BLOB")) {
        type = AdoType::LongVarBinary;
        size = 2147483647;
    } else if (upper.contains("REAL") || upper.contains("FLOA") || upper.contains("DOUB")) {
        type = AdoType::Double;
        size = 8;
    } else {
        type = AdoType::Numeric;
        size = 19;
    }
    return true;
}

bool SqliteBackend::execute(const QString &sql)
{
    return run(sql, nullptr);
}

bool SqliteBackend::query(const QString &sql, RecordTable &table)
{
    return run(sql, &table);
}

bool SqliteBackend::run(const QString &sql, RecordTable *table)
{
    // A text that opens a transaction and then fails part-way would leave
    // the transaction open: every later statement, and the catalogue's own
    // edits, would sit inside it. Undo what the failed text began.
    const bool wasInTransaction = sqlite3_get_autocommit(m_db) == 0;
    if (runStatements(sql, table))
        return true;
    if (!wasInTransaction && sqlite3_get_autocommit(m_db) == 0)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool SqliteBackend::runStatements(const QString &sql, RecordTable *table)
{
    const QByteArray text = sql.toUtf8();
    const char *tail = text.constData();
    const char *end = tail + text.size();
    bool haveResult = false;
    while (tail < end) {
        Statement stmt;
        const char *next = nullptr;
        if (sqlite3_prepare_v2(m_db, tail, static_cast<int>(end - tail), stmt.out(), &next) != SQLITE_OK)
            return fail();
        tail = next;
        if (!stmt.get())
            continue; // only white space or a comment
        sqlite3_stmt *s = stmt.get();
        const int columns = sqlite3_column_count(s);
        const bool collect = table && !haveResult && columns > 0;
        if (collect) {
            haveResult = true;
            for (int i = 0; i < columns; ++i) {
                RecordTable::Column &c = table->addColumn(fromUtf8(sqlite3_column_name(s, i)));
                c.typeFromValues = !declaredType(QByteArray(sqlite3_column_decltype(s, i)), c.type, c.size);
                c.baseSchema = fromUtf8(sqlite3_column_database_name(s, i));
                c.baseTable = fromUtf8(sqlite3_column_table_name(s, i));
                c.baseColumn = fromUtf8(sqlite3_column_origin_name(s, i));
            }
        }
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            if (!collect)
                continue;
            for (int i = 0; i < columns; ++i) {
                switch (sqlite3_column_type(s, i)) {
                case SQLITE_INTEGER:
                    table->appendInteger(i, sqlite3_column_int64(s, i));
                    break;
                case SQLITE_FLOAT:
                    table->appendReal(i, sqlite3_column_double(s, i));
                    break;
                case SQLITE_TEXT: {
                    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
                    table->appendText(i, p ? p : "", sqlite3_column_bytes(s, i));
                    break;
                }
                case SQLITE_BLOB: {
                    const auto *p = static_cast<const char *>(sqlite3_column_blob(s, i));
                    table->appendBlob(i, p ? p : "", sqlite3_column_bytes(s, i));
                    break;
                }
                default:
                    table->appendNull(i);
                    break;
                }
            }
            table->finishRow();
        }
        if (rc != SQLITE_DONE)
            return fail();
    }
    if (table)
        table->settleComputedTypes();
    return true;
}

bool SqliteBackend::beginTransaction()
{
    return execute(QStringLiteral("BEGIN"));
}

bool SqliteBackend::commitTransaction()
{
    return execute(QStringLiteral("COMMIT"));
}

bool SqliteBackend::rollbackTransaction()
{
    return execute(QStringLiteral("ROLLBACK"));
}

QString SqliteBackend::quoteIdentifier(const QString &name) const
{
    return quoted(name);
}

QStringList SqliteBackend::primaryKey(const QString &database, const QString &table)
{
    // table_info numbers the key columns 1, 2, ... in key order.
    std::map<int, QString> byOrder;
    Statement stmt;
    const QByteArray sql =
        (QStringLiteral("PRAGMA ") + quoted(database) + QStringLiteral(".table_info(") + quoted(table) + ')').toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, stmt.out(), nullptr) != SQLITE_OK)
        return {};
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const int pk = sqlite3_column_int(stmt.get(), 5);
        if (pk > 0)
            byOrder[pk] = fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 1)));
    }
    QStringList names;
    for (const auto &entry : byOrder)
        names.append(entry.second);
    return names;
}

bool SqliteBackend::storeFields(RecordTable &table, int row, const std::vector<FieldEdit> &edits)
{
    if (row < 0 || row >= table.rowCount() || !editsShareBaseTable(table, edits)) {
        lastError = QStringLiteral("the field does not come from a table");
        return false;
    }
    const RecordTable::Column &target = table.column(edits.front().column);
    const QString database = target.baseSchema.isEmpty() ? QStringLiteral("main") : target.baseSchema;
    bool unique = false;
    const std::vector<int> key = chooseKeyColumns(table, edits, primaryKey(database, target.baseTable), unique);
    if (key.empty()) {
        lastError = QStringLiteral("no key identifies the record");
        return false;
    }

    QString sql = QStringLiteral("UPDATE ") + quoted(database) + '.' + quoted(target.baseTable) + QStringLiteral(" SET ");
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (i > 0)
            sql += QStringLiteral(", ");
        sql += quoted(table.column(edits[i].column).baseColumn) + QStringLiteral(" = ?");
    }
    sql += QStringLiteral(" WHERE ");
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (i > 0)
            sql += QStringLiteral(" AND ");
        sql += quoted(table.column(key[i]).baseColumn) + QStringLiteral(" IS ?");
    }

    // Text fields keep valid UTF-8 as text; anything else is stored as it is, as a blob.
    std::vector<bool> asText;
    for (const FieldEdit &e : edits)
        asText.push_back(FieldText::isTextType(table.column(e.column).type) && Cp936::isValidUtf8(e.bytes));

    // The savepoint undoes an update that would change other than exactly one row.
    const bool outermost = sqlite3_get_autocommit(m_db) != 0;
    if (!execute(QStringLiteral("SAVEPOINT qorvex_store")))
        return false;
    auto undo = [this, outermost] {
        const QString reason = lastError;
        execute(QStringLiteral("ROLLBACK TO qorvex_store; RELEASE qorvex_store"));
        // The savepoint began the transaction, so RELEASE must end it; when
        // that commit cannot get its lock (another program reading) the
        // transaction would stay open under every later statement.
        if (outermost && sqlite3_get_autocommit(m_db) == 0)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        lastError = reason;
        return false;
    };
    Statement stmt;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), -1, stmt.out(), nullptr) != SQLITE_OK) {
        fail();
        return undo();
    }
    int index = 1;
    for (std::size_t i = 0; i < edits.size(); ++i, ++index) {
        const QByteArray &bytes = edits[i].bytes;
        if (asText[i])
            sqlite3_bind_text64(stmt.get(), index, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                                SQLITE_TRANSIENT, SQLITE_UTF8);
        else if (bytes.isEmpty())
            sqlite3_bind_zeroblob(stmt.get(), index, 0);
        else
            sqlite3_bind_blob64(stmt.get(), index, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                                SQLITE_TRANSIENT);
    }
    for (int col : key)
        bindCell(stmt.get(), index++, table, row, col);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
        fail();
        return undo();
    }
    const int changed = sqlite3_changes(m_db);
    if (changed != 1) {
        lastError = changed == 0 ? QStringLiteral("the record was not found")
                                 : QStringLiteral("the record is not identified uniquely");
        return undo();
    }
    if (!execute(QStringLiteral("RELEASE qorvex_store")))
        return undo();
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (asText[i])
            table.setText(row, edits[i].column, edits[i].bytes);
        else
            table.setBlob(row, edits[i].column, edits[i].bytes);
    }
    return true;
}
