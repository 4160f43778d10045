#include "CatalogueEditor.h"

#include "CatalogueTree.h"
#include "app/core/AppPaths.h"
#include "app/core/MainControls.h"
#include "app/core/MessageService.h"
#include "app/core/SqlText.h"

#include <QFile>

namespace {

using Icon = MessageService::Icon;

QString decimal(int value)
{
    return QString::number(value);
}

// The template is where every new page comes from: it is never renamed away
// or deleted, even when an item happens to carry its name.
bool isTemplate(const QString &path)
{
    return path == AppPaths::templatePage();
}

} // namespace

CatalogueEditor::CatalogueEditor(MainControls &controls, CatalogueTree &tree)
    : m_c(controls)
    , m_tree(tree)
{
}

bool CatalogueEditor::readSingleInt(const QString &sql, int &value)
{
    RecordSet &rs = *m_c.记录集;
    if (!rs.open(sql, 1))
        return false;
    int read = 0;
    if (!rs.readInt(0, read)) {
        // An aggregate may come back typed as a decimal or as text.
        QString text;
        rs.readText(0, text);
        read = static_cast<int>(text.trimmed().toDouble());
    }
    value = read;
    rs.close();
    return true;
}

bool CatalogueEditor::nextItemId(int &id)
{
    int largest = 0;
    if (!readSingleInt(QStringLiteral("select max(编号) from sql信息表 "), largest))
        return false;
    id = largest + 1;
    return true;
}

bool CatalogueEditor::readSelectedItem(const QString &sql, ItemRecord &record, bool withName)
{
    RecordSet &rs = *m_c.记录集;
    if (!rs.open(sql, 1))
        return false;
    const bool found = rs.recordCount() > 0;
    if (found) {
        rs.readInt(u"父编号", record.parent);
        rs.readInt(u"级别", record.level);
        if (withName)
            rs.readText(u"事件", record.name);
    }
    rs.close();
    return found;
}

bool CatalogueEditor::nameInUse(const QString &name, const QString &exceptId)
{
    RecordSet &rs = *m_c.记录集;
    if (!rs.open(QStringLiteral("select 编号 from sql信息表 where 事件=") + quoteSqlText(name)
                     + QStringLiteral(" and 编号<>") + exceptId,
                 1))
        return true; // unsure: keep the page
    const bool used = rs.recordCount() > 0;
    rs.close();
    return used;
}

bool CatalogueEditor::runAtomically(const std::function<bool()> &steps)
{
    DatabaseConnection &db = *m_c.数据库连接;
    if (!db.beginTransaction())
        return false;
    if (steps() && db.commitTransaction())
        return true;
    db.rollbackTransaction();
    return false;
}

void CatalogueEditor::createPage(const QString &name, int newId)
{
    const QString page = AppPaths::examplePagePath(name);
    const QString pageTemplate = AppPaths::templatePage();
    if (page.isEmpty() || !QFile::exists(pageTemplate))
        return;
    if (QFile::exists(page)) {
        // Another item of the same name already documents itself there.
        if (nameInUse(name, decimal(newId)))
            return;
        QFile::remove(page);
    }
    QFile::copy(pageTemplate, page);
}

