// mk843nb-cli tones, tones check and tones suggest, and the snapping notices
// of set and fleet plan, as processes on table files that new and set made,
// named by relative paths with folders from the test's working folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

class TonesCliTest : public ::testing::Test {
protected:
    // Runs in the temporary folder, as a user in a shell there.
    CliRun Run(std::vector<std::string> args) { return test::RunCli(std::move(args), temp.Path()); }

    // A table made by new, then its calls set by set: "county/e1.tbl".
    void Table(const std::string& relative, std::vector<std::string> assignments) {
        fs::create_directories((fs::path(temp.Path()) / relative).parent_path());
        ASSERT_EQ(Run({"new", relative}).status, 0) << relative;
        if (assignments.empty()) return;
        std::vector<std::string> args{"set", temp.File(relative)};
        args.insert(args.end(), assignments.begin(), assignments.end());
        const CliRun set = Run(args);
        ASSERT_EQ(set.status, 0) << relative << ": " << set.err;
    }

    test::TempDir temp;
};

TEST_F(TonesCliTest, TheStandardTableListsAll140Tones) {
    const CliRun text = Run({"tones"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 140);
    EXPECT_NE(text.out.find("Mot 2   1    600.9\n"), std::string::npos) << text.out;

    const CliRun json = Run({"tones", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto list = nlohmann::json::parse(json.out);
    ASSERT_EQ(list.size(), 140u);
    EXPECT_EQ(list[11], nlohmann::json::parse(R"({"group": "Mot 2", "index": 1, "hz": 600.9})"));
}

TEST_F(TonesCliTest, CheckFindsTheSameAddressAndSaysItWithStandardNames) {
    Table("county/north/e1.tbl", {"T11=600.9", "T21=634.5"});
    Table("county/north/e2.tbl", {"T11=600.9", "T21=634.5"});
    Table("county/m3.tbl", {"T11=746.8", "T21=788.5"});

    const CliRun run = Run({"tones", "check", "county/north", "county/m3.tbl"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "3 pagers: 1 problem\n"
              "\n"
              "same address: 'e1.tbl' (call 1) and 'e2.tbl' (call 1) have the same address 600.9 "
              "(Mot 2, 1) / 634.5 (Mot 2, 2): both ring on one page.\n");
    EXPECT_EQ(run.err, "1 problem in the tone plan\n");

    const CliRun json = Run({"tones", "check", "county/north", "county/m3.tbl", "--json"});
    EXPECT_EQ(json.status, 1);
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["pagers"], 3);
    EXPECT_EQ(report["shared"], nlohmann::json::array());
    ASSERT_EQ(report["problems"].size(), 1u);
    EXPECT_EQ(report["problems"][0]["kind"], "same-address");
    EXPECT_EQ(report["problems"][0]["pagers"], nlohmann::json::parse(R"(["e1.tbl", "e2.tbl"])"));

    // The station call, shared on purpose: listed once, no problem.
    const CliRun shared =
        Run({"tones", "check", "county", "county/north", "--shared", "600.9/634.5"});
    EXPECT_EQ(shared.status, 0) << shared.out;
    EXPECT_EQ(shared.out,
              "3 pagers: no problems\n"
              "\n"
              "shared on purpose: 600.9 (Mot 2, 1) / 634.5 (Mot 2, 2), held by 'e1.tbl' (call 1) "
              "and 'e2.tbl' (call 1).\n");
}

TEST_F(TonesCliTest, CheckSaysWhoRingsOnWhosePageAcrossTheNearTwins) {
    Table("a/e4.tbl", {"T11=358.6", "T21=600.9"});
    Table("b/m9.tbl", {"T11=358.9", "T21=600.9"});
    const CliRun run = Run({"tones", "check", "a/e4.tbl", "b/m9.tbl"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("within bandwidth: 'm9.tbl' (call 1, ±1.5%) rings on the page of "
                           "'e4.tbl' (call 1): 358.6 (Mot 4, 2) / 600.9 (Mot 2, 1) is 0.08% and "
                           "0.00% from its own 358.9 (Mot A, 0) / 600.9 (Mot 2, 1), within its "
                           "bandwidth. The page's 1 s TONE1 and 3 s TONE2 are long enough for it: "
                           "its Tone1 and Tone2 durations, less their limits, are 0.2 s and 0.2 "
                           "s.\n"),
              std::string::npos)
        << run.out;
}

TEST_F(TonesCliTest, ATableNamedTwiceIsOnePagerWithANote) {
    Table("t/e1.tbl", {"T11=600.9", "T21=634.5"});
    const CliRun run = Run({"tones", "check", "t/e1.tbl", "t", "t/e1.tbl"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "1 pager: no problems\n");
    EXPECT_EQ(run.err,
              "note: t is already in the plan: counted once\n"
              "note: t/e1.tbl is already in the plan: counted once\n");
}

// Each finding's roles in full, for scripts: who pages, who rings. X's two
// calls back to back make Z's address, so X is both the first and the second page.
TEST_F(TonesCliTest, JsonFindingsGiveEachRoleItsFullList) {
    Table("p/x.tbl", {"T11=600.9", "T21=634.5", "Duty2=1", "T12=707.3", "T22=746.8"});
    Table("p/z.tbl", {"T11=634.5", "T21=707.3"});
    Table("p/e4.tbl", {"T11=358.6", "T21=1006.9"});
    Table("p/m9.tbl", {"T11=358.9", "T21=1006.9"});
    // A group call of 1 s: a page's 1 s TONE1 is long enough to set it off.
    Table("p/g.tbl", {"T11=1513.5", "T21=1555.2", "GDuty1=1", "T31=600.9", "--access-code", "HW527",
                      "Tone3Len=10"});
    // A group call of the usual 5 s: no page's TONE1 lasts that long.
    Table("p/g5.tbl", {"T11=1122.5", "T21=1185.2", "GDuty1=1", "T31=600.9"});
    const CliRun run = Run({"tones", "check", "p", "--json"});
    EXPECT_EQ(run.status, 1) << run.err;
    const auto report = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> got;
    for (const auto& problem : report["problems"]) {
        nlohmann::ordered_json roles = problem;
        roles.erase("detail");
        roles.erase("tones");
        got.push_back(roles.dump());
    }
    EXPECT_EQ(got,
              (std::vector<std::string>{
                  R"({"kind":"within-bandwidth","pagers":["e4.tbl","m9.tbl"],"paged":["e4.tbl"],)"
                  R"("rings":["m9.tbl"]})",
                  R"({"kind":"within-bandwidth","pagers":["m9.tbl","e4.tbl"],"paged":["m9.tbl"],)"
                  R"("rings":["e4.tbl"]})",
                  R"({"kind":"stacked-page","pagers":["x.tbl","z.tbl"],"first":["x.tbl"],)"
                  R"("second":["x.tbl"],"rings":["z.tbl"]})",
                  R"({"kind":"group-tone","pagers":["x.tbl","g.tbl"],"paged":["x.tbl"],)"
                  R"("rings":["g.tbl"]})"}));
}

// A harmonic is a warning, asked for with --harmonics: the plan stays clean.
TEST_F(TonesCliTest, HarmonicsAreWarningsOnlyWhenAskedFor) {
    Table("h/a.tbl", {"T11=384.6", "T21=746.8"});
    Table("h/b.tbl", {"T11=1153.4", "T21=2468.2"});
    const CliRun plain = Run({"tones", "check", "h"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "2 pagers: no problems\n");

    const CliRun text = Run({"tones", "check", "h", "--harmonics"});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out,
              "2 pagers: no problems\n"
              "\n"
              "harmonic (a warning): 'b.tbl' (call 1, ±1.5%) may take the third harmonic of 384.6 "
              "(Mot Z, 1), 1153.8 Hz, sent in a page of 'a.tbl' (call 1), for its own 1153.4 (Mot "
              "6, 1) (0.03% apart, within its bandwidth): a possible fault of older reed "
              "decoders.\n");

    const CliRun json = Run({"tones", "check", "h", "--harmonics", "--json"});
    EXPECT_EQ(json.status, 0);
    auto harmonics = nlohmann::ordered_json::parse(json.out)["harmonics"];
    ASSERT_EQ(harmonics.size(), 1u);
    harmonics[0].erase("detail");
    EXPECT_EQ(harmonics[0].dump(),
              R"({"tone":384.6,"multiple":3,"heard":1153.8,"own":1153.4,"sent":["a.tbl"],)"
              R"("rings":["b.tbl"]})");
    EXPECT_FALSE(
        nlohmann::json::parse(Run({"tones", "check", "h", "--json"}).out).contains("harmonics"));
}

TEST_F(TonesCliTest, BadInputIsAUsageErrorOrARefusal) {
    Table("t/a.tbl", {});
    EXPECT_EQ(Run({"tones", "check", "t", "--shared", "600.9"}).status, 2);
    EXPECT_EQ(Run({"tones", "check"}).status, 2);
    EXPECT_EQ(Run({"tones", "suggest", "t", "--count", "0"}).status, 2);
    EXPECT_EQ(Run({"tones", "suggest", "t", "--count", "2", "--bandwidth", "1.6"}).status, 2);

    const CliRun missing = Run({"tones", "check", "t/nope.tbl"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "t/nope.tbl: no such file or folder\n");
    fs::create_directories(fs::path(temp.Path()) / "empty");
    EXPECT_EQ(Run({"tones", "check", "empty"}).err, "empty holds no table files (*.tbl)\n");
    std::ofstream(temp.File("t/short.tbl")) << "not a table";
    EXPECT_EQ(Run({"tones", "check", "t"}).err,
              "t/short.tbl is not a table file (11 bytes; a table file holds 256)\n");
}

TEST_F(TonesCliTest, SuggestedPairsPassTheCheckOnceTablesHoldThem) {
    Table("plan/e1.tbl", {"T11=600.9", "T21=634.5"});
    Table("plan/e2.tbl", {"T21=746.8", "T11=707.3"});
    const CliRun suggest = Run({"tones", "suggest", "plan", "--count", "3", "--json"});
    ASSERT_EQ(suggest.status, 0) << suggest.err;
    const auto found = nlohmann::json::parse(suggest.out);
    EXPECT_EQ(found["pagers"], 2);
    EXPECT_EQ(found["bandwidth"], 1.5);
    ASSERT_EQ(found["suggestions"].size(), 3u);
    int n = 0;
    for (const auto& suggestion : found["suggestions"]) {
        const std::string file = "plan/new" + std::to_string(++n) + ".tbl";
        Table(file, {"T11=" + suggestion["address"].get<std::string>().substr(
                                  0, suggestion["address"].get<std::string>().find('/')),
                     "T21=" + suggestion["address"].get<std::string>().substr(
                                  suggestion["address"].get<std::string>().find('/') + 1)});
    }
    const CliRun check = Run({"tones", "check", "plan"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, "5 pagers: no problems\n");
}

TEST_F(TonesCliTest, SetSaysASnappedToneAndExactRefusesIt) {
    Table("t/a.tbl", {});
    const std::string file = temp.File("t/a.tbl");
    const std::vector<std::uint8_t> before = test::ReadFileBytes(file);

    const CliRun exact = Run({"set", "--exact", file, "T21=634.5", "T11=600"});
    EXPECT_EQ(exact.status, 1);
    EXPECT_EQ(exact.err,
              "T11: 600.0 is not a standard tone (the nearest is 600.9 (Mot 2, 1)); with --exact "
              "nothing is snapped\n");
    EXPECT_EQ(test::ReadFileBytes(file), before);

    EXPECT_EQ(Run({"set", "--exact", file, "T11=600.9", "T21=634.5"}).status, 0);
    const CliRun snapped = Run({"set", file, "T11=600", "GDuty1=1", "T31=1000"});
    EXPECT_EQ(snapped.status, 0);
    EXPECT_EQ(snapped.err,
              "T11: 600.0 is not a standard tone; 600.9 (Mot 2, 1) stored\n"
              "T31: 1000.0 is not a standard tone; 1006.9 (Mot 3, 7) stored\n");
    // User Mode takes tones as typed: nothing to say.
    EXPECT_EQ(Run({"set", "--user-mode", "--exact", file, "T11=600"}).err, "");
}

TEST_F(TonesCliTest, AFleetPlanSharesWhatEveryRowKeepsAndSaysItsSnaps) {
    Table("t/template.tbl", {"T11=600.9", "T21=634.5", "Duty2=1", "T12=707.3", "T22=746.8"});
    std::ofstream(temp.File("t/roster.csv")) << "label,T12,T22\n"
                                                "Engine 1,1006.9,1513.5\n"
                                                "Engine 2,1000,1555.2\n"
                                                "Engine 3,1122.5,1185.2\n";
    const CliRun plan =
        Run({"fleet", "plan", "t/template.tbl", "t/roster.csv", "--out", "out/plan", "--strict"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    // Engine 2's TONE1 snaps to Engine 1's: the same address, but the roster
    // changes TONE2 as well, so only the station call is shared.
    EXPECT_EQ(plan.err,
              "line 3, 'Engine 2', T12: 1000.0 is not a standard tone; 1006.9 (Mot 3, 7) stored\n"
              "shared on purpose (every row keeps it from the template): 600.9 (Mot 2, 1) / "
              "634.5 (Mot 2, 2)\n");

    const CliRun exact =
        Run({"fleet", "plan", "t/template.tbl", "t/roster.csv", "--out", "out/exact", "--exact"});
    EXPECT_EQ(exact.status, 1);
    EXPECT_NE(exact.err.find("line 3, 'Engine 2', T12: 1000.0 is not a standard tone (the "
                             "nearest is 1006.9 (Mot 3, 7)); with --exact nothing is snapped\n"),
              std::string::npos)
        << exact.err;

    // The plan folder: labels from plan.json, its shared station call shared.
    const CliRun check = Run({"tones", "check", "out/plan", "--json"});
    EXPECT_EQ(check.status, 0) << check.out;
    const auto report = nlohmann::json::parse(check.out);
    EXPECT_EQ(report["pagers"], 3);
    ASSERT_EQ(report["shared"].size(), 1u);
    EXPECT_EQ(report["shared"][0]["address"], "600.9/634.5");
    EXPECT_EQ(report["shared"][0]["pagers"],
              nlohmann::json::parse(R"(["Engine 1", "Engine 2", "Engine 3"])"));
}

}  // namespace
}  // namespace mk843nb
