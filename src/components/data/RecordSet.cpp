#include "RecordSet.h"

#include "DatabaseConnection.h"
#include "FieldText.h"
#include "RecordSetData.h"

#include <QLocale>

namespace {

// Splits "field='text'" (quotes inside doubled) or "field=number". The field
// may be written in brackets. False when the criteria cannot be read.
bool parseCriteria(const QString &criteria, QString &field, QString &text, bool &isNumber, double &number)
{
    const QString c = criteria.trimmed();
    const qsizetype eq = c.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    field = c.left(eq).trimmed();
    if (field.startsWith(QLatin1Char('[')) && field.endsWith(QLatin1Char(']')) && field.size() >= 2)
        field = field.mid(1, field.size() - 2);
    if (field.isEmpty())
        return false;
    const QString value = c.mid(eq + 1).trimmed();
    if (value.startsWith(QLatin1Char('\''))) {
        text.clear();
        qsizetype i = 1;
        for (;;) {
            if (i >= value.size())
                return false; // no closing quote
            if (value[i] == QLatin1Char('\'')) {
                if (i + 1 < value.size() && value[i + 1] == QLatin1Char('\'')) {
                    text += QLatin1Char('\'');
                    i += 2;
                    continue;
                }
                break;
            }
            text += value[i++];
        }
        isNumber = false;
        return i == value.size() - 1; // nothing may follow the closing quote
    }
    bool ok = false;
    number = QLocale::c().toDouble(value, &ok);
    isNumber = true;
    return ok;
}

} // namespace

RecordSet::RecordSet() = default;

RecordSet::~RecordSet() = default;

void RecordSet::bindConnection(DatabaseConnection *connection)
{
    m_connection = connection;
}

DatabaseConnection *RecordSet::connection() const
{
    return m_connection;
}

bool RecordSet::open(const QString &sql, int /*options*/)
{
    close();
    if (!m_connection || sql.trimmed().isEmpty())
        return false;
    ConnectionBackend *backend = m_connection->backend();
    if (!backend)
        return false;
    auto data = std::make_unique<RecordSetData>();
    if (!backend->query(sql, data->table))
        return false;
    data->sql = sql;
    data->backendSerial = backend->serial;
    m_data = std::move(data);
    return true;
}

void RecordSet::close()
{
    m_data.reset();
}

bool RecordSet::isOpen() const
{
    return m_data != nullptr;
}

QString RecordSet::sql() const
{
    return m_data ? m_data->sql : QString();
}

int RecordSet::recordCount() const
{
    return m_data ? m_data->table.rowCount() : -1;
}

int RecordSet::fieldCount() const
{
    return m_data ? m_data->table.columnCount() : -1;
}

int RecordSet::position() const
{
    return m_data ? m_data->position : -1;
}

bool RecordSet::isEof() const
{
    return !m_data || m_data->position >= m_data->table.rowCount();
}

bool RecordSet::moveFirst()
{
    if (!m_data)
        return false;
    m_data->pendingEdits.clear();
    m_data->position = 0;
    return true;
}

bool RecordSet::moveNext()
{
    if (isEof())
        return false;
    m_data->pendingEdits.clear();
    ++m_data->position;
    return true;
}

bool RecordSet::readText(int field, QString &target) const
{
    target.clear();
    if (isEof() || field < 0 || field >= m_data->table.columnCount())
        return false;
    target = FieldText::cellText(m_data->table.column(field).type, m_data->table, m_data->position, field);
    return true;
}

bool RecordSet::readText(QStringView field, QString &target) const
{
    return readText(fieldIndex(field), target);
}

bool RecordSet::readInt(int field, int &target) const
{
    if (!m_data || field < 0 || field >= m_data->table.columnCount())
        return false;
    if (!FieldText::isIntegerType(m_data->table.column(field).type))
        return false;
    if (isEof()) {
        target = 0;
        return true;
    }
    int value = 0;
    if (!FieldText::cellInt(m_data->table, m_data->position, field, value))
        return false;
    target = value;
    return true;
}

bool RecordSet::readInt(QStringView field, int &target) const
{
    return readInt(fieldIndex(field), target);
}

