#include "components/data/Cp936.h"

#include <QTest>

class TestCp936 : public QObject
{
    Q_OBJECT

private slots:
    void encodeAndDecode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("ascii") << QStringLiteral("SELECT 1;") << QByteArray("SELECT 1;");
        QTest::newRow("em dash") << QStringLiteral("—") << QByteArray("\xA1\xAA");
        QTest::newRow("chinese") << QStringLiteral("中文") << QByteArray("\xD6\xD0\xCE\xC4");
        QTest::newRow("full-width colon") << QStringLiteral("信息：") << QByteArray("\xD0\xC5\xCF\xA2\xA3\xBA");
        QTest::newRow("mixed with line break") << QStringLiteral("编号\r\n1") << QByteArray("\xB1\xE0\xBA\xC5\r\n1");
        QTest::newRow("GBK beyond GB2312") << QStringLiteral("丂") << QByteArray("\x81\x40");
    }

    void encodeAndDecode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp936::encode(text), bytes);
        QCOMPARE(Cp936::decode(bytes), text);
    }

    void roundTripOfChinese()
    {
        const QString text = QStringLiteral("人员信息表：编号、姓名、出生日期——“引号”与《书名》。");
        QCOMPARE(Cp936::decode(Cp936::encode(text)), text);
    }

    void brokenInputIsReplacedNotDropped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("lead byte without its pair") << QByteArray("a\xD6 b") << QStringLiteral("a\uFFFD b");
        QTest::newRow("lead byte at the end") << QByteArray("\xD6\xD0\xCE") << QStringLiteral("中\uFFFD");
        QTest::newRow("0xFF alone") << QByteArray("x\xFFy") << QStringLiteral("x\uFFFDy");
    }

    void brokenInputIsReplacedNotDropped()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp936::decode(bytes), text);
    }

    void unencodableCharacterBecomesQuestionMark()
    {
        QCOMPARE(Cp936::encode(QStringLiteral("a😀b")), QByteArray("a?b"));
        QCOMPARE(Cp936::encode(QStringLiteral("中\u0E01文")), QByteArray("\xD6\xD0?\xCE\xC4"));
    }

    void isValidUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("ascii") << QByteArray("abc") << true;
        QTest::newRow("chinese") << QByteArray("\xE4\xB8\xAD\xE6\x96\x87") << true;
        QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true;
        QTest::newRow("GBK bytes") << QByteArray("\xD6\xD0\xCE\xC4") << false;
        QTest::newRow("truncated sequence") << QByteArray("\xE4\xB8") << false;
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("stray continuation") << QByteArray("a\x80") << false;
    }

    void isValidUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(Cp936::isValidUtf8(bytes), valid);
    }

    void decodeUtf8OrCp936_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("\xE4\xB8\xAD\xE6\x96\x87") << QStringLiteral("中文");
        QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD") << QStringLiteral("中");
        QTest::newRow("code page 936") << QByteArray("\xD6\xD0\xCE\xC4\xA1\xAA") << QStringLiteral("中文—");
        QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
        QTest::newRow("empty") << QByteArray() << QString();
    }

    void decodeUtf8OrCp936()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp936::decodeUtf8OrCp936(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestCp936)
#include "test_cp936.moc"
