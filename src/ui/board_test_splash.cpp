#include "ui/board_test_splash.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>

#include "ui/pager_picture.h"

namespace mk843nb {

namespace {

QFont ArialBold(int pixelSize) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// The labels are laid out for Arial; where a wider face stands in for it, the
// text shrinks until it fits the splash instead of being cut off.
void FitFont(QLabel* label) {
    QFont font = label->font();
    while (font.pixelSize() > 9 &&
           QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    label->setFont(font);
}

constexpr int kLabelRight = 314;

}  // namespace

BoardTestSplash::BoardTestSplash(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form3"));
    setFixedSize(320, 81);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Box);  // one thin line, so the borderless window has an edge
    panel->setGeometry(0, 0, 320, 81);

    auto* image1 = new QLabel(panel);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(11, 10, 61, 61);
    image1->setPixmap(PagerPicture(61));

    label1_ = new QLabel(QStringLiteral("Target board testing ....."), panel);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(ArialBold(16));
    label1_->setGeometry(85, 14, kLabelRight - 85, 22);
    FitFont(label1_);

    label2_ = new QLabel(panel);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setFont(ArialBold(19));
    QPalette palette = label2_->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label2_->setPalette(palette);
    label2_->setGeometry(100, 42, kLabelRight - 100, 28);
}

void BoardTestSplash::Prepare() {
    label2_->setGeometry(85, label2_->y(), kLabelRight - 85, label2_->height());
    label2_->setText(QStringLiteral("MK843_NB Programmer"));
    FitFont(label2_);
}

void BoardTestSplash::ShowOver(QWidget* mainWindow) {
    if (mainWindow) {
        const QRect frame = mainWindow->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
    show();
    raise();
}

}  // namespace mk843nb
