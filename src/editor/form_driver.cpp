#include "editor/form_driver.h"

namespace mk843nb {

std::vector<Message> FormDriver::TakeMessages() {
    std::vector<Message> out;
    out.swap(messages_);
    return out;
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
                closedWindows_.push_back(effect.control);
                break;
            case EffectKind::FocusTo:
            case EffectKind::FocusNull: {
                const std::string target =
                    effect.kind == EffectKind::FocusNull ? "edtNull" : effect.control;
                if (redirect)
                    focused_ = target;
                else
                    MoveFocus(target, false);
                break;
            }
        }
    }
}

void FormDriver::MoveFocus(const std::string& target, bool runEntry) {
    if (target == focused_ || depth_ > 8) return;
    ++depth_;
    const std::string previous = focused_;
    focused_ = target;
    const Effects left = previous.empty() ? Effects{} : model_.Leave(previous);
    Apply(left, true);
    if (runEntry && focused_ == target) Apply(model_.Enter(target), false);
    --depth_;
}

void FormDriver::Focus(std::string_view control) {
    // A disabled or hidden control cannot take the focus.
    const ControlState* state = model_.Find(control);
    if (state == nullptr || !state->enabled || !state->visible) return;
    MoveFocus(std::string(control), true);
}

bool FormDriver::Type(char key) {
    const std::string field = focused_;
    KeyOutcome outcome = model_.KeyPress(field, key);
    if (outcome.accepted && key != '\r') {
        if (const ControlState* state = model_.Find(field)) {
            std::string text = state->text;
            if (key == '\b') {
                if (!text.empty()) text.pop_back();
            } else {
                text.push_back(key);
            }
            model_.TextEdited(field, std::move(text));
        }
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
    Focus("edtNull");
}

void FormDriver::Click(std::string_view control) {
    const ControlState* state = model_.Find(control);
    if (state != nullptr && state->kind != ControlKind::MenuItem &&
        state->kind != ControlKind::Tab) {
        Focus(control);
        if (focused_ != control) return;  // a refused leave check kept the focus
    }
    Apply(model_.Click(control), false);
}

void FormDriver::Select(std::string_view control, int index) {
    Focus(control);
    if (focused_ != control) return;
    Apply(model_.Select(control, index), false);
}

void FormDriver::DoubleClick(std::string_view control) {
    Focus(control);
    Apply(model_.DoubleClick(control), false);
}

}  // namespace mk843nb
