// The Fleet window with real widgets, real clicks and keys and real files: the
// plan shown with its problems, plan folders made and resumed (one made and
// half run by mk843nb-cli), lanes with their prompts, Skip, Retry. The boards
// are the emulator's, in process (one line and clock per board, each used only
// by its board's thread), so no test waits out real silences.

#include "ui/fleet_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "cli_process.h"
#include "editor/image_compare.h"
#include "faults.h"
#include "files/table_io.h"
#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "in_process_line.h"
#include "inventory/inventory.h"
#include "pager_memory.h"
#include "recording_dialogs.h"
#include "responder.h"
#include "sim_process.h"
#include "test_application.h"
#include "test_files.h"
#include "ui/app_settings.h"
#include "ui/fleet_lane.h"
#include "ui/folder_path_box.h"
#include "ui/main_window.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::RecordingDialogs;

constexpr const char* kTemplate = MK843NB_FIXTURES "/shipped_default.tbl";
// Three pagers, each with an address of its own (standard tones, well apart).
constexpr const char* kThreeEngines =
    "label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,433.7,1321.2\nEngine 3,569.1,1513.5\n";

// Waits for cond while the window's events run; false when it never came.
bool WaitFor(const std::function<bool()>& cond,
             std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(5);
    }
    return true;
}

class FleetWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication();
        ::setenv("MK843NB_BACKUP_DIR", dir_.File("backups").c_str(), 1);
        ::setenv("MK843NB_INVENTORY", dir_.File("inventory.sqlite").c_str(), 1);
    }
    void TearDown() override {
        window_.reset();
        ::unsetenv("MK843NB_BACKUP_DIR");
        ::unsetenv("MK843NB_INVENTORY");
    }

    // Boards behind the named ports, each "Board <port>" in the list. On each,
    // the operator places a new pager once one is written, unless newPagers is off.
    FleetWindow& Open(const std::vector<std::string>& ports, sim::FaultPlan faults = {},
                      QWidget* parent = nullptr, bool newPagers = true) {
        for (const std::string& port : ports) {
            lines_[port] = std::make_unique<sim::InProcessLine>();
            const auto own = faultsOf_.find(port);
            lines_[port]
                ->Plug(port, sim::MakePagerMemory({}),
                       own == faultsOf_.end() ? faults : own->second)
                .NewPagerAfterEachWrite(newPagers);
        }
        FleetWindowOptions options;
        options.channels = [this](const std::string& port) {
            return lines_.at(port)->MakeChannel();
        };
        options.clock = [this](const std::string& port) -> LinkClock* {
            return &lines_.at(port)->clock;
        };
        return Show(ports, std::move(options), parent);
    }
    // The same on real ports (emulators on pseudo-terminals), through the serial port.
    FleetWindow& Show(const std::vector<std::string>& ports, FleetWindowOptions options = {},
                      QWidget* parent = nullptr) {
        options.ports = [ports] {
            PortTable table;
            for (const std::string& port : ports)
                table.entries.push_back({port, "Board " + fs::path(port).filename().string()});
            return table;
        };
        options.windowImage = [] { return ReadTableBytes(kTemplate)->bytes; };
        window_ = std::make_unique<FleetWindow>(dialogs_, options, parent);
        window_->openUrl = [this](const QUrl& url) {
            opened_.push_back(url.toLocalFile().toStdString());
            return openSucceeds_;
        };
        window_->ShowFleet();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }

    template <typename T = QWidget>
    T* W(const char* name) {
        T* w = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Click(QWidget* button) {
        ASSERT_TRUE(button->isVisible() && button->isEnabled())
            << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Click(const char* name) { Click(W(name)); }
    std::string Cell(const char* table, int row, int column) {
        QTableWidgetItem* item = W<QTableWidget>(table)->item(row, column);
        return item ? item->text().toStdString() : "";
    }
    // The roster typed into a file and picked with "Roster…".
    void PickRoster(const std::string& csv) {
        std::ofstream(dir_.File("roster.csv")) << csv;
        dialogs_.openAnswers.push_back(dir_.File("roster.csv"));
        Click("FleetRosterButton");
    }
    // "Make plan…" into a folder of the temporary one.
    fs::path MakePlan(const std::string& folder) {
        dialogs_.saveAnswers.push_back(dir_.File(folder + "/plan.json"));
        Click("FleetMakePlan");
        return dir_.File(folder);
    }
    // Ticks a board in the list from the keyboard.
    void CheckBoard(int row) {
        auto* boards = W<QListWidget>("FleetBoards");
        boards->setFocus();
        boards->setCurrentRow(row);
        QTest::keyClick(boards, Qt::Key_Space);
        ASSERT_EQ(boards->item(row)->checkState(), Qt::Checked);
    }
    // The lane asking now, once one asks (nullptr when none did).
    FleetLane* Asking() {
        FleetLane* asking = nullptr;
        WaitFor([&] {
            for (FleetLane* lane : window_->Lanes())
                if (lane->Go()->isVisible()) asking = lane;
            return asking != nullptr || !window_->Running();
        });
        return asking;
    }
    // Answers every prompt with the next of answers (Go when they run out); the prompts' texts.
    std::vector<std::string> Answer(std::vector<const char*> answers = {}) {
        std::vector<std::string> prompts;
        std::size_t next = 0;
        while (window_->Running()) {
            FleetLane* lane = Asking();
            if (lane == nullptr) break;
            prompts.push_back(lane->Prompt()->text().toStdString());
            EXPECT_TRUE(lane->State()->text().endsWith(QStringLiteral("waiting for Go")))
                << lane->State()->text().toStdString();
            const char* answer = next < answers.size() ? answers[next++] : "LaneGo";
            QTest::mouseClick(lane->findChild<QPushButton*>(QString::fromLatin1(answer)),
                              Qt::LeftButton);
            WaitFor([&] { return !lane->Go()->isVisible(); });
        }
        EXPECT_TRUE(WaitFor([&] { return !window_->Running(); }));
        return prompts;
    }
    std::vector<fleet::ReportLine> Report(const fs::path& folder) {
        fleet::FleetReport report(folder);
        EXPECT_FALSE(report.Load().has_value());
        return report.Lines();
    }
    // The board holds the pager's planned table but for the levels it keeps of
    // its own and its firmware's version (the write keeps the pager's).
    void ExpectHolds(const std::string& port, const fs::path& folder, const std::string& label) {
        const fleet::PlanLoad load = fleet::LoadPlanFolder(folder);
        ASSERT_TRUE(load.manifest);
        const auto pager =
            std::find_if(load.manifest->pagers.begin(), load.manifest->pagers.end(),
                         [&](const fleet::PlanEntry& p) { return p.label == label; });
        ASSERT_NE(pager, load.manifest->pagers.end()) << label;
        const auto planned = ReadTableBytes(folder / pager->file);
        ASSERT_TRUE(planned) << pager->file;
        for (const FieldDifference& d :
             CompareImages(planned->bytes, lines_.at(port)->Board(port).Memory()))
            EXPECT_TRUE(d.page.empty() || d.field == "RSSI" || d.field == "SSI" ||
                        d.field == "RSSI2" || d.field == "Version")
                << port << " " << d.field << ": " << d.a << " | " << d.b;
    }

    test::TempDir dir_;
    RecordingDialogs dialogs_;
    std::map<std::string, std::unique_ptr<sim::InProcessLine>> lines_;
    std::map<std::string, sim::FaultPlan> faultsOf_;  // a board's own faults, given to Open's
    sim::InProcessLine mainLine_;       // the main window's own board, when there is one
    std::unique_ptr<MainWindow> main_;  // outlives window_, which it may parent
    std::unique_ptr<FleetWindow> window_;
    std::vector<std::string> opened_;
    bool openSucceeds_ = true;
};

// A roster's problems show on their rows, with the tone-plan check's words;
// a row the roster cannot take at all is said below the table. A refusal
// keeps the plan from being made, a warning does not.
TEST_F(FleetWindowTest, ThePlanShowsEachRowsChangesAndProblemsInline) {
    const struct {
        const char* roster;
        int rows;
        int problemRow;  // -1: below the table
        const char* problem;
        bool makeable;
        bool bothRows = false;  // the other row has it too (each holder of one address)
    } cases[] = {
        {"label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,330.5,1153.4\n", 2, 1, "same address",
         true, true},
        {"label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,abc,1321.2\n", 2, 1, "T11: ", false},
        {"label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,330,5,1321.2\n", 1, -1,
         "line 3, 'Engine 2': the row has more cells than the header has columns", false},
    };
    Open({"ttyS0"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.roster);
        PickRoster(c.roster);
        ASSERT_EQ(W<QTableWidget>("FleetPlanTable")->rowCount(), c.rows);
        EXPECT_EQ(Cell("FleetPlanTable", 0, 0), "Engine 1");
        EXPECT_NE(Cell("FleetPlanTable", 0, 1).find("T11=330.5"), std::string::npos)
            << Cell("FleetPlanTable", 0, 1);
        const std::string note = W<QLabel>("FleetPlanNote")->text().toStdString();
        if (c.problemRow < 0) {
            EXPECT_EQ(Cell("FleetPlanTable", 0, 2), "");
            EXPECT_NE(note.find(c.problem), std::string::npos) << note;
        } else {
            if (c.bothRows)
                EXPECT_NE(Cell("FleetPlanTable", 1 - c.problemRow, 2).find(c.problem),
                          std::string::npos);
            else
                EXPECT_EQ(Cell("FleetPlanTable", 1 - c.problemRow, 2), "");
            EXPECT_NE(Cell("FleetPlanTable", c.problemRow, 2).find(c.problem), std::string::npos)
                << Cell("FleetPlanTable", c.problemRow, 2);
        }
        EXPECT_EQ(W("FleetMakePlan")->isEnabled(), c.makeable) << note;
    }
}

// The plan's options are fleet plan's: --strict makes a warning a refusal,
// --exact refuses a snapped tone, and the keep list is checked and recorded.
TEST_F(FleetWindowTest, StrictExactAndKeptLevelsPlanAsTheCommandLineDoes) {
    Open({"ttyS0"});
    const auto problemsOf = [&](int row) { return Cell("FleetPlanTable", row, 2); };
    PickRoster("label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,330.5,1153.4\n");
    EXPECT_TRUE(W("FleetMakePlan")->isEnabled()) << "a warning only";
    Click("FleetStrict");
    EXPECT_NE(problemsOf(1).find("same address"), std::string::npos) << problemsOf(1);
    EXPECT_FALSE(W("FleetMakePlan")->isEnabled()) << "strict: the finding refuses the plan";
    Click("FleetStrict");
    EXPECT_TRUE(W("FleetMakePlan")->isEnabled());

    PickRoster("label,T11\nEngine 1,600\n");
    EXPECT_TRUE(W("FleetMakePlan")->isEnabled()) << "600.0 snaps to 600.9";
    Click("FleetExact");
    EXPECT_NE(problemsOf(0).find("600.0 is not a standard tone"), std::string::npos)
        << problemsOf(0) << " / " << W<QLabel>("FleetPlanNote")->text().toStdString();
    // Said in the window's words: the box the user ticked, not the command line's option.
    EXPECT_NE(problemsOf(0).find("with Exact tones ticked nothing is snapped"), std::string::npos)
        << problemsOf(0);
    EXPECT_EQ(problemsOf(0).find("--exact"), std::string::npos) << problemsOf(0);
    EXPECT_FALSE(W("FleetMakePlan")->isEnabled());
    Click("FleetExact");

    auto* keep = W<QLineEdit>("FleetKeep");
    EXPECT_EQ(keep->text(), QStringLiteral("RSSI, SSI, RSSI2"));
    const auto typeKeep = [&](const char* text) {
        keep->setFocus();
        keep->selectAll();
        QTest::keyClicks(keep, text);
        QTest::keyClick(keep, Qt::Key_Return);
    };
    typeKeep("RSSI, Loudness");
    EXPECT_EQ(W<QLabel>("FleetPlanNote")->text().toStdString(),
              "Keep levels: Unknown field 'Loudness'");
    EXPECT_FALSE(W("FleetMakePlan")->isEnabled());
    typeKeep("SSI");
    const fs::path folder = MakePlan("kept");
    const fleet::PlanLoad load = fleet::LoadPlanFolder(folder);
    ASSERT_TRUE(load.manifest) << load.error;
    EXPECT_EQ(load.manifest->keep, std::vector<std::string>{"SSI"});
}

// "Make plan…" writes what `fleet plan --out` writes, the window's table kept
// as the template; the folder is open at once and nothing is run yet.
TEST_F(FleetWindowTest, MakePlanWritesThePlanFolderFromTheWindowsTable) {
    Open({"ttyS0"});
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("engines");
    const fleet::PlanLoad load = fleet::LoadPlanFolder(folder);
    ASSERT_TRUE(load.manifest) << load.error;
    ASSERT_EQ(load.manifest->pagers.size(), 3u);
    EXPECT_EQ(load.manifest->templateFile, folder / "template" / "window.tbl");
    EXPECT_EQ(ReadTableBytes(folder / "template" / "window.tbl")->bytes,
              ReadTableBytes(kTemplate)->bytes);
    EXPECT_EQ(window_->PlanFolder(), folder);
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 0 of 3");
    EXPECT_FALSE(W("FleetRun")->isEnabled());  // no board ticked yet
    CheckBoard(0);
    EXPECT_TRUE(W("FleetRun")->isEnabled());

    // A table changed after planning is shown as such when the folder is opened again.
    {
        PagerImage changed = ReadTableBytes(folder / load.manifest->pagers[2].file)->bytes;
        changed[100] ^= 0xFF;
        ASSERT_TRUE(WriteTableFile(folder / load.manifest->pagers[2].file, changed));
    }
    dialogs_.openAnswers.push_back((folder / "plan.json").string());
    Click("FleetOpenPlan");
    EXPECT_EQ(Cell("FleetPlanTable", 0, 2), "");
    EXPECT_NE(Cell("FleetPlanTable", 2, 2).find("was changed after planning"), std::string::npos)
        << Cell("FleetPlanTable", 2, 2);

    EXPECT_FALSE(W("FleetOpenReport")->isEnabled()) << "nothing run: no report";
    Click("FleetOpenFolder");
    EXPECT_EQ(opened_, std::vector<std::string>{folder.string()});
}

// The plan folder and the report each open in the desktop's program; where
// none opens them, a box captioned for what it shows says where it is. Before
// a run has recorded a pager there is no report to open.
TEST_F(FleetWindowTest, OpenReportWaitsForARunAndEachPathBoxSaysWhatItShows) {
    Open({"ttyS0"});
    PickRoster("label,T11,T21\nEngine 1,330.5,1153.4\n");
    const fs::path folder = MakePlan("boxes");
    EXPECT_TRUE(W("FleetOpenFolder")->isEnabled());
    EXPECT_FALSE(W("FleetOpenReport")->isEnabled());
    CheckBoard(0);
    Click("FleetRun");
    Answer();
    ASSERT_TRUE(fs::exists(folder / "report.csv"));
    EXPECT_TRUE(W("FleetOpenReport")->isEnabled());

    openSucceeds_ = false;
    const struct {
        const char* button;
        fs::path path;
        const char* caption;
        const char* why;
    } cases[] = {
        {"FleetOpenFolder", folder, "Plan folder",
         "No file manager could be opened. The plan is in this folder:"},
        {"FleetOpenReport", folder / "report.csv", "Fleet report",
         "No program could open the report. It is this file:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Click(c.button);
        FolderPathBox* box = window_->PathBox();
        ASSERT_TRUE(box->isVisible());
        EXPECT_EQ(box->windowTitle().toStdString(), c.caption);
        EXPECT_EQ(box->Why()->text().toStdString(), c.why);
        EXPECT_EQ(box->Path()->text().toStdString(), c.path.string());
        box->reject();
    }

    // A report moved away meanwhile is not offered.
    fs::rename(folder / "report.csv", dir_.File("moved.csv"));
    opened_.clear();
    Click("FleetOpenReport");
    EXPECT_TRUE(opened_.empty());
    EXPECT_FALSE(W("FleetOpenReport")->isEnabled());
}

// "Open plan…" starts in the folder of the plan last made or opened, after a
// restart too; a folder removed since is no place to start.
TEST_F(FleetWindowTest, OpenPlanStartsWhereTheLastPlanWas) {
    AppSettings().SetLastPlanFolder({});
    Open({"ttyS0"});
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("yesterday");
    window_.reset();  // the program closed and started again

    Open({"ttyS0"});
    dialogs_.requests.clear();
    Click("FleetOpenPlan");  // cancelled
    ASSERT_EQ(dialogs_.requests.size(), 1u);
    EXPECT_EQ(dialogs_.requests[0].initialDir, folder.string());

    fs::remove_all(folder);
    dialogs_.requests.clear();
    Click("FleetOpenPlan");
    ASSERT_EQ(dialogs_.requests.size(), 1u);
    EXPECT_EQ(dialogs_.requests[0].initialDir, QDir::currentPath().toStdString());
    AppSettings().SetLastPlanFolder({});
}

// Two boards, two lanes; each prompt sits in the lane of its board and names
// it; Go programs the pager on that board, Skip records it skipped.
TEST_F(FleetWindowTest, TwoBoardsRunInTwoLanesWithTheirOwnPrompts) {
    Open({"ttyS0", "ttyS1"});
    dialogs_.openAnswers.push_back(kTemplate);
    Click("FleetTemplateButton");
    EXPECT_TRUE(W<QRadioButton>("FleetFileTemplate")->isChecked());
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("run");
    CheckBoard(0);
    CheckBoard(1);
    Click("FleetRun");
    ASSERT_EQ(window_->Lanes().size(), 2u);
    EXPECT_FALSE(W("FleetRun")->isEnabled());
    EXPECT_TRUE(W("FleetStop")->isEnabled());

    const std::vector<std::string> prompts = Answer({"LaneGo", "LaneSkip", "LaneGo"});
    ASSERT_GE(prompts.size(), 3u);
    for (const std::string& prompt : prompts)
        EXPECT_TRUE(prompt ==
                        "Place the next pager on board 1 (Board ttyS0 (ttyS0)) and press Go" ||
                    prompt == "Place the next pager on board 2 (Board ttyS1 (ttyS1)) and press Go")
            << prompt;

    const std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 3u);
    std::set<std::string> labels;
    for (const fleet::ReportLine& line : lines) labels.insert(line.label);
    EXPECT_EQ(labels, (std::set<std::string>{"Engine 1", "Engine 2", "Engine 3"}));
    int written = 0;
    int skipped = 0;
    // A board that took two pagers holds the one written last.
    std::map<std::string, std::string> lastOn;
    for (const fleet::ReportLine& line : lines) {
        if (line.result == fleet::PagerResult::Skipped) {
            ++skipped;
            continue;
        }
        ASSERT_EQ(line.result, fleet::PagerResult::Written) << line.message;
        ++written;
        EXPECT_FALSE(line.backup.empty());
        lastOn[line.port] = line.label;
    }
    EXPECT_EQ(written, 2);
    EXPECT_EQ(skipped, 1);
    for (const auto& [port, label] : lastOn) ExpectHolds(port, folder, label);
    ASSERT_EQ(W<QTableWidget>("FleetResults")->rowCount(), 3);
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 2 of 3");
    EXPECT_TRUE(W("FleetRun")->isEnabled());
}

// Every lane asks at once and takes the next pager free, in roster order, only
// when its own Go is pressed: board 2 first takes Engine 1, board 1 then
// Engine 2. Stop in one lane ends that board alone; the other goes on, and
// once the run is over no lane says it waits.
TEST_F(FleetWindowTest, EachLaneAsksAtOnceAndTakesTheNextPagerOnItsOwnGo) {
    Open({"ttyS0", "ttyS1"});
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("lanes");
    CheckBoard(0);
    CheckBoard(1);
    Click("FleetRun");
    const std::vector<FleetLane*> lanes = window_->Lanes();
    ASSERT_EQ(lanes.size(), 2u);
    auto asking = [&](int lane) { return WaitFor([&] { return lanes[lane]->Go()->isVisible(); }); };
    auto reported = [&](std::size_t count) {
        return WaitFor([&] {
            fleet::FleetReport report(folder);
            return !report.Load() && report.Lines().size() >= count;
        });
    };
    ASSERT_TRUE(asking(0) && asking(1));
    EXPECT_EQ(lanes[0]->Prompt()->text().toStdString(),
              "Place the next pager on board 1 (Board ttyS0 (ttyS0)) and press Go");
    EXPECT_EQ(lanes[1]->Prompt()->text().toStdString(),
              "Place the next pager on board 2 (Board ttyS1 (ttyS1)) and press Go");
    EXPECT_EQ(lanes[0]->State()->text().toStdString(), "waiting for Go");
    for (const char* port : {"ttyS0", "ttyS1"})
        EXPECT_EQ(lines_.at(port)->Board(port).Requests().size(), 0u) << "nothing taken before Go";

    Click(lanes[1]->Go());
    ASSERT_TRUE(reported(1));
    ASSERT_TRUE(asking(1));
    EXPECT_TRUE(lanes[0]->Go()->isVisible()) << "board 1 still asks, untouched";
    Click(lanes[0]->Go());
    ASSERT_TRUE(reported(2));
    ASSERT_TRUE(asking(0));
    Click(lanes[0]->findChild<QPushButton*>(QStringLiteral("LaneStop")));
    ASSERT_TRUE(asking(1));
    EXPECT_TRUE(window_->Running());
    Click(lanes[1]->Go());
    ASSERT_TRUE(WaitFor([&] { return !window_->Running(); }));

    const std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Engine 1", "ttyS1"}, {"Engine 2", "ttyS0"}, {"Engine 3", "ttyS1"}};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].label, expected[i].first);
        EXPECT_EQ(lines[i].port, expected[i].second) << lines[i].label;
        EXPECT_TRUE(lines[i].written()) << lines[i].message;
    }
    ExpectHolds("ttyS0", folder, "Engine 2");
    ExpectHolds("ttyS1", folder, "Engine 3");
    for (FleetLane* lane : lanes) {
        EXPECT_FALSE(lane->Go()->isVisible());
        EXPECT_FALSE(lane->State()->text().contains(QStringLiteral("waiting")))
            << lane->State()->text().toStdString();
    }
}

