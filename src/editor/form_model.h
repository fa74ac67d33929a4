#pragma once

// The form model: every control of the main window with its state, and every
// rule that runs when the user enters, types, leaves, clicks or picks. The
// window renders Controls() and the returned effects; it decides nothing.
//
// Setting a check box from code runs its click rule exactly as a user's click
// does (SetChecked); setting a list's selection from code does not (ShowIndex);
// the refresh relies on both.
//
// Events on a control that is disabled or hidden are ignored (the window cannot
// deliver them), except Leave, which always runs the field's leave check.
//
// Focus, as the window must play it (FormDriver plays it the same way):
// - Leave(field) runs when the field loses the focus to another control of the
//   main window (not when a modal window such as the tone table opens over
//   it); Enter(control) when a control gets it, unless the leave check put the
//   focus back (and not when the main window becomes active again).
// - FocusTo(field) puts the focus back into a field whose refused text it keeps:
//   the entry rule (which empties the field) must not run for it.
// - FocusNull moves the focus to edtNull; the field that had it then runs its
//   leave check (a second time for Enter in a tone or half-second field).
// - KeyPress is asked for every character, Backspace ('\b') and Enter ('\r')
//   included; when it answers accepted, the window inserts the character (or
//   deletes for Backspace) and reports the new text through TextEdited.
//
// The model is the only writer of what the window shows: the window's events,
// the link's results (ApplyReadImage, ApplyPreparedImage, ShowVersion,
// SetLinkBusy, SelectPort) and the table files' images (ReplaceImage) all come
// in through it, and the window renders Controls() after each.
//
// Every event takes the control's id; the overloads by name serve the
// command-line tool and the tests, and ignore a name that is no control.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/control_id.h"
#include "editor/form_types.h"
#include "image/pager_image.h"

namespace mk843nb {

struct NumericField;

// A typed tone that Standard Mode stored as the nearest standard tone.
struct ToneSnap {
    std::string field;     // "T11"
    std::int64_t typed;    // tenths of a hertz, as typed
    std::uint16_t stored;  // the standard tone stored instead
    bool operator==(const ToneSnap&) const = default;
};

class FormModel {
public:
    // A fresh start: the default image with its model tag, Standard Mode,
    // ToneSpacing 15, Modify Mode, the controls in their design state and the window refreshed.
    FormModel();

    const PagerImage& Image() const { return image_; }

    // Every control of the main window, indexed by id: the menu items whose
    // enabling is a rule (Write1, Read1, Verify1, Advance2) and the page tabs
    // whose visibility is one (TabSheet1 "CALL", TabSheet3 "Setting",
    // TabSheet2 "Config", TabSheet4 "Advance Setting") included.
    const std::array<ControlState, kControlCount>& Controls() const { return controls_; }
    const ControlState& State(ControlId control) const { return controls_[Index(control)]; }
    const ControlState* Find(std::string_view control) const;  // nullptr for an unknown name
    // edtNull (the focus sink) and edtVersion (the version display): edits that
    // hold no typed data and whose focus carries no rule.
    static bool IsPassiveEdit(ControlId control);

    // Open and the default table: all 256 bytes replaced, then the refresh.
    Effects ReplaceImage(const PagerImage& image);
    Effects RefreshWindow();

    // --- What the link reports ---

    // The image a Read worked on. When the read succeeded (replaced) it
    // replaces the model's, the refresh runs and the version is shown; when it
    // failed only the version bytes the pager answered with can differ, and
    // they are taken without a refresh.
    Effects ApplyReadImage(const PagerImage& image, bool replaced);
    // The image as Write prepared it and sent it (or began to): it becomes the
    // model's without a refresh, as the window showed it before the write.
    void ApplyPreparedImage(const PagerImage& image);
    // The pager's firmware version text: edtVersion shows it, and edtVersion and
    // lblVersion become visible.
    void ShowVersion(std::string_view text);
    // A link command runs: Read1, Write1 and Verify1 are disabled; at its end
    // Read1 and Verify1 come back and Write1 follows the edit mode.
    void SetLinkBusy(bool busy);
    // The port list found by port discovery, and the port selected in it.
    void SetPorts(std::vector<std::string> items, int index);
    // The board search found the board on port list entry index.
    void SelectPort(int index);

    // --- The user's events ---

    Effects Enter(ControlId control);
    KeyOutcome KeyPress(ControlId control, char key);      // '\r' is Enter, '\b' Backspace
    void TextEdited(ControlId control, std::string text);  // the text after an accepted edit
    Effects Leave(ControlId control);
    // Check box, radio button, button, menu item. Advance2 also starts the
    // password window's failure count (the window then shows TForm4).
    Effects Click(ControlId control);
    Effects Select(ControlId control, int index);  // a list item picked by the user
    Effects DoubleClick(ControlId control);

    Effects Enter(std::string_view control);
    KeyOutcome KeyPress(std::string_view control, char key);
    void TextEdited(std::string_view control, std::string text);
    Effects Leave(std::string_view control);
    Effects Click(std::string_view control);
    Effects Select(std::string_view control, int index);
    Effects DoubleClick(std::string_view control);

    Effects PressF9();
    Effects MouseOverBackground();

