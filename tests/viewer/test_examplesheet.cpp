// The example sheet in the real grid 高级表格2: loading stored bytes, the
// default sheet, saving through the record set, and the row insert.

#include "../catalogue/CatalogueFixture.h"

#include "components/data/Cp936.h"

#include <QtTest>

namespace {

QString sheetRow(int id, const QString &name, const QByteArray &bytes)
{
    return QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别,数据集) VALUES (%1,'%2',0,%1,%3);")
        .arg(id)
        .arg(name, bytes.isNull() ? QStringLiteral("NULL") : QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex())));
}

QByteArray linesOf(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += "r" + QByteArray::number(i) + "\tv\r\n";
    return bytes;
}

QStringList cellsOf(const GridControl &grid)
{
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (!grid.getCell(r, c).isEmpty())
                out.append(QStringLiteral("%1,%2=%3").arg(r).arg(c).arg(grid.getCell(r, c)));
        }
    }
    return out;
}

const QByteArray kDefaultSheetText = "语句类型\t语句内容\r\n语句格式\t\r\nSQL语句\t\r\n语句说明\t\r\n执行语句\t\r\n练习语句\t\r\n";

} // namespace

class TestExampleSheet : public QObject
{
    Q_OBJECT

private slots:
    void loadSheet_data();
    void loadSheet();
    void zeroByteFirstKeepsRowCount();
    void defaultSheetKeepsRowCount_data();
    void defaultSheetKeepsRowCount();
    void saveAndLoadThroughGrid();
    void saveDefaultSheet();
    void saveWithoutSelection();
    void insertRow_data();
    void insertRow();
};

void TestExampleSheet::loadSheet_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("plain cells") << QByteArray("a\tb\r\nc\td\r\n") << 2
                                 << QStringList{"0,0=a", "0,1=b", "1,0=c", "1,1=d"};
    QTest::newRow("quoted CR LF cell comes back whole")
        << QByteArray("k\t\"x\ny\"\r\n") << 1 << QStringList{"0,0=k", "0,1=x\r\ny"};
    QTest::newRow("doubled quotes") << QByteArray("\"say \"\"hi\"\"\nok\"\tz\r\n") << 1
                                    << QStringList{"0,0=say \"hi\"\r\nok", "0,1=z"};
    QTest::newRow("quotes without CR LF shown as written") << QByteArray("\"hi\"\tb\r\n") << 1
                                                           << QStringList{"0,0=\"hi\"", "0,1=b"};
    QTest::newRow("more cells than columns") << QByteArray("a\tb\tc\r\n") << 1 << QStringList{"0,0=a", "0,1=b"};
    QTest::newRow("empty row") << QByteArray("\t\r\na\tb\r\n") << 2 << QStringList{"1,0=a", "1,1=b"};
    QTest::newRow("last line without CR LF") << QByteArray("a\tb\r\nc") << 2 << QStringList{"0,0=a", "0,1=b", "1,0=c"};
    QTest::newRow("code page 936") << Cp936::encode(QStringLiteral("语句类型\t选择—查询\r\n")) << 1
                                   << QStringList{QStringLiteral("0,0=语句类型"), QStringLiteral("0,1=选择—查询")};
    QTest::newRow("cut at a zero byte") << QByteArray("a\tb\r\nc\0d\r\n", 10) << 2 << QStringList{"0,0=a", "0,1=b", "1,0=c"};
}

void TestExampleSheet::loadSheet()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(QStringList, cells);
    CatalogueFixture f(sheetRow(1, QStringLiteral("S"), bytes));
    QVERIFY(f.select(QStringLiteral("S")));
    GridControl &grid = *f.c().高级表格2;
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(cellsOf(grid), cells);
    QVERIFY(grid.model()->data(grid.model()->index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter);
    QCOMPARE(int(f.state.sheetLines.size()), rows);
}

void TestExampleSheet::zeroByteFirstKeepsRowCount()
{
    CatalogueFixture f(sheetRow(1, QStringLiteral("Eight"), linesOf(8))
                       + sheetRow(2, QStringLiteral("Zero"), QByteArray("\0a\tb\r\n", 6)));
    QVERIFY(f.select(QStringLiteral("Eight")));
    QVERIFY(f.select(QStringLiteral("Zero")));
    QCOMPARE(f.c().高级表格2->rowCount(), 8);
    QCOMPARE(cellsOf(*f.c().高级表格2), QStringList{});
}

void TestExampleSheet::defaultSheetKeepsRowCount_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("cells");
    const QStringList labels{QStringLiteral("0,0=语句类型"), QStringLiteral("0,1=语句内容"), QStringLiteral("1,0=语句格式"),
                             QStringLiteral("2,0=SQL语句"),  QStringLiteral("3,0=语句说明"), QStringLiteral("4,0=执行语句"),
                             QStringLiteral("5,0=练习语句")};
    QTest::newRow("after 10 lines: 10 rows, last four empty") << 10 << labels;
    QTest::newRow("after 3 lines: only the labels that fit") << 3 << labels.mid(0, 4);
}

void TestExampleSheet::defaultSheetKeepsRowCount()
{
    QFETCH(int, lines);
    QFETCH(QStringList, cells);
    CatalogueFixture f(sheetRow(1, QStringLiteral("Sheet"), linesOf(lines)) + sheetRow(2, QStringLiteral("Plain"), {}));
    QVERIFY(f.select(QStringLiteral("Sheet")));
    QCOMPARE(f.c().高级表格2->rowCount(), lines);
    QVERIFY(f.select(QStringLiteral("Plain")));
    QCOMPARE(f.c().高级表格2->rowCount(), lines);
    QCOMPARE(cellsOf(*f.c().高级表格2), cells);
}

