#include "ui/elided_text.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

namespace mk843nb {

QString ElidedLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const {
    const QSize hint = QLabel::minimumSizeHint();
    return {std::min(hint.width(), fontMetrics().horizontalAdvance(QStringLiteral("M…M"))),
            hint.height()};
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          ShownText(), foregroundRole());
}

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &PortComboBox::UpdateToolTip);
}

bool PortComboBox::event(QEvent* event) {
    // The form binding refills the list with its signals blocked: the tip is
    // taken again when it is about to show.
    if (event->type() == QEvent::ToolTip) UpdateToolTip();
    return QComboBox::event(event);
}

QString PortComboBox::ShownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect room =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QString text = currentText();
    const Qt::TextElideMode mode =
        text.startsWith(QLatin1Char('/')) ? Qt::ElideLeft : Qt::ElideRight;
    return fontMetrics().elidedText(text, mode, room.width());
}

void PortComboBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = ShownText();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void PortComboBox::showPopup() {
    int widest = width();
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(i)) + 32);
    view()->setMinimumWidth(widest);
    QComboBox::showPopup();
}

void PortComboBox::UpdateToolTip() {
    const int index = currentIndex();
    const QString itemTip = index < 0 ? QString() : itemData(index, Qt::ToolTipRole).toString();
    setToolTip(itemTip.isEmpty() ? currentText() : itemTip);
}

}  // namespace mk843nb
