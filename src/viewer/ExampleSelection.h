#pragma once

#include <QString>

struct MainControls;
class CatalogueTree;
class ExampleSheet;

/// Shows the tree's current item: name, SQL, mode, page or sheet, and the
/// catalogue buttons that fit its place.
class ExampleSelection
{
public:
    ExampleSelection(MainControls &controls, CatalogueTree &tree, ExampleSheet &sheet);

    /// Handler of the tree's current-item-changed event.
    void onCurrentItemChanged();

private:
    /// Opens 记录集 on the text and reads field 0 into value; a failed open
    /// leaves value as it was.
    void singleValue(const QString &sql, int &value);

    MainControls &m_c;
    CatalogueTree &m_tree;
    ExampleSheet &m_sheet;
};
