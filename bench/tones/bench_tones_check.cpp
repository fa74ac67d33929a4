// tones check of 2,000 pagers: 200 departments of 10, each pager with an
// address of its own, its department's station call (shared on purpose) and
// now and then a group tone, at mixed bandwidths. Prints the in-process time
// of reading the tables and checking them, and the whole mk843nb-cli process;
// the goal is under 1 s for the process.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cli_process.h"
#include "editor/form_model.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "test_files.h"
#include "tones/plan_check.h"
#include "tones/plan_sources.h"
#include "tones/tone_names.h"

namespace {

using namespace mk843nb;

constexpr int kDepartments = 200;
constexpr int kPerDepartment = 10;
constexpr int kRuns = 5;
constexpr double kGoalMs = 1000.0;

void SetTone(PagerImage& image, const std::string& tone, const std::string& word,
             std::uint16_t code) {
    SetFieldCode(image, FieldNamed(tone), code);
    SetFieldCode(image, FieldNamed(word), ToneDecoderWord(code));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    test::TempDir temp;
    std::mt19937 random(843);
    const std::vector<std::uint16_t>& values = tones::StandardValues();
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    const auto pair = [&] {
        tones::CallPair p{values[pick(random)], values[pick(random)]};
        while (p.tone2 == p.tone1) p.tone2 = values[pick(random)];
        return p;
    };
    std::set<tones::CallPair> used;
    const auto fresh = [&] {
        tones::CallPair p = pair();
        while (!used.insert(p).second) p = pair();
        return p;
    };

    const PagerImage blank = FormModel().Image();
    std::vector<std::string> args{"tones", "check", temp.Path()};
    for (int d = 0; d < kDepartments; ++d) {
        const tones::CallPair station = fresh();
        args.push_back("--shared");
        args.push_back(tones::PairText(station));
        for (int p = 0; p < kPerDepartment; ++p) {
            PagerImage image = blank;
            const tones::CallPair own = fresh();
            SetFieldCode(image, FieldNamed("Duty1"), 1);
            SetTone(image, "T11", "W11", own.tone1);
            SetTone(image, "T21", "W21", own.tone2);
            SetFieldCode(image, FieldNamed("Duty2"), 1);
            SetTone(image, "T12", "W12", station.tone1);
            SetTone(image, "T22", "W22", station.tone2);
            if (p == 0) {
                SetFieldCode(image, FieldNamed("GDuty1"), 1);
                SetTone(image, "T31", "W31", values[pick(random)]);
            }
            SetFieldCode(image, FieldNamed("BandWidth"), p % 3 == 0 ? 10 : 7);
            char name[32];
            std::snprintf(name, sizeof name, "/d%03d-p%02d.tbl", d, p);
            if (!WriteTableFile(temp.Path() + name, image)) {
                std::fprintf(stderr, "cannot write %s\n", name);
                return 1;
            }
        }
    }

    std::vector<tones::CallPair> shared;
    for (std::size_t i = 4; i < args.size(); i += 2) shared.push_back(*tones::ParsePair(args[i]));
    std::vector<double> readMs, checkMs, processMs;
    std::size_t problems = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const tones::PlanSourcesRead read = tones::ReadTonePlan({temp.Path()});
        const auto readDone = std::chrono::steady_clock::now();
        problems = tones::CheckPlan(read.plan, shared).problems.size();
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
