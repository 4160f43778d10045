// Example sheets in SQL Server mode: selecting an item shows its sheet (or
// the default one) with the sheet buttons at hand, and a saved sheet is
// stored in the server's 数据集 byte for byte, in code page 936, and read
// back unchanged at the next selection, large sheets included.
#include "RemoteServer.h"

#include "catalogue/CatalogueTree.h"
#include "components/data/Cp936.h"

#include <QTest>
#include <QTreeWidget>

namespace {

// "语句类型\t查询全部\r\n说明\t\"第一行\n第二行\"\r\n\t\r\n" in code page 936.
const QByteArray kStoredSheet = QByteArray::fromHex(
    "d3efbee4c0e0d0cd09b2e9d1afc8abb2bf0d0acbb5c3f70922b5dad2bbd0d00ab5dab6fed0d0220d0a090d0a");

// The default sheet with cell (0, 1) filled, a cell holding CR LF in (1, 1)
// and one appended empty row, in code page 936:
// 语句类型\t查询全部\r\n 语句格式\t"第一行\n第二行"\r\n SQL语句\t\r\n 语句说明\t\r\n
// 执行语句\t\r\n 练习语句\t\r\n \t\r\n
const QByteArray kSavedSheet = QByteArray::fromHex(
    "d3efbee4c0e0d0cd09b2e9d1afc8abb2bf0d0ad3efbee4b8f1cabd0922b5dad2bbd0d00ab5dab6fed0d0220d0a53514cd3efbee4"
    "090d0ad3efbee4cbb5c3f7090d0ad6b4d0d0d3efbee4090d0ac1b7cfb0d3efbee4090d0a090d0a");

} // namespace

class TestRemoteSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void selectionShowsSheet_data();
    void selectionShowsSheet();
    void savedSheetReadsBackByteForByte();
    void largeSheetRoundTrip();

private:
    bool select(const QString &text);
    QByteArray storedSheet(int id) const
    {
        return RemoteServer::bytes(QStringLiteral("数据集"), QStringLiteral("sql信息表 WHERE 编号 = %1").arg(id));
    }
    MainControls &c() { return m_window->controls(); }

    std::unique_ptr<RemoteServer::Lock> m_lock;
    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<RecordingMessageService> m_messages;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void TestRemoteSheet::initTestCase()
{
    QORVEX_REQUIRE_TEST_SERVER(m_lock);
    QVERIFY(RemoteServer::resetFixture());
}

void TestRemoteSheet::init()
{
    QVERIFY(RemoteServer::setCatalogue(
        QStringLiteral("INSERT INTO sql信息表 (编号, 事件, 父编号, 级别, SQL语句, 执行方式, 数据集) VALUES "
                       "(1, '目录', 0, 1, NULL, NULL, NULL), "
                       "(11, '无表', 1, 1, 'SELECT 1', '记录集', NULL), "
                       "(12, '有表', 1, 2, 'SELECT 2', '记录集', '\\x%1'::bytea);")
            .arg(QString::fromLatin1(kStoredSheet.toHex()))));
    m_workspace = std::make_unique<TestWorkspace>();
    m_workspace->writeConfig(RemoteServer::configText(RemoteServer::address(), RemoteServer::user(),
                                                      RemoteServer::password()));
    m_messages = std::make_unique<RecordingMessageService>();
    m_state = std::make_unique<ProgramState>();
    m_window = openMainWindow(*m_state, ConnectChoice::Remote);
    QCOMPARE(m_state->sqlServerMode, 1);
    m_window->show();
    m_messages->reset();
}

void TestRemoteSheet::cleanup()
{
    m_window.reset();
    m_state.reset();
    m_messages.reset();
    m_workspace.reset();
}

bool TestRemoteSheet::select(const QString &text)
{
    for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
        c().树型框1->topLevelItem(i)->setExpanded(true);
    CatalogueTree &tree = m_window->catalogueTree();
    for (int i = 0; i < tree.itemCount(); ++i) {
        if (tree.itemText(i) == text) {
            c().树型框1->setCurrentItem(tree.itemAt(i));
            return m_state->currentItemName == text;
        }
    }
    return false;
}

