#include "ResultRenderer.h"

// Placeholder until rendering lands.
namespace ResultRenderer {
void renderRecordSet(RecordSet &, const QString &, GridControl &) {}
void stripeRows(GridControl &) {}
QString numberText(const QString &) { return {}; }
QString dateText(const QString &) { return {}; }
} // namespace ResultRenderer
