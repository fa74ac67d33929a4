// RunFleet over the emulator's boards in process, one line and clock per
// board: boards sharing a roster, a stop request, prompts, hands-free
// placing and lifting, each way a pager can fail and the levels each pager
// keeps. No port, no process, and no silence waited out for real.

#include "fleet_run/fleet_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "faults.h"
#include "files/table_io.h"
#include "fleet/fleet_plan.h"
#include "fleet/roster.h"
#include "fleet_test_support.h"
#include "image/fields.h"
#include "image/write_preparation.h"
#include "in_process_line.h"
#include "inventory/plan_key.h"
#include "pager_memory.h"
#include "qt_application.h"
#include "test_files.h"

namespace mk843nb::fleet {
namespace {

namespace fs = std::filesystem;
using test::Slurp;

constexpr const char* kTemplate = MK843NB_FIXTURES "/shipped_default.tbl";

PagerImage TemplateImage() { return ReadTableBytes(kTemplate)->bytes; }

// Records what the run told; answers prompts from a script (Go once it runs out).
class Recorder : public RunObserver {
public:
    PromptAnswer Prompt(const PlanEntry& pager, int number, int total,
                        const std::string&) override {
        std::lock_guard lock(mutex);
        prompts.push_back(pager.label + " " + std::to_string(number) + "/" + std::to_string(total));
        if (answers.empty()) return PromptAnswer::Go;
        const PromptAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::size_t Ended() {
        std::lock_guard lock(mutex);
        return ended.size();
    }
    void AlreadyWritten(const PlanEntry& pager) override {
        std::lock_guard lock(mutex);
        skipped.push_back(pager.label);
    }
    void Note(const std::string& text) override {
        std::lock_guard lock(mutex);
        notes.push_back(text);
    }
    void PagerEnded(const ReportLine& line, const RunSnapshot& snapshot) override {
        std::lock_guard lock(mutex);
        ended.push_back(line);
        last = snapshot;
        if (stopAfter > 0 && static_cast<int>(ended.size()) >= stopAfter) stop = true;
    }

    std::mutex mutex;
    std::vector<PromptAnswer> answers;
    std::vector<std::string> prompts;
    std::vector<std::string> skipped;
    std::vector<std::string> notes;
    std::vector<ReportLine> ended;
    RunSnapshot last;
    int stopAfter = 0;  // sets stop once this many pagers ended, as Ctrl+C would
    std::atomic<bool> stop = false;
};

class FleetRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureCoreApplication(); }

    // The plan of roster made from the template into the plan folder.
    void Plan(const std::string& roster, PlanOptions options = {}) {
        fs::remove_all(dir);
        const FleetPlan plan = BuildFleetPlan(kTemplate, ParseRoster(roster), options);
        ASSERT_TRUE(plan.errors.empty());
        const PlanSources sources{kTemplate, Slurp(kTemplate), "roster.csv", roster, false};
        ASSERT_EQ(WritePlanFolder(dir, plan, sources), std::nullopt);
        PlanLoad load = LoadPlanFolder(dir);
        ASSERT_TRUE(load.manifest) << load.error;
        manifest = *load.manifest;
    }

    // A board behind port, answering at once, with the pager memory given.
    sim::InProcessBoard& Board(const std::string& port,
                               PagerImage memory = sim::MakePagerMemory({}),
                               const std::vector<std::string>& faults = {}) {
        sim::FaultPlan plan;
        for (const std::string& fault : faults) plan.push_back(sim::ParseFault(fault));
        lines[port] = std::make_unique<sim::InProcessLine>();
        ports.push_back(port);
        return lines[port]->Plug(port, memory, plan, {0, {}});
    }

    RunSummary Run(Recorder& recorder, bool prompt = false, bool handsFree = false,
                   bool again = false) {
        RunOptions options;
        options.ports = ports;
        options.prompt = prompt;
        options.handsFree = handsFree;
        options.again = again;
        options.channels = [this](const std::string& port) {
            return lines.at(port)->MakeChannel();
        };
        options.clock = [this](const std::string& port) -> LinkClock* {
            return &lines.at(port)->clock;
        };
        options.inventory = inventory;
        options.identity = identity;
        FleetReport report(dir);
        EXPECT_EQ(report.Load(), std::nullopt);
        return RunFleet(dir, manifest, options, report, backups, recorder, recorder.stop);
    }

    std::vector<ReportLine> Report() const {
        FleetReport report(dir);
        EXPECT_EQ(report.Load(), std::nullopt);
        return report.Lines();
    }

    // The planned table as a board holds it after a Write to firmware 1.86.
    PagerImage Prepared(const std::string& label) const {
        PagerImage image = ReadTableBytes(fs::path(dir) / (label + ".tbl"))->bytes;
        image[1] = 1;
        image[2] = 86;
        PrepareImageForWrite(image, 1, 86);
        return image;
    }

