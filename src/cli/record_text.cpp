#include "cli/record_text.h"

#include <ctime>

#include "cli/listing_text.h"
#include "files/shown_text.h"
#include "fleet/pager_history.h"

namespace mk843nb::cli {

namespace {

std::string OrDash(const std::string& text) { return text.empty() ? "-" : ShownText(text); }

}  // namespace

std::string UtcTimeText(inventory::Clock::time_point time) {
    const std::time_t seconds = inventory::Clock::to_time_t(time);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string PagerName(const inventory::Pager& pager) {
    // Labels and notes come from rosters anyone may have written.
    std::string name = "'" + ShownText(pager.label) + "'";
    if (!pager.asset.empty()) name += " [" + ShownText(pager.asset) + "]";
    if (!pager.plan.empty()) name += " (" + ShownText(pager.plan) + ")";
    return name;
}

nlohmann::ordered_json PagerJson(const inventory::Pager& pager) {
    return {
        {"label", pager.label}, {"asset", pager.asset}, {"plan", pager.plan}, {"note", pager.note}};
}

std::string RecordLine(const inventory::ImageRecord& record) {
    const std::vector<std::string> tones =
        record.image ? fleet::CallTones(*record.image) : std::vector<std::string>{};
    std::string line = LocalTimeText(record.time) + "  " + inventory::ImageKindText(record.kind) +
                       "  " + OrDash(record.result) + "  " + OrDash(record.origin.bench) + "  " +
                       OrDash(record.origin.operatorName) + "  " + OrDash(record.origin.port) +
                       "  " + (tones.empty() ? "-" : Joined(tones, ", "));
    if (!record.origin.plan.empty())
        line += "  plan " + ShownText(record.origin.plan) + " line " +
                std::to_string(record.origin.row);
    // What the user was told says why an attempt failed; on one line.
    if (record.result != "read" && record.result != "written" && !record.message.empty()) {
        std::string message = record.message;
        for (char& c : message)
            if (c == '\n') c = ' ';
        line += "  \"" + ShownText(message) + "\"";
    }
    return line;
}

nlohmann::ordered_json RecordJson(const inventory::ImageRecord& record) {
    // "time" as history has always given it (local), "utc" for scripts across time zones.
    return {{"time", LocalTimeText(record.time)},
            {"utc", UtcTimeText(record.time)},
            {"kind", inventory::ImageKindText(record.kind)},
            {"result", record.result},
            {"message", record.message},
            {"bench", record.origin.bench},
            {"operator", record.origin.operatorName},
            {"port", record.origin.port},
            {"board", record.origin.board},
            {"plan", record.origin.plan},
            {"row", record.origin.row},
            {"sha256", record.sha256},
            {"tones", record.image ? fleet::CallTones(*record.image) : std::vector<std::string>{}}};
}

}  // namespace mk843nb::cli
