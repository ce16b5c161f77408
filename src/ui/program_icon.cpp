#include "ui/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace quadrel {
namespace {

QPixmap drawIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Aerial, case, the two stick boxes and their sticks.
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(25, 9), QPointF(29, 1));
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(70, 110, 180));
    p.drawRoundedRect(QRectF(2, 9, 28, 20), 4, 4);
    p.setBrush(QColor(230, 235, 245));
    p.drawRect(QRectF(5, 13, 10, 10));
    p.drawRect(QRectF(17, 13, 10, 10));
    p.setBrush(QColor(200, 30, 30));
    p.drawEllipse(QPointF(8.5, 16.5), 2.2, 2.2);
    p.drawEllipse(QPointF(23.5, 19.5), 2.2, 2.2);
    return pm;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(drawIcon(size));
    return icon;
}

}  // namespace quadrel