    test::TempDir temp;
    fs::path dir = temp.File("plan");
    BackupStore backups{temp.File("backups")};
    PlanManifest manifest;
    std::map<std::string, std::unique_ptr<sim::InProcessLine>> lines;
    std::vector<std::string> ports;
    inventory::Inventory* inventory = nullptr;  // none: the report alone is the record
    RunIdentity identity;
};

TEST_F(FleetRunnerTest, BoardsShareTheRosterAndEachPagerIsBackedUpWrittenAndVerified) {
    Plan(test::DistinctRoster(6));
    for (const char* port : {"ttyA", "ttyB", "ttyC"}) Board(port);
    Recorder recorder;
    const RunSummary summary = Run(recorder);

    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(summary.notReached, 0);
    ASSERT_EQ(summary.lines.size(), 6u);
    std::set<std::string> labels;
    std::map<std::string, std::string> lastOnPort;
    for (const ReportLine& line : summary.lines) {
        EXPECT_TRUE(line.written()) << line.message;
        EXPECT_EQ(line.message, "Write Sucess !");
        labels.insert(line.label);
        lastOnPort[line.port] = line.label;
        // What the pager held before, kept first.
        ASSERT_TRUE(fs::exists(line.backup)) << line.label;
        EXPECT_NE(line.backup.find("-pre-write-"), std::string::npos) << line.backup;
    }
    EXPECT_EQ(labels.size(), 6u);
    EXPECT_EQ(lastOnPort.size(), 3u) << "every board took pagers";
    for (const auto& [port, label] : lastOnPort)
        EXPECT_EQ(lines.at(port)->Board(port).Memory(), Prepared(label)) << port;
    EXPECT_EQ(Report().size(), 6u);
    EXPECT_EQ(recorder.last.done, 6);
    EXPECT_TRUE(recorder.prompts.empty());
}

TEST_F(FleetRunnerTest, ABoardThatStopsAnsweringLosesOnePagerAndTheOthersFinishTheRest) {
    Plan(test::DistinctRoster(6));
    // Its thread starts first, so it takes a pager; frame 20 is a write frame of
    // that first pager (47 frames each: read 5, write 42): it hangs up after answering it.
    Board("ttyFailing", sim::MakePagerMemory({}), {"hangup:20"});
    Board("ttyGood");
    Recorder recorder;
    const RunSummary summary = Run(recorder);
    ASSERT_EQ(summary.lines.size(), 6u);
    int failed = 0;
    for (const ReportLine& line : summary.lines) {
        if (line.written()) continue;
        ++failed;
        EXPECT_EQ(line.port, "ttyFailing");
        EXPECT_EQ(line.result, PagerResult::WriteFailed);
        EXPECT_NE(line.message.find("Write"), std::string::npos) << line.message;
        EXPECT_NE(line.backup, "") << "the backup was taken before the write began";
    }
    EXPECT_EQ(failed, 1);
    const auto& boards = recorder.last.boards;
    const auto failing = std::find_if(boards.begin(), boards.end(), [](const BoardActivity& b) {
        return b.port == "ttyFailing";
    });
    ASSERT_NE(failing, boards.end());
    EXPECT_EQ(failing->doing, BoardDoing::StoppedNotAnswering);

    // Again with a board that answers: only the failed pager is programmed.
    lines.clear();
    ports.clear();
    Board("ttyFresh");
    Recorder resumed;
    const RunSummary again = Run(resumed);
    EXPECT_EQ(again.writtenBefore, 5);
    EXPECT_EQ(resumed.skipped.size(), 5u);
    ASSERT_EQ(again.lines.size(), 1u);
    EXPECT_TRUE(again.lines[0].written());
    EXPECT_EQ(Report().size(), 7u);
}

TEST_F(FleetRunnerTest, AStopFinishesThePagersInProgressRecordsThemAndAResumeDoesTheRest) {
    Plan(test::DistinctRoster(6));
    Board("ttyA");
    Board("ttyB");
    Recorder recorder;
    recorder.stopAfter = 1;
    const RunSummary summary = Run(recorder);
    EXPECT_TRUE(summary.stopped);
    // Each board finishes the pager it has and takes no other.
    ASSERT_GE(summary.lines.size(), 1u);
    ASSERT_LE(summary.lines.size(), 2u);
    for (const ReportLine& line : summary.lines) {
        EXPECT_TRUE(line.written()) << line.message;
        EXPECT_EQ(lines.at(line.port)->Board(line.port).Memory(), Prepared(line.label));
    }
    EXPECT_EQ(summary.notReached, 6 - static_cast<int>(summary.lines.size()));
    EXPECT_EQ(Report().size(), summary.lines.size());

    Recorder resumed;
    const RunSummary rest = Run(resumed);
    EXPECT_EQ(rest.writtenBefore, static_cast<int>(summary.lines.size()));
    EXPECT_EQ(Report().size(), 6u) << "each pager written once";

    // again: every pager once more.
    Recorder all;
    const RunSummary again = Run(all, false, false, true);
    EXPECT_EQ(again.writtenBefore, 0);
    EXPECT_EQ(again.lines.size(), 6u);
    EXPECT_EQ(Report().size(), 12u);
}

TEST_F(FleetRunnerTest, PromptsSkipGoAndStop) {
    Plan(test::DistinctRoster(6));
    Board("ttyA");
    Recorder recorder;
    recorder.answers = {PromptAnswer::Skip, PromptAnswer::Go, PromptAnswer::Stop};
    const RunSummary summary = Run(recorder, true);
    EXPECT_EQ(recorder.prompts,
              (std::vector<std::string>{"Pager 1 1/6", "Pager 2 2/6", "Pager 3 3/6"}));
    ASSERT_EQ(summary.lines.size(), 2u);
    EXPECT_EQ(summary.lines[0].label, "Pager 1");
    EXPECT_EQ(summary.lines[0].result, PagerResult::Skipped);
    EXPECT_EQ(summary.lines[0].message, "skipped at the prompt");
    EXPECT_EQ(summary.lines[1].label, "Pager 2");
    EXPECT_TRUE(summary.lines[1].written());
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.notReached, 4);
}

