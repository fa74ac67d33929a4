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

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/form_types.h"
#include "image/pager_image.h"

namespace mk843nb {

struct NumericField;

class FormModel {
public:
    // A fresh start: the default image with its model tag, Standard Mode,
    // ToneSpacing 15, Modify Mode, the control arrays built and the window refreshed.
    FormModel();

    const PagerImage& Image() const { return image_; }
    // For the link commands that change bytes in place (version, Write's preparation).
    PagerImage& MutableImage() { return image_; }

    // Every control of the main window, the menu items whose enabling is a rule
    // (Write1, Read1, Verify1, Advance2) and the page tabs whose visibility is one
    // (TabSheet1 "CALL", TabSheet3 "Setting", TabSheet2 "Config", TabSheet4 "Advance Setting").
    const std::vector<ControlState>& Controls() const { return controls_; }
    const ControlState* Find(std::string_view control) const;  // nullptr for an unknown name
    // edtNull (the focus sink) and edtVersion (the version display): edits that
    // hold no typed data and whose focus carries no rule.
    static bool IsPassiveEdit(std::string_view control);

    // Read, Open and the default table: all 256 bytes replaced, then the refresh.
    Effects ReplaceImage(const PagerImage& image);
    Effects RefreshWindow();

    // The user's events, by control name.
    Effects Enter(std::string_view control);
    KeyOutcome KeyPress(std::string_view control, char key);      // '\r' is Enter, '\b' Backspace
    void TextEdited(std::string_view control, std::string text);  // the text after an accepted edit
    Effects Leave(std::string_view control);
    // Check box, radio button, button, menu item. Advance2 also starts the
    // password window's failure count (the window then shows TForm4).
    Effects Click(std::string_view control);
    Effects Select(std::string_view control, int index);  // a list item picked by the user
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

    // --- State the auxiliary windows and the link commands read or set ---

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

    // A link command runs: Read1, Write1 and Verify1 are disabled; at its end
    // Read1 and Verify1 come back and Write1 follows the edit mode.
    void SetLinkBusy(bool busy);
    // edtVersion and lblVersion are shown once a firmware version has been read.
    void SetVersionShown(bool shown);
    // The port list found by port discovery, and the port selected in it.
    void SetPorts(std::vector<std::string> items, int index);

private:
    // --- controls ---
    ControlState& C(std::string_view name);
    const ControlState& C(std::string_view name) const;
    bool Checked(std::string_view name) const { return C(name).checked; }
    void SetText(std::string_view name, std::string text) { C(name).text = std::move(text); }
    void SetVisible(std::string_view name, bool visible) { C(name).visible = visible; }
    // In Write Mode the editing controls stay disabled whatever a rule says.
    void Enable(std::string_view name, bool enabled);
    // Shows a list index without running the list's rule; an index the list
    // cannot show gives no selection.
    void ShowIndex(std::string_view name, int index);
    // Sets a check box from code: its click rule runs when the state changes.
    void SetChecked(std::string_view name, bool checked);
    void RunClickRule(std::string_view name);
    void RunSelectRule(std::string_view name);
    static bool IsEditingControl(std::string_view name);
    bool Usable(std::string_view name) const;

    void Push(EffectKind kind, std::string_view control = {}, Message message = {});
    void Show(Message message);
    void FocusTo(std::string_view name);
    void FocusNull();
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

    // --- tones ---
    enum Family { kTone1 = 0, kTone2 = 1, kGroup = 2 };
    struct ToneField {
        Family family;
        int tag;
    };
    static bool ToneFieldOf(std::string_view name, ToneField& field);
    static std::string ToneControl(Family family, int tag);
    static std::size_t ToneOffset(Family family, int tag);
    static std::size_t WordOffset(Family family, int tag);
    static int ToneNumber(Family family, int tag);
    void ToneExit(Family family, int tag);
    void RefreshFamily(Family family);
    bool ToneSpacingOk(std::int64_t q) const;

    // --- CALL page ---
    void chkDuty1Click(int tag);
    void chkGDuty1Click(int tag);
    void chkPriority1Click(int tag);
    void chkGPriority1Click(int tag);
    void EnableCallRow(int tag, bool enabled);
    void EnableGroupRow(int tag, bool enabled);

    // --- Setting page ---
    void chkSYSSVClick(int tag);
    void cboResetConClick();
    void cboPTLClick();
    void cboReminderClick();
    void cboRecordMaxClick();
    void chkVolumeLevelClick();
    void chkFullTimeAutoMonitorClick();
    void EnableByPrivacyAndAudio();
    // --- Advance Setting page ---
    void cboBandWidthClick();

    // --- edit modes ---
    void RBtModifyClick();
    void RBtWriteClick();
    void ApplyMenuRule();

    void BuildControls();

    PagerImage image_{};
    std::vector<ControlState> controls_;
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    using ControlIndex = std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>>;
    // Every model has the same controls in the same order: one index serves all.
    const ControlIndex* index_ = nullptr;

    Effects effects_;
    bool refreshing_ = false;
    bool linkBusy_ = false;

    std::uint8_t toneSpacing_ = 15;
    std::array<int, 3> curTone_{};
    std::array<std::uint32_t, 11> lastTone_{};  // index 0 unused

    std::array<std::string, 2> bandMemory_{"1590000", "4620000"};
    int channelSpacing_ = 12500;
    int mutl_ = 1;

    int passwordFailures_ = 0;
};

}  // namespace mk843nb
