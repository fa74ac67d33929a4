#include "fleet/pager_keys.h"

namespace mk843nb::fleet {

std::optional<FleetProblem> PagerKeys::Add(int line, const std::string& label,
                                           const std::string& asset, const std::string& fileName) {
    if (const auto earlier = labels_.find(label); earlier != labels_.end())
        return FleetProblem{line, label, "label", "the label appears on an earlier row"};
    if (!asset.empty()) {
        if (const auto earlier = assets_.find(asset); earlier != assets_.end())
            return FleetProblem{line, label, "asset",
                                "the asset tag '" + asset + "' is already '" +
                                    earlier->second.label + "' (line " +
                                    std::to_string(earlier->second.line) + ")"};
    }
    // Different labels may be made safe into the same name ("A/B", "A_B").
    if (const auto earlier = files_.find(fileName); earlier != files_.end())
        return FleetProblem{line, label, "label",
                            "the label makes the same file name '" + fileName + "' as '" +
                                earlier->second.label + "' (line " +
                                std::to_string(earlier->second.line) + ")"};
    const Owner owner{line, label};
    labels_.emplace(label, owner);
    if (!asset.empty()) assets_.emplace(asset, owner);
    files_.emplace(fileName, owner);
    return std::nullopt;
}

}  // namespace mk843nb::fleet
