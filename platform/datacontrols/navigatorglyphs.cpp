// The navigator's pictures, drawn on a 16-unit square at each size an icon is asked
// for, so they stay sharp on any screen and need no image files.
#include "platform/datacontrols/dbnavigator.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, p.brush());
}

void Draw(QPainter& p, TDBNavigator::TNavigateBtn Button)
{
    const QColor arrow(0, 0, 128), black(0, 0, 0), green(0, 112, 0), red(160, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    switch (Button) {
    case TDBNavigator::nbFirst:
        p.drawRect(QRectF(3, 3, 2, 10));
        Triangle(p, {12, 3}, {12, 13}, {6, 8});
        break;
    case TDBNavigator::nbPrior:
        Triangle(p, {10.5, 3}, {10.5, 13}, {5.5, 8});
        break;
    case TDBNavigator::nbNext:
        Triangle(p, {5.5, 3}, {5.5, 13}, {10.5, 8});
        break;
    case TDBNavigator::nbLast:
        Triangle(p, {4, 3}, {4, 13}, {10, 8});
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case TDBNavigator::nbInsert:
        p.setBrush(black);
        p.drawRect(QRectF(7, 3, 2, 10));
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TDBNavigator::nbDelete:
        p.setBrush(black);
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TDBNavigator::nbEdit:
        p.setBrush(black);
        Triangle(p, {3, 11}, {13, 11}, {8, 5});
        break;
    case TDBNavigator::nbPost:
        p.setPen(QPen(green, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case TDBNavigator::nbCancel:
        p.setPen(QPen(red, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TDBNavigator::nbRefresh:
        p.setPen(QPen(arrow, 1.8, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(arrow);
        Triangle(p, {8.5, 0.8}, {8.5, 6.2}, {12.5, 3.5});
        break;
    }
}

} // namespace

QIcon NavigatorGlyph(TDBNavigator::TNavigateBtn Button)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        Draw(p, Button);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
