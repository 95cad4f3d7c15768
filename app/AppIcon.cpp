#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap AppPicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Drawn on a 64 × 64 grid, as the SVG.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x7d, 0x6b));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(13, 10, 30, 40), 3, 3);
    p.setPen(QPen(QColor(0x9e, 0xb8, 0xb0), 3, Qt::SolidLine, Qt::RoundCap));
    for (int y : {19, 27, 35})
        p.drawLine(QPointF(19, y), QPointF(37, y));
    p.setPen(QPen(QColor(0xb3, 0x6b, 0x00), 2));
    p.setBrush(QColor(0xf5, 0xb3, 0x2a));
    p.drawEllipse(QPointF(43, 44), 12, 12);
    p.setPen(QPen(QColor(0xb3, 0x6b, 0x00), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath yen;
    yen.moveTo(38, 37);
    yen.lineTo(43, 44);
    yen.lineTo(48, 37);
    yen.moveTo(43, 44);
    yen.lineTo(43, 51);
    yen.moveTo(39, 45);
    yen.lineTo(47, 45);
    p.setBrush(Qt::NoBrush);
    p.drawPath(yen);
    return pixmap;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(AppPicture(size));
    return icon;
}
