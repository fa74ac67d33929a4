// mk843nb-cli fleet run against emulated boards on pseudo-terminals: the
// command line's own part of a run (its arguments, prompts on the terminal,
// Ctrl+C, what it prints and its exit statuses). What a run does with each
// pager and board is tested on the runner itself (fleet_runner_test.cpp).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_child.h"
#include "cli_process.h"
#include "fleet/digest.h"
#include "fleet_run/progress_line.h"
#include "fleet_test_support.h"
#include "image/fields.h"
#include "image/pager_image.h"
#include "image/write_preparation.h"
#include "inventory/inventory.h"
#include "qt_application.h"
#include "silent_ptys.h"
#include "sim_process.h"
#include "test_files.h"

extern char** environ;

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::RunCli;
using test::SimProcess;
using test::Slurp;

class FleetRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("MK843NB_BACKUP_DIR", backups.c_str(), 1);
        ::setenv("MK843NB_INVENTORY", inventory.c_str(), 1);
        std::ofstream(temp.File("roster.csv")) << test::DistinctRoster(6);
        const CliRun plan = RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl",
                                    temp.File("roster.csv"), "--out", dir});
        ASSERT_EQ(plan.status, 0) << plan.err;
    }
    void TearDown() override {
        ::unsetenv("MK843NB_BACKUP_DIR");
        ::unsetenv("MK843NB_INVENTORY");
    }

    // An emulated board answering at once (no line pacing) unless told otherwise.
    SimProcess& Board(std::vector<std::string> options = {}) {
        const std::string save = temp.File("board" + std::to_string(boards.size()) + ".tbl");
        options.insert(options.end(), {"--save", save});
        if (std::find(options.begin(), options.end(), "--baud") == options.end())
            options.insert(options.end(), {"--baud", "0"});
        // A fleet run with --yes places a new pager for each row; one left on is refused.
        options.push_back("--new-pager-each-write");
        boards.push_back(std::make_unique<SimProcess>(options));
        saved[boards.back()->DevicePath()] = save;
        return *boards.back();
    }

    std::vector<std::string> RunArgs(std::vector<std::string> ports, bool yes = true) {
        // DIR among the options, as a user may type it: each --port takes one value.
        std::vector<std::string> args{"fleet", "run", "--port", ports.front(), dir};
        for (std::size_t i = 1; i < ports.size(); ++i)
            args.insert(args.end(), {"--port", ports[i]});
        if (yes) args.push_back("--yes");
        return args;
    }

    nlohmann::json Report() const {
        return nlohmann::json::parse(Slurp(fs::path(dir) / "report.json"))["pagers"];
    }
    // label -> result of its last line.
    std::map<std::string, std::string> LastResults() const {
        std::map<std::string, std::string> results;
        for (const auto& line : Report()) results[line["label"]] = line["result"];
        return results;
    }
    std::vector<std::string> CsvLines() const {
        std::vector<std::string> lines;
        std::ifstream in(fs::path(dir) / "report.csv");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The planned table as the board holds it after a Write to firmware 1.86: the
    // version the pager reported in bytes 1 and 2, then the write preparation.
    std::string Prepared(const std::string& label) const {
        const std::string table = Slurp(fs::path(dir) / (label + ".tbl"));
        PagerImage image{};
        std::copy(table.begin(), table.end(), image.begin());
        image[1] = 1;
        image[2] = 86;
        PrepareImageForWrite(image, 1, 86);
        return {image.begin(), image.end()};
    }

    test::TempDir temp;
    std::string dir = temp.File("plan");
    std::string backups = temp.File("backups");
    std::string inventory = temp.File("inventory.sqlite");
    std::vector<std::unique_ptr<SimProcess>> boards;
    std::map<std::string, std::string> saved;  // device -> the board's --save file
};

