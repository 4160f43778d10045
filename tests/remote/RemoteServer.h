#pragma once

// What the SQL Server tests share: the test server's address, a lock that
// runs one of these programs at a time (they all reset the same database),
// the reset of mstest to the bundled rows, and a direct line to the server
// (psql) for setting up and checking rows behind the program's back.
//
// The server is started by tests/support/test_server.sh; without it
// (QORVEX_TEST_SERVER unset) the tests skip.

#include "support/TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

namespace RemoteServer {

inline QString address()
{
    return qEnvironmentVariable("QORVEX_TEST_SERVER");
}

inline QString fixtureScript()
{
    return qEnvironmentVariable("QORVEX_TEST_FIXTURE");
}

/// The login the program uses for master, which the test server also gives mstest.
inline QString user()
{
    return QStringLiteral("sa");
}
inline QString password()
{
    return QStringLiteral("kzqpw");
}

/// config.ini text naming a server, a login name and a password.
inline QByteArray configText(const QString &server, const QString &login, const QString &pass)
{
    return QStringLiteral("[config]\nip=%1\n用户名=%2\n密码=%3\n").arg(server, login, pass).toUtf8();
}

/// Held while a test program uses the server: programs that run at the same
/// time under ctest -j take turns.
class Lock
{
public:
    Lock()
        : m_file(QFileInfo(fixtureScript()).absolutePath() + QStringLiteral("/remote-tests.lock"))
    {
        m_file.setStaleLockTime(0);
        m_locked = m_file.tryLock(280 * 1000);
    }
    bool locked() const { return m_locked; }

private:
    QLockFile m_file;
    bool m_locked = false;
};

/// Result of one psql run.
struct Reply
{
    bool ok = false;
    QString error;
    QList<QStringList> rows;
};

/// Runs SQL (or a script file) with psql on a database of the test server
/// as sa. Rows come back as texts, NULL as the empty text.
inline Reply psql(const QString &database, const QString &sql, const QString &scriptFile = QString())
{
    static const QChar unit(0x1f);
    static const QChar record(0x1e);
    QString program = qEnvironmentVariable("QORVEX_TEST_PSQL");
    if (program.isEmpty())
        program = QStringLiteral("psql");
    QStringList args{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                     QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                     QStringLiteral("-F"), QString(unit), QStringLiteral("-R"), QString(record),
                     QStringLiteral("-h"), address(), QStringLiteral("-U"), user(),
                     QStringLiteral("-d"), database};
    if (scriptFile.isEmpty())
        args << QStringLiteral("-c") << sql;
    else
        args << QStringLiteral("-f") << scriptFile;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), password());
    env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    env.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Reply reply;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        reply.error = QStringLiteral("psql did not finish");
        return reply;
    }
    reply.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    reply.error = QString::fromUtf8(process.readAllStandardError());
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    if (!out.isEmpty()) {
        for (const QString &line : out.split(record))
            reply.rows.append(line.split(unit));
    }
    return reply;
}

/// Every row of a query on mstest (or another database).
inline QList<QStringList> rows(const QString &sql, const QString &database = QStringLiteral("mstest"))
{
    return psql(database, sql).rows;
}

/// The first column of the first row, or the empty text.
inline QString value(const QString &sql, const QString &database = QStringLiteral("mstest"))
{
    const QList<QStringList> all = rows(sql, database);
    return all.isEmpty() || all.first().isEmpty() ? QString() : all.first().first();
}

inline bool exec(const QString &sql, const QString &database = QStringLiteral("mstest"))
{
    const Reply reply = psql(database, sql);
    if (!reply.ok)
        qWarning("psql: %s", qPrintable(reply.error));
    return reply.ok;
}

/// A bytea value read exactly: the server sends it as hexadecimal.
inline QByteArray bytes(const QString &byteaExpression, const QString &from)
{
    const QString hex = value(QStringLiteral("SELECT encode(%1, 'hex') FROM %2").arg(byteaExpression, from));
    return QByteArray::fromHex(hex.toLatin1());
}

/// Puts mstest back to the bundled tables and rows.
inline bool resetFixture()
{
    const Reply reply = psql(QStringLiteral("mstest"), QString(), fixtureScript());
    if (!reply.ok)
        qWarning("resetting mstest failed: %s", qPrintable(reply.error));
    return reply.ok;
}

/// Replaces the catalogue's rows by the given INSERT statements' rows.
inline bool setCatalogue(const QString &insertSql)
{
    return exec(QStringLiteral("DELETE FROM sql信息表; ") + insertSql);
}

/// The catalogue's rows as "编号|事件|父编号|级别", ordered by 编号.
inline QStringList catalogueRows()
{
    QStringList out;
    for (const QStringList &row : rows(QStringLiteral("SELECT 编号, 事件, 父编号, 级别 FROM sql信息表 ORDER BY 编号")))
        out.append(row.join(QLatin1Char('|')));
    return out;
}

} // namespace RemoteServer

/// Skips the test function when no test server runs; otherwise waits for the
/// other server tests to finish (the lock is kept by the caller).
#define QORVEX_REQUIRE_TEST_SERVER(lock)                                                                               \
    do {                                                                                                               \
        if (RemoteServer::address().isEmpty() || RemoteServer::fixtureScript().isEmpty())                              \
            QSKIP("no test server: run ./test.sh, or start tests/support/test_server.sh");                             \
        lock = std::make_unique<RemoteServer::Lock>();                                                                 \
        QVERIFY2(lock->locked(), "another server test held the server too long");                                      \
    } while (false)