// The pager's memory for a case: the emulator's, or one of another version,
// model, or with the given levels and perhaps a broken checksum.
struct FailCase {
    std::string what;
    std::vector<std::string> faults;
    PagerImage memory;
    std::string roster;        // "" keeps six distinct pagers
    PagerResult result;        // of the first pager
    std::string says;          // part of its message
    bool backedUp;             // its line names a backup
    bool changeTable = false;  // Pager 1's table is changed after planning
    bool noBoard = false;      // nothing behind the port
};

PagerImage OtherModel() {
    PagerImage memory = sim::MakePagerMemory({});
    sim::SetModelText(memory, "XY V1");
    return memory;
}

TEST_F(FleetRunnerTest, EachWayAPagerCanFailHasItsResultMessageAndBackup) {
    // A pager is frames 1-5 (the pre-write read) and 6-42 (ping, version,
    // model, writes 9-40, verify 41-42).
    const PagerImage good = sim::MakePagerMemory({});
    const std::vector<FailCase> cases{
        {"a write frame lost: the fields that differ",
         {"lost-write:40"},
         good,
         "",
         PagerResult::VerifyFailed,
         "Checksum: ",
         true},
        {"the verify's reply is bad",
         {"bad-checksum:41"},
         good,
         "",
         PagerResult::WriteFailed,
         "Verify",
         true},
        {"a write frame refused",
         {"bad-ack:20"},
         good,
         "",
         PagerResult::WriteFailed,
         "of 32 frames were sent)",
         true},
        {"the Write's version query gets a bad reply: nothing is sent without the pager's own "
         "version",
         {"bad-checksum:7"},
         good,
         "",
         PagerResult::WriteFailed,
         "Is a pager on the board?",
         true},
        {"the pre-write read fails",
         {"bad-checksum:4"},
         good,
         "",
         PagerResult::ReadFailed,
         "Read Error !\nThe pager could not be backed up",
         false},
        {"another model", {}, OtherModel(), "", PagerResult::ReadFailed, "", false},
        {"old firmware and a Reminder",
         {},
         sim::MakePagerMemory({"", {1, 82}, std::nullopt}),
         "label,Reminder\nOld 1,Disable\n",
         PagerResult::Refused,
         "",
         true},
        {"no board", {"no-answer"}, good, "", PagerResult::NoBoard, "", false},
        {"a table changed after planning",
         {},
         good,
         "",
         PagerResult::Refused,
         "Pager 1.tbl is missing or was changed after planning; plan again",
         false,
         true},
        {"a port that cannot be opened",
         {},
         good,
         "",
         PagerResult::NoBoard,
         "",
         false,
         false,
         true},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.what);
        Plan(c.roster.empty() ? test::DistinctRoster(1) : c.roster);
        if (c.changeTable) {
            std::fstream table(dir / "Pager 1.tbl",
                               std::ios::binary | std::ios::in | std::ios::out);
            table.seekp(100);
            table.put('\x5A');
        }
        lines.clear();
        ports.clear();
        Board("ttyS0", c.memory, c.faults);
        if (c.noBoard)
            lines.at("ttyS0")->RefuseOpen("ttyS0", ECommError{CommErrorCode::CannotOpen, 2,
                                                              "No such file or directory", false});
        Recorder recorder;
        const RunSummary summary = Run(recorder);
        ASSERT_FALSE(summary.lines.empty());
        const ReportLine& first = summary.lines.front();
        EXPECT_EQ(first.result, c.result) << first.message;
        EXPECT_EQ(first.port, "ttyS0");
        EXPECT_NE(first.message.find(c.says), std::string::npos) << first.message;
        EXPECT_EQ(!first.backup.empty(), c.backedUp) << first.backup;
        if (c.result == PagerResult::ReadFailed || c.result == PagerResult::NoBoard ||
            c.changeTable || c.says == "Is a pager on the board?") {
            EXPECT_EQ(lines.at("ttyS0")->Board("ttyS0").Memory(), c.memory) << "nothing written";
        }
    }
}