bool RecordSet::readBytes(int field, QByteArray &target) const
{
    target.clear();
    if (isEof() || field < 0 || field >= m_data->table.columnCount())
        return false;
    const RecordTable &t = m_data->table;
    switch (t.kind(m_data->position, field)) {
    case CellKind::Null:
        break;
    case CellKind::Text:
    case CellKind::Blob:
        target = t.bytes(m_data->position, field).toByteArray();
        break;
    case CellKind::Integer:
    case CellKind::Real:
        target = FieldText::cellText(t.column(field).type, t, m_data->position, field).toUtf8();
        break;
    }
    return true;
}

bool RecordSet::readBytes(QStringView field, QByteArray &target) const
{
    return readBytes(fieldIndex(field), target);
}

bool RecordSet::writeBytes(QStringView field, const QByteArray &bytes)
{
    const int index = fieldIndex(field);
    if (isEof() || index < 0)
        return false;
    for (FieldEdit &edit : m_data->pendingEdits) {
        if (edit.column == index) {
            edit.bytes = bytes;
            return true;
        }
    }
    m_data->pendingEdits.push_back(FieldEdit{index, bytes});
    return true;
}

bool RecordSet::update()
{
    if (!m_data)
        return false;
    std::vector<FieldEdit> edits;
    edits.swap(m_data->pendingEdits);
    if (edits.empty())
        return true;
    if (isEof() || !m_connection)
        return false;
    // Rows are only written back through the session they were read from.
    ConnectionBackend *backend = m_connection->backend();
    if (!backend || backend->serial != m_data->backendSerial)
        return false;
    return backend->storeFields(m_data->table, m_data->position, edits);
}

bool RecordSet::find(const QString &criteria, int /*options*/)
{
    if (!m_data)
        return false;
    m_data->pendingEdits.clear();
    RecordTable &t = m_data->table;
    QString fieldName;
    QString text;
    bool isNumber = false;
    double number = 0;
    const int field = parseCriteria(criteria, fieldName, text, isNumber, number) ? fieldIndex(fieldName) : -1;
    if (field < 0) {
        m_data->position = t.rowCount();
        return false;
    }
    const int type = t.column(field).type;
    for (int row = m_data->position; row < t.rowCount(); ++row) {
        const CellKind kind = t.kind(row, field);
        if (kind == CellKind::Null)
            continue;
        bool match = false;
        if (!isNumber) {
            match = FieldText::cellText(type, t, row, field) == text;
        } else if (kind == CellKind::Integer || kind == CellKind::Real) {
            match = (kind == CellKind::Integer ? static_cast<double>(t.integer(row, field)) : t.real(row, field))
                == number;
        } else {
            bool ok = false;
            const double value = QLocale::c().toDouble(QString::fromUtf8(t.bytes(row, field)).trimmed(), &ok);
            match = ok && value == number;
        }
        if (match) {
            m_data->position = row;
            return true;
        }
    }
    m_data->position = t.rowCount();
    return false;
}

QString RecordSet::fieldName(int field) const
{
    if (!m_data || field < 0 || field >= m_data->table.columnCount())
        return {};
    return m_data->table.column(field).name;
}

int RecordSet::fieldType(int field) const
{
    if (!m_data || field < 0 || field >= m_data->table.columnCount())
        return 0;
    return m_data->table.column(field).type;
}

int RecordSet::fieldSize(int field) const
{
    if (!m_data || field < 0 || field >= m_data->table.columnCount())
        return 0;
    return m_data->table.column(field).size;
}

int RecordSet::fieldIndex(QStringView name) const
{
    if (!m_data)
        return -1;
    for (int i = 0; i < m_data->table.columnCount(); ++i) {
        if (QStringView(m_data->table.column(i).name).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool RecordSet::isNull(int record, int field) const
{
    if (!m_data || record < 0 || record >= m_data->table.rowCount() || field < 0
        || field >= m_data->table.columnCount())
        return true;
    return m_data->table.kind(record, field) == CellKind::Null;
}

double RecordSet::numberAt(int record, int field) const
{
    if (isNull(record, field))
        return 0;
    return FieldText::cellNumber(m_data->table, record, field);
}

QString RecordSet::textAt(int record, int field) const
{
    if (isNull(record, field))
        return {};
    return FieldText::cellText(m_data->table.column(field).type, m_data->table, record, field);
}

const RecordTable *RecordSet::table() const
{
    return m_data ? &m_data->table : nullptr;
}
