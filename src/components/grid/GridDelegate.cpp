#include "components/grid/GridDelegate.h"

#include "components/grid/GridModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

GridDelegate::GridDelegate(const GridModel *model, QObject *parent)
    : QStyledItemDelegate(parent), m_model(model)
{
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (!m_model->isFixed(index.row(), index.column())) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    QStyleOptionHeader heading;
    heading.rect = option.rect;
    heading.palette = option.palette;
    heading.fontMetrics = option.fontMetrics;
    heading.direction = option.direction;
    heading.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (option.state & QStyle::State_HasFocus)
        heading.state |= QStyle::State_Sunken;
    heading.orientation = Qt::Horizontal;
    heading.position = QStyleOptionHeader::Middle;
    heading.text = m_model->text(index.row(), index.column());
    heading.textAlignment =
        Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    const QVariant background = index.data(Qt::BackgroundRole);
    if (background.isValid())
        heading.palette.setBrush(QPalette::Button, background.value<QBrush>());

    painter->save();
    QFont font = option.font;
    font.setBold(true);
    painter->setFont(font);
    heading.fontMetrics = QFontMetrics(font);
    style->drawControl(QStyle::CE_Header, &heading, painter, widget);
    painter->restore();
}
