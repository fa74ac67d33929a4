#include "cli/fresh_start.h"

#include <string>

#include "image/codecs.h"
#include "image/fields.h"
#include "image/frequency.h"
#include "image/tones.h"

namespace mk843nb::cli {
namespace {

constexpr std::int32_t kStartChannelSpacing = 12500;

// The frequency leave rule with the field showing the stored frequency.
void FrequencyLeaveRule(PagerImage& image, Band band, int cspaceIndex, std::int32_t& spacing) {
    const std::int64_t frequency = FrequencyOfImage(image);
    if (!InBand(frequency, band)) return;
    if (band == Band::Low && cspaceIndex == 2) {
        if (const auto found = FindAutoSpacing(frequency)) {
            spacing = found->spacing;
            image[kCSpaceOffset] = found->cspace;
        } else if (const auto inForce = AutoSpacingOfCode(image[kCSpaceOffset])) {
            spacing = *inForce;
        }
    } else if (const auto fixed = FixedSpacingOfIndex(band, cspaceIndex)) {
        spacing = *fixed;
    } else {
        return;
    }
    if (!OnRaster(frequency, spacing)) return;
    StoreFrequencyDigits(image, std::to_string(frequency));
    if (const auto words = ComputeSynthesizer(frequency, spacing, Mutl(band))) StoreSynthesizer(image, *words);
}

// The channel-spacing click rule followed by the leave rule.
void SpacingClickRule(PagerImage& image, Band band, int cspaceIndex, std::int32_t& spacing) {
    if (band == Band::Low && cspaceIndex == 2) {
        if (const auto code = AutoCodeOfSpacing(spacing)) image[kCSpaceOffset] = *code;
    } else if (cspaceIndex >= 0) {
        image[kCSpaceOffset] = static_cast<std::uint8_t>(cspaceIndex);
    }
    FrequencyLeaveRule(image, band, cspaceIndex, spacing);
}

// A tone of a call that comes on, checked again in Standard Mode and stored with its word.
void RestoreStandardTone(PagerImage& image, const Field& tone, const Field& word, const Field* partner) {
    const auto q = GetFieldCode(image, tone);
    if (partner && GetFieldCode(image, *partner) == q) return;
    if (static_cast<std::int32_t>(q) < kStandardToneLowest || static_cast<std::int32_t>(q) > kStandardToneHighest)
        return;
    const auto snapped = NearestStandardTone(static_cast<std::int32_t>(q));
    if (!snapped) return;
    SetFieldCode(image, tone, *snapped);
    SetFieldCode(image, word, ToneDecoderWord(*snapped));
}

}  // namespace

PagerImage FreshStartImage() {
    PagerImage image = DefaultImage();
    StampModelTag(image);
    const Band band = BandOfImage(image);
    std::int32_t spacing = kStartChannelSpacing;

    // The band list shows the image's band and runs its click rule, then the
    // spacing list shows CSpace and runs its own.
    SpacingClickRule(image, band, CSpaceIndexForBand(band, image[kCSpaceOffset]), spacing);
    int cspaceIndex = image[kCSpaceOffset];
    if (image[kCSpaceOffset] >= kAutoCSpaceBase) {
        cspaceIndex = 2;
        if (const auto autoSpacing = AutoSpacingOfCode(image[kCSpaceOffset])) spacing = *autoSpacing;
    }
    SpacingClickRule(image, band, cspaceIndex, spacing);
    const std::int64_t frequency = FrequencyOfImage(image);
    if (const auto words = ComputeSynthesizer(frequency, spacing, Mutl(band))) StoreSynthesizer(image, *words);

    const Field& resetCon = FieldNamed("ResetCon");
    SetFieldCode(image, resetCon,
                 static_cast<std::uint32_t>(ResetConCodeOfIndex(ResetConIndexOfCode(image[resetCon.offset]))));
    const Field& reminder = FieldNamed("Reminder");
    SetFieldCode(image, reminder, ReminderCodeOfIndex(ReminderIndexOfCode(image[reminder.offset])));

    for (int call = 1; call <= 4; ++call) {
        if (!GetFieldCode(image, FieldNamed("Duty" + std::to_string(call)))) continue;
        const std::string k = std::to_string(call);
        const Field& first = FieldNamed("T1" + k);
        const Field& second = FieldNamed("T2" + k);
        RestoreStandardTone(image, first, FieldNamed("W1" + k), &second);
        RestoreStandardTone(image, second, FieldNamed("W2" + k), &first);
    }
    for (int group = 1; group <= 2; ++group) {
        const std::string k = std::to_string(group);
        if (GetFieldCode(image, FieldNamed("GDuty" + k)))
            RestoreStandardTone(image, FieldNamed("T3" + k), FieldNamed("W3" + k), nullptr);
    }
    return image;
}

}  // namespace mk843nb::cli
