#include "SchemaBrowser.h"

#include "app/core/AppPaths.h"
#include "app/core/MainControls.h"
#include "app/core/SqlText.h"
#include "components/data/AdoType.h"
#include "execution/ResultRenderer.h"

namespace {

const QString peopleQuery = QStringLiteral("SELECT * FROM 人员信息表");
const QString serverTablesQuery = QStringLiteral("select Name from sysobjects where xtype='u' and status>=0");
const QString serverColumnsQuery = QStringLiteral(
    "select column_name ,data_type ,ISNULL(ISNULL(ISNULL(character_maximum_length,numeric_precision),"
    "datetime_precision),1)   from information_schema.columns where table_name =");
// The file's own catalogue, in the file's order; views are not tables, and
// SQLite's internal tables (sqlite_sequence, sqlite_stat1, ...) are not the
// user's. The underscore is escaped so that it is not a wildcard.
const QString localTablesQuery = QStringLiteral(
    "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");

} // namespace

SchemaBrowser::SchemaBrowser(MainControls &controls)
    : m_c(controls)
{
}

QString SchemaBrowser::tableQuery(const QString &table) const
{
    return QStringLiteral("SELECT * FROM ") + m_c.数据库连接->quoteIdentifier(table);
}

void SchemaBrowser::onPageClicked()
{
    switch (m_c.选择夹1->currentIndex()) {
    case 0:
        showPeopleTable();
        break;
    case 2:
        setUpTablesPage();
        break;
    default:
        break;
    }
}

void SchemaBrowser::showPeopleTable()
{
    GridControl &grid = *m_c.高级表格1;
    grid.clear();
    grid.setRowCount(1);
    // A failed open is reported by the renderer, which tries once more.
    m_c.记录集->open(peopleQuery, 1);
    ResultRenderer::renderRecordSet(*m_c.记录集, peopleQuery, grid);
}

void SchemaBrowser::setUpTablesPage()
{
    QTabBar &strip = *m_c.高级选择夹2;
    // Last first, so the current tab falls back to tab 0 without skipping.
    for (int i = strip.count() - 1; i >= 1; --i)
        strip.removeTab(i);

    listUserTables();

    const int clientHeight = m_c.window->height();
    GridControl &columns = *m_c.高级表格3;
    columns.setGeometry(columns.x(), 51, columns.width(), clientHeight - 172);
    columns.setColumnCount(3);
    GridControl &data = *m_c.高级表格4;
    data.resize(data.width(), clientHeight - 172);

    strip.setShape(QTabBar::RoundedNorth);
    rebuildTableStrip();

    m_c.状态条1->setPartText(0, QStringLiteral(" 数据库中表有： ") + QString::number(m_c.state->tableNames.size())
                                    + QStringLiteral(" 个"));
}

void SchemaBrowser::rebuildTableStrip()
{
    QTabBar &strip = *m_c.高级选择夹2;
    const QStringList &names = m_c.state->tableNames;
    // No tables: no tab at all, so no earlier or made-up name can be picked.
    if (names.isEmpty()) {
        while (strip.count() > 0)
            strip.removeTab(strip.count() - 1);
        return;
    }
    if (strip.count() == 0)
        strip.addTab(names.first());
    else
        strip.setTabText(0, names.first());
    for (int j = 1; j < names.size(); ++j)
        strip.insertTab(j, names.at(j));
}

void SchemaBrowser::listUserTables()
{
    ProgramState &state = *m_c.state;
    if (state.sqlServerMode == 1) {
        RecordSet &records = *m_c.记录集;
        // A failed query keeps the names of the last listing.
        if (!records.open(serverTablesQuery, 1))
            return;
        records.moveFirst();
        state.tableNames.clear();
        const int count = records.recordCount();
        QString name;
        for (int i = 0; i < count; ++i) {
            records.readText(QStringLiteral("Name"), name);
            state.tableNames.append(name);
            records.moveNext();
        }
    } else if (state.accessMode == 1) {
        listLocalTables();
    } else {
        state.tableNames.clear();
    }
}

void SchemaBrowser::listLocalTables()
{
    QStringList &names = m_c.state->tableNames;
    names.clear();
    // A connection of its own, read-only, that lives for this listing only:
    // the program's connection and its record sets stay as they are.
    DatabaseConnection file;
    if (!file.connectSqliteReadOnly(AppPaths::databaseFile()))
        return;
    RecordSet records;
    records.bindConnection(&file);
    if (!records.open(localTablesQuery, 1))
        return;
    const int count = records.recordCount();
    for (int i = 0; i < count; ++i)
        names.append(records.textAt(i, 0));
    records.close();
    file.close();
}

