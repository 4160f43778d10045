// The program's speed beside the database engine's: the sqlite3 shell
// producing the same rows is the bar. Prints one line per figure:
//   1. the execute path of a "记录集" statement, click to striped, painted
//      grid, at 100,000 and 1,000,000 rows × 8 columns, and the peak memory
//      at 1,000,000 rows against the size of the result as CSV;
//   2. start-up of the real program to its shown window with the catalogue;
//   3. the schema browser's table choice on a table of 100,000 rows;
//   4. the execute path at 10,000, 100,000 and 1,000,000 rows.
// Every time is the median of 5 runs; the shell runs alternate with ours.
//
// Usage (./bench.sh does this): bench_qorvex --program <folder of the staged qorvex>
// The driver starts itself again once per measurement, so that every peak
// of memory is that of one measurement alone:
//   bench_qorvex --execute <program folder> <table> <rows>
//   bench_qorvex --browse <program folder> <table> <rows>
// For profiling one of those under a profiler, a folder with the program
// and the generated tables is made by
//   bench_qorvex --prepare <folder of the staged qorvex> <new folder>
#include "app/ConnectWindow.h"
#include "app/MainWindow.h"
#include "app/core/AppPaths.h"
#include "app/core/MessageService.h"
#include "catalogue/CatalogueTree.h"
#include "components/data/DatabaseConnection.h"
#include "components/data/RecordSet.h"
#include "components/grid/GridControl.h"
#include "execution/ResultRenderer.h"
#include "schema/SchemaBrowser.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kSizes[] = {10000, 100000, 1000000};

QString tableFor(int rows)
{
    return QStringLiteral("成绩单_%1").arg(rows);
}

// ---- measuring -------------------------------------------------------------

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

qint64 cpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
};

Timing timed(const std::function<void()> &run)
{
    QElapsedTimer wall;
    const qint64 cpu = cpuNs();
    wall.start();
    run();
    return {double(wall.nsecsElapsed()) / 1e6, double(cpuNs() - cpu) / 1e6};
}

// A field of /proc/self/status in kB, -1 where there is none.
long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf(field);
    return at < 0 ? -1 : std::atol(text.constData() + at + qstrlen(field));
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

QString sqliteShell()
{
    return QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
}

// One run of `sqlite3 -csv <db> "<query>"` with its output thrown away (or
// kept in a file); the wall time from start to exit, -1 on failure.
double runShell(const QString &database, const QString &query, const QString &outputFile = QString())
{
    QProcess process;
    process.setStandardOutputFile(outputFile.isEmpty() ? QProcess::nullDevice() : outputFile);
    QElapsedTimer wall;
    wall.start();
    process.start(sqliteShell(), {QStringLiteral("-csv"), database, query});
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    return double(wall.nsecsElapsed()) / 1e6;
}

// ---- the program in this process (child modes) -----------------------------

// Message boxes would stop the run; they are counted instead.
class CountedMessages : public MessageService
{
public:
    Answer show(const QString &text, const QString &, Icon, Buttons) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++count;
        return Answer::Ok;
    }
    int count = 0;
};

// The main window as the user gets it: the connection window answered with
// the local file, the window shown and drawn.
std::unique_ptr<MainWindow> startProgram(const QString &programDir, ProgramState &state)
{
    AppPaths::setProgramDir(programDir);
    QTimer::singleShot(0, [] {
        if (auto *window = dynamic_cast<ConnectWindow *>(QApplication::activeModalWidget()))
            window->按钮2->click();
    });
    auto window = std::make_unique<MainWindow>(state);
    window->show();
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) && waited.elapsed() < 10000)
        QApplication::processEvents();
    QApplication::processEvents();
    if (state.accessMode != 1) {
        std::fprintf(stderr, "could not open %s\n", qPrintable(AppPaths::databaseFile()));
        return nullptr;
    }
    return window;
}

