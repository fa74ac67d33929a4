#include "ui/about_box.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "program_version.h"
#include "ui/pager_picture.h"

namespace mk843nb {

const QString AboutBox::kHomePage = QStringLiteral("https://www.mk843nb.example.com/");
const QString AboutBox::kEmailAddress = QStringLiteral("support@mk843nb.example.com");

namespace {

QFont NamedFont(const char* family, QFont::StyleHint hint, int pixelSize, bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel* MakeLink(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setCursor(Qt::PointingHandCursor);
    // The palette's link colour: blue on a light desktop, a light blue on a dark one.
    label->setForegroundRole(QPalette::Link);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    // Room for the bold hover style, so hovering never re-lays the box out.
    font.setBold(true);
    label->setMinimumWidth(QFontMetrics(font).horizontalAdvance(text) + 2);
    return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent, UrlOpener openUrl)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      openUrl_(openUrl ? std::move(openUrl)
                       : UrlOpener([](const QUrl& url) { QDesktopServices::openUrl(url); })) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    auto* image1 = new QLabel(panel);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setFixedSize(96, 96);
    image1->setPixmap(PagerPicture(96));

    productName_ = new QLabel(panel);
    productName_->setObjectName(QStringLiteral("ProductName"));
    productName_->setFont(NamedFont("Verdana", QFont::SansSerif, 20, true));
    productName_->setText(QStringLiteral("MK843_NB"));  // set when the box is created

    version_ = new QLabel(
        QStringLiteral("Version %1 (%2)")
            .arg(QString::fromLatin1(kProgramVersion), QString::fromLatin1(kReleaseDate)),
        panel);
    version_->setObjectName(QStringLiteral("Version"));
    version_->setFont(NamedFont("Courier New", QFont::Monospace, 13, true));

    auto* copyright = new QLabel(
        QStringLiteral("Copyright (C) 2012 The MK843_NB developers.\nAll rights reserved."), panel);
    copyright->setObjectName(QStringLiteral("Copyright"));
    copyright->setFont(NamedFont("Arial", QFont::SansSerif, 12, false));

    auto* homeCaption = new QLabel(QStringLiteral("Homepage : "), panel);
    homeCaption->setObjectName(QStringLiteral("lblHomepage"));
    lblUrl_ = MakeLink(kHomePage, "lblUrl", panel);
    auto* mailCaption = new QLabel(QStringLiteral("Email Address(es) : "), panel);
    mailCaption->setObjectName(QStringLiteral("lblEmailCaption"));
    lblEmail_ = MakeLink(kEmailAddress, "lblEmail", panel);
    lblUrl_->installEventFilter(this);
    lblEmail_->installEventFilter(this);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(6);
    titles->addStretch();
    titles->addWidget(productName_);
    titles->addWidget(version_);
    titles->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(image1, 0, Qt::AlignTop | Qt::AlignLeft);
    top->addLayout(titles, 1);

    auto* links = new QGridLayout;
    links->setHorizontalSpacing(2);
    links->setVerticalSpacing(4);
    links->addWidget(homeCaption, 0, 0);
    links->addWidget(lblUrl_, 0, 1);
    links->addWidget(mailCaption, 1, 0);
    links->addWidget(lblEmail_, 1, 1);
    links->setColumnStretch(2, 1);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(12, 12, 16, 12);
    panelLayout->setSpacing(10);
    panelLayout->addLayout(top);
    panelLayout->addWidget(copyright);
    panelLayout->addLayout(links);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setDefault(true);
    okButton_->setMinimumWidth(75);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(panel);
    layout->addWidget(okButton_, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // sized to its content
}

// Entering a link makes it bold and underlined; leaving leaves it underlined only.
void AboutBox::SetLinkHover(QLabel* label, bool hovered) {
    QFont font = label->font();
    font.setBold(hovered);
    font.setUnderline(true);
    label->setFont(font);
}

void AboutBox::lblUrlClick() { openUrl_(QUrl(kHomePage)); }

void AboutBox::lblEmailClick() { openUrl_(QUrl(QStringLiteral("mailto:") + kEmailAddress)); }

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label != lblUrl_ && label != lblEmail_) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Enter:  // lblUrlMouseEnter
            SetLinkHover(label, true);
            break;
        case QEvent::Leave:  // lblUrlMouseLeave
            SetLinkHover(label, false);
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
                if (label == lblUrl_)
                    lblUrlClick();
                else
                    lblEmailClick();
                return true;
            }
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mk843nb