// mk843nb-cli with its stdout read as `| head -1` reads it: the first line,
// then the pipe closed. The exit status (128 + the signal when one ended it)
// and stderr.
CliRun RunIntoHeadOne(std::vector<std::string> args, const std::string& errFile) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    args.insert(args.begin(), MK843NB_CLI_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const bool started = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    EXPECT_TRUE(started);
    CliRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (char c = 0; started && c != '\n' && std::chrono::steady_clock::now() < deadline;) {
        pollfd ready{pipeEnds[0], POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        if (::read(pipeEnds[0], &c, 1) != 1) break;
        run.out += c;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    bool ended = !started;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "the run did not end";
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = Slurp(errFile);
    return run;
}

// mk843nb-cli with its stderr on a pseudo-terminal of the given width: what
// the terminal received, once the run has ended.
std::string RunOnTerminal(std::vector<std::string> args, unsigned short columns) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master, 0);
    ::grantpt(master);
    ::unlockpt(master);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    ::ioctl(master, TIOCSWINSZ, &size);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, ::ptsname(master), O_RDWR | O_NOCTTY, 0);
    args.insert(args.begin(), MK843NB_CLI_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const bool started = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_TRUE(started);
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool ended = !started;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 50) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0) received.append(buffer, static_cast<std::size_t>(got));
        }
        ended = ::waitpid(pid, nullptr, WNOHANG) == pid;
    }
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ADD_FAILURE() << "the run did not end";
    }
    for (pollfd ready{master, POLLIN, 0}; ::poll(&ready, 1, 0) > 0;) {
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0) break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(master);
    return received;
}

TEST_F(FleetRunTest, OnATerminalTheProgressLineFitsItsWidthAndNamesEachBoardsPager) {
    // A pager a board, each about three seconds at 9600 baud: long enough for the line.
    fs::remove_all(dir);
    std::ofstream(temp.File("two.csv")) << test::DistinctRoster(2);
    ASSERT_EQ(RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl",
                      temp.File("two.csv"), "--out", dir})
                  .status,
              0);
    const std::string a = Board({"--baud", "9600"}).DevicePath();
    const std::string b = Board({"--baud", "9600"}).DevicePath();
    const std::string received = RunOnTerminal(RunArgs({a, b}), 50);
    // Each state of the line starts after a carriage return and a clear-to-end.
    int shown = 0;
    bool namesPager = false;
    for (std::size_t start = 0; start < received.size();) {
        std::size_t end = received.find_first_of("\r\n", start);
        if (end == std::string::npos) end = received.size();
        std::string line = received.substr(start, end - start);
        start = end + 1;
        if (line.starts_with("\033[K")) line.erase(0, 3);
        if (line.find(" done") == std::string::npos) continue;
        ++shown;
        EXPECT_LT(fleet::Columns(line), 50u) << line;
        if (line.find("' on pts/") != std::string::npos) namesPager = true;
    }
    EXPECT_GT(shown, 0) << received;
    EXPECT_TRUE(namesPager) << received;
}

// Every --port is a board of the run; what it says at the end, and the report
// it leaves in the plan's folder.
TEST_F(FleetRunTest, SeveralPortsShareTheRosterAndTheRunSaysAllWereWritten) {
    const std::string a = Board().DevicePath();
    const std::string b = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({a, b}));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Written and verified: 6 of 6."), std::string::npos) << run.out;
    std::set<std::string> ports;
    for (const auto& line : Report()) {
        EXPECT_EQ(line["result"], "written");
        ports.insert(line["port"]);
    }
    EXPECT_EQ(ports, (std::set<std::string>{a, b}));
    // report.csv: a header and one line per pager.
    EXPECT_EQ(CsvLines().size(), 7u);
    EXPECT_EQ(CsvLines().front(),
              "label,port,start,seconds,result,message,backup,sha256,asset,note,kept\r");
}

