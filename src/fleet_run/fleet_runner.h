#pragma once

// Runs a plan: one link session per board, each in a thread of its own,
// each board taking the next pager of the roster; a report line as each
// pager ends. Needs a QCoreApplication (the link waits in Qt event loops).

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "files/backup_store.h"
#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "fleet_run/run_records.h"
#include "fleet_run/run_snapshot.h"
#include "inventory/inventory.h"
#include "link/byte_channel.h"
#include "link/link_clock.h"
#include "link/link_outcome.h"

namespace mk843nb::fleet {

struct RunOptions {
    std::vector<std::string> ports;
    bool prompt = true;  // ask before each pager (false with --yes)
    // Also program pagers the report says are written, and write over a pager
    // the inventory knows as another one (for every pager of the run).
    bool again = false;
    // The roster lines (PlanEntry::line) whose pager is written even when the
    // inventory knows it as another one: the window's "Write anyway", for
    // those pagers only.
    std::set<int> writeAnyway{};
    // Prompting, each board on its own (the window's lanes): every board asks
    // at once (RunObserver::Ready) and takes the next row free, in roster
    // order, only when answered Go; Stop ends that board alone; a board that
    // is gone hands its row back for the others and takes no other.
    bool boardsOnDemand = false;
    // Nobody presses a key: each board waits until a pager is placed on it,
    // programs it, and waits until it is taken off before the next one.
    bool handsFree = false;
    // Where each board's link takes its byte channels and the clock it waits
    // on: the serial port and the event loop's clock unless replaced (tests
    // give each board an in-process line of its own; one board's channels and
    // clock are used only by that board's thread).
    std::function<std::unique_ptr<ByteChannel>(const std::string& port)> channels{};
    std::function<LinkClock*(const std::string& port)> clock{};
    // Where every image is recorded, the plan's rows claimed (so runs of one
    // plan take different rows) and the report made from. With it, a pager the
    // inventory knows as another one, holding what was last written to it, is
    // refused unless again. None: the report alone is the record.
    inventory::Inventory* inventory = nullptr;
    // Who claims and records: this computer, its user and process unless given.
    RunIdentity identity{};
};

// How often a board says it still works on the row it claimed.
inline constexpr std::chrono::seconds kHeartbeatEvery{10};

// While a board waits hands-free: a board test and a pager query at most this often.
inline constexpr int kCradlePollMs = 1000;
// A board and a pager answer at once or not at all: a probe waits this long for a reply.
inline constexpr int kCradleReplyLimitMs = 200;

enum class PromptAnswer { Go, Skip, Stop };

// What the run tells its user. Calls come from the boards' threads and from
// the thread that called RunFleet, so an observer keeps its own state safe;
// Prompt is never called while another Prompt is open.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // Before each pager when prompting. number counts from 1 in roster order.
    virtual PromptAnswer Prompt(const PlanEntry& pager, int number, int total,
                                const std::string& port) = 0;
    // With boardsOnDemand, instead of Prompt: is the board on port ready for
    // its next pager? Called for several boards at once. Unanswered: Stop.
    virtual PromptAnswer Ready(const std::string& /*port*/) { return PromptAnswer::Stop; }
    virtual void AlreadyWritten(const PlanEntry& /*pager*/) {}
    // Something the user should know that ends no pager: a row another run
    // holds, a pager that is not the one its board waits for.
    virtual void Note(const std::string& /*text*/) {}
    // Prompting: the pager placed for pager on port was refused as another one
    // (text names it); the row stays to be written.
    virtual void WrongPager(const PlanEntry& /*pager*/, const std::string& /*port*/,
                            const std::string& /*text*/) {}
    virtual void PagerEnded(const ReportLine& line, const RunSnapshot& snapshot) = 0;
    // About every 200 ms while the run goes on (from the thread that called RunFleet).
    virtual void Progress(const RunSnapshot& /*snapshot*/) {}
};

struct RunSummary {
    std::vector<ReportLine> lines;  // this run's, in the order the pagers ended
    int writtenBefore = 0;          // skipped because the report says they are written
    int claimedElsewhere = 0;       // rows another run was programming when this one came to them
    int notReached = 0;             // left when the run stopped or every board gave up
    bool stopped = false;           // a stop (q or an interrupt) ended the run early
    std::string reportError;        // the report could not be written (the run then stops)
    std::string startError;         // nothing was programmed: the run could not start (why)
};

// The result a link outcome of the pre-write read or the write means for the pager.
PagerResult ResultOf(const LinkOutcome& outcome, LinkCommand command);
// The kind of link failure a result stands for (LinkFailure::None for a written
// pager): a result is classed as the transfer that ended it; a skipped pager as refused.
LinkFailure FailureOf(PagerResult result);

// Programs the pagers of the plan in folder. Every table is read and checked
// against the plan before a board starts, and the bytes checked are the bytes
// written; what each pager held before goes to backups first (no backup, no
// write). With an inventory, every row is claimed before its pager is read
// and released with its result, and the report is made from its records; the
// run does not start when the plan cannot be put in it. stop is checked between pagers:
// once set, boards finish the pager they have, record it and take no other.
// Hands-free, a pager put on a board that already holds a table this run has
// written (left on, or put back) is never programmed again: the board waits for
// it to be taken off. With prompting off, a board that stops answering (no board, or the line
// broke) takes no further pager; the others go on.
RunSummary RunFleet(const std::filesystem::path& folder, const PlanManifest& plan,
                    const RunOptions& options, FleetReport& report, BackupStore& backups,
                    RunObserver& observer, const std::atomic<bool>& stop);

}  // namespace mk843nb::fleet