// A lane whose board is gone hands its pager back: the next Go of a board that
// answers takes it, and the gone board's lane asks no more.
TEST_F(FleetWindowTest, ALaneWhoseBoardIsGoneHandsItsPagerBack) {
    faultsOf_["ttyS0"] = {sim::ParseFault("hangup:1")};
    Open({"ttyS0", "ttyS1"});
    PickRoster("label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,433.7,1321.2\n");
    const fs::path folder = MakePlan("gone");
    CheckBoard(0);
    CheckBoard(1);
    Click("FleetRun");
    const std::vector<FleetLane*> lanes = window_->Lanes();
    ASSERT_EQ(lanes.size(), 2u);
    ASSERT_TRUE(
        WaitFor([&] { return lanes[0]->Go()->isVisible() && lanes[1]->Go()->isVisible(); }));
    Click(lanes[0]->Go());
    const QString gone =
        QString::fromStdString(fleet::DoingText(fleet::BoardDoing::StoppedNotAnswering));
    ASSERT_TRUE(WaitFor([&] { return lanes[0]->State()->text() == gone; }))
        << lanes[0]->State()->text().toStdString();
    EXPECT_EQ(Answer(), (std::vector<std::string>{
                            "Place the next pager on board 2 (Board ttyS1 (ttyS1)) and press Go",
                            "Place the next pager on board 2 (Board ttyS1 (ttyS1)) and press Go"}));

    const std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].label, "Engine 1");
    EXPECT_EQ(lines[0].port, "ttyS0");
    EXPECT_EQ(lines[0].result, fleet::PagerResult::NoBoard);
    EXPECT_EQ(lines[1].label, "Engine 1");
    EXPECT_EQ(lines[1].port, "ttyS1");
    EXPECT_TRUE(lines[1].written()) << lines[1].message;
    EXPECT_EQ(lines[2].label, "Engine 2");
    EXPECT_TRUE(lines[2].written()) << lines[2].message;
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 2 of 2");
}