TEST_F(FleetRunTest, ABoardThatStopsAnsweringLosesOnePagerAndTheOthersFinishTheRest) {
    // Frame 20 is a write frame of the first pager this board takes (a pager
    // is 47 frames: read 5, write 42); the board hangs up after answering it.
    // Its port comes first, so its board takes a pager however busy the machine.
    const std::string failing = Board({"--fault", "hangup:20"}).DevicePath();
    const std::string good = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({failing, good}));
    EXPECT_EQ(run.status, 4) << run.out << run.err;  // transfer failed
    EXPECT_NE(run.out.find("Written and verified: 5 of 6."), std::string::npos) << run.out;

    const nlohmann::json report = Report();
    ASSERT_EQ(report.size(), 6u) << report.dump(1);
    int failed = 0;
    for (const auto& line : report) {
        if (line["result"] == "written") continue;
        ++failed;
        EXPECT_EQ(line["port"], failing);
        EXPECT_EQ(line["result"], "write failed");
        EXPECT_NE(line["message"].get<std::string>().find("Write"), std::string::npos)
            << line.dump();
        EXPECT_NE(line["backup"], "") << "the backup was taken before the write began";
        EXPECT_NE(run.out.find(line["label"].get<std::string>() + " on " + failing.substr(5) +
                               ": write failed"),
                  std::string::npos)
            << run.out;
    }
    EXPECT_EQ(failed, 1);

    // Run again with a board that answers: only the failed pager is programmed.
    const std::string fresh = Board().DevicePath();
    const CliRun resumed = RunCli(RunArgs({fresh}));
    EXPECT_EQ(resumed.status, 0) << resumed.out << resumed.err;
    EXPECT_NE(resumed.out.find("Written and verified: 6 of 6 (5 before this run)."),
              std::string::npos)
        << resumed.out;
    EXPECT_EQ(Report().size(), 7u);
    for (const auto& [label, result] : LastResults()) EXPECT_EQ(result, "written") << label;
}

TEST_F(FleetRunTest, CtrlCFinishesThePagerInProgressRecordsItAndAResumeDoesTheRest) {
    // Paced at 9600 baud, a pager takes about three seconds.
    const std::string port = Board({"--baud", "9600"}).DevicePath();
    test::CliChild run(RunArgs({port}));
    ASSERT_TRUE(run.WaitForOut("[1/6]", std::chrono::seconds(30))) << run.Out();
    run.Interrupt();
    const CliRun stopped = run.Wait();
    EXPECT_EQ(stopped.status, 1) << stopped.out << stopped.err;
    EXPECT_NE(stopped.err.find("Stopping"), std::string::npos) << stopped.err;

    // The pager in progress when Ctrl+C came was finished and has its line.
    const nlohmann::json report = Report();
    ASSERT_GE(report.size(), 1u);
    ASSERT_LT(report.size(), 6u);
    for (const auto& line : report) EXPECT_EQ(line["result"], "written") << line.dump();
    EXPECT_NE(stopped.out.find("not started: " + std::to_string(6 - report.size())),
              std::string::npos)
        << stopped.out;
    // The board's pager holds the last recorded table in full, nothing after it.
    EXPECT_EQ(Slurp(saved.at(port)), Prepared(report.back()["label"]));

    const std::size_t before = report.size();
    const CliRun resumed = RunCli(RunArgs({Board().DevicePath()}));
    EXPECT_EQ(resumed.status, 0) << resumed.out << resumed.err;
    for (std::size_t i = 0; i < before; ++i)
        EXPECT_NE(resumed.out.find(report[i]["label"].get<std::string>() +
                                   ": already written and verified, skipped"),
                  std::string::npos)
            << resumed.out;
    EXPECT_EQ(Report().size(), 6u) << "each pager written once";

    // --again programs them all once more.
    const CliRun again = RunCli([&] {
        auto args = RunArgs({Board().DevicePath()});
        args.push_back("--again");
        return args;
    }());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Report().size(), 12u);
}

TEST_F(FleetRunTest, WithOnePortItAsksBeforeEachPager) {
    const std::string port = Board().DevicePath();
    // Skip the first, program the second, stop at the third.
    test::CliChild run(RunArgs({port}, false), "s\n\nq\n");
    const CliRun ended = run.Wait();
    EXPECT_EQ(ended.status, 1) << ended.out << ended.err;
    EXPECT_NE(ended.err.find("Place pager 'Pager 1' (1 of 6) on " + port.substr(5) +
                             ", then press Enter; s skips, q stops"),
              std::string::npos)
        << ended.err;
    EXPECT_NE(ended.err.find("Place pager 'Pager 3' (3 of 6)"), std::string::npos);
    EXPECT_EQ(ended.err.find("Place pager 'Pager 4'"), std::string::npos);
    EXPECT_EQ(LastResults(),
              (std::map<std::string, std::string>{{"Pager 1", "skipped"}, {"Pager 2", "written"}}));
    EXPECT_NE(ended.out.find("not started: 4"), std::string::npos) << ended.out;
}

