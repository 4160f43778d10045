#include "ResultRenderer.h"

#include "app/core/MessageService.h"
#include "components/data/AdoType.h"
#include "components/data/FieldText.h"
#include "components/data/RecordSet.h"
#include "components/data/RecordTable.h"
#include "components/grid/GridControl.h"
#include "components/grid/GridModel.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace ResultRenderer {

namespace {

enum class CellRule { Text, Number, Date };

CellRule ruleOf(int type)
{
    switch (type) {
    case AdoType::SmallInt:
    case AdoType::Integer:
    case AdoType::Single:
    case AdoType::Double:
    case AdoType::Currency:
    case AdoType::Numeric:
        return CellRule::Number;
    case AdoType::Date:
        return CellRule::Date;
    default:
        return CellRule::Text;
    }
}

bool isCSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// strtod in the C locale, whatever locale the application set: the decimal
// point of stored numbers is always '.'.
double strtodC(const char *text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(text, nullptr, cLocale);
}

// Writes x as by "%.13g" with the exponent widened to three digits.
char *writeNumber(char *out, char *end, double value)
{
    if (value == 0.0) { // also -0, which a tiny negative value rounds to
        *out++ = '0';
        return out;
    }
    const auto result = std::to_chars(out, end, value, std::chars_format::general, 13);
    char *last = result.ptr;
    char *e = out;
    while (e < last && *e != 'e')
        ++e;
    if (e == last)
        return last;
    // e, sign, then the exponent's digits: pad them to three.
    char *digits = e + 2;
    const long width = last - digits;
    if (width >= 3)
        return last;
    const long pad = 3 - width;
    for (char *p = last - 1; p >= digits; --p)
        p[pad] = *p;
    for (long i = 0; i < pad; ++i)
        digits[i] = '0';
    return last + pad;
}

QString latin1(const char *begin, const char *end)
{
    return QString::fromLatin1(begin, end - begin);
}

// Reads up to maxDigits decimal digits (at least one) at text[pos].
bool readDigits(QStringView text, qsizetype &pos, int maxDigits, int &value)
{
    value = 0;
    int count = 0;
    while (pos < text.size() && count < maxDigits) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c - u'0');
        ++pos;
        ++count;
    }
    if (count == 0)
        return false;
    // More digits than the field holds: not this format.
    return !(pos < text.size() && text[pos].unicode() >= u'0' && text[pos].unicode() <= u'9');
}

bool expect(QStringView text, qsizetype &pos, char16_t c)
{
    if (pos < text.size() && text[pos].unicode() == c) {
        ++pos;
        return true;
    }
    return false;
}

// "YYYY-MM-DD", optionally followed by " hh:mm[:ss[.fff]]", within the date
// type's range (years 100 to 9999).
bool readDate(QStringView text, int &year, int &month, int &day)
{
    qsizetype pos = 0;
    if (!readDigits(text, pos, 4, year) || !expect(text, pos, u'-') || !readDigits(text, pos, 2, month)
        || !expect(text, pos, u'-') || !readDigits(text, pos, 2, day))
        return false;
    if (year < 100 || !QDate::isValid(year, month, day))
        return false;
    if (pos == text.size())
        return true;
    if (!expect(text, pos, u' ') && !expect(text, pos, u'T'))
        return false;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!readDigits(text, pos, 2, hour) || !expect(text, pos, u':') || !readDigits(text, pos, 2, minute))
        return false;
    if (expect(text, pos, u':')) {
        if (!readDigits(text, pos, 2, second))
            return false;
        if (expect(text, pos, u'.')) {
            const qsizetype start = pos;
            while (pos < text.size() && text[pos].unicode() >= u'0' && text[pos].unicode() <= u'9')
                ++pos;
            if (pos == start)
                return false;
        }
    }
    return pos == text.size() && hour < 24 && minute < 60 && second < 60;
}

char *writeUnsigned(char *out, int value)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

// An integer of at most 13 digits without leading zeros prints by the
// number rule exactly as it stands, so its text can be kept as it is.
bool keepsItsText(QStringView text)
{
    qsizetype pos = 0;
    if (!text.isEmpty() && text[0] == u'-')
        pos = 1;
    const qsizetype digits = text.size() - pos;
    if (digits < 1 || digits > 13)
        return false;
    if (text[pos] == u'0')
        return digits == 1 && pos == 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos].unicode() < u'0' || text[pos].unicode() > u'9')
            return false;
    }
    return true;
}

