// The record set's number and date texts are made by hand rather than by
// printf; these tests hold them to what QString::asprintf prints, over
// chosen boundaries and over many generated values.
#include "components/data/AdoType.h"
#include "components/data/FieldText.h"
#include "components/data/RecordTable.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

QString fixedText(double value, int decimals)
{
    char buffer[FieldText::fixedTextCapacity];
    return QString::fromLatin1(buffer, FieldText::writeFixed(buffer, value, decimals) - buffer);
}

// Same double, sign of zero included; NaN equals NaN.
bool sameDouble(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Values of the kinds that give trouble: halves at every decimal place
// (k / 2^n), prices with a trailing 5, random bit patterns, large values.
std::vector<double> generatedValues()
{
    std::mt19937_64 random(20240611);
    std::vector<double> values;
    values.reserve(400000);
    for (int i = 0; i < 400000; ++i) {
        double v = 0;
        switch (i % 5) {
        case 0:
            v = std::ldexp(double(random() % 2000000000), -int(random() % 14));
            break;
        case 1:
            v = double(std::int64_t(random() % 20000000) - 10000000) / 1000.0 + 0.005 * double(random() % 3);
            break;
        case 2: {
            const std::uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
            break;
        }
        case 3:
            v = std::ldexp(double(random() % (1ull << 53)), int(random() % 40) - 30);
            break;
        default:
            v = double(std::int64_t(random() % 100000000)) / 100000000.0 * std::pow(10.0, int(random() % 16) - 4);
            break;
        }
        values.push_back(i % 2 ? -v : v);
    }
    return values;
}

} // namespace

class TestFieldText : public QObject
{
    Q_OBJECT

private slots:
    void fixedMatchesPrintf_data();
    void fixedMatchesPrintf();
    void fixedMatchesPrintfOverGeneratedValues();
    void cellTextNumberMatchesText();
    void dateTimeText_data();
    void dateTimeText();
};

void TestFieldText::fixedMatchesPrintf_data()
{
    QTest::addColumn<double>("value");
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char *name;
        double value;
    } rows[] = {
        {"zero", 0.0},
        {"negative zero", -0.0},
        {"tiny negative", -1e-10},
        {"half of the last place, 8", 0.000000005},
        {"exact half at 8 (2^-9)", 0.001953125},
        {"exact half at 8, negative", -12.001953125},
        {"exact half at 4 (2^-5)", 0.03125},
        {"exact half at 4, large", 987906.40625},
        {"exact half at 2", 0.125},
        {"exact half at 0", 2.5},
        {"exact half at 0, odd", 3.5},
        {"1.005", 1.005},
        {"2.675", 2.675},
        {"12.5", 12.5},
        {"1234.5678", 1234.5678},
        {"carry through nines", 9.99999999999},
        {"below the exact range, 8", 45035996.27370495},
        {"above the exact range, 8", 45035996.27370497},
        {"half above the exact range", 99999999.5},
        {"many nines, half", 9007199254740991.0 / 2.0},
        {"2^53", 9007199254740992.0},
        {"1e22", 1e22},
        {"largest", std::numeric_limits<double>::max()},
        {"smallest subnormal", std::numeric_limits<double>::denorm_min()},
        {"infinity", inf},
        {"negative infinity", -inf},
        {"nan", std::numeric_limits<double>::quiet_NaN()},
        {"negative nan", -std::numeric_limits<double>::quiet_NaN()},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.value;
}

void TestFieldText::fixedMatchesPrintf()
{
    QFETCH(double, value);
    for (int decimals = 0; decimals <= 8; ++decimals) {
        const QString expected = QString::asprintf("%.*f", decimals, value);
        QCOMPARE(fixedText(value, decimals), expected);
        const double read = FieldText::leadingNumber(expected.toLatin1());
        QVERIFY2(sameDouble(FieldText::fixedValue(value, decimals), read),
                 qPrintable(QStringLiteral("decimals %1").arg(decimals)));
    }
}