void TestRemoteSheet::selectionShowsSheet_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("column0");
    QTest::addColumn<QString>("cell01");

    QTest::newRow("default sheet") << QStringLiteral("无表") << 6
                                   << QStringList{QStringLiteral("语句类型"), QStringLiteral("语句格式"),
                                                  QStringLiteral("SQL语句"), QStringLiteral("语句说明"),
                                                  QStringLiteral("执行语句"), QStringLiteral("练习语句")}
                                   << QStringLiteral("语句内容");
    QTest::newRow("stored sheet") << QStringLiteral("有表") << 3
                                  << QStringList{QStringLiteral("语句类型"), QStringLiteral("说明"), QString()}
                                  << QStringLiteral("查询全部");
}

void TestRemoteSheet::selectionShowsSheet()
{
    QFETCH(QString, item);
    QFETCH(int, rows);
    QFETCH(QStringList, column0);
    QFETCH(QString, cell01);

    QVERIFY(select(item));
    const int id = m_state->currentItemId.toInt();
    QCOMPARE(m_state->currentSheetBytes, storedSheet(id));
    QCOMPARE(c().选择夹1->currentIndex(), 1);
    QVERIFY(c().高级表格2->isVisible());
    QVERIFY(!c().超文本浏览框1->isVisible());
    QVERIFY(c().按钮_插入行->isEnabled());
    QVERIFY(c().按钮_高表到字节集->isEnabled());

    GridControl &grid = *c().高级表格2;
    QCOMPARE(grid.rowCount(), rows);
    QStringList shown;
    for (int row = 0; row < rows; ++row)
        shown.append(grid.getCell(row, 0));
    QCOMPARE(shown, column0);
    QCOMPARE(grid.getCell(0, 1), cell01);
}

void TestRemoteSheet::savedSheetReadsBackByteForByte()
{
    QVERIFY(select(QStringLiteral("无表")));
    GridControl &grid = *c().高级表格2;
    grid.setCell(0, 1, QStringLiteral("查询全部"));
    grid.setCell(1, 1, QStringLiteral("第一行\r\n第二行"));
    c().按钮_插入行->click();
    QCOMPARE(grid.rowCount(), 7);
    c().按钮_高表到字节集->click();

    QCOMPARE(storedSheet(11), kSavedSheet);
    QCOMPARE(m_state->pendingSheetBytes, kSavedSheet);
    QCOMPARE(c().进度条1->maximum(), 7);
    QCOMPARE(c().进度条1->value(), 7);
    QVERIFY(m_messages->shown.isEmpty());
    // The other rows are untouched.
    QCOMPARE(storedSheet(12), kStoredSheet);

    // The next selection reads the stored bytes back unchanged.
    QVERIFY(select(QStringLiteral("有表")));
    QVERIFY(select(QStringLiteral("无表")));
    QCOMPARE(m_state->currentSheetBytes, kSavedSheet);
    QCOMPARE(grid.rowCount(), 7);
    QCOMPARE(grid.getCell(0, 1), QStringLiteral("查询全部"));
    QCOMPARE(grid.getCell(5, 0), QStringLiteral("练习语句"));
}

void TestRemoteSheet::largeSheetRoundTrip()
{
    // Far more than one piece of the driver's transfers, both ways.
    QVERIFY(select(QStringLiteral("有表")));
    GridControl &grid = *c().高级表格2;
    const int rows = 5000;
    grid.setRowCount(rows);
    QString text;
    for (int row = 0; row < rows; ++row) {
        const QString left = QStringLiteral("第%1行").arg(row);
        const QString right = QStringLiteral("数据库查询操作练习，爱好者学习的好帮手 %1").arg(row * 7);
        grid.setCell(row, 0, left);
        grid.setCell(row, 1, right);
        text += left + QLatin1Char('\t') + right + QStringLiteral("\r\n");
    }
    const QByteArray expected = Cp936::encode(text);
    QVERIFY(expected.size() > 200 * 1024);
    c().按钮_高表到字节集->click();

    const QByteArray stored = storedSheet(12);
    QCOMPARE(stored.size(), expected.size());
    QVERIFY(stored == expected);

    QVERIFY(select(QStringLiteral("无表")));
    QVERIFY(select(QStringLiteral("有表")));
    QCOMPARE(m_state->currentSheetBytes.size(), expected.size());
    QVERIFY(m_state->currentSheetBytes == expected);
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.getCell(rows - 1, 1), QStringLiteral("数据库查询操作练习，爱好者学习的好帮手 %1").arg((rows - 1) * 7));
}

QTEST_MAIN(TestRemoteSheet)
#include "test_remote_sheet.moc"