void SchemaBrowser::onTableTabClicked(int k)
{
    const int pageHeight = m_c.选择夹1->height();
    GridControl &columns = *m_c.高级表格3;
    columns.resize(190, pageHeight - 48);
    GridControl &data = *m_c.高级表格4;
    data.resize(data.width(), pageHeight - 48);

    QTabBar &strip = *m_c.高级选择夹2;
    if (strip.tabText(0).isEmpty())
        return;

    ProgramState &state = *m_c.state;
    state.currentTableName = strip.tabText(k);
    m_c.状态条1->setPartText(0, QStringLiteral(" 现在数据表为： ") + state.currentTableName);

    listTableColumns();
    fillColumnGrid();

    data.show();
    state.lastQuerySql = tableQuery(state.currentTableName);
    RecordSet &records = *m_c.记录集;
    if (records.open(state.lastQuerySql, 1))
        ResultRenderer::renderRecordSet(records, state.lastQuerySql, data);
    m_c.状态条1->setPartText(1, QStringLiteral(" 共有： ") + QString::number(records.recordCount())
                                    + QStringLiteral("条记录！"));
}

void SchemaBrowser::listTableColumns()
{
    ProgramState &state = *m_c.state;
    state.columnNames.clear();
    state.columnTypes.clear();
    state.columnLengths.clear();
    RecordSet &records = *m_c.记录集;
    records.bindConnection(m_c.数据库连接);
    const QString &table = state.currentTableName;

    if (state.sqlServerMode != 0) {
        records.open(serverColumnsQuery + quoteSqlText(table), 1);
        const int count = records.recordCount();
        QString name;
        QString type;
        for (int i = 0; i < count; ++i) {
            int length = 0;
            records.readText(0, name);
            records.readText(1, type);
            records.readInt(2, length);
            state.columnNames.append(name);
            state.columnTypes.append(type);
            state.columnLengths.append(length);
            records.moveNext();
        }
        records.close();
    } else if (state.accessMode != 0) {
        records.open(tableQuery(table), 1);
        const int count = records.fieldCount();
        for (int i = 0; i < count; ++i) {
            state.columnNames.append(records.fieldName(i));
            state.columnTypes.append(columnTypeName(records.fieldType(i)));
            state.columnLengths.append(records.fieldSize(i));
        }
    }
}

void SchemaBrowser::fillColumnGrid()
{
    GridControl &grid = *m_c.高级表格3;
    grid.clear();
    grid.setRowCount(2);
    grid.setColumnCount(3);
    grid.setCursor(1, 0);
    grid.setCell(0, 0, QStringLiteral("字段名"));
    grid.setCell(0, 1, QStringLiteral("字段类型"));
    grid.setCell(0, 2, QStringLiteral("字段长度"));
    grid.setRowCount(1);
    const ProgramState &state = *m_c.state;
    for (int i = 0; i < state.columnNames.size(); ++i) {
        grid.insertRow();
        grid.setCell(i + 1, 0, state.columnNames.at(i));
        grid.setCell(i + 1, 1, state.columnTypes.at(i));
        grid.setCell(i + 1, 2, QString::number(state.columnLengths.at(i)));
    }
}

QString SchemaBrowser::columnTypeName(int code)
{
    switch (code) {
    case AdoType::SmallInt:
        return QStringLiteral("smallint");
    case AdoType::Integer:
        return QStringLiteral("int");
    case AdoType::Single:
        return QStringLiteral("real");
    case AdoType::Double:
        return QStringLiteral("float");
    case AdoType::Currency:
        return QStringLiteral("money");
    case AdoType::Date:
        return QStringLiteral("smalldatetime");
    case AdoType::Boolean:
        return QStringLiteral("bit");
    case AdoType::Decimal:
        return QStringLiteral("decimal");
    case AdoType::TinyInt:
        return QStringLiteral("tinyint");
    case AdoType::BigInt:
        return QStringLiteral("bigint");
    case AdoType::Binary:
        return QStringLiteral("binary");
    case AdoType::Char:
        return QStringLiteral("char");
    case AdoType::WChar:
        return QStringLiteral("nchar");
    case AdoType::Numeric:
        return QStringLiteral("numeric");
    case AdoType::LongVarChar:
        return QStringLiteral("text");
    case AdoType::VarWChar:
        return QStringLiteral("nvarchar");
    case AdoType::LongVarWChar:
        return QStringLiteral("ntext");
    case AdoType::VarBinary:
        return QStringLiteral("varbinary");
    case AdoType::LongVarBinary:
        return QStringLiteral("image");
    default:
        return {};
    }
}