// A report that cannot be written stops the run, and the user learns which
// pagers hold a table no record speaks of, and why the record failed.
TEST_F(FleetRunTest, AReportThatCannotBeWrittenNamesThePagersProgrammedAndNotRecorded) {
    fs::create_directory(fs::path(dir) / "report.csv");
    const std::string port = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({port}));
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Written and verified: 1 of 6"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "the report in the plan's folder cannot be written (" + dir +
                           "/report.csv: a folder of that name is in the way); programmed and "
                           "not recorded: Pager 1 (written)\n");
    EXPECT_EQ(Slurp(saved.at(port)), Prepared("Pager 1")) << "the pager was written all the same";
}

TEST_F(FleetRunTest, ATableChangedAfterPlanningIsRefusedAndNoBoardIsSaidSo) {
    {
        std::fstream table(fs::path(dir) / "Pager 2.tbl",
                           std::ios::binary | std::ios::in | std::ios::out);
        table.seekp(100);
        table.put('\x5A');
    }
    test::SilentPtys silent(1);
    const std::string port = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({port}));
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    const auto results = LastResults();
    EXPECT_EQ(results.at("Pager 2"), "refused");
    EXPECT_EQ(results.at("Pager 1"), "written");
    EXPECT_EQ(results.at("Pager 6"), "written");

    // A port with nobody behind it: the pager is recorded as no board, exit 3.
    auto args = RunArgs({silent.Paths().front()});
    args.push_back("--again");
    const CliRun nobody = RunCli(args);
    EXPECT_EQ(nobody.status, 3) << nobody.out << nobody.err;
    EXPECT_EQ(Report().back()["result"], "no board");
}

// The statuses 1, 3 and 4 show in the tests above; each way a pager can fail
// has its result on the runner's own test.
TEST_F(FleetRunTest, AVerifyThatFindsADifferenceExitsWithFive) {
    // Bytes 248-255 lost: the fields that differ, as verify names them.
    const std::string port = Board({"--fault", "lost-write:40"}).DevicePath();
    const CliRun run = RunCli(RunArgs({port}));
    EXPECT_EQ(run.status, 5) << run.out << run.err;
    EXPECT_NE(run.out.find("Pager 1 on " + port.substr(5) + ": verify failed"), std::string::npos)
        << run.out;
    const nlohmann::json first = Report().at(0);
    EXPECT_EQ(first["result"], "verify failed");
    EXPECT_NE(first["message"].get<std::string>().find("Checksum: "), std::string::npos)
        << first["message"];
}

// --hands-free: no prompt, the pager placed on the board is programmed, and
// Ctrl+C ends the waiting for the next. Placing, lifting and putting back are
// on the runner's own test, on a fake clock.
TEST_F(FleetRunTest, HandsFreeProgramsThePlacedPagerWithoutAPromptUntilCtrlC) {
    const std::string cradle = temp.File("cradle");
    std::ofstream(cradle).flush();  // a pager is on the board from the start
    const std::string port = Board({"--cradle", cradle}).DevicePath();
    auto args = RunArgs({port}, false);
    args.push_back("--hands-free");
    test::CliChild run(args);
    ASSERT_TRUE(run.WaitForOut("[1/6]", std::chrono::seconds(20))) << run.Out();
    run.Interrupt();
    const CliRun stopped = run.Wait();
    EXPECT_EQ(stopped.status, 1) << stopped.out << stopped.err;
    EXPECT_EQ(stopped.err.find("Place pager"), std::string::npos) << stopped.err;
    const nlohmann::json report = Report();
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0]["result"], "written");
    EXPECT_EQ(Slurp(saved.at(port)), Prepared(report[0]["label"]));
}

