#pragma once

// The receive frequency and the synthesizer words, as pure functions. The
// frequency is kept in units of 100 Hz (1590000 is 159.0000 MHz); channel
// spacings are in hertz.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/pager_image.h"

namespace mk843nb {

enum class Band : std::uint8_t { Low, High };  // "135-174 MHz", "400-499 MHz"

inline constexpr std::array<std::string_view, 2> kRangeFreqItems = {"135-174 MHz", "400-499 MHz"};
inline constexpr std::array<std::string_view, 3> kLowBandCSpaceItems = {"12.5 K", "10 K", "Auto"};
inline constexpr std::array<std::string_view, 4> kHighBandCSpaceItems = {"12.5 K", "10 K", "6.25 K",
                                                                         "5 K"};

// The Auto spacings in search order; CSpace 32 + k means Auto with entry k.
inline constexpr std::array<std::int32_t, 6> kAutoSpacings = {25000, 12500, 10000,
                                                              6250,  5000,  2500};
inline constexpr std::uint8_t kAutoCSpaceBase = 32;

inline constexpr std::int64_t kReferenceClock = 12800000;  // Hz
inline constexpr std::int64_t kIfOffset = 21400000;        // Hz
inline constexpr std::uint32_t kPllrControlBits = 0x11;

inline constexpr std::size_t kFreqOffset = 3;
inline constexpr std::size_t kFreqDigits = 7;
inline constexpr std::size_t kCSpaceOffset = 10;
inline constexpr std::size_t kPllrOffset = 120;
inline constexpr std::size_t kPllnOffset = 124;

// Byte 3 selects the band: 1 is 135-174 MHz, any other value 400-499 MHz.
Band BandOfImage(const PagerImage& image);
std::string_view BandText(Band band);
int BandIndex(Band band);  // the item index of cboRangeFreq
// The frequency multiplier: 1 for 135-174 MHz, 2 for 400-499 MHz.
int Mutl(Band band);

struct BandLimits {
    std::int64_t low = 0;  // units of 100 Hz
    std::int64_t high = 0;
};
// Digits 1-3 and 5-7 of the band's text, times 10000: 1350000-1740000, 4000000-4990000.
BandLimits LimitsOf(Band band);
bool InBand(std::int64_t frequency, Band band);
// "Frequency setting error(1350000 < = Frequency < =1740000 )" for the first band.
std::string FrequencyRangeMessageText(Band band);

// The frequency is on the raster when frequency x 100 is a whole multiple of the spacing.
bool OnRaster(std::int64_t frequency, std::int32_t spacing);

struct AutoSpacing {
    std::int32_t spacing = 0;
    std::uint8_t cspace = 0;  // 32 + k
};
// The first Auto spacing (25000, 12500, ... 2500) that the frequency lies on; nullopt for none.
std::optional<AutoSpacing> FindAutoSpacing(std::int64_t frequency);
// The Auto spacing of code 32 + k, or nullopt when the code is not 32 to 37.
std::optional<std::int32_t> AutoSpacingOfCode(std::uint8_t cspace);
// The CSpace code whose Auto entry equals the spacing (Auto starts from the spacing in force).
std::optional<std::uint8_t> AutoCodeOfSpacing(std::int32_t spacing);

// The channel spacing of a selected cboCSpace index in a band. Index 2 of the
// first band is "Auto" and has no fixed spacing: nullopt, like an index
// outside the list.
std::optional<std::int32_t> FixedSpacingOfIndex(Band band, int index);
// The cboCSpace index that the band's list shows for a CSpace code when the
// band is chosen: first band: 2 for 32 and above, 0 for 3, else the code;
// second band: the code when below 32, else 0. -1 when the list cannot show it.
int CSpaceIndexForBand(Band band, std::uint8_t cspace);
// The item text of that index, "" for -1.
std::string_view CSpaceItemText(Band band, int index);

// The 7-digit number of bytes 3 to 9 (n = n x 10 + byte, whatever the bytes hold).
std::int64_t FrequencyOfImage(const PagerImage& image);
// Stores the digits of an accepted frequency text (blanks around it removed):
// byte 3 + i takes digit i. At most seven bytes are written; a text that is
// not all digits or longer than seven leaves the image unchanged and gives false.
bool StoreFrequencyDigits(PagerImage& image, std::string_view text);

struct Synthesizer {
    std::uint32_t r = 0;
    std::uint32_t pllr = 0;
    std::int64_t n = 0;
    std::uint32_t plln = 0;
};
// PLLR and PLLN for a frequency, a channel spacing and the multiplier, with
// integer divisions truncating toward zero. nullopt when the frequency is off
// the raster (PLLR and PLLN then keep their values) or the spacing cannot be used.
std::optional<Synthesizer> ComputeSynthesizer(std::int64_t frequency, std::int32_t spacing,
                                              int mutl);
// Bytes 120 to 123 take PLLR, 124 to 127 PLLN, most significant byte first.
void StoreSynthesizer(PagerImage& image, const Synthesizer& words);
// Eight upper-case hexadecimal digits, as lblPLLR and lblPLLN show them.
std::string Hex8(std::uint32_t value);

}  // namespace mk843nb
