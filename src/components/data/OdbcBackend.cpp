#include "OdbcBackend.h"

#include "AdoType.h"
#include "Cp936.h"
#include "FieldText.h"
#include "RecordTable.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <QVarLengthArray>

#include <cstdint>
#include <limits>
#include <map>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the ODBC wide API must use UTF-16");

namespace {

// Long values travel in pieces of this size, both ways.
constexpr SQLLEN kChunkBytes = 64 * 1024;

SQLWCHAR *wide(const QString &text)
{
    return reinterpret_cast<SQLWCHAR *>(const_cast<char16_t *>(reinterpret_cast<const char16_t *>(text.utf16())));
}

QString fromWide(const SQLWCHAR *text, qsizetype chars)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), chars);
}

// Names and messages are read up to their terminating zero: with a driver
// that has only the narrow API, the driver manager converts to UTF-16 but
// reports the length of the narrow (UTF-8) text.
QString terminated(const SQLWCHAR *text, qsizetype capacity)
{
    qsizetype n = 0;
    while (n < capacity && text[n] != 0)
        ++n;
    return fromWide(text, n);
}

QString diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QString text;
    for (SQLSMALLINT rec = 1; rec < 20; ++rec) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[1024];
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, rec, state, &native, message,
                                            static_cast<SQLSMALLINT>(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        message[std::size(message) - 1] = 0;
        text += QLatin1Char('[') + terminated(state, 5) + QStringLiteral("] ") + terminated(message, static_cast<qsizetype>(std::size(message)) - 1);
    }
    return text.isEmpty() ? QStringLiteral("ODBC call failed") : text;
}

class Statement
{
public:
    explicit Statement(SQLHDBC dbc)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt)))
            m_stmt = SQL_NULL_HSTMT;
    }
    ~Statement()
    {
        if (m_stmt != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    SQLHSTMT get() const { return m_stmt; }
    bool valid() const { return m_stmt != SQL_NULL_HSTMT; }

private:
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
};

QString textAttribute(SQLHSTMT stmt, SQLUSMALLINT col, SQLUSMALLINT field)
{
    SQLWCHAR buffer[512] = {};
    SQLSMALLINT bytes = 0;
    const SQLRETURN rc = SQLColAttributeW(stmt, col, field, buffer, static_cast<SQLSMALLINT>(sizeof buffer), &bytes,
                                          nullptr);
    if (!SQL_SUCCEEDED(rc) || bytes <= 0)
        return {};
    return terminated(buffer, static_cast<qsizetype>(std::size(buffer)) - 1);
}

SQLLEN numberAttribute(SQLHSTMT stmt, SQLUSMALLINT col, SQLUSMALLINT field, SQLLEN fallback)
{
    SQLLEN value = 0;
    if (!SQL_SUCCEEDED(SQLColAttributeW(stmt, col, field, nullptr, 0, nullptr, &value)))
        return fallback;
    return value;
}

enum class Reader { Integer, Real, Text, Binary };

Reader readerFor(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
        return Reader::Integer;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Reader::Real;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return Reader::Binary;
    default:
        // Decimals and dates come as text so that no digit is lost.
        return Reader::Text;
    }
}

