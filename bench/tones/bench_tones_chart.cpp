// The tone plan chart of 2,000 pagers: 200 departments of 10, each pager with
// an address of its own, its department's station call (shared on purpose)
// and now and then a group tone, at mixed bandwidths, as bench_tones_check
// makes them. Prints the time of the layout and of the SVG and PNG files made
// from it, in process, and of the whole mk843nb-cli tones chart process; the
// goal is under 2 s for each.

#include <QGuiApplication>
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
#include "tones_chart/chart_files.h"
#include "tones_chart/chart_layout.h"

namespace {

using namespace mk843nb;
using Clock = std::chrono::steady_clock;

using bench::kDepartments;
using bench::kPerDepartment;
constexpr int kRuns = 3;
constexpr double kGoalMs = 2000.0;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* Verdict(double ms) { return ms < kGoalMs ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    test::TempDir temp;
    const auto shared = bench::WriteCountyPlan(temp.Path());
    if (!shared) return 1;

    const tones::PlanSourcesRead read = tones::ReadTonePlan({temp.Path()});
    if (read.plan.pagers.size() != kDepartments * kPerDepartment) {
        std::fprintf(stderr, "read %zu pagers\n", read.plan.pagers.size());
        return 1;
    }
    const tones::CheckResult check = tones::CheckPlan(read.plan, *shared);

    std::vector<std::string> svgArgs{"tones", "chart", temp.Path(), "--out", temp.File("plan.svg")};
    for (const tones::CallPair& station : *shared) {
        svgArgs.push_back("--shared");
        svgArgs.push_back(tones::PairText(station));
    }
    std::vector<std::string> pngArgs = svgArgs;
    pngArgs[4] = temp.File("plan.png");

    std::vector<double> layoutMs, svgMs, pngMs, svgProcessMs, pngProcessMs;
    tones::ChartLayout layout;
    std::size_t svgBytes = 0, pngBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        layout = tones::LayoutChart(read.plan, check);
        layoutMs.push_back(MsSince(start));
        start = Clock::now();
        svgBytes = tones::ChartFileBytes(layout, tones::ChartFormat::Svg).size();
        svgMs.push_back(MsSince(start));
        start = Clock::now();
        pngBytes = tones::ChartFileBytes(layout, tones::ChartFormat::Png).size();
        pngMs.push_back(MsSince(start));

        for (auto [args, times] : {std::pair{&svgArgs, &svgProcessMs}, {&pngArgs, &pngProcessMs}}) {
            start = Clock::now();
            const test::CliRun cli = test::RunCli(*args);
            times->push_back(MsSince(start));
            if (cli.status != 0) {
                std::fprintf(stderr, "tones chart ended with %d: %s\n", cli.status,
                             cli.err.c_str());
                return 1;
            }
        }
    }
    const double svgProcess = Median(svgProcessMs);
    const double pngProcess = Median(pngProcessMs);
    std::printf(
        "tones chart of %d pagers (%zu points, %zu group calls, %zu problems, %zu labels placed, "
        "%zu left out), median of %d runs:\n"
        "  in process: layout %.1f ms, SVG %.1f ms (%zu bytes), PNG %.1f ms (%zu bytes)\n"
        "  mk843nb-cli tones chart, whole process: SVG %.1f ms (goal < %.0f ms: %s), "
        "PNG %.1f ms (goal < %.0f ms: %s)\n",
        kDepartments * kPerDepartment, layout.points.size(), layout.groups.size(),
        check.problems.size(), layout.labels.size(), layout.unlabelled, kRuns, Median(layoutMs),
        Median(svgMs), svgBytes, Median(pngMs), pngBytes, svgProcess, kGoalMs, Verdict(svgProcess),
        pngProcess, kGoalMs, Verdict(pngProcess));
    return 0;
}
