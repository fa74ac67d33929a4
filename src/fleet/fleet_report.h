#pragma once

// The record of a fleet run: report.csv and report.json in the plan's folder,
// one line per pager as it ends. Lines are only ever added, so a stopped run
// and the runs after it read as one history; the last line of a label tells
// whether its pager still needs programming.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/kept_values.h"

namespace mk843nb::fleet {

inline constexpr const char* kReportCsvName = "report.csv";
inline constexpr const char* kReportJsonName = "report.json";

enum class PagerResult {
    Written,       // written and verified
    VerifyFailed,  // written, and the pager's read-back differs from the table
    WriteFailed,   // a frame of the write or its verify failed, or the line broke
    ReadFailed,    // the pre-write read failed (no good reply, checksum, another model): nothing
                   // written
    NoBoard,       // the board did not answer or the port could not be opened: nothing written
    Refused,       // refused before writing (a changed table, no backup, old firmware and Reminder)
    Skipped,       // the user skipped it
};

std::string_view ResultName(PagerResult result);
std::optional<PagerResult> ResultNamed(std::string_view name);

// The window's multi-line messages as one line, the breaks turned into single blanks.
std::string OneLine(std::string_view text);

struct ReportLine {
    std::string label;
    std::string port;
    std::string start;  // UTC, ISO 8601 to the second
    double seconds = 0;
    PagerResult result = PagerResult::Skipped;
    std::string message;
    std::string backup;  // the pre-write backup's file; "" when none was taken
    // Of the planned table the run wrote (or meant to write); the image
    // written differs from it by the kept values.
    std::string sha256;
    std::string asset{};  // the roster's asset and note columns
    std::string note{};
    std::vector<KeptValue> kept{};  // the pager's own values put in the table before the write

    bool written() const { return result == PagerResult::Written; }
};

class FleetReport {
public:
    explicit FleetReport(std::filesystem::path folder);

    // Reads report.json; a folder without one has an empty history. The error
    // text when it exists but cannot be used (then nothing is appended to it).
    std::optional<std::string> Load();
    // What a run says of a report Load could not use: the error and the way out.
    static std::string Unusable(const std::string& error);
    const std::vector<ReportLine>& Lines() const { return lines_; }

    // A pager whose last line says its table (by content) was written and verified.
    bool AlreadyWritten(std::string_view label, std::string_view sha256) const;

    // Adds the line to both files (each synced); false when either could not be written.
    bool Append(const ReportLine& line);
    // Both files written anew (each atomically) with exactly these lines: a
    // report made from a record kept elsewhere. False when either could not be written.
    bool Replace(std::vector<ReportLine> lines);
    // Why the last Append or Replace failed: the file and the reason.
    const std::string& WriteFailure() const { return writeFailure_; }

private:
    bool WriteJson() const;

    std::filesystem::path folder_;
    std::vector<ReportLine> lines_;
    std::string writeFailure_;
};

}  // namespace mk843nb::fleet
