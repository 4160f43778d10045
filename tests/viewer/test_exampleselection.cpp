// Selecting an item of the catalogue tree: the program state, the editors,
// the page or sheet, and the enabled states of the catalogue buttons.

#include "../catalogue/CatalogueFixture.h"

#include "components/data/Cp936.h"

#include <QtTest>

namespace {

const QString kRows = QStringLiteral(
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (1,'D1',0,1,'dir sql','记录集');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'D2',0,2);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (3,'D3',0,3);"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式,数据集) "
    "  VALUES (10,'S1',1,1,'select *' || char(13) || char(10) || 'from t','记录集', X'610962300D0A');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句) VALUES (11,'S2',1,2,'s2');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句) VALUES (12,'it''s',1,3,'quoted');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句) VALUES (20,'Twin',2,1,'first');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句) VALUES (21,'Twin',2,2,'second');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句) VALUES (30,NULL,3,1,'hidden');"
    "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句) VALUES (31,'../outside',3,2,'x');");

QList<QAbstractButton *> catalogueButtons(const MainControls &c)
{
    return {c.执行按钮, c.超级按钮_插入子目录, c.超级按钮_上移, c.超级按钮_下移};
}

} // namespace

class TestExampleSelection : public QObject
{
    Q_OBJECT

private slots:
    void buttonStates_data();
    void buttonStates();
    void directoryAloneHasNoMoves();
    void fields_data();
    void fields();
    void noItem();
    void examplePage_data();
    void examplePage();
    void pageOrSheetByMode_data();
    void pageOrSheetByMode();
};

void TestExampleSelection::buttonStates_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QList<bool>>("enabled"); // 执行, 插入子目录, 上移, 下移
    QTest::newRow("first directory") << QStringLiteral("D1") << QList<bool>{false, true, false, true};
    QTest::newRow("middle directory") << QStringLiteral("D2") << QList<bool>{false, true, true, true};
    QTest::newRow("last directory") << QStringLiteral("D3") << QList<bool>{false, true, true, false};
    QTest::newRow("first statement") << QStringLiteral("S1") << QList<bool>{true, false, false, true};
    QTest::newRow("middle statement") << QStringLiteral("S2") << QList<bool>{true, false, true, true};
    QTest::newRow("last statement") << QStringLiteral("it's") << QList<bool>{true, false, true, false};
}

void TestExampleSelection::buttonStates()
{
    QFETCH(QString, item);
    QFETCH(QList<bool>, enabled);
    CatalogueFixture f(kRows);
    const QList<QAbstractButton *> buttons = catalogueButtons(f.c());
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(!enabled[i]);
    QVERIFY(f.select(item));
    for (int i = 0; i < buttons.size(); ++i)
        QCOMPARE(buttons[i]->isEnabled(), enabled[i]);
    // The other catalogue buttons are left alone.
    QVERIFY(f.c().超级按钮_插入目录->isEnabled());
    QVERIFY(f.c().超级按钮_删除->isEnabled());
}

