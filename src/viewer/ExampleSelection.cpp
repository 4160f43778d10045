#include "ExampleSelection.h"

// Placeholder until the selection lands.
ExampleSelection::ExampleSelection(MainControls &controls, CatalogueTree &tree, ExampleSheet &sheet)
    : m_c(controls), m_tree(tree), m_sheet(sheet) {}
void ExampleSelection::onCurrentItemChanged() {}