// Writes a result of roundTwoPlaces as writeNumber does. A whole number of
// hundredths k below 10^13 has at most 13 significant digits, and the
// double nearest k / 100 lies far closer to it than half the 13th digit, so
// its "%.13g" text is k's digits with the point before the last two and
// trailing zeros dropped; those are written straight from k.
char *writeRounded(char *out, char *end, double rounded)
{
    const double magnitude = std::fabs(rounded);
    if (rounded != 0.0 && magnitude < 1e11) {
        const long long hundredths = std::llround(magnitude * 100.0);
        if (static_cast<double>(hundredths) / 100.0 == magnitude) {
            if (rounded < 0)
                *out++ = '-';
            out = std::to_chars(out, end, hundredths / 100).ptr;
            const int cents = static_cast<int>(hundredths % 100);
            if (cents != 0) {
                *out++ = '.';
                *out++ = static_cast<char>('0' + cents / 10);
                if (cents % 10 != 0)
                    *out++ = static_cast<char>('0' + cents % 10);
            }
            return out;
        }
    }
    return writeNumber(out, end, rounded);
}

char *writeDate(char *out, int year, int month, int day)
{
    out = writeUnsigned(out, year);
    *out++ = '-';
    out = writeUnsigned(out, month);
    *out++ = '-';
    return writeUnsigned(out, day);
}

// The cells of one field, rows 1 to n. Where the stored value gives the
// same text as the column's rule applied to readText, the text is made
// straight from the value, with nothing allocated per cell; every other
// value goes the long way, through its readText text.
void fillNumberColumn(GridFill &cells, const RecordSet &records, const RecordTable &table, int field, int type)
{
    const bool integerField = FieldText::isIntegerType(type);
    char buffer[48];
    for (int record = 0; record < table.rowCount(); ++record) {
        char *end = nullptr;
        double x = 0;
        if (integerField && table.kind(record, field) == CellKind::Integer
            && table.integer(record, field) > -10000000000000LL && table.integer(record, field) < 10000000000000LL) {
            // An integer of up to 13 digits prints as it is.
            end = std::to_chars(buffer, buffer + sizeof buffer, table.integer(record, field)).ptr;
        } else if (FieldText::cellTextNumber(type, table, record, field, x)) {
            end = writeRounded(buffer, buffer + sizeof buffer, roundTwoPlaces(x));
        } else {
            cells.setText(record + 1, field, cellText(type, records.textAt(record, field)));
            continue;
        }
        cells.setLatin1(record + 1, field, buffer, end - buffer);
    }
}

void fillDateColumn(GridFill &cells, const RecordSet &records, const RecordTable &table, int field)
{
    char buffer[24];
    for (int record = 0; record < table.rowCount(); ++record) {
        FieldText::DateTime value;
        const CellKind kind = table.kind(record, field);
        if (kind != CellKind::Null && !FieldText::cellDateTime(table, record, field, value)) {
            // Not a date to the record set: its plain text may still be one here.
            cells.setText(record + 1, field, dateText(records.textAt(record, field)));
            continue;
        }
        // readText prints such a value "%d-%02d-%02d %02d:%02d:%02d"; a NULL
        // is the empty text. Years before 100 are out of the date type's range.
        const bool inRange = kind != CellKind::Null && value.year >= 100;
        const char *end = inRange ? writeDate(buffer, value.year, value.month, value.day)
                                  : writeDate(buffer, 100, 1, 1);
        cells.setLatin1(record + 1, field, buffer, end - buffer);
    }
}

