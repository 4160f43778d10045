// Number and date cells of a result grid: any text a column can give (and
// a database can store inf, nan or a date of year 0) must become a cell text
// of the documented shape.

#include "FuzzSupport.h"

#include "execution/ResultRenderer.h"

#include <QDate>
#include <QRegularExpression>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// The bytes strtod sees for the text: characters beyond ASCII cannot be part
// of a number, so they stand as a byte that ends it.
std::string asciiForStrtod(const QString &text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0)
            break;
        out += u < 0x80 ? char(u) : '\x01';
    }
    return out;
}

bool sameDouble(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// "%.13g" with the exponent widened to three digits.
QString printed13(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        const QString digits = text.mid(e + 2);
        if (digits.size() < 3)
            text = text.left(e + 2) + digits.rightJustified(3, QLatin1Char('0'));
    }
    return text;
}

void checkNumber(const QString &value)
{
    const double x = ResultRenderer::leadingNumber(value);
    const std::string ascii = asciiForStrtod(value);
    const double expected = std::strtod(ascii.c_str(), nullptr);
    if (!sameDouble(x, expected)) {
        std::fprintf(stderr, "text: %s\nread: %.17g, strtod: %.17g\n", shown(value).constData(), x, expected);
        FUZZ_CHECK(sameDouble(x, expected));
    }

    const double rounded = ResultRenderer::roundTwoPlaces(x);
    if (std::isfinite(x) && std::fabs(x) < 1e13) {
        // Within half a cent (plus the 1e-12 nudge and the double's error),
        // on a whole number of cents.
        FUZZ_CHECK(std::fabs(rounded - x) <= 0.005 + 1e-11 + std::fabs(x) * 1e-15);
        const double cents = rounded * 100.0;
        FUZZ_CHECK(std::fabs(cents - std::round(cents)) <= std::fabs(cents) * 1e-15 + 1e-9);
        FUZZ_CHECK(rounded == 0.0 || std::signbit(rounded) == std::signbit(x));
    } else if (std::isfinite(x)) {
        FUZZ_CHECK(std::isfinite(rounded));
    }

    const QString cell = ResultRenderer::numberText(value);
    FUZZ_CHECK(cell == ResultRenderer::formatNumber(rounded));
    const QString expectedCell = printed13(rounded);
    if (cell != expectedCell) {
        std::fprintf(stderr, "value: %.17g\ncell: %s\nexpected: %s\n", rounded, shown(cell).constData(),
                     shown(expectedCell).constData());
        FUZZ_CHECK(cell == expectedCell);
    }
    if (std::isfinite(rounded)) {
        static const QRegularExpression shape(
            QStringLiteral("\\A(0|-?[1-9][0-9]*(\\.[0-9]*[1-9])?|-?0\\.[0-9]*[1-9]|-?[1-9](\\.[0-9]*[1-9])?e[+-][0-9]{3,})\\z"));
        FUZZ_CHECK(shape.match(cell).hasMatch());
    }
}

void checkDate(const QString &value)
{
    const QString cell = ResultRenderer::dateText(value);
    static const QRegularExpression shape(QStringLiteral("\\A([1-9][0-9]*)-([1-9][0-9]?)-([1-9][0-9]?)\\z"));
    const QRegularExpressionMatch parts = shape.match(cell);
    FUZZ_CHECK(parts.hasMatch());
    const QDate date(parts.captured(1).toInt(), parts.captured(2).toInt(), parts.captured(3).toInt());
    FUZZ_CHECK(date.isValid());
    FUZZ_CHECK(date.year() >= 100 && date.year() <= 9999);

    // What the record set writes, "%Y-%m-%d %H:%M:%S", and a bare date read
    // as their date part.
    static const QRegularExpression stored(
        QStringLiteral("\\A([0-9]{4})-([0-9]{2})-([0-9]{2})( ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9])?\\z"));
    const QRegularExpressionMatch given = stored.match(value);
    if (given.hasMatch()) {
        const QDate expected(given.captured(1).toInt(), given.captured(2).toInt(), given.captured(3).toInt());
        if (expected.isValid() && expected.year() >= 100)
            FUZZ_CHECK(date == expected);
        else
            FUZZ_CHECK(cell == QStringLiteral("100-1-1"));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const QString &value : {utf8Text(data, size), utf16Text(data, size)}) {
        checkNumber(value);
        checkDate(value);
    }
    return 0;
}
