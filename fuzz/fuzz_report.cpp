// report.json as any bytes: a fleet run's history after a crash, an edit or
// another version. Loading must never crash and either takes the history or
// says why not; a history it took survives the next line added: read back,
// it holds every earlier line unchanged and the new one last.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fleet/fleet_report.h"
#include "fuzz_folder.h"

namespace {

using namespace mk843nb;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

bool SameLine(const fleet::ReportLine& a, const fleet::ReportLine& b) {
    return a.label == b.label && a.port == b.port && a.start == b.start && a.result == b.result &&
           a.message == b.message && a.backup == b.backup && a.sha256 == b.sha256 &&
           a.asset == b.asset && a.note == b.note && a.kept.size() == b.kept.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzFolder folder("mk843nb-fuzz-report");
    folder.Fresh();
    folder.Put(fleet::kReportJsonName, fuzz::Text(data, size));
    fleet::FleetReport report(folder.Path());
    if (report.Load()) {
        Check(report.Lines().empty(), "a report refused, yet lines were taken");
        return 0;
    }
    const std::vector<fleet::ReportLine> before = report.Lines();
    fleet::ReportLine added{"pager 9",
                            "/dev/ttyUSB0",
                            "2026-01-02T03:04:05Z",
                            4.5,
                            fleet::PagerResult::Written,
                            "Sucess",
                            "",
                            "ab"};
    Check(report.Append(added), "the line could not be added");

    fleet::FleetReport again(folder.Path());
    Check(!again.Load(), "the report written could not be read back");
    const std::vector<fleet::ReportLine>& after = again.Lines();
    Check(after.size() == before.size() + 1, "lines lost or gained on the way");
    for (std::size_t i = 0; i < before.size(); ++i)
        Check(SameLine(after[i], before[i]), "an earlier line changed on the way");
    Check(SameLine(after.back(), added), "the added line changed on the way");
    return 0;
}
