#include "FieldText.h"

#include "AdoType.h"
#include "Cp936.h"
#include "RecordTable.h"

#include <QDate>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace FieldText {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isSpace(text[b]))
        ++b;
    while (e > b && isSpace(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

// Parses the whole text as a number ("12.5", "-3", "1e3"); false otherwise.
bool wholeNumber(QByteArrayView text, double &value)
{
    text = trimmed(text);
    if (text.isEmpty())
        return false;
    const char *b = text.data();
    const char *e = b + text.size();
    if (*b == '+')
        ++b;
    const auto [end, ec] = std::from_chars(b, e, value, std::chars_format::general);
    return ec == std::errc() && end == e;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// |value| × 10^decimals rounded to a whole number, a half away from zero.
// The product's rounding error is recovered exactly with fma, so the result
// is that of the exact product. False when the product is too large (or
// not a number) for this: 2^52 and more.
bool scaledRounded(double value, int decimals, std::int64_t &scaled)
{
    const double scale = kPowersOfTen[decimals];
    const double magnitude = std::fabs(value);
    const double product = magnitude * scale;
    if (!(product < 4503599627370496.0))
        return false;
    const double error = std::fma(magnitude, scale, -product); // exact product − product
    const double whole = std::floor(product);
    // The exact product is whole + (product − whole) + error; it rounds up
    // when (product − whole) − 0.5 ≥ −error. The subtraction is exact where
    // it can decide the comparison.
    const double aboveHalf = (product - whole) - 0.5;
    scaled = static_cast<std::int64_t>(whole) + (aboveHalf >= -error ? 1 : 0);
    return true;
}

// Whether value lies exactly half way between two texts of so many decimals.
bool isHalfWay(double value, int decimals)
{
    const double shifted = std::ldexp(std::fabs(value), decimals + 1);
    return std::isfinite(shifted) && shifted == std::trunc(shifted) && std::fmod(shifted, 2.0) == 1.0;
}

// Adds one unit in the last digit of the decimal text [begin, end) (a
// sign, digits, maybe a point); returns the new end.
char *incrementMagnitude(char *begin, char *end)
{
    char *p = end - 1;
    for (; p >= begin && *p != '-'; --p) {
        if (*p == '.')
            continue;
        if (*p != '9') {
            ++*p;
            return end;
        }
        *p = '0';
    }
    // All nines: a new leading 1 after the sign.
    char *first = p + 1;
    std::memmove(first + 1, first, static_cast<std::size_t>(end - first));
    *first = '1';
    return end + 1;
}

char *writeTwoDigits(char *out, int value)
{
    *out++ = static_cast<char>('0' + value / 10 % 10);
    *out++ = static_cast<char>('0' + value % 10);
    return out;
}

QString shortestText(double value)
{
    return QString::number(value, 'g', 15);
}

QString integerOrShortest(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.0e18)
        return QString::number(static_cast<qint64>(value));
    return shortestText(value);
}

QString textOfBytes(CellKind kind, QByteArrayView bytes)
{
    if (kind == CellKind::Blob)
        return Cp936::decodeUtf8OrCp936(bytes.toByteArray());
    return QString::fromUtf8(bytes);
}

// Reads the number of the given part; up to maxDigits digits, at least minDigits.
bool readNumber(QByteArrayView text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    int count = 0;
    value = 0;
    while (pos < text.size() && isDigit(text[pos]) && count < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count >= minDigits && (pos >= text.size() || !isDigit(text[pos]));
}

bool readTime(QByteArrayView text, qsizetype &pos, DateTime &out)
{
    if (!readNumber(text, pos, 1, 2, out.hour))
        return false;
    if (pos >= text.size() || text[pos] != ':')
        return false;
    ++pos;
    if (!readNumber(text, pos, 2, 2, out.minute))
        return false;
    out.second = 0;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!readNumber(text, pos, 2, 2, out.second))
            return false;
        if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
            ++pos;
            const qsizetype start = pos;
            while (pos < text.size() && isDigit(text[pos]))
                ++pos;
            if (pos == start)
                return false;
        }
    }
    return out.hour < 24 && out.minute < 60 && out.second < 60;
}