TEST_F(FleetRunTest, BackupsAndHistoryFindAPagerByItsLabelAndAsset) {
    std::ofstream(temp.File("assets.csv")) << "label,asset,note,T11,T21\n"
                                              "Engine 2,SN-0042,cab,600.9,832.5\n"
                                              "Engine 3,SN-0043,,539.0,1122.5\n";
    const std::string plan = temp.File("asset-plan");
    ASSERT_EQ(RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl",
                      temp.File("assets.csv"), "--out", plan})
                  .status,
              0);
    const std::string port = Board().DevicePath();
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(RunCli({"fleet", "run", plan, "--port", port, "--yes", "--again"}).status, 0);
    const nlohmann::json report =
        nlohmann::json::parse(Slurp(fs::path(plan) / "report.json"))["pagers"];
    EXPECT_EQ(report[0]["asset"], "SN-0042");
    EXPECT_EQ(report[0]["note"], "cab");

    const CliRun backups = RunCli({"backups", "--asset", "SN-0042", "--json"});
    ASSERT_EQ(backups.status, 0) << backups.err;
    const auto listed = nlohmann::json::parse(backups.out);
    ASSERT_EQ(listed.size(), 4u) << backups.out;  // a pre-write and a write backup per run
    for (const auto& backup : listed) {
        EXPECT_EQ(backup["label"], "Engine 2");
        EXPECT_EQ(backup["note"], "cab");
    }
    EXPECT_EQ(
        nlohmann::json::parse(RunCli({"backups", "--label", "Engine 3", "--json"}).out).size(), 4u);
    EXPECT_EQ(RunCli({"backups", "--label", "Engine", "--json"}).out, "[]\n");

    for (const std::string key : {"Engine 2", "SN-0042"}) {
        const CliRun history = RunCli({"history", key, "--json"});
        ASSERT_EQ(history.status, 0) << history.err;
        const auto programmings = nlohmann::json::parse(history.out);
        ASSERT_EQ(programmings.size(), 2u) << history.out;
        for (const auto& p : programmings) {
            EXPECT_EQ(p["result"], "written");
            EXPECT_EQ(p["port"], port);
            EXPECT_EQ(p["tones"], nlohmann::json::array({"1: 600.9/832.5"}));
            EXPECT_TRUE(fs::exists(p["backup"].get<std::string>()));
        }
        EXPECT_EQ(programmings[0]["backup"], report[0]["backup"]);
    }
    const CliRun text = RunCli({"history", "SN-0042"});
    EXPECT_NE(text.out.find("Engine 2 [SN-0042]  " + port + "  written  1: 600.9/832.5  "),
              std::string::npos)
        << text.out;
    const CliRun unknown = RunCli({"history", "Engine 9"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no programming of 'Engine 9'"), std::string::npos);
}

// A closed terminal, or a reader of the output that went away, stops the run
// as Ctrl+C does: the pager in progress is finished and recorded, and the
// program ends by itself rather than by the signal.
TEST_F(FleetRunTest, AHangUpOrAClosedOutputFinishesAndRecordsThePagerInProgress) {
    for (const bool pipe : {false, true}) {
        SCOPED_TRACE(pipe ? "fleet run | head -1" : "SIGHUP");
        // A fresh start: no report, and no records of the plan it is made from.
        fs::remove(fs::path(dir) / "report.json");
        fs::remove(fs::path(dir) / "report.csv");
        ::setenv("MK843NB_INVENTORY", temp.File(pipe ? "piped.sqlite" : "hung-up.sqlite").c_str(),
                 1);
        // Paced at 9600 baud, a pager takes about three seconds.
        const std::string port = Board({"--baud", "9600"}).DevicePath();
        CliRun stopped;
        if (pipe) {
            stopped = RunIntoHeadOne(RunArgs({port}), temp.File("head-err.txt"));
            EXPECT_EQ(stopped.out.rfind("[1/6] Pager 1 on ", 0), 0u) << stopped.out;
        } else {
            test::CliChild run(RunArgs({port}));
            ASSERT_TRUE(run.WaitForOut("[1/6]", std::chrono::seconds(30))) << run.Out();
            run.Signal(SIGHUP);
            stopped = run.Wait();
        }
        EXPECT_EQ(stopped.status, 1) << stopped.out << stopped.err;
        EXPECT_NE(stopped.err.find("Stopping"), std::string::npos) << stopped.err;
        const nlohmann::json report = Report();
        ASSERT_GE(report.size(), 1u);
        EXPECT_LT(report.size(), 6u);
        for (const auto& line : report) EXPECT_EQ(line["result"], "written") << line.dump();
        // The board's pager holds the last recorded table in full, nothing after it.
        EXPECT_EQ(Slurp(saved.at(port)), Prepared(report.back()["label"]));
    }
}

TEST_F(FleetRunTest, APlanJsonWhosePagersRepeatIsRefusedBeforeAnyBoardStarts) {
    const fs::path planFile = fs::path(dir) / "plan.json";
    nlohmann::json manifest = nlohmann::json::parse(Slurp(planFile));
    nlohmann::json& pagers = manifest["pagers"];
    pagers = nlohmann::json::array({pagers[0], pagers[0], pagers[0]});
    std::ofstream(planFile) << manifest.dump(2);
    const std::string port = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({port}));
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("line 2, 'Pager 1', label: the label appears on an earlier row"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(fs::path(dir) / "report.json"));
    EXPECT_NE(Slurp(saved.at(port)), Prepared("Pager 1")) << "the pager was never written";
}