// Runs ours and the shell's alternately, kRuns times each, and prints the
// medians as a RESULT line that the driver reads.
void measureBesideShell(const char *mode, int rows, const QString &database, const QString &query,
                        const std::function<Timing()> &ours, long idleKb, qint64 csvBytes)
{
    std::vector<double> oursWall, oursCpu, shell;
    for (int i = 0; i < kRuns; ++i) {
        shell.push_back(runShell(database, query));
        const Timing t = ours();
        oursWall.push_back(t.wallMs);
        oursCpu.push_back(t.cpuMs);
    }
    QStringList runs;
    for (int i = 0; i < kRuns; ++i)
        runs.append(QStringLiteral("%1/%2").arg(oursWall[size_t(i)], 0, 'f', 1).arg(shell[size_t(i)], 0, 'f', 1));
    std::printf("DETAIL runs, ours/shell ms: %s\n", qPrintable(runs.join(QLatin1Char(' '))));
    std::printf("RESULT mode=%s rows=%d ours_ms=%.1f ours_cpu_ms=%.1f shell_ms=%.1f csv_bytes=%lld idle_kb=%ld "
                "peak_kb=%ld\n",
                mode, rows, median(oursWall), median(oursCpu), median(shell), static_cast<long long>(csvBytes), idleKb,
                statusKb("VmHWM:"));
    std::fflush(stdout);
}

qint64 csvSize(const QString &database, const QString &query)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("result.csv"));
    if (runShell(database, query, file) < 0)
        return -1;
    return QFileInfo(file).size();
}

// --execute: the click on 执行按钮 for a "记录集" statement until the striped
// result grid is painted.
int runExecute(const QString &programDir, const QString &table, int rows)
{
    CountedMessages messages;
    MessageService::install(&messages);
    ProgramState state;
    auto window = startProgram(programDir, state);
    if (!window)
        return 1;
    const long idleKb = statusKb("VmRSS:");
    MainControls &c = window->controls();
    const QString query = QStringLiteral("SELECT * FROM ") + table;
    // As after choosing a statement item of mode "记录集" and typing the query
    // into the SQL editor.
    state.currentMode = QStringLiteral("记录集");
    state.currentItemName = table;
    c.setStatementText(query);
    c.执行按钮->setEnabled(true);
    // Also brings the file into the system's cache for both sides.
    const qint64 csvBytes = csvSize(AppPaths::databaseFile(), query);

    GridControl &grid = *c.高级表格1;
    measureBesideShell("execute", rows, AppPaths::databaseFile(), query,
                       [&] {
                           return timed([&] {
                               c.执行按钮->click();
                               grid.viewport()->repaint();
                           });
                       },
                       idleKb, csvBytes);
    if (grid.rowCount() != rows + 1 || grid.columnCount() != 8 || grid.isHidden() || grid.cursorRow() != 1
        || grid.backColour(1, 0) != ResultRenderer::oddRowColour || messages.count > 0) {
        std::fprintf(stderr, "unexpected result grid: %d × %d\n", grid.rowCount(), grid.columnCount());
        return 1;
    }

    // The steps one by one, once each, after the peak was taken.
    RecordSet &records = *c.记录集;
    const Timing open = timed([&] { records.open(query, 1); });
    const Timing render = timed([&] { ResultRenderer::renderRecordSet(records, query, grid); });
    const Timing stripe = timed([&] { ResultRenderer::stripeRows(grid); });
    const Timing paint = timed([&] { grid.viewport()->repaint(); });
    std::printf("DETAIL open the record set %.1f ms (CPU %.1f), render into the grid %.1f ms (CPU %.1f), "
                "stripe %.1f ms, paint %.1f ms\n",
                open.wallMs, open.cpuMs, render.wallMs, render.cpuMs, stripe.wallMs, paint.wallMs);
    return 0;
}

