#pragma once

// What a pager answers to and its own levels, read from an image: call 1's two
// tones and the RSSI, SSI and RSSI2 codes. A pager whose image changed keeps
// them (they are set for that pager on the bench), so they still name it when
// its bytes are no longer the last ones recorded.

#include <cstdint>
#include <optional>
#include <string>

#include "image/pager_image.h"

namespace mk843nb::inventory {

struct CallKey {
    std::uint32_t tone1 = 0;  // tenths of a hertz
    std::uint32_t tone2 = 0;
    std::uint32_t rssi = 0;  // the codes as stored
    std::uint32_t ssi = 0;
    std::uint32_t rssi2 = 0;
};

// nullopt when a tone or a level is outside its field's range (a damaged memory).
std::optional<CallKey> CallKeyOf(const PagerImage& image);

struct CallAddress {
    std::uint32_t tone1 = 0;  // tenths of a hertz
    std::uint32_t tone2 = 0;
};
// "600.9/634.5" (one decimal at most); nullopt for anything else.
std::optional<CallAddress> ParseCallAddress(const std::string& text);

}  // namespace mk843nb::inventory
