#include "fleet_run/report_from_records.h"

#include <chrono>
#include <tuple>

#include "files/utc_time.h"
#include "fleet/kept_values.h"

namespace mk843nb::fleet {
namespace {

constexpr std::string_view kBackupWord = "Backup ";
constexpr std::string_view kTableWord = "; planned table ";

const PlanEntry* EntryOf(const PlanManifest& plan, int row) {
    for (const PlanEntry& entry : plan.pagers)
        if (entry.line == row) return &entry;
    return nullptr;
}

const inventory::PlanRow* RowOf(const std::vector<inventory::PlanRow>& rows, int row) {
    for (const inventory::PlanRow& each : rows)
        if (each.row == row) return &each;
    return nullptr;
}

bool IsBefore(const inventory::ImageRecord& record) {
    return (record.kind == inventory::ImageKind::PreWrite ||
            record.kind == inventory::ImageKind::Damaged) &&
           ParseBeforeNote(record.message).has_value();
}

}  // namespace

std::string BeforeNoteText(const BeforeNote& note) {
    return std::string(kBackupWord) + note.backup + std::string(kTableWord) + note.sha256;
}

std::optional<BeforeNote> ParseBeforeNote(const std::string& message) {
    if (!message.starts_with(kBackupWord)) return std::nullopt;
    const std::size_t table = message.rfind(kTableWord);
    if (table == std::string::npos || table < kBackupWord.size()) return std::nullopt;
    return BeforeNote{message.substr(kBackupWord.size(), table - kBackupWord.size()),
                      message.substr(table + kTableWord.size())};
}

std::vector<ReportLine> ReportLinesFrom(const std::vector<inventory::ImageRecord>& records,
                                        const PlanManifest& plan, const PlannedTables& tables,
                                        const std::vector<inventory::PlanRow>& rows) {
    // What each board last read before a write, until that pager's line.
    using Board = std::tuple<int, std::string, std::string>;  // row, bench, port
    std::map<Board, const inventory::ImageRecord*> before;
    std::vector<ReportLine> lines;
    for (const inventory::ImageRecord& record : records) {
        const Board board{record.origin.row, record.origin.bench, record.origin.port};
        if (IsBefore(record)) {
            before[board] = &record;
            continue;
        }
        const std::optional<PagerResult> result = ResultNamed(record.result);
        if (!result) continue;
        const PlanEntry* entry = EntryOf(plan, record.origin.row);
        const inventory::PlanRow* row = RowOf(rows, record.origin.row);
        const inventory::ImageRecord* first = nullptr;
        if (const auto found = before.find(board); found != before.end()) {
            first = found->second;
            before.erase(found);
        }
        ReportLine line;
        line.label = row ? row->label : entry ? entry->label : "";
        line.asset = row ? row->asset : entry ? entry->asset : "";
        line.note = entry ? entry->note : "";
        line.port = record.origin.port;
        line.start = UtcTimeText(first ? first->time : record.time);
        line.seconds =
            first ? std::chrono::duration<double>(record.time - first->time).count() : 0.0;
        line.result = *result;
        line.message = OneLine(record.message);
        // A line brought in from an earlier report names its planned table itself.
        line.sha256 = !record.image && !record.sha256.empty() ? record.sha256
                      : entry                                 ? entry->sha256
                                                              : "";
        if (first) {
            const BeforeNote note = *ParseBeforeNote(first->message);
            line.backup = note.backup;
            line.sha256 = note.sha256;
            // The levels the pager kept follow from what it held and its planned table.
            const auto table = tables.find(record.origin.row);
            if (entry && first->image && table != tables.end() && table->second &&
                entry->sha256 == note.sha256) {
                PagerImage image = *table->second;
                line.kept = KeepOwnValues(*first->image, image, plan.KeptBy(*entry), plan.userMode);
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace mk843nb::fleet
