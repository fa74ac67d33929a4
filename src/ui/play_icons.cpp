#include "ui/play_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace mk843nb {
namespace {

QPixmap Sign(bool stop, const QColor& colour, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal unit = size / 16.0;
    if (stop) {
        painter.drawRect(QRectF(4 * unit, 4 * unit, 8 * unit, 8 * unit));
    } else {
        QPainterPath triangle;
        triangle.moveTo(4 * unit, 2.5 * unit);
        triangle.lineTo(13 * unit, 8 * unit);
        triangle.lineTo(4 * unit, 13.5 * unit);
        triangle.closeSubpath();
        painter.drawPath(triangle);
    }
    return pixmap;
}

}  // namespace

QIcon PlayStopIcon(bool stop, const QPalette& palette) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        icon.addPixmap(Sign(stop, palette.color(QPalette::Active, QPalette::ButtonText), size),
                       QIcon::Normal);
        icon.addPixmap(Sign(stop, palette.color(QPalette::Disabled, QPalette::ButtonText), size),
                       QIcon::Disabled);
    }
    return icon;
}

}  // namespace mk843nb
