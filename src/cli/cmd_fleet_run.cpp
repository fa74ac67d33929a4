#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "cli/cli_application.h"
#include "cli/fleet_subcommands.h"
#include "cli/prompt_line.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "cli/terminal_width.h"
#include "cli/transfer_command.h"
#include "files/shown_text.h"
#include "fleet/plan_to_run.h"
#include "fleet_run/fleet_runner.h"
#include "fleet_run/progress_line.h"
#include "fleet_run/run_messages.h"
#include "inventory/inventory.h"

namespace mk843nb::cli {
namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
    // Said once: on a closed stderr the note itself raises SIGPIPE again.
    if (gInterrupted.exchange(true)) return;
    static constexpr char kNote[] =
        "\nStopping: the pagers being programmed are finished and recorded first.\n";
    [[maybe_unused]] const auto ignored = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
}

// Ctrl+C, SIGTERM, a closed terminal (SIGHUP) and a reader that went away
// (SIGPIPE: `fleet run ... | head -1`) ask the run to stop instead of killing
// it in the middle of a pager: each board finishes and records the one it has.
// Output that can no longer be written is dropped, then and after the run.
class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted.store(false);
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &action, &previous_[i]);
    }
    ~InterruptGuard() {
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            if (kSignals[i] == SIGPIPE) {
                // The summary still goes to the closed output: it must not end the program.
                std::signal(SIGPIPE, SIG_IGN);
                continue;
            }
            sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }

private:
    static constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    std::array<struct sigaction, kSignals.size()> previous_{};
};

// The terminal side of a run: the prompt, a line per pager on stdout and,
// when stderr is a terminal, one progress line kept up to date on it (never
// while a prompt waits for its answer).
class ConsoleObserver : public fleet::RunObserver {
public:
    fleet::PromptAnswer Prompt(const fleet::PlanEntry& pager, int number, int total,
                               const std::string& port) override {
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                ClearProgressLocked();
                prompt_.Ask("Place pager '" + ShownText(pager.label) + "' (" +
                            std::to_string(number) + " of " + std::to_string(total) + ") on " +
                            fleet::ShortPortName(port) + ", then press Enter; s skips, q stops: ");
            }
            const std::optional<std::string> answer = ReadAnswer();
            std::lock_guard lock(mutex_);
            prompt_.Answered(answer && ::isatty(STDIN_FILENO));
            if (!answer) return fleet::PromptAnswer::Stop;
            if (answer->empty()) return fleet::PromptAnswer::Go;
            if (*answer == "s" || *answer == "S") return fleet::PromptAnswer::Skip;
            if (*answer == "q" || *answer == "Q") return fleet::PromptAnswer::Stop;
        }
    }

    void AlreadyWritten(const fleet::PlanEntry& pager) override {
        std::lock_guard lock(mutex_);
        prompt_.Result(ShownText(pager.label) +
                       ": already written and verified, skipped (--again writes it again)");
    }

    void Note(const std::string& text) override {
        std::lock_guard lock(mutex_);
        ClearProgressLocked();
        prompt_.Result(ShownText(text));
    }

    void PagerEnded(const fleet::ReportLine& line, const fleet::RunSnapshot& snapshot) override {
        std::lock_guard lock(mutex_);
        ClearProgressLocked();
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f s", line.seconds);
        // The label comes from the plan; a message may quote the plan's texts.
        prompt_.Result("[" + std::to_string(snapshot.done) + "/" + std::to_string(snapshot.total) +
                       "] " + ShownText(line.label) + " on " + fleet::ShortPortName(line.port) +
                       ": " + std::string(fleet::ResultName(line.result)) + " (" + seconds + ") " +
                       ShownText(fleet::OneLine(line.message)));
        ++endedThisRun_;
        lastEnded_ = std::chrono::steady_clock::now();
    }

    void Progress(const fleet::RunSnapshot& snapshot) override {
        std::lock_guard lock(mutex_);
        if (prompt_.Open() || !::isatty(STDERR_FILENO)) return;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        const double lastEnded = std::chrono::duration<double>(lastEnded_ - started_).count();
        // Asked each time: the terminal may have been made narrower meanwhile.
        std::cerr << "\r\033[K"
                  << fleet::ProgressLine(snapshot, elapsed, endedThisRun_, lastEnded,
                                         TerminalColumns(STDERR_FILENO))
                  << std::flush;
        progressShown_ = true;
    }

    void ClearProgress() {
        std::lock_guard lock(mutex_);
        ClearProgressLocked();
    }

private:
    void ClearProgressLocked() {
        if (!progressShown_) return;
        std::cerr << "\r\033[K" << std::flush;
        progressShown_ = false;
    }

    // A line from stdin; nothing at its end or when the run is interrupted.
    static std::optional<std::string> ReadAnswer() {
        std::string line;
        for (;;) {
            if (gInterrupted.load()) return std::nullopt;
            pollfd input{STDIN_FILENO, POLLIN, 0};
            if (::poll(&input, 1, 200) <= 0) continue;
            char c = 0;
            const ssize_t got = ::read(STDIN_FILENO, &c, 1);
            if (got <= 0) return std::nullopt;
            if (c == '\n') return line;
            if (c != '\r') line += c;
        }
    }

    std::mutex mutex_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastEnded_ = started_;
    int endedThisRun_ = 0;
    bool progressShown_ = false;
    PromptLine prompt_{std::cout, std::cerr};
};

