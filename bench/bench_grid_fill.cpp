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

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
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
    QElapsedTimer timer;
    timer.start();
    if (!records.open(sql, 1)) {
        std::fprintf(stderr, "could not open the query: %s\n", qPrintable(connection.lastError()));
        return 1;
    }
    const double openMs = msSince(timer);
    const int recordCount = records.recordCount();
    const int fieldCount = records.fieldCount();

    // Reading alone, so the grid's own share of the fill below can be told apart.
    timer.restart();
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
    const double readMs = msSince(timer);

    // The grid sits shown on screen, as the result grid does, and is hidden
    // for the fill.
    GridControl grid(5, 5, 1, 0, 24, 60);
    grid.resize(800, 500);
    grid.show();
    QApplication::processEvents();

    timer.restart();
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
    const double fillMs = msSince(timer);

    timer.restart();
    grid.show();
    grid.setCursor(1, 1);
    grid.repaint();
    QApplication::processEvents();
    const double showMs = msSince(timer);
    const long fillPeakKb = peakMemoryKb();

    const double totalMs = openMs + fillMs + showMs;
    std::printf("records: %d, fields: %d\n", recordCount, fieldCount);
    std::printf("open (SQLite into the record set): %.1f ms\n", openMs);
    std::printf("read every value with readText, no grid (%lld characters): %.1f ms\n",
                static_cast<long long>(readChars), readMs);
    std::printf("fill (readText and one setCell per cell, grid hidden): %.1f ms\n", fillMs);
    std::printf("grid's share of the fill (fill minus read): %.1f ms\n", fillMs - readMs);
    std::printf("show and paint: %.1f ms\n", showMs);
    std::printf("rows per second, fill only: %.0f\n", recordCount / (fillMs / 1000.0));
    std::printf("rows per second, open + fill + show: %.0f\n", recordCount / (totalMs / 1000.0));
    std::printf("peak memory before the query (VmHWM): %ld kB\n", idleKb);
    std::printf("peak memory after the fill (VmHWM): %ld kB\n", fillPeakKb);

    // The result renderer's path on the same query, into a fresh grid, for
    // comparison with the cell-by-cell fill above.
    GridControl rendered(5, 5, 1, 0, 24, 60);
    rendered.resize(800, 500);
    rendered.show();
    QApplication::processEvents();
    timer.restart();
    records.open(sql, 1);
    ResultRenderer::renderRecordSet(records, sql, rendered);
    const double renderOnlyMs = msSince(timer);
    QElapsedTimer stripeTimer;
    stripeTimer.start();
    ResultRenderer::stripeRows(rendered);
    const double stripeMs = msSince(stripeTimer);
    rendered.repaint();
    QApplication::processEvents();
    const double renderMs = msSince(timer);
    std::printf("renderRecordSet (open included): %.1f ms\n", renderOnlyMs);
    std::printf("stripeRows: %.1f ms\n", stripeMs);
    std::printf("renderRecordSet + stripeRows + paint: %.1f ms\n", renderMs);
    std::printf("rows per second, renderRecordSet: %.0f\n", recordCount / (renderMs / 1000.0));
    std::printf("peak memory after both grids (VmHWM): %ld kB\n", peakMemoryKb());
    return 0;
}