// A trailing zone ("Z", "+08:00", "-0500") is accepted and ignored: the
// stored wall-clock time is what is shown.
bool atEndAfterZone(QByteArrayView text, qsizetype pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos < text.size() && (text[pos] == 'Z' || text[pos] == 'z')) {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
        int hours = 0;
        int minutes = 0;
        if (!readNumber(text, pos, 2, 2, hours))
            return false;
        if (pos < text.size() && text[pos] == ':')
            ++pos;
        if (pos < text.size() && !readNumber(text, pos, 2, 2, minutes))
            return false;
    }
    return pos == text.size();
}

bool validDate(const DateTime &d)
{
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && QDate::isValid(d.year, d.month, d.day);
}

bool fromJulianDayNumber(qint64 jdn, qint64 secondsOfDay, DateTime &out)
{
    if (secondsOfDay >= 86400) {
        ++jdn;
        secondsOfDay -= 86400;
    }
    const QDate date = QDate::fromJulianDay(jdn);
    if (!date.isValid())
        return false;
    out.year = date.year();
    out.month = date.month();
    out.day = date.day();
    out.hour = static_cast<int>(secondsOfDay / 3600);
    out.minute = static_cast<int>(secondsOfDay / 60 % 60);
    out.second = static_cast<int>(secondsOfDay % 60);
    return out.year >= 0 && out.year <= 9999;
}

QString plainText(const RecordTable &table, int row, int col, CellKind kind)
{
    switch (kind) {
    case CellKind::Integer:
        return QString::number(table.integer(row, col));
    case CellKind::Real:
        return shortestText(table.real(row, col));
    case CellKind::Text:
    case CellKind::Blob:
        return textOfBytes(kind, table.bytes(row, col));
    case CellKind::Null:
        break;
    }
    return {};
}

// The value as a double when it is a number (a text only when it is one as a whole).
bool numericValue(const RecordTable &table, int row, int col, CellKind kind, double &value)
{
    switch (kind) {
    case CellKind::Integer:
        value = static_cast<double>(table.integer(row, col));
        return true;
    case CellKind::Real:
        value = table.real(row, col);
        return true;
    case CellKind::Text:
    case CellKind::Blob:
        return wholeNumber(table.bytes(row, col), value);
    case CellKind::Null:
        break;
    }
    return false;
}

QString decimalText(const RecordTable &table, int row, int col, CellKind kind, int decimals)
{
    if (kind == CellKind::Text || kind == CellKind::Blob) {
        // Decimal texts (an ODBC numeric column) are rounded digit by digit.
        QString out;
        if (fixedDecimalText(table.bytes(row, col), decimals, out))
            return out;
    }
    double value = 0;
    if (!numericValue(table, row, col, kind, value))
        return plainText(table, row, col, kind);
    char buffer[fixedTextCapacity];
    return QString::fromLatin1(buffer, writeFixed(buffer, value, decimals) - buffer);
}

