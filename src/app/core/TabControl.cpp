#include "TabControl.h"

#include <QTabBar>

TabControl::TabControl(const QStringList &tabs, QWidget *parent)
    : QWidget(parent)
    , m_bar(new QTabBar(this))
{
    for (const QString &text : tabs) {
        m_bar->addTab(text);
        auto *page = new QWidget(this);
        page->setAutoFillBackground(false);
        m_pages.append(page);
    }
    m_bar->setDrawBase(true);
    m_bar->move(0, 0);
    m_bar->raise();
    showPage(0);

    // Keyboard changes of the tab show the page; only clicks run the handler.
    QObject::connect(m_bar, &QTabBar::currentChanged, this, [this](int index) { showPage(index); });
    QObject::connect(m_bar, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        m_bar->setCurrentIndex(index);
        showPage(index);
        if (onTabClicked)
            onTabClicked();
    });
}

int TabControl::count() const
{
    return m_pages.size();
}

int TabControl::currentIndex() const
{
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_pages.size())
        return;
    const QSignalBlocker blocker(m_bar);
    m_bar->setCurrentIndex(index);
    showPage(index);
}

QWidget *TabControl::page(int index) const
{
    return index >= 0 && index < m_pages.size() ? m_pages.at(index) : nullptr;
}

QTabBar *TabControl::tabBar() const
{
    return m_bar;
}

void TabControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    for (QWidget *page : std::as_const(m_pages))
        page->setGeometry(0, 0, width(), height());
    m_bar->resize(std::max(m_bar->sizeHint().width(), 0), m_bar->sizeHint().height());
    m_bar->raise();
}

void TabControl::showPage(int index)
{
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages.at(i)->setVisible(i == index);
    m_bar->raise();
}
