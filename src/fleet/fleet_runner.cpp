#include "fleet/fleet_runner.h"

#include <QDeadlineTimer>
#include <QThread>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "files/table_io.h"
#include "files/utc_time.h"
#include "fleet/digest.h"
#include "link/comm_port.h"
#include "link/event_loop_clock.h"
#include "link/link_messages.h"
#include "link/link_session.h"

namespace mk843nb::fleet {
namespace {

constexpr int kProgressMs = 200;

// The store picks names by the second and prunes old backups; boards take turns.
class SharedBackups {
public:
    explicit SharedBackups(BackupStore& store) : store_(store) {}
    BackupResult Store(const PagerImage& image, const BackupInfo& info) {
        std::lock_guard lock(mutex_);
        return store_.Store(image, info);
    }

private:
    BackupStore& store_;
    std::mutex mutex_;
};

struct Job {
    int number = 0;  // from 1, in roster order
    const PlanEntry* pager = nullptr;
    // The planned table, read and checked against the plan before any board
    // starts; nothing when it is missing or was changed after planning.
    std::optional<PagerImage> table;
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
        for (const std::string& port : options.ports) boards_.push_back({port, "", "idle"});
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
            queue_.push_back({static_cast<int>(i) + 1, &pager, PlannedTable(folder, pager)});
        }
    }

    // The next pager for a board, or nothing when the run is over for it.
    std::optional<Job> Next(std::size_t board) {
        std::lock_guard lock(mutex_);
        if (Stopping() || next_ >= queue_.size()) {
            boards_[board].doing = Stopping() && next_ < queue_.size() ? "stopped" : "idle";
            return std::nullopt;
        }
        const Job job = queue_[next_++];
        boards_[board].label = job.pager->label;
        boards_[board].doing = "waiting";
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

    void Doing(std::size_t board, std::string doing) {
        std::lock_guard lock(mutex_);
        boards_[board].doing = std::move(doing);
    }

    void Ended(std::size_t board, const ReportLine& line, RunSummary& summary) {
        std::lock_guard lock(mutex_);
        ++done_;
        summary.lines.push_back(line);
        if (!report_.Append(line) && summary.reportError.empty()) {
            summary.reportError = "the report in the plan's folder cannot be written";
            stopped_ = true;
        }
        boards_[board].label.clear();
        boards_[board].doing = "idle";
        observer_.PagerEnded(line, SnapshotLocked());
    }

    void Retire(std::size_t board, std::string why) {
        std::lock_guard lock(mutex_);
        boards_[board].label.clear();
        boards_[board].doing = "stopped: " + why;
    }

    RunSnapshot Snapshot() {
        std::lock_guard lock(mutex_);
        return SnapshotLocked();
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
    std::vector<BoardActivity> boards_;
};

// The link's status texts as a board's activity.
class BoardHooks : public LinkHooks {
public:
    BoardHooks(Coordinator& coordinator, std::size_t board)
        : coordinator_(coordinator), board_(board) {}
    void SetStatusText(std::string_view text) override {
        if (text == status_text::kReading) coordinator_.Doing(board_, "reading");
        if (text == status_text::kWriting) coordinator_.Doing(board_, "writing");
        if (text == status_text::kVerifying) coordinator_.Doing(board_, "verifying");
        if (text == status_text::kBoardTesting) coordinator_.Doing(board_, "testing the board");
    }
    void ShowVersion(std::string_view text) override { version_ = std::string(text); }

    // The firmware version the pager on the board last reported ("" before it did).
    const std::string& Version() const { return version_; }
    void ForgetVersion() { version_.clear(); }

private:
    Coordinator& coordinator_;
    std::size_t board_;
    std::string version_;
};

// One pager on one board: its checked table, the pre-write
// read and its backup, the Write with its verify.
ReportLine ProgramPager(const Job& job, const std::string& port, LinkSession& link,
                        BoardHooks& hooks, SharedBackups& backups) {
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

    PagerImage held = DefaultImage();
    hooks.ForgetVersion();
    const LinkOutcome read = link.Read(held, true);
    if (!read.success) {
        return finish(ResultOf(read, LinkCommand::Read),
                      (read.message ? read.message->text : "Read Error !") +
                          " (the pre-write read; nothing was written)");
    }
    BackupInfo info;
    info.kind = BackupKind::PreWrite;
    info.port = port;
    info.portById = SerialByIdPath(port);
    info.firmwareVersion = hooks.Version();
    info.modelText = ImageModelText(held);
    info.checksumOk = StoredChecksum(held) == ImageChecksum(held);
    const BackupResult kept = backups.Store(held, info);
    if (!kept.stored)
        return finish(PagerResult::Refused,
                      "no pre-write backup: " + kept.error + " (nothing was written)");
    line.backup = kept.backup->table.string();

    PagerImage image = *job.table;
    const LinkOutcome write = link.Write(image);
    return finish(ResultOf(write, LinkCommand::Write),
                  write.message ? write.message->text : "Write Error !");
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

void RunBoard(const RunOptions& options, std::size_t board, Coordinator& coordinator,
              SharedBackups& backups, RunSummary& summary) {
    EventLoopClock clock;
    BoardHooks hooks(coordinator, board);
    LinkSession link(&TCommPort::Create, clock, hooks);
    link.SetPortTable({{{options.ports[board], ""}}, 0});
    while (const std::optional<Job> job = coordinator.Next(board)) {
        if (options.prompt) {
            const PromptAnswer answer = coordinator.Prompt(*job, board);
            if (answer == PromptAnswer::Stop) {
                coordinator.Untake(board);
                break;
            }
            if (answer == PromptAnswer::Skip) {
                ReportLine skipped{job->pager->label,
                                   options.ports[board],
                                   UtcTimeText(std::chrono::system_clock::now()),
                                   0,
                                   PagerResult::Skipped,
                                   "skipped at the prompt",
                                   "",
                                   job->pager->sha256};
                coordinator.Ended(board, skipped, summary);
                continue;
            }
        }
        const ReportLine line = ProgramPager(*job, options.ports[board], link, hooks, backups);
        coordinator.Ended(board, line, summary);
        // Unattended, a board that has gone away would only fail every pager
        // left; the other boards take them. With prompting the user decides.
        if (!options.prompt && !line.written() && BoardGone(line, link)) {
            coordinator.Retire(board, "the board does not answer");
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

RunSummary RunFleet(const std::filesystem::path& folder, const PlanManifest& plan,
                    const RunOptions& options, FleetReport& report, BackupStore& backups,
                    RunObserver& observer, const std::atomic<bool>& stop) {
    RunSummary summary;
    Coordinator coordinator(plan, options, report, observer, stop);
    coordinator.Queue(folder, summary);
    SharedBackups shared(backups);

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
