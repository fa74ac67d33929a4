#include "tones/tone_plan.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "image/codecs.h"
#include "image/fields.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

std::uint32_t Code(const PagerImage& image, const std::string& field) {
    return GetFieldCode(image, FieldNamed(field));
}

}  // namespace

std::string Address::Field() const {
    return (kind == AddressKind::Call ? "T1" : "T3") + std::to_string(number);
}

std::string Address::Name() const {
    return (kind == AddressKind::Call ? "call " : "group call ") + std::to_string(number);
}

std::string PairName(const CallPair& pair) {
    return ToneName(pair.tone1) + " / " + ToneName(pair.tone2);
}

std::string PairText(const CallPair& pair) {
    return HertzText(pair.tone1) + "/" + HertzText(pair.tone2);
}

std::optional<CallPair> ParsePair(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto first = ParseHertz(text.substr(0, slash));
    const auto second = ParseHertz(text.substr(slash + 1));
    if (!first || !second) return std::nullopt;
    return CallPair{*first, *second};
}

PagerRead PagerOfImage(std::string label, const PagerImage& image) {
    PagerRead read;
    const std::uint32_t item = Code(image, "BandWidth");
    if (item >= kBandWidthItems.size()) {
        read.error = "BandWidth " + std::to_string(item) + " is outside the list (0 to " +
                     std::to_string(kBandWidthItems.size() - 1) + ")";
        return read;
    }
    PlanPager pager;
    pager.label = std::move(label);
    pager.bandwidth = ToneSpacingOfBandWidthIndex(static_cast<int>(item));
    pager.gapMax = static_cast<int>(Code(image, "GapMax"));
    pager.times = ToneTimesOf(image);
    for (int k = 1; k <= 4; ++k) {
        const std::string n = std::to_string(k);
        if (Code(image, "Duty" + n) == 0) continue;
        pager.addresses.push_back({AddressKind::Call, k,
                                   static_cast<std::uint16_t>(Code(image, "T1" + n)),
                                   static_cast<std::uint16_t>(Code(image, "T2" + n))});
    }
    for (int k = 1; k <= 2; ++k) {
        const std::string n = std::to_string(k);
        if (Code(image, "GDuty" + n) == 0) continue;
        pager.addresses.push_back(
            {AddressKind::Group, k, static_cast<std::uint16_t>(Code(image, "T3" + n)), 0});
    }
    read.pager = std::move(pager);
    return read;
}

int PageMs(const PlanPager& paged, PageTone tone) {
    const int standard = tone == PageTone::Tone1   ? kPageTone1Ms
                         : tone == PageTone::Tone2 ? kPageTone2Ms
                                                   : kPageGroupMs;
    return std::max(standard, SureMs(paged.times, tone));
}

bool Decodes(std::uint16_t heard, std::uint16_t own, int bandwidth) {
    const std::int64_t apart = std::llabs(static_cast<std::int64_t>(heard) - own);
    return apart * 1000 < static_cast<std::int64_t>(own) * bandwidth;
}

std::string BandwidthText(int bandwidth) {
    return "±" + std::to_string(bandwidth / 10) + "." + std::to_string(bandwidth % 10) + "%";
}

std::string PercentApart(std::uint16_t heard, std::uint16_t own) {
    const double apart =
        std::abs(static_cast<double>(heard) - static_cast<double>(own)) * 100.0 / own;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%", apart);
    return text;
}

}  // namespace mk843nb::tones
