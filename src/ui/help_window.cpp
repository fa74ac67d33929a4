#include "ui/help_window.h"

#include <QFontMetrics>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <algorithm>

namespace mk843nb {

namespace {
constexpr int kClientWidth = 561;
constexpr int kClientHeight = 305;
}  // namespace

const QStringList& HelpWindow::HelpLines() {
    static const QStringList lines = {
        QStringLiteral("                      RESET FUNCTION HELP"),
        QStringLiteral(" This field sets the method to reset the audio."),
        QStringLiteral(" There are 6 methods, depending on the model."),
        QStringLiteral(" 1. Auto RESET:"),
        QStringLiteral("    Resets the audio when carrier drops."),
        QStringLiteral(" 2. Delay N sec Auto Reset:"),
        QStringLiteral("    Waits N seconds before checking carrier drop."),
        QStringLiteral(" 3. Manual RESET:"),
        QStringLiteral("    Resets the audio only when the Reset Switch is depressed."),
        QStringLiteral(" 4. Time-out RESET:"),
        QStringLiteral("    Resets after a selected amount of time only."),
        QStringLiteral(" 5. Revert SQ:"),
        QStringLiteral("    Reverts to Monitor Mode after receiving a SelCall page."),
        QStringLiteral(" 6. Delay AUTO_N with Revert:"),
        QStringLiteral("    Wait N seconds and then behave as monitor mode "),
        QStringLiteral("    until the reset button is pushed."),
    };
    return lines;
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("RESET FUNCTION HELP"));
    setFixedSize(kClientWidth, kClientHeight);

    memo1_ = new QPlainTextEdit(this);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setGeometry(0, 0, kClientWidth, kClientHeight);
    memo1_->setReadOnly(true);
    // Flat: no bevel, one plain line, so the borderless window keeps an edge over the main window.
    memo1_->setFrameShape(QFrame::Box);
    memo1_->setFrameShadow(QFrame::Plain);
    memo1_->setLineWidth(1);
    memo1_->document()->setDocumentMargin(8);
    memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setTextInteractionFlags(Qt::NoTextInteraction);
    memo1_->setFocusPolicy(Qt::NoFocus);
    memo1_->viewport()->setCursor(Qt::ArrowCursor);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setBold(true);
    font.setPixelSize(13);
    memo1_->setFont(font);
    QPalette palette = memo1_->palette();
    palette.setColor(QPalette::Text, QColor(0x00, 0x80, 0x80));  // teal
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    memo1_->setPalette(palette);
    memo1_->setPlainText(HelpLines().join(QLatin1Char('\n')));

    button1_ = new QPushButton(QStringLiteral("OK"), this);
    button1_->setObjectName(QStringLiteral("Button1"));
    // Near the bottom centre, over the text area, but beside the last lines, never over them.
    const int buttonTop = kClientHeight - 33;
    const int buttonHeight = 25;
    const QFontMetrics metrics(font);
    const int textLeft = memo1_->frameWidth() + int(memo1_->document()->documentMargin());
    int left = (kClientWidth - 75) / 2;
    for (int i = 0; i < HelpLines().size(); ++i) {
        const int top = textLeft + i * metrics.lineSpacing();
        if (top + metrics.lineSpacing() <= buttonTop || top >= buttonTop + buttonHeight) continue;
        left = std::max(left, textLeft + metrics.horizontalAdvance(HelpLines().at(i)) + 12);
    }
    left = std::min(left, kClientWidth - 75 - 8);
    button1_->setGeometry(left, buttonTop, 75, buttonHeight);
    button1_->setDefault(true);
    connect(button1_, &QPushButton::clicked, this, &QDialog::accept);  // Button1Click
}

}  // namespace mk843nb
