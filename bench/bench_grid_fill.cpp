// Fills a grid from a generated query result and prints how fast that goes
// and how much memory it took. Usage: bench_grid_fill [rows]  (default 100000)

#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "components/grid/GridControl.h"
#include "execution/ResultRenderer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

/// Peak resident memory of this process in kB, from /proc/self/status.
long peakMemoryKb()
{
    // Files under /proc report no size, so read to the end rather than test atEnd().
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("VmHWM:");
    return at < 0 ? -1 : std::atol(text.constData() + at + 6);
}

/// Eight columns of the usual kinds, with NULLs sprinkled in.
bool generateDatabase(const QString &path, int rows)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const char *schema =
        "CREATE TABLE t (id INTEGER PRIMARY KEY, qty SMALLINT, score REAL, price MONEY,"
        " born DATE, name VARCHAR(20), city VARCHAR(40), remark TEXT);";
    bool ok = sqlite3_exec(db, schema, nullptr, nullptr, nullptr) == SQLITE_OK
              && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt *insert = nullptr;
    ok = ok
         && sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?,?,?,?,?,?,?,?)", -1, &insert, nullptr)
                == SQLITE_OK;
    static const char *const cities[] = {"北京", "上海", "Guangzhou", "深圳", "Chengdu", "杭州"};
    const char *longText =
        "A longer remark about this person, written to make the text column carry "
        "something closer to a real comment field than a single word; 备注文字。";
    char buffer[64];
    for (int i = 1; ok && i <= rows; ++i) {
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_int(insert, 2, i % 1000);
        if (i % 11 == 0)
            sqlite3_bind_null(insert, 3);
        else
            sqlite3_bind_double(insert, 3, (i % 10007) / 7.0);
        sqlite3_bind_double(insert, 4, (i % 5000) * 1.25);
        if (i % 13 == 0) {
            sqlite3_bind_null(insert, 5);
        } else {
            std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", 1950 + i % 60, 1 + i % 12,
                          1 + i % 28);
            sqlite3_bind_text(insert, 5, buffer, -1, SQLITE_TRANSIENT);
        }
        std::snprintf(buffer, sizeof buffer, "name%d", i);
        sqlite3_bind_text(insert, 6, buffer, -1, SQLITE_TRANSIENT);
        if (i % 7 == 0)
            sqlite3_bind_null(insert, 7);
        else
            sqlite3_bind_text(insert, 7, cities[i % 6], -1, SQLITE_STATIC);
        if (i % 3 == 0)
            sqlite3_bind_null(insert, 8);
        else
            sqlite3_bind_text(insert, 8, longText, -1, SQLITE_STATIC);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

/// Wall-clock and process CPU time of one phase. The CPU figure holds up
/// better on a machine shared with other work.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuNs();
    }
    double wallMs() const { return double(m_wall.nsecsElapsed()) / 1e6; }
    double cpuMs() const { return double(cpuNs() - m_cpu) / 1e6; }

private:
    static qint64 cpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }
    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
};

struct Phase
{
    double wall = 0;
    double cpu = 0;
    static Phase of(const Stopwatch &watch) { return {watch.wallMs(), watch.cpuMs()}; }
    Phase operator+(const Phase &other) const { return {wall + other.wall, cpu + other.cpu}; }
    Phase operator-(const Phase &other) const { return {wall - other.wall, cpu - other.cpu}; }
};

void printPhase(const char *name, const Phase &phase)
{
    std::printf("%s: %.1f ms (CPU %.1f ms)\n", name, phase.wall, phase.cpu);
}

void printRate(const char *name, int records, const Phase &phase)
{
    std::printf("rows per second, %s: %.0f (by CPU time %.0f)\n", name, records / (phase.wall / 1000.0),
                records / (phase.cpu / 1000.0));
}

} // namespace

