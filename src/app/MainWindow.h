#pragma once

#include "app/core/MainControls.h"

#include <QWidget>

#include <memory>

class CatalogueTree;
class CatalogueEditor;
class ExampleSheet;
class ExampleSelection;
class StatementExecutor;
class SchemaBrowser;

/// The start-up window "Qorvex": every control of the practice tool, its
/// five data-access components, and the subsystems wired to them.
class MainWindow : public QWidget
{
public:
    /// Builds the window, then runs its creation handler: the modal
    /// connection window first, then the result grid's stripes, the
    /// catalogue's first load, the binding of 记录集 and the sheet buttons.
    explicit MainWindow(ProgramState &state, QWidget *parent = nullptr);
    ~MainWindow() override;

    MainControls &controls() { return m_c; }
    CatalogueTree &catalogueTree() { return *m_tree; }
    CatalogueEditor &catalogueEditor() { return *m_editor; }
    ExampleSheet &exampleSheet() { return *m_sheet; }
    ExampleSelection &exampleSelection() { return *m_selection; }
    StatementExecutor &statementExecutor() { return *m_executor; }
    SchemaBrowser &schemaBrowser() { return *m_schema; }

    /// Recomputes sizes and a few positions from the client area.
    void sizeHandler();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void wireHandlers();
    void creationHandler();

    MainControls m_c;
    DatabaseConnection m_数据库连接;
    DatabaseConnection m_数据库连接1;
    RecordSet m_记录集;
    RecordSet m_记录集_分类;
    RecordSet m_记录集_查找;

    std::unique_ptr<CatalogueTree> m_tree;
    std::unique_ptr<CatalogueEditor> m_editor;
    std::unique_ptr<ExampleSheet> m_sheet;
    std::unique_ptr<ExampleSelection> m_selection;
    std::unique_ptr<StatementExecutor> m_executor;
    std::unique_ptr<SchemaBrowser> m_schema;
    bool m_created = false;
};
