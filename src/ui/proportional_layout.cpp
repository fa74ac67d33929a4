#include "ui/proportional_layout.h"

#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QWidget>
#include <algorithm>

namespace mk843nb {

namespace {

// Where the style puts the contents of a box with a title: under the title and
// the frame's top line, as high as its present font makes them. The box is
// asked about as if its title had a check box: some styles draw the frame's top
// line as low as such a title needs whether there is one or not, and place the
// contents of a plain box above that line once the font is small.
int ContentsTop(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls =
        QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxCheckBox;
    if (box->isFlat()) option.features |= QStyleOptionFrame::Flat;
    return box->style()
        ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, box)
        .top();
}

}  // namespace

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
    // A box's title shrinks by whole points while the offsets of the controls
    // under it shrink by the pixel: below the design size the truncated top of a
    // control can come out above the frame's top line, which then runs through
    // it. Such a top is moved down to the room under the title instead, never
    // lower than the control's design top; everywhere else the rule stands.
    for (const Design& d : controls_) {
        QWidget* w = d.widget.data();
        if (w == nullptr) continue;
        const auto* box = qobject_cast<const QGroupBox*>(w->parentWidget());
        if (box == nullptr || box->title().isEmpty()) continue;
        const int lowest = std::min(ContentsTop(box), d.top);
        if (w->y() < lowest) w->move(w->x(), lowest);
    }
}

}  // namespace mk843nb
