#include "ExampleSelection.h"

#include "ExampleSheet.h"
#include "app/core/AppPaths.h"
#include "app/core/MainControls.h"
#include "app/core/PageView.h"
#include "app/core/SqlText.h"
#include "catalogue/CatalogueTree.h"

namespace {

// A field read as text, as a whole number (also when the database hands it
// back as a decimal); the empty text gives 0.
int toInteger(const QString &text)
{
    return static_cast<int>(text.trimmed().toDouble());
}

} // namespace

ExampleSelection::ExampleSelection(MainControls &controls, CatalogueTree &tree, ExampleSheet &sheet)
    : m_c(controls)
    , m_tree(tree)
    , m_sheet(sheet)
{
}

void ExampleSelection::singleValue(const QString &sql, int &value)
{
    RecordSet &rs = *m_c.记录集;
    if (!rs.open(sql, 1))
        return;
    rs.readInt(0, value);
    rs.close();
}

void ExampleSelection::onCurrentItemChanged()
{
    ProgramState &state = *m_c.state;
    RecordSet &rs = *m_c.记录集;

    const int index = m_tree.currentIndex();
    state.currentItemId = QString::number(m_tree.itemValue(index));

    rs.open(QStringLiteral("select * from sql信息表  where 编号=") + state.currentItemId, 1);
    // The open by 编号 picks the row; the find confirms the name, quoted so a
    // name holding a quote still finds its own row.
    rs.find(QStringLiteral("事件=") + quoteSqlText(m_tree.itemText(index)), 1);
    QString levelText;
    QString parentText;
    rs.readText(u"sql语句", state.currentSql);
    rs.readText(u"执行方式", state.currentMode);
    rs.readText(u"级别", levelText);
    rs.readText(u"父编号", parentText);
    rs.readBytes(u"数据集", state.currentSheetBytes);
    rs.close();

    state.currentItemName = m_tree.itemText(index);

    m_c.编辑框_事件名称->setText(state.currentItemName);
    m_c.setStatementText(state.currentSql);
    m_c.编辑框_执行方式->setText(state.currentMode);

    PageView::showPage(m_c.超文本浏览框1, AppPaths::examplePagePath(state.currentItemName));

    if (!state.currentSheetBytes.isEmpty())
        m_sheet.loadSheet();
    else
        m_sheet.showDefaultSheet();
    m_c.高级表格2->setColumnWidth(1, m_c.选择夹1->width() - 100);

    m_c.执行按钮->setEnabled(true);

    const int level = toInteger(levelText);
    const int parent = toInteger(parentText);
    int parentId = 0;
    int last = 0;
    if (parent == 0) {
        m_c.执行按钮->setEnabled(false);
        singleValue(QStringLiteral("select max(级别) from sql信息表 WHERE 父编号=") + QStringLiteral("0"), last);
        m_c.超级按钮_下移->setEnabled(level != last);
        m_c.超级按钮_插入子目录->setEnabled(true);
    } else {
        singleValue(QStringLiteral("select 父编号 from sql信息表 WHERE  编号=") + state.currentItemId, parentId);
        singleValue(QStringLiteral("select max(级别) from sql信息表 WHERE 父编号=") + QString::number(parentId), last);
        m_c.超级按钮_下移->setEnabled(level != last);
        m_c.超级按钮_插入子目录->setEnabled(false);
    }
    m_c.超级按钮_上移->setEnabled(level != 1);

    m_c.选择夹1->setCurrentIndex(1);
    const bool server = state.sqlServerMode == 1;
    m_c.超文本浏览框1->setVisible(!server);
    m_c.高级表格2->setVisible(server);
}
