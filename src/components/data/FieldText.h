#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

class RecordTable;

/// How stored values read as text and numbers, by the field's ADO type code.
namespace FieldText {

/// The text of a cell by its field's type: integers in decimal, singles
/// "%.4f", doubles and decimals "%.8f", currency plain, dates
/// "%Y-%m-%d %H:%M:%S", bits "TRUE"/"FALSE", binary "[BLOB]", texts as they
/// are, other types "UN_KNOW". NULL gives the empty text.
QString cellText(int type, const RecordTable &table, int row, int col);

/// The cell as a number: the number at the start of a text, 0 for NULL.
double cellNumber(const RecordTable &table, int row, int col);

/// The cell as an integer; false when the value does not fit an int.
bool cellInt(const RecordTable &table, int row, int col, int &value);

bool isIntegerType(int type);
bool isTextType(int type);
bool isBinaryType(int type);

/// Currency in plain form: up to 4 decimals, no trailing zeros, no grouping.
QString currencyText(double value);

/// A decimal text ("-12.345") rounded half away from zero to the given
/// number of decimals, digit by digit so no precision is lost. False when
/// the text is not a plain decimal number.
bool fixedDecimalText(QByteArrayView text, int decimals, QString &out);

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
/// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (also with "/" or "T"),
/// a bare time of day (on 1899-12-30), or a number: a Julian day number in
/// the range of years 0 to 9999, otherwise Unix seconds.
bool parseDateTime(QByteArrayView text, DateTime &out);
bool dateTimeFromNumber(double value, DateTime &out);
QString dateTimeText(const DateTime &value);

/// The number a text starts with (as strtod reads it), 0 when none.
double leadingNumber(QByteArrayView text);

} // namespace FieldText
