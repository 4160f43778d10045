// The cell text rules of the result grid, as tables of value → cell text.
#include "components/data/AdoType.h"
#include "execution/ResultRenderer.h"

#include <QTest>

class TestResultRules : public QObject
{
    Q_OBJECT

private slots:
    void numberRule_data();
    void numberRule();
    void dateRule_data();
    void dateRule();
    void ruleByTypeCode_data();
    void ruleByTypeCode();
};

void TestResultRules::numberRule_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    // Integers as readText prints them.
    QTest::newRow("integer") << "42" << "42";
    QTest::newRow("negative integer") << "-17" << "-17";
    QTest::newRow("zero") << "0" << "0";
    QTest::newRow("large integer") << "9876543210" << "9876543210";
    QTest::newRow("13-digit integer") << "-1234567890123" << "-1234567890123";
    QTest::newRow("14-digit integer") << "12345678901234" << "1.234567890123e+013";
    QTest::newRow("leading zeros") << "007" << "7";
    QTest::newRow("negative zero") << "-0" << "0";
    // Doubles and decimals arrive with 8 decimals.
    QTest::newRow("double 12.5") << "12.50000000" << "12.5";
    QTest::newRow("money 3") << "3" << "3";
    QTest::newRow("whole double") << "3.00000000" << "3";
    QTest::newRow("two places kept") << "1234.56780000" << "1234.57";
    QTest::newRow("single, 4 decimals") << "1.7500" << "1.75";
    // Half away from zero, with values stored just below a half rounding up.
    QTest::newRow("1.005") << "1.00500000" << "1.01";
    QTest::newRow("2.675") << "2.67500000" << "2.68";
    QTest::newRow("-2.675") << "-2.67500000" << "-2.68";
    QTest::newRow("0.125") << "0.12500000" << "0.13";
    QTest::newRow("-0.125") << "-0.12500000" << "-0.13";
    QTest::newRow("below half") << "0.12490000" << "0.12";
    QTest::newRow("0.005") << "0.00500000" << "0.01";
    QTest::newRow("-0.005") << "-0.00500000" << "-0.01";
    // A tiny negative value rounds to zero and prints without a sign.
    QTest::newRow("-0.001") << "-0.00100000" << "0";
    // At most 13 significant digits; exponent form with three digits from 1e13.
    QTest::newRow("13 digits") << "123456789012.34500000" << "123456789012.4";
    QTest::newRow("just below 1e13") << "9999999999999.00000000" << "9999999999999";
    QTest::newRow("1e13") << "10000000000000" << "1e+013";
    QTest::newRow("-1e13") << "-10000000000000.00000000" << "-1e+013";
    QTest::newRow("1.5e14") << "150000000000000" << "1.5e+014";
    QTest::newRow("rounds up to 1e13") << "9999999999999.99500000" << "1e+013";
    QTest::newRow("1e100") << "1e100" << "1e+100";
    // Near the top of the double range the value is its own rounding.
    QTest::newRow("1e308") << "1e308" << "1e+308";
    QTest::newRow("-1.7976931348623157e308") << "-1.7976931348623157e308" << "-1.797693134862e+308";
    // The number at the start of the text, as strtod reads it; none gives 0.
    QTest::newRow("NULL") << "" << "0";
    QTest::newRow("no number") << "abc" << "0";
    QTest::newRow("number then text") << "12.345abc" << "12.35";
    QTest::newRow("leading blanks") << "  7.5" << "7.5";
    QTest::newRow("plus sign") << "+2.5" << "2.5";
    QTest::newRow("two signs") << "+-2.5" << "0";
    QTest::newRow("fraction only") << ".5" << "0.5";
    QTest::newRow("exponent") << "1.2345e2" << "123.45";
    QTest::newRow("hexadecimal") << "0x10" << "16";
    QTest::newRow("beyond double") << "1e999" << "inf";
    QTest::newRow("wide digits") << QStringLiteral("１２") << "0";
}

void TestResultRules::numberRule()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(ResultRenderer::numberText(value), expected);
    // Every number column code gives the same text.
    QCOMPARE(ResultRenderer::cellText(AdoType::Integer, value), expected);
    QCOMPARE(ResultRenderer::cellText(AdoType::Double, value), expected);
}

void TestResultRules::dateRule_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("date and midnight") << "2016-09-01 00:00:00" << "2016-9-1";
    QTest::newRow("time dropped") << "2015-12-25 13:45:59" << "2015-12-25";
    QTest::newRow("date only") << "1988-03-14" << "1988-3-14";
    QTest::newRow("last day") << "9999-12-31 23:59:59" << "9999-12-31";
    QTest::newRow("leap day") << "2016-02-29 00:00:00" << "2016-2-29";
    // Not a date: the earliest date of the date type.
    QTest::newRow("NULL") << "" << "100-1-1";
    QTest::newRow("text") << "tomorrow" << "100-1-1";
    QTest::newRow("no leap day") << "2015-02-29 00:00:00" << "100-1-1";
    QTest::newRow("month 13") << "2016-13-01 00:00:00" << "100-1-1";
    QTest::newRow("hour 24") << "2016-09-01 24:00:00" << "100-1-1";
    QTest::newRow("before year 100") << "0099-12-31 00:00:00" << "100-1-1";
    QTest::newRow("trailing text") << "2016-09-01 00:00:00x" << "100-1-1";
    QTest::newRow("five-digit year") << "20160-09-01" << "100-1-1";
}

void TestResultRules::dateRule()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(ResultRenderer::dateText(value), expected);
}

void TestResultRules::ruleByTypeCode_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("smallint") << int(AdoType::SmallInt) << "7" << "7";
    QTest::newRow("int") << int(AdoType::Integer) << "42" << "42";
    QTest::newRow("single") << int(AdoType::Single) << "1.0050" << "1.01";
    QTest::newRow("double") << int(AdoType::Double) << "12.50000000" << "12.5";
    QTest::newRow("currency") << int(AdoType::Currency) << "3" << "3";
    QTest::newRow("numeric") << int(AdoType::Numeric) << "1.00500000" << "1.01";
    QTest::newRow("numeric NULL") << int(AdoType::Numeric) << "" << "0";
    QTest::newRow("date 7") << int(AdoType::Date) << "2016-09-01 00:00:00" << "2016-9-1";
    QTest::newRow("date 7 NULL") << int(AdoType::Date) << "" << "100-1-1";
    // Every other code keeps the text: timestamps, decimals 14, bits, texts.
    QTest::newRow("timestamp 135") << int(AdoType::DBTimeStamp) << "2016-09-01 00:00:00" << "2016-09-01 00:00:00";
    QTest::newRow("decimal 14") << int(AdoType::Decimal) << "1.00500000" << "1.00500000";
    QTest::newRow("bigint 20") << int(AdoType::BigInt) << "12345678901234" << "12345678901234";
    QTest::newRow("bit") << int(AdoType::Boolean) << "TRUE" << "TRUE";
    QTest::newRow("text") << int(AdoType::VarWChar) << "  张伟 " << "  张伟 ";
    QTest::newRow("text NULL") << int(AdoType::VarWChar) << "" << "";
}

void TestResultRules::ruleByTypeCode()
{
    QFETCH(int, type);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(ResultRenderer::cellText(type, value), expected);
}

QTEST_APPLESS_MAIN(TestResultRules)
#include "test_result_rules.moc"
