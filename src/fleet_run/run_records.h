#pragma once

// A fleet run's side of the inventory: the plan's rows put in it, each row
// claimed before its pager is read and released with its result, every image
// recorded with where it came from, the identity guard, and the report made
// from the records. Safe from the boards' threads.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "fleet_run/report_from_records.h"
#include "inventory/inventory.h"

namespace mk843nb::fleet {

struct RunIdentity {
    std::string bench;         // "" : this computer's host name
    std::string operatorName;  // "" : the login name
    std::int64_t pid = 0;      // 0 : this process
};

class RunRecords {
public:
    // The plan's rows put in the inventory, each with its pager, a report of
    // earlier runs taken in, and the report made anew from the records.
    // Nothing and why when that fails.
    static std::unique_ptr<RunRecords> Start(inventory::Inventory& inventory,
                                             const std::filesystem::path& folder,
                                             const PlanManifest& plan, PlannedTables tables,
                                             const RunIdentity& who, FleetReport& report,
                                             std::string& error);

    struct ClaimTry {
        bool taken = false;
        std::optional<inventory::Claim> holder;  // not taken: who has it
        std::string state;                       // the row's state when taken
        bool endedMeanwhile = false;  // taken, but another run ended it since this one began
    };
    // Nothing when the inventory failed (Failure() says why).
    std::optional<ClaimTry> Claim(const PlanEntry& pager);
    void Release(const PlanEntry& pager, const std::string& state);
    // Every row this run holds, said to be still worked on.
    void Heartbeats();

    // The placed pager held, when it is another pager of the inventory that
    // still holds what was last written to it: the refusal naming it, with
    // that pager's id in placedId. Also a refusal when the inventory failed.
    std::optional<std::string> WrongPager(const PlanEntry& pager, const PagerImage& held,
                                          std::int64_t& placedId);

    struct Turn {
        const PlanEntry* pager = nullptr;
        std::string port;
        std::string board;
    };
    // What the pager held before its write, with its backup and the planned table.
    bool RecordBefore(const Turn& turn, inventory::ImageKind kind, const PagerImage& held,
                      const BeforeNote& note, inventory::Clock::time_point time);
    // The record that is the pager's report line (result as the report says it).
    // pagerId 0: the row's pager.
    bool RecordEnd(const Turn& turn, inventory::ImageKind kind, std::optional<PagerImage> image,
                   const std::string& result, const std::string& message,
                   inventory::Clock::time_point time, std::int64_t pagerId = 0);

    // report.csv and report.json anew from every record of the plan, one run
    // at a time (other processes too).
    bool WriteReport(FleetReport& report);

    // The first thing the inventory refused, "" while none.
    std::string Failure();

private:
    RunRecords(inventory::Inventory& inventory, std::filesystem::path folder,
               const PlanManifest& plan, PlannedTables tables);
    void Failed(const std::string& why);
    // Records report lines the inventory does not hold, as lines without an
    // image, each after the last record already held (after).
    bool TakeIn(const std::vector<ReportLine>& lines, inventory::Clock::time_point after,
                std::string& error);
    std::int64_t PagerIdOf(const PlanEntry& pager) const;

    inventory::Inventory& inventory_;
    std::filesystem::path folder_;
    const PlanManifest& plan_;
    PlannedTables tables_;
    std::string key_;
    RunIdentity who_;
    std::map<int, std::int64_t> pagerIds_;  // by roster line
    std::map<int, std::string> startStates_;
    std::mutex mutex_;
    std::set<int> claimed_;
    std::string failure_;
};

}  // namespace mk843nb::fleet
