#pragma once

// A main window on a catalogue of the test's own rows, connected to the local
// file, with a message recorder installed.

#include "support/TestSupport.h"

#include "app/core/AppPaths.h"
#include "catalogue/CatalogueEditor.h"
#include "catalogue/CatalogueTree.h"
#include "viewer/ExampleSelection.h"
#include "viewer/ExampleSheet.h"

#include <QFile>
#include <QTreeWidget>

#include <memory>

struct CatalogueFixture
{
    /// rowsSql runs on the empty catalogue before the window opens.
    explicit CatalogueFixture(const QString &rowsSql = QString())
    {
        workspace.useEmptyCatalogue();
        if (!rowsSql.isEmpty())
            ok = TestDb::exec(db(), rowsSql);
        window = openMainWindow(state, ConnectChoice::Local);
        messages.reset();
    }

    QString db() const { return workspace.databasePath(); }
    MainControls &c() const { return window->controls(); }
    CatalogueTree &tree() const { return window->catalogueTree(); }
    CatalogueEditor &editor() const { return window->catalogueEditor(); }
    ExampleSheet &sheet() const { return window->exampleSheet(); }

    /// The rows of the catalogue as "编号|事件|父编号|级别", ordered by 编号.
    QStringList rows() const
    {
        QStringList out;
        for (const QStringList &row :
             TestDb::rows(db(), QStringLiteral("select 编号, 事件, 父编号, 级别 from sql信息表 order by 编号")))
            out.append(row.join(QLatin1Char('|')));
        return out;
    }
    /// Texts of the top-level items, in order.
    QStringList topTexts() const
    {
        QStringList out;
        for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
            out.append(c().树型框1->topLevelItem(i)->text(0));
        return out;
    }
    /// The item at the depth-first index with the given text, or null.
    QTreeWidgetItem *findItem(const QString &text) const
    {
        for (int i = 0; i < tree().itemCount(); ++i) {
            if (tree().itemText(i) == text)
                return tree().itemAt(i);
        }
        return nullptr;
    }
    /// Expands the top-level items so their children are loaded.
    void expandAll() const
    {
        for (int i = 0; i < c().树型框1->topLevelItemCount(); ++i)
            c().树型框1->topLevelItem(i)->setExpanded(true);
    }
    /// Makes the named item current (the selection handler runs); expands
    /// directories first so statements can be found.
    bool select(const QString &text) const
    {
        expandAll();
        QTreeWidgetItem *item = findItem(text);
        if (!item)
            return false;
        c().树型框1->setCurrentItem(item);
        return c().state->currentItemName == text;
    }

    QString pagePath(const QString &name) const { return workspace.photoDir() + QLatin1Char('/') + name + QStringLiteral(".htm"); }
    void writePage(const QString &name, const QByteArray &bytes) const
    {
        QFile file(pagePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }
    QByteArray readPage(const QString &name) const
    {
        QFile file(pagePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    RecordingMessageService messages;
    TestWorkspace workspace;
    ProgramState state;
    std::unique_ptr<MainWindow> window;
    bool ok = true;
};
