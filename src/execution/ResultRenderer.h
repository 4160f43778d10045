#pragma once

#include <QString>
#include <QStringView>

class RecordSet;
class GridControl;

/// Turns records into grid cells and stripes grid rows.
namespace ResultRenderer {

/// Background of the odd rows below the header (0x00BBGGRR).
inline constexpr quint32 oddRowColour = 0xFFA8FF;
/// Background of the even rows below the header (0x00BBGGRR).
inline constexpr quint32 evenRowColour = 0xECECEC;

/// Fills the grid from the record set: field names in row 0, one row per
/// record below, each value as text by its column's type. The record set is
/// read where the caller left it when it is open on sql (rewound, never run
/// again, so a statement with side effects runs once); otherwise it is
/// opened on sql here. The grid is hidden while it fills and shown after,
/// with the cursor on (1, 1). A failed open shows "打开数据源失败。" and
/// leaves the grid hidden. Afterwards the record set is on its first record.
void renderRecordSet(RecordSet &records, const QString &sql, GridControl &grid);
/// Colours rows 1, 3, 5, ... 0xFFA8FF and rows 2, 4, ... 0xECECEC.
void stripeRows(GridControl &grid);

/// The cell text of a value that readText gave, by its field's ADO type
/// code: the number rule for codes 2, 3, 4, 5, 6 and 131, the date rule for
/// code 7, the text unchanged for every other code.
QString cellText(int type, const QString &value);

/// Cell text of a number column (codes 2, 3, 4, 5, 6, 131): the number at
/// the start of the text (0 for none) rounded half away from zero to two
/// places, printed with at most 13 significant digits, "1e+013" style from
/// a magnitude of 10^13 on.
QString numberText(QStringView value);
/// Cell text of a date column (code 7): the date part of
/// "YYYY-MM-DD[ hh:mm:ss]" as "2016-9-1"; text that is not such a date
/// gives the earliest date, "100-1-1".
QString dateText(QStringView value);

/// The number at the start of the text, read the way strtod reads it in the
/// C locale (leading white space, sign, digits, fraction, exponent, inf, nan);
/// 0 when the text starts with no number.
double leadingNumber(QStringView text);
/// x rounded to two decimal places, half away from zero; a value stored just
/// below a half (1.005, 2.675) rounds up.
double roundTwoPlaces(double x);
/// At most 13 significant digits, no trailing zeros or point, exponent form
/// with a sign and at least three digits ("1e+013") from 10^13 on.
QString formatNumber(double value);

} // namespace ResultRenderer
