// The whole execute path on a large result: the click on 执行按钮 for a
// "记录集" statement until the striped grid is back on screen, on a generated
// file of 100,000 rows × 8 columns. Prints the median of 5 runs, a breakdown
// of its steps, and the sqlite3 shell's time for the same query beside it.
#include "app/ConnectWindow.h"
#include "app/MainWindow.h"
#include "app/core/AppPaths.h"
#include "app/core/MessageService.h"
#include "components/data/RecordSet.h"
#include "execution/ResultRenderer.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int rowCount = 100000;
constexpr int runs = 5;
const QString query = QStringLiteral("SELECT * FROM 成绩单");

// Message boxes would stop the run; count them instead.
class SilentMessages : public MessageService
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

bool createDatabase(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    // Eight columns of the kinds a practice table holds: integers, texts,
    // doubles, money, numerics, dates and bits, a few NULLs among them.
    const char *sql = R"(
        CREATE TABLE sql信息表 (编号 INTEGER PRIMARY KEY, 事件 VARCHAR(50), 父编号 INTEGER, 级别 INTEGER,
                               SQL语句 MEMO, 执行方式 VARCHAR(50), 源码段 MEMO, 数据集 LONGBINARY);
        CREATE TABLE 成绩单 (编号 INTEGER PRIMARY KEY, 姓名 VARCHAR(20), 分数 REAL, 工资 MONEY,
                             绩效 NUMERIC(8,2), 出生日期 DATE, 在职 BIT, 备注 VARCHAR(100));
        WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)
        INSERT INTO 成绩单
        SELECT i, '学生' || i, (i % 1000) / 8.0 + 0.005, 3000 + (i % 700) * 12.5, (i % 997) * 1.005,
               printf('%04d-%02d-%02d', 1960 + i % 50, 1 + i % 12, 1 + i % 28),
               i % 2, CASE WHEN i % 10 = 0 THEN NULL ELSE '备注文字 ' || (i * 7919 % 100000) END
        FROM n;)";
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianMs(const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("data"));
    AppPaths::setProgramDir(dir.path());
    const QString path = AppPaths::databaseFile();
    if (!createDatabase(path)) {
        std::fprintf(stderr, "could not create %s\n", qPrintable(path));
        return 1;
    }
    SilentMessages messages;
    MessageService::install(&messages);

    ProgramState state;
    QTimer::singleShot(0, [] {
        if (auto *window = dynamic_cast<ConnectWindow *>(QApplication::activeModalWidget()))
            window->按钮2->click();
    });
    MainWindow window(state);
    window.show();
    QApplication::processEvents();
    if (state.accessMode != 1) {
        std::fprintf(stderr, "could not connect to %s\n", qPrintable(path));
        return 1;
    }
    MainControls &c = window.controls();
    state.currentMode = QStringLiteral("记录集");
    state.currentItemName = QStringLiteral("成绩单");
    c.setStatementText(query);

    // Click → rendered, striped grid, painted once.
    const double clickMs = medianMs([&] {
        c.执行按钮->click();
        c.高级表格1->viewport()->repaint();
    });
    if (c.高级表格1->rowCount() != rowCount + 1 || c.高级表格1->columnCount() != 8 || messages.count > 0) {
        std::fprintf(stderr, "unexpected result: %d × %d\n", c.高级表格1->rowCount(), c.高级表格1->columnCount());
        return 1;
    }

    // The steps on their own.
    RecordSet &records = *c.记录集;
    const double openMs = medianMs([&] { records.open(query, 1); });
    const double renderMs = medianMs([&] {
        records.open(query, 1);
        ResultRenderer::renderRecordSet(records, query, *c.高级表格1);
    }) - openMs;
    const double stripeMs = medianMs([&] { ResultRenderer::stripeRows(*c.高级表格1); });
    const double paintMs = medianMs([&] { c.高级表格1->viewport()->repaint(); });
    // How much of the rendering is the record set's own text of each value.
    const int fields = records.fieldCount();
    const double readMs = medianMs([&] {
        for (int field = 0; field < fields; ++field)
            for (int record = 0; record < rowCount; ++record)
                records.textAt(record, field);
    });

    std::printf("execute path, %d rows × 8 columns, median of %d:\n", rowCount, runs);
    std::printf("  click → rendered, striped grid: %8.1f ms  (%.0f rows/s)\n", clickMs, rowCount / (clickMs / 1000.0));
    std::printf("    open the record set:          %8.1f ms\n", openMs);
    std::printf("    render into the grid:         %8.1f ms\n", renderMs);
    std::printf("      of which reading values:    %8.1f ms\n", readMs);
    std::printf("    stripe the rows:              %8.1f ms\n", stripeMs);
    std::printf("    paint the grid:               %8.1f ms\n", paintMs);

    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        std::printf("  sqlite3 not found: no comparison\n");
        return 0;
    }
    bool shellOk = true;
    const double shellMs = medianMs([&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(shell, {QStringLiteral("-csv"), path, query});
        shellOk = process.waitForFinished(60000) && process.exitCode() == 0 && shellOk;
    });
    if (!shellOk) {
        std::printf("  sqlite3 failed: no comparison\n");
        return 0;
    }
    std::printf("  sqlite3 -csv db \"query\" > /dev/null: %8.1f ms  (%.0f rows/s)\n", shellMs,
                rowCount / (shellMs / 1000.0));
    std::printf("  ratio execute / sqlite3:        %8.2f\n", clickMs / shellMs);
    return 0;
}
