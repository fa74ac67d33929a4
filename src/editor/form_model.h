#pragma once

// The form model: every control of the main window with its state, and every
// rule that runs when the user enters, types, leaves, clicks or picks. The
// window renders Controls() and the returned effects; it decides nothing.
//
// Setting a check box from code runs its click rule exactly as a user's click
// does; setting a list's selection from code does not (the refresh relies on
// both).

#include <string>
#include <string_view>
#include <vector>

#include "editor/form_types.h"
#include "image/pager_image.h"

namespace mk843nb {

class FormModel {
public:
    // A fresh start: the default image with its model tag, Standard Mode,
    // ToneSpacing 15, Modify Mode, the control arrays built and the window refreshed.
    FormModel();

    const PagerImage& Image() const;
    // For the link commands that change bytes in place (version, Write's preparation).
    PagerImage& MutableImage();

    // Every control of the main window, the menu items whose enabling is a rule
    // (Write1, Read1, Verify1, Advance2) and the page tabs whose visibility is one.
    const std::vector<ControlState>& Controls() const;
    const ControlState* Find(std::string_view control) const;  // nullptr for an unknown name

    // Read, Open and the default table: all 256 bytes replaced, then the refresh.
    Effects ReplaceImage(const PagerImage& image);
    Effects RefreshWindow();

    // The user's events, by control name.
    Effects Enter(std::string_view control);
    KeyOutcome KeyPress(std::string_view control, char key);  // '\r' is Enter
    void TextEdited(std::string_view control, std::string text);  // the text after an accepted edit
    Effects Leave(std::string_view control);
    Effects Click(std::string_view control);               // check box, radio button, button
    Effects Select(std::string_view control, int index);   // a list item picked by the user
    Effects DoubleClick(std::string_view control);
    Effects PressF9();
    Effects MouseOverBackground();

    // The tone table's pick: the chosen tone's text goes to the active tone field.
    Effects PickTone(std::string_view toneText);
    // The Advance password window's OK with the typed access code.
    Effects SubmitAccessCode(std::string_view code);
};

}  // namespace mk843nb