// Closed in the middle of a run and the plan opened again: each pager's
// result is listed once, as the report has it, and no lane says it waits.
TEST_F(FleetWindowTest, ClosedMidRunAndOpenedAgainListsEachPagerOnce) {
    Open({"ttyS0", "ttyS1"});
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("closed");
    CheckBoard(0);
    CheckBoard(1);
    Click("FleetRun");
    const std::vector<FleetLane*> lanes = window_->Lanes();
    ASSERT_TRUE(
        WaitFor([&] { return lanes[0]->Go()->isVisible() && lanes[1]->Go()->isVisible(); }));
    Click(lanes[0]->Go());
    ASSERT_TRUE(WaitFor([&] { return lanes[0]->Go()->isVisible(); }));
    window_->close();
    ASSERT_FALSE(window_->Running());

    window_->ShowFleet();
    dialogs_.openAnswers.push_back((folder / "plan.json").string());
    Click("FleetOpenPlan");
    const std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].label, "Engine 1");
    ASSERT_EQ(W<QTableWidget>("FleetResults")->rowCount(), 1);
    EXPECT_EQ(Cell("FleetResults", 0, 0), "Engine 1");
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 1 of 3");
    for (FleetLane* lane : window_->Lanes()) {
        EXPECT_FALSE(lane->Go()->isVisible());
        EXPECT_FALSE(lane->State()->text().contains(QStringLiteral("waiting")))
            << lane->State()->text().toStdString();
    }

    // A run again takes only the pagers left.
    CheckBoard(0);
    Click("FleetRun");
    EXPECT_EQ(Answer().size(), 2u);
    std::set<std::string> labels;
    for (const fleet::ReportLine& line : Report(folder))
        EXPECT_TRUE(labels.insert(line.label).second) << line.label;
    EXPECT_EQ(labels.size(), 3u);
    EXPECT_EQ(W<QTableWidget>("FleetResults")->rowCount(), 3);
}

