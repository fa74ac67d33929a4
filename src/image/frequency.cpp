#include "image/frequency.h"

#include <cctype>
#include <cstdio>

namespace mk843nb {

Band BandOfImage(const PagerImage& image) {
    return image[kFreqOffset] == 1 ? Band::Low : Band::High;
}

std::string_view BandText(Band band) {
    return kRangeFreqItems[static_cast<std::size_t>(BandIndex(band))];
}

int BandIndex(Band band) { return band == Band::Low ? 0 : 1; }

int Mutl(Band band) { return band == Band::Low ? 1 : 2; }

BandLimits LimitsOf(Band band) {
    const std::string_view text = BandText(band);
    auto number = [](std::string_view digits) {
        std::int64_t n = 0;
        for (char c : digits) n = n * 10 + (c - '0');
        return n;
    };
    return {number(text.substr(0, 3)) * 10000, number(text.substr(4, 3)) * 10000};
}

bool InBand(std::int64_t frequency, Band band) {
    const BandLimits limits = LimitsOf(band);
    return frequency >= limits.low && frequency <= limits.high;
}

std::string FrequencyRangeMessageText(Band band) {
    const std::string_view text = BandText(band);
    return "Frequency setting error(" + std::string(text.substr(0, 3)) +
           "0000 < = Frequency < =" + std::string(text.substr(4, 3)) + "0000 )";
}

bool OnRaster(std::int64_t frequency, std::int32_t spacing) {
    constexpr std::int64_t kLargest =
        1'000'000'000'000'000;  // keeps frequency x 100 inside 64 bits
    return spacing > 0 && frequency < kLargest && frequency > -kLargest &&
           (frequency * 100) % spacing == 0;
}

std::optional<AutoSpacing> FindAutoSpacing(std::int64_t frequency) {
    for (std::size_t k = 0; k < kAutoSpacings.size(); ++k)
        if (OnRaster(frequency, kAutoSpacings[k]))
            return AutoSpacing{kAutoSpacings[k], static_cast<std::uint8_t>(kAutoCSpaceBase + k)};
    return std::nullopt;
}

std::optional<std::int32_t> AutoSpacingOfCode(std::uint8_t cspace) {
    if (cspace < kAutoCSpaceBase || cspace >= kAutoCSpaceBase + kAutoSpacings.size())
        return std::nullopt;
    return kAutoSpacings[cspace - kAutoCSpaceBase];
}

std::optional<std::uint8_t> AutoCodeOfSpacing(std::int32_t spacing) {
    for (std::size_t k = 0; k < kAutoSpacings.size(); ++k)
        if (kAutoSpacings[k] == spacing) return static_cast<std::uint8_t>(kAutoCSpaceBase + k);
    return std::nullopt;
}

std::optional<std::int32_t> FixedSpacingOfIndex(Band band, int index) {
    switch (index) {
        case 0:
            return 12500;
        case 1:
            return 10000;
        case 2:
            return band == Band::High ? std::optional<std::int32_t>(6250) : std::nullopt;
        case 3:
            return band == Band::High ? std::optional<std::int32_t>(5000) : std::nullopt;
        default:
            return std::nullopt;
    }
}

int CSpaceIndexForBand(Band band, std::uint8_t cspace) {
    if (band == Band::High) {
        const int index = cspace < kAutoCSpaceBase ? cspace : 0;
        return index < static_cast<int>(kHighBandCSpaceItems.size()) ? index : -1;
    }
    if (cspace >= kAutoCSpaceBase) return 2;
    if (cspace == 3) return 0;
    return cspace < kLowBandCSpaceItems.size() ? cspace : -1;
}

std::string_view CSpaceItemText(Band band, int index) {
    if (index < 0) return {};
    const auto i = static_cast<std::size_t>(index);
    if (band == Band::Low)
        return i < kLowBandCSpaceItems.size() ? kLowBandCSpaceItems[i] : std::string_view{};
    return i < kHighBandCSpaceItems.size() ? kHighBandCSpaceItems[i] : std::string_view{};
}

std::int64_t FrequencyOfImage(const PagerImage& image) {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < kFreqDigits; ++i) n = n * 10 + image[kFreqOffset + i];
    return n;
}

bool StoreFrequencyDigits(PagerImage& image, std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > kFreqDigits) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        image[kFreqOffset + i] = static_cast<std::uint8_t>(text[i] - '0');
    return true;
}

std::optional<Synthesizer> ComputeSynthesizer(std::int64_t frequency, std::int32_t spacing,
                                              int mutl) {
    if (mutl <= 0 || !OnRaster(frequency, spacing)) return std::nullopt;
    const std::int64_t step = spacing / mutl;
    if (step <= 0) return std::nullopt;
    const std::int64_t r = (kReferenceClock / step) / 4;
    if (r <= 0) return std::nullopt;
    const std::int64_t a = (frequency * 100 - kIfOffset) / mutl;
    const std::int64_t ref = kReferenceClock / (r * 4);
    const std::int64_t n = a / ref;
    const std::int64_t b = n / 32;
    const std::int64_t aSwallow = n % 32;
    Synthesizer words;
    words.r = static_cast<std::uint32_t>(r);
    words.pllr = static_cast<std::uint32_t>(r * 256 + kPllrControlBits);
    words.n = n;
    // Out-of-band frequencies can make N negative; the word then wraps as the pager's 32 bits do.
    words.plln = static_cast<std::uint32_t>(static_cast<std::uint64_t>(b * 4096 + aSwallow * 128));
    return words;
}

void StoreSynthesizer(PagerImage& image, const Synthesizer& words) {
    SetLong(image, kPllrOffset, words.pllr);
    SetLong(image, kPllnOffset, words.plln);
}

std::string Hex8(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(value));
    return buffer;
}

}  // namespace mk843nb