// --browse: the choice of a table's tab on page 2 until its data grid is painted.
int runBrowse(const QString &programDir, const QString &table, int rows)
{
    CountedMessages messages;
    MessageService::install(&messages);
    ProgramState state;
    auto window = startProgram(programDir, state);
    if (!window)
        return 1;
    const long idleKb = statusKb("VmRSS:");
    MainControls &c = window->controls();
    c.选择夹1->setCurrentIndex(2);
    window->schemaBrowser().onPageClicked();
    QApplication::processEvents();
    int tab = -1;
    for (int i = 0; i < c.高级选择夹2->count(); ++i) {
        if (c.高级选择夹2->tabText(i) == table)
            tab = i;
    }
    if (tab < 0) {
        std::fprintf(stderr, "no tab for %s\n", qPrintable(table));
        return 1;
    }
    const QString query = window->schemaBrowser().tableQuery(table);
    const qint64 csvBytes = csvSize(AppPaths::databaseFile(), query);

    GridControl &grid = *c.高级表格4;
    measureBesideShell("browse", rows, AppPaths::databaseFile(), query,
                       [&] {
                           return timed([&] {
                               window->schemaBrowser().onTableTabClicked(tab);
                               grid.viewport()->repaint();
                           });
                       },
                       idleKb, csvBytes);
    if (grid.rowCount() != rows + 1 || grid.columnCount() != 8 || grid.isHidden() || messages.count > 0) {
        std::fprintf(stderr, "unexpected data grid: %d × %d\n", grid.rowCount(), grid.columnCount());
        return 1;
    }
    return 0;
}

// ---- the driver -------------------------------------------------------------

bool copyFile(const QString &from, const QString &to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    return QFile::copy(from, to);
}

// The staged program with its course: the program file, config.ini, the
// database and the pages.
bool copyProgram(const QString &staged, const QString &to)
{
    if (!copyFile(staged + QStringLiteral("/qorvex"), to + QStringLiteral("/qorvex"))
        || !copyFile(staged + QStringLiteral("/config.ini"), to + QStringLiteral("/config.ini"))
        || !copyFile(staged + QStringLiteral("/data/人员信息库.mdb"), to + QStringLiteral("/data/人员信息库.mdb")))
        return false;
    QFile::setPermissions(to + QStringLiteral("/qorvex"),
                          QFile::permissions(staged + QStringLiteral("/qorvex")));
    const QDir pages(staged + QStringLiteral("/photo"));
    for (const QString &page : pages.entryList(QDir::Files)) {
        if (!copyFile(pages.filePath(page), to + QStringLiteral("/photo/") + page))
            return false;
    }
    return true;
}

// A table of n rows × 8 columns: integers, a short Chinese name, a small
// integer, reals, money, dates, cities and a long remark, NULLs among them.
bool addTable(const QString &database, int rows)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(database).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    // Put together by hand: the printf patterns in the text would take QString::arg's numbers.
    const QString table = tableFor(rows);
    const QByteArray sql = (QStringLiteral("BEGIN; CREATE TABLE ") + table + QStringLiteral(" (编号 INTEGER PRIMARY KEY, 姓名 VARCHAR(20), 年龄 SMALLINT, 分数 REAL, 工资 MONEY, "
        "  出生日期 DATE, 城市 VARCHAR(40), 备注 MEMO);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ") + QString::number(rows)
                                + QStringLiteral(") INSERT INTO ") + table + QStringLiteral(" SELECT i, '学生' || i, 18 + i % 50, "
        "  CASE WHEN i % 11 = 0 THEN NULL ELSE (i % 10007) / 7.0 END, "
        "  3000 + (i % 7001) * 1.25, "
        "  CASE WHEN i % 13 = 0 THEN NULL ELSE printf('%04d-%02d-%02d', 1950 + i % 60, 1 + i % 12, 1 + i % 28) END, "
        "  CASE i % 7 WHEN 0 THEN NULL WHEN 1 THEN '北京' WHEN 2 THEN '上海' WHEN 3 THEN 'Guangzhou' "
        "    WHEN 4 THEN '深圳' WHEN 5 THEN 'Chengdu' ELSE '杭州' END, "
        "  CASE WHEN i % 3 = 0 THEN NULL ELSE '第' || i || '号记录的备注：a longer remark about this person, "
        "closer to a real comment field than a single word.' END "
        "FROM n; COMMIT;"))
                              .toUtf8();
    char *error = nullptr;
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) == SQLITE_OK;
    if (!ok)
        std::fprintf(stderr, "could not fill %s: %s\n", qPrintable(table), error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return ok;
}