// The backups on a tiny file system: the pre-write backup fits, the Write
// backup of the image as sent does not.
TEST_F(FleetRunTest, AWriteBackupLostToAFullDiskIsSaidAndHistoryNeverCallsThePagerUnwritten) {
    if (::geteuid() != 0) GTEST_SKIP() << "a full disk is a small tmpfs, and mounting needs root";
    const std::string full = temp.File("full");
    fs::create_directory(full);
    // Three pages: a pre-write backup takes two (table and sidecar), the Write
    // backup's table the third, and its sidecar finds the disk full.
    if (::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=12k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{full};
    ::setenv("MK843NB_BACKUP_DIR", full.c_str(), 1);

    const std::string port = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({port}));
    const nlohmann::json first = Report().at(0);
    EXPECT_EQ(first["label"], "Pager 1");
    EXPECT_EQ(first["result"], "written") << run.out << run.err;
    const std::string message = first["message"];
    EXPECT_NE(message.find("Cannot write the backup " + full + "/"), std::string::npos) << message;
    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_NE(run.out.find("Cannot write the backup"), std::string::npos) << run.out;

    const CliRun history = RunCli({"history", "Pager 1", "--json"});
    ASSERT_EQ(history.status, 0) << history.err;
    const auto programmings = nlohmann::json::parse(history.out);
    ASSERT_EQ(programmings.size(), 1u) << history.out;
    EXPECT_EQ(programmings[0]["result"], "no write recorded");
}

TEST_F(FleetRunTest, APortGivenTwiceIsAUsageError) {
    const std::string port = Board().DevicePath();
    const CliRun run = RunCli(RunArgs({port, port}));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "the port " + port + " is given more than once\n");
    EXPECT_FALSE(fs::exists(fs::path(dir) / "report.csv"));
}

// Two benches on one plan at once, each `fleet run --yes` with a board of its
// own: every pager programmed once, and one report both agree on.
TEST_F(FleetRunTest, TwoRunsOfOnePlanAtOnceProgramEachPagerOnceAndKeepOneReport) {
    // The shop's inventory exists before either run starts. (Two processes
    // making a new file at the same instant can see each other's half-made
    // schema: that is the inventory's to settle, not this test's.)
    test::EnsureCoreApplication();
    ASSERT_TRUE(inventory::Inventory::Open(inventory).ok());
    // Paced, so the two runs overlap for seconds.
    const std::string portA = Board({"--baud", "9600"}).DevicePath();
    const std::string portB = Board({"--baud", "9600"}).DevicePath();
    test::CliChild first(RunArgs({portA}));
    test::CliChild second(RunArgs({portB}));
    const CliRun a = first.Wait();
    const CliRun b = second.Wait();
    EXPECT_EQ(a.status, 0) << a.out << a.err;
    EXPECT_EQ(b.status, 0) << b.out << b.err;

    const nlohmann::json report = Report();
    std::multiset<std::string> labels;
    for (const auto& line : report) {
        EXPECT_EQ(line["result"], "written") << line.dump();
        labels.insert(line["label"].get<std::string>());
    }
    EXPECT_EQ(labels.size(), 6u) << report.dump(1);
    EXPECT_EQ(std::set<std::string>(labels.begin(), labels.end()).size(), 6u);
    const std::vector<std::string> csv = CsvLines();
    ASSERT_EQ(csv.size(), report.size() + 1);
    for (std::size_t i = 0; i < report.size(); ++i)
        EXPECT_TRUE(csv[i + 1].starts_with("\"" + report[i]["label"].get<std::string>() + "\",\"" +
                                           report[i]["port"].get<std::string>() + "\""))
            << csv[i + 1];
    // Both boards worked.
    for (const std::string& port : {portA, portB})
        EXPECT_NE(std::find_if(report.begin(), report.end(),
                               [&](const auto& line) { return line["port"] == port; }),
                  report.end())
            << port;
}