int main(int argc, char **argv)
{
    // A benchmark runs on machines without a display too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: bench_grid_fill [rows]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    if (!dir.isValid() || !generateDatabase(path, rows)) {
        std::fprintf(stderr, "could not generate the database in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const long idleKb = peakMemoryKb();

    DatabaseConnection connection;
    if (!connection.connectAccess(path, QString())) {
        std::fprintf(stderr, "could not connect: %s\n", qPrintable(connection.lastError()));
        return 1;
    }
    RecordSet records;
    records.bindConnection(&connection);

    const QString sql = QStringLiteral("SELECT * FROM t");
    Stopwatch watch;
    if (!records.open(sql, 1)) {
        std::fprintf(stderr, "could not open the query: %s\n", qPrintable(connection.lastError()));
        return 1;
    }
    const Phase open = Phase::of(watch);
    const int recordCount = records.recordCount();
    const int fieldCount = records.fieldCount();

    // Reading alone, so the grid's own share of the fill below can be told apart.
    watch.restart();
    qsizetype readChars = 0;
    {
        QString value;
        for (int field = 0; field < fieldCount; ++field) {
            for (records.moveFirst(); !records.isEof(); records.moveNext()) {
                records.readText(field, value);
                readChars += value.size();
            }
        }
        records.moveFirst();
    }
    const Phase read = Phase::of(watch);

    // The grid sits shown on screen, as the result grid does, and is hidden
    // for the fill.
    GridControl grid(5, 5, 1, 0, 24, 60);
    grid.resize(800, 500);
    grid.show();
    QApplication::processEvents();

    watch.restart();
    grid.setRowCount(recordCount + 1);
    grid.setColumnCount(fieldCount);
    grid.hide();
    QString text;
    for (int field = 0; field < fieldCount; ++field) {
        grid.setCell(0, field, records.fieldName(field));
        int row = 1;
        for (records.moveFirst(); !records.isEof(); records.moveNext(), ++row) {
            records.readText(field, text);
            grid.setCell(row, field, text);
        }
    }
    records.moveFirst();
    const Phase fill = Phase::of(watch);

    watch.restart();
    grid.show();
    grid.setCursor(1, 1);
    grid.repaint();
    QApplication::processEvents();
    const Phase show = Phase::of(watch);
    const long fillPeakKb = peakMemoryKb();

    std::printf("records: %d, fields: %d, characters: %lld\n", recordCount, fieldCount,
                static_cast<long long>(readChars));
    printPhase("open (SQLite into the record set)", open);
    printPhase("read every value with readText, no grid", read);
    printPhase("fill (readText and one setCell per cell, grid hidden)", fill);
    printPhase("grid's share of the fill (fill minus read)", fill - read);
    printPhase("show and paint", show);
    printRate("fill", recordCount, fill);
    printRate("open + fill + show", recordCount, open + fill + show);
    std::printf("peak memory before the query (VmHWM): %ld kB\n", idleKb);
    std::printf("peak memory after the fill (VmHWM): %ld kB\n", fillPeakKb);

    // The result renderer's path on the same query, into a fresh grid, for
    // comparison with the cell-by-cell fill above.
    GridControl rendered(5, 5, 1, 0, 24, 60);
    rendered.resize(800, 500);
    rendered.show();
    QApplication::processEvents();
    watch.restart();
    records.open(sql, 1);
    ResultRenderer::renderRecordSet(records, sql, rendered);
    const Phase render = Phase::of(watch);
    watch.restart();
    ResultRenderer::stripeRows(rendered);
    const Phase stripe = Phase::of(watch);
    watch.restart();
    rendered.repaint();
    QApplication::processEvents();
    const Phase paint = Phase::of(watch);
    printPhase("renderRecordSet (open included)", render);
    printPhase("stripeRows", stripe);
    printRate("renderRecordSet + stripeRows + paint", recordCount, render + stripe + paint);
    std::printf("peak memory after both grids (VmHWM): %ld kB\n", peakMemoryKb());
    return 0;
}
