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

/// Room that writeFixed needs: the digits of the largest double, a sign, a
/// point and up to 8 decimals.
inline constexpr int fixedTextCapacity = 340;
/// Writes value as "%.*f" with 0 to 8 decimals, the way record set texts
/// have always been printed: a half rounds away from zero, negative zero
/// prints without its sign, NaN as "nan". Returns the end of the text.
char *writeFixed(char *out, double value, int decimals);
/// The number that the text of writeFixed reads back as, without making
/// the text when the value is small enough for exact arithmetic.
double fixedValue(double value, int decimals);

/// The number at the start of cellText(type, ...), as leadingNumber reads
/// it, when it can be had without making the text: NULL, and stored
/// numbers in integer, single, double, decimal and currency fields. False
/// otherwise (texts, out-of-range values): the caller reads the text.
bool cellTextNumber(int type, const RecordTable &table, int row, int col, double &value);

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
/// The date and time that cellText prints for a cell of a date field; false
/// when the value reads as no date (cellText then gives its plain text).
bool cellDateTime(const RecordTable &table, int row, int col, DateTime &out);

/// The number a text starts with (as strtod reads it), 0 when none.
double leadingNumber(QByteArrayView text);

} // namespace FieldText
