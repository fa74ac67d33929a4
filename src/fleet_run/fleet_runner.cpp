#include "fleet_run/fleet_runner.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "commands/command_messages.h"
#include "commands/pager_commands.h"
#include "files/table_io.h"
#include "files/utc_time.h"
#include "fleet/digest.h"
#include "fleet/kept_values.h"
#include "link/comm_port.h"
#include "link/event_loop_clock.h"
#include "link/link_messages.h"
#include "link/link_session.h"

namespace mk843nb::fleet {
namespace {

constexpr int kProgressMs = 200;

struct Job {
    int number = 0;  // from 1, in roster order
    const PlanEntry* pager = nullptr;
    // The planned table, read and checked against the plan before any board
    // starts; nothing when it is missing or was changed after planning.
    std::optional<PagerImage> table;
    const PlanManifest* plan = nullptr;
};

std::optional<PagerImage> PlannedTable(const std::filesystem::path& folder,
                                       const PlanEntry& pager) {
    const std::optional<TableBytes> table = ReadTableBytes(folder / pager.file);
    if (!table || table->count != kImageSize || Sha256Hex(table->bytes) != pager.sha256)
        return std::nullopt;
    return table->bytes;
}

// The shared state of a run: the queue of pagers, what each board is doing,
// the report. Every member function takes the lock.
class Coordinator {
public:
    Coordinator(const PlanManifest& plan, const RunOptions& options, FleetReport& report,
                RunObserver& observer, const std::atomic<bool>& stop)
        : plan_(plan), options_(options), report_(report), observer_(observer), stop_(stop) {
        for (const std::string& port : options.ports)
            boards_.push_back({port, "", BoardDoing::Idle});
        snapshotTotal_ = static_cast<int>(plan.pagers.size());
    }

    // Takes every pager the report does not already show written, with its table.
    void Queue(const std::filesystem::path& folder, RunSummary& summary) {
        for (std::size_t i = 0; i < plan_.pagers.size(); ++i) {
            const PlanEntry& pager = plan_.pagers[i];
            if (!options_.again && report_.AlreadyWritten(pager.label, pager.sha256)) {
                observer_.AlreadyWritten(pager);
                ++summary.writtenBefore;
                ++done_;
                continue;
            }
            queue_.push_back(
                {static_cast<int>(i) + 1, &pager, PlannedTable(folder, pager), &plan_});
        }
    }

    // The next pager for a board, or nothing when the run is over for it.
    std::optional<Job> Next(std::size_t board) {
        std::lock_guard lock(mutex_);
        if (Stopping() || next_ >= queue_.size()) {
            boards_[board].doing =
                Stopping() && next_ < queue_.size() ? BoardDoing::Stopped : BoardDoing::Idle;
            return std::nullopt;
        }
        const Job job = queue_[next_++];
        boards_[board].label = job.pager->label;
        boards_[board].doing = BoardDoing::Waiting;
        return job;
    }