void TestFieldText::fixedMatchesPrintfOverGeneratedValues()
{
    for (const double value : generatedValues()) {
        for (const int decimals : {4, 8}) {
            const QString expected = QString::asprintf("%.*f", decimals, value);
            const QString made = fixedText(value, decimals);
            if (made != expected)
                QFAIL(qPrintable(QStringLiteral("%1 with %2 decimals: %3, printf %4")
                                     .arg(value, 0, 'g', 17)
                                     .arg(decimals)
                                     .arg(made, expected)));
            const double read = FieldText::leadingNumber(expected.toLatin1());
            if (!sameDouble(FieldText::fixedValue(value, decimals), read))
                QFAIL(qPrintable(QStringLiteral("value of %1 with %2 decimals").arg(value, 0, 'g', 17).arg(decimals)));
        }
    }
}

// The number a cell's text starts with, had without the text, is the one
// the text reads as, for every number field type and every stored kind.
void TestFieldText::cellTextNumberMatchesText()
{
    const int types[] = {AdoType::SmallInt, AdoType::Integer, AdoType::UnsignedTinyInt, AdoType::BigInt,
                         AdoType::Single,   AdoType::Double,  AdoType::Decimal,         AdoType::Numeric,
                         AdoType::Currency};
    RecordTable table;
    table.addColumn(QStringLiteral("v"));
    const std::vector<double> values = generatedValues();
    const qsizetype count = 60000;
    for (qsizetype i = 0; i < count; ++i) {
        const double v = values[size_t(i)];
        switch (i % 4) {
        case 0:
            table.appendNull(0);
            break;
        case 1:
            table.appendInteger(0, std::isfinite(v) && std::fabs(v) < 9e18 ? std::int64_t(v) : std::int64_t(i));
            break;
        case 2:
            table.appendReal(0, v);
            break;
        default:
            table.appendReal(0, std::trunc(v));
            break;
        }
        table.finishRow();
    }
    table.appendText(0, "12.5", 4);
    table.finishRow();

    for (const int type : types) {
        int fast = 0;
        for (int row = 0; row < table.rowCount(); ++row) {
            double number = 0;
            if (!FieldText::cellTextNumber(type, table, row, 0, number))
                continue;
            ++fast;
            const QString text = FieldText::cellText(type, table, row, 0);
            const double expected = FieldText::leadingNumber(text.toUtf8());
            if (number != expected || std::signbit(number) != std::signbit(expected))
                QFAIL(qPrintable(QStringLiteral("type %1, row %2: text %3 reads %4, fast %5")
                                     .arg(type)
                                     .arg(row)
                                     .arg(text)
                                     .arg(expected, 0, 'g', 17)
                                     .arg(number, 0, 'g', 17)));
        }
        QVERIFY2(fast > 0, qPrintable(QStringLiteral("type %1").arg(type)));
        double number = 0;
        QVERIFY(!FieldText::cellTextNumber(type, table, table.rowCount() - 1, 0, number)); // a stored text
    }
}

void TestFieldText::dateTimeText_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::newRow("ordinary") << 2016 << 9 << 1 << 0 << 0 << 0;
    QTest::newRow("end of year") << 2015 << 12 << 31 << 23 << 59 << 59;
    QTest::newRow("year 0") << 0 << 1 << 1 << 0 << 0 << 0;
    QTest::newRow("year 100") << 100 << 1 << 1 << 1 << 2 << 3;
    QTest::newRow("year 9999") << 9999 << 12 << 31 << 12 << 0 << 0;
    QTest::newRow("day zero of the type") << 1899 << 12 << 30 << 10 << 5 << 7;
}

void TestFieldText::dateTimeText()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    FieldText::DateTime value;
    value.year = year;
    value.month = month;
    value.day = day;
    value.hour = hour;
    value.minute = minute;
    value.second = second;
    QCOMPARE(FieldText::dateTimeText(value),
             QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second));
}

QTEST_APPLESS_MAIN(TestFieldText)
#include "test_fieldtext.moc"
