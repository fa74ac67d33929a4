#include "tones_chart/chart_painter.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

namespace mk843nb::tones {
namespace {

const QColor kInk(40, 40, 40);
const QColor kCall(30, 90, 170);
const QColor kShared(20, 130, 60);
const QColor kProblem(210, 20, 20);
const QColor kTick(150, 150, 150);
constexpr double kPointRadius = 3;
constexpr double kTickLength = 5;

QRectF Rect(const ChartRect& rect) { return {rect.left, rect.top, rect.width, rect.height}; }
QPointF Point(const ChartSpot& spot) { return {spot.x, spot.y}; }
QString Text(const std::string& text) { return QString::fromStdString(text); }

QFont LabelFont(const ChartLayout& layout) {
    // Monospaced, so each character takes the width the layout measured with.
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(static_cast<int>(layout.labelPixels));
    return font;
}

QColor Faded(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}

void PaintAxes(QPainter& painter, const ChartLayout& layout) {
    const QRectF plot = Rect(layout.plot);
    const QRectF strip = Rect(layout.groupStrip);
    painter.setPen(QPen(kInk, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.setPen(QPen(kTick, 1, Qt::DotLine));
    painter.drawRect(strip);

    QFont font = LabelFont(layout);
    painter.setFont(font);
    for (const ChartTick& tick : layout.xTicks) {
        painter.setPen(QPen(tick.text.empty() ? kTick : kInk, 1));
        painter.drawLine(QPointF(tick.at, plot.bottom()),
                         QPointF(tick.at, plot.bottom() + kTickLength));
        if (!tick.text.empty())
            painter.drawText(QRectF(tick.at - 30, plot.bottom() + kTickLength + 1, 60, 16),
                             Qt::AlignHCenter | Qt::AlignTop, Text(tick.text));
    }
    for (const ChartTick& tick : layout.yTicks) {
        painter.setPen(QPen(tick.text.empty() ? kTick : kInk, 1));
        painter.drawLine(QPointF(plot.left() - kTickLength, tick.at),
                         QPointF(plot.left(), tick.at));
        if (!tick.text.empty())
            painter.drawText(QRectF(0, tick.at - 8, plot.left() - kTickLength - 3, 16),
                             Qt::AlignRight | Qt::AlignVCenter, Text(tick.text));
    }
    painter.setPen(QPen(kInk, 1));
    painter.drawText(QRectF(strip.left() - 62, strip.top(), 58, strip.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("group"));
    painter.drawText(QRectF(plot.left(), strip.bottom() + 4, plot.width(), 18), Qt::AlignHCenter,
                     Text(layout.xTitle));
    painter.save();
    painter.translate(12, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -8, plot.height(), 16), Qt::AlignCenter,
                     Text(layout.yTitle));
    painter.restore();
    QFont title = font;
    title.setPixelSize(static_cast<int>(layout.labelPixels) + 3);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRectF(plot.left(), 6, plot.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
                     Text(layout.title));
}

}  // namespace

void PaintChart(QPainter& painter, const ChartLayout& layout) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRectF(0, 0, layout.size.width, layout.size.height), Qt::white);
    PaintAxes(painter, layout);

    // Boxes under everything, the red ones last so they stay visible.
    painter.setClipRect(Rect(layout.plot));
    for (bool red : {false, true})
        for (const ChartPoint& point : layout.points) {
            if (point.red != red) continue;
            const QColor color = red ? kProblem : point.shared ? kShared : kCall;
            painter.setPen(QPen(Faded(color, 140), 1));
            painter.setBrush(Faded(color, red ? 40 : 22));
            painter.drawRect(Rect(point.box));
        }
    painter.setClipping(false);
    for (const ChartGroupMark& mark : layout.groups) {
        const QColor color = mark.red ? kProblem : kCall;
        painter.setPen(QPen(Faded(color, 140), 1));
        painter.setBrush(Faded(color, mark.red ? 40 : 22));
        painter.drawRect(Rect(mark.box));
    }

    for (const ChartStack& stack : layout.stacks) {
        painter.setPen(QPen(kProblem, 1.2, Qt::DashLine));
        for (const ChartSpot& from : stack.first)
            painter.drawLine(Point(from), Point(stack.formed));
        for (const ChartSpot& to : stack.second) painter.drawLine(Point(stack.formed), Point(to));
        painter.setPen(QPen(kProblem, 1.6));
        const QPointF at = Point(stack.formed);
        painter.drawLine(at + QPointF(-4, -4), at + QPointF(4, 4));
        painter.drawLine(at + QPointF(-4, 4), at + QPointF(4, -4));
    }

    for (bool red : {false, true}) {
        for (const ChartPoint& point : layout.points) {
            if (point.red != red) continue;
            const QColor color = red ? kProblem : point.shared ? kShared : kCall;
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawEllipse(Point(point.at), kPointRadius, kPointRadius);
        }
        for (const ChartGroupMark& mark : layout.groups) {
            if (mark.red != red) continue;
            painter.setPen(Qt::NoPen);
            painter.setBrush(red ? kProblem : kCall);
            const QPointF at = Point(mark.at);
            painter.drawPolygon(QPolygonF({at + QPointF(0, -kPointRadius - 1),
                                           at + QPointF(kPointRadius + 1, kPointRadius + 1),
                                           at + QPointF(-kPointRadius - 1, kPointRadius + 1)}));
        }
    }

    painter.setFont(LabelFont(layout));
    for (const ChartLabel& label : layout.labels) {
        painter.setPen(label.red ? kProblem : kInk);
        painter.drawText(Rect(label.rect), Qt::AlignLeft | Qt::AlignVCenter, Text(label.text));
    }
    painter.restore();
}

}  // namespace mk843nb::tones
