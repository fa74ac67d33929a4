// mk843nb-cli fleet plan as a process on real files: what it writes, what it
// refuses, and that the template and roster stay as they were.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_child.h"
#include "cli_process.h"
#include "fleet/digest.h"
#include "fleet_test_support.h"
#include "image/pager_image.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::RunCli;
using test::Slurp;

class FleetPlanCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(MK843NB_FIXTURES "/shipped_default.tbl", templateFile);
        templateBytes = Slurp(templateFile);
    }
    void WriteRoster(const std::string& csv) {
        std::ofstream(rosterFile, std::ios::binary) << csv;
        rosterBytes = csv;
    }
    CliRun Plan(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"fleet", "plan", templateFile, rosterFile, "--out", out};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    }
    void ExpectSourcesUnchanged() {
        EXPECT_EQ(Slurp(templateFile), templateBytes);
        EXPECT_EQ(Slurp(rosterFile), rosterBytes);
    }

    test::TempDir temp;
    std::string templateFile = temp.File("template.tbl");
    std::string rosterFile = temp.File("roster.csv");
    std::string out = temp.File("plan");
    std::string templateBytes;
    std::string rosterBytes;
};

TEST_F(FleetPlanCliTest, AnyRefusalReportsEveryRowAndWritesNothing) {
    WriteRoster(
        "label;T11;T21\n"
        "Ward 1;600.9;832.5\n"
        "Ward 2;100;832.5\n"
        "Ward 1;539.0;1122.5\n");
    const CliRun run = Plan();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "line 3, 'Ward 2', T11: Please insert a number between 288.5 to 2468.2\n"
              "line 4, 'Ward 1', label: the label appears on an earlier row\n"
              "2 refusals; nothing was written\n");
    EXPECT_FALSE(fs::exists(out));
    ExpectSourcesUnchanged();
}

TEST_F(FleetPlanCliTest, APlanHoldsATablePerPagerAndAManifestOfTheirBytes) {
    WriteRoster(
        "\xEF\xBB\xBFlabel,T11,T21,Reminder\n"
        "\"Engine 1, day\",600.9,832.5,\n"
        "Engine/2,539.0,1122.5,\"60  Second\"\n");
    const CliRun run = Plan();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Planned 2 pagers in " + out + "\n");
    ExpectSourcesUnchanged();

    const auto plan = nlohmann::json::parse(Slurp(fs::path(out) / "plan.json"));
    EXPECT_EQ(plan["template"]["sha256"], fleet::Sha256Hex(templateBytes));
    EXPECT_EQ(plan["roster"]["sha256"], fleet::Sha256Hex(rosterBytes));
    EXPECT_EQ(plan["template"]["file"], templateFile);
    ASSERT_EQ(plan["pagers"].size(), 2u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Engine 1, day", "Engine 1_ day.tbl"}, {"Engine/2", "Engine_2.tbl"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& pager = plan["pagers"][i];
        EXPECT_EQ(pager["label"], expected[i].first);
        EXPECT_EQ(pager["file"], expected[i].second);
        EXPECT_EQ(pager["line"], static_cast<int>(i) + 2);
        const std::string table = Slurp(fs::path(out) / expected[i].second);
        ASSERT_EQ(table.size(), kImageSize);
        EXPECT_EQ(pager["sha256"], fleet::Sha256Hex(table));
        PagerImage image{};
        std::copy(table.begin(), table.end(), image.begin());
        char checksum[8];
        std::snprintf(checksum, sizeof checksum, "%04X", ImageChecksum(image));
        EXPECT_EQ(pager["checksum"], checksum);
    }
}

