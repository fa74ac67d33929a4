#include "fleet/fleet_report.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "files/atomic_write.h"
#include "fleet/csv_cell.h"
#include "fleet/json_problem.h"
#include "fleet/text_file.h"

namespace mk843nb::fleet {
namespace {

using json = nlohmann::ordered_json;

constexpr std::array kResultNames{
    std::pair{PagerResult::Written, std::string_view("written")},
    std::pair{PagerResult::VerifyFailed, std::string_view("verify failed")},
    std::pair{PagerResult::WriteFailed, std::string_view("write failed")},
    std::pair{PagerResult::ReadFailed, std::string_view("read failed")},
    std::pair{PagerResult::NoBoard, std::string_view("no board")},
    std::pair{PagerResult::Refused, std::string_view("refused")},
    std::pair{PagerResult::Skipped, std::string_view("skipped")},
};

constexpr std::string_view kCsvHeader =
    "label,port,start,seconds,result,message,backup,sha256,asset,note,kept\r\n";

// Every cell quoted, so commas, quotes and line breaks in messages survive.
std::string Cell(std::string_view text) { return CsvCell(text, CsvQuoting::Always); }

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

}  // namespace

std::string OneLine(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') c = ' ';
        if (c == ' ' && (line.empty() || line.back() == ' ')) continue;
        line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

namespace {

json KeptJson(const KeptValue& value) {
    json kept = {{"field", value.field}, {"value", value.value}, {"kept", value.kept}};
    if (!value.kept) {
        kept["pagerValue"] = value.pagerValue;
        kept["refusal"] = value.refusal;
    }
    return kept;
}

KeptValue KeptFromJson(const json& entry) {
    return {entry.at("field").get<std::string>(), entry.value("value", ""),
            entry.value("kept", false), entry.value("pagerValue", entry.value("value", "")),
            entry.value("refusal", "")};
}

std::string CsvRow(const ReportLine& line) {
    return Cell(line.label) + "," + Cell(line.port) + "," + Cell(line.start) + "," +
           Seconds(line.seconds) + "," + Cell(ResultName(line.result)) + "," + Cell(line.message) +
           "," + Cell(line.backup) + "," + Cell(line.sha256) + "," + Cell(line.asset) + "," +
           Cell(line.note) + "," + Cell(KeptValuesText(line.kept)) + "\r\n";
}

json LineJson(const ReportLine& line) {
    json kept = json::array();
    for (const KeptValue& value : line.kept) kept.push_back(KeptJson(value));
    return {{"label", line.label},
            {"port", line.port},
            {"start", line.start},
            {"seconds", std::stod(Seconds(line.seconds))},
            {"result", ResultName(line.result)},
            {"message", line.message},
            {"backup", line.backup},
            {"sha256", line.sha256},
            {"asset", line.asset},
            {"note", line.note},
            {"kept", kept}};
}

}  // namespace

std::string_view ResultName(PagerResult result) {
    for (const auto& [value, name] : kResultNames)
        if (value == result) return name;
    return "skipped";
}

std::optional<PagerResult> ResultNamed(std::string_view name) {
    for (const auto& [value, known] : kResultNames)
        if (known == name) return value;
    return std::nullopt;
}

FleetReport::FleetReport(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::string FleetReport::Unusable(const std::string& error) {
    return error + "; move it away to start the report anew";
}

std::optional<std::string> FleetReport::Load() {
    lines_.clear();
    const std::filesystem::path path = folder_ / kReportJsonName;
    if (!std::filesystem::exists(path)) return std::nullopt;
    std::string why;
    const std::optional<std::string> text = ReadWholeFile(path, kFleetTextLimit, why);
    if (!text) return path.string() + " cannot be read: " + why;
    try {
        const json report = json::parse(*text);
        for (const json& entry : report.at("pagers")) {
            const auto result = ResultNamed(entry.at("result").get<std::string>());
            if (!result) throw std::runtime_error("unknown result " + entry.at("result").dump());
            ReportLine line{entry.at("label").get<std::string>(),
                            entry.value("port", ""),
                            entry.value("start", ""),
                            entry.value("seconds", 0.0),
                            *result,
                            entry.value("message", ""),
                            entry.value("backup", ""),
                            entry.value("sha256", "")};
            line.asset = entry.value("asset", "");
            line.note = entry.value("note", "");
            for (const json& kept : entry.value("kept", json::array()))
                line.kept.push_back(KeptFromJson(kept));
            lines_.push_back(std::move(line));
        }
    } catch (const std::exception& problem) {
        lines_.clear();
        return path.string() + " is not a usable report: " + JsonProblemText(problem);
    }
    return std::nullopt;
}

bool FleetReport::AlreadyWritten(std::string_view label, std::string_view sha256) const {
    for (auto line = lines_.rbegin(); line != lines_.rend(); ++line)
        if (line->label == label)
            return line->result == PagerResult::Written && line->sha256 == sha256;
    return false;
}

bool FleetReport::Append(const ReportLine& added) {
    ReportLine line = added;
    line.message = OneLine(line.message);
    lines_.push_back(line);
    const std::filesystem::path csvPath = folder_ / kReportCsvName;
    bool csvWritten = false;
    // Called from the boards' threads: nothing here may throw.
    std::error_code unknown;
    std::string why;
    const std::optional<std::string> csv = std::filesystem::exists(csvPath, unknown)
                                               ? ReadWholeFile(csvPath, kFleetTextLimit, why)
                                               : std::optional<std::string>("");
    writeFailure_.clear();
    const auto failed = [this](const std::filesystem::path& path) {
        if (writeFailure_.empty())
            writeFailure_ = path.string() + ": " + SaveFailureReason(path, path, errno);
    };
    if (csv && (csv->empty() || csv->starts_with(kCsvHeader))) {
        csvWritten =
            AppendToFile(csvPath, (csv->empty() ? std::string(kCsvHeader) : "") + CsvRow(line));
    } else {
        // A report begun by an earlier version has fewer columns: it is written
        // anew, from the history report.json holds, with the columns of this one.
        std::string whole(kCsvHeader);
        for (const ReportLine& each : lines_) whole += CsvRow(each);
        csvWritten = WriteFileAtomically(csvPath, whole);
    }
    if (!csvWritten) failed(csvPath);

    const bool jsonWritten = WriteJson();
    if (!jsonWritten) failed(folder_ / kReportJsonName);
    return csvWritten && jsonWritten;
}

bool FleetReport::WriteJson() const {
    json report = {{"pagers", json::array()}};
    for (const ReportLine& each : lines_) report["pagers"].push_back(LineJson(each));
    return WriteFileAtomically(folder_ / kReportJsonName, report.dump(2) + "\n");
}

bool FleetReport::Replace(std::vector<ReportLine> lines) {
    for (ReportLine& line : lines) line.message = OneLine(line.message);
    lines_ = std::move(lines);
    writeFailure_.clear();
    const auto failed = [this](const std::filesystem::path& path) {
        if (writeFailure_.empty())
            writeFailure_ = path.string() + ": " + SaveFailureReason(path, path, errno);
    };
    std::string csv(kCsvHeader);
    for (const ReportLine& each : lines_) csv += CsvRow(each);
    const bool csvWritten = WriteFileAtomically(folder_ / kReportCsvName, csv);
    if (!csvWritten) failed(folder_ / kReportCsvName);
    const bool jsonWritten = WriteJson();
    if (!jsonWritten) failed(folder_ / kReportJsonName);
    return csvWritten && jsonWritten;
}

}  // namespace mk843nb::fleet
