#pragma once

// The standard tones by name, and tones as people write them: "600.9 (Mot 2, 1)".
// Tones are in tenths of a hertz throughout.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mk843nb::tones {

struct StandardTone {
    std::string_view group;  // the tone table's column head, blanks included ("GE A' ")
    int index = 0;           // 0 to 9
    std::uint16_t tone = 0;
};

// The 140 standard tones, group by group in the tone table's column order.
const std::vector<StandardTone>& StandardTones();

// The 138 different standard values, ascending.
const std::vector<std::uint16_t>& StandardValues();

bool IsStandardTone(std::uint16_t tone);

// "600.9" (one decimal, as the tone fields show it).
std::string HertzText(std::uint16_t tone);

// "600.9 (Mot 2, 1)"; a value held twice names both places
// ("767.4 (Mot 5, 6 or Mot B, 7)"); any other tone "600.0 (not standard)".
std::string ToneName(std::uint16_t tone);

// "600.9" or "600" or "1000.25" typed in hertz, to tenths (the first decimal
// kept, as the tone fields read it); nullopt for text that is no positive
// frequency of at most 6553.5 Hz.
std::optional<std::uint16_t> ParseHertz(std::string_view text);

// What Standard Mode did to a typed tone, said aloud: "T11: 600.0 is not a
// standard tone; 600.9 (Mot 2, 1) stored"; the Text forms leave out the field.
std::string SnapNotice(std::string_view field, std::int64_t typed, std::uint16_t stored);
std::string SnapNoticeText(std::int64_t typed, std::uint16_t stored);
// The same snap refused (--exact): nothing is stored. optionName is what the
// user turned on, in the words of the front end ("--exact", the window's box).
std::string SnapRefusal(std::string_view field, std::int64_t typed, std::uint16_t stored);
std::string SnapRefusalText(std::int64_t typed, std::uint16_t stored,
                            std::string_view optionName = "--exact");

}  // namespace mk843nb::tones
