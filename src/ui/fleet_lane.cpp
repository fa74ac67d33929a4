#include "ui/fleet_lane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "fleet_run/fleet_screen.h"
#include "ui/fleet_view_parts.h"

namespace mk843nb {

FleetLane::FleetLane(int number, const QString& port, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Lane%1").arg(number));
    setFrameShape(QFrame::StyledPanel);
    auto* title = new QLabel(
        QStringLiteral("<b>Board %1</b>: %2").arg(number).arg(port.toHtmlEscaped()), this);
    state_ = new QLabel(QString::fromStdString(fleet::DoingText(fleet::BoardDoing::Idle)), this);
    state_->setObjectName(QStringLiteral("LaneState"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("LaneProgress"));
    progress_->setRange(0, fleet::kLaneSteps);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(120);
    prompt_ = new QLabel(this);
    prompt_->setObjectName(QStringLiteral("LanePrompt"));
    prompt_->setWordWrap(true);
    QFont bold = prompt_->font();
    bold.setBold(true);
    prompt_->setFont(bold);
    go_ = FleetButton(this, "LaneGo", QStringLiteral("Go"));
    skip_ = FleetButton(this, "LaneSkip", QStringLiteral("Skip"));
    stop_ = FleetButton(this, "LaneStop", QStringLiteral("Stop"));
    refusal_ = new QLabel(this);
    refusal_->setObjectName(QStringLiteral("LaneRefusal"));
    refusal_->setWordWrap(true);
    refusal_->setStyleSheet(QStringLiteral("color: #a40000"));
    anyway_ = FleetButton(this, "LaneWriteAnyway", QStringLiteral("Write &anyway"));
    anyway_->setToolTip(
        QStringLiteral("Write this pager's table over the pager on the board all the same"));

    auto* top = new QHBoxLayout;
    top->addWidget(title);
    top->addWidget(state_, 1);
    top->addWidget(progress_);
    auto* asking = new QHBoxLayout;
    asking->addWidget(prompt_, 1);
    asking->addWidget(go_);
    asking->addWidget(skip_);
    asking->addWidget(stop_);
    auto* refused = new QHBoxLayout;
    refused->addWidget(refusal_, 1);
    refused->addWidget(anyway_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(top);
    layout->addLayout(asking);
    layout->addLayout(refused);
    EndAsking();
    refusal_->setVisible(false);
    anyway_->setVisible(false);

    connect(go_, &QPushButton::clicked, this, [this] { emit Answered(fleet::PromptAnswer::Go); });
    connect(skip_, &QPushButton::clicked, this,
            [this] { emit Answered(fleet::PromptAnswer::Skip); });
    connect(stop_, &QPushButton::clicked, this,
            [this] { emit Answered(fleet::PromptAnswer::Stop); });
    connect(anyway_, &QPushButton::clicked, this,
            [this] { emit WriteAnywayClicked(refusedLabel_); });
}

void FleetLane::Show(const std::string& text, int step) {
    state_->setText(QString::fromStdString(text));
    progress_->setValue(step);
}

void FleetLane::Ask(const QString& text) {
    refusedLabel_.clear();
    refusal_->setVisible(false);
    anyway_->setVisible(false);
    prompt_->setText(text);
    for (QWidget* w : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(go_),
                       static_cast<QWidget*>(skip_), static_cast<QWidget*>(stop_)})
        w->setVisible(true);
    go_->setFocus();
}

void FleetLane::EndAsking() {
    prompt_->clear();
    for (QWidget* w : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(go_),
                       static_cast<QWidget*>(skip_), static_cast<QWidget*>(stop_)})
        w->setVisible(false);
}

void FleetLane::Refuse(const std::string& label, const QString& text) {
    refusedLabel_ = label;
    refusal_->setText(text);
    refusal_->setVisible(true);
    anyway_->setVisible(true);
}

void FleetLane::AllowWriteAnyway(bool allowed) { anyway_->setEnabled(allowed); }

}  // namespace mk843nb
