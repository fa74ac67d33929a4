#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/design_builder.h"
#include "ui/page_builders.h"

namespace mk843nb {

namespace {

struct Row {
    const char* caption;
    const char* control;
    const char* unit;
};

constexpr int kPitch = 40;

void Column(DesignBuilder& b, QGroupBox* box, std::initializer_list<Row> rows, int left, int top) {
    for (const Row& r : rows) {
        const QByteArray name(r.control);
        b.Label(box, QByteArray(name).replace("edt", "lblCap").constData(),
                QString::fromLatin1(r.caption), QRect(left, top + 3, 140, 18));
        b.Edit(box, r.control, {left + 146, top, 80, 22});
        b.Label(box, QByteArray(name).replace("edt", "lblUnit").constData(),
                QString::fromLatin1(r.unit), QRect(left + 232, top + 3, 70, 18));
        top += kPitch;
    }
}

}  // namespace

void BuildConfigPage(DesignBuilder& b, QWidget* page) {
    QGroupBox* box = b.Group(page, "GroupBox3", QString(), {10, 4, 765, 440});
    Column(b, box,
           {{"Battery Save", "edtBS_Period", "x 10 ms"},
            {"AD Delay", "edtBS_Duty", "ms"},
            {"Tone1 duration", "edtTone1Len", "x 100 ms"},
            {"Tone2 duration", "edtTone2Len", "x 100 ms"},
            {"NRSSI", "edtRSSI", "V"},
            {"Speaker OFF", "edtSSI", "V"},
            {"Speaker ON (NRSSI)", "edtRSSI2", "V"}},
           24, 28);

    QGroupBox* synth = b.Group(box, "GroupBox10", QString(), {400, 18, 300, 100});
    const struct {
        const char* caption;
        const char* value;
    } words[] = {{"PLLR", "lblPLLR"}, {"PLLN", "lblPLLN"}, {"MUTL", "lblMUTL"}};
    int top = 16;
    for (const auto& w : words) {
        b.Label(synth, QByteArray("lblCap").append(w.caption).constData(),
                QString::fromLatin1(w.caption), QRect(20, top, 50, 18));
        QLabel* value = b.Label(synth, w.value, QString(), QRect(80, top, 120, 18));
        DesignBuilder::Bold(value);
        top += 26;
    }

    Column(b, box,
           {{"RF delay time", "edtRFDelay", "ms"},
            {"Tone1 limit", "edtTone1Limit", "x 100 ms"},
            {"Tone2 limit", "edtTone2Limit", "x 100 ms"},
            {"Noise limit", "edtNoiseLimit", "x 100 ms"},
            {"Decorder Reset", "edtDecorderReset", "Second"}},
           400, 148);
}

}  // namespace mk843nb