    // Prompts one at a time; the other boards wait their turn.
    PromptAnswer Prompt(const Job& job, std::size_t board) {
        std::lock_guard prompting(promptMutex_);
        if (Stopped()) return PromptAnswer::Stop;
        const PromptAnswer answer =
            observer_.Prompt(*job.pager, job.number, snapshotTotal_, options_.ports[board]);
        if (answer == PromptAnswer::Stop) {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        return answer;
    }

    // A pager that was taken but will not be programmed goes back for nobody:
    // it counts as not reached.
    void Untake(std::size_t board) {
        std::lock_guard lock(mutex_);
        ++untaken_;
        boards_[board].label.clear();
    }

    void Doing(std::size_t board, BoardDoing doing) {
        std::lock_guard lock(mutex_);
        boards_[board].doing = doing;
    }

    void Ended(std::size_t board, const ReportLine& line, RunSummary& summary) {
        std::lock_guard lock(mutex_);
        ++done_;
        summary.lines.push_back(line);
        if (!report_.Append(line)) {
            if (reportFailure_.empty()) reportFailure_ = report_.WriteFailure();
            // A pager that was written to holds what no record says: the user
            // must learn which ones, or the next run and history are wrong.
            if (line.result == PagerResult::Written || line.result == PagerResult::VerifyFailed ||
                line.result == PagerResult::WriteFailed)
                unrecorded_.push_back(line.label + " (" + std::string(ResultName(line.result)) +
                                      ")");
            summary.reportError =
                "the report in the plan's folder cannot be written (" + reportFailure_ + ")";
            if (!unrecorded_.empty()) {
                summary.reportError += "; programmed and not recorded:";
                for (const std::string& pager : unrecorded_)
                    summary.reportError += " " + pager + ",";
                summary.reportError.pop_back();
            }
            stopped_ = true;
        }
        boards_[board].label.clear();
        boards_[board].doing = BoardDoing::Idle;
        observer_.PagerEnded(line, SnapshotLocked());
    }

    // Unattended, a board that no longer answers takes no further pager.
    void Retire(std::size_t board) {
        std::lock_guard lock(mutex_);
        boards_[board].label.clear();
        boards_[board].doing = BoardDoing::StoppedNotAnswering;
    }

    RunSnapshot Snapshot() {
        std::lock_guard lock(mutex_);
        return SnapshotLocked();
    }

    // A pager this run wrote and verified holds image now.
    void RecordWritten(const PagerImage& image, const std::string& label) {
        std::lock_guard lock(mutex_);
        written_.emplace_back(image, label);
    }
    // The label of the pager this run wrote image to, if it did.
    std::optional<std::string> WrittenWith(const PagerImage& image) {
        std::lock_guard lock(mutex_);
        for (const auto& [written, label] : written_)
            if (written == image) return label;
        return std::nullopt;
    }

    int NotReached() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(queue_.size() - next_) + untaken_;
    }
    bool Stopped() {
        std::lock_guard lock(mutex_);
        return Stopping();
    }

private:
    bool Stopping() const { return stopped_ || stop_.load(); }
    RunSnapshot SnapshotLocked() const { return {done_, snapshotTotal_, boards_}; }

