// Faults under the running program: the database file read-only, locked by
// another process, deleted or replaced; the disk full while a sheet is
// saved; the SQL Server stopped in the middle of a session and started
// again. Each operation fails the way the program reports failures, nothing
// the learner had is lost or half-written, and the program goes on working.

#include "ProgramFixture.h"
#include "remote/RemoteServer.h"

#include "catalogue/CatalogueEditor.h"
#include "viewer/ExampleSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace Reliability;

namespace {

using Answer = MessageService::Answer;

const QStringList kCatalogue{QStringLiteral("1|D1|0|1"),  QStringLiteral("2|D2|0|2"),  QStringLiteral("10|Q|1|1"),
                             QStringLiteral("11|C|1|2"),  QStringLiteral("12|M|1|3"),  QStringLiteral("13|R|1|4"),
                             QStringLiteral("20|S1|2|1"), QStringLiteral("21|S2|2|2"), QStringLiteral("22|S3|2|3")};

// The catalogue operations a learner can start, each on the item S2 (or its
// directory D2 for the statement insert).
enum class Operation {
    InsertDirectory,
    InsertStatement,
    Delete,
    MoveUp,
    MoveDown,
    Rename,
    SaveSql,
    SaveMode,
    SaveSheet,
};

void addOperations()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("insert directory") << int(Operation::InsertDirectory) << QStringList();
    QTest::newRow("insert statement") << int(Operation::InsertStatement)
                                      << QStringList{QStringLiteral("插入—D2—新事件4失败！")};
    QTest::newRow("delete") << int(Operation::Delete) << QStringList{QStringLiteral("注意!将删除该目录及其子目录！删除后不可恢复！您真的要删除吗？")};
    QTest::newRow("move up") << int(Operation::MoveUp) << QStringList();
    QTest::newRow("move down") << int(Operation::MoveDown) << QStringList();
    QTest::newRow("rename") << int(Operation::Rename) << QStringList();
    QTest::newRow("save SQL") << int(Operation::SaveSql) << QStringList();
    QTest::newRow("save mode") << int(Operation::SaveMode) << QStringList();
    QTest::newRow("save sheet") << int(Operation::SaveSheet) << QStringList();
}

/// Selects what the operation works on.
void selectTarget(Program &p, Operation operation)
{
    const bool onDirectory = operation == Operation::InsertStatement;
    QVERIFY(p.select(onDirectory ? QStringLiteral("D2") : QStringLiteral("S2")));
    p.messages.reset();
}

/// Runs the operation as the learner would, on the selected item.
void perform(Program &p, Operation operation)
{
    MainControls &c = p.c();
    switch (operation) {
    case Operation::InsertDirectory:
        c.超级按钮_插入目录->click();
        break;
    case Operation::InsertStatement:
        c.超级按钮_插入子目录->click();
        break;
    case Operation::Delete:
        p.messages.answers.append(Answer::Ok);
        c.超级按钮_删除->click();
        break;
    case Operation::MoveUp:
        c.超级按钮_上移->click();
        break;
    case Operation::MoveDown:
        c.超级按钮_下移->click();
        break;
    case Operation::Rename:
        c.编辑框_事件名称->setText(QStringLiteral("新名字"));
        c.按钮_修改事件->click();
        break;
    case Operation::SaveSql:
        c.setStatementText(QStringLiteral("SELECT '新'"));
        c.按钮_修改命令->click();
        break;
    case Operation::SaveMode:
        c.编辑框_执行方式->setText(QStringLiteral("数据库连接"));
        c.按钮_修改执行方式->click();
        break;
    case Operation::SaveSheet:
        c.高级表格2->setCell(0, 0, QStringLiteral("新"));
        // The sheet buttons serve the SQL Server connection; on the local
        // file the same save runs when it is called.
        p.window->exampleSheet().saveSheet();
        break;
    }
}

void run(Program &p, Operation operation)
{
    selectTarget(p, operation);
    perform(p, operation);
}