void TestExampleSheet::saveAndLoadThroughGrid()
{
    CatalogueFixture f(sheetRow(1, QStringLiteral("S"), {}) + sheetRow(2, QStringLiteral("Other"), {}));
    f.state.sqlServerMode = 1;
    QVERIFY(f.select(QStringLiteral("S")));
    GridControl &grid = *f.c().高级表格2;
    const QStringList texts{QStringLiteral("语句类型"),  QStringLiteral("a\r\nb"),      QStringLiteral("say \"hi\""),
                            QStringLiteral("q\"\r\n\""), QString(),                     QString(),
                            QStringLiteral("lone\nLF"),  QStringLiteral("\r\n"),        QStringLiteral("x"),
                            QString(),                   QStringLiteral("选择—查询"), QStringLiteral("end")};
    for (int i = 0; i < texts.size(); ++i)
        grid.setCell(i / 2, i % 2, texts[i]);
    f.c().树型框1->topLevelItem(0)->setData(0, Qt::UserRole + 50, true);

    f.sheet().saveSheet();

    const QString stored = QStringLiteral("语句类型\t\"a\nb\"\r\nsay \"hi\"\t\"q\"\"\n\"\"\"\r\n\t\r\n"
                                          "lone\nLF\t\"\n\"\r\nx\t\r\n选择—查询\tend\r\n");
    QCOMPARE(TestDb::blob(f.db(), QStringLiteral("select 数据集 from sql信息表 where 编号=1")), Cp936::encode(stored));
    QCOMPARE(f.state.pendingSheetBytes, Cp936::encode(stored));
    QCOMPARE(f.c().进度条1->maximum(), 6);
    QCOMPARE(f.c().进度条1->value(), 6);
    QVERIFY(!f.c().树型框1->topLevelItem(0)->data(0, Qt::UserRole + 50).toBool()); // reloaded
    // The grid keeps what was saved; the selection still holds the old bytes.
    QCOMPARE(grid.getCell(0, 1), QStringLiteral("a\r\nb"));
    QCOMPARE(f.state.currentSheetBytes, QByteArray());

    // Selected again, every cell comes back as it was typed, and saving once
    // more writes the same bytes.
    QVERIFY(f.select(QStringLiteral("Other")));
    QVERIFY(f.select(QStringLiteral("S")));
    QCOMPARE(grid.rowCount(), 6);
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(grid.getCell(i / 2, i % 2), texts[i]);
    f.sheet().saveSheet();
    QCOMPARE(TestDb::blob(f.db(), QStringLiteral("select 数据集 from sql信息表 where 编号=1")), Cp936::encode(stored));
    // The other item's sheet is untouched.
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select count(*) from sql信息表 where 数据集 is null")),
             QStringLiteral("1"));
}

void TestExampleSheet::saveDefaultSheet()
{
    CatalogueFixture f(sheetRow(1, QStringLiteral("S"), {}));
    QVERIFY(f.select(QStringLiteral("S")));
    f.sheet().saveSheet();
    QCOMPARE(TestDb::blob(f.db(), QStringLiteral("select 数据集 from sql信息表 where 编号=1")),
             Cp936::encode(QString::fromUtf8(kDefaultSheetText)));
    QVERIFY(f.select(QStringLiteral("S")));
    QCOMPARE(f.state.currentSheetBytes, Cp936::encode(QString::fromUtf8(kDefaultSheetText)));
}

void TestExampleSheet::saveWithoutSelection()
{
    CatalogueFixture f(sheetRow(1, QStringLiteral("S"), {}));
    f.sheet().saveSheet();
    QCOMPARE(TestDb::value(f.db(), QStringLiteral("select count(*) from sql信息表 where 数据集 is null")),
             QStringLiteral("1"));
    // The bar has run all the same.
    QCOMPARE(f.c().进度条1->maximum(), 6);
    QCOMPARE(f.c().进度条1->value(), 6);
}

void TestExampleSheet::insertRow_data()
{
    QTest::addColumn<int>("cursorRow");    // -1: no cursor cell
    QTest::addColumn<int>("emptyRow");
    QTest::newRow("no cursor: appended") << -1 << 6;
    QTest::newRow("above the cursor row") << 2 << 2;
    QTest::newRow("above the first row") << 0 << 0;
}

void TestExampleSheet::insertRow()
{
    QFETCH(int, cursorRow);
    QFETCH(int, emptyRow);
    CatalogueFixture f(sheetRow(1, QStringLiteral("S"), linesOf(6)));
    QVERIFY(f.select(QStringLiteral("S")));
    GridControl &grid = *f.c().高级表格2;
    QCOMPARE(grid.cursorRow(), -1);
    if (cursorRow >= 0)
        grid.setCursor(cursorRow, 1);
    f.sheet().insertRow();
    QCOMPARE(grid.rowCount(), 7);
    QCOMPARE(grid.getCell(emptyRow, 0), QString());
    QCOMPARE(grid.getCell(emptyRow, 1), QString());
    // The rows keep their order around the new one.
    for (int r = 0, line = 0; r < 7; ++r) {
        if (r == emptyRow)
            continue;
        QCOMPARE(grid.getCell(r, 0), QStringLiteral("r%1").arg(line++));
    }
    if (cursorRow >= 0)
        QCOMPARE(grid.cursorRow(), cursorRow);
}

QTEST_MAIN(TestExampleSheet)
#include "test_examplesheet.moc"
