// The application shell: start-up order, the connection choices and the
// states they leave, config.ini reading, and the size handler.
#include "support/TestSupport.h"

#include "app/ConnectWindow.h"
#include "app/core/AppPaths.h"
#include "app/core/IniFile.h"
#include "catalogue/CatalogueTree.h"
#include "components/data/Cp936.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void startupOrder();
    void localChoice();
    void localChoiceFailsWithoutDatabase();
    void remoteChoiceFailsThenLocal();
    void closedWithoutChoice();
    void configValues_data();
    void configValues();
    void configMissingFile();
    void sizeHandler_data();
    void sizeHandler();
    void exitRoutineReleasesState();
    void designLayout_data();
    void designLayout();
};

void TestShell::startupOrder()
{
    TestWorkspace workspace;
    RecordingMessageService messages;
    ProgramState state;
    int treeItemsWhileConnecting = -1;
    bool boundWhileConnecting = true;
    QTimer::singleShot(0, [&] {
        auto *connectWindow = dynamic_cast<ConnectWindow *>(QApplication::activeModalWidget());
        QVERIFY(connectWindow);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *main = dynamic_cast<MainWindow *>(w)) {
                treeItemsWhileConnecting = main->controls().树型框1->topLevelItemCount();
                boundWhileConnecting = main->controls().记录集->connection() != nullptr;
            }
        }
        connectWindow->按钮2->click();
    });
    MainWindow window(state);
    QCOMPARE(treeItemsWhileConnecting, 0);
    QVERIFY(!boundWhileConnecting);
    QVERIFY(window.controls().树型框1->topLevelItemCount() > 0);
    QCOMPARE(window.controls().记录集->connection(), window.controls().数据库连接);
    QVERIFY(messages.shown.isEmpty());
}

void TestShell::localChoice()
{
    TestWorkspace workspace;
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Local);
    QCOMPARE(state.accessMode, 1);
    QCOMPARE(state.sqlServerMode, 0);
    QVERIFY(window->controls().数据库连接->isOpen());
    QVERIFY(!window->controls().按钮_插入行->isEnabled());
    QVERIFY(!window->controls().按钮_高表到字节集->isEnabled());
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Qorvex"));
}

void TestShell::localChoiceFailsWithoutDatabase()
{
    TestWorkspace workspace(false);
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Local);
    QCOMPARE(state.accessMode, 0);
    QCOMPARE(state.sqlServerMode, 0);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("连接MDB失败")});
    QCOMPARE(messages.shown.first().caption, QStringLiteral("信息："));
    QCOMPARE(messages.shown.first().icon, MessageService::Icon::None);
    // Nothing was created where the database should be.
    QVERIFY(!QFile::exists(workspace.databasePath()));
    QCOMPARE(window->controls().树型框1->topLevelItemCount(), 0);
    QVERIFY(!window->controls().按钮_插入行->isEnabled());
}

void TestShell::remoteChoiceFailsThenLocal()
{
    TestWorkspace workspace;
    // A port where nothing listens: the connect fails at once.
    workspace.writeConfig("[config]\nip=127.0.0.1,1\n用户名=sa\n密码=x\n");
    RecordingMessageService messages;
    ProgramState state;
    QTimer::singleShot(0, [&] {
        auto *connectWindow = dynamic_cast<ConnectWindow *>(QApplication::activeModalWidget());
        QVERIFY(connectWindow);
        connectWindow->按钮1->click();
        QVERIFY(connectWindow->isVisible()); // stays open after a failed remote attempt
        connectWindow->按钮2->click();
    });
    MainWindow window(state);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("连接SQL失败!,远程服务器未开启或服务器忙!请使用MDB数据库连接.")});
    QCOMPARE(state.sqlServerMode, 0);
    QCOMPARE(state.accessMode, 1);
    QVERIFY(!window.controls().按钮_插入行->isEnabled());
}

void TestShell::closedWithoutChoice()
{
    TestWorkspace workspace;
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Close);
    QCOMPARE(state.accessMode, 0);
    QCOMPARE(state.sqlServerMode, 0);
    QVERIFY(!window->controls().数据库连接->isOpen());
    QCOMPARE(window->controls().树型框1->topLevelItemCount(), 0);
    QVERIFY(messages.shown.isEmpty());
}

