#pragma once

// The folder a plan is written to: one table file per pager and plan.json,
// which names the exact bytes of everything so a run can tell a table that
// was changed after planning.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/file_system_calls.h"
#include "fleet/fleet_plan.h"

namespace mk843nb::fleet {

inline constexpr const char* kPlanFileName = "plan.json";

struct PlanEntry {
    int line = 0;
    std::string label;
    std::string file;            // in the plan's folder
    std::string sha256;          // of the table file's 256 bytes
    std::uint16_t checksum = 0;  // the 16-bit sum of its bytes 16 to 253
    std::string asset{};         // the roster's asset and note columns, "" when none
    std::string note{};
    // The fields this pager keeps from its own memory, when they are not the plan's.
    std::optional<std::vector<std::string>> keep{};
};

struct PlanManifest {
    std::filesystem::path templateFile;
    std::string templateSha256;
    std::uint16_t templateChecksum = 0;
    std::filesystem::path rosterFile;
    std::string rosterSha256;
    bool strict = false;
    bool userMode = false;  // the tables were made in User Mode
    // The fields each pager keeps from its own memory; a plan made before the
    // list was recorded keeps the default ones.
    std::vector<std::string> keep = kDefaultKeptFields;
    std::vector<PlanEntry> pagers;
    std::vector<FleetProblem> warnings;
    // Addresses shared on purpose, "669.9/707.3" (kept from the template by every row).
    std::vector<std::string> shared;

    const std::vector<std::string>& KeptBy(const PlanEntry& pager) const {
        return pager.keep ? *pager.keep : keep;
    }
};

struct PlanSources {
    std::filesystem::path templateFile;
    std::string templateBytes;
    std::filesystem::path rosterFile;
    std::string rosterBytes;
    bool strict = false;
};

// Writes every table file and then plan.json into folder. A missing folder is
// made whole beside its place and renamed into it; an existing one takes the
// new files only once all are written, plan.json last. A failure leaves no
// folder, or the existing one with its old plan.json. Refuses, writing
// nothing, when an output file would be the template or the roster itself.
// The error text, or nullopt on success.
std::optional<std::string> WritePlanFolder(const std::filesystem::path& folder,
                                           const FleetPlan& plan, const PlanSources& sources,
                                           FileSystemCalls& calls = SystemFileCalls());

// plan.json of a folder; the error text in the second member when it is
// missing or not a plan.
struct PlanLoad {
    std::optional<PlanManifest> manifest;
    std::string error;
};
PlanLoad LoadPlanFolder(const std::filesystem::path& folder);

}  // namespace mk843nb::fleet
