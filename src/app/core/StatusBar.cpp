#include "StatusBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

StatusBar::StatusBar(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    for (int i = 0; i < 2; ++i) {
        m_parts[i] = new QLabel(this);
        m_parts[i]->setFrameShape(QFrame::Panel);
        m_parts[i]->setFrameShadow(QFrame::Sunken);
        m_parts[i]->setTextFormat(Qt::PlainText);
        m_parts[i]->setObjectName(QStringLiteral("状态条1_%1").arg(i));
        layout->addWidget(m_parts[i], i == 0 ? 3 : 2);
    }
}

void StatusBar::setPartText(int part, const QString &text)
{
    if (part >= 0 && part < 2)
        m_parts[part]->setText(text);
}

QString StatusBar::partText(int part) const
{
    if (part >= 0 && part < 2)
        return m_parts[part]->text();
    return {};
}