void TestShell::configValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");

    const QString user = QStringLiteral("管理员");
    QTest::newRow("utf-8") << QString("[config]\nip=10.0.0.5\n用户名=管理员\n密码=p;w\n").toUtf8()
                           << QStringLiteral("10.0.0.5") << user << QStringLiteral("p;w");
    QTest::newRow("utf-8 with BOM and CR LF")
        << QByteArray("\xEF\xBB\xBF") + QString("[config]\r\nip = 10.0.0.6 \r\n用户名=管理员\r\n密码=\r\n").toUtf8()
        << QStringLiteral("10.0.0.6") << user << QString();
    QTest::newRow("code page 936")
        << Cp936::encode(QStringLiteral("[config]\nip=10.0.0.7\n用户名=管理员\n密码=秘密\n")) << QStringLiteral("10.0.0.7")
        << user << QStringLiteral("秘密");
    QTest::newRow("section and keys in another case")
        << QByteArray("[CONFIG]\nIP=h\n") << QStringLiteral("h") << QString() << QString();
    QTest::newRow("other section only") << QByteArray("[other]\nip=h\n") << QString() << QString() << QString();
    QTest::newRow("no section") << QByteArray("ip=h\n") << QString() << QString() << QString();
    QTest::newRow("duplicate keys: the first wins")
        << QByteArray("[config]\nip=first\nip=second\n") << QStringLiteral("first") << QString() << QString();
    QTest::newRow("binary noise") << QByteArray("\x00\xff\xfe[config\x01\n=\n\x80\x81", 13) << QString()
                                  << QString() << QString();
}

void TestShell::configValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, ip);
    QFETCH(QString, user);
    QFETCH(QString, password);

    TestWorkspace workspace;
    workspace.writeConfig(bytes);
    ProgramState state;
    DatabaseConnection connection;
    ConnectWindow window(state, connection);
    QCOMPARE(state.serverAddress, ip);
    QCOMPARE(state.serverUser, user);
    QCOMPARE(state.serverPassword, password);
    QCOMPARE(window.按钮1->text(), QStringLiteral("连接远程SQL数据库"));
    QCOMPARE(window.按钮2->text(), QStringLiteral("连接本地MDB数据库"));
    QCOMPARE(window.size(), QSize(230, 178));
}

void TestShell::configMissingFile()
{
    TestWorkspace workspace;
    QFile::remove(AppPaths::configFile());
    ProgramState state;
    state.sqlServerMode = 1;
    state.accessMode = 1;
    DatabaseConnection connection;
    ConnectWindow window(state, connection);
    QCOMPARE(state.sqlServerMode, 0);
    QCOMPARE(state.accessMode, 0);
    QVERIFY(state.serverAddress.isEmpty());
    QVERIFY(state.serverUser.isEmpty());
    QVERIFY(state.serverPassword.isEmpty());
    QVERIFY(IniFile::readValue(AppPaths::configFile(), "config", "ip").isEmpty());
}

void TestShell::sizeHandler_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("gridHeight");
    QTest::addColumn<int>("grid4Width");
    QTest::newRow("tab 0") << 0 << 528 << 778;
    QTest::newRow("tab 1") << 1 << 528 << 778;
    QTest::newRow("tab 2") << 2 << 504 << 754;
}

void TestShell::sizeHandler()
{
    QFETCH(int, tab);
    QFETCH(int, gridHeight);
    QFETCH(int, grid4Width);

    TestWorkspace workspace;
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Local);
    MainControls &c = window->controls();
    c.选择夹1->setCurrentIndex(tab);
    window->resize(1008, 700);
    window->sizeHandler();
    QCOMPARE(window->width(), 1008);
    QCOMPARE(window->height(), 700);
    QCOMPARE(c.树型框1->width(), 160);

    QCOMPARE(c.编辑框_执行语句->width(), 660);
    QCOMPARE(c.选择夹1->size(), QSize(802, 552));
    QCOMPARE(c.高级表格2->columnWidth(1), 702);
    QCOMPARE(c.高级表格2->columnWidth(0), 80);
    QCOMPARE(c.编辑框_事件名称->width(), 454);
    QCOMPARE(c.高级表格1->width(), 792);
    QCOMPARE(c.高级表格1->height(), gridHeight);
    QCOMPARE(c.高级表格3->height(), gridHeight);
    QCOMPARE(c.高级表格4->width(), grid4Width);
    QCOMPARE(c.高级表格2->size(), QSize(786, 516));
    QCOMPARE(c.进度条1->width(), 616);
    QCOMPARE(c.进度条1->y(), 660);
    QCOMPARE(c.树型框1->height(), 670);
    QCOMPARE(c.标签2->height(), 500);
    QCOMPARE(c.超文本浏览框1->size(), QSize(790, 550));
    QCOMPARE(c.按钮_高表到字节集->pos(), QPoint(896, 654));
    QCOMPARE(c.按钮_插入行->pos(), QPoint(820, 654));
    // Untouched by the handler.
    QCOMPARE(c.分组框1->geometry(), QRect(168, 8, 26, 144));
    QCOMPARE(c.编辑框_执行语句->pos(), QPoint(336, 40));
    QCOMPARE(c.选择夹1->pos(), QPoint(195, 100));
    QCOMPARE(c.高级选择夹2->geometry(), QRect(8, 24, 573, 24));
}

