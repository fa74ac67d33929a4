#include "image/tones.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "image/codecs.h"

namespace mk843nb {
namespace {

constexpr std::array<ToneGroup, 14> kTable = {{
    {"Mot 1", {3305, 3490, 3685, 3890, 4108, 4337, 4579, 4835, 5105, 5390}},
    {"Mot 2", {5691, 6009, 6345, 6699, 7073, 7468, 7885, 8325, 8790, 9281}},
    {"Mot 3", {10924, 2885, 2965, 3047, 3130, 9537, 9799, 10069, 10347, 10632}},
    {"Mot 4", {3217, 3396, 3586, 3786, 3998, 4221, 4457, 4705, 4968, 5246}},
    {"Mot 5", {5539, 5848, 6174, 6519, 6883, 7268, 7674, 8102, 8555, 9032}},
    {"Mot 6", {11225, 11534, 11852, 12178, 12514, 12858, 13212, 13576, 13950, 14334}},
    {"Mot A", {3589, 3981, 4416, 4898, 5433, 6026, 6683, 7413, 8222, 9120}},
    {"Mot B", {3715, 4121, 4571, 5070, 5623, 6237, 6918, 7674, 8511, 9441}},
    {"Mot Z", {3467, 3846, 4266, 4732, 5248, 5821, 6457, 7161, 7943, 8810}},
    {"Mot 10", {14729, 15135, 15552, 15980, 16420, 16872, 17337, 17815, 18305, 18810}},
    {"Mot 11", {19302, 19890, 20438, 20945, 21556, 22122, 22717, 23346, 24010, 24682}},
    {"GE A' ", {6825, 5925, 7575, 8025, 8475, 8925, 9375, 5475, 7275, 6375}},
    {"GE B' ", {6525, 6075, 7875, 8325, 8775, 9225, 9675, 5175, 5625, 6975}},
    {"GE C' ", {6675, 7125, 7725, 8175, 8625, 9075, 9525, 5325, 5775, 6225}},
}};

std::array<std::uint16_t, 140> SortedTones() {
    std::array<std::uint16_t, 140> sorted{};
    std::size_t i = 0;
    for (const auto& group : kTable)
        for (auto tone : group.tones) sorted[i++] = tone;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

}  // namespace

const std::array<ToneGroup, 14>& StandardToneTable() { return kTable; }

std::optional<std::uint16_t> NearestStandardTone(std::int32_t q) {
    static const std::array<std::uint16_t, 140> sorted = SortedTones();
    std::int64_t best = 1000;
    std::optional<std::uint16_t> result;
    for (auto v : sorted) {
        const std::int64_t d = std::llabs(static_cast<std::int64_t>(q) - v);
        if (d <= best) {
            best = d;
            result = v;
        }
    }
    return result;
}

int EditedToneOfMarkers(int curToneT1, int curToneT2, int curToneT3) {
    if (curToneT1 > 0) return curToneT1;
    if (curToneT2 > 0) return 4 + curToneT2;
    if (curToneT3 > 0) return 8 + curToneT3;
    return 0;
}

bool ToneSpacingOk(std::int32_t q, const ToneSpacingContext& context) {
    const float newHz = static_cast<float>(static_cast<long double>(q) * 0.1L);
    // The ratio comes from its three-decimal text ("%0.3f") read back as a float:
    // a spacing of 15 compares with the float nearest 0.015, not with 15 x 0.001
    // worked out in wider precision, which can differ in the last bit.
    const std::string ratioText =
        FormatFixed(static_cast<long double>(context.toneSpacing) * 0.001L, 0, 3);
    float ratio = 0.0f;
    std::from_chars(ratioText.data(), ratioText.data() + ratioText.size(), ratio);
    for (int s = 1; s <= kToneCount; ++s) {
        if (s == context.editedTone) continue;
        const bool on = s <= 8 ? context.callOn[static_cast<std::size_t>((s - 1) % 4)]
                               : context.groupOn[static_cast<std::size_t>(s - 9)];
        if (!on) continue;
        const float v = static_cast<float>(
            static_cast<long double>(context.lastToneCodes[static_cast<std::size_t>(s - 1)]) *
            0.1L);
        // The bounds too are single-precision values: a tone exactly on v +/- tol
        // compares equal to its bound and is allowed.
        const float tol = v * ratio;
        const float lower = v - tol;
        const float upper = v + tol;
        if (newHz != v && lower < newHz && newHz < upper) return false;
    }
    return true;
}

std::string ToneSpacingMessageText(std::uint8_t toneSpacing) {
    return "Tone Frequency Error!\n\nPlease check the tone spacing rule. \n[1]Two tones in the "
           "same call address "
           "should not be the same.\n[2]Any two tones should be separated by minimum of " +
           FormatFixed(static_cast<long double>(toneSpacing) / 10.0L, 0, 1) +
           "%. \n\nThe original tone frequency is restored.";
}

}  // namespace mk843nb
