#pragma once

// Plays the window's part for a FormModel without a window: it keeps the focus,
// runs the leave check of the field that loses it and the entry rule of the
// field that gets it, types characters through the key filters, and collects
// the messages the model raises. The command-line tool and the tests drive the
// model through it, as a user would.
//
// A FocusTo effect puts the focus back without running the entry rule, so the
// refused text stays in the field.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/form_model.h"

namespace mk843nb {

class FormDriver {
public:
    explicit FormDriver(FormModel& model) : model_(model) {}

    FormModel& Model() { return model_; }
    // The control that has the focus; "" or nothing before the first focus.
    std::string_view Focused() const;
    std::optional<ControlId> FocusedId() const { return focused_; }

    // The focus moves to control (Tab or a click): the leave check of the field
    // that had it, then, unless that refused, the entry rule of the new one.
    void Focus(ControlId control);
    void Focus(std::string_view control);
    // One typed character through the focused field's key filter; true when it entered the field.
    bool Type(char key);
    // Types each character; the number of characters the filter refused.
    int TypeText(std::string_view text);
    void PressEnter() { Type('\r'); }
    // Enter, type, leave to edtNull: the usual way a value goes in.
    void EnterValue(std::string_view control, std::string_view text);

    // The focus moves to the control, then the click or pick. By name, an
    // unknown control does nothing.
    void Click(ControlId control);
    void Select(ControlId control, int index);
    void DoubleClick(ControlId control);
    void Click(std::string_view control);
    void Select(std::string_view control, int index);
    void DoubleClick(std::string_view control);
    void PressF9() { Apply(model_.PressF9(), false); }
    void MoveMouseOverBackground() { Apply(model_.MouseOverBackground(), false); }
    void PickTone(std::string_view tone) { Apply(model_.PickTone(tone), false); }
    void ReplaceImage(const PagerImage& image) { Apply(model_.ReplaceImage(image), false); }

    const std::vector<Message>& Messages() const { return messages_; }
    std::vector<Message> TakeMessages();
    int ToneTableOpenings() const { return toneTableOpenings_; }
    const std::vector<std::string>& ClosedWindows() const { return closedWindows_; }

    // Runs effects as the window does; `redirect` when they come from a leave
    // check, whose focus moves only redirect the focus change under way.
    void Apply(const Effects& effects, bool redirect);

private:
    void MoveFocus(ControlId target, bool runEntry);

    FormModel& model_;
    std::optional<ControlId> focused_;
    std::vector<Message> messages_;
    std::vector<std::string> closedWindows_;
    int toneTableOpenings_ = 0;
    int depth_ = 0;
};

}  // namespace mk843nb
