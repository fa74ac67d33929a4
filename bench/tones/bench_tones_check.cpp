// tones check of 2,000 pagers: 200 departments of 10, each pager with an
// address of its own, its department's station call (shared on purpose) and
// now and then a group tone, at mixed bandwidths. Prints the in-process time
// of reading the tables and checking them, and the whole mk843nb-cli process;
// the goal is under 1 s for the process.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_process.h"
#include "county_plan.h"
#include "test_files.h"
#include "tone_sources/plan_sources.h"
#include "tones/plan_check.h"
#include "tones/tone_names.h"

namespace {

using namespace mk843nb;

using bench::kDepartments;
using bench::kPerDepartment;
constexpr int kRuns = 5;
constexpr double kGoalMs = 1000.0;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    test::TempDir temp;
    const auto shared = bench::WriteCountyPlan(temp.Path());
    if (!shared) return 1;
    std::vector<std::string> args{"tones", "check", temp.Path()};
    for (const tones::CallPair& station : *shared) {
        args.push_back("--shared");
        args.push_back(tones::PairText(station));
    }
    std::vector<double> readMs, checkMs, processMs;
    std::size_t problems = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const tones::PlanSourcesRead read = tones::ReadTonePlan({temp.Path()});
        const auto readDone = std::chrono::steady_clock::now();
        problems = tones::CheckPlan(read.plan, *shared).problems.size();
        const auto checkDone = std::chrono::steady_clock::now();
        readMs.push_back(std::chrono::duration<double, std::milli>(readDone - start).count());
        checkMs.push_back(std::chrono::duration<double, std::milli>(checkDone - readDone).count());
        if (read.plan.pagers.size() != kDepartments * kPerDepartment) {
            std::fprintf(stderr, "read %zu pagers\n", read.plan.pagers.size());
            return 1;
        }

        const auto processStart = std::chrono::steady_clock::now();
        const test::CliRun cli = test::RunCli(args);
        processMs.push_back(std::chrono::duration<double, std::milli>(
                                std::chrono::steady_clock::now() - processStart)
                                .count());
        if (cli.status != (problems == 0 ? 0 : 1)) {
            std::fprintf(stderr, "tones check ended with %d: %s\n", cli.status, cli.err.c_str());
            return 1;
        }
    }
    const double process = Median(processMs);
    std::printf(
        "tones check of %d pagers (%d shared station calls, %zu problems found), median of %d "
        "runs:\n"
        "  in process: read %.1f ms, check %.1f ms\n"
        "  mk843nb-cli tones check, whole process: %.1f ms (goal < %.0f ms: %s)\n",
        kDepartments * kPerDepartment, kDepartments, problems, kRuns, Median(readMs),
        Median(checkMs), process, kGoalMs, process < kGoalMs ? "met" : "NOT met");
    return 0;
}
