#pragma once

// The checks of a tone plan: which pagers ring on a page that is not theirs.
//
// A pager takes a tone for its own when it is closer than its decoder
// bandwidth (a percentage of its own tone). Four faults follow:
// - same address: two pagers hold the same pair of tones;
// - within bandwidth: each tone of one pager's page is inside another
//   pager's bandwidth of that pager's own tones, so both ring;
// - stacked page: pages sent back to back put one page's TONE2 right before
//   the next page's TONE1, and that sequence is a third pager's address;
// - group tone: a group call's tone is inside its bandwidth of the TONE1 of
//   another pager's page.
// Addresses shared on purpose (a station call, an all call) are no fault
// among their holders; anything else that collides with them still is.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tones/tone_plan.h"

namespace mk843nb::tones {

// In order of seriousness, the most serious first.
enum class ProblemKind { SameAddress, WithinBandwidth, StackedPage, GroupTone };

// "same-address", "within-bandwidth", "stacked-page", "group-tone".
std::string_view KindKey(ProblemKind kind);
// "same address", ... as a paragraph of the report starts.
std::string_view KindTitle(ProblemKind kind);

// What an address does in a problem.
enum class Role {
    Holder,      // same address: holds it
    Paged,       // its page is the one heard (within bandwidth, group tone)
    FirstPage,   // stacked page: the page whose TONE2 comes first
    SecondPage,  // stacked page: the page whose TONE1 follows
    Rings,       // rings although it is not paged
};

// plan.pagers[pager].addresses[address], in the given role.
struct ProblemPart {
    std::size_t pager = 0;
    std::size_t address = 0;
    Role role = Role::Holder;
    bool operator==(const ProblemPart&) const = default;
};

struct Problem {
    ProblemKind kind = ProblemKind::SameAddress;
    // Who is involved, the pages first and the pagers that ring last.
    std::vector<ProblemPart> parts;
    // Every tone involved, ascending, each once.
    std::vector<std::uint16_t> tones;
    // One paragraph naming who rings on whose page, every tone with its standard name.
    std::string detail;

    // The pagers involved, each once, in the order of parts.
    std::vector<std::size_t> Pagers() const;
};

// The pagers of parts (those in role only, when given), each once, in the order of parts.
std::vector<std::size_t> PagersOf(const std::vector<ProblemPart>& parts,
                                  std::optional<Role> role = std::nullopt);

// An address shared on purpose and the calls that hold it.
struct SharedAddress {
    CallPair pair;
    std::vector<ProblemPart> holders;  // role Holder; none when no pager holds it
};

struct CheckResult {
    std::vector<Problem> problems;      // the most serious first
    std::vector<SharedAddress> shared;  // in the order given
};

CheckResult CheckPlan(const TonePlan& plan, const std::vector<CallPair>& shared = {});

// Where a problem goes in CheckResult::problems: the most serious kind first,
// then by the first pager it involves, then by its tones; problems of equal
// rank keep the order they were found in.
struct ProblemRank {
    ProblemKind kind = ProblemKind::SameAddress;
    std::size_t firstPager = 0;
    std::vector<std::uint16_t> tones;
    auto operator<=>(const ProblemRank&) const = default;
};
ProblemRank RankOf(const Problem& problem);

// The same check, each problem handed over as it is found (with its rank's
// tie-break, the order found) and then let go: a fleet of thousands can have
// tens of thousands of problems, each naming hundreds of pages, and a caller
// that keeps only a line of each need not hold them all at once. The shared
// addresses are as CheckResult::shared says them; they are not handed over.
void CheckPlanEach(const TonePlan& plan, const std::vector<CallPair>& shared,
                   const std::function<void(Problem&& problem, std::size_t found)>& take);

// A same-address problem as each of its holders says it, one paragraph per
// pager in the order of Pagers(), naming the others: "'B' (call 1) has the
// same address 600.9 (Mot 2, 1) / 832.5 (Mot 2, 7) as 'A' (call 1): both ring
// on one page." A fleet plan flags every row of the pair this way, so whichever
// row a user looks at shows the clash.
std::vector<std::string> SameAddressByHolder(const TonePlan& plan, const Problem& problem);

// Helpers for the front ends.
// "'Station 1' (call 1), 'Station 2' (calls 1 and 3) and 4 more".
std::string DescribeParts(const TonePlan& plan, const std::vector<ProblemPart>& parts,
                          bool withDecoder = false);

}  // namespace mk843nb::tones