// Reads one column of the current row into the table. False on a driver error.
class CellReader
{
public:
    bool read(SQLHSTMT stmt, SQLUSMALLINT col, Reader reader, RecordTable &table, int index)
    {
        SQLLEN ind = 0;
        switch (reader) {
        case Reader::Integer: {
            SQLBIGINT value = 0;
            if (!SQL_SUCCEEDED(SQLGetData(stmt, col, SQL_C_SBIGINT, &value, 0, &ind)))
                return false;
            if (ind == SQL_NULL_DATA)
                table.appendNull(index);
            else
                table.appendInteger(index, value);
            return true;
        }
        case Reader::Real: {
            double value = 0;
            if (!SQL_SUCCEEDED(SQLGetData(stmt, col, SQL_C_DOUBLE, &value, 0, &ind)))
                return false;
            if (ind == SQL_NULL_DATA)
                table.appendNull(index);
            else
                table.appendReal(index, value);
            return true;
        }
        case Reader::Text:
            return readText(stmt, col, table, index);
        case Reader::Binary:
            return readBinary(stmt, col, table, index);
        }
        return false;
    }

private:
    bool readText(SQLHSTMT stmt, SQLUSMALLINT col, RecordTable &table, int index)
    {
        constexpr SQLLEN bufferBytes = 8192;
        const SQLLEN room = bufferBytes - static_cast<SQLLEN>(sizeof(SQLWCHAR));
        m_text.clear();
        bool first = true;
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN rc = SQLGetData(stmt, col, SQL_C_WCHAR, m_wideBuffer, bufferBytes, &ind);
            if (rc == SQL_NO_DATA && !first)
                break;
            if (!SQL_SUCCEEDED(rc))
                return false;
            if (ind == SQL_NULL_DATA) {
                table.appendNull(index);
                return true;
            }
            const bool more = rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind > room);
            const SQLLEN bytes = more ? room : ind;
            const auto chars = static_cast<qsizetype>(bytes / static_cast<SQLLEN>(sizeof(SQLWCHAR)));
            if (first && !more) {
                const QByteArray utf8 = QStringView(reinterpret_cast<const char16_t *>(m_wideBuffer), chars).toUtf8();
                table.appendText(index, utf8.constData(), utf8.size());
                return true;
            }
            m_text.append(reinterpret_cast<const QChar *>(m_wideBuffer), chars);
            first = false;
            if (!more)
                break;
        }
        const QByteArray utf8 = m_text.toUtf8();
        table.appendText(index, utf8.constData(), utf8.size());
        return true;
    }

    bool readBinary(SQLHSTMT stmt, SQLUSMALLINT col, RecordTable &table, int index)
    {
        m_bytes.clear();
        bool first = true;
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN rc = SQLGetData(stmt, col, SQL_C_BINARY, m_byteBuffer, kChunkBytes, &ind);
            if (rc == SQL_NO_DATA && !first)
                break;
            if (!SQL_SUCCEEDED(rc))
                return false;
            if (ind == SQL_NULL_DATA) {
                table.appendNull(index);
                return true;
            }
            const bool more = rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind > kChunkBytes);
            const SQLLEN bytes = more ? kChunkBytes : ind;
            m_bytes.append(m_byteBuffer, static_cast<qsizetype>(bytes));
            first = false;
            if (!more)
                break;
        }
        table.appendBlob(index, m_bytes.constData(), m_bytes.size());
        return true;
    }

    SQLWCHAR m_wideBuffer[4096];
    char m_byteBuffer[kChunkBytes];
    QString m_text;
    QByteArray m_bytes;
};

// Keeps the values bound as statement parameters alive until execution.
class Parameters
{
public:
    explicit Parameters(std::size_t count)
    {
        m_lengths.resize(count);
        m_integers.resize(count);
        m_reals.resize(count);
        m_texts.resize(count);
        m_bytes.resize(count);
    }