QString stripZeros(QString text)
{
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString currencyCellText(const RecordTable &table, int row, int col, CellKind kind)
{
    if (kind == CellKind::Text || kind == CellKind::Blob) {
        QString out;
        if (fixedDecimalText(table.bytes(row, col), 4, out))
            return stripZeros(out);
    }
    double value = 0;
    if (!numericValue(table, row, col, kind, value))
        return plainText(table, row, col, kind);
    return currencyText(value);
}

QString dateCellText(const RecordTable &table, int row, int col, CellKind kind)
{
    DateTime dt;
    return cellDateTime(table, row, col, dt) ? dateTimeText(dt) : plainText(table, row, col, kind);
}

QString bitText(const RecordTable &table, int row, int col, CellKind kind)
{
    bool on = false;
    double value = 0;
    if (kind == CellKind::Integer) {
        on = table.integer(row, col) != 0;
    } else if (numericValue(table, row, col, kind, value)) {
        on = value != 0;
    } else {
        const QByteArray word = trimmed(table.bytes(row, col)).toByteArray().toLower();
        on = word == "true" || word == "yes" || word == "on";
    }
    return on ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

} // namespace

bool isIntegerType(int type)
{
    return type == AdoType::SmallInt || type == AdoType::Integer || type == AdoType::UnsignedTinyInt
        || type == AdoType::BigInt || type == AdoType::UnsignedBigInt;
}

bool isTextType(int type)
{
    switch (type) {
    case AdoType::BStr:
    case AdoType::Char:
    case AdoType::WChar:
    case AdoType::VarChar:
    case AdoType::LongVarChar:
    case AdoType::VarWChar:
    case AdoType::LongVarWChar:
        return true;
    default:
        return false;
    }
}

bool isBinaryType(int type)
{
    return type == AdoType::Binary || type == AdoType::VarBinary || type == AdoType::LongVarBinary;
}

QString cellText(int type, const RecordTable &table, int row, int col)
{
    const CellKind kind = table.kind(row, col);
    if (kind == CellKind::Null)
        return {};
    switch (type) {
    case AdoType::SmallInt:
    case AdoType::Integer:
    case AdoType::TinyInt:
    case AdoType::UnsignedTinyInt:
    case AdoType::BigInt:
    case AdoType::UnsignedBigInt:
        if (kind == CellKind::Integer)
            return QString::number(table.integer(row, col));
        if (kind == CellKind::Real)
            return integerOrShortest(table.real(row, col));
        return plainText(table, row, col, kind);
    case AdoType::Single: {
        double value = 0;
        if (!numericValue(table, row, col, kind, value))
            return plainText(table, row, col, kind);
        char buffer[fixedTextCapacity];
        const char *end = writeFixed(buffer, static_cast<double>(static_cast<float>(value)), 4);
        return QString::fromLatin1(buffer, end - buffer);
    }
    case AdoType::Double:
    case AdoType::Decimal:
    case AdoType::Numeric:
        return decimalText(table, row, col, kind, 8);
    case AdoType::Currency:
        return currencyCellText(table, row, col, kind);
    case AdoType::Date:
    case AdoType::DBDate:
    case AdoType::DBTime:
    case AdoType::DBTimeStamp:
        return dateCellText(table, row, col, kind);
    case AdoType::Boolean:
        return bitText(table, row, col, kind);
    case AdoType::Binary:
    case AdoType::VarBinary:
    case AdoType::LongVarBinary:
        return QStringLiteral("[BLOB]");
    case AdoType::Guid:
        return plainText(table, row, col, kind);
    default:
        if (isTextType(type))
            return plainText(table, row, col, kind);
        return QStringLiteral("UN_KNOW");
    }
}

double cellNumber(const RecordTable &table, int row, int col)
{
    switch (table.kind(row, col)) {
    case CellKind::Integer:
        return static_cast<double>(table.integer(row, col));
    case CellKind::Real:
        return table.real(row, col);
    case CellKind::Text:
    case CellKind::Blob:
        return leadingNumber(table.bytes(row, col));
    case CellKind::Null:
        break;
    }
    return 0;
}

bool cellInt(const RecordTable &table, int row, int col, int &value)
{
    qint64 wide = 0;
    const CellKind kind = table.kind(row, col);
    if (kind == CellKind::Integer) {
        wide = table.integer(row, col);
    } else if (kind != CellKind::Null) {
        const double d = std::round(cellNumber(table, row, col));
        if (!(std::fabs(d) < 9.0e18))
            return false;
        wide = static_cast<qint64>(d);
    }
    if (wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(wide);
    return true;
}

QString currencyText(double value)
{
    char buffer[fixedTextCapacity];
    return stripZeros(QString::fromLatin1(buffer, writeFixed(buffer, value, 4) - buffer));
}

char *writeFixed(char *out, double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 8);
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (value == 0)
        value = 0.0; // no sign on negative zero
    std::int64_t scaled = 0;
    if (scaledRounded(value, decimals, scaled)) {
        if (value < 0)
            *out++ = '-';
        char digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + scaled % 10);
            scaled /= 10;
        } while (scaled > 0);
        while (count <= decimals)
            digits[count++] = '0';
        while (count > 0) {
            *out++ = digits[--count];
            if (count == decimals && decimals > 0)
                *out++ = '.';
        }
        return out;
    }
    // Large values and infinities: exact digits from to_chars, which sends
    // a half to the even neighbour. A half is printed with one decimal
    // more (exact, ending in 5), which is then dropped and rounded away.
    char *end = out + fixedTextCapacity;
    if (!isHalfWay(value, decimals))
        return std::to_chars(out, end, value, std::chars_format::fixed, decimals).ptr;
    char *last = std::to_chars(out, end, value, std::chars_format::fixed, decimals + 1).ptr - 1;
    if (decimals == 0)
        --last; // the point goes with the dropped digit
    return incrementMagnitude(out, last);
}

