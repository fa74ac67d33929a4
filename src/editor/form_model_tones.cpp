// The CALL page: the ON and priority boxes and the tone entry rules.

#include <array>
#include <limits>

#include "editor/control_catalog.h"
#include "editor/control_groups.h"
#include "editor/editor_messages.h"
#include "editor/form_model.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "image/tones.h"

namespace mk843nb {
namespace {

using enum ControlId;

// The image fields of the decoder word each tone comes with, by tag.
constexpr std::array<std::string_view, 4> kFirstWords = {"W11", "W12", "W13", "W14"};
constexpr std::array<std::string_view, 4> kSecondWords = {"W21", "W22", "W23", "W24"};
constexpr std::array<std::string_view, 2> kGroupWords = {"W31", "W32"};

}  // namespace

bool FormModel::ToneFieldOf(ControlId control, ToneField& field) {
    for (std::size_t k = 0; k < kCallRows.size(); ++k) {
        if (kCallRows[k].tone1 == control)
            field = {kTone1, static_cast<int>(k) + 1};
        else if (kCallRows[k].tone2 == control)
            field = {kTone2, static_cast<int>(k) + 1};
        else
            continue;
        return true;
    }
    for (std::size_t k = 0; k < kGroupRows.size(); ++k) {
        if (kGroupRows[k].tone != control) continue;
        field = {kGroup, static_cast<int>(k) + 1};
        return true;
    }
    return false;
}

ControlId FormModel::ToneControl(Family family, int tag) {
    const auto k = static_cast<std::size_t>(tag - 1);
    switch (family) {
        case kTone1:
            return kCallRows[k].tone1;
        case kTone2:
            return kCallRows[k].tone2;
        case kGroup:
            return kGroupRows[k].tone;
    }
    return edtNull;
}

std::size_t FormModel::ToneOffset(Family family, int tag) {
    return ImageFieldOf(ToneControl(family, tag))->offset;
}

std::size_t FormModel::WordOffset(Family family, int tag) {
    const auto k = static_cast<std::size_t>(tag - 1);
    switch (family) {
        case kTone1:
            return FieldNamed(kFirstWords[k]).offset;
        case kTone2:
            return FieldNamed(kSecondWords[k]).offset;
        case kGroup:
            return FieldNamed(kGroupWords[k]).offset;
    }
    return 0;
}

int FormModel::ToneNumber(Family family, int tag) { return family * 4 + tag; }

void FormModel::RefreshFamily(Family family) {
    for (int tag = 1; tag <= (family == kGroup ? 2 : 4); ++tag) {
        const std::uint16_t code = GetWord(image_, ToneOffset(family, tag));
        SetText(ToneControl(family, tag), FormatTone(code));
        lastTone_[static_cast<std::size_t>(ToneNumber(family, tag))] = code;
    }
}

bool FormModel::ToneSpacingOk(std::int64_t q) const {
    ToneSpacingContext context;
    context.editedTone = EditedToneOfMarkers(curTone_[0], curTone_[1], curTone_[2]);
    context.toneSpacing = toneSpacing_;
    for (int s = 1; s <= kToneCount; ++s)
        context.lastToneCodes[static_cast<std::size_t>(s - 1)] =
            static_cast<std::int32_t>(lastTone_[static_cast<std::size_t>(s)]);
    for (std::size_t n = 0; n < kCallRows.size(); ++n)
        context.callOn[n] = Checked(kCallRows[n].duty);
    for (std::size_t k = 0; k < kGroupRows.size(); ++k)
        context.groupOn[k] = Checked(kGroupRows[k].duty);
    return mk843nb::ToneSpacingOk(static_cast<std::int32_t>(q), context);
}

// edtT11Exit, edtT21Exit and edtT31Exit: one handler for the three families.
void FormModel::ToneExit(Family family, int tag) {
    curTone_ = {0, 0, 0};
    curTone_[family] = tag;
    const ControlId control = ToneControl(family, tag);
    const std::string text = C(control).text;
    if (text.empty()) {
        RefreshFamily(family);
        return;
    }
    const auto hertz = ParseNumber(text);
    if (!hertz) {
        Show(messages::NotANumber(text));
        return;
    }
    SetText(control, FormatToneValue(*hertz));
    // A value too wide to read back is out of every range.
    const std::int64_t q =
        ToneCodeOfText(C(control).text).value_or(std::numeric_limits<std::int64_t>::max());

    const auto refuseSpacing = [&] {
        Show(messages::ToneSpacing(toneSpacing_));
        curTone_[family] = 0;
        RefreshFamily(family);
    };
    std::int64_t partner = -1;
    if (family != kGroup) {
        const Family other = family == kTone1 ? kTone2 : kTone1;
        // The partner normally shows its stored tone; when it shows nothing, its stored tone
        // counts.
        partner = ToneCodeOfText(C(ToneControl(other, tag)).text)
                      .value_or(GetWord(image_, ToneOffset(other, tag)));
        if (q == partner) return refuseSpacing();
    }

    std::int64_t stored = q;
    if (StandardMode()) {
        if (q < kStandardToneLowest || q > kStandardToneHighest) {
            Show(messages::StandardToneRange());
            if (family == kGroup)
                RefreshFamily(family);
            else
                SetText(control, "");
            FocusTo(control);
            return;
        }
        stored = NearestStandardTone(static_cast<std::int32_t>(q))
                     .value_or(static_cast<std::uint16_t>(q));
        // Two equal tones in one call address are never valid, snapped or typed.
        if (family != kGroup &&
            stored == GetWord(image_, ToneOffset(family == kTone1 ? kTone2 : kTone1, tag)))
            return refuseSpacing();
    } else {
        if (q < kUserToneLowest || q > kUserToneHighest) {
            Show(messages::UserToneRange());
            FocusTo(control);
            return;
        }
        if (!ToneSpacingOk(q)) return refuseSpacing();
    }
    const auto code = static_cast<std::uint16_t>(stored);
    if (stored != q) toneSnaps_.push_back({std::string(ImageFieldOf(control)->name), q, code});
    SetWord(image_, ToneOffset(family, tag), code);
    SetWord(image_, WordOffset(family, tag), ToneDecoderWord(code));
    RefreshFamily(family);
}

// --- ON and priority boxes --------------------------------------------------

void FormModel::EnableCallRow(int tag, bool enabled) {
    const CallRow& row = kCallRows[static_cast<std::size_t>(tag - 1)];
    for (ControlId control : {row.tone1, row.tone2, row.alertTime, row.alertType, row.priority})
        Enable(control, enabled);
}

void FormModel::EnableGroupRow(int tag, bool enabled) {
    const GroupRow& row = kGroupRows[static_cast<std::size_t>(tag - 1)];
    for (ControlId control : {row.tone, row.alertTime, row.alertType, row.priority})
        Enable(control, enabled);
}

void FormModel::chkDuty1Click(int tag) {
    const ControlId duty = kCallRows[static_cast<std::size_t>(tag - 1)].duty;
    const bool on = Checked(duty);
    EnableCallRow(tag, on);
    SetBit(duty, on);
    // The tones of a call that comes on are checked again against the mode and the other calls.
    if (on) {
        ToneExit(kTone1, tag);
        ToneExit(kTone2, tag);
    }
}

void FormModel::chkGDuty1Click(int tag) {
    const ControlId duty = kGroupRows[static_cast<std::size_t>(tag - 1)].duty;
    const bool on = Checked(duty);
    EnableGroupRow(tag, on);
    SetBit(duty, on);
    if (on) ToneExit(kGroup, tag);
}

}  // namespace mk843nb
