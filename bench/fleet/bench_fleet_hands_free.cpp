// A hands-free fleet run as a bench would do it: 24 pagers through 4 emulated
// boards at 9600 baud, an operator per board who places a pager, takes it off
// once its line is in the report and needs 3 s to put the next one on. Nobody
// presses a key. Judged by the time each pager costs beyond its wire time and
// the operator's handling, and by the run's CPU share of one core.

#include <stdlib.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "cli_child.h"
#include "fleet_test_support.h"
#include "sim_process.h"
#include "test_files.h"

namespace {

using namespace mk843nb;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPagers = 24;
constexpr int kBoards = 4;
constexpr double kBaud = 9600;
constexpr double kByteMs = 10.0 * 1000.0 / kBaud;
constexpr auto kHandling = std::chrono::seconds(3);
constexpr double kOverheadGoalMs = 500;
constexpr double kCpuGoal = 0.10;

constexpr int kPing = 18 + 15, kVersion = 18 + 17, kModel = 18 + 29, kBlock = 18 + 143,
              kWriteFrame = 25 + 16;

double ChildrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Report lines so far for port (the report is rewritten whole, so a read may
// catch none of a line but never half of one).
int LinesFor(const fs::path& report, const std::string& port) {
    std::ifstream in(report);
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (!json.is_object() || !json.contains("pagers")) return 0;
    int lines = 0;
    for (const auto& line : json["pagers"]) lines += line.value("port", "") == port;
    return lines;
}

void Place(const std::string& cradle) { std::ofstream{cradle}; }

}  // namespace

int main() {
    test::TempDir temp;
    ::setenv("MK843NB_BACKUP_DIR", temp.File("backups").c_str(), 1);
    // Every pager is recorded and every row claimed, as in the shop.
    ::setenv("MK843NB_INVENTORY", temp.File("inventory.sqlite").c_str(), 1);
    std::ofstream(temp.File("roster.csv")) << test::DistinctRoster(kPagers);
    const std::string dir = temp.File("plan");
    if (test::RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl",
                      temp.File("roster.csv"), "--out", dir})
            .status != 0) {
        std::fprintf(stderr, "fleet plan failed\n");
        return 1;
    }

    std::vector<std::unique_ptr<test::SimProcess>> boards;
    std::vector<std::string> cradles;
    std::vector<std::string> args{"fleet", "run", dir, "--hands-free"};
    for (int i = 0; i < kBoards; ++i) {
        cradles.push_back(temp.File("cradle" + std::to_string(i)));
        boards.push_back(std::make_unique<test::SimProcess>(std::vector<std::string>{
            "--baud", "9600", "--turnaround", "0", "--cradle", cradles.back()}));
        args.insert(args.end(), {"--port", boards.back()->DevicePath()});
    }

    const fs::path report = fs::path(dir) / "report.json";
    std::atomic<bool> over{false};
    std::atomic<int> swaps{0};
    std::vector<std::thread> operators;
    const double cpu0 = ChildrenCpuMs();
    const auto start = Clock::now();
    test::CliChild run(args);  // stdin: nothing, and never a key
    for (int i = 0; i < kBoards; ++i) {
        operators.emplace_back([&, i] {
            const std::string port = boards[static_cast<std::size_t>(i)]->DevicePath();
            const std::string& cradle = cradles[static_cast<std::size_t>(i)];
            int done = 0;
            Place(cradle);
            while (!over) {
                if (LinesFor(report, port) == done) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    continue;
                }
                ++done;
                fs::remove(cradle);
                std::this_thread::sleep_for(kHandling);
                if (over) break;
                ++swaps;
                Place(cradle);
            }
        });
    }
    const test::CliRun ended = run.Wait(std::chrono::minutes(5));
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double cpuMs = ChildrenCpuMs() - cpu0;
    over = true;
    for (auto& t : operators) t.join();
    if (ended.status != 0) {
        std::fprintf(stderr, "fleet run failed (%d): %s%s\n", ended.status, ended.out.c_str(),
                     ended.err.c_str());
        return 1;
    }

    const double readWire = (kPing + kVersion + kModel + 2 * kBlock) * kByteMs;
    const double writeWire =
        (kPing + kVersion + kModel + 32 * kWriteFrame + 2 * kBlock) * kByteMs + 32 * 10.0;
    const double pagerWire = readWire + writeWire;
    // Per board: its share of the pagers on the wire, and a handling between each two.
    const double perBoard = static_cast<double>(kPagers) / kBoards;
    const double handlingMs = std::chrono::duration<double, std::milli>(kHandling).count();
    const double expectedMs = perBoard * pagerWire + (perBoard - 1) * handlingMs;
    const double overheadMs = (wallMs - expectedMs) / perBoard;
    // The program only: the emulators are still running, so not counted among the children.
    const double share = cpuMs / wallMs;
    const bool met = overheadMs < kOverheadGoalMs && share < kCpuGoal;

    std::printf("one pager on the wire: %.0f ms; handling per swap: %.0f ms\n", pagerWire,
                handlingMs);
    std::printf(
        "hands-free run, %d pagers on %d boards: wall %.0f ms; per board %.0f pagers x wire + "
        "%.0f swaps x handling = %.0f ms\n",
        kPagers, kBoards, wallMs, perBoard, perBoard - 1, expectedMs);
    std::printf("time per pager beyond wire and handling: %.0f ms (goal < %.0f ms)\n", overheadMs,
                kOverheadGoalMs);
    std::printf("key presses: 0; swaps: %d\n", swaps.load());
    std::printf(
        "CPU of mk843nb-cli over the run: %.0f ms, %.1f %% of one core "
        "(goal < %.0f %%)\n",
        cpuMs, share * 100, kCpuGoal * 100);
    std::printf("%s\n", met ? "Hands-free goals met." : "Some hands-free goals missed.");
    return met ? 0 : 1;
}
