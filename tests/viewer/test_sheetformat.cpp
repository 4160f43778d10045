// The stored text of an example sheet, both ways, as tables of cases.

#include "components/data/Cp936.h"
#include "viewer/SheetFormat.h"

#include <QtTest>

using Rows = QList<QStringList>;

class TestSheetFormat : public QObject
{
    Q_OBJECT

private slots:
    void splitPieces_data();
    void splitPieces();
    void encodeCell_data();
    void encodeCell();
    void encodeRows_data();
    void encodeRows();
    void decodeLine_data();
    void decodeLine();
    void roundTrip_data();
    void roundTrip();
    void textOfBytes_data();
    void textOfBytes();
};

void TestSheetFormat::splitPieces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("pieces");
    const QString crlf = QStringLiteral("\r\n");
    const QString tab = QStringLiteral("\t");
    QTest::newRow("empty text") << QString() << crlf << QStringList{};
    QTest::newRow("closing separator adds nothing") << QStringLiteral("a\r\nb\r\n") << crlf
                                                    << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("last piece without separator") << QStringLiteral("a\r\nb") << crlf
                                                  << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("empty piece in between") << QStringLiteral("a\r\n\r\nb\r\n") << crlf
                                            << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("separator alone") << crlf << crlf << QStringList{QString()};
    QTest::newRow("lone LF is no separator") << QStringLiteral("a\nb\r\n") << crlf << QStringList{QStringLiteral("a\nb")};
    QTest::newRow("tab row of empty cells") << QStringLiteral("\t") << tab << QStringList{QString()};
    QTest::newRow("three cells") << QStringLiteral("a\tb\tc") << tab
                                 << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
}

void TestSheetFormat::splitPieces()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, pieces);
    QCOMPARE(SheetFormat::splitPieces(text, separator), pieces);
}

void TestSheetFormat::encodeCell_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("stored");
    QTest::newRow("plain") << QStringLiteral("语句类型") << QStringLiteral("语句类型");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("CR LF is quoted, LF kept") << QStringLiteral("a\r\nb") << QStringLiteral("\"a\nb\"");
    QTest::newRow("quotes without CR LF unchanged") << QStringLiteral("say \"hi\"") << QStringLiteral("say \"hi\"");
    QTest::newRow("quotes with CR LF doubled") << QStringLiteral("\"q\"\r\nx") << QStringLiteral("\"\"\"q\"\"\nx\"");
    QTest::newRow("TAB unchanged") << QStringLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("lone CR unchanged") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
    QTest::newRow("lone LF unchanged") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("quoted form stays as it is") << QStringLiteral("\"a\nb\"") << QStringLiteral("\"a\nb\"");
}

void TestSheetFormat::encodeCell()
{
    QFETCH(QString, cell);
    QFETCH(QString, stored);
    QCOMPARE(SheetFormat::encodeCell(cell), stored);
}

void TestSheetFormat::encodeRows_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("no rows") << Rows{} << QString();
    QTest::newRow("two cells") << Rows{{QStringLiteral("a"), QStringLiteral("b")}} << QStringLiteral("a\tb\r\n");
    QTest::newRow("empty row") << Rows{{QString(), QString()}} << QStringLiteral("\t\r\n");
    QTest::newRow("last line ends in CR LF too")
        << Rows{{QStringLiteral("a"), QStringLiteral("b")}, {QStringLiteral("c"), QStringLiteral("d\r\ne")}}
        << QStringLiteral("a\tb\r\nc\t\"d\ne\"\r\n");
}

void TestSheetFormat::encodeRows()
{
    QFETCH(Rows, rows);
    QFETCH(QString, text);
    QCOMPARE(SheetFormat::encode(rows), text);
}

void TestSheetFormat::decodeLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("two cells") << QStringLiteral("a\tb") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("empty line") << QString() << QStringList{};
    QTest::newRow("empty row") << QStringLiteral("\t") << QStringList{QString()};
    QTest::newRow("empty last cell") << QStringLiteral("a\t") << QStringList{QStringLiteral("a")};
    QTest::newRow("more cells than columns")
        << QStringLiteral("a\tb\tc") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("quoted cell gets its CR LF back")
        << QStringLiteral("\"a\nb\"\tc") << QStringList{QStringLiteral("a\r\nb"), QStringLiteral("c")};
    QTest::newRow("quoted cell last") << QStringLiteral("x\t\"a\nb\"") << QStringList{QStringLiteral("x"), QStringLiteral("a\r\nb")};
    QTest::newRow("doubled quotes undone")
        << QStringLiteral("\"\"\"q\"\"\nx\"") << QStringList{QStringLiteral("\"q\"\r\nx")};
    QTest::newRow("TAB inside a quoted cell kept")
        << QStringLiteral("\"a\tb\nc\"\td") << QStringList{QStringLiteral("a\tb\r\nc"), QStringLiteral("d")};
    QTest::newRow("quotes without LF taken as written") << QStringLiteral("\"hi\"\tb")
                                                        << QStringList{QStringLiteral("\"hi\""), QStringLiteral("b")};
    QTest::newRow("quote not closing the cell taken as written")
        << QStringLiteral("\"x\"y\nz\"") << QStringList{QStringLiteral("\"x\"y\nz\"")};
    QTest::newRow("unclosed quote taken as written") << QStringLiteral("\"a\nb\tc")
                                                     << QStringList{QStringLiteral("\"a\nb"), QStringLiteral("c")};
    QTest::newRow("TAB in a plain cell splits it")
        << QStringLiteral("a\tb\tc") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
}

void TestSheetFormat::decodeLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, cells);
    QCOMPARE(SheetFormat::decodeLine(line), cells);
}

void TestSheetFormat::roundTrip_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::newRow("default labels") << Rows{{QStringLiteral("语句类型"), QStringLiteral("语句内容")},
                                            {QStringLiteral("语句格式"), QString()}};
    QTest::newRow("CR LF cells") << Rows{{QStringLiteral("a\r\nb"), QStringLiteral("\r\n")},
                                         {QStringLiteral("x"), QStringLiteral("line1\r\nline2\r\n")}};
    QTest::newRow("quotes and CR LF") << Rows{{QStringLiteral("say \"hi\"\r\nok"), QStringLiteral("\"")}};
    QTest::newRow("empty rows") << Rows{{QString(), QString()}, {QString(), QStringLiteral("b")}};
    QTest::newRow("TAB and CR LF in one cell") << Rows{{QStringLiteral("a\tb\r\nc"), QStringLiteral("d")}};
}

void TestSheetFormat::roundTrip()
{
    QFETCH(Rows, rows);
    const QByteArray bytes = Cp936::encode(SheetFormat::encode(rows));
    Rows back = SheetFormat::decode(SheetFormat::textOfBytes(bytes));
    // A grid row that is shorter than the grid is filled with empty cells.
    for (QStringList &row : back) {
        while (row.size() < 2)
            row.append(QString());
    }
    QCOMPARE(back, rows);
}

void TestSheetFormat::textOfBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("code page 936") << Cp936::encode(QStringLiteral("语句\t内容\r\n")) << QStringLiteral("语句\t内容\r\n");
    QTest::newRow("full-width dash") << QByteArray("\xA1\xAA") << QStringLiteral("—");
    QTest::newRow("up to the first zero byte") << QByteArray("ab\0cd", 5) << QStringLiteral("ab");
    QTest::newRow("zero byte first") << QByteArray("\0a\tb\r\n", 6) << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestSheetFormat::textOfBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(SheetFormat::textOfBytes(bytes), text);
}

QTEST_APPLESS_MAIN(TestSheetFormat)
#include "test_sheetformat.moc"
