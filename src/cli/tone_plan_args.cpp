#include "cli/tone_plan_args.h"

#include <filesystem>
#include <iostream>

#include "cli/subcommands.h"
#include "tones/tone_names.h"

namespace mk843nb::cli {

tones::PlanSourcesRead ReadPlan(const std::vector<std::string>& paths) {
    tones::PlanSourcesRead read =
        tones::ReadTonePlan(std::vector<std::filesystem::path>(paths.begin(), paths.end()));
    if (!read.error.empty()) throw CommandFailure(read.error);
    for (const std::string& note : read.notes) std::cerr << "note: " << note << '\n';
    return read;
}

std::vector<tones::CallPair> SharedPairs(const std::vector<std::string>& texts) {
    std::vector<tones::CallPair> pairs;
    for (const std::string& text : texts) {
        const auto pair = tones::ParsePair(text);
        if (!pair)
            throw CommandFailure("--shared " + text +
                                     ": give the address as TONE1/TONE2 in hertz, such as "
                                     "600.9/634.5",
                                 ExitCode::Usage);
        pairs.push_back(*pair);
    }
    return pairs;
}

}  // namespace mk843nb::cli
