#include "ui/proportional_layout.h"

#include <QWidget>
#include <algorithm>

namespace mk843nb {

void ProportionalLayout::Record(QSize windowSize, const std::vector<QWidget*>& controls) {
    designSize_ = windowSize;
    controls_.clear();
    controls_.reserve(controls.size());
    for (QWidget* w : controls) {
        const QRect g = w->geometry();
        controls_.push_back({w, g.x(), g.y(), g.width(), g.height(), w->font().pointSize()});
    }
}

void ProportionalLayout::Apply(QSize windowSize) const {
    if (designSize_.width() <= 0 || designSize_.height() <= 0) return;
    const double rx = double(windowSize.width()) / designSize_.width();
    const double ry = double(windowSize.height()) / designSize_.height();
    const double rf = std::min(rx, ry);
    for (const Design& d : controls_) {
        QWidget* w = d.widget.data();
        if (w == nullptr) continue;
        // Casting to int truncates toward zero, which is the rule.
        w->setGeometry(int(d.left * rx), int(d.top * ry), int(d.width * rx), int(d.height * ry));
        const int size = int(d.fontSize * rf);
        // A font cannot shrink to nothing: the control keeps its bounds and its last font.
        if (d.fontSize <= 0 || size <= 0) continue;
        QFont font = w->font();
        font.setPointSize(size);
        w->setFont(font);
    }
}

}  // namespace mk843nb
