#pragma once

#include <QPointer>
#include <QSize>
#include <vector>

class QWidget;

namespace mk843nb {

// Keeps every control's design bounds and font size and scales them with the
// window: bounds by the width and height ratios, the font by the smaller one,
// each value truncated toward zero.
class ProportionalLayout {
public:
    struct Design {
        QPointer<QWidget> widget;
        int left = 0, top = 0, width = 0, height = 0;
        int fontSize = 0;  // points
    };

    // Stores the window's size and each control's current bounds and font size.
    void Record(QSize windowSize, const std::vector<QWidget*>& controls);
    // Lays every recorded control out for the window's new size.
    void Apply(QSize windowSize) const;

    QSize DesignSize() const { return designSize_; }
    const std::vector<Design>& Controls() const { return controls_; }

private:
    QSize designSize_;
    std::vector<Design> controls_;
};

}  // namespace mk843nb
