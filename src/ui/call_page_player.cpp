#include "ui/call_page_player.h"

#include <QAbstractButton>
#include <QEvent>
#include <QWidget>

#include "editor/form_model.h"
#include "sound/call_page.h"
#include "sound/test_page.h"
#include "ui/dialog_service.h"
#include "ui/play_icons.h"

namespace mk843nb {
namespace {

constexpr int kSampleRate = 48000;

}  // namespace

namespace {

// Draws a play button's sign again when its palette changes (a dark desktop theme chosen
// while the program runs).
class SignFollowsPalette : public QObject {
public:
    explicit SignFollowsPalette(QAbstractButton* button) : QObject(button) {
        button->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange) {
            auto* button = static_cast<QAbstractButton*>(watched);
            button->setIcon(PlayStopIcon(button->isChecked(), button->palette()));
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void ShowPlaying(QAbstractButton* button, bool playing) {
    button->setChecked(playing);
    button->setIcon(PlayStopIcon(playing, button->palette()));
    if (!button->property("signFollowsPalette").toBool()) {
        button->setProperty("signFollowsPalette", true);
        new SignFollowsPalette(button);
    }
}

CallPagePlayer::CallPagePlayer(QWidget* form, const FormModel& model, DialogService& dialogs,
                               QObject* parent)
    : QObject(parent), model_(model), dialogs_(dialogs) {
    auto bind = [&](const QString& name, int call, int group) {
        if (auto* button = form->findChild<QAbstractButton*>(name))
            connect(button, &QAbstractButton::clicked, this,
                    [this, button, call, group] { Toggle(button, call, group); });
    };
    for (int n = 1; n <= 4; ++n) bind(QStringLiteral("btnPlayCall%1").arg(n), n, 0);
    for (int k = 1; k <= 2; ++k) bind(QStringLiteral("btnPlayGroup%1").arg(k), 0, k);
    connect(&player_, &PagePlayer::Finished, this, [this](bool completed, const QString& message) {
        Ended(completed ? QString() : message);
    });
}

void CallPagePlayer::Toggle(QAbstractButton* button, int call, int group) {
    const bool again = playing_ == button;
    if (playing_ != nullptr) {
        player_.Stop();
        Ended({});
    }
    if (again) return;           // the click stopped its own page
    ShowPlaying(button, false);  // until the page plays

    PageRequest request;
    if (call > 0) request.calls = {call};
    if (group > 0) request.groups = {group};
    const PagerImage image = model_.Image();
    const CallPagePlan plan = PlanCallPage(image, image.size(), request);
    if (!plan.refusal.empty()) {
        dialogs_.Show({MessageKind::Exclamation, plan.refusal});
        return;
    }
    const std::vector<std::int16_t> samples = RenderPage(plan.page, kSampleRate);
    if (!player_.Start(samples, kSampleRate)) {
        dialogs_.Show({MessageKind::Exclamation, player_.ErrorText().toStdString()});
        return;
    }
    playing_ = button;
    ShowPlaying(button, true);
}

void CallPagePlayer::Ended(const QString& failure) {
    if (playing_ != nullptr) ShowPlaying(playing_, false);
    playing_ = nullptr;
    if (!failure.isEmpty()) dialogs_.Show({MessageKind::Exclamation, failure.toStdString()});
}

}  // namespace mk843nb