// A pager whose write failed is offered again: Retry programs that one pager
// (and only it); a written pager is not offered.
TEST_F(FleetWindowTest, RetryProgramsAFailedPagerAgain) {
    Open({"ttyS0"}, {sim::ParseFault("bad-ack:12")});
    PickRoster("label,T11,T21\nEngine 1,330.5,1153.4\nEngine 2,433.7,1321.2\n");
    const fs::path folder = MakePlan("retry");
    CheckBoard(0);
    Click("FleetRun");
    Answer({"LaneGo", "LaneStop"});
    std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].label, "Engine 1");
    EXPECT_NE(lines[0].result, fleet::PagerResult::Written);
    auto* results = W<QTableWidget>("FleetResults");
    ASSERT_EQ(results->rowCount(), 1);
    EXPECT_EQ(Cell("FleetResults", 0, 2), std::string(fleet::ResultName(lines[0].result)));
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 0 of 2");

    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualItemRect(results->item(0, 0)).center());
    Click("FleetRetry");
    const std::vector<std::string> prompts = Answer();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0], "Place the next pager on board 1 (Board ttyS0 (ttyS0)) and press Go");
    lines = Report(folder);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].label, "Engine 1");
    EXPECT_EQ(lines[1].result, fleet::PagerResult::Written) << lines[1].message;
    ExpectHolds("ttyS0", folder, "Engine 1");

    ASSERT_EQ(results->rowCount(), 2);
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualItemRect(results->item(1, 0)).center());
    EXPECT_FALSE(W("FleetRetry")->isEnabled());
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 1 of 2");
}