TEST_F(FleetRunnerTest, APagerLeftHalfWrittenIsKeptAsDamagedAndProgrammed) {
    Plan(test::DistinctRoster(6));
    PagerImage half = sim::MakePagerMemory({});
    half[100] ^= 0x5A;  // good frames, a wrong checksum
    Board("ttyS0", half);
    Recorder recorder;
    const RunSummary summary = Run(recorder);
    ASSERT_EQ(summary.lines.size(), 6u);
    const ReportLine& first = summary.lines.front();
    EXPECT_TRUE(first.written()) << first.message;
    EXPECT_NE(first.backup.find("-damaged-"), std::string::npos) << first.backup;
    EXPECT_NE(first.message.find("failed its checksum"), std::string::npos) << first.message;
    EXPECT_EQ(ReadTableBytes(first.backup)->bytes, half) << "what the pager held, kept";
    const std::string sidecar = Slurp(fs::path(first.backup).replace_extension(".json"));
    EXPECT_NE(sidecar.find("\"damaged\""), std::string::npos) << sidecar;
    EXPECT_NE(sidecar.find("checksum"), std::string::npos) << sidecar;
    for (const ReportLine& line : summary.lines) EXPECT_TRUE(line.written()) << line.message;
    EXPECT_EQ(lines.at("ttyS0")->Board("ttyS0").Memory(), Prepared(summary.lines.back().label));
}

// Hands-free: the pager on the board comes and goes as the board's clock
// moves (only when its thread waits), so the script below is the same on any
// machine however loaded.
TEST_F(FleetRunnerTest, HandsFreeProgramsEachPlacedPagerOnceNeverOneLeftOnOrPutBack) {
    Plan(test::DistinctRoster(6));
    sim::InProcessBoard& board = Board("ttyS0");
    sim::ManualClock& clock = lines.at("ttyS0")->clock;
    const PagerImage fresh = board.Memory();
    using std::chrono::milliseconds;
    using Cradle = sim::Responder::Cradle;
    // Times from the start of the run's clock.
    const auto start = clock.Now();
    const auto at = [&](int ms) { return start + milliseconds(ms); };
    // Empty for 3 s, then a pager; once written it stays 3 s, is off 1.5 s, is
    // put back (holding what was written) 3 s, off 1.5 s, then a new pager.
    std::vector<std::chrono::nanoseconds> writtenAt;
    std::size_t emptyRequests = 0;
    PagerImage firstWritten{};
    Recorder recorder;
    recorder.stopAfter = 2;
    board.SetCradle([&]() -> Cradle {
        const auto now = clock.Now();
        if (now < at(3000)) {
            ++emptyRequests;
            return {false, {}};
        }
        if (writtenAt.empty() && recorder.Ended() == 1) {
            writtenAt.push_back(now);
            firstWritten = board.Memory();
        }
        if (writtenAt.empty()) return {true, {}};
        const auto since = now - writtenAt.front();
        if (since < milliseconds(3000)) return {true, {}};
        if (since < milliseconds(4500)) return {false, {}};
        if (since < milliseconds(7500)) return {true, firstWritten};
        if (since < milliseconds(9000)) return {false, {}};
        return {true, fresh};
    });
    const RunSummary summary = Run(recorder, false, true);

    // An empty board is asked at most a board test and a pager query a second.
    EXPECT_LE(emptyRequests, 8u);
    EXPECT_GE(emptyRequests, 4u);
    ASSERT_EQ(summary.lines.size(), 2u) << "neither the pager left on nor the one put back";
    EXPECT_TRUE(summary.lines[0].written()) << summary.lines[0].message;
    EXPECT_TRUE(summary.lines[1].written()) << summary.lines[1].message;
    EXPECT_NE(summary.lines[0].label, summary.lines[1].label);
    EXPECT_EQ(firstWritten, Prepared(summary.lines[0].label));
    EXPECT_EQ(board.Memory(), Prepared(summary.lines[1].label));
    // The second pager came on only after the first was lifted, put back and lifted again.
    EXPECT_GE(clock.Now() - writtenAt.front(), milliseconds(9000));
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.notReached, 4);
    EXPECT_EQ(Report().size(), 2u);
}

// A pager whose receiver was aligned: its levels, as its own memory holds them.
PagerImage AlignedPager(std::uint8_t rssi, std::uint8_t ssi, std::uint8_t rssi2, bool damaged) {
    PagerImage image = TemplateImage();
    image[1] = 1;
    image[2] = 86;
    SetFieldCode(image, FieldNamed("RSSI"), rssi);
    SetFieldCode(image, FieldNamed("SSI"), ssi);
    SetFieldCode(image, FieldNamed("RSSI2"), rssi2);
    if (!damaged) StoreChecksum(image);
    return image;
}

struct KeptCase {
    std::string name;
    std::vector<std::string> keep;  // the plan's list
    PagerImage pager;
    std::array<std::uint8_t, 3> written;  // RSSI, SSI, RSSI2 the pager holds at the end
    std::string keptText;                 // the first report line's kept values
    std::string message;                  // part of the first report line's message
};

