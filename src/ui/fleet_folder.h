#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"

namespace mk843nb {

class DialogService;

// The file dialogs' filter for a plan folder's plan.json.
inline constexpr const char* kPlanFileFilter = "Fleet plan (plan.json)|plan.json";

// The plan folder the Fleet window has open: its plan and its report's lines,
// those a run adds as they come included.
class FleetFolder {
public:
    // The plan.json the user picks. A plan is most often opened again where the
    // last one was, the next day: the dialog starts there.
    static std::optional<std::filesystem::path> Choose(DialogService& dialogs);

    // Opens the folder's plan and report and remembers it as the last plan
    // folder; when it cannot be run, why, and what was open stays open.
    std::optional<std::string> Open(const std::filesystem::path& folder);
    void Leave();
    // The report as a run left it on disk: what the command line would read.
    void ReadReportAgain();
    void Add(const fleet::ReportLine& line) { lines_.push_back(line); }

    const std::optional<std::filesystem::path>& Path() const { return folder_; }
    const std::optional<fleet::PlanManifest>& Plan() const { return plan_; }
    const std::vector<fleet::ReportLine>& Lines() const { return lines_; }
    // Until a run has recorded a pager the plan folder holds no report.
    bool HasReport() const;

private:
    std::optional<std::filesystem::path> folder_;
    std::optional<fleet::PlanManifest> plan_;
    std::vector<fleet::ReportLine> lines_;
};

}  // namespace mk843nb