    const PlanManifest& plan_;
    const RunOptions& options_;
    FleetReport& report_;
    RunObserver& observer_;
    const std::atomic<bool>& stop_;
    std::mutex mutex_;
    std::mutex promptMutex_;
    std::vector<Job> queue_;
    std::size_t next_ = 0;
    int untaken_ = 0;
    int done_ = 0;
    int snapshotTotal_ = 0;
    bool stopped_ = false;
    std::string reportFailure_;            // the first reason the report could not be written
    std::vector<std::string> unrecorded_;  // pagers written to whose line is not in the report
    std::vector<BoardActivity> boards_;
    std::vector<std::pair<PagerImage, std::string>> written_;
};

BoardDoing ActivityOf(LinkStage stage) {
    switch (stage) {
        case LinkStage::BoardTesting:
            return BoardDoing::TestingBoard;
        case LinkStage::Reading:
            return BoardDoing::Reading;
        case LinkStage::Writing:
            return BoardDoing::Writing;
        case LinkStage::Verifying:
            return BoardDoing::Verifying;
    }
    return BoardDoing::TestingBoard;
}

// The link's stages as a board's activity.
class BoardEvents : public LinkEvents {
public:
    BoardEvents(Coordinator& coordinator, std::size_t board)
        : coordinator_(coordinator), board_(board) {}
    void Started(LinkCommand, std::string_view) override {
        coordinator_.Doing(board_, ActivityOf(LinkStage::BoardTesting));
    }
    void StageChanged(LinkStage stage, std::string_view) override {
        coordinator_.Doing(board_, ActivityOf(stage));
    }

private:
    Coordinator& coordinator_;
    std::size_t board_;
};

// One pager on one board: its checked table, then the Write with the pre-write
// read and its backup before it and its verify after it.
// Hands-free, a pager that holds what this run wrote to one is left alone:
// nothing then (no line, nothing written, no backup).
std::optional<ReportLine> ProgramPager(const Job& job, const std::string& port,
                                       PagerCommands& commands, Coordinator& coordinator,
                                       bool handsFree) {
    const PlanEntry& pager = *job.pager;
    const auto started = std::chrono::steady_clock::now();
    ReportLine line{pager.label,
                    port,
                    UtcTimeText(std::chrono::system_clock::now()),
                    0,
                    PagerResult::Refused,
                    "",
                    "",
                    pager.sha256};
    line.asset = pager.asset;
    line.note = pager.note;
    auto finish = [&](PagerResult result, std::string message) {
        line.result = result;
        line.message = std::move(message);
        line.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return line;
    };

    if (!job.table)
        return finish(PagerResult::Refused,
                      pager.file + " is missing or was changed after planning; plan again");

    PagerImage image = *job.table;
    WriteRequest request;
    request.backupFirst = true;
    if (handsFree)
        request.proceed = [&](const PagerImage& held) {
            return !coordinator.WrittenWith(held).has_value();
        };
    request.tags = {pager.label, pager.asset, pager.note};
    // The pager's own levels go into the table before it is written and verified.
    request.adjust = [&](const PagerImage& held, PagerImage& table) {
        line.kept = KeepOwnValues(held, table, job.plan->KeptBy(pager), job.plan->userMode);
    };
    const CommandOutcome outcome = commands.Write(image, request);
    if (outcome.cancelled) return std::nullopt;
    if (outcome.success()) coordinator.RecordWritten(image, pager.label);
    if (outcome.before) line.backup = outcome.before->table.string();
    std::string message =
        outcome.link.message
            ? outcome.link.message->text
            : (outcome.command == LinkCommand::Read ? "Read Error !" : "Write Error !");
    if (!outcome.link.details.empty()) message += "\n" + outcome.link.details;
    if (outcome.damagedMemory && outcome.before)
        message += "\n" + DamagedMemoryNote(*outcome.before);
    // The image as sent could not be kept (a full disk): said as write says it.
    // A failed pre-write backup is already the message's reason.
    if (outcome.command == LinkCommand::Write && !outcome.backupError.empty())
        message += "\n" + outcome.backupError;
    for (const KeptValue& value : line.kept)
        if (!value.kept)
            message += "\n" + value.field + ": the pager's " + value.pagerValue + " was refused (" +
                       value.refusal + "); the planned " + value.value + " was written";
    return finish(ResultOf(outcome.link, outcome.command), std::move(message));
}

// After a failed pager: no board at all, or a transfer that failed because
// the board no longer answers (unplugged, hung up) rather than one bad frame.
bool BoardGone(const ReportLine& line, LinkSession& link) {
    if (line.result == PagerResult::NoBoard) return true;
    if (line.result != PagerResult::ReadFailed && line.result != PagerResult::WriteFailed)
        return false;
    const bool answers = link.TestBoard();
    link.ClosePort();
    return !answers;
}

// Hands-free: probes the board until a pager sits on it (present) or none does
// (!present). Probes keep a second apart, across waits too (nextProbeMs is the
// earliest time of the next). False when the run stopped meanwhile.
bool WaitForCradle(LinkSession& link, LinkClock& clock, Coordinator& coordinator, std::size_t board,
                   bool present, BoardDoing doing, std::int64_t& nextProbeMs) {
    coordinator.Doing(board, doing);
    for (;;) {
        if (coordinator.Stopped()) return false;
        const std::int64_t wait = nextProbeMs - clock.NowMs();
        if (wait > 0) {
            // In short steps, so a stop is seen within a fraction of a second.
            clock.Delay(static_cast<int>(std::min<std::int64_t>(wait, kCradlePollMs / 4)));
            continue;
        }
        nextProbeMs = clock.NowMs() + kCradlePollMs;
        const bool pager =
            link.ProbeCradle(kCradleReplyLimitMs) == LinkSession::Cradle::PagerPresent;
        if (pager == present) return true;
    }
}

void RunBoard(const RunOptions& options, std::size_t board, Coordinator& coordinator,
              const BackupKeeper& backups, RunSummary& summary) {
    const std::string& port = options.ports[board];
    EventLoopClock eventLoopClock;
    LinkClock& clock = options.clock ? *options.clock(port) : eventLoopClock;
    BoardEvents events(coordinator, board);
    LinkSession::ChannelFactory channels = &TCommPort::Create;
    if (options.channels) channels = [&] { return options.channels(port); };
    LinkSession link(std::move(channels), clock, events);
    link.SetPortTable({{{port, ""}}, 0});
    PagerCommands commands(link, backups);
    std::int64_t nextProbeMs = 0;
    auto waitFor = [&](bool present, BoardDoing doing) {
        return WaitForCradle(link, clock, coordinator, board, present, doing, nextProbeMs);
    };
    while (const std::optional<Job> job = coordinator.Next(board)) {
        std::optional<ReportLine> line;
        if (options.handsFree) {
            while (!line) {
                if (!waitFor(true, BoardDoing::WaitingForPager)) break;
                line = ProgramPager(*job, port, commands, coordinator, true);
                // Left on, or put back: it holds what this run wrote. Off with it first.
                if (!line && !waitFor(false, BoardDoing::WaitingPagerDone)) break;
            }
            if (!line) {
                coordinator.Untake(board);
                break;
            }
        } else if (options.prompt) {
            const PromptAnswer answer = coordinator.Prompt(*job, board);
            if (answer == PromptAnswer::Stop) {
                coordinator.Untake(board);
                break;
            }
            if (answer == PromptAnswer::Skip) {
                ReportLine skipped{job->pager->label,
                                   port,
                                   UtcTimeText(std::chrono::system_clock::now()),
                                   0,
                                   PagerResult::Skipped,
                                   "skipped at the prompt",
                                   "",
                                   job->pager->sha256};
                skipped.asset = job->pager->asset;
                skipped.note = job->pager->note;
                coordinator.Ended(board, skipped, summary);
                continue;
            }
        }
        if (!line) line = ProgramPager(*job, port, commands, coordinator, false);
        coordinator.Ended(board, *line, summary);
        // Never the next pager onto this one, whatever became of it.
        if (options.handsFree) {
            // Nobody lifts a pager the instant it is done: the first look comes a
            // quarter of a second later, and the looks for the next pager keep
            // that step.
            nextProbeMs = clock.NowMs() + kCradlePollMs / 4;
            if (!waitFor(false, BoardDoing::WaitingForTakeOff)) break;
            continue;
        }
        // Unattended, a board that has gone away would only fail every pager
        // left; the other boards take them. With prompting the user decides.
        if (!options.prompt && !line->written() && BoardGone(*line, link)) {
            coordinator.Retire(board);
            break;
        }
    }
    link.ClosePort();
}

}  // namespace

PagerResult ResultOf(const LinkOutcome& outcome, LinkCommand command) {
    const bool read = command == LinkCommand::Read;
    switch (outcome.failure) {
        case LinkFailure::None:
            if (outcome.success) return PagerResult::Written;
            break;
        case LinkFailure::PortOrBoard:
            return PagerResult::NoBoard;
        case LinkFailure::Refused:
            return PagerResult::Refused;
        case LinkFailure::VerifyDiffers:
            return PagerResult::VerifyFailed;
        case LinkFailure::Transfer:
            break;
    }
    return read ? PagerResult::ReadFailed : PagerResult::WriteFailed;
}

LinkFailure FailureOf(PagerResult result) {
    switch (result) {
        case PagerResult::Written:
            return LinkFailure::None;
        case PagerResult::VerifyFailed:
            return LinkFailure::VerifyDiffers;
        case PagerResult::WriteFailed:
        case PagerResult::ReadFailed:
            return LinkFailure::Transfer;
        case PagerResult::NoBoard:
            return LinkFailure::PortOrBoard;
        case PagerResult::Refused:
        case PagerResult::Skipped:
            return LinkFailure::Refused;
    }
    return LinkFailure::Refused;
}

RunSummary RunFleet(const std::filesystem::path& folder, const PlanManifest& plan,
                    const RunOptions& options, FleetReport& report, BackupStore& backups,
                    RunObserver& observer, const std::atomic<bool>& stop) {
    RunSummary summary;
    Coordinator coordinator(plan, options, report, observer, stop);
    coordinator.Queue(folder, summary);
    const BackupKeeper shared = KeepInStore(backups);

    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t board = 0; board < options.ports.size(); ++board) {
        threads.emplace_back(QThread::create(
            [&, board] { RunBoard(options, board, coordinator, shared, summary); }));
        threads.back()->start();
    }
    for (auto& thread : threads) {
        while (!thread->wait(QDeadlineTimer(kProgressMs)))
            observer.Progress(coordinator.Snapshot());
    }
    summary.notReached = coordinator.NotReached();
    summary.stopped = coordinator.Stopped();
    return summary;
}

}  // namespace mk843nb::fleet
