#include "CatalogueTree.h"

// Placeholder until the catalogue tree lands.
CatalogueTree::CatalogueTree(MainControls &controls) : m_c(controls) {}
void CatalogueTree::loadCatalogueTree(int) {}
void CatalogueTree::reloadCatalogueTree() {}
void CatalogueTree::onItemExpanding(QTreeWidgetItem *) {}
int CatalogueTree::itemCount() const { return 0; }
QTreeWidgetItem *CatalogueTree::itemAt(int) const { return nullptr; }
int CatalogueTree::indexOf(const QTreeWidgetItem *) const { return -1; }
int CatalogueTree::itemValue(int) const { return 0; }
QString CatalogueTree::itemText(int) const { return {}; }
int CatalogueTree::indentLevel(int) const { return 0; }
int CatalogueTree::currentIndex() const { return -1; }
QIcon CatalogueTree::picture(int) { return {}; }
