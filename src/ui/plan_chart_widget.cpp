#include "ui/plan_chart_widget.h"

#include <QPainter>
#include <QResizeEvent>

#include "tones_chart/chart_painter.h"

namespace mk843nb {

PlanChartWidget::PlanChartWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TonePlanChart"));
    setMinimumSize(tones::kChartMinWidth, tones::kChartMinHeight);
}

void PlanChartWidget::SetLayoutSource(std::function<tones::ChartLayout(tones::ChartSize)> source) {
    source_ = std::move(source);
    Relayout();
}

void PlanChartWidget::Relayout() {
    if (source_) layout_ = source_({width(), height()});
    update();
}

void PlanChartWidget::paintEvent(QPaintEvent*) {
    if (!source_) return;
    QPainter painter(this);
    tones::PaintChart(painter, layout_);
}

void PlanChartWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

}  // namespace mk843nb