TEST_F(FleetPlanCliTest, EachTableIsWhatSetMakesOfTheTemplateWithTheRowsValues) {
    WriteRoster(
        "label,ResetCon,Delay,Duty2,T12,SYSPow,Freq,RSSI\n"
        "Medic 7,Delay N sec Auto Reset,3,1,1000,1,1600000,0.5\n");
    ASSERT_EQ(Plan().status, 0);
    const std::string bySet = temp.File("by-set.tbl");
    fs::copy_file(templateFile, bySet);
    const CliRun set = RunCli({"set", bySet, "ResetCon=Delay N sec Auto Reset", "Delay=3",
                               "Duty2=1", "T12=1000", "SYSPow=1", "Freq=1600000", "RSSI=0.5"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(Slurp(fs::path(out) / "Medic 7.tbl"), Slurp(bySet));
}

TEST_F(FleetPlanCliTest, SharedCallAddressesWarnAndStrictRefuses) {
    WriteRoster("label,T11,T21\nA,600.9,832.5\nB,600.9,832.5\n");
    // Both rows are flagged, each naming the other.
    const std::string onA =
        "line 2, 'A', T11: same address: 'A' (call 1) has the same address 600.9 (Mot 2, 1) / "
        "832.5 (Mot 2, 7 or GE B', 3) as 'B' (call 1): both ring on one page.\n";
    const std::string onB =
        "line 3, 'B', T11: same address: 'B' (call 1) has the same address 600.9 (Mot 2, 1) / "
        "832.5 (Mot 2, 7 or GE B', 3) as 'A' (call 1): both ring on one page.\n";

    const CliRun strict = Plan({"--strict"});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.err, onA + onB + "2 refusals; nothing was written\n");
    EXPECT_FALSE(fs::exists(out));

    const CliRun lenient = Plan();
    EXPECT_EQ(lenient.status, 0);
    EXPECT_EQ(lenient.err, "warning: " + onA + "warning: " + onB);
    EXPECT_EQ(lenient.out, "Planned 2 pagers in " + out + " (2 warnings)\n");
    const auto plan = nlohmann::json::parse(Slurp(fs::path(out) / "plan.json"));
    ASSERT_EQ(plan["warnings"].size(), 2u);
    EXPECT_EQ(plan["warnings"][0]["label"], "A");
    EXPECT_EQ(plan["warnings"][1]["label"], "B");
}

TEST_F(FleetPlanCliTest, APlanNeverWritesOverItsOwnTemplateOrRoster) {
    // The template sits in the output folder under the name a label makes.
    fs::create_directories(out);
    const std::string inside = (fs::path(out) / "A.tbl").string();
    fs::copy_file(templateFile, inside);
    WriteRoster("label,T11,T21\nA,600.9,832.5\n");
    const CliRun run = RunCli({"fleet", "plan", inside, rosterFile, "--out", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("would replace the template or the roster"), std::string::npos)
        << run.err;
    EXPECT_EQ(Slurp(inside), templateBytes);
    EXPECT_FALSE(fs::exists(fs::path(out) / "plan.json"));
}

TEST_F(FleetPlanCliTest, MissingInputsAreRefusedWithTheirNames) {
    EXPECT_EQ(Plan().status, 1);  // no roster yet
    WriteRoster("label,T11\nA,600.9\n");
    const CliRun run =
        RunCli({"fleet", "plan", temp.File("missing.tbl"), rosterFile, "--out", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Open Error!"), std::string::npos) << run.err;
    EXPECT_EQ(RunCli({"fleet", "plan", templateFile}).status, 2);
}

// A roster that never ends (a named pipe with no writer, the endless device)
// is refused at once, naming the roster and why, and nothing is planned.
TEST_F(FleetPlanCliTest, ARosterThatIsNoRegularFileIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(temp.File("pipe.csv").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", temp.File("zero.csv"));
    struct Case {
        std::string roster;
        std::string why;
    };
    for (const Case& c : {
             Case{temp.File("pipe.csv"), "a named pipe, not a regular file"},
             Case{temp.File("zero.csv"), "a device, not a regular file"},
             Case{"/dev/zero", "a device, not a regular file"},
         }) {
        test::CliChild child({"fleet", "plan", templateFile, c.roster, "--out", out});
        const CliRun run = child.Wait(std::chrono::seconds(10));
        EXPECT_EQ(run.status, 1) << c.roster << " (-1: it did not return)";
        EXPECT_EQ(run.err, c.roster + " cannot be read: " + c.why + "\n");
        EXPECT_FALSE(fs::exists(fs::path(out) / "plan.json"));
    }
}

// Rows sharing addresses give many findings of a kind: the terminal gets the
// first five of each kind and a count of the rest; plan.json keeps every one.
TEST_F(FleetPlanCliTest, RepeatedFindingsAreSummarisedByKindAndAllKeptInThePlan) {
    // Seven addresses, each held by an A and a B pager: fourteen same-address
    // findings, one on each row.
    const std::string b = test::DistinctRoster(7, "B");
    WriteRoster(test::DistinctRoster(7, "A") + b.substr(b.find('\n') + 1));
    const CliRun run = Plan();
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json plan = nlohmann::json::parse(Slurp(fs::path(out) / "plan.json"));
    std::map<std::string, std::size_t> perKind;
    for (const auto& warning : plan["warnings"]) {
        const std::string message = warning["message"];
        ++perKind[message.substr(0, message.find(": "))];
    }
    ASSERT_EQ(perKind["same address"], 14u) << plan["warnings"].dump(1);
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (auto at = run.err.find(text); at != std::string::npos; at = run.err.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("warning: line"), std::min<std::size_t>(perKind["same address"], 5) +
                                          (plan["warnings"].size() - perKind["same address"]))
        << run.err;
    EXPECT_EQ(count("warning: \u2026 and 9 more like this\n"), 1u) << run.err;
    // The summary line follows the last one shown of its kind; each pair's two
    // rows come together.
    EXPECT_NE(run.err.find("same address: 'B 2' (call 1) has the same address"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("same address: 'A 3' (call 1) has the same address"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("'B 3' (call 1) has"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("(" + std::to_string(plan["warnings"].size()) + " warnings)"),
              std::string::npos)
        << run.out;
}

#if defined(__SANITIZE_ADDRESS__)
#define MK843NB_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MK843NB_UNDER_ASAN 1
#endif
#endif

#ifndef MK843NB_UNDER_ASAN
// Memory running out says what was being done, not a bare "std::bad_alloc",
// and leaves no plan behind. (Not under the address sanitizer: its shadow
// memory cannot live under an address-space limit.)
TEST_F(FleetPlanCliTest, RunningOutOfMemorySaysWhatWasBeingDone) {
    std::string roster = "label,T11,T21\n";
    for (int i = 0; i < 100000; ++i)
        roster += "Unit " + std::to_string(i) + "," + (i % 2 ? "600.9,832.5\n" : "539.0,1122.5\n");
    WriteRoster(roster);
    const std::string err = temp.File("err.txt");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{100u << 20, 100u << 20};
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::dup2(fd, STDERR_FILENO) < 0 || ::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(99);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(MK843NB_CLI_PATH, MK843NB_CLI_PATH, "fleet", "plan", templateFile.c_str(),
                rosterFile.c_str(), "--out", out.c_str(), static_cast<char*>(nullptr));
        ::_exit(98);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const std::string said = Slurp(err);
    EXPECT_EQ(WEXITSTATUS(status), 1) << said;
    EXPECT_EQ(said.rfind("Not enough memory while ", 0), 0u) << said;
    EXPECT_EQ(said.find("bad_alloc"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(fs::path(out) / "plan.json"));
}
#endif

}  // namespace
}  // namespace mk843nb