/// What a successful run of the operation leaves in the catalogue.
bool changedCatalogue(const QString &db, Operation operation)
{
    const QStringList rows = catalogue(db);
    switch (operation) {
    case Operation::InsertDirectory:
        return rows.contains(QStringLiteral("23|新目录3|0|3"));
    case Operation::InsertStatement:
        return rows.contains(QStringLiteral("23|新事件4|2|4"));
    case Operation::Delete:
        return !rows.contains(QStringLiteral("21|S2|2|2"));
    case Operation::MoveUp:
        return rows.contains(QStringLiteral("21|S2|2|1"));
    case Operation::MoveDown:
        return rows.contains(QStringLiteral("21|S2|2|3"));
    case Operation::Rename:
        return rows.contains(QStringLiteral("21|新名字|2|2"));
    case Operation::SaveSql:
        return TestDb::value(db, QStringLiteral("SELECT SQL语句 FROM sql信息表 WHERE 编号=21")) == QStringLiteral("SELECT '新'");
    case Operation::SaveMode:
        return TestDb::value(db, QStringLiteral("SELECT 执行方式 FROM sql信息表 WHERE 编号=21"))
               == QStringLiteral("数据库连接");
    case Operation::SaveSheet:
        return TestDb::blob(db, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号=21")).startsWith("\xd0\xc2\t");
    }
    return false;
}

QString setupRows()
{
    return catalogueRows() + QStringLiteral("UPDATE sql信息表 SET 数据集=x'%1' WHERE 编号=21;")
                                 .arg(QString::fromLatin1(QByteArray("\xbe\xc9\t\xb1\xed\r\n").toHex()));
}

/// A tmpfs mounted over a folder for the test's lifetime. Mounting needs
/// root (CAP_SYS_ADMIN); reason() says why it could not be had.
class SmallDisk
{
public:
    SmallDisk(const QString &dir, const QString &options)
        : m_dir(QFile::encodeName(dir))
    {
        if (::geteuid() != 0) {
            m_reason = QStringLiteral("mounting a small file system needs root");
            return;
        }
        if (::mount("tmpfs", m_dir.constData(), "tmpfs", 0, options.toLatin1().constData()) != 0) {
            m_reason = QStringLiteral("mount is not permitted here: ") + QString::fromLocal8Bit(strerror(errno));
            return;
        }
        m_mounted = true;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    bool makeReadOnly()
    {
        return ::mount("tmpfs", m_dir.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_dir;
    QString m_reason;
    bool m_mounted = false;
};

/// Moves the workspace's database onto a fresh tmpfs mounted over data/.
std::unique_ptr<SmallDisk> databaseOnSmallDisk(const TestWorkspace &workspace, const QString &options)
{
    const QString db = workspace.databasePath();
    const QString aside = workspace.dir() + QStringLiteral("/aside.mdb");
    if (!QFile::rename(db, aside))
        return nullptr;
    auto disk = std::make_unique<SmallDisk>(QFileInfo(db).absolutePath(), options);
    QFile::copy(aside, db);
    QFile::remove(aside);
    return disk;
}

/// Fills the file system that holds dir up to its last few blocks.
qint64 fill(const QString &dir, const QString &name)
{
    QFile filler(dir + QLatin1Char('/') + name);
    if (!filler.open(QIODevice::WriteOnly))
        return 0;
    const QByteArray block(4096, 'f');
    qint64 written = 0;
    while (filler.write(block) == block.size() && filler.flush())
        written += block.size();
    filler.close();
    return written;
}

/// Another process that holds a lock on the database file until release():
/// the sqlite3 shell in a transaction.
class LockHolder
{
public:
    /// begin is "BEGIN EXCLUSIVE" (nobody else reads or writes) or a read
    /// transaction "BEGIN; SELECT count(*) FROM sql信息表" (nobody else commits).
    bool hold(const QString &db, const QString &begin)
    {
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (shell.isEmpty())
            return false;
        m_shell.setProgram(shell);
        m_shell.setArguments({db});
        m_shell.start();
        if (!m_shell.waitForStarted())
            return false;
        m_shell.write((begin + QStringLiteral(";\nSELECT 'held';\n")).toUtf8());
        while (!m_shell.readAllStandardOutput().contains("held")) {
            if (!m_shell.waitForReadyRead(10000))
                return false;
        }
        return true;
    }
    void release()
    {
        if (m_shell.state() == QProcess::NotRunning)
            return;
        m_shell.write("COMMIT;\n.quit\n");
        m_shell.closeWriteChannel();
        m_shell.waitForFinished(10000);
    }
    ~LockHolder() { release(); }

private:
    QProcess m_shell;
};

void checkNothingLost(const QString &db, const QStringList &catalogueBefore)
{
    QCOMPARE(catalogue(db), catalogueBefore);
    QCOMPARE(levelGap(db), QString());
    QCOMPARE(TestDb::blob(db, QStringLiteral("SELECT 数据集 FROM sql信息表 WHERE 编号=21")),
             QByteArray("\xbe\xc9\t\xb1\xed\r\n"));
    QCOMPARE(TestDb::value(db, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyDatabase_data() { addOperations(); }
    void readOnlyDatabase();
    void lockedDatabase_data() { addOperations(); }
    void lockedDatabase();
    void writerBlockedAtCommit_data() { addOperations(); }
    void writerBlockedAtCommit();
    void databaseDeleted();
    void databaseReplaced_data();
    void databaseReplaced();
    void diskFullWhileSavingSheet();
    void serverStoppedAndStarted();
};

void TestFaults::readOnlyDatabase()
{
    QFETCH(int, operation);
    QFETCH(QStringList, messages);

    Program p(setupRows(), ConnectChoice::Close);
    QVERIFY(p.setupOk);
    QVERIFY(writeFile(p.pagePath(QStringLiteral("S2")), "page of S2"));
    std::unique_ptr<SmallDisk> disk;
    const QString dataDir = QFileInfo(p.db()).absolutePath();
    if (::geteuid() == 0) {
        // Permissions do not hold root back: a read-only mount does.
        disk = databaseOnSmallDisk(p.workspace, QStringLiteral("size=4m"));
        QVERIFY(disk);
        if (!disk->mounted())
            QSKIP(qPrintable(disk->reason()));
        QVERIFY(disk->makeReadOnly());
    } else {
        QVERIFY(QFile::setPermissions(p.db(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(dataDir, QFile::ReadOwner | QFile::ExeOwner));
    }
    p.open();
    QCOMPARE(p.state.accessMode, 1);
    const QStringList filesBefore = files(p.workspace.photoDir());

    run(p, Operation(operation));
    QCOMPARE(p.messages.texts(), messages);
    checkNothingLost(p.db(), kCatalogue);
    // The page stays with its item, under the name the row still has.
    QCOMPARE(files(p.workspace.photoDir()), filesBefore);
    // The catalogue is still shown, and reading goes on.
    QCOMPARE(p.topTexts(), (QStringList{QStringLiteral("D1"), QStringLiteral("D2")}));
    QVERIFY(p.select(QStringLiteral("S2")));
    QCOMPARE(p.state.currentSheetBytes, QByteArray("\xbe\xc9\t\xb1\xed\r\n"));
    QVERIFY(p.queryWorks());
    if (disk)
        p.window.reset();
    else
        QFile::setPermissions(dataDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestFaults::lockedDatabase()
{
    QFETCH(int, operation);

    Program p(setupRows());
    QVERIFY(p.setupOk);
    selectTarget(p, Operation(operation));
    LockHolder other;
    if (!other.hold(p.db(), QStringLiteral("BEGIN EXCLUSIVE")))
        QSKIP("the sqlite3 shell is needed to lock the file from another process");

    perform(p, Operation(operation));
    // Nobody can read the file: the selection finds no row and the
    // statement insert is refused, or the operation fails quietly.
    for (const QString &text : p.messages.texts()) {
        QVERIFY2(!text.contains(QStringLiteral("成功")), qPrintable(text));
    }
    other.release();
    checkNothingLost(p.db(), kCatalogue);

    // With the lock gone, the catalogue is shown and the operation works.
    QCOMPARE(p.topTexts(), (QStringList{QStringLiteral("D1"), QStringLiteral("D2")}));
    run(p, Operation(operation));
    QVERIFY(changedCatalogue(p.db(), Operation(operation)));
    QCOMPARE(levelGap(p.db()), QString());
    QVERIFY(p.queryWorks());
}

void TestFaults::writerBlockedAtCommit()
{
    QFETCH(int, operation);
    QFETCH(QStringList, messages);

    // Another process reads in an open transaction: this program can read
    // and prepare a write, but never commit it.
    Program p(setupRows());
    QVERIFY(p.setupOk);
    LockHolder other;
    if (!other.hold(p.db(), QStringLiteral("BEGIN; SELECT count(*) FROM sql信息表")))
        QSKIP("the sqlite3 shell is needed to lock the file from another process");

    run(p, Operation(operation));
    QCOMPARE(p.messages.texts(), messages);
    other.release();
    checkNothingLost(p.db(), kCatalogue);

    // Nothing of the failed write hangs on: the next edits are stored for good.
    p.messages.reset();
    run(p, Operation(operation));
    QVERIFY(changedCatalogue(p.db(), Operation(operation)));
    p.c().超级按钮_插入目录->click();
    p.window.reset();
    QVERIFY(catalogue(p.db()).filter(QStringLiteral("|新目录3|0|3")).size() == 1);
    QCOMPARE(levelGap(p.db()), QString());
}

void TestFaults::databaseDeleted()
{
    Program p(setupRows());
    QVERIFY(p.setupOk);
    QVERIFY(p.select(QStringLiteral("S2")));
    QVERIFY(QFile::remove(p.db()));

    for (Operation operation : {Operation::InsertDirectory, Operation::Rename, Operation::SaveSheet,
                                Operation::MoveUp}) {
        run(p, operation);
        // No new, empty database appears where the old one was, and no
        // write into the deleted file passes for a stored one.
        QVERIFY(!QFile::exists(p.db()));
        QVERIFY(p.messages.shown.isEmpty());
    }
    QVERIFY(!p.findItem(QStringLiteral("新目录3")));
    QVERIFY(p.select(QStringLiteral("S2")));
    // What was read before goes on being shown, and queries still run.
    QCOMPARE(p.topTexts(), (QStringList{QStringLiteral("D1"), QStringLiteral("D2")}));
    QVERIFY(p.queryWorks());
    QVERIFY(QDir(QFileInfo(p.db()).absolutePath()).entryList(QDir::Files).isEmpty());
}

void TestFaults::databaseReplaced_data()
{
    QTest::addColumn<bool>("validDatabase");
    QTest::newRow("by another catalogue") << true;
    QTest::newRow("by a file that is no database") << false;
}

void TestFaults::databaseReplaced()
{
    QFETCH(bool, validDatabase);

    Program p(setupRows());
    QVERIFY(p.setupOk);
    QVERIFY(p.select(QStringLiteral("S2")));
    // Another file is moved into the database's place, as a copy or restore does.
    const QString other = p.workspace.dir() + QStringLiteral("/other.mdb");
    if (validDatabase) {
        QVERIFY(TestDb::exec(other, QStringLiteral("CREATE TABLE sql信息表 (编号 INTEGER PRIMARY KEY, 事件 TEXT, 父编号 "
                                                   "INTEGER, 级别 INTEGER, SQL语句 TEXT, 执行方式 TEXT, 源码段 TEXT, 数据集 BLOB);"
                                                   "INSERT INTO sql信息表 VALUES (5,'别的',0,1,NULL,NULL,NULL,NULL);")));
    } else {
        QVERIFY(writeFile(other, QByteArray(8192, '\x5a')));
    }
    const QByteArray replacement = readFile(other);
    QVERIFY(QFile::remove(p.db()));
    QVERIFY(QFile::rename(other, p.db()));

    for (Operation operation : {Operation::InsertDirectory, Operation::Rename, Operation::SaveSheet,
                                Operation::Delete, Operation::MoveDown}) {
        if (operation == Operation::Delete)
            p.messages.answers.append(Answer::Ok);
        run(p, operation);
        // The file now in place is not written to, nor is a journal of the
        // old one left beside it to be played into it later.
        QCOMPARE(readFile(p.db()), replacement);
        QVERIFY(!QFile::exists(p.db() + QStringLiteral("-journal")));
    }
    QVERIFY(p.queryWorks());
}

void TestFaults::diskFullWhileSavingSheet()
{
    Program p(setupRows(), ConnectChoice::Close);
    QVERIFY(p.setupOk);
    const QString dataDir = QFileInfo(p.db()).absolutePath();
    std::unique_ptr<SmallDisk> disk = databaseOnSmallDisk(p.workspace, QStringLiteral("size=4m"));
    QVERIFY(disk);
    if (!disk->mounted())
        QSKIP(qPrintable(disk->reason()));
    p.open();
    QCOMPARE(p.state.accessMode, 1);
    QVERIFY(p.select(QStringLiteral("S2")));
    const QStringList before = snapshot(p.db());
    QVERIFY(fill(dataDir, QStringLiteral("filler")) > 0);

    // A sheet far larger than the room left.
    GridControl &sheet = *p.c().高级表格2;
    sheet.clear();
    sheet.setRowCount(200);
    for (int row = 0; row < 200; ++row)
        sheet.setCell(row, 1, QString(2000, QChar(0x5B57)));
    p.window->exampleSheet().saveSheet();
    QVERIFY(p.messages.shown.isEmpty());
    QCOMPARE(snapshot(p.db()), before);
    QCOMPARE(TestDb::value(p.db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    // Other writes fail the same way while the disk is full.
    p.c().超级按钮_插入目录->click();
    QCOMPARE(snapshot(p.db()), before);

    // Room again: the same sheet is saved, and the catalogue edits work.
    QVERIFY(QFile::remove(dataDir + QStringLiteral("/filler")));
    QVERIFY(p.select(QStringLiteral("S2")));
    sheet.clear();
    sheet.setRowCount(200);
    for (int row = 0; row < 200; ++row)
        sheet.setCell(row, 1, QString(2000, QChar(0x5B57)));
    p.window->exampleSheet().saveSheet();
    QCOMPARE(TestDb::value(p.db(), QStringLiteral("SELECT length(数据集) FROM sql信息表 WHERE 编号=21")).toInt(),
             200 * (1 + 4000 + 2));
    p.c().超级按钮_插入目录->click();
    p.window.reset();
    QVERIFY(catalogue(p.db()).contains(QStringLiteral("23|新目录3|0|3")));
    QCOMPARE(levelGap(p.db()), QString());
}

namespace {

/// Stops and starts the test server's cluster (tests/support/test_server.sh).
class ServerControl
{
public:
    ServerControl()
    {
        m_dir = QFileInfo(RemoteServer::fixtureScript()).absolutePath();
        const QStringList versions =
            QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        if (!versions.isEmpty())
            m_pgCtl = QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(versions.last());
    }
    ~ServerControl()
    {
        if (m_stopped)
            start();
    }
    bool stop()
    {
        m_stopped = run({QStringLiteral("-D"), m_dir + QStringLiteral("/data"), QStringLiteral("-m"),
                         QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"),
                         QStringLiteral("stop")});
        return m_stopped;
    }
    bool start()
    {
        const bool ok = run({QStringLiteral("-D"), m_dir + QStringLiteral("/data"), QStringLiteral("-l"),
                             m_dir + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("-t"),
                             QStringLiteral("30"), QStringLiteral("-o"),
                             QStringLiteral("-p ") + qEnvironmentVariable("PGPORT", QStringLiteral("5432")),
                             QStringLiteral("start")});
        if (ok)
            m_stopped = false;
        return ok;
    }

private:
    bool run(const QStringList &args)
    {
        QProcess process;
        // PostgreSQL does not run as root: the cluster belongs to postgres.
        if (::geteuid() == 0)
            process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                                 QStringLiteral("--"), m_pgCtl} + args);
        else
            process.start(m_pgCtl, args);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }

    QString m_dir;
    QString m_pgCtl;
    bool m_stopped = false;
};

} // namespace

void TestFaults::serverStoppedAndStarted()
{
    std::unique_ptr<RemoteServer::Lock> lock;
    QORVEX_REQUIRE_TEST_SERVER(lock);
    QVERIFY(RemoteServer::resetFixture());
    QVERIFY(RemoteServer::setCatalogue(
        QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (1,'D1',0,1);"
                       "INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (2,'D2',0,2);"
                       "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (10,'Q',1,1,'select 1','记录集');"
                       "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式,数据集) "
                       "  VALUES (20,'S1',2,1,'select 1','记录集','\\x610962300d0a'::bytea);"
                       "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (21,'S2',2,2,'select 2','记录集');"
                       "INSERT INTO sql信息表 (编号,事件,父编号,级别,SQL语句,执行方式) VALUES (22,'S3',2,3,'select 3','记录集');")));
    const QStringList rowsBefore = RemoteServer::catalogueRows();

    Program p(QString(), ConnectChoice::Close);
    p.workspace.writeConfig(
        RemoteServer::configText(RemoteServer::address(), RemoteServer::user(), RemoteServer::password()));
    p.open(ConnectChoice::Remote);
    QCOMPARE(p.state.sqlServerMode, 1);
    QVERIFY(p.select(QStringLiteral("S1")));
    QCOMPARE(p.c().高级表格2->getCell(0, 1), QStringLiteral("b0"));

    ServerControl server;
    QVERIFY(server.stop());

    // Every operation fails as it reports failures; none hangs.
    p.messages.reset();
    p.c().执行按钮->click();
    QCOMPARE(p.messages.texts(), QStringList{QStringLiteral("S1_执行失败！")});
    p.messages.reset();
    p.c().高级表格2->setCell(0, 1, QStringLiteral("新的"));
    p.c().按钮_高表到字节集->click();
    p.c().编辑框_事件名称->setText(QStringLiteral("新名字"));
    p.c().按钮_修改事件->click();
    p.c().超级按钮_下移->click();
    p.messages.answers.append(Answer::Ok);
    p.c().超级按钮_删除->click();
    p.c().超级按钮_插入目录->click();
    QCOMPARE(p.messages.texts(),
             QStringList{QStringLiteral("注意!将删除该目录及其子目录！删除后不可恢复！您真的要删除吗？")});
    // The catalogue that was shown stays shown.
    QCOMPARE(p.topTexts(), (QStringList{QStringLiteral("D1"), QStringLiteral("D2")}));

    QVERIFY(server.start());
    QCOMPARE(RemoteServer::catalogueRows(), rowsBefore);
    QCOMPARE(RemoteServer::bytes(QStringLiteral("数据集"), QStringLiteral("sql信息表 WHERE 编号=20")),
             QByteArray("a\tb0\r\n"));

    // The program goes on working with the server that is back.
    p.messages.reset();
    QVERIFY(p.select(QStringLiteral("S1")));
    QCOMPARE(p.c().高级表格2->getCell(0, 1), QStringLiteral("b0"));
    p.c().执行按钮->click();
    QVERIFY2(p.messages.shown.isEmpty(), qPrintable(p.messages.texts().join(QLatin1Char('\n'))));
    QCOMPARE(p.c().状态条1->partText(0), QStringLiteral(" 符合条件的记录有： 1 条"));
    p.c().超级按钮_下移->click();
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT 级别 FROM sql信息表 WHERE 编号=20")), QStringLiteral("2"));
    QCOMPARE(RemoteServer::value(QStringLiteral("SELECT 级别 FROM sql信息表 WHERE 编号=21")), QStringLiteral("1"));
    QCOMPARE(levelGap(RemoteServer::rows(QStringLiteral("SELECT 父编号, 级别 FROM sql信息表"))), QString());
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
