// The CALL page: the ON and priority boxes and the tone entry rules.

#include <limits>

#include "editor/editor_messages.h"
#include "editor/form_model.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "image/tones.h"

namespace mk843nb {
namespace {

const char* const kFamilyPrefix[3] = {"edtT1", "edtT2", "edtT3"};

void WriteBit(PagerImage& image, std::string_view field, bool on) {
    SetFieldCode(image, FieldNamed(field), on ? 1 : 0);
}

}  // namespace

bool FormModel::ToneFieldOf(std::string_view name, ToneField& field) {
    if (name.size() != 6 || name.substr(0, 4) != "edtT") return false;
    const int family = name[4] - '1';
    const int tag = name[5] - '0';
    if (family < 0 || family > 2 || tag < 1 || tag > (family == kGroup ? 2 : 4)) return false;
    field = {static_cast<Family>(family), tag};
    return true;
}

std::string FormModel::ToneControl(Family family, int tag) {
    return kFamilyPrefix[family] + std::to_string(tag);
}

std::size_t FormModel::ToneOffset(Family family, int tag) {
    const auto k = static_cast<std::size_t>(tag - 1);
    switch (family) {
        case kTone1:
            return 192 + 4 * k;
        case kTone2:
            return 194 + 4 * k;
        case kGroup:
            return 224 + 2 * k;
    }
    return 0;
}

std::size_t FormModel::WordOffset(Family family, int tag) {
    const auto k = static_cast<std::size_t>(tag - 1);
    switch (family) {
        case kTone1:
            return 16 + 4 * k;
        case kTone2:
            return 18 + 4 * k;
        case kGroup:
            return 87 + 2 * k;
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
    for (int n = 1; n <= 4; ++n)
        context.callOn[static_cast<std::size_t>(n - 1)] = Checked("chkDuty" + std::to_string(n));
    for (int k = 1; k <= 2; ++k)
        context.groupOn[static_cast<std::size_t>(k - 1)] = Checked("chkGDuty" + std::to_string(k));
    return mk843nb::ToneSpacingOk(static_cast<std::int32_t>(q), context);
}

// edtT11Exit, edtT21Exit and edtT31Exit: one handler for the three families.
void FormModel::ToneExit(Family family, int tag) {
    curTone_ = {0, 0, 0};
    curTone_[family] = tag;
    const std::string control = ToneControl(family, tag);
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
    SetWord(image_, ToneOffset(family, tag), code);
    SetWord(image_, WordOffset(family, tag), ToneDecoderWord(code));
    RefreshFamily(family);
}

// --- ON and priority boxes --------------------------------------------------

void FormModel::EnableCallRow(int tag, bool enabled) {
    const std::string k = std::to_string(tag);
    for (const std::string& name :
         {"edtT1" + k, "edtT2" + k, "edtAlertTime" + k, "cboAlertType" + k, "chkPriority" + k})
        Enable(name, enabled);
}

void FormModel::EnableGroupRow(int tag, bool enabled) {
    const std::string k = std::to_string(tag);
    for (const std::string& name :
         {"edtT3" + k, "edtGAlertTime" + k, "cboGAlertType" + k, "chkGPriority" + k})
        Enable(name, enabled);
}

void FormModel::chkDuty1Click(int tag) {
    const bool on = Checked("chkDuty" + std::to_string(tag));
    EnableCallRow(tag, on);
    WriteBit(image_, "Duty" + std::to_string(tag), on);
    // The tones of a call that comes on are checked again against the mode and the other calls.
    if (on) {
        ToneExit(kTone1, tag);
        ToneExit(kTone2, tag);
    }
}

void FormModel::chkGDuty1Click(int tag) {
    const bool on = Checked("chkGDuty" + std::to_string(tag));
    EnableGroupRow(tag, on);
    WriteBit(image_, "GDuty" + std::to_string(tag), on);
    if (on) ToneExit(kGroup, tag);
}

void FormModel::chkPriority1Click(int tag) {
    const std::string k = std::to_string(tag);
    WriteBit(image_, "Priority" + k, Checked("chkPriority" + k));
}

void FormModel::chkGPriority1Click(int tag) {
    const std::string k = std::to_string(tag);
    WriteBit(image_, "GPriority" + k, Checked("chkGPriority" + k));
}

}  // namespace mk843nb
