#include "tones/tone_names.h"

#include <algorithm>
#include <charconv>

#include "image/tones.h"

namespace mk843nb::tones {
namespace {

std::string_view Trimmed(std::string_view name) {
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return name;
}

std::string TypedText(std::int64_t typed) {
    const std::int64_t magnitude = typed < 0 ? -typed : typed;
    return std::string(typed < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
           std::to_string(magnitude % 10);
}

}  // namespace

const std::vector<StandardTone>& StandardTones() {
    static const std::vector<StandardTone> all = [] {
        std::vector<StandardTone> tones;
        for (const ToneGroup& group : StandardToneTable())
            for (std::size_t i = 0; i < group.tones.size(); ++i)
                tones.push_back({group.name, static_cast<int>(i), group.tones[i]});
        return tones;
    }();
    return all;
}

const std::vector<std::uint16_t>& StandardValues() {
    static const std::vector<std::uint16_t> values = [] {
        std::vector<std::uint16_t> sorted;
        for (const StandardTone& tone : StandardTones()) sorted.push_back(tone.tone);
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        return sorted;
    }();
    return values;
}

bool IsStandardTone(std::uint16_t tone) {
    return std::binary_search(StandardValues().begin(), StandardValues().end(), tone);
}

std::string HertzText(std::uint16_t tone) { return TypedText(tone); }

std::string ToneName(std::uint16_t tone) {
    std::string places;
    for (const StandardTone& standard : StandardTones()) {
        if (standard.tone != tone) continue;
        places += (places.empty() ? "" : " or ") + std::string(Trimmed(standard.group)) + ", " +
                  std::to_string(standard.index);
    }
    return HertzText(tone) + " (" + (places.empty() ? "not standard" : places) + ")";
}

std::optional<std::uint16_t> ParseHertz(std::string_view text) {
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    const auto digitsOnly = [](std::string_view digits) {
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digitsOnly(whole) || !digitsOnly(fraction) || whole.size() > 5) return std::nullopt;
    std::uint32_t hertz = 0;
    if (!whole.empty()) std::from_chars(whole.data(), whole.data() + whole.size(), hertz);
    const std::uint32_t tenths =
        hertz * 10 + (fraction.empty() ? 0u : static_cast<std::uint32_t>(fraction[0] - '0'));
    if (tenths == 0 || tenths > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(tenths);
}

std::string SnapNoticeText(std::int64_t typed, std::uint16_t stored) {
    return TypedText(typed) + " is not a standard tone; " + ToneName(stored) + " stored";
}

std::string SnapNotice(std::string_view field, std::int64_t typed, std::uint16_t stored) {
    return std::string(field) + ": " + SnapNoticeText(typed, stored);
}

std::string SnapRefusalText(std::int64_t typed, std::uint16_t stored, std::string_view optionName) {
    return TypedText(typed) + " is not a standard tone (the nearest is " + ToneName(stored) +
           "); with " + std::string(optionName) + " nothing is snapped";
}

std::string SnapRefusal(std::string_view field, std::int64_t typed, std::uint16_t stored) {
    return std::string(field) + ": " + SnapRefusalText(typed, stored);
}

}  // namespace mk843nb::tones