TEST_F(FleetRunnerTest, EachPagerKeepsItsOwnLevelsAndTheVerifyPasses) {
    // Code 70 shows 0.82, which typed would enter as 69: the pager's own code stays.
    const std::vector<KeptCase> cases{
        {"the default list",
         kDefaultKeptFields,
         AlignedPager(70, 40, 84, false),
         {70, 40, 84},
         "RSSI=0.82 SSI=0.47 RSSI2=0.99",
         "Write Sucess !"},
        {"none: the template's levels",
         {},
         AlignedPager(70, 40, 84, false),
         {60, 68, 82},
         "",
         "Write Sucess !"},
        {"a level the entry rules refuse, in a damaged memory",
         {"SSI", "RSSI"},
         AlignedPager(70, 0xFF, 84, true),
         {70, 68, 82},
         "SSI=0.80 (the pager's 3.00 refused) RSSI=0.82",
         "SSI: the pager's 3.00 was refused (Please insert a number between 0 to 1); the planned "
         "0.80 was written"},
    };
    for (const KeptCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlanOptions options;
        options.keep = c.keep;
        Plan(test::DistinctRoster(2), options);
        lines.clear();
        ports.clear();
        sim::InProcessBoard& board = Board("ttyS0", c.pager);
        Recorder recorder;
        const RunSummary summary = Run(recorder);
        ASSERT_EQ(summary.lines.size(), 2u);
        for (const ReportLine& line : summary.lines) EXPECT_TRUE(line.written()) << line.message;
        const ReportLine& first = summary.lines.front();
        std::string kept;
        for (const KeptValue& value : first.kept) {
            kept += (kept.empty() ? "" : " ") + value.field + "=" + value.value;
            if (!value.kept) kept += " (the pager's " + value.pagerValue + " refused)";
        }
        EXPECT_EQ(kept, c.keptText);
        EXPECT_NE(first.message.find(c.message), std::string::npos) << first.message;
        // The report names the planned table, not the image with the kept levels.
        EXPECT_EQ(first.sha256, manifest.pagers[0].sha256);

        // The board's pager: the last planned table with the levels, whole and verified.
        PagerImage expected = ReadTableBytes(dir / (summary.lines.back().label + ".tbl"))->bytes;
        SetFieldCode(expected, FieldNamed("RSSI"), c.written[0]);
        SetFieldCode(expected, FieldNamed("SSI"), c.written[1]);
        SetFieldCode(expected, FieldNamed("RSSI2"), c.written[2]);
        expected[1] = 1;
        expected[2] = 86;
        PrepareImageForWrite(expected, 1, 86);
        EXPECT_EQ(board.Memory(), expected);
    }
}

// With the inventory: rows claimed, the pager placed recognised, every image
// recorded and the report made from the records.
class FleetRunnerInventoryTest : public FleetRunnerTest {
protected:
    void SetUp() override {
        FleetRunnerTest::SetUp();
        store = Open("inventory.sqlite");
        inventory = store.get();
        identity.bench = "bench-1";
    }

    std::unique_ptr<inventory::Inventory> Open(const std::string& name) {
        auto opened = inventory::Inventory::Open(temp.File(name));
        EXPECT_TRUE(opened.ok()) << opened.error;
        return opened.ok() ? std::move(*opened.value) : nullptr;
    }

    // A run of its own on ports, as another bench (with its own connection).
    RunSummary RunAs(Recorder& recorder, std::vector<std::string> boardPorts, RunIdentity who,
                     inventory::Inventory& records) {
        RunOptions options;
        options.ports = std::move(boardPorts);
        options.prompt = false;
        options.channels = [this](const std::string& port) {
            return lines.at(port)->MakeChannel();
        };
        options.clock = [this](const std::string& port) -> LinkClock* {
            return &lines.at(port)->clock;
        };
        options.inventory = &records;
        options.identity = std::move(who);
        FleetReport report(dir);
        EXPECT_EQ(report.Load(), std::nullopt);
        return RunFleet(dir, manifest, options, report, backups, recorder, recorder.stop);
    }

    int Row(const std::string& label) const {
        for (const PlanEntry& pager : manifest.pagers)
            if (pager.label == label) return pager.line;
        return 0;
    }
    std::string RowState(const std::string& label) {
        const auto rows = inventory->PlanRows(inventory::PlanKeyOf(dir));
        EXPECT_TRUE(rows.ok()) << rows.error;
        for (const inventory::PlanRow& row : rows.value.value_or(std::vector<inventory::PlanRow>{}))
            if (row.row == Row(label)) return row.state;
        return "no row";
    }
    std::vector<inventory::ImageRecord> HistoryOf(const std::string& label) {
        const auto pager = inventory->FindPager(label);
        EXPECT_TRUE(pager.ok() && *pager.value) << label;
        if (!pager.ok() || !*pager.value) return {};
        return inventory->History((*pager.value)->id)
            .value.value_or(std::vector<inventory::ImageRecord>{});
    }

