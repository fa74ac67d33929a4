// mk843nb-cli show and set, run as processes on real files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_child.h"
#include "cli_process.h"
#include "editor/control_catalog.h"
#include "image/pager_image.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::RunCli;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ShowSetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunCli({"new", file}).status, 0); }

    nlohmann::ordered_json Json() const {
        const CliRun run = RunCli({"show", "--json", file});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::ordered_json::parse(run.out);
    }
    void WriteImage(const PagerImage& image) const {
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), image.size());
    }

    test::TempDir temp;
    fs::path dir{temp.Path()};
    std::string file{temp.File("pager.tbl")};
};

TEST_F(ShowSetTest, ShowJsonListsEveryFieldAsTheWindowShowsIt) {
    const auto json = Json();
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) keys.push_back(key);
    std::vector<std::string> expected;
    for (const ListedField& field : ListedFields()) expected.emplace_back(field.field);
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(json["Freq"], "1590000");
    EXPECT_EQ(json["CSpace"], "Auto");
    EXPECT_EQ(json["PLLR"], "00008011");
    EXPECT_EQ(json["RSSI"], "0.71");
    EXPECT_EQ(json["Delay"], "8.0");
    EXPECT_EQ(json["T11"], "669.9");
    EXPECT_EQ(json["Reminder"], "120 Second");
    EXPECT_EQ(json["PTL"], "Disable");
    EXPECT_EQ(json["BandWidth"], "1.5");
    EXPECT_EQ(json["Duty1"], 1);
    EXPECT_EQ(json["Duty2"], 0);
    EXPECT_EQ(json["Tone3Len"], "50");
}