double fixedValue(double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 8);
    std::int64_t scaled = 0;
    if (!std::isnan(value) && scaledRounded(value, decimals, scaled)) {
        // The text is scaled with a point before its last digits; as it is
        // exact, dividing gives the double that reading the text gives.
        const double magnitude = static_cast<double>(scaled) / kPowersOfTen[decimals];
        return value < 0 ? -magnitude : magnitude;
    }
    char buffer[fixedTextCapacity];
    const char *end = writeFixed(buffer, value, decimals);
    return leadingNumber(QByteArrayView(buffer, end - buffer));
}

bool cellTextNumber(int type, const RecordTable &table, int row, int col, double &value)
{
    const CellKind kind = table.kind(row, col);
    if (kind == CellKind::Null) {
        value = 0;
        return true;
    }
    if (kind != CellKind::Integer && kind != CellKind::Real)
        return false;
    const double stored =
        kind == CellKind::Integer ? static_cast<double>(table.integer(row, col)) : table.real(row, col);
    switch (type) {
    case AdoType::SmallInt:
    case AdoType::Integer:
    case AdoType::TinyInt:
    case AdoType::UnsignedTinyInt:
    case AdoType::BigInt:
    case AdoType::UnsignedBigInt:
        // Integers print in decimal; a stored double only when it is whole.
        if (kind == CellKind::Real && !(stored == std::trunc(stored) && std::fabs(stored) < 9.0e18))
            return false;
        value = stored == 0 ? 0.0 : stored; // "0", never "-0"
        return true;
    case AdoType::Single:
        value = fixedValue(static_cast<double>(static_cast<float>(stored)), 4);
        break;
    case AdoType::Double:
    case AdoType::Decimal:
    case AdoType::Numeric:
        value = fixedValue(stored, 8);
        break;
    case AdoType::Currency:
        value = fixedValue(stored, 4);
        if (value == 0)
            value = 0.0; // the plain form drops the sign of a zero
        break;
    default:
        return false;
    }
    return std::isfinite(value);
}

bool fixedDecimalText(QByteArrayView text, int decimals, QString &out)
{
    text = trimmed(text);
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    QByteArray digits; // integer digits, then exactly `decimals` fraction digits
    qsizetype intDigits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        digits.append(text[pos++]);
        ++intDigits;
    }
    qsizetype fracDigits = 0;
    bool roundUp = false;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            if (fracDigits < decimals)
                digits.append(text[pos]);
            else if (fracDigits == decimals)
                roundUp = text[pos] >= '5';
            ++fracDigits;
            ++pos;
        }
    }
    if (pos != text.size() || (intDigits == 0 && fracDigits == 0))
        return false;
    for (qsizetype i = fracDigits; i < decimals; ++i)
        digits.append('0');
    if (intDigits == 0) {
        digits.prepend('0');
        intDigits = 1;
    }
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            digits[i] = static_cast<char>(digits[i] + 1);
        } else {
            digits.prepend('1');
            ++intDigits;
        }
    }
    // Drop leading zeros of the integer part, keeping one.
    qsizetype lead = 0;
    while (lead < intDigits - 1 && digits[lead] == '0')
        ++lead;
    digits.remove(0, lead);
    intDigits -= lead;
    const bool zero = digits.count('0') == digits.size();
    QByteArray result;
    if (negative && !zero)
        result.append('-');
    result.append(digits.left(intDigits));
    if (decimals > 0) {
        result.append('.');
        result.append(digits.mid(intDigits));
    }
    out = QString::fromLatin1(result);
    return true;
}

