#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "editor/control_id.h"
#include "ui/design_builder.h"
#include "ui/keyboard_access.h"
#include "ui/page_builders.h"

namespace mk843nb {

namespace {

using enum ControlId;

constexpr int kPitch = 40;

// One field a row: its caption, the edit, its unit.
void Column(DesignBuilder& b, QGroupBox* box, std::initializer_list<ControlId> rows, int left,
            int top) {
    for (ControlId control : rows) {
        b.Label(box, "", DesignBuilder::Caption(control), QRect(left, top + 3, 140, 18));
        b.Edit(box, control, {left + 146, top, 80, 22});
        b.Label(box, "", DesignBuilder::Unit(control), QRect(left + 232, top + 3, 70, 18));
        top += kPitch;
    }
}

}  // namespace

void BuildConfigPage(DesignBuilder& b, QWidget* page) {
    QGroupBox* box = b.Group(page, "GroupBox3", QString(), {10, 4, 765, 440});
    TabDownColumns(box);
    Column(b, box, {edtBS_Period, edtBS_Duty, edtTone1Len, edtTone2Len, edtRSSI, edtSSI, edtRSSI2},
           24, 28);

    QGroupBox* synth = b.Group(box, "GroupBox10", QString(), {400, 18, 300, 100});
    int top = 16;
    for (ControlId word : {lblPLLR, lblPLLN, lblMUTL}) {
        b.Label(synth, "", DesignBuilder::Caption(word), QRect(20, top, 50, 18));
        QLabel* value = b.Label(synth, word, QString(), QRect(80, top, 120, 18));
        DesignBuilder::Bold(value);
        top += 26;
    }

    Column(b, box, {edtRFDelay, edtTone1Limit, edtTone2Limit, edtNoiseLimit, edtDecorderReset}, 400,
           148);
}

}  // namespace mk843nb
