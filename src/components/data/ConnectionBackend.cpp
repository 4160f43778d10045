#include "ConnectionBackend.h"

#include "AdoType.h"
#include "FieldText.h"
#include "RecordTable.h"

#include <atomic>

namespace {

std::atomic<std::uint64_t> g_nextSerial{1};

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool sameBase(const RecordTable::Column &a, const RecordTable::Column &b)
{
    return sameName(a.baseTable, b.baseTable) && sameName(a.baseSchema, b.baseSchema)
        && sameName(a.baseCatalog, b.baseCatalog);
}

bool isEdited(const std::vector<FieldEdit> &edits, int col)
{
    for (const FieldEdit &e : edits) {
        if (e.column == col)
            return true;
    }
    return false;
}

} // namespace

ConnectionBackend::ConnectionBackend()
    : serial(g_nextSerial.fetch_add(1))
{
}

ConnectionBackend::~ConnectionBackend() = default;

bool editsShareBaseTable(const RecordTable &table, const std::vector<FieldEdit> &edits)
{
    if (edits.empty())
        return false;
    for (const FieldEdit &e : edits) {
        if (e.column < 0 || e.column >= table.columnCount())
            return false;
        const RecordTable::Column &c = table.column(e.column);
        if (c.baseTable.isEmpty() || c.baseColumn.isEmpty())
            return false;
        if (!sameBase(c, table.column(edits.front().column)))
            return false;
    }
    return true;
}

std::vector<int> chooseKeyColumns(const RecordTable &table, const std::vector<FieldEdit> &edits,
                                  const QStringList &primaryKey, bool &keyIsUnique)
{
    keyIsUnique = false;
    if (!editsShareBaseTable(table, edits))
        return {};
    const RecordTable::Column &target = table.column(edits.front().column);

    std::vector<int> sameTable;
    for (int i = 0; i < table.columnCount(); ++i) {
        const RecordTable::Column &c = table.column(i);
        if (!c.baseColumn.isEmpty() && sameBase(c, target))
            sameTable.push_back(i);
    }
    auto findColumn = [&](const QString &name) {
        for (int i : sameTable) {
            if (sameName(table.column(i).baseColumn, name))
                return i;
        }
        return -1;
    };

    if (!primaryKey.isEmpty()) {
        std::vector<int> key;
        for (const QString &name : primaryKey) {
            const int i = findColumn(name);
            if (i < 0)
                break;
            key.push_back(i);
        }
        if (key.size() == static_cast<std::size_t>(primaryKey.size())) {
            keyIsUnique = true;
            return key;
        }
    }
    for (const QString &name : {QStringLiteral("编号"), QStringLiteral("id")}) {
        const int i = findColumn(name);
        if (i >= 0)
            return {i};
    }
    // Long texts and binary values cannot be compared by every database.
    std::vector<int> key;
    for (int i : sameTable) {
        const int type = table.column(i).type;
        if (isEdited(edits, i) || FieldText::isBinaryType(type) || type == AdoType::LongVarChar || type == AdoType::LongVarWChar)
            continue;
        key.push_back(i);
    }
    return key;
}