// A run killed mid-write leaves its claim and a half-written pager; the next
// run takes the claim over, keeps what the pager holds as damaged and writes it.
TEST_F(FleetRunTest, AfterAKillMidWriteTheNextRunTakesTheRowOverAndFinishesThePager) {
    // Paced at 9600 baud, and the pager stays on the board.
    SimProcess sim({"--baud", "9600"});
    {
        test::CliChild killed(RunArgs({sim.DevicePath()}));
        // The read is frames 1 to 5, the Write's board test, version and model 6 to 8:
        // frame 20 is well into the writing.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        bool writing = false;
        while (!writing && std::chrono::steady_clock::now() < deadline) {
            for (const test::SimFrame& frame : sim.Frames())
                writing = writing || frame.number >= 20;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(writing) << sim.Trace();
        killed.Signal(SIGKILL);
        EXPECT_EQ(killed.Wait().status, 128 + SIGKILL);
    }
    EXPECT_FALSE(fs::exists(fs::path(dir) / "report.json")) << "nothing recorded the write";

    const CliRun rerun = RunCli(RunArgs({sim.DevicePath()}));
    EXPECT_EQ(rerun.out.find("is being programmed on"), std::string::npos) << rerun.out;
    const nlohmann::json report = Report();
    ASSERT_GE(report.size(), 1u) << rerun.out << rerun.err;
    EXPECT_EQ(report[0]["label"], "Pager 1");
    EXPECT_EQ(report[0]["result"], "written") << report[0].dump();
    EXPECT_NE(report[0]["backup"].get<std::string>().find("-damaged-"), std::string::npos)
        << report[0].dump();
    // The pager stayed on the board: the next row is refused, naming it.
    ASSERT_GE(report.size(), 2u);
    EXPECT_EQ(report[1]["result"], "refused");
    EXPECT_EQ(report[1]["message"].get<std::string>().rfind("This is 'Pager 1' (written ", 0), 0u)
        << report[1].dump();

    test::EnsureCoreApplication();
    auto opened = inventory::Inventory::Open(this->inventory);
    ASSERT_TRUE(opened.ok()) << opened.error;
    const auto pager = (*opened.value)->FindPager("Pager 1");
    ASSERT_TRUE(pager.ok() && *pager.value);
    const auto history = (*opened.value)->History((*pager.value)->id);
    ASSERT_TRUE(history.ok());
    // Its own row's records (line 2 of the roster); it was placed for the next rows too.
    std::vector<std::string> kinds;
    for (const inventory::ImageRecord& record : *history.value)
        if (record.origin.row == 2)
            kinds.push_back(inventory::ImageKindText(record.kind) + " " + record.result);
    // Newest first: the rerun's write and the damaged memory it found, then
    // what the killed run read before it began writing.
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds[0], "write written");
    EXPECT_EQ(kinds[1].rfind("damaged", 0), 0u) << kinds[1];
    EXPECT_EQ(kinds.back().rfind("pre-write", 0), 0u) << kinds.back();
}

// No inventory, no run: a pager programmed without its record is what the
// inventory is there to prevent.
TEST_F(FleetRunTest, ARunRefusesToStartWhenTheInventoryCannotBeOpened) {
    std::ofstream(inventory, std::ios::binary) << std::string(4096, '\x5a');
    SimProcess& board = Board();
    const CliRun run = RunCli(RunArgs({board.DevicePath()}));
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("the inventory cannot be used ("), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing is programmed that cannot be recorded"), std::string::npos)
        << run.err;
    EXPECT_TRUE(board.Received().empty()) << "no board was even asked";
    EXPECT_FALSE(fs::exists(fs::path(dir) / "report.json"));
    EXPECT_EQ(Slurp(inventory), std::string(4096, '\x5a')) << "the file is left as it was";
}

}  // namespace
}  // namespace mk843nb
