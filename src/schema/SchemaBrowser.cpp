#include "SchemaBrowser.h"

// Placeholder until the schema browser lands.
SchemaBrowser::SchemaBrowser(MainControls &controls) : m_c(controls) {}
void SchemaBrowser::onPageClicked() {}
void SchemaBrowser::onTableTabClicked(int) {}
void SchemaBrowser::listUserTables() {}
void SchemaBrowser::listTableColumns() {}
void SchemaBrowser::fillColumnGrid() {}
QString SchemaBrowser::columnTypeName(int) { return {}; }
