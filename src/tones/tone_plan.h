#pragma once

// A tone plan: the pagers of a service with the addresses they answer to, the
// decoder bandwidth they answer within and their gap limit. The checks, the
// suggestions, the chart and the window's tone-plan view all work on it.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/pager_image.h"
#include "image/tone_times.h"

namespace mk843nb::tones {

enum class AddressKind { Call, Group };

// One switched-on address of a pager: an individual call (TONE1 then TONE2)
// or a group call (one tone).
struct Address {
    AddressKind kind = AddressKind::Call;
    int number = 1;           // call 1 to 4, group call 1 to 2
    std::uint16_t tone1 = 0;  // TONE1, or the group call's tone
    std::uint16_t tone2 = 0;  // TONE2; 0 for a group call

    // The image field of its first tone: "T11" for call 1, "T31" for group call 1.
    std::string Field() const;
    // "call 2", "group call 1".
    std::string Name() const;
    bool operator==(const Address&) const = default;
};

struct PlanPager {
    std::string label;
    std::string source;              // the table file it was read from, "" when made in memory
    std::vector<Address> addresses;  // switched-on calls 1 to 4, then group calls 1 to 2
    int bandwidth = 15;              // decoder bandwidth in tenths of a percent (1 to 31)
    int gapMax = 5;                  // the longest gap between TONE1 and TONE2, x 100 ms
    ToneTimes times;                 // how long it needs each tone of a page
};

// How long a tone of a page for this pager lasts, in ms: as a console sends
// it (kPageTone1Ms, ...), or longer when the pager needs it longer, since a
// console pages each pager so that it takes the page.
int PageMs(const PlanPager& paged, PageTone tone);

struct TonePlan {
    std::vector<PlanPager> pagers;
};

// An individual call's address as a value: TONE1 and TONE2.
struct CallPair {
    std::uint16_t tone1 = 0;
    std::uint16_t tone2 = 0;
    auto operator<=>(const CallPair&) const = default;
};

// "600.9 (Mot 2, 1) / 634.5 (Mot 2, 2)".
std::string PairName(const CallPair& pair);
// "600.9/634.5", as --shared takes it.
std::string PairText(const CallPair& pair);
// "600.9/634.5" read back; nullopt for text that is not two tones.
std::optional<CallPair> ParsePair(std::string_view text);

// The pager a table file's image describes: calls with Duty on, group calls
// with GDuty on, BandWidth (list item i is 2i + 1 tenths of a percent), GapMax,
// its tone durations and limits.
// The error names what makes the image unusable (a BandWidth outside the list).
struct PagerRead {
    std::optional<PlanPager> pager;
    std::string error;
};
PagerRead PagerOfImage(std::string label, const PagerImage& image);

// Whether a decoder with its own tone `own` and `bandwidth` (tenths of a
// percent) takes `heard` for it: closer than own x bandwidth. A tone exactly
// on the edge is outside, as the tone spacing rule of User Mode allows it.
bool Decodes(std::uint16_t heard, std::uint16_t own, int bandwidth);
// "±1.5%".
std::string BandwidthText(int bandwidth);
// How far heard is from own, in percent of own, two decimals: "0.08%".
std::string PercentApart(std::uint16_t heard, std::uint16_t own);

}  // namespace mk843nb::tones
