#include "StatementExecutor.h"

// Placeholder until execution lands.
StatementExecutor::StatementExecutor(MainControls &controls) : m_c(controls) {}
void StatementExecutor::execute() {}
