#include "MainWindow.h"

#include "app/ButtonIcons.h"
#include "app/ConnectWindow.h"
#include "app/core/AppPaths.h"
#include "app/core/PageView.h"
#include "catalogue/CatalogueEditor.h"
#include "catalogue/CatalogueTree.h"
#include "execution/ResultRenderer.h"
#include "execution/StatementExecutor.h"
#include "schema/SchemaBrowser.h"
#include "viewer/ExampleSelection.h"
#include "viewer/ExampleSheet.h"

#include <QResizeEvent>

namespace {

template <typename W>
W *place(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QToolButton *imageButton(QWidget *parent, const char *name, int left, int top, const QIcon &icon)
{
    auto *button = place(new QToolButton(parent), name, left, top, 16, 16);
    button->setIcon(icon);
    button->setIconSize(QSize(14, 14));
    button->setAutoRaise(true);
    return button;
}

} // namespace

MainWindow::MainWindow(ProgramState &state, QWidget *parent)
    : QWidget(parent)
{
    m_c.state = &state;
    m_c.window = this;
    m_c.数据库连接 = &m_数据库连接;
    m_c.数据库连接1 = &m_数据库连接1;
    m_c.记录集 = &m_记录集;
    m_c.记录集_分类 = &m_记录集_分类;
    m_c.记录集_查找 = &m_记录集_查找;

    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Qorvex"));
    buildControls();

    m_tree = std::make_unique<CatalogueTree>(m_c);
    m_editor = std::make_unique<CatalogueEditor>(m_c, *m_tree);
    m_sheet = std::make_unique<ExampleSheet>(m_c, *m_tree);
    m_selection = std::make_unique<ExampleSelection>(m_c, *m_tree, *m_sheet);
    m_executor = std::make_unique<StatementExecutor>(m_c);
    m_schema = std::make_unique<SchemaBrowser>(m_c);
    wireHandlers();

    // Outer size about 1024 × 768 at (50, 50): the client area leaves room
    // for the frame and caption.
    move(50, 50);
    resize(1008, 730);
    creationHandler();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    auto &c = m_c;
    c.树型框1 = place(new QTreeWidget(this), "树型框1", 4, 9, 160, 529);
    c.树型框1->setHeaderHidden(true);
    c.树型框1->setColumnCount(1);
    c.树型框1->setIconSize(QSize(16, 16));
    c.树型框1->setIndentation(14);

    c.分组框1 = place(new QGroupBox(this), "分组框1", 168, 8, 26, 144);
    c.超级按钮_插入目录 = imageButton(c.分组框1, "超级按钮_插入目录", 5, 10, ButtonIcons::insertDirectory());
    c.超级按钮_插入子目录 = imageButton(c.分组框1, "超级按钮_插入子目录", 5, 34, ButtonIcons::insertStatement());
    c.超级按钮_删除 = imageButton(c.分组框1, "超级按钮_删除", 4, 58, ButtonIcons::remove());
    c.超级按钮_上移 = imageButton(c.分组框1, "超级按钮_上移", 5, 88, ButtonIcons::moveUp());
    c.超级按钮_下移 = imageButton(c.分组框1, "超级按钮_下移", 5, 116, ButtonIcons::moveDown());
    c.超级按钮_插入目录->setToolTip(QStringLiteral("插入目录"));
    c.超级按钮_插入子目录->setToolTip(QStringLiteral("插入语句"));
    c.超级按钮_删除->setToolTip(QStringLiteral("删除"));
    c.超级按钮_上移->setToolTip(QStringLiteral("上移"));
    c.超级按钮_下移->setToolTip(QStringLiteral("下移"));

    c.标签2 = place(new QLabel(QStringLiteral("    数据库查询操作练习        爱好者学习的好帮手"), this), "标签2", 169,
                    160, 24, 380);
    {
        QFont font;
        font.setFamilies({QStringLiteral("华文中宋"), QStringLiteral("STZhongsong"),
                          QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Serif CJK SC")});
        font.setPixelSize(13);
        font.setBold(true);
        c.标签2->setFont(font);
        c.标签2->setWordWrap(true);
        c.标签2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }

    c.按钮_修改执行方式 = place(new QPushButton(QStringLiteral("修改保存"), this), "按钮_修改执行方式", 200, 8, 56, 24);
    c.标签1 = place(new QLabel(QStringLiteral("执行方式："), this), "标签1", 261, 8, 59, 24);
    c.编辑框_执行方式 = place(new QLineEdit(this), "编辑框_执行方式", 329, 8, 81, 24);
    c.按钮_修改事件 = place(new QPushButton(QStringLiteral("修改保存"), this), "按钮_修改事件", 418, 8, 56, 24);
    c.标签7 = place(new QLabel(QStringLiteral("语句名称："), this), "标签7", 481, 7, 56, 24);
    c.编辑框_事件名称 = place(new QLineEdit(this), "编辑框_事件名称", 542, 8, 240, 24);

    c.分组框5 = place(new QGroupBox(this), "分组框5", 196, 38, 132, 58);
    c.按钮_修改命令 = place(new QPushButton(QStringLiteral("修改保存"), c.分组框5), "按钮_修改命令", 6, 20, 56, 24);
    c.执行按钮 = place(new QToolButton(c.分组框5), "执行按钮", 68, 21, 56, 24);
    c.执行按钮->setText(QStringLiteral("执行语句"));
    c.执行按钮->setIcon(ButtonIcons::execute());
    c.执行按钮->setToolButtonStyle(Qt::ToolButtonTextOnly);

    c.编辑框_执行语句 = place(new QPlainTextEdit(this), "编辑框_执行语句", 336, 40, 448, 56);

    c.选择夹1 = place(new TabControl({QStringLiteral("查询显示"), QStringLiteral("例程源码"), QStringLiteral("数据表")}, this),
                      "选择夹1", 195, 100, 1024, 428);
    QWidget *page0 = c.选择夹1->page(0);
    QWidget *page1 = c.选择夹1->page(1);
    QWidget *page2 = c.选择夹1->page(2);
    c.高级表格1 = place(new GridControl(5, 5, 1, 0, 24, 60, page0), "高级表格1", 11, 27, 576, 384);
    c.超文本浏览框1 = place(new QTextBrowser(page1), "超文本浏览框1", 12, 62, 448, 312);
    c.超文本浏览框1->setOpenLinks(false);
    c.高级表格2 = place(new GridControl(6, 2, 0, 0, 32, 80, page1), "高级表格2", 8, 58, 1024, 355);
    c.高级表格2->setCellsEditable(true);
    c.高级选择夹2 = place(new QTabBar(page2), "高级选择夹2", 8, 24, 573, 24);
    c.高级选择夹2->setExpanding(false);
    c.高级选择夹2->setUsesScrollButtons(true);
    c.高级表格3 = place(new GridControl(5, 5, 1, 0, 24, 60, page2), "高级表格3", 9, 80, 576, 384);
    c.高级表格4 = place(new GridControl(5, 5, 1, 1, 24, 60, page2), "高级表格4", 205, 51, 385, 361);
    c.高级表格4->hide();

    c.状态条1 = place(new StatusBar(this), "状态条1", 0, 526, 794, 20);
    c.进度条1 = place(new QProgressBar(this), "进度条1", 198, 532, 600, 16);
    c.进度条1->setTextVisible(false);
    c.进度条1->setRange(0, 100);
    c.进度条1->setValue(0);
    c.按钮_插入行 = place(new QPushButton(QStringLiteral("插入行"), this), "按钮_插入行", 608, 540, 72, 24);
    c.按钮_高表到字节集 = place(new QPushButton(QStringLiteral("保存例程源码"), this), "按钮_高表到字节集", 688, 528, 100, 24);
    c.分组框2 = place(new QGroupBox(this), "分组框2", 32, 208, 128, 120);
    c.分组框2->hide();
}

void MainWindow::wireHandlers()
{
    auto &c = m_c;
    connect(c.树型框1, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { m_tree->onItemExpanding(item); });
    connect(c.树型框1, &QTreeWidget::currentItemChanged, this, [this] { m_selection->onCurrentItemChanged(); });

    connect(c.超级按钮_插入目录, &QToolButton::clicked, this, [this] { m_editor->insertDirectory(); });
    connect(c.超级按钮_插入子目录, &QToolButton::clicked, this, [this] { m_editor->insertStatement(); });
    connect(c.超级按钮_删除, &QToolButton::clicked, this, [this] { m_editor->deleteItem(); });
    connect(c.超级按钮_上移, &QToolButton::clicked, this, [this] { m_editor->moveUp(); });
    connect(c.超级按钮_下移, &QToolButton::clicked, this, [this] { m_editor->moveDown(); });
    connect(c.按钮_修改事件, &QPushButton::clicked, this, [this] { m_editor->renameItem(); });
    connect(c.按钮_修改命令, &QPushButton::clicked, this, [this] { m_editor->saveSql(); });
    connect(c.按钮_修改执行方式, &QPushButton::clicked, this, [this] { m_editor->saveMode(); });

    connect(c.执行按钮, &QToolButton::clicked, this, [this] { m_executor->execute(); });
    connect(c.按钮_插入行, &QPushButton::clicked, this, [this] { m_sheet->insertRow(); });
    connect(c.按钮_高表到字节集, &QPushButton::clicked, this, [this] { m_sheet->saveSheet(); });

    c.选择夹1->onTabClicked = [this] { m_schema->onPageClicked(); };
    connect(c.高级选择夹2, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0)
            m_schema->onTableTabClicked(index);
    });
}

void MainWindow::creationHandler()
{
    ProgramState &state = *m_c.state;
    {
        ConnectWindow connectWindow(state, m_数据库连接);
        connectWindow.exec();
    }
    ResultRenderer::stripeRows(*m_c.高级表格1);
    m_tree->loadCatalogueTree(-1);
    m_记录集.bindConnection(&m_数据库连接);
    const bool server = state.sqlServerMode == 1;
    m_c.按钮_插入行->setEnabled(server);
    m_c.按钮_高表到字节集->setEnabled(server);
    m_created = true;
    sizeHandler();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The status bar follows the window's bottom edge.
    m_c.状态条1->setGeometry(0, height() - 20, width(), 20);
    if (m_created)
        sizeHandler();
}

void MainWindow::sizeHandler()
{
    auto &c = m_c;
    const int W = width();
    const int H = height();
    const int T = c.树型框1->width();
    const int m = c.选择夹1->currentIndex() == 2 ? 48 : 24;

    c.编辑框_执行语句->resize(W - T - 188, c.编辑框_执行语句->height());             // 1
    c.选择夹1->resize(W - T - 46, c.选择夹1->height());                               // 2
    c.选择夹1->resize(c.选择夹1->width(), H - 148);                                    // 3
    c.高级表格2->setColumnWidth(1, c.选择夹1->width() - 100);                          // 4
    c.编辑框_事件名称->resize(c.编辑框_执行语句->width() - 206, c.编辑框_事件名称->height()); // 5
    c.高级表格1->resize(W - T - 56, c.高级表格1->height());                            // 6
    c.高级表格1->resize(c.高级表格1->width(), c.选择夹1->height() - m);                // 7
    c.高级表格3->resize(c.高级表格3->width(), c.选择夹1->height() - m);                // 8
    c.高级表格4->resize(c.选择夹1->width() - m, c.高级表格4->height());                // 9
    c.高级表格2->resize(c.选择夹1->width() - 16, c.高级表格2->height());               // 10
    c.高级表格2->resize(c.高级表格2->width(), c.选择夹1->height() - 36);               // 11
    c.进度条1->resize(W - T - c.按钮_插入行->width() - 160, c.进度条1->height());       // 12
    c.进度条1->move(c.进度条1->x(), H - 40);                                            // 13
    c.树型框1->resize(c.树型框1->width(), H - 30);                                     // 14
    c.标签2->resize(c.标签2->width(), H - 200);                                         // 15
    c.按钮_高表到字节集->move(c.按钮_高表到字节集->x(), c.进度条1->y() - 6);           // 16
    c.按钮_高表到字节集->move(W - c.按钮_高表到字节集->width() - 12, c.按钮_高表到字节集->y()); // 17
    c.超文本浏览框1->resize(W - T - 58, c.超文本浏览框1->height());                    // 18
    c.超文本浏览框1->resize(c.超文本浏览框1->width(), H - 150);                        // 19
    PageView::showPage(c.超文本浏览框1, AppPaths::examplePagePath(c.state->currentItemName)); // 20
    c.按钮_插入行->move(c.按钮_插入行->x(), c.进度条1->y() - 6);                       // 21
    c.按钮_插入行->move(W - c.按钮_高表到字节集->width() - c.按钮_插入行->width() - 16, c.按钮_插入行->y()); // 22
}