    // report.csv says what report.json says, line for line; the labels in order.
    std::vector<std::string> AgreeingReport() {
        const std::vector<ReportLine> json = Report();
        std::vector<std::string> csv;
        std::istringstream text(Slurp(dir / kReportCsvName));
        for (std::string line; std::getline(text, line);) csv.push_back(line);
        EXPECT_EQ(csv.size(), json.size() + 1) << Slurp(dir / kReportCsvName);
        std::vector<std::string> labels;
        for (std::size_t i = 0; i < json.size() && i + 1 < csv.size(); ++i) {
            const ReportLine& line = json[i];
            EXPECT_TRUE(csv[i + 1].starts_with("\"" + line.label + "\",\"" + line.port + "\",\"" +
                                               line.start + "\","))
                << csv[i + 1];
            EXPECT_NE(csv[i + 1].find(",\"" + std::string(ResultName(line.result)) + "\","),
                      std::string::npos)
                << csv[i + 1];
            EXPECT_NE(csv[i + 1].find("\"" + line.backup + "\",\"" + line.sha256 + "\""),
                      std::string::npos)
                << csv[i + 1];
            labels.push_back(line.label + " " + std::string(ResultName(line.result)));
        }
        return labels;
    }

    // A new pager (fresh) placed on the board at port for each pager of the
    // run, as an operator does: lifted once a pager's line has ended.
    void NewPagerEachTime(const std::string& port, const PagerImage& fresh, Recorder& recorder) {
        auto seen = std::make_shared<std::size_t>(0);
        lines.at(port)->Board(port).SetCradle(
            [&recorder, port, fresh, seen]() -> sim::Responder::Cradle {
                std::lock_guard lock(recorder.mutex);
                const auto ended = static_cast<std::size_t>(
                    std::count_if(recorder.ended.begin(), recorder.ended.end(),
                                  [&](const ReportLine& line) { return line.port == port; }));
                if (ended > *seen) {
                    *seen = ended;
                    return {false, {}};
                }
                return {true, fresh};
            });
    }

    std::unique_ptr<inventory::Inventory> store;
};

const std::regex kWrongPager1(
    R"(This is 'Pager 1' \(written \d\d:\d\d on bench-1\), not 'Pager 2'\. Place 'Pager 2'\.)");

// Pager 1 written, the run stopped; the next run wants Pager 2 and Pager 1 is
// placed again. Not written over, in any mode, unless again.
TEST_F(FleetRunnerInventoryTest, AResumedRunRefusesThePagerWrittenBeforeAndNamesIt) {
    struct Case {
        std::string name;
        bool prompt;
        bool again;
    };
    for (const Case& c : {Case{"--yes", false, false}, Case{"prompting", true, false},
                          Case{"--again", false, true}}) {
        SCOPED_TRACE(c.name);
        dir = temp.File("plan " + c.name);
        store = Open("inventory " + c.name + ".sqlite");
        inventory = store.get();
        lines.clear();
        ports.clear();
        Plan(test::DistinctRoster(2));
        sim::InProcessBoard& board = Board("ttyA");
        Recorder first;
        first.stopAfter = 1;
        ASSERT_EQ(Run(first).lines.size(), 1u);
        ASSERT_EQ(first.ended[0].label, "Pager 1");
        const PagerImage pager1 = board.Memory();

        Recorder resumed;
        const RunSummary summary = Run(resumed, c.prompt, false, c.again);
        // again: Pager 1 once more (it is Pager 1), then Pager 2 over it.
        EXPECT_EQ(summary.writtenBefore, c.again ? 0 : 1);
        ASSERT_EQ(summary.lines.size(), c.again ? 2u : 1u);
        const ReportLine& line = summary.lines.back();
        EXPECT_EQ(line.label, "Pager 2");
        if (c.again) {
            EXPECT_TRUE(line.written()) << line.message;
            EXPECT_EQ(board.Memory(), Prepared("Pager 2"));
            EXPECT_EQ(RowState("Pager 2"), "written");
            continue;
        }
        EXPECT_EQ(line.result, PagerResult::Refused);
        EXPECT_TRUE(std::regex_match(line.message, kWrongPager1)) << line.message;
        EXPECT_EQ(board.Memory(), pager1) << "nothing written over Pager 1";
        // Recorded as what it is, Pager 1, placed for Pager 2's row; that row still to do.
        const auto history = HistoryOf("Pager 1");
        ASSERT_FALSE(history.empty());
        EXPECT_EQ(history.front().result, "refused");
        EXPECT_EQ(history.front().origin.row, Row("Pager 2"));
        EXPECT_EQ(history.front().origin.bench, "bench-1");
        EXPECT_EQ(history.front().image, pager1);
        EXPECT_EQ(RowState("Pager 2"), "pending");
        EXPECT_EQ(AgreeingReport(),
                  (std::vector<std::string>{"Pager 1 written", "Pager 2 refused"}));
    }
}