using Result = QMap<QString, QString>;

// Runs this program in one of its child modes and reads its RESULT line.
bool runChild(const QStringList &arguments, Result &result, QStringList &details)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(1800000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return false;
    }
    const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("RESULT "))) {
            for (const QString &pair : line.mid(7).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                result.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        } else if (line.startsWith(QLatin1String("DETAIL "))) {
            details.append(line.mid(7));
        }
    }
    return result.contains(QStringLiteral("ours_ms"));
}

struct Startup
{
    double ms = -1;
    long rssKb = -1;
};

// The real program in its own folder, from process start to the line it
// prints once its window is on screen with the catalogue.
Startup measureStartup(const QString &program)
{
    std::vector<double> times;
    long rssKb = -1;
    for (int i = 0; i < kRuns; ++i) {
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer wall;
        wall.start();
        process.start(program, {QStringLiteral("--bench-startup")});
        QByteArray output;
        double shownMs = -1;
        while (shownMs < 0 && process.waitForReadyRead(30000)) {
            output += process.readAllStandardOutput();
            if (output.contains('\n'))
                shownMs = double(wall.nsecsElapsed()) / 1e6;
        }
        process.waitForFinished(30000);
        output += process.readAllStandardOutput();
        if (shownMs < 0 || !output.contains("exposed=1") || process.exitCode() != 0) {
            std::fprintf(stderr, "start-up run failed: %s\n", output.constData());
            return {};
        }
        const qsizetype at = output.indexOf("rss_kb=");
        rssKb = at < 0 ? -1 : std::atol(output.constData() + at + 7);
        times.push_back(shownMs);
    }
    return {median(times), rssKb};
}

double number(const Result &result, const char *key)
{
    return result.value(QString::fromLatin1(key)).toDouble();
}

const char *verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

// A copy of the staged program whose database holds the generated tables.
bool prepare(const QString &staged, const QString &folder)
{
    if (!copyProgram(staged, folder)) {
        std::fprintf(stderr, "could not copy the staged program into %s\n", qPrintable(folder));
        return false;
    }
    for (const int rows : kSizes) {
        if (!addTable(folder + QStringLiteral("/data/人员信息库.mdb"), rows))
            return false;
    }
    return true;
}

