#pragma once

#include <QString>

struct MainControls;

/// Page 2 of 选择夹1: the user tables, a table's columns and its data; and
/// the page 0 query of 人员信息表.
class SchemaBrowser
{
public:
    explicit SchemaBrowser(MainControls &controls);

    /// Click handler of 选择夹1 (after the clicked tab became current).
    void onPageClicked();
    /// Click on tab k of 高级选择夹2 (before it becomes current).
    void onTableTabClicked(int k);

    void listUserTables();
    void listTableColumns();
    void fillColumnGrid();
    static QString columnTypeName(int code);

private:
    MainControls &m_c;
};
