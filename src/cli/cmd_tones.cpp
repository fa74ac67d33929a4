#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/number_option.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "cli/tone_plan_args.h"
#include "cli/tones_chart_run.h"
#include "files/atomic_write.h"
#include "image/codecs.h"
#include "tone_sources/plan_sources.h"
#include "tones/plan_check.h"
#include "tones/plan_harmonics.h"
#include "tones/plan_suggest.h"
#include "tones/plan_summary.h"
#include "tones/tone_names.h"
#include "tones_chart/chart_layout.h"

namespace mk843nb::cli {
namespace {

using nlohmann::ordered_json;

double Hertz(std::uint16_t tone) { return tone / 10.0; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

ordered_json Labels(const tones::TonePlan& plan, const std::vector<std::size_t>& pagers) {
    ordered_json labels = ordered_json::array();
    for (std::size_t pager : pagers) labels.push_back(plan.pagers[pager].label);
    return labels;
}

// The roles a problem's kind has, with their keys: who pages, who rings.
std::vector<std::pair<std::string_view, tones::Role>> RoleKeys(tones::ProblemKind kind) {
    using tones::Role;
    switch (kind) {
        case tones::ProblemKind::SameAddress:
            return {};  // every holder alike: "pagers" says them
        case tones::ProblemKind::WithinBandwidth:
        case tones::ProblemKind::GroupTone:
            return {{"paged", Role::Paged}, {"rings", Role::Rings}};
        case tones::ProblemKind::StackedPage:
            return {
                {"first", Role::FirstPage}, {"second", Role::SecondPage}, {"rings", Role::Rings}};
    }
    return {};
}

void ListTones(bool json) {
    ordered_json list = ordered_json::array();
    for (const tones::StandardTone& tone : tones::StandardTones()) {
        if (json) {
            list.push_back(
                {{"group", tone.group}, {"index", tone.index}, {"hz", Hertz(tone.tone)}});
            continue;
        }
        char line[64];
        std::snprintf(line, sizeof line, "%-7s %d  %7s\n", std::string(Trimmed(tone.group)).c_str(),
                      tone.index, tones::HertzText(tone.tone).c_str());
        std::cout << line;
    }
    if (json) std::cout << list.dump(2) << '\n';
}

struct CheckOptions {
    std::vector<std::string> paths;
    std::vector<std::string> shared;
    bool json = false;
    bool harmonics = false;
};

void Check(const CheckOptions& options) {
    std::vector<tones::CallPair> shared = SharedPairs(options.shared);
    const tones::PlanSourcesRead read = ReadPlan(options.paths);
    const tones::TonePlan& plan = read.plan;
    // A fleet plan's shared addresses count as if given with --shared.
    for (const tones::CallPair& pair : read.shared)
        if (std::find(shared.begin(), shared.end(), pair) == shared.end()) shared.push_back(pair);
    const tones::CheckResult result = tones::CheckPlan(plan, shared);
    const std::vector<tones::Harmonic> harmonics =
        options.harmonics ? tones::FindHarmonics(plan) : std::vector<tones::Harmonic>{};
    if (options.json) {
        ordered_json out{{"pagers", plan.pagers.size()},
                         {"shared", ordered_json::array()},
                         {"problems", ordered_json::array()}};
        for (const tones::SharedAddress& entry : result.shared)
            out["shared"].push_back({{"address", tones::PairText(entry.pair)},
                                     {"tone1", Hertz(entry.pair.tone1)},
                                     {"tone2", Hertz(entry.pair.tone2)},
                                     {"pagers", Labels(plan, tones::PagersOf(entry.holders))}});
        for (const tones::Problem& problem : result.problems) {
            ordered_json tonesHz = ordered_json::array();
            for (std::uint16_t tone : problem.tones) tonesHz.push_back(Hertz(tone));
            ordered_json each{{"kind", tones::KindKey(problem.kind)},
                              {"pagers", Labels(plan, problem.Pagers())},
                              {"detail", problem.detail},
                              {"tones", tonesHz}};
            // Who pages and who rings, each list whole: a pager that is both
            // a first and a second page is in both.
            for (const auto& [key, role] : RoleKeys(problem.kind))
                each[key] = Labels(plan, tones::PagersOf(problem.parts, role));
            out["problems"].push_back(std::move(each));
        }
        if (options.harmonics) {
            out["harmonics"] = ordered_json::array();
            for (const tones::Harmonic& harmonic : harmonics)
                out["harmonics"].push_back(
                    {{"tone", Hertz(harmonic.sent)},
                     {"multiple", harmonic.multiple},
                     {"heard", harmonic.sent * harmonic.multiple / 10.0},
                     {"own", Hertz(harmonic.own)},
                     {"sent", Labels(plan, tones::PagersOf(harmonic.parts, tones::Role::Paged))},
                     {"rings", Labels(plan, tones::PagersOf(harmonic.parts, tones::Role::Rings))},
                     {"detail", harmonic.detail}});
        }
        std::cout << out.dump(2) << '\n';
    } else {
        std::cout << tones::PlanSummary(plan.pagers.size(), result, ": ") << "\n";
        for (const std::string& text : tones::ProblemTexts(plan, result))
            std::cout << "\n" << text << "\n";
        for (const tones::Harmonic& harmonic : harmonics)
            std::cout << "\nharmonic (a warning): " << harmonic.detail << "\n";
    }
    if (!result.problems.empty())
        throw CommandFailure(tones::Plural(result.problems.size(), "problem", "problems") +
                             " in the tone plan");
}

struct SuggestOptions {
    std::vector<std::string> paths;
    int count = 0;
    std::string bandwidth;
    bool json = false;
};

void Suggest(const SuggestOptions& options) {
    const tones::TonePlan plan = ReadPlan(options.paths).plan;
    tones::SuggestOptions suggest;
    suggest.count = options.count;
    for (std::size_t i = 0; i < kBandWidthItems.size(); ++i)
        if (kBandWidthItems[i] == options.bandwidth)
            suggest.bandwidth = ToneSpacingOfBandWidthIndex(static_cast<int>(i));
    const tones::Suggestions found = tones::SuggestPairs(plan, suggest);
    if (options.json) {
        ordered_json out{{"pagers", plan.pagers.size()},
                         {"bandwidth", found.bandwidth / 10.0},
                         {"suggestions", ordered_json::array()}};
        for (const tones::Suggestion& suggestion : found.pairs)
            out["suggestions"].push_back({{"address", tones::PairText(suggestion.pair)},
                                          {"tone1", Hertz(suggestion.pair.tone1)},
                                          {"tone2", Hertz(suggestion.pair.tone2)},
                                          {"names", tones::PairName(suggestion.pair)},
                                          {"clearance", suggestion.clearance}});
        std::cout << out.dump(2) << '\n';
    } else {
        std::cout << tones::Plural(found.pairs.size(), "free address", "free addresses")
                  << " for pagers of " << tones::BandwidthText(found.bandwidth)
                  << ", checked against " << tones::Plural(plan.pagers.size(), "pager", "pagers")
                  << " and each other:\n";
        for (const tones::Suggestion& suggestion : found.pairs) {
            char clearance[32];
            std::snprintf(clearance, sizeof clearance, "%.2f%%", suggestion.clearance);
            std::cout << tones::PairName(suggestion.pair) << "  (nearest tone in use " << clearance
                      << " away)\n";
        }
    }
    if (static_cast<int>(found.pairs.size()) < options.count)
        throw CommandFailure("only " + std::to_string(found.pairs.size()) + " of " +
                             std::to_string(options.count) +
                             " free addresses are left in the standard tone table");
}

void AddChart(CLI::App& tonesCommand) {
    auto* command = tonesCommand.add_subcommand(
        "chart", "Draw a tone plan: every address a point, bandwidths as boxes, problems in red");
    auto options = std::make_shared<ChartOptions>();
    command
        ->add_option("PATH", options->paths,
                     "table files, folders of them, or a fleet plan folder (labels from plan.json)")
        ->required();
    command->add_option("--out", options->out, "the chart file: name.svg or name.png")->required();
    command->add_option("--shared", options->shared,
                        "TONE1/TONE2: an address shared on purpose (a station or all call)");
    command->add_option("--width", options->size.width, "in pixels")
        ->check(NumberFrom(tones::kChartMinWidth, tones::kChartMaxSide, true));
    command->add_option("--height", options->size.height, "in pixels")
        ->check(NumberFrom(tones::kChartMinHeight, tones::kChartMaxSide, true));
    command->callback([options] { RunToneChart(*options); });
}

void AddCheck(CLI::App& tonesCommand) {
    auto* command = tonesCommand.add_subcommand(
        "check", "Check a tone plan: pagers that ring on pages that are not theirs");
    auto options = std::make_shared<CheckOptions>();
    command
        ->add_option("PATH", options->paths,
                     "table files, folders of them, or a fleet plan folder (labels from plan.json)")
        ->required();
    command->add_option("--shared", options->shared,
                        "TONE1/TONE2: an address shared on purpose (a station or all call); its "
                        "holders are listed once, not as problems");
    command->add_flag("--json", options->json, "one JSON object: pagers, shared, problems");
    command->add_flag("--harmonics", options->harmonics,
                      "also warn of a tone at twice or three times a page's tone within a "
                      "pager's bandwidth of its own (older reed decoders may respond); never a "
                      "problem");
    command->callback([options] { Check(*options); });
}

void AddSuggest(CLI::App& tonesCommand) {
    auto* command = tonesCommand.add_subcommand(
        "suggest", "Suggest free standard-tone pairs that pass every check of the plan");
    auto options = std::make_shared<SuggestOptions>();
    command
        ->add_option("PATH", options->paths,
                     "table files, folders of them, or a fleet plan folder (labels from plan.json)")
        ->required();
    command->add_option("--count", options->count, "how many pairs")
        ->required()
        ->check(NumberFrom(1, 1000, true));
    command
        ->add_option("--bandwidth", options->bandwidth,
                     "the new pagers' decoder bandwidth in percent (0.1 to 3.1); the widest of "
                     "the plan when not given")
        ->check(CLI::IsMember(
            std::vector<std::string>(kBandWidthItems.begin(), kBandWidthItems.end())));
    command->add_flag("--json", options->json, "one JSON object: pagers, bandwidth, suggestions");
    command->callback([options] { Suggest(*options); });
}

}  // namespace

// tones [--json]: the standard tone table; tones check and tones suggest: tone plans.
void RegisterTonesCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "tones",
        "List the standard tones; check a tone plan (check), suggest free pairs (suggest) or "
        "draw it (chart)");
    command->require_subcommand(0, 1);
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "a JSON list of objects: group, index, hz");
    command->callback([command, json] {
        if (command->get_subcommands().empty()) ListTones(*json);
    });
    AddCheck(*command);
    AddSuggest(*command);
    AddChart(*command);
}

}  // namespace mk843nb::cli