// Ladder 3 written on board 1 and left there: Engine 2 placed on it is
// refused as Ladder 3 (said in the lane), and so is Retry without swapping the
// pager; "Write anyway" on the lane writes Engine 2 over it, that pager only.
TEST_F(FleetWindowTest, APagerWrittenBeforeIsRefusedUntilWriteAnyway) {
    Open({"ttyS0"}, {}, nullptr, /*newPagers=*/false);
    PickRoster("label,T11,T21\nLadder 3,330.5,1153.4\nEngine 2,433.7,1321.2\n");
    const fs::path folder = MakePlan("swap");
    CheckBoard(0);
    Click("FleetRun");
    Answer();
    auto expectRefused = [&](const fleet::ReportLine& line) {
        EXPECT_EQ(line.label, "Engine 2");
        EXPECT_EQ(line.result, fleet::PagerResult::Refused);
        EXPECT_EQ(line.message.rfind("This is 'Ladder 3' (written ", 0), 0u) << line.message;
        EXPECT_TRUE(line.message.ends_with(", not 'Engine 2'. Place 'Engine 2'.")) << line.message;
        ExpectHolds("ttyS0", folder, "Ladder 3");
        ASSERT_EQ(window_->Lanes().size(), 1u);
        FleetLane* lane = window_->Lanes()[0];
        EXPECT_TRUE(lane->Refusal()->isVisible());
        EXPECT_EQ(lane->Refusal()->text().toStdString(), line.message);
        EXPECT_TRUE(lane->WriteAnyway()->isVisible() && lane->WriteAnyway()->isEnabled());
    };
    std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].label, "Ladder 3");
    EXPECT_EQ(lines[0].result, fleet::PagerResult::Written) << lines[0].message;
    expectRefused(lines[1]);

    auto* results = W<QTableWidget>("FleetResults");
    ASSERT_EQ(results->rowCount(), 2);
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualItemRect(results->item(1, 0)).center());
    Click("FleetRetry");
    EXPECT_EQ(Answer().size(), 1u);
    lines = Report(folder);
    ASSERT_EQ(lines.size(), 3u);
    expectRefused(lines[2]);

    Click(window_->Lanes()[0]->WriteAnyway());
    EXPECT_EQ(Answer(), (std::vector<std::string>{
                            "Place the next pager on board 1 (Board ttyS0 (ttyS0)) and press Go"}));
    lines = Report(folder);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3].label, "Engine 2");
    EXPECT_EQ(lines[3].result, fleet::PagerResult::Written) << lines[3].message;
    ExpectHolds("ttyS0", folder, "Engine 2");
    EXPECT_FALSE(window_->Lanes()[0]->Refusal()->isVisible());
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 2 of 2");
}

// An inventory that cannot be opened (a file that is no database) refuses the
// run with why, and the board is never spoken to.
TEST_F(FleetWindowTest, NoRunWithoutTheInventory) {
    std::ofstream(dir_.File("broken.sqlite")) << std::string(4096, 'x');
    ::setenv("MK843NB_INVENTORY", dir_.File("broken.sqlite").c_str(), 1);
    Open({"ttyS0"});
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("broken");
    CheckBoard(0);
    Click("FleetRun");
    EXPECT_FALSE(window_->Running());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].text.rfind("the inventory cannot be used (", 0), 0u)
        << dialogs_.shown[0].text;
    EXPECT_TRUE(W("FleetRun")->isEnabled());
    EXPECT_EQ(lines_.at("ttyS0")->Board("ttyS0").Opens(), 0);
    EXPECT_TRUE(Report(folder).empty());
}

