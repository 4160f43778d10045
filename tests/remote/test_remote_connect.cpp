// The remote choice of the connection window against a running server:
// the program connects to mstest with the login of config.ini, loads its
// catalogue from the server and enables the sheet buttons; a wrong address
// or login gives the failure message and leaves the program unconnected.
#include "RemoteServer.h"

#include "catalogue/CatalogueTree.h"

#include <QTest>

class TestRemoteConnect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void remoteChoiceConnects();
    void remoteChoiceFails_data();
    void remoteChoiceFails();

private:
    std::unique_ptr<RemoteServer::Lock> m_lock;
};

void TestRemoteConnect::initTestCase()
{
    QORVEX_REQUIRE_TEST_SERVER(m_lock);
    QVERIFY(RemoteServer::resetFixture());
}

void TestRemoteConnect::remoteChoiceConnects()
{
    // A directory that only the server has shows that the tree comes from it.
    QVERIFY(RemoteServer::exec(QStringLiteral("INSERT INTO sql信息表 (编号, 事件, 父编号, 级别) "
                                              "SELECT max(编号) + 1, '只在服务器', 0, 1 + (SELECT max(级别) FROM "
                                              "sql信息表 WHERE 父编号 = 0) FROM sql信息表")));
    const QList<QStringList> directories = RemoteServer::rows(
        QStringLiteral("SELECT 事件 FROM sql信息表 WHERE 父编号 = 0 ORDER BY 级别"));
    QVERIFY(!directories.isEmpty());

    TestWorkspace workspace;
    workspace.writeConfig(RemoteServer::configText(RemoteServer::address(), RemoteServer::user(),
                                                   RemoteServer::password()));
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Remote);
    MainControls &c = window->controls();

    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(state.sqlServerMode, 1);
    QCOMPARE(state.accessMode, 0);
    QCOMPARE(state.serverAddress, RemoteServer::address());
    QVERIFY(c.数据库连接->isOpen());
    QCOMPARE(c.记录集->connection(), c.数据库连接);
    QVERIFY(c.按钮_插入行->isEnabled());
    QVERIFY(c.按钮_高表到字节集->isEnabled());

    QStringList top;
    for (int i = 0; i < c.树型框1->topLevelItemCount(); ++i)
        top.append(c.树型框1->topLevelItem(i)->text(0));
    QStringList expected;
    for (const QStringList &row : directories)
        expected.append(row.first());
    QCOMPARE(top, expected);
    QCOMPARE(top.last(), QStringLiteral("只在服务器"));
    QVERIFY(RemoteServer::resetFixture());
}

void TestRemoteConnect::remoteChoiceFails_data()
{
    QTest::addColumn<QByteArray>("config");
    const QString server = RemoteServer::address();
    // Nothing listens on this loopback address: the connect is refused at once.
    QTest::newRow("wrong address") << RemoteServer::configText(QStringLiteral("127.0.0.254"), RemoteServer::user(),
                                                               RemoteServer::password());
    QTest::newRow("wrong password") << RemoteServer::configText(server, RemoteServer::user(), QStringLiteral("x"));
    QTest::newRow("unknown login") << RemoteServer::configText(server, QStringLiteral("nobody"),
                                                               RemoteServer::password());
    QTest::newRow("no config.ini") << QByteArray();
}

void TestRemoteConnect::remoteChoiceFails()
{
    QFETCH(QByteArray, config);
    TestWorkspace workspace;
    if (config.isEmpty())
        QFile::remove(workspace.dir() + QStringLiteral("/config.ini"));
    else
        workspace.writeConfig(config);
    RecordingMessageService messages;
    ProgramState state;
    // The window stays open after the failure; the helper then closes it.
    auto window = openMainWindow(state, ConnectChoice::Remote);
    MainControls &c = window->controls();

    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("连接SQL失败!,远程服务器未开启或服务器忙!请使用MDB数据库连接.")});
    QCOMPARE(messages.shown.first().caption, QStringLiteral("信息："));
    QCOMPARE(messages.shown.first().icon, MessageService::Icon::None);
    QCOMPARE(state.sqlServerMode, 0);
    QCOMPARE(state.accessMode, 0);
    QVERIFY(!c.数据库连接->isOpen());
    QVERIFY(!c.按钮_插入行->isEnabled());
    QVERIFY(!c.按钮_高表到字节集->isEnabled());
    QCOMPARE(c.树型框1->topLevelItemCount(), 0);
}

QTEST_MAIN(TestRemoteConnect)
#include "test_remote_connect.moc"
