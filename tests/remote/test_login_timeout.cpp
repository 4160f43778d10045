// A SQL Server that accepts the connection and never answers must not hold
// the window for ever: both of the program's connections give up at their
// login timeout and the failure is reported as usual. The program's own
// connection text goes to the FreeTDS driver, registered as "SQL Server" in
// a private driver list, and to a local listener that never says a word.
#include "support/SilentServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace {

QString freeTdsDriver()
{
    const QStringList candidates{QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"),
                                 QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so"),
                                 QStringLiteral("/usr/lib/odbc/libtdsodbc.so")};
    for (const QString &path : candidates) {
        if (QFile::exists(path))
            return path;
    }
    return {};
}

// The window must come back well within this; without a login timeout it
// never comes back at all.
constexpr qint64 kBoundMs = 45 * 1000;

} // namespace

class TestLoginTimeout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void remoteChoiceGivesUp();
    void masterConnectionGivesUp();

private:
    QTemporaryDir m_odbcDir;
    SilentServer m_server;
};

void TestLoginTimeout::initTestCase()
{
    const QString driver = freeTdsDriver();
    if (driver.isEmpty())
        QSKIP("the FreeTDS ODBC driver (tdsodbc) is not installed");
    QVERIFY(m_server.port() > 0);
    // Before the first ODBC call: unixODBC reads the driver list from here.
    QFile ini(m_odbcDir.filePath(QStringLiteral("odbcinst.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[SQL Server]\nDriver=%1\n").arg(driver).toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(m_odbcDir.path()));
    qputenv("ODBCINSTINI", "odbcinst.ini");
    // The protocol the launcher gives FreeTDS. With Debian's default "auto",
    // FreeTDS answers a login timeout by retrying with the Sybase protocol,
    // and that attempt never ends.
    qputenv("TDSVER", "7.4");
    qunsetenv("TDSPORT");
}

void TestLoginTimeout::remoteChoiceGivesUp()
{
    TestWorkspace workspace;
    // FreeTDS takes the port after a comma, as SQL Server's own client does.
    workspace.writeConfig(QStringLiteral("[config]\nip=127.0.0.1,%1\n用户名=sa\n密码=kzqpw\n")
                              .arg(m_server.port())
                              .toUtf8());
    RecordingMessageService messages;
    ProgramState state;
    QElapsedTimer timer;
    timer.start();
    auto window = openMainWindow(state, ConnectChoice::Remote);
    const qint64 elapsed = timer.elapsed();

    QVERIFY2(m_server.takeArrivals() >= 1, "the connect never reached the silent server");
    QVERIFY2(elapsed < kBoundMs, qPrintable(QStringLiteral("the connect took %1 ms").arg(elapsed)));
    QCOMPARE(state.sqlServerMode, 0);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("连接SQL失败!,远程服务器未开启或服务器忙!请使用MDB数据库连接.")});
    QVERIFY(!window->controls().数据库连接->isOpen());
}

void TestLoginTimeout::masterConnectionGivesUp()
{
    // The local file is open; the rename mode still reaches for master on the
    // silent server, and every line of its script reports failure.
    TestWorkspace workspace;
    workspace.writeConfig(QStringLiteral("[config]\nip=127.0.0.1,%1\n用户名=sa\n密码=kzqpw\n")
                              .arg(m_server.port())
                              .toUtf8());
    RecordingMessageService messages;
    ProgramState state;
    auto window = openMainWindow(state, ConnectChoice::Local);
    QCOMPARE(state.accessMode, 1);
    m_server.takeArrivals();
    messages.reset();

    MainControls &c = window->controls();
    state.currentItemName = QStringLiteral("改名");
    state.currentMode = QStringLiteral("数据库改名");
    state.currentSql = QStringLiteral("ALTER DATABASE a RENAME TO b\r\nALTER DATABASE b RENAME TO a");
    c.setStatementText(state.currentSql);
    QElapsedTimer timer;
    timer.start();
    c.执行按钮->click();
    const qint64 elapsed = timer.elapsed();

    QVERIFY2(m_server.takeArrivals() >= 1, "the master connection never reached the silent server");
    QVERIFY2(elapsed < kBoundMs, qPrintable(QStringLiteral("the script took %1 ms").arg(elapsed)));
    QCOMPARE(messages.texts(), (QStringList{QStringLiteral("执行语句[ALTER DATABASE a RENAME TO b]失败!请检查库是否存在."),
                                            QStringLiteral("执行语句[ALTER DATABASE b RENAME TO a]失败!请检查库是否存在.")}));
    QVERIFY(!c.数据库连接1->isOpen());
}

QTEST_MAIN(TestLoginTimeout)
#include "test_login_timeout.moc"
