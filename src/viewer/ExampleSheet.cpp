#include "ExampleSheet.h"

// Placeholder until the sheet lands.
ExampleSheet::ExampleSheet(MainControls &controls, CatalogueTree &tree) : m_c(controls), m_tree(tree) {}
void ExampleSheet::loadSheet() {}
void ExampleSheet::showDefaultSheet() {}
QString ExampleSheet::sheetToText(const GridControl &, QProgressBar *) { return {}; }
void ExampleSheet::saveSheet() {}
void ExampleSheet::insertRow() {}
