#include "ui/pager_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace mk843nb {

QPixmap PagerPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything is laid out on a 96-unit square and scaled to the size asked for.
    p.scale(size / 96.0, size / 96.0);

    // Backdrop: a soft blue tile.
    QLinearGradient sky(0, 0, 0, 96);
    sky.setColorAt(0, QColor(0x3a, 0x7b, 0xd5));
    sky.setColorAt(1, QColor(0x12, 0x3f, 0x8c));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 94, 94), 14, 14);

    // Radio waves reaching the pager from the top right.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 200 - i * 50), 3, Qt::SolidLine, Qt::RoundCap));
        const qreal r = 10 + i * 8;
        p.drawArc(QRectF(74 - r, 20 - r, 2 * r, 2 * r), 200 * 16, 70 * 16);
    }

    // Belt clip behind the body.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x34));
    p.drawRoundedRect(QRectF(38, 24, 20, 8), 3, 3);

    // The pager's body.
    QLinearGradient body(0, 30, 0, 84);
    body.setColorAt(0, QColor(0x5c, 0x5f, 0x66));
    body.setColorAt(1, QColor(0x26, 0x28, 0x2c));
    p.setPen(QPen(QColor(0x10, 0x10, 0x12), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(14, 30, 68, 52), 10, 10);

    // Display with a short tone sequence on it.
    p.setPen(QPen(QColor(0x1d, 0x2b, 0x1a), 1));
    p.setBrush(QColor(0xa8, 0xd8, 0x8a));
    p.drawRoundedRect(QRectF(22, 38, 52, 20), 3, 3);
    p.setPen(QPen(QColor(0x1d, 0x3b, 0x16), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath wave;
    wave.moveTo(26, 48);
    for (int x = 0; x <= 44; x += 2) {
        const qreal y = 48 + ((x / 4) % 2 ? -5.0 : 5.0) * (x < 22 ? 0.6 : 1.0);
        wave.lineTo(26 + x, y);
    }
    p.drawPath(wave);

    // Three keys and the alert lamp.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0xdc, 0xe1));
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(24 + i * 14, 64, 10, 8), 2, 2);
    p.setBrush(QColor(0xff, 0x5a, 0x36));
    p.drawEllipse(QPointF(70, 68), 4, 4);
    return pixmap;
}

}  // namespace mk843nb
