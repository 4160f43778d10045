#pragma once

#include <QString>

class RecordSet;
class GridControl;

/// Turns records into grid cells and stripes grid rows.
namespace ResultRenderer {

/// Fills the grid from the record set, which the caller has just opened on sql.
void renderRecordSet(RecordSet &records, const QString &sql, GridControl &grid);
/// Colours rows 1, 3, 5, ... 0xFFA8FF and rows 2, 4, ... 0xECECEC.
void stripeRows(GridControl &grid);

/// Cell text of a number column (codes 2, 3, 4, 5, 6, 131): rounded to two places.
QString numberText(const QString &value);
/// Cell text of a date column (code 7): "2016-9-1"; not a date gives "100-1-1".
QString dateText(const QString &value);

} // namespace ResultRenderer