void TestShell::exitRoutineReleasesState()
{
    ProgramState state;
    state.currentItemId = QStringLiteral("3");
    state.sheetLines = {QStringLiteral("a")};
    state.currentSheetBytes = "xyz";
    state.sqlServerMode = 1;
    state.release();
    QVERIFY(state.currentItemId.isEmpty());
    QVERIFY(state.sheetLines.isEmpty());
    QVERIFY(state.currentSheetBytes.isEmpty());
    QCOMPARE(state.sqlServerMode, 0);
}

// Each control of the window at design: parent, page of 选择夹1, the
// geometry values that the size handler leaves alone (-1: set by the
// handler), text and visibility at start.
void TestShell::designLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("page");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<bool>("visible");
    QTest::newRow("分组框1") << QStringLiteral("分组框1") << QStringLiteral("MainWindow") << -1 << QRect(168, 8, 26, 144) << QString() << false << true;
    QTest::newRow("超级按钮_插入目录") << QStringLiteral("超级按钮_插入目录") << QStringLiteral("分组框1") << -1 << QRect(5, 10, 16, 16) << QString() << false << true;
    QTest::newRow("超级按钮_插入子目录") << QStringLiteral("超级按钮_插入子目录") << QStringLiteral("分组框1") << -1 << QRect(5, 34, 16, 16) << QString() << false << true;
    QTest::newRow("超级按钮_删除") << QStringLiteral("超级按钮_删除") << QStringLiteral("分组框1") << -1 << QRect(4, 58, 16, 16) << QString() << false << true;
    QTest::newRow("超级按钮_上移") << QStringLiteral("超级按钮_上移") << QStringLiteral("分组框1") << -1 << QRect(5, 88, 16, 16) << QString() << false << true;
    QTest::newRow("超级按钮_下移") << QStringLiteral("超级按钮_下移") << QStringLiteral("分组框1") << -1 << QRect(5, 116, 16, 16) << QString() << false << true;
    QTest::newRow("标签2") << QStringLiteral("标签2") << QStringLiteral("MainWindow") << -1 << QRect(169, 160, 24, -1) << QStringLiteral("    数据库查询操作练习        爱好者学习的好帮手") << true << true;
    QTest::newRow("按钮_修改执行方式") << QStringLiteral("按钮_修改执行方式") << QStringLiteral("MainWindow") << -1 << QRect(200, 8, 56, 24) << QStringLiteral("修改保存") << true << true;
    QTest::newRow("标签1") << QStringLiteral("标签1") << QStringLiteral("MainWindow") << -1 << QRect(261, 8, 59, 24) << QStringLiteral("执行方式：") << true << true;
    QTest::newRow("编辑框_执行方式") << QStringLiteral("编辑框_执行方式") << QStringLiteral("MainWindow") << -1 << QRect(329, 8, 81, 24) << QStringLiteral("") << true << true;
    QTest::newRow("按钮_修改事件") << QStringLiteral("按钮_修改事件") << QStringLiteral("MainWindow") << -1 << QRect(418, 8, 56, 24) << QStringLiteral("修改保存") << true << true;
    QTest::newRow("标签7") << QStringLiteral("标签7") << QStringLiteral("MainWindow") << -1 << QRect(481, 7, 56, 24) << QStringLiteral("语句名称：") << true << true;
    QTest::newRow("编辑框_事件名称") << QStringLiteral("编辑框_事件名称") << QStringLiteral("MainWindow") << -1 << QRect(542, 8, -1, 24) << QStringLiteral("") << true << true;
    QTest::newRow("分组框5") << QStringLiteral("分组框5") << QStringLiteral("MainWindow") << -1 << QRect(196, 38, 132, 58) << QString() << false << true;
    QTest::newRow("按钮_修改命令") << QStringLiteral("按钮_修改命令") << QStringLiteral("分组框5") << -1 << QRect(6, 20, 56, 24) << QStringLiteral("修改保存") << true << true;
    QTest::newRow("执行按钮") << QStringLiteral("执行按钮") << QStringLiteral("分组框5") << -1 << QRect(68, 21, 56, 24) << QStringLiteral("执行语句") << true << true;
    QTest::newRow("编辑框_执行语句") << QStringLiteral("编辑框_执行语句") << QStringLiteral("MainWindow") << -1 << QRect(336, 40, -1, 56) << QString() << false << true;
    QTest::newRow("选择夹1") << QStringLiteral("选择夹1") << QStringLiteral("MainWindow") << -1 << QRect(195, 100, -1, -1) << QString() << false << true;
    QTest::newRow("高级表格1") << QStringLiteral("高级表格1") << QStringLiteral("选择夹1") << 0 << QRect(11, 27, -1, -1) << QString() << false << true;
    QTest::newRow("超文本浏览框1") << QStringLiteral("超文本浏览框1") << QStringLiteral("选择夹1") << 1 << QRect(12, 62, -1, -1) << QString() << false << true;
    QTest::newRow("高级表格2") << QStringLiteral("高级表格2") << QStringLiteral("选择夹1") << 1 << QRect(8, 58, -1, -1) << QString() << false << true;
    QTest::newRow("高级选择夹2") << QStringLiteral("高级选择夹2") << QStringLiteral("选择夹1") << 2 << QRect(8, 24, 573, 24) << QString() << false << true;
    QTest::newRow("高级表格3") << QStringLiteral("高级表格3") << QStringLiteral("选择夹1") << 2 << QRect(9, 80, 576, -1) << QString() << false << true;
    QTest::newRow("高级表格4") << QStringLiteral("高级表格4") << QStringLiteral("选择夹1") << 2 << QRect(205, 51, -1, 361) << QString() << false << false;
    QTest::newRow("进度条1") << QStringLiteral("进度条1") << QStringLiteral("MainWindow") << -1 << QRect(198, -1, -1, 16) << QString() << false << true;
    QTest::newRow("按钮_插入行") << QStringLiteral("按钮_插入行") << QStringLiteral("MainWindow") << -1 << QRect(-1, -1, 72, 24) << QStringLiteral("插入行") << true << true;
    QTest::newRow("按钮_高表到字节集") << QStringLiteral("按钮_高表到字节集") << QStringLiteral("MainWindow") << -1 << QRect(-1, -1, 100, 24) << QStringLiteral("保存例程源码") << true << true;
    QTest::newRow("分组框2") << QStringLiteral("分组框2") << QStringLiteral("MainWindow") << -1 << QRect(32, 208, 128, 120) << QString() << false << false;
}

void TestShell::designLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(int, page);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, hasText);
    QFETCH(bool, visible);

    TestWorkspace workspace;
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Local);
    window->show();
    MainControls &c = window->controls();
    c.选择夹1->setCurrentIndex(page < 0 ? 0 : page);

    auto *widget = window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    if (page < 0) {
        QCOMPARE(widget->parentWidget()->objectName(), parent);
    } else {
        QCOMPARE(widget->parentWidget(), c.选择夹1->page(page));
    }
    const QRect g = widget->geometry();
    if (geometry.left() != -1)
        QCOMPARE(g.left(), geometry.left());
    if (geometry.top() != -1)
        QCOMPARE(g.top(), geometry.top());
    if (geometry.width() != -1)
        QCOMPARE(g.width(), geometry.width());
    if (geometry.height() != -1)
        QCOMPARE(g.height(), geometry.height());
    if (hasText) {
        const QVariant value = widget->property("text");
        QCOMPARE(value.toString(), text);
    }
    QCOMPARE(widget->isVisible(), visible);
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"
