#include "sound/call_page.h"

#include <cmath>
#include <optional>

#include "image/fields.h"

namespace mk843nb {
namespace {

// Tenths of a hertz as hertz with one decimal, however small.
std::string Hertz(std::uint32_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

struct ToneSlot {
    std::string role;  // "TONE1", "TONE2", "the group tone"
    std::string field;
};

// The tone of one slot, or the reason it cannot be sent.
std::optional<std::uint16_t> SlotTone(const PagerImage& image, std::size_t bytesRead,
                                      const std::string& label, const ToneSlot& slot,
                                      std::string& refusal) {
    const Field& field = FieldNamed(slot.field);
    const std::size_t last = field.offset + field.size - 1u;
    if (last >= bytesRead) {
        refusal = label + " cannot be paged: the file holds " + std::to_string(bytesRead) +
                  " bytes, and its " + slot.role + " (" + slot.field + ") is at bytes " +
                  std::to_string(field.offset) + " to " + std::to_string(last);
        return std::nullopt;
    }
    const std::uint32_t code = GetFieldCode(image, field);
    if (code < field.low || code > field.high) {
        refusal = label + " cannot be paged: its " + slot.role + " (" + slot.field + ") is " +
                  (code == 0 ? "not set (0.0 Hz)" : Hertz(code) + " Hz") + ", not a tone from " +
                  Hertz(static_cast<std::uint32_t>(field.low)) + " to " +
                  Hertz(static_cast<std::uint32_t>(field.high)) + " Hz";
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(code);
}

bool SwitchedOn(const PagerImage& image, std::size_t bytesRead, const std::string& bitField) {
    const Field& field = FieldNamed(bitField);
    return field.offset < bytesRead && GetFieldCode(image, field) == 1;
}

// A tone of the page that is shorter than the pager's duration for it: the
// note that says so, or "".
std::string TooShortNote(const std::string& label, const std::string& role, double seconds,
                         const ToneTimes& times, PageTone tone, const char* field) {
    const int needed = SureMs(times, tone);
    const auto ms = static_cast<int>(std::lround(seconds * 1000.0));
    if (ms >= needed) return "";
    return label + ": its " + role + " of " + MillisecondsText(ms) + " is shorter than the " +
           "pager's " + DurationName(tone) + " (" + field + ") of " + MillisecondsText(needed) +
           ": the pager may not decode this page";
}

}  // namespace

CallPagePlan PlanCallPage(const PagerImage& image, std::size_t bytesRead,
                          const PageRequest& request) {
    CallPagePlan plan;
    const PageTiming& timing = request.timing;
    auto refuse = [&plan](std::string reason) {
        plan.page.clear();
        plan.calls.clear();
        plan.notes.clear();
        plan.refusal = std::move(reason);
        return plan;
    };
    auto add = [&](PagedCall call, const std::vector<double>& seconds) {
        if (!call.switchedOn)
            plan.notes.push_back(call.label +
                                 " is switched off in this table; its tones are paged anyway");
        if (!plan.page.empty()) plan.page.push_back({0.0, timing.gapSeconds});
        for (std::size_t i = 0; i < call.tones.size(); ++i)
            plan.page.push_back({call.tones[i] / 10.0, seconds[i]});
        plan.calls.push_back(std::move(call));
    };

    for (int n : request.calls) {
        const std::string label = "CALL #" + std::to_string(n);
        if (n < 1 || n > 4) return refuse(label + " does not exist: calls are 1 to 4");
        std::string refusal;
        const auto first =
            SlotTone(image, bytesRead, label, {"TONE1", "T1" + std::to_string(n)}, refusal);
        if (!first) return refuse(refusal);
        const auto second =
            SlotTone(image, bytesRead, label, {"TONE2", "T2" + std::to_string(n)}, refusal);
        if (!second) return refuse(refusal);
        add({label, {*first, *second}, SwitchedOn(image, bytesRead, "Duty" + std::to_string(n))},
            {timing.aSeconds, timing.bSeconds});
    }
    for (int k : request.groups) {
        const std::string label = "Group CALL #" + std::to_string(k);
        if (k < 1 || k > 2) return refuse(label + " does not exist: group calls are 1 to 2");
        std::string refusal;
        const auto tone =
            SlotTone(image, bytesRead, label, {"group tone", "T3" + std::to_string(k)}, refusal);
        if (!tone) return refuse(refusal);
        add({label, {*tone}, SwitchedOn(image, bytesRead, "GDuty" + std::to_string(k))},
            {timing.groupSeconds});
    }
    if (plan.calls.empty()) return refuse("no call to page: name one with --call or --group");
    // Every tone paged lies beyond the timing fields, so the file holds them.
    const ToneTimes times = ToneTimesOf(image);
    for (const PagedCall& call : plan.calls) {
        const bool group = call.tones.size() == 1;
        const std::vector<std::string> notes =
            group ? std::vector<std::string>{TooShortNote(call.label, "tone", timing.groupSeconds,
                                                          times, PageTone::Group, "Tone3Len")}
                  : std::vector<std::string>{TooShortNote(call.label, "TONE1", timing.aSeconds,
                                                          times, PageTone::Tone1, "Tone1Len"),
                                             TooShortNote(call.label, "TONE2", timing.bSeconds,
                                                          times, PageTone::Tone2, "Tone2Len")};
        for (const std::string& note : notes)
            if (!note.empty()) plan.notes.push_back(note);
    }
    return plan;
}

}  // namespace mk843nb