    // The tone table's pick: the chosen tone's text goes to the active tone field,
    // whose exit handler runs; ends with CloseWindow "TForm2".
    Effects PickTone(std::string_view toneText);
    // The Advance password window's OK (or Enter) with the typed access code.
    // A wrong code gives "Password is Error !" (the window then empties its entry);
    // the right one, or the third wrong one since the window was shown, also
    // gives CloseWindow "TForm4".
    Effects SubmitAccessCode(std::string_view code);
    // The password window has just been shown: its failure counter starts again.
    void PasswordWindowShown();

    // --- State the auxiliary windows and the link commands read ---

    // F9 opens the tone table: Standard Mode and a tone marker set.
    bool ToneTableAllowed() const;
    // CurToneT1, CurToneT2, CurToneT3: the Tag of the active field of the TONE1,
    // TONE2 and group families, 0 for none.
    const std::array<int, 3>& ToneMarkers() const { return curTone_; }
    bool StandardMode() const;
    bool WriteMode() const;
    std::uint8_t ToneSpacing() const { return toneSpacing_; }
    int ChannelSpacing() const { return channelSpacing_; }
    int Mutl() const { return mutl_; }
    // The tone codes the refresh last showed: 1-4 T11-T14, 5-8 T21-T24, 9-10 T31, T32.
    std::uint32_t LastToneCode(int tone) const {
        return lastTone_.at(static_cast<std::size_t>(tone));
    }
    // The snaps since the last call, oldest first. The window stores snapped
    // tones silently; the command-line tool says them, or refuses them.
    std::vector<ToneSnap> TakeToneSnaps() { return std::exchange(toneSnaps_, {}); }

private:
    // --- controls ---
    ControlState& C(ControlId control) { return controls_[Index(control)]; }
    const ControlState& C(ControlId control) const { return controls_[Index(control)]; }
    bool Checked(ControlId control) const { return C(control).checked; }
    void SetText(ControlId control, std::string text) { C(control).text = std::move(text); }
    void SetVisible(ControlId control, bool visible) { C(control).visible = visible; }
    // In Write Mode the editing controls stay disabled whatever a rule says.
    void Enable(ControlId control, bool enabled);
    // Shows a list index without running the list's rule; an index the list
    // cannot show gives no selection.
    void ShowIndex(ControlId control, int index);
    // Sets a check box from code: its click rule runs when the state changes.
    void SetChecked(ControlId control, bool checked);
    void RunClickRule(ControlId control);
    void RunSelectRule(ControlId control);
    static bool IsEditingControl(ControlId control);
    bool Usable(ControlId control) const;

    // --- the image, through the field each control shows ---
    std::uint8_t Byte(ControlId control) const;
    void SetByte(ControlId control, std::uint8_t value);
    bool Bit(ControlId control) const;
    void SetBit(ControlId control, bool on);

    void Push(EffectKind kind, ControlId control = ControlId::edtNull, Message message = {});
    void Show(Message message);
    void FocusTo(ControlId control);
    void FocusNull();
    void CloseWindow(std::string window);
    Effects TakeEffects();

    // --- frequency and synthesizer ---
    void FrequencyDisplay();
    void cboRangeFreqClick();
    void cboCSpaceClick();
    void edtFreqExit();
    void ComputeSynthesizer();
    int BandIndex() const;

    // --- numeric fields ---
    void NumericExit(const NumericField& field);
    std::string StoredText(const NumericField& field) const;
    void ShowStored(ControlId control);

    // --- tones ---
    enum Family { kTone1 = 0, kTone2 = 1, kGroup = 2 };
    struct ToneField {
        Family family;
        int tag;
    };
    static bool ToneFieldOf(ControlId control, ToneField& field);
    static ControlId ToneControl(Family family, int tag);
    static std::size_t ToneOffset(Family family, int tag);
    static std::size_t WordOffset(Family family, int tag);
    static int ToneNumber(Family family, int tag);
    void ToneExit(Family family, int tag);
    void RefreshFamily(Family family);
    bool ToneSpacingOk(std::int64_t q) const;

    // --- CALL page ---
    void chkDuty1Click(int tag);
    void chkGDuty1Click(int tag);
    void EnableCallRow(int tag, bool enabled);
    void EnableGroupRow(int tag, bool enabled);

    // --- Setting page ---
    void chkSYSSVClick(ControlId box);
    void cboResetConClick();
    void cboPTLClick();
    void cboReminderClick();
    void cboRecordMaxClick();
    void chkFullTimeAutoMonitorClick();
    void EnableByPrivacyAndAudio();
    // --- Advance Setting page ---
    void cboBandWidthClick();

    // --- edit modes ---
    void RBtModifyClick();
    void RBtWriteClick();
    void ApplyMenuRule();

    PagerImage image_{};
    std::array<ControlState, kControlCount> controls_;

    Effects effects_;
    bool refreshing_ = false;
    bool linkBusy_ = false;

    std::uint8_t toneSpacing_ = 15;
    std::array<int, 3> curTone_{};
    std::array<std::uint32_t, 11> lastTone_{};  // index 0 unused
    std::vector<ToneSnap> toneSnaps_;

    std::array<std::string, 2> bandMemory_{"1590000", "4620000"};
    int channelSpacing_ = 12500;
    int mutl_ = 1;

    int passwordFailures_ = 0;
};

}  // namespace mk843nb
