#include "fleet_run/run_records.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <tuple>

#include "files/utc_time.h"
#include "fleet_run/run_messages.h"
#include "inventory/plan_key.h"

namespace mk843nb::fleet {
namespace {

using inventory::ImageKind;
using inventory::ImageRecord;

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

std::string LoginName() {
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_name) return user->pw_name;
    if (const char* name = std::getenv("USER"); name && *name) return name;
    return std::to_string(::getuid());
}

// Holds an exclusive lock on the plan's plan.json (never replaced during a
// run): the runs of one plan make its report one at a time.
class PlanLock {
public:
    explicit PlanLock(const std::filesystem::path& folder)
        : fd_(::open((folder / kPlanFileName).c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~PlanLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    PlanLock(const PlanLock&) = delete;
    PlanLock& operator=(const PlanLock&) = delete;

private:
    int fd_;
};

// The lines of report that made (from the records) lacks, in their order.
std::vector<ReportLine> LinesNotRecorded(const std::vector<ReportLine>& report,
                                         const std::vector<ReportLine>& made) {
    std::multiset<std::tuple<std::string, std::string, PagerResult>> known;
    for (const ReportLine& line : made) known.insert({line.label, line.start, line.result});
    std::vector<ReportLine> missing;
    for (const ReportLine& line : report) {
        const auto found = known.find({line.label, line.start, line.result});
        if (found != known.end())
            known.erase(found);
        else
            missing.push_back(line);
    }
    return missing;
}

}  // namespace

RunRecords::RunRecords(inventory::Inventory& inventory, std::filesystem::path folder,
                       const PlanManifest& plan, PlannedTables tables)
    : inventory_(inventory),
      folder_(std::move(folder)),
      plan_(plan),
      tables_(std::move(tables)),
      key_(inventory::PlanKeyOf(folder_)) {}

std::unique_ptr<RunRecords> RunRecords::Start(inventory::Inventory& inventory,
                                              const std::filesystem::path& folder,
                                              const PlanManifest& plan, PlannedTables tables,
                                              const RunIdentity& who, FleetReport& report,
                                              std::string& error) {
    std::unique_ptr<RunRecords> records(new RunRecords(inventory, folder, plan, std::move(tables)));
    records->who_ = who;
    if (records->who_.bench.empty()) records->who_.bench = HostName();
    if (records->who_.operatorName.empty()) records->who_.operatorName = LoginName();
    if (records->who_.pid == 0) records->who_.pid = ::getpid();

    std::vector<inventory::PlanRow> rows;
    for (const PlanEntry& entry : plan.pagers) {
        const auto pager = inventory.EnsurePager({.asset = entry.asset,
                                                  .label = entry.label,
                                                  .plan = records->key_,
                                                  .note = entry.note});
        if (!pager.ok()) {
            error = NoInventoryText(pager.error);
            return nullptr;
        }
        records->pagerIds_[entry.line] = pager.value->id;
        rows.push_back({.plan = records->key_,
                        .row = entry.line,
                        .label = entry.label,
                        .asset = entry.asset,
                        .pagerId = pager.value->id});
    }
    if (const auto put = inventory.PutPlanRows(rows); !put.ok()) {
        error = NoInventoryText(put.error);
        return nullptr;
    }
    const auto states = inventory.PlanRows(records->key_);
    if (!states.ok()) {
        error = NoInventoryText(states.error);
        return nullptr;
    }
    for (const inventory::PlanRow& row : *states.value) records->startStates_[row.row] = row.state;

    PlanLock lock(folder);
    auto made = inventory.PlanRecords(records->key_);
    if (!made.ok()) {
        error = NoInventoryText(made.error);
        return nullptr;
    }
    // Lines of the report the inventory does not hold (runs before it, or the
    // window's): taken in first, or a report made from the records would lose them.
    std::vector<ReportLine> foreign = LinesNotRecorded(
        report.Lines(), ReportLinesFrom(*made.value, plan, records->tables_, *states.value));
    if (!foreign.empty()) {
        TimePoint last{};
        for (const ImageRecord& record : *made.value) last = std::max(last, record.time);
        if (!records->TakeIn(foreign, last, error)) return nullptr;
        made = inventory.PlanRecords(records->key_);
        if (!made.ok()) {
            error = NoInventoryText(made.error);
            return nullptr;
        }
    }
    if (!made.value->empty() &&
        !report.Replace(ReportLinesFrom(*made.value, plan, records->tables_, *states.value))) {
        error = ReportUnwritableText(report.WriteFailure());
        return nullptr;
    }
    return records;
}

bool RunRecords::TakeIn(const std::vector<ReportLine>& lines, TimePoint after, std::string& error) {
    for (const ReportLine& line : lines) {
        const PlanEntry* entry = nullptr;
        for (const PlanEntry& each : plan_.pagers)
            if (each.label == line.label) entry = &each;
        const std::optional<TimePoint> start = ParseUtcTimeText(line.start);
        if (!entry || !start) {
            error = ReportNotImportedText(
                folder_.string(), "the line of '" + line.label + "' at '" + line.start + "' " +
                                      (entry ? "has no time" : "names no pager of the plan"));
            return false;
        }
        const bool wrote = line.result == PagerResult::Written ||
                           line.result == PagerResult::VerifyFailed ||
                           line.result == PagerResult::WriteFailed;
        ImageRecord record;
        record.pagerId = PagerIdOf(*entry);
        record.kind = wrote ? ImageKind::Write : ImageKind::Attempt;
        record.sha256 = line.sha256;  // the planned table: there is no image
        record.result = std::string(ResultName(line.result));
        record.message = line.message;
        // In the report's order: after what the inventory holds (its times are
        // exact; a report's start is to the second).
        record.time = std::max(*start, after + std::chrono::milliseconds(1));
        after = record.time;
        record.origin = {.port = line.port, .plan = key_, .row = entry->line};
        if (const auto recorded = inventory_.Record(record); !recorded.ok()) {
            error = NoInventoryText(recorded.error);
            return false;
        }
    }
    return true;
}

std::int64_t RunRecords::PagerIdOf(const PlanEntry& pager) const {
    const auto found = pagerIds_.find(pager.line);
    return found == pagerIds_.end() ? 0 : found->second;
}

void RunRecords::Failed(const std::string& why) {
    std::lock_guard lock(mutex_);
    if (failure_.empty()) failure_ = why;
}

std::string RunRecords::Failure() {
    std::lock_guard lock(mutex_);
    return failure_;
}

std::optional<RunRecords::ClaimTry> RunRecords::Claim(const PlanEntry& pager) {
    const auto answer = inventory_.ClaimRow(key_, pager.line, who_.bench, who_.pid);
    if (!answer.ok()) {
        Failed(answer.error);
        return std::nullopt;
    }
    ClaimTry claim;
    claim.taken = answer.value->taken;
    claim.holder = answer.value->holder;
    if (!claim.taken) return claim;
    {
        std::lock_guard lock(mutex_);
        claimed_.insert(pager.line);
    }
    const auto rows = inventory_.PlanRows(key_);
    if (!rows.ok()) {
        Failed(rows.error);
        Release(pager, "pending");
        return std::nullopt;
    }
    for (const inventory::PlanRow& row : *rows.value)
        if (row.row == pager.line) claim.state = row.state;
    const auto started = startStates_.find(pager.line);
    claim.endedMeanwhile = started != startStates_.end() && started->second != claim.state;
    return claim;
}

void RunRecords::Release(const PlanEntry& pager, const std::string& state) {
    {
        std::lock_guard lock(mutex_);
        claimed_.erase(pager.line);
    }
    if (const auto released = inventory_.ReleaseRow(key_, pager.line, who_.bench, who_.pid, state);
        !released.ok())
        Failed(released.error);
}

void RunRecords::Heartbeats() {
    std::set<int> rows;
    {
        std::lock_guard lock(mutex_);
        rows = claimed_;
    }
    // A missed heartbeat only lets the claim lapse later: nothing to stop for.
    for (const int row : rows) inventory_.Heartbeat(key_, row, who_.bench, who_.pid);
}

std::optional<std::string> RunRecords::WrongPager(const PlanEntry& pager, const PagerImage& held,
                                                  std::int64_t& placedId) {
    const auto identity = inventory_.Identify(held);
    if (!identity.ok()) {
        Failed(identity.error);
        return NoInventoryText(identity.error);
    }
    const inventory::Identity& who = *identity.value;
    if (who.pagers.size() != 1 || who.pagers.front().id == PagerIdOf(pager) ||
        !who.HoldsLastWrite() || !who.latestWrite)
        return std::nullopt;
    placedId = who.pagers.front().id;
    return WrongPagerText(who.pagers.front().label, who.latestWrite->time,
                          who.latestWrite->origin.bench, pager.label);
}

bool RunRecords::RecordBefore(const Turn& turn, ImageKind kind, const PagerImage& held,
                              const BeforeNote& note, inventory::Clock::time_point time) {
    return RecordEnd(turn, kind, held, "read", BeforeNoteText(note), time);
}

bool RunRecords::RecordEnd(const Turn& turn, ImageKind kind, std::optional<PagerImage> image,
                           const std::string& result, const std::string& message,
                           inventory::Clock::time_point time, std::int64_t pagerId) {
    ImageRecord record;
    record.pagerId = pagerId != 0 ? pagerId : PagerIdOf(*turn.pager);
    record.kind = kind;
    record.image = std::move(image);
    record.result = result;
    record.message = message;
    record.time = time;
    record.origin = {who_.bench, who_.operatorName, turn.port, turn.board, key_, turn.pager->line};
    const auto recorded = inventory_.Record(record);
    if (!recorded.ok()) Failed(recorded.error);
    return recorded.ok();
}

bool RunRecords::WriteReport(FleetReport& report) {
    PlanLock lock(folder_);
    const auto records = inventory_.PlanRecords(key_);
    const auto rows = inventory_.PlanRows(key_);
    if (!records.ok() || !rows.ok()) {
        Failed(records.ok() ? rows.error : records.error);
        return false;
    }
    return report.Replace(ReportLinesFrom(*records.value, plan_, tables_, *rows.value));
}

}  // namespace mk843nb::fleet
