#include "tones_chart/chart_painter.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

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

// What has been drawn already, to the half pixel.
class Seen {
public:
    bool First(int kind, const ChartRect& at) {
        const auto half = [](double v) { return static_cast<long long>(std::lround(v * 2)); };
        return seen_.insert({kind, half(at.left), half(at.top), half(at.width), half(at.height)})
            .second;
    }

private:
    std::set<std::tuple<int, long long, long long, long long, long long>> seen_;
};

QFont LabelFont(const ChartLayout& layout) {
    // Monospaced, so each character takes the width the layout measured with.
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(static_cast<int>(layout.labelPixels));
    return font;
}

// Lines one pixel wide whatever the scale: the fast way to draw thousands of them.
QPen Thin(const QColor& color, double width = 1) {
    QPen pen(color, width);
    pen.setCosmetic(true);
    return pen;
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
    if (!layout.note.empty()) {
        painter.setFont(font);
        painter.setPen(kProblem);
        painter.drawText(QRectF(plot.left(), strip.bottom() + 22, plot.width(), 14),
                         Qt::AlignLeft | Qt::AlignVCenter, Text(layout.note));
    }
}

}  // namespace

void PaintChart(QPainter& painter, const ChartLayout& layout) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRectF(0, 0, layout.size.width, layout.size.height), Qt::white);
    PaintAxes(painter, layout);

    // Each kind of item is drawn in one go with one pen and brush, and an item
    // that lands where another of its kind already is (the holders of a
    // station call) is drawn once: a big plan stays quick to draw and its SVG small.
    enum Style { Plain, Shared, Red };
    const QColor colors[] = {kCall, kShared, kProblem};
    std::vector<QRectF> boxes[3], groupBoxes[3];
    std::vector<QPointF> dots[3], marks[3];
    Seen seenBoxes, seenDots;
    for (const ChartPoint& point : layout.points) {
        const Style style = point.red ? Red : point.shared ? Shared : Plain;
        if (seenBoxes.First(style, point.box)) boxes[style].push_back(Rect(point.box));
        if (seenDots.First(style, {point.at.x, point.at.y, 0, 0}))
            dots[style].push_back(Point(point.at));
    }
    for (const ChartGroupMark& mark : layout.groups) {
        const Style style = mark.red ? Red : Plain;
        if (seenBoxes.First(style + 3, mark.box)) groupBoxes[style].push_back(Rect(mark.box));
        if (seenDots.First(style + 3, {mark.at.x, mark.at.y, 0, 0}))
            marks[style].push_back(Point(mark.at));
    }
    std::vector<QLineF> stackLines, crosses;
    Seen seenLines, seenCrosses;
    for (const ChartStack& stack : layout.stacks) {
        const QPointF at = Point(stack.formed);
        for (const ChartSpot& from : stack.first)
            if (seenLines.First(0, {from.x, from.y, at.x(), at.y()}))
                stackLines.emplace_back(Point(from), at);
        for (const ChartSpot& to : stack.second)
            if (seenLines.First(0, {at.x(), at.y(), to.x, to.y}))
                stackLines.emplace_back(at, Point(to));
        if (seenCrosses.First(0, {at.x(), at.y(), 0, 0})) {
            crosses.emplace_back(at + QPointF(-4, -4), at + QPointF(4, 4));
            crosses.emplace_back(at + QPointF(-4, 4), at + QPointF(4, -4));
        }
    }

    // Boxes under everything, the red ones last so they stay visible.
    for (int style : {Plain, Shared, Red}) {
        painter.setPen(Thin(Faded(colors[style], 140)));
        painter.setBrush(Faded(colors[style], style == Red ? 40 : 22));
        painter.setClipRect(Rect(layout.plot));
        if (!boxes[style].empty())
            painter.drawRects(boxes[style].data(), static_cast<int>(boxes[style].size()));
        painter.setClipping(false);
        if (!groupBoxes[style].empty())
            painter.drawRects(groupBoxes[style].data(), static_cast<int>(groupBoxes[style].size()));
    }
    if (!stackLines.empty()) {
        painter.setPen(Thin(Faded(kProblem, 150)));
        painter.drawLines(stackLines.data(), static_cast<int>(stackLines.size()));
        painter.setPen(Thin(kProblem, 1.6));
        painter.drawLines(crosses.data(), static_cast<int>(crosses.size()));
    }
    painter.setPen(Qt::NoPen);
    for (int style : {Plain, Shared, Red}) {
        painter.setBrush(colors[style]);
        for (const QPointF& at : dots[style]) painter.drawEllipse(at, kPointRadius, kPointRadius);
        for (const QPointF& at : marks[style])
            painter.drawPolygon(QPolygonF({at + QPointF(0, -kPointRadius - 1),
                                           at + QPointF(kPointRadius + 1, kPointRadius + 1),
                                           at + QPointF(-kPointRadius - 1, kPointRadius + 1)}));
    }

    painter.setFont(LabelFont(layout));
    for (bool red : {false, true}) {
        painter.setPen(red ? kProblem : kInk);
        for (const ChartLabel& label : layout.labels)
            if (label.red == red)
                painter.drawText(Rect(label.rect), Qt::AlignLeft | Qt::AlignVCenter,
                                 Text(label.text));
    }
    painter.restore();
}

}  // namespace mk843nb::tones