// A folder planned and half run by the command line: the window shows its
// results and programs only the rest; the command line then finds nothing left.
TEST_F(FleetWindowTest, ResumesAPlanFolderTheCommandLineStarted) {
    const std::string roster = dir_.File("roster.csv");
    std::ofstream(roster) << kThreeEngines;
    const fs::path folder = dir_.File("cli plan");
    const test::CliRun plan =
        test::RunCli({"fleet", "plan", kTemplate, roster, "--out", folder.string()});
    ASSERT_EQ(plan.status, 0) << plan.err;
    {
        // The board goes away while the second pager is read, before its write
        // (frame 45; the first pager took 42): the run stops there. The
        // write's paced frames cost real time, so only the first pager's are spent.
        // The operator places the next pager once one is written.
        test::SimProcess board({"--baud", "0", "--fault", "hangup:45", "--new-pager-each-write"});
        const test::CliRun run =
            test::RunCli({"fleet", "run", folder.string(), "--port", board.DevicePath(), "--yes"});
        ASSERT_NE(run.status, 0) << run.out << run.err;
    }
    const std::vector<fleet::ReportLine> before = Report(folder);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_TRUE(before[0].written());
    ASSERT_FALSE(before[1].written());

    Open({"ttyS0"});
    dialogs_.openAnswers.push_back((folder / "plan.json").string());
    Click("FleetOpenPlan");
    ASSERT_EQ(window_->PlanFolder(), folder);
    EXPECT_EQ(W<QTableWidget>("FleetPlanTable")->rowCount(), 3);
    ASSERT_EQ(W<QTableWidget>("FleetResults")->rowCount(), 2);
    EXPECT_EQ(Cell("FleetResults", 0, 0), "Engine 1");
    EXPECT_EQ(Cell("FleetResults", 0, 2), "written");
    EXPECT_EQ(Cell("FleetResults", 1, 0), "Engine 2");
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 1 of 3");

    CheckBoard(0);
    Click("FleetRun");
    EXPECT_EQ(Answer().size(), 2u);
    const std::vector<fleet::ReportLine> after = Report(folder);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[2].label, "Engine 2");
    EXPECT_EQ(after[3].label, "Engine 3");
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 3 of 3");

    test::SimProcess board({"--baud", "0"});
    const test::CliRun again =
        test::RunCli({"fleet", "run", folder.string(), "--port", board.DevicePath(), "--yes"});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("Written and verified: 3 of 3 (3 before this run)"), std::string::npos)
        << again.out;
}

// Stop while a lane asks: the prompt goes, nothing more is programmed, and
// closing the window during a run leaves no thread behind.
TEST_F(FleetWindowTest, StopEndsTheRunAtItsPrompt) {
    Open({"ttyS0"});
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("stop");
    CheckBoard(0);
    Click("FleetRun");
    FleetLane* lane = Asking();
    ASSERT_NE(lane, nullptr);
    Click("FleetStop");
    ASSERT_TRUE(WaitFor([&] { return !window_->Running(); }));
    EXPECT_FALSE(lane->Go()->isVisible());
    EXPECT_TRUE(Report(folder).empty());
    EXPECT_EQ(lines_.at("ttyS0")->Board("ttyS0").Requests().size(), 0u);

    Click("FleetRun");
    ASSERT_NE(Asking(), nullptr);
    window_->close();
    EXPECT_FALSE(window_->Running());
}

// Hands-free on an in-process board whose pager the test places and lifts: no
// prompt, each lane names the label its board waits for, a pager left on the
// board is not programmed again, and Stop ends the waiting.
TEST_F(FleetWindowTest, HandsFreeLanesNameTheLabelEachBoardWaitsFor) {
    Open({"ttyS0"});
    std::atomic<bool> placed = false;
    std::atomic<int> looks = 0;  // requests the board had while its pager stayed on it
    lines_.at("ttyS0")->Board("ttyS0").SetCradle([&]() -> sim::Responder::Cradle {
        if (placed) ++looks;
        return {placed.load(), {}};
    });
    PickRoster(kThreeEngines);
    const fs::path folder = MakePlan("hands-free");
    CheckBoard(0);
    Click("FleetHandsFree");
    Click("FleetRun");
    ASSERT_EQ(window_->Lanes().size(), 1u);
    FleetLane* lane = window_->Lanes().front();
    const auto says = [&](const std::string& text) {
        return WaitFor([&] { return lane->State()->text().toStdString() == text; });
    };
    EXPECT_TRUE(says("waiting for 'Engine 1' to be placed")) << lane->State()->text().toStdString();

    placed = true;
    auto* results = W<QTableWidget>("FleetResults");
    ASSERT_TRUE(WaitFor([&] { return results->rowCount() == 1; }));
    EXPECT_EQ(Cell("FleetResults", 0, 0), "Engine 1");
    EXPECT_EQ(Cell("FleetResults", 0, 2), "written") << Cell("FleetResults", 0, 5);
    EXPECT_TRUE(says("waiting for the pager to be taken off"))
        << lane->State()->text().toStdString();
    // More looks at the board (on its own clock): the pager is still on it.
    const int after = looks;
    ASSERT_TRUE(WaitFor([&] { return looks > after + 4; }));
    QTest::qWait(20);
    EXPECT_EQ(results->rowCount(), 1);

    placed = false;
    EXPECT_TRUE(says("waiting for 'Engine 2' to be placed")) << lane->State()->text().toStdString();
    EXPECT_FALSE(lane->Go()->isVisible());
    Click("FleetStop");
    ASSERT_TRUE(WaitFor([&] { return !window_->Running(); }));
    const std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].written());
    EXPECT_EQ(W<QLabel>("FleetStanding")->text().toStdString(), "Written and verified: 1 of 3");
}

