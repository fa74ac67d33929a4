#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/control_id.h"
#include "image/message.h"

namespace mk843nb {

// What kind of widget shows a control; the three-letter prefix of its name says the same.
enum class ControlKind { Edit, Combo, Check, Radio, Label, Button, Panel, Tab, MenuItem };

// Everything the window needs to draw one control. The model is the only writer.
struct ControlState {
    ControlId id = ControlId::edtNull;
    std::string_view name;  // the control's name, e.g. "edtBS_Period"; the widget's object name
    ControlKind kind = ControlKind::Edit;
    std::string text;                // edit text, label or check-box caption, panel text
    std::vector<std::string> items;  // list items (Combo)
    int itemIndex = -1;              // selected item, -1 for none
    bool checked = false;            // Check and Radio
    bool enabled = true;
    bool visible = true;
    int maxLength = 0;  // Edit: most characters the field holds, 0 for no limit
};

// What the window must do after an event, in order.
enum class EffectKind {
    ShowMessage,    // a modal message box: message
    FocusTo,        // the focus goes (back) to control
    FocusNull,      // the focus moves to the 1 x 1 sink edtNull
    OpenToneTable,  // the tone table window opens for the active tone field
    CloseWindow,    // the window named in window closes ("TForm4" password, "TForm2" tone table)
};

struct Effect {
    EffectKind kind = EffectKind::ShowMessage;
    Message message;                         // ShowMessage
    std::string window;                      // CloseWindow
    ControlId control = ControlId::edtNull;  // FocusTo

    bool operator==(const Effect&) const = default;
};

using Effects = std::vector<Effect>;

// The answer to a typed character: whether the character goes into the field
// (or, for Enter, whether the field keeps it), plus what else happens.
struct KeyOutcome {
    bool accepted = true;
    Effects effects;
};

}  // namespace mk843nb