TEST_F(FleetRunnerInventoryTest, HandsFreeTheBoardWaitsForTheRightPagerAfterAWrongOne) {
    Plan(test::DistinctRoster(2));
    sim::InProcessBoard& board = Board("ttyA");
    const PagerImage fresh = board.Memory();
    Recorder first;
    first.stopAfter = 1;
    ASSERT_EQ(Run(first).lines.size(), 1u);
    const PagerImage pager1 = board.Memory();

    // Pager 1 sits on the board 2 s, is lifted for 1.5 s, then a new pager comes.
    sim::ManualClock& clock = lines.at("ttyA")->clock;
    const auto start = clock.Now();
    using std::chrono::milliseconds;
    using Cradle = sim::Responder::Cradle;
    board.SetCradle([&]() -> Cradle {
        const auto since = clock.Now() - start;
        if (since < milliseconds(2000)) return {true, pager1};
        if (since < milliseconds(3500)) return {false, {}};
        return {true, fresh};
    });
    Recorder resumed;
    resumed.stopAfter = 1;
    const RunSummary summary = Run(resumed, false, true);
    ASSERT_FALSE(resumed.notes.empty());
    EXPECT_TRUE(std::regex_match(resumed.notes.front(), kWrongPager1)) << resumed.notes.front();
    ASSERT_EQ(summary.lines.size(), 1u);
    EXPECT_EQ(summary.lines[0].label, "Pager 2");
    EXPECT_TRUE(summary.lines[0].written()) << summary.lines[0].message;
    EXPECT_EQ(board.Memory(), Prepared("Pager 2"));
    EXPECT_EQ(HistoryOf("Pager 1").front().result, "refused");
    EXPECT_EQ(AgreeingReport(),
              (std::vector<std::string>{"Pager 1 written", "Pager 2 refused", "Pager 2 written"}));
}

// Two runs of one plan at once, each with boards of its own and its own
// connection, as two benches: every row programmed once, one report.
TEST_F(FleetRunnerInventoryTest, TwoRunsOfOnePlanTakeDifferentRowsAndTheirReportsAgree) {
    Plan(test::DistinctRoster(8));
    Recorder one, two;
    for (const char* port : {"ttyA", "ttyB", "ttyC", "ttyD"})
        NewPagerEachTime(port, Board(port).Memory(), port < std::string("ttyC") ? one : two);
    const std::unique_ptr<inventory::Inventory> other = Open("inventory.sqlite");
    RunSummary first, second;
    std::thread bench1([&] {
        first = RunAs(one, {"ttyA", "ttyB"}, {"bench-1", "ann", 0}, *store);
    });
    std::thread bench2([&] {
        second = RunAs(two, {"ttyC", "ttyD"}, {"bench-2", "bob", 0}, *other);
    });
    bench1.join();
    bench2.join();

    std::multiset<std::string> written;
    for (const RunSummary* summary : {&first, &second})
        for (const ReportLine& line : summary->lines) {
            EXPECT_TRUE(line.written()) << line.message;
            written.insert(line.label);
        }
    EXPECT_EQ(written.size(), 8u);
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()).size(), 8u)
        << "no pager written twice";
    const std::vector<std::string> report = AgreeingReport();
    EXPECT_EQ(report.size(), 8u);
    EXPECT_EQ(std::set<std::string>(report.begin(), report.end()).size(), 8u);
    for (const PlanEntry& pager : manifest.pagers) EXPECT_EQ(RowState(pager.label), "written");
}

// A claim a live run on another bench holds is named and left; one whose
// process on this computer is gone is taken over.
TEST_F(FleetRunnerInventoryTest, AClaimHeldElsewhereIsNamedAndADeadOneIsTakenOver) {
    Plan(test::DistinctRoster(3));
    Recorder recorder;
    NewPagerEachTime("ttyA", Board("ttyA").Memory(), recorder);
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    identity.bench = "";  // this computer's own name
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    // PutPlanRows first, as a run of the plan does.
    Recorder nothing;
    nothing.stop = true;
    Run(nothing);
    ASSERT_TRUE(inventory->ClaimRow(inventory::PlanKeyOf(dir), Row("Pager 1"), "bench-9", 4711)
                    .value->taken);
    ASSERT_TRUE(
        inventory->ClaimRow(inventory::PlanKeyOf(dir), Row("Pager 2"), host, dead).value->taken);

    const RunSummary summary = Run(recorder);
    EXPECT_EQ(recorder.notes,
              std::vector<std::string>{"'Pager 1' is being programmed on bench-9 (pid 4711)"});
    EXPECT_EQ(summary.claimedElsewhere, 1);
    ASSERT_EQ(summary.lines.size(), 2u);
    for (const ReportLine& line : summary.lines) EXPECT_TRUE(line.written()) << line.message;
    EXPECT_EQ(RowState("Pager 1"), "pending");
    EXPECT_EQ(RowState("Pager 2"), "written");
    const auto again =
        inventory->ClaimRow(inventory::PlanKeyOf(dir), Row("Pager 2"), "bench-9", 4711);
    EXPECT_TRUE(again.value->taken) << "the row was released";
}

