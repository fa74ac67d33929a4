#include "fleet_run/fleet_runner.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "commands/command_messages.h"
#include "commands/pager_commands.h"
#include "files/table_io.h"
#include "files/utc_time.h"
#include "fleet/digest.h"
#include "fleet/kept_values.h"
#include "fleet_run/run_messages.h"
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
                RunObserver& observer, const std::atomic<bool>& stop, RunRecords* records)
        : plan_(plan),
          options_(options),
          report_(report),
          observer_(observer),
          stop_(stop),
          records_(records) {
        for (const std::string& port : options.ports)
            boards_.push_back({port, "", BoardDoing::Idle});
        snapshotTotal_ = static_cast<int>(plan.pagers.size());
    }

    // Takes every pager the report does not already show written, with its table.
    void Queue(const PlannedTables& tables, RunSummary& summary) {
        for (std::size_t i = 0; i < plan_.pagers.size(); ++i) {
            const PlanEntry& pager = plan_.pagers[i];
            if (!options_.again && report_.AlreadyWritten(pager.label, pager.sha256)) {
                observer_.AlreadyWritten(pager);
                ++summary.writtenBefore;
                ++done_;
                continue;
            }
            queue_.push_back({static_cast<int>(i) + 1, &pager, tables.at(pager.line), &plan_});
        }
    }

    // The next pager for a board, or nothing when the run is over for it.
    // With an inventory, the next pager whose row this run can claim.
    std::optional<Job> Next(std::size_t board) {
        std::lock_guard lock(mutex_);
        for (;;) {
            const bool left = next_ < queue_.size() || !handedBack_.empty();
            if (Stopping() || !left) {
                boards_[board].doing = Stopping() && left ? BoardDoing::Stopped : BoardDoing::Idle;
                return std::nullopt;
            }
            Job job;
            if (!handedBack_.empty()) {
                job = handedBack_.front();
                handedBack_.erase(handedBack_.begin());
            } else {
                job = queue_[next_++];
            }
            if (records_ && !ClaimLocked(job)) continue;
            boards_[board].label = job.pager->label;
            boards_[board].doing = BoardDoing::Waiting;
            return job;
        }
    }

    // boardsOnDemand: the board waits for its Go with no row.
    // Nothing is asked with no row left (Stop then).
    PromptAnswer Ready(std::size_t board) {
        {
            std::lock_guard lock(mutex_);
            if (Stopping() || (next_ >= queue_.size() && handedBack_.empty()))
                return PromptAnswer::Stop;
        }
        Doing(board, BoardDoing::Waiting);
        const PromptAnswer answer = observer_.Ready(options_.ports[board]);
        if (answer == PromptAnswer::Stop) Doing(board, BoardDoing::Stopped);
        return answer;
    }

    // The state the job's row had before this run claimed it ("" : none known).
    std::string StateBefore(const Job& job) {
        std::lock_guard lock(mutex_);
        const auto state = claimStates_.find(job.pager->line);
        return state == claimStates_.end() ? "" : state->second;
    }

    // The row goes back for the next board that takes one (its line stays
    // recorded); this board takes no other.
    void HandBack(std::size_t board, const Job& job) {
        std::lock_guard lock(mutex_);
        --done_;
        handedBack_.push_back(job);
        std::sort(handedBack_.begin(), handedBack_.end(),
                  [](const Job& a, const Job& b) { return a.number < b.number; });
        boards_[board].label.clear();
        boards_[board].doing = BoardDoing::StoppedNotAnswering;
    }

    void Note(const std::string& text) {
        std::lock_guard lock(mutex_);
        observer_.Note(text);
    }
    void WrongPager(std::size_t board, const Job& job, const std::string& text) {
        std::lock_guard lock(mutex_);
        observer_.WrongPager(*job.pager, options_.ports[board], text);
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
    void Untake(std::size_t board, const Job& job) {
        std::lock_guard lock(mutex_);
        if (records_) records_->Release(*job.pager, claimStates_[job.pager->line]);
        ++untaken_;
        boards_[board].label.clear();
    }

    void Doing(std::size_t board, BoardDoing doing) {
        std::lock_guard lock(mutex_);
        boards_[board].doing = doing;
    }

    // releaseState: what the row's claim is released with ("" : the line's result).
    void Ended(std::size_t board, const Job& job, const ReportLine& line, RunSummary& summary,
               const std::string& releaseState = "") {
        std::lock_guard lock(mutex_);
        ++done_;
        summary.lines.push_back(line);
        bool kept = false;
        std::string why;
        if (records_) {
            records_->Release(*job.pager, releaseState.empty()
                                              ? std::string(ResultName(line.result))
                                              : releaseState);
            kept = records_->WriteReport(report_);
            const std::string failure = records_->Failure();
            why = failure.empty() ? ReportUnwritableText(report_.WriteFailure())
                                  : NoInventoryText(failure);
            kept = kept && failure.empty();
        } else {
            kept = report_.Append(line);
            why = ReportUnwritableText(report_.WriteFailure());
        }
        if (!kept) {
            if (reportFailure_.empty()) reportFailure_ = why;
            // A pager that was written to holds what no record says: the user
            // must learn which ones, or the next run and history are wrong.
            if (line.result == PagerResult::Written || line.result == PagerResult::VerifyFailed ||
                line.result == PagerResult::WriteFailed)
                unrecorded_.push_back(line.label + " (" + std::string(ResultName(line.result)) +
                                      ")");
            summary.reportError = reportFailure_;
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

    int WrittenMeanwhile() {
        std::lock_guard lock(mutex_);
        return writtenMeanwhile_;
    }
    int ClaimedElsewhere() {
        std::lock_guard lock(mutex_);
        return claimedElsewhere_;
    }

    int NotReached() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(queue_.size() - next_ + handedBack_.size()) + untaken_;
    }
    bool Stopped() {
        std::lock_guard lock(mutex_);
        return Stopping();
    }

private:
    bool Stopping() const { return stopped_ || stop_.load(); }

    // The row is this run's now, or is skipped: held by another run, ended by
    // one since this run began, or the inventory failed (the run then stops).
    bool ClaimLocked(const Job& job) {
        const std::optional<RunRecords::ClaimTry> claim = records_->Claim(*job.pager);
        if (!claim) {
            stopped_ = true;
            ++untaken_;
            return false;
        }
        if (!claim->taken) {
            ++claimedElsewhere_;
            ++done_;
            observer_.Note(
                ClaimedElsewhereText(job.pager->label, claim->holder.value_or(inventory::Claim{})));
            return false;
        }
        if (claim->endedMeanwhile) {
            records_->Release(*job.pager, claim->state);
            if (claim->state == ResultName(PagerResult::Written)) {
                observer_.AlreadyWritten(*job.pager);
                ++writtenMeanwhile_;
                ++done_;
            } else {
                ++untaken_;
            }
            return false;
        }
        claimStates_[job.pager->line] = claim->state;
        return true;
    }

    RunSnapshot SnapshotLocked() const { return {done_, snapshotTotal_, boards_}; }

    const PlanManifest& plan_;
    const RunOptions& options_;
    FleetReport& report_;
    RunObserver& observer_;
    const std::atomic<bool>& stop_;
    RunRecords* records_;
    std::map<int, std::string> claimStates_;  // each claimed row's state before this run took it
    int writtenMeanwhile_ = 0;
    int claimedElsewhere_ = 0;
    std::mutex mutex_;
    std::mutex promptMutex_;
    std::vector<Job> queue_;
    std::size_t next_ = 0;
    std::vector<Job> handedBack_;  // rows of boards that went away, in roster order
    int untaken_ = 0;
    int done_ = 0;
    int snapshotTotal_ = 0;
    bool stopped_ = false;
    // The first reason the report (or the inventory) could not be written.
    std::string reportFailure_;
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

// What became of a pager's turn on a board.
struct PagerTurn {
    // Nothing: hands-free, the pager placed is not to be written (it holds
    // what this run wrote, or it is another pager); the board waits on.
    std::optional<ReportLine> line;
    std::string wrongPager;    // why the pager placed was refused, when it was
    std::string releaseState;  // the row's state after it ("" : the line's result)
};

// One pager on one board: its checked table, then the Write with the pre-write
// read and its backup before it and its verify after it. With an inventory,
// the pager placed must not be another pager that holds what was last written
// to it (unless again), and what it held and what it was sent are recorded.
// Hands-free, a pager that holds what this run wrote to one is left alone:
// nothing then (no line, nothing written, no backup).
// The backup keeper tells this, when set, of what the pager held before a
// Write as soon as it is kept; an answer that is not "" refuses the backup.
using BeforeKept = std::function<std::string(const StoredBackup& kept, const PagerImage& held)>;

PagerTurn ProgramPager(const Job& job, const std::string& port, std::size_t board,
                       PagerCommands& commands, Coordinator& coordinator, bool handsFree,
                       RunRecords* records, bool again, BeforeKept& beforeKept) {
    using inventory::ImageKind;
    const PlanEntry& pager = *job.pager;
    const auto started = std::chrono::steady_clock::now();
    const auto startedAt = std::chrono::system_clock::now();
    const RunRecords::Turn turn{&pager, port, "board " + std::to_string(board + 1)};
    PagerTurn result;
    ReportLine line{pager.label, port,        UtcTimeText(startedAt), 0, PagerResult::Refused, "",
                    "",          pager.sha256};
    line.asset = pager.asset;
    line.note = pager.note;
    auto finish = [&](PagerResult ended, std::string message) {
        line.result = ended;
        line.message = std::move(message);
        line.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        result.line = line;
        return result;
    };

    if (!job.table) {
        const std::string why =
            pager.file + " is missing or was changed after planning; plan again";
        if (records)
            records->RecordEnd(turn, ImageKind::Attempt, std::nullopt,
                               std::string(ResultName(PagerResult::Refused)), why, startedAt);
        return finish(PagerResult::Refused, why);
    }

    PagerImage image = *job.table;
    WriteRequest request;
    request.backupFirst = true;
    std::optional<PagerImage> placed;
    std::int64_t placedId = 0;
    request.proceed = [&](const PagerImage& held) {
        placed = held;
        if (handsFree && coordinator.WrittenWith(held).has_value()) return false;
        if (!records || again) return true;
        if (std::optional<std::string> wrong = records->WrongPager(pager, held, placedId)) {
            result.wrongPager = std::move(*wrong);
            return false;
        }
        return true;
    };
    request.tags = {pager.label, pager.asset, pager.note};
    // The pager's own levels go into the table before it is written and verified.
    request.adjust = [&](const PagerImage& held, PagerImage& table) {
        line.kept = KeepOwnValues(held, table, job.plan->KeptBy(pager), job.plan->userMode);
    };
    // What it held is recorded with its backup, or nothing is written.
    if (records)
        beforeKept = [&](const StoredBackup& kept, const PagerImage& held) -> std::string {
            const bool damaged = kept.info.kind == BackupKind::Damaged;
            if (records->RecordBefore(turn, damaged ? ImageKind::Damaged : ImageKind::PreWrite,
                                      held, {kept.table.string(), pager.sha256}, startedAt))
                return "";
            return NoInventoryText(records->Failure());
        };
    const CommandOutcome outcome = commands.Write(image, request);
    beforeKept = nullptr;
    if (outcome.cancelled) {
        if (result.wrongPager.empty()) return {};
        if (records)
            records->RecordEnd(turn, ImageKind::Read, placed,
                               std::string(ResultName(PagerResult::Refused)), result.wrongPager,
                               std::chrono::system_clock::now(), placedId);
        // The row is still to be written: by this board, once its pager is placed.
        result.releaseState = "pending";
        if (handsFree) return result;
        return finish(PagerResult::Refused, result.wrongPager);
    }
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
    const PagerResult ended = ResultOf(outcome.link, outcome.command);
    if (records) {
        const std::string name(ResultName(ended));
        if (outcome.command == LinkCommand::Write)
            records->RecordEnd(turn, ImageKind::Write, image, name, message,
                               std::chrono::system_clock::now());
        else
            records->RecordEnd(turn, ImageKind::Attempt, std::nullopt, name, message, startedAt);
    }
    return finish(ended, std::move(message));
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
              const BackupKeeper& shared, RunRecords* records, RunSummary& summary) {
    const std::string& port = options.ports[board];
    EventLoopClock eventLoopClock;
    LinkClock& clock = options.clock ? *options.clock(port) : eventLoopClock;
    BoardEvents events(coordinator, board);
    LinkSession::ChannelFactory channels = &TCommPort::Create;
    if (options.channels) channels = [&] { return options.channels(port); };
    LinkSession link(std::move(channels), clock, events);
    link.SetPortTable({{{port, ""}}, 0});
    // What the pager held before its write, once kept, is recorded with its backup.
    BeforeKept beforeKept;
    const BackupKeeper backups = [&](const PagerImage& image, const BackupInfo& info) {
        BackupResult kept = shared(image, info);
        if (kept.stored && kept.backup && beforeKept &&
            (info.kind == BackupKind::PreWrite || info.kind == BackupKind::Damaged)) {
            if (std::string why = beforeKept(*kept.backup, image); !why.empty())
                return BackupResult{false, std::move(why), std::nullopt};
        }
        return kept;
    };
    PagerCommands commands(link, backups);
    auto program = [&](const Job& job, bool handsFree) {
        const bool again = options.again || options.writeAnyway.contains(job.pager->line);
        return ProgramPager(job, port, board, commands, coordinator, handsFree, records, again,
                            beforeKept);
    };
    std::int64_t nextProbeMs = 0;
    auto waitFor = [&](bool present, BoardDoing doing) {
        return WaitForCradle(link, clock, coordinator, board, present, doing, nextProbeMs);
    };
    for (;;) {
        PromptAnswer ready = PromptAnswer::Go;
        if (options.boardsOnDemand && options.prompt && !options.handsFree) {
            ready = coordinator.Ready(board);
            if (ready == PromptAnswer::Stop) break;
        }
        const std::optional<Job> job = coordinator.Next(board);
        if (!job) break;
        PagerTurn turn;
        if (options.handsFree) {
            while (!turn.line) {
                if (!waitFor(true, BoardDoing::WaitingForPager)) break;
                turn = program(*job, true);
                // Another pager: said, and the board waits on for the right one.
                if (!turn.wrongPager.empty()) coordinator.Note(turn.wrongPager);
                // Left on, or put back: it holds what this run wrote. Off with it first.
                if (!turn.line && !waitFor(false, BoardDoing::WaitingPagerDone)) break;
            }
            if (!turn.line) {
                coordinator.Untake(board, *job);
                break;
            }
        } else if (options.prompt) {
            const PromptAnswer answer =
                options.boardsOnDemand ? ready : coordinator.Prompt(*job, board);
            if (answer == PromptAnswer::Stop) {
                coordinator.Untake(board, *job);
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
                if (records)
                    records->RecordEnd({job->pager, port, "board " + std::to_string(board + 1)},
                                       inventory::ImageKind::Attempt, std::nullopt,
                                       std::string(ResultName(skipped.result)), skipped.message,
                                       std::chrono::system_clock::now());
                coordinator.Ended(board, *job, skipped, summary);
                continue;
            }
        }
        if (!turn.line) {
            turn = program(*job, false);
            if (!turn.wrongPager.empty()) coordinator.WrongPager(board, *job, turn.wrongPager);
        }
        const std::optional<ReportLine>& line = turn.line;
        // A board that has gone away (no board at all, with its own lane) hands
        // its row, as it was, to the boards that still answer.
        const bool handBack =
            options.boardsOnDemand && options.prompt && line->result == PagerResult::NoBoard;
        coordinator.Ended(board, *job, *line, summary,
                          handBack ? coordinator.StateBefore(*job) : turn.releaseState);
        if (handBack) {
            coordinator.HandBack(board, *job);
            break;
        }
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
    PlannedTables tables;
    for (const PlanEntry& pager : plan.pagers) tables[pager.line] = PlannedTable(folder, pager);
    std::unique_ptr<RunRecords> records;
    if (options.inventory) {
        records = RunRecords::Start(*options.inventory, folder, plan, tables, options.identity,
                                    report, summary.startError);
        if (!records) return summary;
    }
    Coordinator coordinator(plan, options, report, observer, stop, records.get());
    coordinator.Queue(tables, summary);
    const BackupKeeper shared = KeepInStore(backups);

    // Each claimed row said to be worked on, so no other run takes it over.
    std::mutex beatMutex;
    std::condition_variable beatWake;
    bool boardsDone = false;
    std::thread heartbeats;
    if (records)
        heartbeats = std::thread([&] {
            std::unique_lock lock(beatMutex);
            while (!beatWake.wait_for(lock, kHeartbeatEvery, [&] { return boardsDone; })) {
                lock.unlock();
                records->Heartbeats();
                lock.lock();
            }
        });

    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t board = 0; board < options.ports.size(); ++board) {
        threads.emplace_back(QThread::create(
            [&, board] { RunBoard(options, board, coordinator, shared, records.get(), summary); }));
        threads.back()->start();
    }
    for (auto& thread : threads) {
        while (!thread->wait(QDeadlineTimer(kProgressMs)))
            observer.Progress(coordinator.Snapshot());
    }
    if (heartbeats.joinable()) {
        {
            std::lock_guard lock(beatMutex);
            boardsDone = true;
        }
        beatWake.notify_all();
        heartbeats.join();
    }
    summary.writtenBefore += coordinator.WrittenMeanwhile();
    summary.claimedElsewhere = coordinator.ClaimedElsewhere();
    summary.notReached = coordinator.NotReached();
    summary.stopped = coordinator.Stopped();
    return summary;
}

}  // namespace mk843nb::fleet
