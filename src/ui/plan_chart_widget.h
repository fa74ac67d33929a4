#pragma once

// The tone plan chart in the window: the same layout and drawing as the
// chart files, laid out again for the widget's size.

#include <QWidget>
#include <functional>

#include "tones_chart/chart_layout.h"

namespace mk843nb {

class PlanChartWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlanChartWidget(QWidget* parent = nullptr);

    // Lays out the chart for the widget's size whenever it changes.
    void SetLayoutSource(std::function<tones::ChartLayout(tones::ChartSize)> source);
    const tones::ChartLayout& Layout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();

    std::function<tones::ChartLayout(tones::ChartSize)> source_;
    tones::ChartLayout layout_;
};

}  // namespace mk843nb