bool parseDateTime(QByteArrayView text, DateTime &out)
{
    text = trimmed(text);
    DateTime dt;
    qsizetype pos = 0;
    if (text.contains(':') && !text.contains('-') && !text.contains('/')) {
        // A time of day alone sits on day zero of the date type.
        dt.year = 1899;
        dt.month = 12;
        dt.day = 30;
        if (!readTime(text, pos, dt) || !atEndAfterZone(text, pos))
            return false;
        out = dt;
        return true;
    }
    if (readNumber(text, pos, 1, 4, dt.year) && pos < text.size() && (text[pos] == '-' || text[pos] == '/')) {
        const char sep = text[pos++];
        if (!readNumber(text, pos, 1, 2, dt.month) || pos >= text.size() || text[pos] != sep)
            return false;
        ++pos;
        if (!readNumber(text, pos, 1, 2, dt.day) || !validDate(dt))
            return false;
        if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) {
            qsizetype timePos = pos;
            while (timePos < text.size() && (text[timePos] == ' ' || text[timePos] == 'T'))
                ++timePos;
            if (timePos < text.size()) {
                pos = timePos;
                if (!readTime(text, pos, dt))
                    return false;
            }
        }
        if (!atEndAfterZone(text, pos))
            return false;
        out = dt;
        return true;
    }
    double number = 0;
    if (wholeNumber(text, number))
        return dateTimeFromNumber(number, out);
    return false;
}

bool dateTimeFromNumber(double value, DateTime &out)
{
    if (!std::isfinite(value))
        return false;
    // Julian day numbers of the years 0 to 9999; anything else is Unix time.
    if (value >= 1721059.5 && value < 5373484.5) {
        const double shifted = value + 0.5;
        const double day = std::floor(shifted);
        const auto seconds = static_cast<qint64>(std::llround((shifted - day) * 86400.0));
        return fromJulianDayNumber(static_cast<qint64>(day), seconds, out);
    }
    if (value < -62167219200.0 || value >= 253402300800.0)
        return false;
    const auto seconds = static_cast<qint64>(std::llround(value));
    qint64 days = seconds / 86400;
    qint64 rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    return fromJulianDayNumber(2440588 + days, rest, out);
}

QString dateTimeText(const DateTime &value)
{
    // "%d-%02d-%02d %02d:%02d:%02d"; the year has at most four digits.
    char buffer[24];
    char *out = buffer;
    if (value.year < 0 || value.year > 9999)
        return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", value.year, value.month, value.day, value.hour,
                                 value.minute, value.second);
    out = std::to_chars(out, buffer + sizeof buffer, value.year).ptr;
    *out++ = '-';
    out = writeTwoDigits(out, value.month);
    *out++ = '-';
    out = writeTwoDigits(out, value.day);
    *out++ = ' ';
    out = writeTwoDigits(out, value.hour);
    *out++ = ':';
    out = writeTwoDigits(out, value.minute);
    *out++ = ':';
    out = writeTwoDigits(out, value.second);
    return QString::fromLatin1(buffer, out - buffer);
}

bool cellDateTime(const RecordTable &table, int row, int col, DateTime &out)
{
    switch (table.kind(row, col)) {
    case CellKind::Integer:
        return dateTimeFromNumber(static_cast<double>(table.integer(row, col)), out);
    case CellKind::Real:
        return dateTimeFromNumber(table.real(row, col), out);
    case CellKind::Text:
    case CellKind::Blob:
        return parseDateTime(table.bytes(row, col), out);
    case CellKind::Null:
        break;
    }
    return false;
}

double leadingNumber(QByteArrayView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    const char *b = text.data() + pos;
    const char *e = text.data() + text.size();
    bool negative = false;
    if (b < e && (*b == '+' || *b == '-')) {
        negative = *b == '-';
        ++b;
    }
    if (b == e || *b == '-' || *b == '+')
        return 0;
    double value = 0;
    const auto [end, ec] = std::from_chars(b, e, value, std::chars_format::general);
    if (end == b || ec != std::errc())
        return 0;
    return negative ? -value : value;
}

} // namespace FieldText
