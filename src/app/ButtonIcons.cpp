#include "ButtonIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ButtonIcons {

namespace {

QPixmap canvas()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawFolder(QPainter &p)
{
    p.setPen(QColor(150, 110, 20));
    p.setBrush(QColor(250, 200, 60));
    p.drawRect(1, 4, 11, 8);
    p.drawRect(1, 3, 5, 2);
}

void drawPlus(QPainter &p, QColor colour)
{
    p.setPen(QPen(colour, 2));
    p.drawLine(12, 9, 12, 15);
    p.drawLine(9, 12, 15, 12);
}

QIcon arrow(bool up)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(20, 80, 160));
    p.setBrush(QColor(60, 140, 230));
    QPainterPath path;
    if (up) {
        path.moveTo(8, 1);
        path.lineTo(15, 8);
        path.lineTo(11, 8);
        path.lineTo(11, 15);
        path.lineTo(5, 15);
        path.lineTo(5, 8);
        path.lineTo(1, 8);
    } else {
        path.moveTo(8, 15);
        path.lineTo(15, 8);
        path.lineTo(11, 8);
        path.lineTo(11, 1);
        path.lineTo(5, 1);
        path.lineTo(5, 8);
        path.lineTo(1, 8);
    }
    path.closeSubpath();
    p.drawPath(path);
    return QIcon(pixmap);
}

} // namespace

QIcon insertDirectory()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    drawFolder(p);
    drawPlus(p, QColor(0, 140, 0));
    return QIcon(pixmap);
}

QIcon insertStatement()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 9, 12);
    p.setPen(QColor(120, 120, 200));
    for (int y = 4; y <= 10; y += 3)
        p.drawLine(4, y, 9, y);
    drawPlus(p, QColor(0, 140, 0));
    return QIcon(pixmap);
}

QIcon remove()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(3, 3, 13, 13);
    p.drawLine(13, 3, 3, 13);
    return QIcon(pixmap);
}

QIcon moveUp()
{
    return arrow(true);
}

QIcon moveDown()
{
    return arrow(false);
}

QIcon execute()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 110, 0));
    p.setBrush(QColor(40, 180, 60));
    const QPointF points[3] = {QPointF(3, 2), QPointF(14, 8), QPointF(3, 14)};
    p.drawPolygon(points, 3);
    return QIcon(pixmap);
}

} // namespace ButtonIcons
