#include "editor/form_driver.h"

#include "editor/control_catalog.h"

namespace mk843nb {

std::vector<Message> FormDriver::TakeMessages() {
    std::vector<Message> out;
    out.swap(messages_);
    return out;
}

std::string_view FormDriver::Focused() const {
    return focused_ ? ControlName(*focused_) : std::string_view();
}

void FormDriver::Apply(const Effects& effects, bool redirect) {
    for (const Effect& effect : effects) {
        switch (effect.kind) {
            case EffectKind::ShowMessage:
                messages_.push_back(effect.message);
                break;
            case EffectKind::OpenToneTable:
                ++toneTableOpenings_;
                break;
            case EffectKind::CloseWindow:
                closedWindows_.push_back(effect.window);
                break;
            case EffectKind::FocusTo:
            case EffectKind::FocusNull: {
                const ControlId target =
                    effect.kind == EffectKind::FocusNull ? ControlId::edtNull : effect.control;
                if (redirect)
                    focused_ = target;
                else
                    MoveFocus(target, false);
                break;
            }
        }
    }
}

void FormDriver::MoveFocus(ControlId target, bool runEntry) {
    if (focused_ == target || depth_ > 8) return;
    ++depth_;
    const std::optional<ControlId> previous = focused_;
    focused_ = target;
    const Effects left = previous ? model_.Leave(*previous) : Effects{};
    Apply(left, true);
    if (runEntry && focused_ == target) Apply(model_.Enter(target), false);
    --depth_;
}

void FormDriver::Focus(ControlId control) {
    // A disabled or hidden control cannot take the focus.
    const ControlState& state = model_.State(control);
    if (!state.enabled || !state.visible) return;
    MoveFocus(control, true);
}

void FormDriver::Focus(std::string_view control) {
    if (const auto id = FindControl(control)) Focus(*id);
}

bool FormDriver::Type(char key) {
    if (!focused_) return false;
    const ControlId field = *focused_;
    KeyOutcome outcome = model_.KeyPress(field, key);
    if (outcome.accepted && key != '\r') {
        std::string text = model_.State(field).text;
        if (key == '\b') {
            if (!text.empty()) text.pop_back();
        } else {
            text.push_back(key);
        }
        model_.TextEdited(field, std::move(text));
    }
    Apply(outcome.effects, false);
    return outcome.accepted;
}

int FormDriver::TypeText(std::string_view text) {
    int refused = 0;
    for (char key : text)
        if (!Type(key)) ++refused;
    return refused;
}

void FormDriver::EnterValue(std::string_view control, std::string_view text) {
    Focus(control);
    TypeText(text);
    Focus(ControlId::edtNull);
}

void FormDriver::Click(ControlId control) {
    const ControlKind kind = model_.State(control).kind;
    if (kind != ControlKind::MenuItem && kind != ControlKind::Tab) {
        Focus(control);
        if (focused_ != control) return;  // a refused leave check kept the focus
    }
    Apply(model_.Click(control), false);
}

void FormDriver::Select(ControlId control, int index) {
    Focus(control);
    if (focused_ != control) return;
    Apply(model_.Select(control, index), false);
}

void FormDriver::DoubleClick(ControlId control) {
    Focus(control);
    Apply(model_.DoubleClick(control), false);
}

void FormDriver::Click(std::string_view control) {
    if (const auto id = FindControl(control)) Click(*id);
}

void FormDriver::Select(std::string_view control, int index) {
    if (const auto id = FindControl(control)) Select(*id, index);
}

void FormDriver::DoubleClick(std::string_view control) {
    if (const auto id = FindControl(control)) DoubleClick(*id);
}

}  // namespace mk843nb