    bool bindInteger(SQLHSTMT stmt, SQLUSMALLINT n, qint64 value)
    {
        m_integers[n - 1] = value;
        m_lengths[n - 1] = 0;
        return SQL_SUCCEEDED(SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                              &m_integers[n - 1], 0, &m_lengths[n - 1]));
    }

    bool bindReal(SQLHSTMT stmt, SQLUSMALLINT n, double value)
    {
        m_reals[n - 1] = value;
        m_lengths[n - 1] = 0;
        return SQL_SUCCEEDED(SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                                              &m_reals[n - 1], 0, &m_lengths[n - 1]));
    }

    bool bindText(SQLHSTMT stmt, SQLUSMALLINT n, const QString &value, bool longText)
    {
        QString &text = m_texts[n - 1];
        text = value;
        text.detach();
        const auto bytes = static_cast<SQLLEN>(text.size() * static_cast<qsizetype>(sizeof(SQLWCHAR)));
        m_lengths[n - 1] = bytes;
        const auto columnSize = static_cast<SQLULEN>(std::max<qsizetype>(text.size(), 1));
        return SQL_SUCCEEDED(SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                              longText ? SQL_WLONGVARCHAR : SQL_WVARCHAR, columnSize, 0,
                                              wide(text), bytes, &m_lengths[n - 1]));
    }

    /// Large values are sent at execution, piece by piece (see sendPending).
    bool bindBinary(SQLHSTMT stmt, SQLUSMALLINT n, const QByteArray &value, bool longBinary)
    {
        static char empty = 0;
        QByteArray &bytes = m_bytes[n - 1];
        bytes = value;
        const auto size = static_cast<SQLLEN>(bytes.size());
        const auto columnSize = static_cast<SQLULEN>(std::max<SQLLEN>(size, 1));
        const SQLSMALLINT sqlType = longBinary ? SQL_LONGVARBINARY : SQL_VARBINARY;
        if (size > kChunkBytes) {
            m_lengths[n - 1] = SQL_LEN_DATA_AT_EXEC(size);
            return SQL_SUCCEEDED(SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_BINARY, sqlType, columnSize, 0,
                                                  reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(n)), 0,
                                                  &m_lengths[n - 1]));
        }
        m_lengths[n - 1] = size;
        void *data = size > 0 ? static_cast<void *>(bytes.data()) : static_cast<void *>(&empty);
        return SQL_SUCCEEDED(SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_BINARY, sqlType, columnSize, 0, data,
                                              size, &m_lengths[n - 1]));
    }

    bool bindNull(SQLHSTMT stmt, SQLUSMALLINT n)
    {
        m_lengths[n - 1] = SQL_NULL_DATA;
        return SQL_SUCCEEDED(SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0, nullptr, 0,
                                              &m_lengths[n - 1]));
    }

    /// Answers SQL_NEED_DATA after SQLExecute by sending the pending values.
    SQLRETURN sendPending(SQLHSTMT stmt, SQLRETURN rc)
    {
        while (rc == SQL_NEED_DATA) {
            SQLPOINTER token = nullptr;
            rc = SQLParamData(stmt, &token);
            if (rc != SQL_NEED_DATA)
                break;
            const auto n = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(token));
            if (n < 1 || n > m_bytes.size())
                return SQL_ERROR;
            const QByteArray &bytes = m_bytes[n - 1];
            for (qsizetype offset = 0; offset < bytes.size(); offset += kChunkBytes) {
                const qsizetype piece = std::min<qsizetype>(kChunkBytes, bytes.size() - offset);
                auto *data = const_cast<char *>(bytes.constData() + offset);
                if (!SQL_SUCCEEDED(SQLPutData(stmt, data, static_cast<SQLLEN>(piece))))
                    return SQL_ERROR;
            }
        }
        return rc;
    }

private:
    std::vector<SQLLEN> m_lengths;
    std::vector<qint64> m_integers;
    std::vector<double> m_reals;
    std::vector<QString> m_texts;
    std::vector<QByteArray> m_bytes;
};

bool bindCell(Parameters &params, SQLHSTMT stmt, SQLUSMALLINT n, const RecordTable &table, int row, int col)
{
    switch (table.kind(row, col)) {
    case CellKind::Integer:
        return params.bindInteger(stmt, n, table.integer(row, col));
    case CellKind::Real:
        return params.bindReal(stmt, n, table.real(row, col));
    case CellKind::Text:
        return params.bindText(stmt, n, QString::fromUtf8(table.bytes(row, col)), false);
    case CellKind::Blob:
        return params.bindBinary(stmt, n, table.bytes(row, col).toByteArray(), false);
    case CellKind::Null:
        return params.bindNull(stmt, n);
    }
    return false;
}

} // namespace