int drive(const QString &staged)
{
    if (!QFileInfo::exists(staged + QStringLiteral("/qorvex"))
        || !QFileInfo::exists(staged + QStringLiteral("/data/人员信息库.mdb"))) {
        std::fprintf(stderr, "%s holds no staged qorvex with its data/ folder\n", qPrintable(staged));
        return 2;
    }
    if (sqliteShell().isEmpty()) {
        std::fprintf(stderr, "the sqlite3 shell is needed for the comparison\n");
        return 2;
    }
    QTemporaryDir work;
    const QString startupDir = work.filePath(QStringLiteral("startup"));
    const QString bigDir = work.filePath(QStringLiteral("big"));
    if (!work.isValid() || !copyProgram(staged, startupDir)) {
        std::fprintf(stderr, "could not copy the staged program into %s\n", qPrintable(work.path()));
        return 1;
    }
    const QString loadBefore = loadAverage();
    std::printf("Qorvex benchmarks; load average %s on %d cores; times are medians of %d runs\n",
                qPrintable(loadBefore), QThread::idealThreadCount(), kRuns);
    std::fflush(stdout);

    QElapsedTimer generation;
    generation.start();
    if (!prepare(staged, bigDir))
        return 1;
    std::printf("  (generated tables of 10,000, 100,000 and 1,000,000 rows × 8 columns in %.1f s)\n",
                double(generation.elapsed()) / 1000.0);
    std::fflush(stdout);

    // Goals 1 and 4: the execute path at each size.
    QMap<int, Result> executed;
    for (const int rows : kSizes) {
        Result result;
        QStringList details;
        if (!runChild({QStringLiteral("--execute"), bigDir, tableFor(rows), QString::number(rows)}, result, details))
            return 1;
        executed.insert(rows, result);
        const double ours = number(result, "ours_ms");
        const double shell = number(result, "shell_ms");
        const double limit = rows >= 1000000 ? 2.5 : 2.0;
        if (rows >= 100000) {
            std::printf("goal 1  execute path, %7d rows × 8: %8.1f ms (CPU %.1f); sqlite3 -csv %8.1f ms; "
                        "ratio %.2f (at most %.1f: %s)\n",
                        rows, ours, number(result, "ours_cpu_ms"), shell, ours / shell, limit,
                        verdict(ours / shell <= limit));
        }
        for (const QString &detail : details)
            std::printf("          %7d rows: %s\n", rows, qPrintable(detail));
        std::fflush(stdout);
    }
    {
        const Result &big = executed.value(1000000);
        const double peakMb = number(big, "peak_kb") / 1024.0;
        const double idleMb = number(big, "idle_kb") / 1024.0;
        const double csvMb = number(big, "csv_bytes") / (1024.0 * 1024.0);
        const double allowedMb = 3 * csvMb + idleMb;
        std::printf("goal 1  peak memory, 1000000 rows × 8: %.0f MB; result as CSV %.0f MB, idle %.0f MB; "
                    "(peak − idle) / CSV %.2f (at most 3, i.e. %.0f MB: %s)\n",
                    peakMb, csvMb, idleMb, (peakMb - idleMb) / csvMb, allowedMb, verdict(peakMb <= allowedMb));
    }

    // Goal 2: start-up of the real program.
    const Startup startup = measureStartup(startupDir + QStringLiteral("/qorvex"));
    if (startup.ms < 0)
        return 1;
    std::printf("goal 2  start-up to the shown window with the catalogue: %.1f ms (under 300: %s); "
                "idle footprint %.1f MB\n",
                startup.ms, verdict(startup.ms < 300), double(startup.rssKb) / 1024.0);
    std::fflush(stdout);

    // Goal 3: the schema browser's table choice.
    {
        Result result;
        QStringList details;
        if (!runChild({QStringLiteral("--browse"), bigDir, tableFor(100000), QStringLiteral("100000")}, result,
                      details))
            return 1;
        const double ours = number(result, "ours_ms");
        const double shell = number(result, "shell_ms");
        std::printf("goal 3  schema browser table choice, 100000 rows × 8: %8.1f ms (CPU %.1f); sqlite3 -csv "
                    "%8.1f ms; ratio %.2f (at most 2: %s)\n",
                    ours, number(result, "ours_cpu_ms"), shell, ours / shell, verdict(ours / shell <= 2.0));
    }

    // Goal 4: growth with the size of the result.
    {
        const double t10k = number(executed.value(10000), "ours_ms");
        const double t100k = number(executed.value(100000), "ours_ms");
        const double t1m = number(executed.value(1000000), "ours_ms");
        const double worst = std::max(t100k / t10k, t1m / t100k);
        std::printf("goal 4  execute path at 10k / 100k / 1M rows: %.1f / %.1f / %.1f ms; steps × %.1f and × %.1f "
                    "(each at most 12: %s)\n",
                    t10k, t100k, t1m, t100k / t10k, t1m / t100k, verdict(worst <= 12));
    }
    std::printf("load average at the end: %s\n", qPrintable(loadAverage()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // A benchmark runs on machines without a display too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--program"))
        return drive(QFileInfo(args[2]).absoluteFilePath());
    if (args.size() == 5 && args[1] == QLatin1String("--execute"))
        return runExecute(args[2], args[3], args[4].toInt());
    if (args.size() == 5 && args[1] == QLatin1String("--browse"))
        return runBrowse(args[2], args[3], args[4].toInt());
    if (args.size() == 4 && args[1] == QLatin1String("--prepare"))
        return prepare(QFileInfo(args[2]).absoluteFilePath(), args[3]) ? 0 : 1;
    std::fprintf(stderr, "usage: bench_qorvex --program <folder of the staged qorvex>\n");
    return 2;
}
