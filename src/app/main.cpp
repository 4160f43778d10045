#include "app/ConnectWindow.h"
#include "app/MainWindow.h"
#include "app/core/ProgramState.h"
#include "catalogue/CatalogueTree.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<ProgramState> g_state;

// The exit routine: releases the program state.
void exitRoutine()
{
    if (g_state)
        g_state->release();
    g_state.reset();
}

// --self-test: answers the connection window with the local file, checks
// that the catalogue loaded, and quits. The smoke test of the build runs it.
int selfTest(QApplication &app)
{
    QTimer::singleShot(0, [] {
        if (auto *window = dynamic_cast<ConnectWindow *>(QApplication::activeModalWidget()))
            window->按钮2->click();
    });
    MainWindow window(*g_state);
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    app.exec();
    const int items = window.catalogueTree().itemCount();
    std::printf("self-test: accessMode=%d, catalogue items=%d\n", g_state->accessMode, items);
    return g_state->accessMode == 1 && items > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // FreeTDS, the SQL Server driver on Linux, needs SQL Server's protocol
    // version: with its default "auto" a server that never answers outlasts
    // the login timeout. A value set by the user wins.
    if (qEnvironmentVariableIsEmpty("TDSVER"))
        qputenv("TDSVER", "7.4");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvex"));
    QApplication::setOrganizationDomain(QStringLiteral("qorvex.example"));

    g_state = std::make_unique<ProgramState>();
    std::atexit(exitRoutine);

    if (app.arguments().contains(QStringLiteral("--self-test")))
        return selfTest(app);

    MainWindow window(*g_state);
    window.show();
    app.exec();
    return 0;
}