std::unique_ptr<OdbcBackend> OdbcBackend::connect(const QString &connectionText, int loginTimeout, QString &error)
{
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        error = QStringLiteral("no ODBC environment");
        return nullptr;
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        error = diagnostics(SQL_HANDLE_ENV, env);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return nullptr;
    }
    // Without these a server that accepts the socket but never answers keeps
    // the connect waiting for ever.
    const auto timeout = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(std::max(loginTimeout, 0)));
    SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, timeout, SQL_IS_UINTEGER);
    SQLSetConnectAttrW(dbc, SQL_ATTR_CONNECTION_TIMEOUT, timeout, SQL_IS_UINTEGER);

    QString text = connectionText;
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, wide(text), static_cast<SQLSMALLINT>(text.size()), completed,
                                           static_cast<SQLSMALLINT>(std::size(completed)), &completedLength,
                                           SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        error = diagnostics(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return nullptr;
    }
    std::unique_ptr<OdbcBackend> backend(new OdbcBackend(env, dbc));

    SQLWCHAR quote[8] = {};
    SQLSMALLINT quoteBytes = 0;
    QString quoteChar;
    if (SQL_SUCCEEDED(SQLGetInfoW(dbc, SQL_IDENTIFIER_QUOTE_CHAR, quote, static_cast<SQLSMALLINT>(sizeof quote),
                                  &quoteBytes)))
        quoteChar = terminated(quote, 7).trimmed();
    if (quoteChar.isEmpty() || quoteChar == QLatin1String("[")) {
        // Nothing useful from the driver: SQL Server's brackets always work there.
        backend->m_quoteOpen = QStringLiteral("[");
        backend->m_quoteClose = QStringLiteral("]");
    } else {
        backend->m_quoteOpen = quoteChar;
        backend->m_quoteClose = quoteChar;
    }
    return backend;
}

