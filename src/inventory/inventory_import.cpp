#include "inventory/inventory_import.h"

#include <chrono>
#include <map>
#include <system_error>

#include "files/backup_store.h"
#include "files/table_io.h"
#include "files/utc_time.h"
#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "inventory/plan_key.h"

namespace mk843nb::inventory {
namespace {

ImageKind KindOf(BackupKind kind) {
    switch (kind) {
        case BackupKind::Read:
            return ImageKind::Read;
        case BackupKind::Write:
            return ImageKind::Write;
        case BackupKind::PreWrite:
            return ImageKind::PreWrite;
        case BackupKind::Damaged:
            return ImageKind::Damaged;
    }
    return ImageKind::Read;
}

// A Write backup's sidecar says "verified" where a record says "written".
std::string ResultOf(const BackupInfo& info) {
    if (info.kind != BackupKind::Write) return "read";
    if (info.result == "verified") return "written";
    return info.result.empty() ? "not verified" : info.result;
}

// The pager a backup's tags or a report line names: by asset; else the one of
// that label in the plan, or (outside a plan, or none there yet) the label's
// latest pager; made when there is none.
Result<std::int64_t> PagerOf(Inventory& inventory, const std::string& asset,
                             const std::string& label, const std::string& note,
                             const std::string& plan) {
    if (asset.empty() && label.empty()) return {std::int64_t{0}, ""};
    if (asset.empty()) {
        const auto found = inventory.FindPager(label);
        if (!found.ok()) return {std::nullopt, found.error};
        if (*found.value &&
            (plan.empty() || (*found.value)->plan.empty() || (*found.value)->plan == plan) &&
            (*found.value)->asset.empty()) {
            Pager wanted = **found.value;
            if (!plan.empty()) wanted.plan = plan;
            if (!note.empty()) wanted.note = note;
            if (wanted.plan == (*found.value)->plan && wanted.note == (*found.value)->note)
                return {wanted.id, ""};
        }
    }
    const auto pager =
        inventory.EnsurePager({.asset = asset, .label = label, .plan = plan, .note = note});
    if (!pager.ok()) return {std::nullopt, pager.error};
    return {pager.value->id, ""};
}

// Adds one record unless it was imported before; false with the error when the inventory failed.
bool Add(Inventory& inventory, const ImageRecord& record, const std::string& key,
         ImportSummary& summary, std::string& error) {
    const auto stored = inventory.RecordImported(record, key);
    if (!stored.ok()) {
        error = stored.error;
        return false;
    }
    ++(*stored.value ? summary.added : summary.known);
    return true;
}

bool ImportBackups(Inventory& inventory, const std::filesystem::path& folder,
                   ImportSummary& summary, std::string& error) {
    for (const StoredBackup& backup : BackupStore(folder).List()) {
        std::string why;
        const auto table = ReadTableBytes(backup.table, why);
        if (!table || table->count != kImageSize) {
            summary.problems.push_back(
                backup.table.string() + ": " +
                (table ? "not a whole table (" + std::to_string(table->count) + " bytes)" : why));
            continue;
        }
        const BackupInfo& info = backup.info;
        const auto pager = PagerOf(inventory, info.tags.asset, info.tags.label, info.tags.note, "");
        if (!pager.ok()) {
            error = pager.error;
            return false;
        }
        ImageRecord record{.pagerId = *pager.value,
                           .kind = KindOf(info.kind),
                           .image = table->bytes,
                           .result = ResultOf(info),
                           .message = info.reason,
                           .time = info.time,
                           .origin = {.port = info.port}};
        if (!Add(inventory, record, "backup:" + backup.table.filename().string(), summary, error))
            return false;
    }
    return true;
}

bool Wrote(fleet::PagerResult result) {
    return result == fleet::PagerResult::Written || result == fleet::PagerResult::VerifyFailed ||
           result == fleet::PagerResult::WriteFailed;
}

// A line a run recorded itself (into the inventory, then into the report):
// the plan already holds a record of that pager and result within the line's time.
bool RecordedByRun(const std::vector<ImageRecord>& planRecords, std::int64_t pagerId,
                   const fleet::ReportLine& line, Clock::time_point start) {
    const auto end =
        start + std::chrono::milliseconds(static_cast<long long>(line.seconds * 1000) + 1000);
    const std::string result(fleet::ResultName(line.result));
    for (const ImageRecord& record : planRecords)
        if (record.pagerId == pagerId && record.result == result && record.time >= start &&
            record.time <= end)
            return true;
    return false;
}

bool ImportReport(Inventory& inventory, const std::filesystem::path& folder, ImportSummary& summary,
                  std::string& error) {
    fleet::FleetReport report(folder);
    if (const auto unusable = report.Load()) {
        summary.problems.push_back(*unusable);
        return true;
    }
    const std::string plan = PlanKeyOf(folder);
    std::map<std::string, int> rows;  // label -> roster line
    if (const fleet::PlanLoad load = fleet::LoadPlanFolder(folder); load.manifest)
        for (const fleet::PlanEntry& entry : load.manifest->pagers)
            rows.emplace(entry.label, entry.line);
    const auto planRecords = inventory.PlanRecords(plan);
    if (!planRecords.ok()) {
        error = planRecords.error;
        return false;
    }
    for (const fleet::ReportLine& line : report.Lines()) {
        const auto start = ParseUtcTimeText(line.start);
        if (!start) {
            summary.problems.push_back((folder / fleet::kReportJsonName).string() +
                                       ": the line of '" + line.label +
                                       "' has no time it can be filed under");
            continue;
        }
        const auto pager = PagerOf(inventory, line.asset, line.label, line.note, plan);
        if (!pager.ok()) {
            error = pager.error;
            return false;
        }
        if (*pager.value != 0 && RecordedByRun(*planRecords.value, *pager.value, line, *start)) {
            ++summary.known;
            continue;
        }
        const auto row = rows.find(line.label);
        ImageRecord record{
            .pagerId = *pager.value,
            .kind = Wrote(line.result) ? ImageKind::Write : ImageKind::Attempt,
            .image = std::nullopt,
            .sha256 = line.sha256,
            .result = std::string(fleet::ResultName(line.result)),
            .message = line.message,
            .time = *start,
            .origin = {
                .port = line.port, .plan = plan, .row = row == rows.end() ? 0 : row->second}};
        const std::string key =
            "report:" + plan + "\n" + line.label + "\n" + line.start + "\n" + record.result;
        if (!Add(inventory, record, key, summary, error)) return false;
    }
    return true;
}

}  // namespace

Result<ImportSummary> ImportFolder(Inventory& inventory, const std::filesystem::path& folder) {
    std::error_code status;
    if (!std::filesystem::is_directory(folder, status))
        return {std::nullopt, "Cannot import " + folder.string() + ": it is not a folder."};
    ImportSummary summary;
    std::string error;
    const bool isPlan = std::filesystem::exists(folder / fleet::kPlanFileName, status) ||
                        std::filesystem::exists(folder / fleet::kReportJsonName, status);
    const bool done = isPlan ? ImportReport(inventory, folder, summary, error)
                             : ImportBackups(inventory, folder, summary, error);
    if (!done) return {std::nullopt, error};
    return {summary, ""};
}

Result<ImportSummary> ImportFolders(Inventory& inventory,
                                    const std::vector<std::filesystem::path>& folders) {
    ImportSummary total;
    for (const auto& folder : folders) {
        const auto one = ImportFolder(inventory, folder);
        if (!one.ok()) return {std::nullopt, one.error};
        total.added += one.value->added;
        total.known += one.value->known;
        total.problems.insert(total.problems.end(), one.value->problems.begin(),
                              one.value->problems.end());
    }
    return {total, ""};
}

std::string ImportSummaryText(const ImportSummary& summary) {
    return std::to_string(summary.added) + (summary.added == 1 ? " record" : " records") +
           " added, " + std::to_string(summary.known) + " already in the inventory.";
}

}  // namespace mk843nb::inventory
