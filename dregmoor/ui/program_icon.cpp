#include "dregmoor/ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ostrevin::dregmoor {

namespace {

QPixmap drawn(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The bin.
    QPainterPath bin;
    bin.moveTo(16, 22);
    bin.lineTo(48, 22);
    bin.lineTo(44, 58);
    bin.lineTo(20, 58);
    bin.closeSubpath();
    p.setPen(QPen(QColor(0x2e, 0x4a, 0x3a), 3));
    p.setBrush(QColor(0x5f, 0x9e, 0x6e));
    p.drawPath(bin);
    p.drawRoundedRect(QRectF(12, 14, 40, 8), 2, 2);
    p.drawLine(QPointF(27, 30), QPointF(28, 51));
    p.drawLine(QPointF(37, 30), QPointF(36, 51));
    // The sweep.
    p.setPen(QPen(QColor(0xd9, 0x8c, 0x1f), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 2, 52, 30), 30 * 16, 120 * 16);
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(drawn(size));
    return icon;
}

}  // namespace ostrevin::dregmoor