bool OdbcBackend::isLost() const
{
    // The driver marks its connection dead once a call found the link
    // broken; asking costs no round trip to the server.
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttrW(m_dbc, SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

OdbcBackend::OdbcBackend(void *env, void *dbc)
    : m_env(env)
    , m_dbc(dbc)
{
}

OdbcBackend::~OdbcBackend()
{
    if (m_inTransaction)
        SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

int OdbcBackend::adoType(int sqlType, const QString &typeName)
{
    const QString name = typeName.trimmed().toLower();
    if (name == QLatin1String("money") || name == QLatin1String("smallmoney") || name == QLatin1String("currency"))
        return AdoType::Currency;
    switch (sqlType) {
    case SQL_INTEGER:
        return AdoType::Integer;
    case SQL_SMALLINT:
        return AdoType::SmallInt;
    case SQL_TINYINT:
        return AdoType::UnsignedTinyInt;
    case SQL_BIGINT:
        return AdoType::BigInt;
    case SQL_REAL:
        return AdoType::Single;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return AdoType::Double;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return AdoType::Numeric;
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATETIME:
    case SQL_TIMESTAMP:
        return AdoType::DBTimeStamp;
    case SQL_TYPE_DATE:
        return AdoType::DBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return AdoType::DBTime;
    case SQL_BIT:
        return AdoType::Boolean;
    case SQL_CHAR:
        return AdoType::Char;
    case SQL_VARCHAR:
        return AdoType::VarChar;
    case SQL_LONGVARCHAR:
        return AdoType::LongVarChar;
    case SQL_WCHAR:
        return AdoType::WChar;
    case SQL_WVARCHAR:
        return AdoType::VarWChar;
    case SQL_WLONGVARCHAR:
        return AdoType::LongVarWChar;
    case SQL_BINARY:
        return AdoType::Binary;
    case SQL_VARBINARY:
        return AdoType::VarBinary;
    case SQL_LONGVARBINARY:
        return AdoType::LongVarBinary;
    case SQL_GUID:
        return AdoType::Guid;
    default:
        // Types this layer does not know (newer server types) are read as text.
        return AdoType::VarWChar;
    }
}

int OdbcBackend::definedSize(int adoType, long long length)
{
    switch (adoType) {
    case AdoType::SmallInt:
        return 2;
    case AdoType::Integer:
    case AdoType::Single:
        return 4;
    case AdoType::UnsignedTinyInt:
        return 1;
    case AdoType::BigInt:
    case AdoType::Double:
    case AdoType::Currency:
        return 8;
    case AdoType::Numeric:
        return 19;
    case AdoType::DBTimeStamp:
    case AdoType::Guid:
        return 16;
    case AdoType::DBDate:
    case AdoType::DBTime:
        return 6;
    case AdoType::Boolean:
        return 2;
    case AdoType::LongVarWChar:
        return length > 0 && length < 1073741823 ? static_cast<int>(length) : 1073741823;
    default:
        if (length > 0 && length <= std::numeric_limits<int>::max())
            return static_cast<int>(length);
        return FieldText::isBinaryType(adoType) || adoType == AdoType::LongVarChar ? 2147483647 : 1073741823;
    }
}

bool OdbcBackend::execute(const QString &sql)
{
    Statement stmt(m_dbc);
    if (!stmt.valid()) {
        lastError = diagnostics(SQL_HANDLE_DBC, m_dbc);
        return false;
    }
    QString text = sql;
    SQLRETURN rc = SQLExecDirectW(stmt.get(), wide(text), static_cast<SQLINTEGER>(text.size()));
    if (rc == SQL_NO_DATA)
        return true; // an UPDATE or DELETE that touched no row
    if (!SQL_SUCCEEDED(rc)) {
        lastError = diagnostics(SQL_HANDLE_STMT, stmt.get());
        return false;
    }
    // A batch reports a failing later statement only when its results are walked.
    while ((rc = SQLMoreResults(stmt.get())) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc)) {
            lastError = diagnostics(SQL_HANDLE_STMT, stmt.get());
            return false;
        }
    }
    return true;
}

bool OdbcBackend::query(const QString &sql, RecordTable &table)
{
    Statement stmt(m_dbc);
    if (!stmt.valid()) {
        lastError = diagnostics(SQL_HANDLE_DBC, m_dbc);
        return false;
    }
    SQLHSTMT h = stmt.get();
    auto fail = [&] {
        lastError = diagnostics(SQL_HANDLE_STMT, h);
        return false;
    };
    QString text = sql;
    SQLRETURN rc = SQLExecDirectW(h, wide(text), static_cast<SQLINTEGER>(text.size()));
    if (rc == SQL_NO_DATA)
        return true;
    if (!SQL_SUCCEEDED(rc))
        return fail();

    // The first result that has columns is the record set's.
    SQLSMALLINT columns = 0;
    for (;;) {
        if (!SQL_SUCCEEDED(SQLNumResultCols(h, &columns)))
            return fail();
        if (columns > 0)
            break;
        rc = SQLMoreResults(h);
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc))
            return fail();
    }

    std::vector<Reader> readers;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN columnSize = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(h, i, name, static_cast<SQLSMALLINT>(std::size(name)), &nameLength,
                                           &sqlType, &columnSize, &digits, &nullable)))
            return fail();
        RecordTable::Column &c = table.addColumn(terminated(name, static_cast<qsizetype>(std::size(name)) - 1));
        c.type = adoType(sqlType, textAttribute(h, i, SQL_DESC_TYPE_NAME));
        const SQLLEN length = numberAttribute(h, i, SQL_DESC_LENGTH, static_cast<SQLLEN>(columnSize));
        c.size = definedSize(c.type, length > 0 ? length : static_cast<long long>(columnSize));
        c.baseCatalog = textAttribute(h, i, SQL_DESC_CATALOG_NAME);
        c.baseSchema = textAttribute(h, i, SQL_DESC_SCHEMA_NAME);
        c.baseTable = textAttribute(h, i, SQL_DESC_BASE_TABLE_NAME);
        if (c.baseTable.isEmpty())
            c.baseTable = textAttribute(h, i, SQL_DESC_TABLE_NAME);
        c.baseColumn = textAttribute(h, i, SQL_DESC_BASE_COLUMN_NAME);
        if (c.baseColumn.isEmpty() && !c.baseTable.isEmpty())
            c.baseColumn = c.name;
        readers.push_back(readerFor(sqlType));
    }

    auto reader = std::make_unique<CellReader>();
    while ((rc = SQLFetch(h)) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            return fail();
        for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
            if (!reader->read(h, i, readers[i - 1], table, i - 1))
                return fail();
        }
        table.finishRow();
    }
    // Later results of a batch are run and dropped; an error among them fails the open.
    while ((rc = SQLMoreResults(h)) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            return fail();
    }
    return true;
}

