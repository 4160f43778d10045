#include "CatalogueEditor.h"

// Placeholder until catalogue editing lands.
CatalogueEditor::CatalogueEditor(MainControls &controls, CatalogueTree &tree) : m_c(controls), m_tree(tree) {}
void CatalogueEditor::insertDirectory() {}
void CatalogueEditor::insertStatement() {}
void CatalogueEditor::deleteItem() {}
void CatalogueEditor::moveUp() {}
void CatalogueEditor::moveDown() {}
void CatalogueEditor::renameItem() {}
void CatalogueEditor::saveSql() {}
void CatalogueEditor::saveMode() {}
