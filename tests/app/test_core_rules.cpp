// Small rules of the core that untrusted bytes go through, as tables of cases.

#include "components/data/Cp936.h"

#include <QtTest>

class TestCoreRules : public QObject
{
    Q_OBJECT

private slots:
    void cp936RoundTrip_data();
    void cp936RoundTrip();
    void cp936Unwritable_data();
    void cp936Unwritable();
};

void TestCoreRules::cp936RoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QByteArray("select 1;\r\n");
    QTest::newRow("common hanzi") << QByteArray("\xD6\xD0\xCE\xC4");
    QTest::newRow("em dash A1 AA") << QByteArray("\xA1\xAA");
    // The euro sign is the single byte 0x80 in code page 936.
    QTest::newRow("euro 80") << QByteArray("5\x80");
    // The three user-defined areas: read as private-use characters, they
    // must be written back as the same pairs, not as "?".
    QTest::newRow("user-defined AAA1") << QByteArray("\xAA\xA1");
    QTest::newRow("user-defined AD E6") << QByteArray("x\xAD\xE6y");
    QTest::newRow("user-defined AFFE") << QByteArray("\xAF\xFE");
    QTest::newRow("user-defined F8A1") << QByteArray("\xF8\xA1");
    QTest::newRow("user-defined FEFE") << QByteArray("\xFE\xFE");
    QTest::newRow("user-defined A140") << QByteArray("\xA1\x40");
    QTest::newRow("user-defined A7A0") << QByteArray("\xA7\xA0");
}

void TestCoreRules::cp936RoundTrip()
{
    QFETCH(QByteArray, bytes);
    const QString text = Cp936::decode(bytes);
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QCOMPARE(Cp936::encode(text), bytes);
}

void TestCoreRules::cp936Unwritable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("emoji") << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    // GB18030 has a four-byte form for this one; code page 936 has none.
    QTest::newRow("no pair in the code page") << QStringLiteral("\u0080") << QByteArray("?");
}

void TestCoreRules::cp936Unwritable()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Cp936::encode(text), bytes);
}

QTEST_GUILESS_MAIN(TestCoreRules)
#include "test_core_rules.moc"
