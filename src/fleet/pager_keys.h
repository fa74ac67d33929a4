#pragma once

// What tells the pagers of a plan apart: the label, the asset tag and the
// table file. Two rows with the same one would program two pagers alike (or
// one file for two pagers), so planning refuses the later row, and a run
// refuses a plan.json in which they repeat (copied entries, a hand edit).

#include <map>
#include <optional>
#include <string>

#include "fleet/fleet_problem.h"

namespace mk843nb::fleet {

class PagerKeys {
public:
    // Takes a pager's keys; the problem with the first of them an earlier
    // pager already has, and then nothing of this one is taken. An empty asset
    // tag is no key.
    std::optional<FleetProblem> Add(int line, const std::string& label, const std::string& asset,
                                    const std::string& fileName);

private:
    struct Owner {
        int line = 0;
        std::string label;
    };
    std::map<std::string, Owner> labels_;
    std::map<std::string, Owner> assets_;
    std::map<std::string, Owner> files_;
};

}  // namespace mk843nb::fleet
