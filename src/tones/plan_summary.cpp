#include "tones/plan_summary.h"

namespace mk843nb::tones {

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string PlanSummary(std::size_t pagers, const CheckResult& check, std::string_view between,
                        std::string_view mark) {
    return Plural(pagers, "pager", "pagers") + std::string(between) +
           (check.problems.empty()
                ? std::string("no problems")
                : Plural(check.problems.size(), "problem", "problems") + std::string(mark));
}

std::vector<std::string> ProblemTexts(const TonePlan& plan, const CheckResult& check) {
    std::vector<std::string> texts;
    for (const Problem& problem : check.problems)
        texts.push_back(std::string(KindTitle(problem.kind)) + ": " + problem.detail);
    for (const SharedAddress& entry : check.shared)
        texts.push_back(
            "shared on purpose: " + PairName(entry.pair) + ", held by " +
            (entry.holders.empty() ? std::string("no pager") : DescribeParts(plan, entry.holders)) +
            ".");
    return texts;
}

std::set<std::pair<std::size_t, std::size_t>> AddressesInProblems(const CheckResult& check) {
    std::set<std::pair<std::size_t, std::size_t>> involved;
    for (const Problem& problem : check.problems)
        for (const ProblemPart& part : problem.parts) involved.insert({part.pager, part.address});
    return involved;
}

}  // namespace mk843nb::tones