bool OdbcBackend::beginTransaction()
{
    if (m_inTransaction) {
        lastError = QStringLiteral("a transaction is already open");
        return false;
    }
    if (!SQL_SUCCEEDED(SQLSetConnectAttrW(m_dbc, SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_AUTOCOMMIT_OFF)),
                                          SQL_IS_UINTEGER))) {
        lastError = diagnostics(SQL_HANDLE_DBC, m_dbc);
        return false;
    }
    m_inTransaction = true;
    return true;
}

bool OdbcBackend::endTransaction(bool commit)
{
    if (!m_inTransaction) {
        lastError = QStringLiteral("no transaction is open");
        return false;
    }
    const bool ended = SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, m_dbc, commit ? SQL_COMMIT : SQL_ROLLBACK));
    if (!ended)
        lastError = diagnostics(SQL_HANDLE_DBC, m_dbc);
    if (ended || !commit) {
        m_inTransaction = false;
        SQLSetConnectAttrW(m_dbc, SQL_ATTR_AUTOCOMMIT,
                           reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_AUTOCOMMIT_ON)),
                           SQL_IS_UINTEGER);
    }
    return ended;
}

bool OdbcBackend::commitTransaction()
{
    return endTransaction(true);
}

bool OdbcBackend::rollbackTransaction()
{
    return endTransaction(false);
}

QString OdbcBackend::quoteIdentifier(const QString &name) const
{
    QString inner = name;
    inner.replace(m_quoteClose, m_quoteClose + m_quoteClose);
    return m_quoteOpen + inner + m_quoteClose;
}

QString OdbcBackend::qualifiedTable(const RecordTable &table, int col) const
{
    const RecordTable::Column &c = table.column(col);
    if (c.baseSchema.isEmpty())
        return quoteIdentifier(c.baseTable);
    return quoteIdentifier(c.baseSchema) + QLatin1Char('.') + quoteIdentifier(c.baseTable);
}

QStringList OdbcBackend::primaryKey(const RecordTable &table, int col)
{
    const RecordTable::Column &c = table.column(col);
    Statement stmt(m_dbc);
    if (!stmt.valid())
        return {};
    QString catalog = c.baseCatalog;
    QString schema = c.baseSchema;
    QString name = c.baseTable;
    const SQLRETURN rc = SQLPrimaryKeysW(
        stmt.get(), catalog.isEmpty() ? nullptr : wide(catalog), static_cast<SQLSMALLINT>(catalog.size()),
        schema.isEmpty() ? nullptr : wide(schema), static_cast<SQLSMALLINT>(schema.size()), wide(name),
        static_cast<SQLSMALLINT>(name.size()));
    if (!SQL_SUCCEEDED(rc))
        return {};
    // Result columns: 4 COLUMN_NAME, 5 KEY_SEQ.
    std::map<int, QString> byOrder;
    while (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
        SQLWCHAR column[256] = {};
        SQLLEN columnLength = 0;
        SQLSMALLINT seq = 0;
        SQLLEN seqLength = 0;
        if (!SQL_SUCCEEDED(SQLGetData(stmt.get(), 4, SQL_C_WCHAR, column, sizeof column, &columnLength))
            || columnLength == SQL_NULL_DATA)
            continue;
        SQLGetData(stmt.get(), 5, SQL_C_SSHORT, &seq, 0, &seqLength);
        byOrder[seq] = terminated(column, static_cast<qsizetype>(std::size(column)) - 1);
    }
    QStringList names;
    for (const auto &entry : byOrder)
        names.append(entry.second);
    return names;
}