void CatalogueEditor::insertDirectory()
{
    // Without a readable maximum the new row could not get a fresh 编号 or a
    // dense position: insert nothing.
    int id = 0;
    if (!nextItemId(id))
        return;
    int level = 0;
    if (!readSingleInt(QStringLiteral("select max(级别) from sql信息表 WHERE 父编号=0"), level))
        return;
    ++level;
    const QString name = QStringLiteral("新目录") + decimal(level);

    const QString sql = QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (") + decimal(id)
                        + QStringLiteral(",'") + name + QStringLiteral("',") + QStringLiteral("0") + QStringLiteral(",")
                        + decimal(level) + QStringLiteral(")");
    if (!m_c.数据库连接->executeSql(sql))
        return;
    m_tree.reloadCatalogueTree();
    createPage(name, id);
    MessageService::instance().show(QStringLiteral("插入") + name + QStringLiteral("成功！"),
                                    MessageService::defaultCaption(), Icon::Information);
}

void CatalogueEditor::insertStatement()
{
    const QString &itemId = m_c.state->currentItemId;
    int parent = 0;
    bool found = false;
    RecordSet &rs = *m_c.记录集;
    if (rs.open(QStringLiteral("select 父编号 from sql信息表 WHERE  编号=") + itemId, 1)) {
        found = rs.recordCount() > 0;
        rs.readInt(u"父编号", parent);
        rs.close();
    }
    // Only an existing directory item takes statements: a selection whose row
    // is gone would leave the new row under no directory.
    if (!(itemId.toDouble() > 0 && parent == 0 && found)) {
        MessageService::instance().show(QStringLiteral("你还没有选择要插入的位置？或位置不正确呢？"),
                                        MessageService::defaultCaption(), Icon::Error);
        return;
    }

    int id = 0;
    if (!nextItemId(id))
        return;
    int level = 0;
    if (!readSingleInt(QStringLiteral("select max(级别) from sql信息表 WHERE 父编号=") + itemId, level))
        return;
    ++level;
    const QString name = QStringLiteral("新事件") + decimal(level);

    const QString sql = QStringLiteral("INSERT INTO sql信息表 (编号,事件,父编号,级别) VALUES (") + decimal(id)
                        + QStringLiteral(",'") + name + QStringLiteral("',") + itemId + QStringLiteral(",")
                        + decimal(level) + QStringLiteral(")");
    const QString head = QStringLiteral("插入—") + m_c.编辑框_事件名称->text() + QStringLiteral("—") + name;
    if (!m_c.数据库连接->executeSql(sql)) {
        MessageService::instance().show(head + QStringLiteral("失败！"), MessageService::defaultCaption(), Icon::None);
        return;
    }
    createPage(name, id);
    MessageService::instance().show(head + QStringLiteral("成功！"), MessageService::defaultCaption(),
                                    Icon::Information);
    m_tree.reloadCatalogueTree();
}

void CatalogueEditor::deleteItem()
{
    const QString &itemId = m_c.state->currentItemId;
    const QString notSelected = QStringLiteral("您还没有选择要删除的数据呢！");
    const QString friendly = QStringLiteral("友情提示");
    if (itemId.isEmpty()) {
        MessageService::instance().show(notSelected, friendly, Icon::Information);
        return;
    }
    const auto answer = MessageService::instance().show(
        QStringLiteral("注意!将删除该目录及其子目录！删除后不可恢复！您真的要删除吗？"), QStringLiteral("删除提示"),
        Icon::Exclamation, MessageService::Buttons::OkCancel);
    if (answer != MessageService::Answer::Ok)
        return;

    RecordSet &rs = *m_c.记录集;
    if (!rs.open(QStringLiteral("select 父编号, 级别,事件 from sql信息表  WHERE 编号=") + itemId, 1))
        return;
    // The selection may name a row that is gone (deleted already): renumbering
    // by its stale position would shift other items.
    if (rs.recordCount() <= 0) {
        rs.close();
        MessageService::instance().show(notSelected, friendly, Icon::Information);
        return;
    }
    ItemRecord item;
    rs.readInt(u"父编号", item.parent);
    rs.readInt(u"级别", item.level);
    rs.readText(u"事件", item.name);
    rs.close();

    DatabaseConnection &db = *m_c.数据库连接;
    bool deleted = false;
    if (item.parent != 0) {
        deleted = runAtomically([&] {
            return db.executeSql(QStringLiteral("update sql信息表 set 级别=级别-1 WHERE  父编号=") + decimal(item.parent)
                                 + QStringLiteral(" and 级别>") + decimal(item.level))
                   && db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号=") + itemId);
        });
    } else {
        deleted = runAtomically([&] {
            return db.executeSql(QStringLiteral("update sql信息表 set 级别=级别-1 WHERE 父编号=0 and  级别>")
                                 + decimal(item.level))
                   && db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 父编号=") + itemId)
                   && db.executeSql(QStringLiteral("DELETE FROM sql信息表 WHERE 编号=") + itemId);
        });
    }
    if (deleted) {
        // The pages of a directory's statements stay; only the item's own goes,
        // unless another item of that name still shows it.
        const QString page = AppPaths::examplePagePath(item.name);
        if (!page.isEmpty() && !isTemplate(page) && !nameInUse(item.name, itemId))
            QFile::remove(page);
    }
    m_tree.reloadCatalogueTree();
}

void CatalogueEditor::move(int step)
{
    const QString &itemId = m_c.state->currentItemId;
    ItemRecord item;
    const bool found =
        readSelectedItem(QStringLiteral("select 父编号, 级别 from sql信息表  WHERE 编号=") + itemId, item, false);
    if (found) {
        // The neighbour is chosen by its position; at either end of the
        // siblings there is none and nothing moves.
        const QString neighbour = formatNumber13(double(item.level) + step);
        const QString parent = decimal(item.parent);
        bool hasNeighbour = false;
        RecordSet &rs = *m_c.记录集;
        if (rs.open(QStringLiteral("select 编号 from sql信息表 WHERE 父编号=") + parent + QStringLiteral(" AND 级别=")
                        + neighbour,
                    1)) {
            hasNeighbour = rs.recordCount() > 0;
            rs.close();
        }
        if (hasNeighbour) {
            DatabaseConnection &db = *m_c.数据库连接;
            // The neighbour first: updated second it would take the item,
            // which then shares its position, along with it.
            const QString towardsItem = step > 0 ? QStringLiteral("-1") : QStringLiteral("+1");
            const QString awayFromItem = step > 0 ? QStringLiteral("+1") : QStringLiteral("-1");
            runAtomically([&] {
                return db.executeSql(QStringLiteral("update sql信息表 set 级别=级别") + towardsItem
                                     + QStringLiteral(" WHERE 级别=") + neighbour + QStringLiteral(" AND 父编号 =")
                                     + parent)
                       && db.executeSql(QStringLiteral("update sql信息表 set 级别=级别") + awayFromItem
                                        + QStringLiteral(" WHERE 编号=") + itemId);
            });
        }
    }
    m_tree.reloadCatalogueTree();
}

void CatalogueEditor::moveDown()
{
    move(+1);
}

void CatalogueEditor::moveUp()
{
    move(-1);
}

void CatalogueEditor::renameItem()
{
    const QString &itemId = m_c.state->currentItemId;
    const QString newName = m_c.编辑框_事件名称->text();

    // The page goes by the name stored now, which is the selected name unless
    // the item was renamed since it was selected.
    ItemRecord item;
    const bool found =
        readSelectedItem(QStringLiteral("select 父编号, 级别,事件 from sql信息表  WHERE 编号=") + itemId, item, true);
    // The page follows only a name that was stored: moved ahead of a failed
    // update, it would part from its item, which keeps the old name.
    const bool renamed = m_c.数据库连接->executeSql(QStringLiteral("update sql信息表 set 事件=") + quoteSqlText(newName)
                                                   + QStringLiteral(" WHERE 编号=") + itemId);
    if (found && renamed) {
        const QString from = AppPaths::examplePagePath(item.name);
        const QString to = AppPaths::examplePagePath(newName);
        if (!from.isEmpty() && !to.isEmpty() && from != to && QFile::exists(from)) {
            // A page that stays in use under the old name is copied, not moved.
            if (isTemplate(from) || nameInUse(item.name, itemId))
                QFile::copy(from, to);
            else
                QFile::rename(from, to);
        }
    }
    m_tree.reloadCatalogueTree();
}

void CatalogueEditor::saveSql()
{
    m_c.数据库连接->executeSql(QStringLiteral("update sql信息表 set SQL语句=") + quoteSqlText(m_c.statementText())
                              + QStringLiteral(" WHERE 编号=") + m_c.state->currentItemId);
    m_tree.reloadCatalogueTree();
}

void CatalogueEditor::saveMode()
{
    m_c.数据库连接->executeSql(QStringLiteral("update sql信息表 set 执行方式=") + quoteSqlText(m_c.编辑框_执行方式->text())
                              + QStringLiteral(" WHERE 编号=") + m_c.state->currentItemId);
}
