#include <map>
#include <utility>

#include "fleet/fleet_plan.h"
#include "image/fields.h"

namespace mk843nb::fleet {
namespace {

constexpr int kCalls = 4;
constexpr int kGroups = 2;

std::string Number(int k) { return std::to_string(k); }

std::uint32_t Code(const PagerImage& image, std::string_view field) {
    return GetFieldCode(image, FieldNamed(field));
}

std::string ToneText(const PagerImage& image, std::string_view field) {
    return FieldText(image, FieldNamed(field)) + " Hz";
}

struct CallUse {
    std::size_t pager;
    int call;
};

}  // namespace

std::vector<FleetProblem> FleetWideFindings(const std::vector<PlannedPager>& pagers) {
    std::vector<FleetProblem> findings;
    // Individual calls by address, and by TONE1 alone, in roster order.
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<CallUse>> byAddress;
    std::map<std::uint32_t, std::vector<CallUse>> byFirstTone;
    for (std::size_t p = 0; p < pagers.size(); ++p) {
        const PagerImage& image = pagers[p].image;
        for (int k = 1; k <= kCalls; ++k) {
            if (Code(image, "Duty" + Number(k)) == 0) continue;
            const std::uint32_t first = Code(image, "T1" + Number(k));
            const std::uint32_t second = Code(image, "T2" + Number(k));
            byAddress[{first, second}].push_back({p, k});
            byFirstTone[first].push_back({p, k});
        }
    }
    for (std::size_t p = 0; p < pagers.size(); ++p) {
        const PagerImage& image = pagers[p].image;
        for (int k = 1; k <= kCalls; ++k) {
            if (Code(image, "Duty" + Number(k)) == 0) continue;
            const auto& uses =
                byAddress[{Code(image, "T1" + Number(k)), Code(image, "T2" + Number(k))}];
            // Said on the later row, naming the first row that has the address.
            const CallUse& owner = uses.front();
            if (owner.pager == p) continue;
            findings.push_back(
                {pagers[p].line, pagers[p].label, "T1" + Number(k),
                 "call " + Number(k) + " (" + ToneText(image, "T1" + Number(k)) + " / " +
                     ToneText(image, "T2" + Number(k)) + ") has the same address as call " +
                     Number(owner.call) + " of '" + pagers[owner.pager].label + "' (line " +
                     Number(pagers[owner.pager].line) + "): both pagers would ring"});
        }
        for (int g = 1; g <= kGroups; ++g) {
            if (Code(image, "GDuty" + Number(g)) == 0) continue;
            const auto found = byFirstTone.find(Code(image, "T3" + Number(g)));
            if (found == byFirstTone.end()) continue;
            for (const CallUse& use : found->second) {
                if (use.pager == p) continue;
                findings.push_back({pagers[p].line, pagers[p].label, "T3" + Number(g),
                                    "group call " + Number(g) + " (" +
                                        ToneText(image, "T3" + Number(g)) +
                                        ") equals TONE1 of call " + Number(use.call) + " of '" +
                                        pagers[use.pager].label + "' (line " +
                                        Number(pagers[use.pager].line) + ")"});
                break;
            }
        }
    }
    return findings;
}

}  // namespace mk843nb::fleet