void fillTextColumn(GridFill &cells, const RecordSet &records, const RecordTable &table, int field, int type)
{
    const bool textField = FieldText::isTextType(type);
    for (int record = 0; record < table.rowCount(); ++record) {
        const CellKind kind = table.kind(record, field);
        if (kind == CellKind::Null)
            continue; // the empty text; the cell is empty already
        if (textField && kind == CellKind::Text)
            cells.shareUtf8(record + 1, field, table.bytes(record, field), table.bytesOwner(record, field));
        else
            cells.setText(record + 1, field, records.textAt(record, field));
    }
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isCSpace(text[start].unicode()))
        ++start;
    // A number is plain ASCII without blanks: copy that run only.
    qsizetype stop = start;
    while (stop < text.size() && text[stop].unicode() < 128 && !isCSpace(text[stop].unicode()))
        ++stop;
    const qsizetype length = stop - start;
    if (length == 0)
        return 0.0;

    char small[128];
    std::string large;
    char *buffer = small;
    if (length >= qsizetype(sizeof small)) {
        large.resize(size_t(length) + 1);
        buffer = large.data();
    }
    for (qsizetype i = 0; i < length; ++i)
        buffer[i] = char(text[start + i].unicode());
    buffer[length] = '\0';

    const char *p = buffer;
    const char *end = buffer + length;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (p == end || *p == '+' || *p == '-')
        return 0.0;
    // Hexadecimal text and values beyond the double's range are rare enough
    // to take the slower C library path, which handles them as strtod does.
    if (p + 1 < end && p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return strtodC(buffer);
    double value = 0.0;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return strtodC(buffer);
    if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

double roundTwoPlaces(double x)
{
    if (x == 0.0 || !std::isfinite(x))
        return x == 0.0 ? 0.0 : x;
    // From 2^52 / 100 on, a double holds no fraction of a cent: the value is
    // its own rounding, and |x| × 100 could overflow to infinity.
    if (std::fabs(x) >= 4503599627370496.0 / 100.0)
        return x;
    const double m = std::fabs(x) * 100.0 + 0.000000000001;
    const double k = std::floor(m);
    const double f = m - k;
    const double r = (f >= 0.5 ? k + 1.0 : k) / 100.0;
    return x < 0.0 ? -r : r;
}

QString formatNumber(double value)
{
    char buffer[48];
    return latin1(buffer, writeNumber(buffer, buffer + sizeof buffer, value));
}

QString numberText(QStringView value)
{
    return formatNumber(roundTwoPlaces(leadingNumber(value)));
}

QString dateText(QStringView value)
{
    int year = 100;
    int month = 1;
    int day = 1;
    if (!readDate(value, year, month, day)) {
        year = 100;
        month = 1;
        day = 1;
    }
    char buffer[16];
    char *out = writeUnsigned(buffer, year);
    *out++ = '-';
    out = writeUnsigned(out, month);
    *out++ = '-';
    out = writeUnsigned(out, day);
    return latin1(buffer, out);
}

QString cellText(int type, const QString &value)
{
    switch (ruleOf(type)) {
    case CellRule::Number:
        return keepsItsText(value) ? value : numberText(value);
    case CellRule::Date:
        return dateText(value);
    case CellRule::Text:
        break;
    }
    return value;
}

void renderRecordSet(RecordSet &records, const QString &sql, GridControl &grid)
{
    grid.setRowCount(records.recordCount() + 1);
    grid.setColumnCount(records.fieldCount());
    grid.hide();

    // The caller has normally just opened the record set on this text; its
    // records are read from there, so the statement runs once only.
    const bool openOnSql = records.isOpen() && records.sql() == sql;
    if (!openOnSql) {
        if (!records.open(sql, 1)) {
            MessageService::instance().show(QStringLiteral("打开数据源失败。"), QStringLiteral("提示"),
                                            MessageService::Icon::Error);
            return;
        }
        // Sized by what this open read, not by what the record set held before.
        grid.setRowCount(records.recordCount() + 1);
        grid.setColumnCount(records.fieldCount());
    }

    const int recordCount = records.recordCount();
    const int fieldCount = records.fieldCount();
    if (fieldCount > 0) {
        // Every cell is written once, straight into the grid's storage.
        const RecordTable &table = *records.table();
        grid.fillAllCells(recordCount + 1, fieldCount, [&](GridFill &cells) {
            for (int field = 0; field < fieldCount; ++field) {
                cells.setText(0, field, records.fieldName(field));
                const int type = records.fieldType(field);
                switch (ruleOf(type)) {
                case CellRule::Number:
                    fillNumberColumn(cells, records, table, field, type);
                    break;
                case CellRule::Date:
                    fillDateColumn(cells, records, table, field);
                    break;
                case CellRule::Text:
                    fillTextColumn(cells, records, table, field, type);
                    break;
                }
            }
        });
    } else {
        // A statement without result columns (an UPDATE, a CREATE) leaves the
        // grid's column count alone: blank the header row so the field names
        // of an earlier result do not pass for this one's.
        for (int column = 0; column < grid.columnCount(); ++column)
            grid.setCell(0, column, QString());
    }
    records.moveFirst();

    grid.show();
    grid.setCursor(1, 1);
}

void stripeRows(GridControl &grid)
{
    const int columns = grid.columnCount();
    const int rows = grid.rowCount();
    // One redraw for all rows rather than one per row.
    grid.batchChanges([&] {
        for (int row = 1; row < rows; ++row)
            grid.setBackColour(row, 0, row, columns - 1, row % 2 == 1 ? oddRowColour : evenRowColour);
    });
}

} // namespace ResultRenderer
