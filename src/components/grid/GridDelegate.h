#pragma once

#include <QStyledItemDelegate>

class GridModel;

/// Draws the fixed rows and columns of a grid as heading buttons; ordinary
/// cells are drawn and edited the standard way.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    GridDelegate(const GridModel *model, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    const GridModel *m_model;
};