TEST_F(FleetWindowTest, FileFleetOpensTheWindowOnTheMainWindowsPorts) {
    sim::InProcessLine line;
    line.Plug("ttyS0", sim::MakePagerMemory({}));
    MainWindowOptions options;
    options.channels = [&] { return line.MakeChannel(); };
    options.clock = &line.clock;
    MainWindow main(dialogs_, options);
    PortTable table;
    table.entries = {{"ttyS0", "Board A"}, {"ttyS1", ""}};
    main.StartWith(table);
    auto* item = main.findChild<QAction*>(QStringLiteral("Fleet1"));
    ASSERT_NE(item, nullptr);
    // From the keyboard: Alt+F, then the item's own letter.
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_L);
    auto* fleet = main.findChild<FleetWindow*>();
    ASSERT_NE(fleet, nullptr);
    EXPECT_TRUE(fleet->isVisible());
    auto* boards = fleet->findChild<QListWidget*>(QStringLiteral("FleetBoards"));
    ASSERT_EQ(boards->count(), 2);
    EXPECT_EQ(boards->item(0)->text(), QStringLiteral("Board A (ttyS0)"));
    EXPECT_EQ(boards->item(1)->text(), QStringLiteral("ttyS1"));
    item->trigger();  // once made, the same window comes back
    EXPECT_EQ(main.findChildren<FleetWindow*>().size(), 1);
}

// While a fleet runs, the main window's Pager menu leaves the boards to it
// (its own session would share a lane's line) and says so; after the run its
// commands work again.
TEST_F(FleetWindowTest, TheMainWindowsPagerCommandsWaitWhileAFleetRuns) {
    mainLine_.Plug("ttyS0", sim::MakePagerMemory({}));
    MainWindowOptions options;
    options.channels = [this] { return mainLine_.MakeChannel(); };
    options.clock = &mainLine_.clock;
    main_ = std::make_unique<MainWindow>(dialogs_, options);
    PortTable table;
    table.entries = {{"ttyS0", "Board A"}};
    main_->StartWith(table);
    dialogs_.shown.clear();

    Open({"ttyS0"}, {}, main_.get());
    PickRoster(kThreeEngines);
    MakePlan("busy");
    CheckBoard(0);
    Click("FleetRun");
    ASSERT_NE(Asking(), nullptr);
    const int opensBefore = mainLine_.Board("ttyS0").Opens();
    // (Write is on the same guard; its item is off in Modify Mode.)
    for (const char* command : {"Read1", "Verify1", "ComparePager1"}) {
        SCOPED_TRACE(command);
        dialogs_.shown.clear();
        main_->findChild<QAction*>(QString::fromLatin1(command))->trigger();
        EXPECT_EQ(dialogs_.Texts(),
                  std::vector<std::string>{"The Fleet window is programming pagers: Read, Write, "
                                           "Verify and Compare with pager wait until its run "
                                           "ends."});
    }
    EXPECT_EQ(mainLine_.Board("ttyS0").Opens(), opensBefore) << "the main window kept off";

    Click("FleetStop");
    ASSERT_TRUE(WaitFor([&] { return !window_->Running(); }));
    dialogs_.shown.clear();
    main_->findChild<QAction*>(QStringLiteral("Read1"))->trigger();
    EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{"Read Success !"});
}

// File > "Operator…" keeps the name with the window's settings (empty: the
// login name) and a fleet run started from the main window records it as who
// programmed the pager; a cancelled question changes nothing.
TEST_F(FleetWindowTest, TheOperatorsNameFromTheFileMenuGoesIntoTheRecords) {
    test::SimProcess board({"--baud", "0"});
    main_ = std::make_unique<MainWindow>(dialogs_, MainWindowOptions{});
    AppSettings settings;
    settings.SetOperatorName({});
    main_->UseSettings(settings);
    PortTable table;
    table.entries = {{board.DevicePath(), "Bench board"}};
    main_->StartWith(table);
    auto* item = main_->findChild<QAction*>(QStringLiteral("Operator1"));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isVisible());
    dialogs_.textAnswers = {"  Ann Smith ", std::nullopt};
    item->trigger();
    item->trigger();
    ASSERT_EQ(dialogs_.asked.size(), 2u);
    EXPECT_EQ(dialogs_.asked[0].current, "");
    EXPECT_EQ(dialogs_.asked[1].current, "Ann Smith");
    EXPECT_EQ(settings.OperatorName(), QStringLiteral("Ann Smith"));

    main_->findChild<QAction*>(QStringLiteral("Fleet1"))->trigger();
    window_.reset(main_->findChild<FleetWindow*>());
    ASSERT_NE(window_, nullptr);
    PickRoster("label,T11,T21\nEngine 1,330.5,1153.4\n");
    const fs::path folder = MakePlan("operator");
    CheckBoard(0);
    Click("FleetRun");
    Answer();
    const std::vector<fleet::ReportLine> lines = Report(folder);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].written()) << lines[0].message;

    auto opened = inventory::Inventory::Open(inventory::Inventory::DefaultLocation());
    ASSERT_TRUE(opened.ok()) << opened.error;
    const auto pager = (*opened.value)->FindPager("Engine 1");
    ASSERT_TRUE(pager.ok() && *pager.value) << pager.error;
    const auto history = (*opened.value)->History((*pager.value)->id);
    ASSERT_TRUE(history.ok()) << history.error;
    ASSERT_FALSE(history.value->empty());
    for (const inventory::ImageRecord& record : *history.value)
        EXPECT_EQ(record.origin.operatorName, "Ann Smith") << inventory::ImageKindText(record.kind);
    settings.SetOperatorName({});
}

}  // namespace
}  // namespace mk843nb