// Two threads on one device would mix their frames on the line.
void RefuseRepeatedPorts(const std::vector<std::string>& ports) {
    std::set<std::filesystem::path> seen;
    for (const std::string& port : ports) {
        std::error_code error;
        std::filesystem::path path = port.find('/') == std::string::npos ? "/dev/" + port : port;
        const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
        if (!seen.insert(error ? path : canonical).second)
            throw CommandFailure("the port " + port + " is given more than once", ExitCode::Usage);
    }
}

struct FleetRunOptions {
    ShellPath folder;
    std::vector<std::string> ports;
    bool yes = false;
    bool again = false;
    bool handsFree = false;
};

void Run(const FleetRunOptions& options) {
    RefuseRepeatedPorts(options.ports);
    fleet::PlanToRun opened = fleet::OpenPlanToRun(options.folder.path);
    if (!opened.manifest) throw CommandFailure(opened.error);
    const fleet::PlanManifest& plan = *opened.manifest;
    fleet::FleetReport& report = *opened.report;

    const ScopedApplication app;
    // Nothing is programmed that the inventory cannot record.
    auto records = inventory::Inventory::Open(inventory::Inventory::DefaultLocation());
    if (!records.ok()) throw CommandFailure(fleet::NoInventoryText(records.error));
    BackupStore backups(BackupStore::DefaultFolder());
    fleet::RunOptions run{options.ports, !options.yes && !options.handsFree, options.again};
    run.handsFree = options.handsFree;
    run.inventory = records.value->get();
    if (run.handsFree)
        std::cerr << "Hands-free: place a pager on a board and it is programmed; take it off "
                     "when its line is printed, and the board waits for the next one. "
                     "Ctrl+C stops.\n"
                  << std::flush;
    ConsoleObserver observer;
    fleet::RunSummary summary;
    {
        InterruptGuard guard;
        summary = fleet::RunFleet(options.folder.path, plan, run, report, backups, observer,
                                  gInterrupted);
    }
    observer.ClearProgress();
    if (!summary.startError.empty()) throw CommandFailure(summary.startError);

    int written = summary.writtenBefore;
    ExitCode worst = ExitCode::Success;
    for (const fleet::ReportLine& line : summary.lines) {
        if (line.result == fleet::PagerResult::Written) ++written;
        worst = std::max(worst, ExitCodeOf(fleet::FailureOf(line.result)),
                         [](ExitCode a, ExitCode b) { return ToInt(a) < ToInt(b); });
    }
    const int total = static_cast<int>(plan.pagers.size());
    std::cout << "Written and verified: " << written << " of " << total;
    if (summary.writtenBefore > 0)
        std::cout << " (" << summary.writtenBefore << " before this run)";
    if (summary.notReached > 0) std::cout << "; not started: " << summary.notReached;
    if (summary.claimedElsewhere > 0)
        std::cout << "; being programmed by another run: " << summary.claimedElsewhere;
    std::cout << ". Report: "
              << (std::filesystem::path(options.folder.typed) / fleet::kReportCsvName).string()
              << '\n';
    if (!summary.reportError.empty()) throw CommandFailure(summary.reportError);
    // Rows another run holds are its to finish.
    if (written + summary.claimedElsewhere == total) return;
    if (worst == ExitCode::Success) worst = ExitCode::Refused;  // stopped before every pager
    throw CommandFailure(std::to_string(total - written) + " of " + std::to_string(total) +
                             " pagers are not written and verified; running the plan again "
                             "programs only those",
                         worst);
}

}  // namespace

// fleet run DIR --port DEV [--port DEV...]: the planned pagers in roster order,
// each board taking the next one, each pager backed up, written and verified.
void AddFleetRunCommand(CLI::App& fleet) {
    auto* command = fleet.add_subcommand(
        "run", "Program the pagers of a plan through one or more boards, with a report");
    auto options = std::make_shared<FleetRunOptions>();
    command->add_option("DIR", options->folder, "the folder fleet plan wrote")->required();
    command
        ->add_option("--port", options->ports,
                     "a board's serial port; repeat it for boards that work in parallel")
        ->required()
        ->allow_extra_args(false)
        ->transform(ShellPort());
    command->add_flag("--yes", options->yes, "go on without asking before each pager");
    command->add_flag("--hands-free", options->handsFree,
                      "no prompts: each board programs a pager as soon as it is placed, then "
                      "waits until it is taken off before the next one");
    command->add_flag("--again", options->again,
                      "also program pagers the report says are written and verified, and write "
                      "over a pager the inventory knows as another one (for every pager of "
                      "this run)");
    command->callback([options] { Run(*options); });
}

}  // namespace mk843nb::cli
