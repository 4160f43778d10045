#pragma once

struct MainControls;

/// The execute button: runs the editor's statement by the item's mode.
class StatementExecutor
{
public:
    explicit StatementExecutor(MainControls &controls);

    /// Click handler of 执行按钮.
    void execute();

private:
    MainControls &m_c;
};
