#include "editor/field_help.h"

#include <cctype>
#include <cstdio>

#include "editor/editor_messages.h"
#include "editor/numeric_fields.h"
#include "image/fields.h"
#include "image/frequency.h"
#include "image/tones.h"

namespace mk843nb {
namespace {

using messages::Concat;

std::string QuotedItems(std::span<const std::string_view> items) {
    std::string text;
    for (std::string_view item : items) text += Concat({text.empty() ? "\"" : ", \"", item, "\""});
    return text;
}

std::string Tenths(std::int32_t tenths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
    return text;
}

std::string FrequencyTakes() {
    const BandLimits low = LimitsOf(Band::Low);
    const BandLimits high = LimitsOf(Band::High);
    return Concat({"hundreds of hertz, ", std::to_string(low.low), " to ", std::to_string(low.high),
                   " (", BandText(Band::Low), ") or ", std::to_string(high.low), " to ",
                   std::to_string(high.high), " (", BandText(Band::High),
                   "), on the channel spacing: 154.43 MHz is 1544300, also written 154.43MHz"});
}

std::string ToneTakes() {
    return Concat({Tenths(kStandardToneLowest), " to ", Tenths(kStandardToneHighest),
                   " (the nearest standard tone is taken); in User Mode ", Tenths(kUserToneLowest),
                   " to ", Tenths(kUserToneHighest), ", kept apart by the tone spacing"});
}

// Items the catalogue does not hold because they follow the band.
std::string ChannelSpaceTakes() {
    return Concat({QuotedItems(kLowBandCSpaceItems), " (", BandText(Band::Low), "); ",
                   QuotedItems(kHighBandCSpaceItems), " (", BandText(Band::High), ")"});
}

std::string NumberTakes(const ListedField& field) {
    if (const NumericField* numeric = NumericFieldOf(field.id)) {
        std::string text = Concat({numeric->lowText, " to ", numeric->highText});
        if (numeric->kind == NumericKind::HalfSecond) text += " in steps of 0.5";
        return text;
    }
    const Field* image = ImageFieldOf(field.id);
    if (image != nullptr && image->codec == Codec::HalfSeconds)
        return Concat({Tenths(static_cast<std::int32_t>(image->low * 5)), " to ",
                       Tenths(static_cast<std::int32_t>(image->high * 5)), " in steps of 0.5"});
    if (image != nullptr)
        return Concat({std::to_string(image->low), " to ", std::to_string(image->high)});
    return {};
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

// Lower case, one blank for each run of blanks, none at either end.
std::string Folded(std::string_view text) {
    std::string folded;
    bool blank = false;
    for (char c : text) {
        if (Blank(c)) {
            blank = !folded.empty();
            continue;
        }
        if (blank) folded += ' ';
        blank = false;
        folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

}  // namespace

std::string FieldWithCaption(const ListedField& field) {
    return Concat({field.field, " (", field.label, ")"});
}

std::string FieldTakes(const ListedField& field) {
    const ControlInfo& control = Control(field.id);
    if (control.kind == ControlKind::Label || field.id == ControlId::edtVersion)
        return "shown only";
    if (control.kind == ControlKind::Check) return "0 or 1";
    if (field.id == ControlId::cboCSpace) return ChannelSpaceTakes();
    if (control.kind == ControlKind::Combo) return QuotedItems(control.items);
    if (field.id == ControlId::edtFreq) return FrequencyTakes();
    const Field* image = ImageFieldOf(field.id);
    if (image != nullptr && image->codec == Codec::Tone) return ToneTakes();
    return NumberTakes(field);
}

std::optional<std::string> MegahertzAsFreqDigits(std::string_view value) {
    while (!value.empty() && Blank(value.back())) value.remove_suffix(1);
    if (value.size() < 3 || Folded(value.substr(value.size() - 3)) != "mhz") return std::nullopt;
    value.remove_suffix(3);
    while (!value.empty() && Blank(value.back())) value.remove_suffix(1);
    const std::size_t point = value.find('.');
    const std::string_view whole = value.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : value.substr(point + 1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    const auto digits = [](std::string_view text) {
        for (char c : text)
            if (c < '0' || c > '9') return false;
        return true;
    };
    // 100 Hz is the fourth decimal of a megahertz.
    if (whole.empty() || whole.size() > 3 || !digits(whole) || !digits(fraction) ||
        fraction.size() > 4)
        return std::string();
    std::string hundreds(whole);
    hundreds += fraction;
    hundreds.append(4 - fraction.size(), '0');
    const std::size_t first = hundreds.find_first_not_of('0');
    return first == std::string::npos ? "0" : hundreds.substr(first);
}

bool SameListItem(std::string_view typed, std::string_view item) {
    return Folded(typed) == Folded(item);
}

}  // namespace mk843nb