void TestExampleSelection::directoryAloneHasNoMoves()
{
    CatalogueFixture f(QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (5,'Only',0,1);"));
    QVERIFY(f.select(QStringLiteral("Only")));
    QVERIFY(!f.c().超级按钮_上移->isEnabled());
    QVERIFY(!f.c().超级按钮_下移->isEnabled());
}

void TestExampleSelection::fields_data()
{
    QTest::addColumn<int>("index");        // depth-first, all directories expanded
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("sheet");
    // D1=0 S1=1 S2=2 it's=3 D2=4 Twin=5 Twin=6 D3=7 (null)=8 ../outside=9
    QTest::newRow("directory") << 0 << QStringLiteral("1") << QStringLiteral("D1") << QStringLiteral("dir sql")
                               << QStringLiteral("记录集") << QByteArray();
    QTest::newRow("statement with sheet and CR LF")
        << 1 << QStringLiteral("10") << QStringLiteral("S1") << QStringLiteral("select *\r\nfrom t")
        << QStringLiteral("记录集") << QByteArray("a\tb0\r\n");
    QTest::newRow("name with a quote finds its row")
        << 3 << QStringLiteral("12") << QStringLiteral("it's") << QStringLiteral("quoted") << QString() << QByteArray();
    QTest::newRow("first of two same names") << 5 << QStringLiteral("20") << QStringLiteral("Twin")
                                             << QStringLiteral("first") << QString() << QByteArray();
    QTest::newRow("second of two same names") << 6 << QStringLiteral("21") << QStringLiteral("Twin")
                                              << QStringLiteral("second") << QString() << QByteArray();
    QTest::newRow("NULL name matches nothing")
        << 8 << QStringLiteral("30") << QString() << QString() << QString() << QByteArray();
}

void TestExampleSelection::fields()
{
    QFETCH(int, index);
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(QString, sql);
    QFETCH(QString, mode);
    QFETCH(QByteArray, sheet);
    CatalogueFixture f(kRows);
    f.expandAll();
    QCOMPARE(f.tree().itemCount(), 10);
    f.c().树型框1->setCurrentItem(f.tree().itemAt(index));

    QCOMPARE(f.state.currentItemId, id);
    QCOMPARE(f.state.currentItemName, name);
    QCOMPARE(f.state.currentSql, sql);
    QCOMPARE(f.state.currentMode, mode);
    QCOMPARE(f.state.currentSheetBytes, sheet);
    QCOMPARE(f.c().编辑框_事件名称->text(), name);
    QCOMPARE(f.c().编辑框_执行语句->toPlainText(), QString(sql).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(f.c().编辑框_执行方式->text(), mode);
    GridControl &grid = *f.c().高级表格2;
    if (sheet.isEmpty()) {
        QCOMPARE(grid.getCell(0, 0), QStringLiteral("语句类型"));
        QCOMPARE(grid.getCell(5, 0), QStringLiteral("练习语句"));
    } else {
        QCOMPARE(grid.rowCount(), 1);
        QCOMPARE(grid.getCell(0, 1), QStringLiteral("b0"));
    }
    QCOMPARE(grid.columnWidth(1), f.c().选择夹1->width() - 100);
    QCOMPARE(grid.columnWidth(0), 80);
}

void TestExampleSelection::noItem()
{
    CatalogueFixture f(kRows);
    QVERIFY(f.select(QStringLiteral("S2")));
    f.c().树型框1->setCurrentItem(nullptr);
    QCOMPARE(f.state.currentItemId, QStringLiteral("0"));
    QCOMPARE(f.state.currentItemName, QString());
    QCOMPARE(f.state.currentSql, QString());
    QCOMPARE(f.state.currentSheetBytes, QByteArray());
    QCOMPARE(f.c().编辑框_事件名称->text(), QString());
    QCOMPARE(f.c().编辑框_执行语句->toPlainText(), QString());
    QCOMPARE(f.c().编辑框_执行方式->text(), QString());
    QCOMPARE(f.c().高级表格2->getCell(3, 0), QStringLiteral("语句说明"));
    QVERIFY(!f.c().执行按钮->isEnabled());
    QVERIFY(f.c().超级按钮_插入子目录->isEnabled());
    // The page of the empty name.
    QCOMPARE(f.c().超文本浏览框1->property("pagePath").toString(), f.workspace.photoDir() + QStringLiteral("/.htm"));
}

void TestExampleSelection::examplePage_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("file");      // relative to the program directory
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");     // text the view shows
    QTest::newRow("UTF-8 page") << QStringLiteral("S1") << QStringLiteral("photo/S1.htm")
                                << QByteArray("<html><body><p>例程一</p></body></html>") << QStringLiteral("例程一");
    QTest::newRow("code page 936 page")
        << QStringLiteral("S2") << QStringLiteral("photo/S2.htm")
        << QByteArray("<html><head><meta charset=\"gb2312\"></head><body>") + Cp936::encode(QStringLiteral("说明"))
               + QByteArray("</body></html>")
        << QStringLiteral("说明");
    QTest::newRow("name leaving photo/ has no page")
        << QStringLiteral("../outside") << QStringLiteral("outside.htm") << QByteArray("<p>secret</p>") << QString();
}

void TestExampleSelection::examplePage()
{
    QFETCH(QString, item);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    CatalogueFixture f(kRows);
    QFile page(f.workspace.dir() + QLatin1Char('/') + file);
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(bytes);
    page.close();
    QVERIFY(f.select(item));
    QCOMPARE(f.c().超文本浏览框1->toPlainText().trimmed(), shown);
    if (shown.isEmpty())
        QCOMPARE(f.c().超文本浏览框1->property("pagePath").toString(), QString());
}

void TestExampleSelection::pageOrSheetByMode_data()
{
    QTest::addColumn<int>("sqlServerMode");
    QTest::newRow("local file: page") << 0;
    QTest::newRow("server: sheet") << 1;
}

void TestExampleSelection::pageOrSheetByMode()
{
    QFETCH(int, sqlServerMode);
    CatalogueFixture f(kRows);
    f.state.sqlServerMode = sqlServerMode;
    QVERIFY(f.select(QStringLiteral("S1")));
    QCOMPARE(f.c().选择夹1->currentIndex(), 1);
    QCOMPARE(f.c().超文本浏览框1->isHidden(), sqlServerMode == 1);
    QCOMPARE(f.c().高级表格2->isHidden(), sqlServerMode == 0);
    // The sheet is loaded in both modes.
    QCOMPARE(f.c().高级表格2->getCell(0, 0), QStringLiteral("a"));
}

QTEST_MAIN(TestExampleSelection)
#include "test_exampleselection.moc"
