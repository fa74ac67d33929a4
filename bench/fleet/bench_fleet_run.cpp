// A fleet run as a shop would do it: 24 pagers through 4 emulated boards at
// 9600 baud, the whole mk843nb-cli process timed. Judged against the wire time
// of one pager (its pre-write read plus its Write, bytes at 10 bits each and
// the 10 ms pauses between write frames) times 24 / 4, and by the process's CPU
// share of one core.

#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli_process.h"
#include "fleet_test_support.h"
#include "sim_process.h"
#include "test_files.h"

namespace {

using namespace mk843nb;

constexpr int kPagers = 24;
constexpr int kBoards = 4;
constexpr double kBaud = 9600;
constexpr double kByteMs = 10.0 * 1000.0 / kBaud;
constexpr double kWallGoal = 1.15;
constexpr double kCpuGoal = 0.10;

// Request and reply sizes of each exchange.
constexpr int kPing = 18 + 15, kVersion = 18 + 17, kModel = 18 + 29, kBlock = 18 + 143,
              kWriteFrame = 25 + 16;

double ChildrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

}  // namespace

int main() {
    test::TempDir temp;
    ::setenv("MK843NB_BACKUP_DIR", temp.File("backups").c_str(), 1);
    // Every pager is recorded and every row claimed, as in the shop.
    ::setenv("MK843NB_INVENTORY", temp.File("inventory.sqlite").c_str(), 1);
    std::ofstream(temp.File("roster.csv")) << test::DistinctRoster(kPagers);
    const std::string dir = temp.File("plan");

    const auto planStart = std::chrono::steady_clock::now();
    const test::CliRun plan =
        test::RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl",
                      temp.File("roster.csv"), "--out", dir});
    const double planMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - planStart)
            .count();
    if (plan.status != 0) {
        std::fprintf(stderr, "fleet plan failed: %s\n", plan.err.c_str());
        return 1;
    }

    std::vector<std::unique_ptr<test::SimProcess>> boards;
    std::vector<std::string> args{"fleet", "run", dir, "--yes"};
    for (int i = 0; i < kBoards; ++i) {
        boards.push_back(std::make_unique<test::SimProcess>(
            // The operator places the next pager once one is written.
            std::vector<std::string>{"--baud", "9600", "--turnaround", "0",
                                     "--new-pager-each-write"}));
        args.insert(args.end(), {"--port", boards.back()->DevicePath()});
    }

    const double cpu0 = ChildrenCpuMs();
    const auto start = std::chrono::steady_clock::now();
    const test::CliRun run = test::RunCli(args);
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuMs = ChildrenCpuMs() - cpu0;
    if (run.status != 0) {
        std::fprintf(stderr, "fleet run failed (%d): %s%s\n", run.status, run.out.c_str(),
                     run.err.c_str());
        return 1;
    }

    const double readWire = (kPing + kVersion + kModel + 2 * kBlock) * kByteMs;
    const double writeWire =
        (kPing + kVersion + kModel + 32 * kWriteFrame + 2 * kBlock) * kByteMs + 32 * 10.0;
    const double pagerWire = readWire + writeWire;
    const double goalBase = static_cast<double>(kPagers) / kBoards * pagerWire;
    const double ratio = wallMs / goalBase;
    const double share = cpuMs / wallMs;
    const bool met = ratio <= kWallGoal && share < kCpuGoal;

    std::printf("fleet plan of %d pagers: %.0f ms (process)\n", kPagers, planMs);
    std::printf("one pager on the wire: pre-write read %.1f ms + Write %.1f ms = %.1f ms\n",
                readWire, writeWire, pagerWire);
    std::printf(
        "fleet run, %d pagers on %d boards at 9600 baud: wall %.0f ms, (%d / %d) x wire %.0f ms, "
        "ratio %.3f (goal <= %.2f)\n",
        kPagers, kBoards, wallMs, kPagers, kBoards, goalBase, ratio, kWallGoal);
    std::printf("CPU of the run: %.0f ms, %.1f %% of one core (goal < %.0f %%)\n", cpuMs,
                share * 100, kCpuGoal * 100);
    std::printf("throughput: %.1f pagers per minute\n", kPagers / (wallMs / 60000.0));
    std::printf("%s\n", met ? "Fleet goals met." : "Some fleet goals missed.");
    return met ? 0 : 1;
}
