// The "Frequency" box: band, frequency and channel spacing, and the
// synthesizer words that follow from them.

#include "editor/editor_messages.h"
#include "editor/form_model.h"
#include "image/codecs.h"
#include "image/frequency.h"

namespace mk843nb {
namespace {

Band BandOfIndex(int index) { return index == 1 ? Band::High : Band::Low; }

// The list index that shows a CSpace code in a band; -1 where no item can
// show it (4 to 31, and 38 and above, which have no Auto spacing).
int ShownCSpaceIndex(Band band, std::uint8_t cspace) {
    if (band == Band::Low && cspace >= kAutoCSpaceBase && !AutoSpacingOfCode(cspace)) return -1;
    return CSpaceIndexForBand(band, cspace);
}

}  // namespace

using enum ControlId;

int FormModel::BandIndex() const { return C(cboRangeFreq).itemIndex == 1 ? 1 : 0; }

void FormModel::FrequencyDisplay() {
    const std::string text = std::to_string(FrequencyOfImage(image_));
    bandMemory_[BandOfImage(image_) == Band::Low ? 0 : 1] = text;
    SetText(edtFreq, text);
}

void FormModel::cboRangeFreqClick() {
    const Band band = BandOfIndex(BandIndex());
    ControlState& spacing = C(cboCSpace);
    spacing.items.clear();
    mutl_ = mk843nb::Mutl(band);
    SetText(lblMUTL, std::to_string(mutl_));
    SetText(edtFreq, bandMemory_[band == Band::Low ? 0 : 1]);
    if (band == Band::High)
        spacing.items.assign(kHighBandCSpaceItems.begin(), kHighBandCSpaceItems.end());
    else
        spacing.items.assign(kLowBandCSpaceItems.begin(), kLowBandCSpaceItems.end());
    ShowIndex(cboCSpace, ShownCSpaceIndex(band, Byte(cboCSpace)));
    cboCSpaceClick();
    edtFreqExit();
}

void FormModel::cboCSpaceClick() {
    const Band band = BandOfIndex(BandIndex());
    const int index = C(cboCSpace).itemIndex;
    if (band == Band::Low && index == 2) {
        // Auto starts from the spacing in force; the leave rule then searches.
        if (auto code = AutoCodeOfSpacing(channelSpacing_)) SetByte(cboCSpace, *code);
    } else if (index >= 0) {
        SetByte(cboCSpace, static_cast<std::uint8_t>(index));
    }
    // No selection: a code no item can show stays as the image holds it.
    edtFreqExit();
}

void FormModel::edtFreqExit() {
    const std::string text = C(edtFreq).text;
    if (text.empty()) {
        // Entering emptied the field: leaving it untouched brings the stored frequency back.
        FrequencyDisplay();
        ComputeSynthesizer();
        return;
    }
    const auto frequency = ParseInteger(text);
    if (!frequency) {
        Show(messages::NotANumber(text));
        FocusTo(edtFreq);
        return;
    }
    const Band band = BandOfIndex(BandIndex());
    if (!InBand(*frequency, band)) {
        Show(messages::FrequencySetting(band));
        FocusTo(edtFreq);
        return;
    }
    const int index = C(cboCSpace).itemIndex;
    if (band == Band::Low && index == 2) {
        if (auto found = FindAutoSpacing(*frequency)) {
            channelSpacing_ = found->spacing;
            SetByte(cboCSpace, found->cspace);
        } else if (auto inForce = AutoSpacingOfCode(Byte(cboCSpace))) {
            channelSpacing_ = *inForce;
        }
    } else if (auto fixed = FixedSpacingOfIndex(band, index)) {
        channelSpacing_ = *fixed;
    } else {
        // No spacing selected (a CSpace code no item shows): nothing can be checked or
        // stored. Say so and show the stored frequency again, rather than keep a typed
        // value that never reaches the image; the refresh already shows the stored one.
        if (!refreshing_) {
            Show(messages::ChannelSpacing());
            FrequencyDisplay();
        }
        return;
    }
    if (!OnRaster(*frequency, channelSpacing_)) {
        Show(messages::ChannelSpacing());
        FocusTo(edtFreq);
        return;
    }
    // The digits of the number, so that blanks or a sign around them never reach the image.
    StoreFrequencyDigits(image_, std::to_string(*frequency));
    FrequencyDisplay();
    ComputeSynthesizer();
}

void FormModel::ComputeSynthesizer() {
    const auto frequency = ParseInteger(C(edtFreq).text);
    if (!frequency) return;
    const auto words = mk843nb::ComputeSynthesizer(*frequency, channelSpacing_, mutl_);
    if (!words) {
        FocusTo(edtFreq);
        return;
    }
    StoreSynthesizer(image_, *words);
    SetText(lblPLLR, Hex8(words->pllr));
    SetText(lblPLLN, Hex8(words->plln));
}

}  // namespace mk843nb
