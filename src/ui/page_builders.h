#pragma once

class QWidget;

namespace mk843nb {

class DesignBuilder;

// The controls of the main window, at their design bounds (pixels at 833 x 700).
// Each function builds one area; the names are the controls' own.

// "COM Port" box, "System" box, the mode buttons, the "Frequency" box and edtNull.
void BuildTopStrip(DesignBuilder& b, QWidget* form);
// "CALL": the four calls and the two group calls.
void BuildCallPage(DesignBuilder& b, QWidget* page);
// "Setting": the system options, reset, reminder, push to listen, monitor and record.
void BuildSettingPage(DesignBuilder& b, QWidget* page);
// "Config": battery save, tone timing, voltages and the synthesizer box.
void BuildConfigPage(DesignBuilder& b, QWidget* page);
// "Advance Setting": the decoder parameters under their notice.
void BuildAdvancePage(DesignBuilder& b, QWidget* page);

}  // namespace mk843nb
