#pragma once

#include <QWidget>

#include <functional>

class QTabBar;

/// A tab control whose pages cover the whole control, tab strip included,
/// so children are placed relative to the control itself. Setting the
/// current page from the program runs no click handler; a click by the user
/// makes the clicked page current and then runs the click handler, also
/// when that page was current already.
class TabControl : public QWidget
{
public:
    explicit TabControl(const QStringList &tabs, QWidget *parent = nullptr);

    int count() const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget *page(int index) const;
    QTabBar *tabBar() const;

    /// Runs after a user's click on a tab, once that tab is current.
    std::function<void()> onTabClicked;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPage(int index);

    QTabBar *m_bar;
    QList<QWidget *> m_pages;
};
