// fleet plan of a 10,000-row roster, the whole mk843nb-cli process timed: its
// wall time, its CPU time and its peak memory, against the goals of 3 s and
// 200 MB. The roster reuses standard tones the way a large county does, so the
// tone-plan check finds thousands of problems; the lines the terminal gets are
// counted too. The plan folder is made under $TMPDIR: every table is synced to
// the disk as it is written, so on a busy disk the wall time is mostly that.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cli_process.h"
#include "image/tones.h"
#include "test_files.h"

namespace {

using namespace mk843nb;

constexpr int kRows = 10000;
constexpr double kWallGoalSeconds = 3.0;
constexpr double kMemoryGoalMb = 200.0;

// Pairs of standard tones, every second one, TONE1 from the lower half and TONE2 from the upper
// (so every pair keeps the spacing rule), drawn by a fixed generator.
std::string CountyRoster(int rows) {
    std::vector<int> tones;
    for (const ToneGroup& group : StandardToneTable())
        for (std::uint16_t tone : group.tones) tones.push_back(tone);
    std::sort(tones.begin(), tones.end());
    tones.erase(std::unique(tones.begin(), tones.end()), tones.end());
    const std::size_t half = tones.size() / 2;
    std::uint32_t state = 20261211;
    const auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    std::string csv = "label,T11,T21\n";
    for (int i = 0; i < rows; ++i) {
        const int first = tones[2 * (next() % (half / 2))];
        const int second = tones[half + 2 * (next() % (half / 2))];
        char row[96];
        std::snprintf(row, sizeof row, "Unit %d,%d.%d,%d.%d\n", i + 1, first / 10, first % 10,
                      second / 10, second % 10);
        csv += row;
    }
    return csv;
}

double Seconds(const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; }

}  // namespace

int main() {
    test::TempDir temp;
    const std::string roster = temp.File("roster.csv");
    std::ofstream(roster) << CountyRoster(kRows);

    const auto start = std::chrono::steady_clock::now();
    const test::CliRun plan =
        test::RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl", roster, "--out",
                      temp.File("plan")});
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    if (plan.status != 0) {
        std::fprintf(stderr, "fleet plan failed (%d): %s\n", plan.status, plan.err.c_str());
        return 1;
    }
    const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    const double peakMb = usage.ru_maxrss / 1024.0;
    const long lines = std::count(plan.err.begin(), plan.err.end(), '\n');

    std::printf("fleet plan of %d rows: %s", kRows, plan.out.c_str());
    std::printf("  wall time      %6.2f s   (goal under %.0f s: %s)\n", wall, kWallGoalSeconds,
                wall < kWallGoalSeconds ? "met" : "NOT met");
    std::printf(
        "  CPU time       %6.2f s   (user and system; the wall time on a busy machine "
        "waits for a core)\n",
        cpu);
    std::printf("  peak memory    %6.1f MB  (goal under %.0f MB: %s)\n", peakMb, kMemoryGoalMb,
                peakMb < kMemoryGoalMb ? "met" : "NOT met");
    std::printf("  terminal lines %6ld     (findings summarised by kind)\n", lines);
    return 0;
}