// A report line the inventory never saw (a run before it, or the window's,
// which writes the report alone) is taken in, in its place, never lost, and counts.
TEST_F(FleetRunnerInventoryTest, ReportLinesWrittenWithoutTheInventoryAreKeptInTheirOrder) {
    Plan(test::DistinctRoster(3));
    // Each run one pager, on a board with a new pager: with, without, with the inventory.
    const auto runOne = [&](bool recorded) {
        lines.clear();
        ports.clear();
        Board("tty" + std::to_string(ports.size() + 1));
        inventory = recorded ? store.get() : nullptr;
        Recorder recorder;
        recorder.stopAfter = 1;
        return Run(recorder);
    };
    ASSERT_EQ(runOne(false).lines.at(0).label, "Pager 1");
    EXPECT_EQ(runOne(true).writtenBefore, 1);
    // Within the same second as the last record: its line must still come after it.
    ASSERT_EQ(runOne(false).lines.at(0).label, "Pager 3");

    Recorder last;
    inventory = store.get();
    const RunSummary summary = Run(last);
    EXPECT_EQ(summary.writtenBefore, 3);
    EXPECT_TRUE(summary.lines.empty());
    EXPECT_EQ(AgreeingReport(),
              (std::vector<std::string>{"Pager 1 written", "Pager 2 written", "Pager 3 written"}));
    const auto history = HistoryOf("Pager 3");
    ASSERT_EQ(history.size(), 1u) << "taken in once";
    EXPECT_EQ(history[0].result, "written");
    EXPECT_EQ(history[0].sha256, manifest.pagers[2].sha256) << "the planned table it names";
}

// A run killed mid-write leaves its claim, the record of what the pager held
// before, and the pager half-written. The next run takes the claim over,
// recognises the pager by its address and levels, keeps what it holds as
// damaged and finishes it.
TEST_F(FleetRunnerInventoryTest, AHalfWrittenPagerIsRecognisedByItsLevelsKeptAsDamagedAndFinished) {
    Plan(test::DistinctRoster(1));
    const PagerImage aligned = AlignedPager(40, 50, 60, false);
    // The half-written memory, as a board whose line broke mid-write leaves it
    // (the run of a throwaway inventory: this one must not know of that write).
    Board("ttyA", aligned, {"hangup:20"});
    {
        Recorder broken;
        ASSERT_EQ(Run(broken).lines.at(0).result, PagerResult::WriteFailed);
    }
    const PagerImage half = lines.at("ttyA")->Board("ttyA").Memory();
    ASSERT_NE(StoredChecksum(half), ImageChecksum(half)) << "left with its checksum wrong";
    fs::remove(dir / kReportCsvName);
    fs::remove(dir / kReportJsonName);

    // What the killed run had done: its rows put in, its claim, the pre-write record.
    store = Open("inventory of the shop.sqlite");
    inventory = store.get();
    {
        Recorder starting;
        starting.stop = true;
        Run(starting);
    }
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string key = inventory::PlanKeyOf(dir);
    ASSERT_TRUE(inventory->ClaimRow(key, Row("Pager 1"), host, dead).value->taken);
    const auto pager = inventory->FindPager("Pager 1");
    ASSERT_TRUE(pager.ok() && *pager.value);
    inventory::ImageRecord before{.pagerId = (*pager.value)->id,
                                  .kind = inventory::ImageKind::PreWrite,
                                  .image = aligned,
                                  .result = "read",
                                  .origin = {.bench = host, .plan = key, .row = Row("Pager 1")}};
    ASSERT_TRUE(inventory->Record(before).ok());

    const auto known = inventory->Identify(half);
    ASSERT_TRUE(known.ok()) << known.error;
    EXPECT_EQ(known.value->by, inventory::Identity::By::AddressLevels);
    ASSERT_EQ(known.value->pagers.size(), 1u);
    EXPECT_EQ(known.value->pagers[0].label, "Pager 1");

    lines.clear();
    ports.clear();
    sim::InProcessBoard& board = Board("ttyB", half);
    identity.bench = "";  // this computer, as the killed run
    Recorder rerun;
    const RunSummary summary = Run(rerun);
    ASSERT_EQ(summary.lines.size(), 1u);
    EXPECT_TRUE(summary.lines[0].written()) << summary.lines[0].message;
    EXPECT_NE(summary.lines[0].backup.find("-damaged-"), std::string::npos);
    EXPECT_EQ(GetFieldCode(board.Memory(), FieldNamed("SSI")), 50u) << "its own level kept";
    const auto history = HistoryOf("Pager 1");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].kind, inventory::ImageKind::Write);
    EXPECT_EQ(history[0].result, "written");
    EXPECT_EQ(history[0].image, board.Memory());
    EXPECT_EQ(history[1].kind, inventory::ImageKind::Damaged);
    EXPECT_EQ(history[1].image, half);
    EXPECT_EQ(RowState("Pager 1"), "written");
    EXPECT_EQ(AgreeingReport(), std::vector<std::string>{"Pager 1 written"});
}

}  // namespace
}  // namespace mk843nb::fleet