bool OdbcBackend::storeFields(RecordTable &table, int row, const std::vector<FieldEdit> &edits)
{
    if (row < 0 || row >= table.rowCount() || !editsShareBaseTable(table, edits)) {
        lastError = QStringLiteral("the field does not come from a table");
        return false;
    }
    const int first = edits.front().column;
    bool unique = false;
    const std::vector<int> key = chooseKeyColumns(table, edits, primaryKey(table, first), unique);
    if (key.empty()) {
        lastError = QStringLiteral("no key identifies the record");
        return false;
    }
    const QString target = qualifiedTable(table, first);

    QString where;
    std::vector<int> boundKeys;
    for (int col : key) {
        if (!where.isEmpty())
            where += QStringLiteral(" AND ");
        where += quoteIdentifier(table.column(col).baseColumn);
        if (table.kind(row, col) == CellKind::Null) {
            where += QStringLiteral(" IS NULL");
        } else {
            where += QStringLiteral(" = ?");
            boundKeys.push_back(col);
        }
    }

    auto bindKeys = [&](Parameters &params, SQLHSTMT h, SQLUSMALLINT firstIndex) {
        SQLUSMALLINT n = firstIndex;
        for (int col : boundKeys) {
            if (!bindCell(params, h, n++, table, row, col))
                return false;
        }
        return true;
    };

    if (!unique) {
        // The key is not known to be unique: make sure it names exactly one row.
        Statement count(m_dbc);
        QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + target + QStringLiteral(" WHERE ") + where;
        Parameters params(boundKeys.size());
        SQLBIGINT rows = 0;
        SQLLEN ind = 0;
        if (!count.valid() || !SQL_SUCCEEDED(SQLPrepareW(count.get(), wide(sql), static_cast<SQLINTEGER>(sql.size())))
            || !bindKeys(params, count.get(), 1) || !SQL_SUCCEEDED(SQLExecute(count.get()))
            || !SQL_SUCCEEDED(SQLFetch(count.get()))
            || !SQL_SUCCEEDED(SQLGetData(count.get(), 1, SQL_C_SBIGINT, &rows, 0, &ind))) {
            lastError = count.valid() ? diagnostics(SQL_HANDLE_STMT, count.get()) : diagnostics(SQL_HANDLE_DBC, m_dbc);
            return false;
        }
        if (rows != 1) {
            lastError = rows == 0 ? QStringLiteral("the record was not found")
                                  : QStringLiteral("the record is not identified uniquely");
            return false;
        }
    }

    QString sql = QStringLiteral("UPDATE ") + target + QStringLiteral(" SET ");
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (i > 0)
            sql += QStringLiteral(", ");
        sql += quoteIdentifier(table.column(edits[i].column).baseColumn) + QStringLiteral(" = ?");
    }
    sql += QStringLiteral(" WHERE ") + where;

    Statement stmt(m_dbc);
    if (!stmt.valid()) {
        lastError = diagnostics(SQL_HANDLE_DBC, m_dbc);
        return false;
    }
    SQLHSTMT h = stmt.get();
    if (!SQL_SUCCEEDED(SQLPrepareW(h, wide(sql), static_cast<SQLINTEGER>(sql.size())))) {
        lastError = diagnostics(SQL_HANDLE_STMT, h);
        return false;
    }
    // A text column takes the bytes as text; everything else as binary.
    Parameters params(edits.size() + boundKeys.size());
    std::vector<QString> texts(edits.size());
    SQLUSMALLINT n = 1;
    for (std::size_t i = 0; i < edits.size(); ++i, ++n) {
        const int type = table.column(edits[i].column).type;
        bool bound = false;
        if (FieldText::isTextType(type)) {
            texts[i] = Cp936::decodeUtf8OrCp936(edits[i].bytes);
            bound = params.bindText(h, n, texts[i], true);
        } else {
            bound = params.bindBinary(h, n, edits[i].bytes, true);
        }
        if (!bound) {
            lastError = diagnostics(SQL_HANDLE_STMT, h);
            return false;
        }
    }
    if (!bindKeys(params, h, n)) {
        lastError = diagnostics(SQL_HANDLE_STMT, h);
        return false;
    }
    SQLRETURN rc = params.sendPending(h, SQLExecute(h));
    if (rc == SQL_NO_DATA) {
        lastError = QStringLiteral("the record was not found");
        return false;
    }
    if (!SQL_SUCCEEDED(rc)) {
        lastError = diagnostics(SQL_HANDLE_STMT, h);
        return false;
    }
    SQLLEN changed = -1;
    SQLRowCount(h, &changed);
    if (changed == 0) {
        lastError = QStringLiteral("the record was not found");
        return false;
    }
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (FieldText::isTextType(table.column(edits[i].column).type))
            table.setText(row, edits[i].column, texts[i].toUtf8());
        else
            table.setBlob(row, edits[i].column, edits[i].bytes);
    }
    return true;
}