TEST_F(ShowSetTest, ShowRunsTheRefreshRulesAndReportsTheirMessages) {
    PagerImage image = DefaultImage();
    image[70] = 100;  // Reminder
    image[4] = 9;     // 199.0000 MHz, outside 135-174 MHz
    WriteImage(image);
    const CliRun run = RunCli({"show", "--json", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(nlohmann::json::parse(run.out)["Reminder"], "60  Second");
    EXPECT_NE(run.err.find("Frequency setting error(1350000 < = Frequency < =1740000 )\n"),
              std::string::npos);
    EXPECT_EQ(Slurp(file), std::string(image.begin(), image.end())) << "show never writes";
}

TEST_F(ShowSetTest, ShowTextGroupsByPage) {
    const CliRun run = RunCli({"show", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("[Config]\n"), std::string::npos);
    EXPECT_NE(run.out.find("  Battery Save: 15 x 10 ms\n"), std::string::npos);
    EXPECT_NE(run.out.find("  Delay Time: 8.0 Second  (hidden)\n"), std::string::npos);
    EXPECT_LT(run.out.find("[Setting]"), run.out.find("[Config]"));
}

TEST_F(ShowSetTest, ShowOfAMissingFile) {
    const CliRun run = RunCli({"show", "none.tbl"}, dir.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Open Error!\nnone.tbl: No such file or directory\n");
}

// A named pipe nothing writes to, given where a table file belongs, would keep
// the command waiting for ever; every command that reads one refuses it at once.
TEST_F(ShowSetTest, ANamedPipeIsRefusedAtOnceByEveryReader) {
    ASSERT_EQ(::mkfifo((dir / "pipe.tbl").c_str(), 0600), 0);
    std::ofstream(dir / "roster.csv") << "label,T11\nA,600.9\n";
    const std::string why = "Open Error!\npipe.tbl: a named pipe, not a regular file\n";
    struct Case {
        std::vector<std::string> args;
    };
    for (const Case& c : {
             Case{{"show", "pipe.tbl"}},
             Case{{"show", "--json", "pipe.tbl"}},
             Case{{"set", "pipe.tbl", "BS_Period=3"}},
             Case{{"diff", "pipe.tbl", "pager.tbl"}},
             Case{{"fleet", "plan", "pipe.tbl", "roster.csv", "--out", "plan"}},
         }) {
        test::CliChild child(c.args, "", dir.string());
        const CliRun run = child.Wait(std::chrono::seconds(10));
        EXPECT_EQ(run.status, 1) << c.args[0] << " (-1: it did not return)";
        EXPECT_EQ(run.err, why) << c.args[0];
    }
    EXPECT_FALSE(fs::exists(dir / "plan" / "plan.json"));
}

TEST_F(ShowSetTest, SetMakesEachAssignmentInOrderAndSaves) {
    const CliRun run = RunCli({"set", file, "ResetCon=Delay N sec Auto Reset", "Delay=3", "Duty2=1",
                               "T12=1000", "SYSPow=1", "Freq=1600000", "RSSI=0.5"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = Slurp(file);
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes[67], 1);
    EXPECT_EQ(bytes[68], 6);
    EXPECT_EQ(bytes[48], 3);
    EXPECT_EQ(GetWord(*reinterpret_cast<const PagerImage*>(bytes.data()), 196), 10069)
        << "snapped in Standard Mode";
    EXPECT_EQ(bytes[64], 43);
    const auto json = Json();
    EXPECT_EQ(json["Delay"], "3.0");
    EXPECT_EQ(json["SYSPow"], 1);
    EXPECT_EQ(json["Freq"], "1600000");
}

TEST_F(ShowSetTest, SetTakesMegahertzAndListItemsAsAPersonWritesThem) {
    const CliRun run = RunCli({"set", file, "Freq=154.43MHz", "Reminder=60 second"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = Json();
    EXPECT_EQ(json["Freq"], "1544300");
    EXPECT_EQ(json["Reminder"], "60  Second");
}

TEST_F(ShowSetTest, UserModeStoresTheTypedTone) {
    ASSERT_EQ(RunCli({"set", "--user-mode", file, "T11=1000"}).status, 0);
    EXPECT_EQ(Json()["T11"], "1000.0");
}

TEST_F(ShowSetTest, TheFirstRefusalLeavesTheFileUntouched) {
    struct Case {
        std::vector<std::string> assignments;
        const char* message;
    };
    const std::string before = Slurp(file);
    for (const Case& c : {
             // Which of several assignments was refused, the value typed, and what is wrong.
             Case{{"SYSPow=1", "BS_Period=256"},
                  "BS_Period (Battery Save): 256: Please insert a number between 0 to 255\n"},
             Case{{"BS_Period=1.5"}, "BS_Period (Battery Save): 1.5: Please insert a numeric!\n"},
             Case{{"Delay=3"}, "Delay (Delay Time): 3: hidden and cannot be set\n"},
             Case{{"T12=500"}, "T12 (CALL #2 TONE1): 500: disabled and cannot be set\n"},
             Case{{"PLLR=1"}, "PLLR (PLLR): 1: shown only and cannot be set\n"},
             Case{{"Nothing=1"}, "Unknown field 'Nothing'\n"},
             Case{{"Reminder=90 Second"},
                  "Reminder (Reminder): '90 Second' is not an item; the items are \"Disable\", "
                  "\"30  Second\", \"60  Second\", \"120 Second\"\n"},
             Case{{"Freq=1590010"}, "Freq (Frequency): 1590010: Channel Spacing Error!\n"},
             Case{{"Freq=154.4300"},
                  "Freq (Frequency): '154.4300' cannot be typed: the field takes hundreds of "
                  "hertz, 1350000 to 1740000 (135-174 MHz) or 4000000 to 4990000 (400-499 MHz), "
                  "on the channel spacing: 154.43 MHz is 1544300, also written 154.43MHz\n"},
             Case{{"T11=100"},
                  "T11 (CALL #1 TONE1): 100: Please insert a number between 288.5 to 2468.2\n"},
             Case{{"T11=707.3"},
                  "T11 (CALL #1 TONE1): 707.3: Tone Frequency Error!\n\nPlease check the tone "
                  "spacing "
                  "rule. \n[1]Two tones in the same call address should not be the same.\n[2]Any "
                  "two tones should be separated by minimum of 1.5%. \n\nThe original tone "
                  "frequency is restored.\n"},
             Case{{"AutoMonitor=3.3"},
                  "AutoMonitor (Auto Monitor key time): 3.3: The interval is 0.5 second.\n"},
             Case{{"GapMax=3"},
                  "GapMax (Gap MAX.): 3: on the Advance Setting page, which is hidden until the "
                  "access code is given\n"},
             Case{{"SYSSV=2"}, "SYSSV (Save voice): 2: takes 0 or 1\n"},
         }) {
        std::vector<std::string> args = {"set", file};
        args.insert(args.end(), c.assignments.begin(), c.assignments.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 1) << c.assignments.back();
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(Slurp(file), before) << c.assignments.back();
    }
}

TEST_F(ShowSetTest, TheAccessCodeOpensTheAdvanceSettingPage) {
    EXPECT_EQ(RunCli({"set", "--access-code", "nope", file, "GapMax=3"}).err,
              "Password is Error !\n");
    const CliRun run =
        RunCli({"set", "--access-code", "hw527", file, "BandWidth=2.1", "GapMax=255"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = Slurp(file);
    EXPECT_EQ(bytes[49], 10);
    EXPECT_EQ(static_cast<unsigned char>(bytes[78]), 255);
    EXPECT_EQ(RunCli({"set", "--access-code", "HW527", file, "GapMax=256"}).err,
              "GapMax (Gap MAX.): 256: Please insert a number between 0 to 255\n");
}

// Each fixture opened as it is: what show --json lists was checked by hand once
// and is kept beside this file, so a change in any rule of the refresh shows here.
TEST_F(ShowSetTest, FixturesShowTheirStoredListing) {
    for (const char* name :
         {"shipped_default", "other_model", "mk842_short_250", "short_10_bytes"}) {
        const CliRun run =
            RunCli({"show", "--json", std::string(MK843NB_FIXTURES) + "/" + name + ".tbl"});
        EXPECT_EQ(run.status, 0) << name;
        const fs::path expected = fs::path(MK843NB_SOURCE_DIR) / "tests/cli/show_expected" /
                                  (std::string(name) + ".json");
        EXPECT_EQ(nlohmann::ordered_json::parse(run.out),
                  nlohmann::ordered_json::parse(Slurp(expected)))
            << name;
    }
}

}  // namespace
}  // namespace mk843nb
