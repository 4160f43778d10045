#pragma once

#include <QString>

struct MainControls;

/// Page 2 of 选择夹1: the user tables, a table's columns and its data; and
/// the page 0 query of 人员信息表.
class SchemaBrowser
{
public:
    explicit SchemaBrowser(MainControls &controls);

    /// Click handler of 选择夹1 (after the clicked tab became current):
    /// page 0 queries 人员信息表 afresh into 高级表格1, page 2 rebuilds the
    /// table strip 高级选择夹2 with one tab per user table.
    void onPageClicked();
    /// Click on tab k of 高级选择夹2 (before it becomes current): shows the
    /// table's columns in 高级表格3 and its records in 高级表格4.
    void onTableTabClicked(int k);

    /// Fills tableNames with the user tables of the connected database, in
    /// the database's order.
    void listUserTables();
    /// Fills columnNames, columnTypes and columnLengths for currentTableName.
    void listTableColumns();
    /// Puts the column lists into 高级表格3 under the headings 字段名, 字段类型, 字段长度.
    void fillColumnGrid();
    /// Type name of an ADO data type code; empty for a code without one.
    static QString columnTypeName(int code);

    /// "SELECT * FROM " and the table name quoted as an identifier of the
    /// program's connection, so no table name can change the statement.
    QString tableQuery(const QString &table) const;

private:
    void setUpTablesPage();
    void showPeopleTable();
    void rebuildTableStrip();
    void listLocalTables();

    MainControls &m_c;
};
