// mk843nb-cli fleet export as a process: the roster it writes plans the same
// tables again, byte for byte, and a table no roster can make is refused.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_child.h"
#include "cli_process.h"
#include "fleet_test_support.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::RunCli;
using test::Slurp;

struct RoundTripCase {
    std::string name;
    std::string templateFixture;
    // Tables made from a fixture by set: the fixture, then NAME=VALUE assignments.
    std::vector<std::pair<std::string, std::vector<std::string>>> tables;
};

class FleetExportTest : public ::testing::Test {
protected:
    std::string MakeTable(const std::string& name, const std::string& fixture,
                          const std::vector<std::string>& assignments) {
        const std::string file = temp.File(name + ".tbl");
        fs::copy_file(std::string(MK843NB_FIXTURES "/") + fixture, file);
        if (!assignments.empty()) {
            std::vector<std::string> args{"set", file};
            args.insert(args.end(), assignments.begin(), assignments.end());
            const CliRun set = RunCli(args);
            EXPECT_EQ(set.status, 0) << set.err;
        }
        return file;
    }
    test::TempDir temp;
};

TEST_F(FleetExportTest, TheExportedRosterPlansEveryFixtureTableAgainByteForByte) {
    const std::vector<RoundTripCase> cases{
        {"the template's own values", "shipped_default.tbl", {{"same", {"T11=669.9"}}}},
        {"tones, a call switched on, list items, levels, a frequency",
         "shipped_default.tbl",
         {{"Engine 1", {"T11=600.9", "T21=832.5"}},
          {"Engine 2", {"Duty2=1", "T12=1000", "T22=1513.5", "Reminder=60  Second"}},
          {"Medic 7",
           {"RSSI=0.5", "SSI=0.82", "Freq=1600000", "ResetCon=Delay N sec Auto Reset", "Delay=3",
            "SYSPow=1"}}}},
        {"another model's template and tables",
         "other_model.tbl",
         {{"Other 1", {"T11=539.0"}}, {"Other 2", {"BS_Period=40"}}}},
    };
    for (const RoundTripCase& c : cases) {
        const std::string templateFile = temp.File("template.tbl");
        fs::remove(templateFile);
        fs::copy_file(std::string(MK843NB_FIXTURES "/") + c.templateFixture, templateFile);
        std::vector<std::string> args{"fleet", "export"};
        for (const auto& [label, assignments] : c.tables) {
            fs::remove(temp.File(label + ".tbl"));
            args.push_back(MakeTable(label, c.templateFixture, assignments));
        }
        const std::string roster = temp.File("exported.csv");
        args.insert(args.end(), {"--out", roster, "--template", templateFile});
        const CliRun exported = RunCli(args);
        ASSERT_EQ(exported.status, 0) << c.name << "\n" << exported.err;

        const std::string out = temp.File("replanned");
        fs::remove_all(out);
        const CliRun plan = RunCli({"fleet", "plan", templateFile, roster, "--out", out});
        ASSERT_EQ(plan.status, 0) << c.name << "\n" << plan.err << Slurp(roster);
        for (const auto& [label, assignments] : c.tables)
            EXPECT_EQ(Slurp(fs::path(out) / (label + ".tbl")), Slurp(temp.File(label + ".tbl")))
                << c.name << ": " << label << "\n"
                << Slurp(roster);
    }
}

TEST_F(FleetExportTest, ColumnsAreTheFieldsThatDifferInFieldOrderAndCellsOnlyWhereTheyDiffer) {
    const std::string a = MakeTable("A", "shipped_default.tbl", {"T21=832.5", "Duty2=1"});
    const std::string b = MakeTable("B", "shipped_default.tbl", {"T11=600.9"});
    const CliRun run = RunCli({"fleet", "export", a, b, "--out", temp.File("r.csv"), "--template",
                               MK843NB_FIXTURES "/shipped_default.tbl"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(temp.File("r.csv")),
              "label,T11,T21,Duty2\r\n"
              "A,,832.5,1\r\n"
              "B,600.9,,\r\n");
    EXPECT_EQ(run.out, "Exported 2 pagers to " + temp.File("r.csv") + " (T11, T21, Duty2)\n");
}

TEST_F(FleetExportTest, APlanFolderExportsItsRosterWithAssetsAndNotes) {
    const std::string roster = temp.File("roster.csv");
    std::ofstream(roster, std::ios::binary) << "sep=;\nLabel;Asset;t21;T11;Note\n"
                                               "Engine 1;SN-1;832,5;600,9;cab\n"
                                               "Engine 2;SN-2;1122,5;539,0;\"night; shift\"\n";
    const std::string first = temp.File("first");
    ASSERT_EQ(
        RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl", roster, "--out", first})
            .status,
        0);
    const std::string exported = temp.File("exported.csv");
    const CliRun run = RunCli({"fleet", "export", first, "--out", exported});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(exported),
              "label,T11,T21,asset,note\r\n"
              "Engine 1,600.9,832.5,SN-1,cab\r\n"
              "Engine 2,539.0,1122.5,SN-2,\"night; shift\"\r\n");

    const std::string second = temp.File("second");
    ASSERT_EQ(RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl", exported, "--out",
                      second})
                  .status,
              0);
    const auto firstPlan = nlohmann::json::parse(Slurp(fs::path(first) / "plan.json"));
    const auto secondPlan = nlohmann::json::parse(Slurp(fs::path(second) / "plan.json"));
    ASSERT_EQ(secondPlan["pagers"].size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& was = firstPlan["pagers"][i];
        const auto& now = secondPlan["pagers"][i];
        EXPECT_EQ(now["sha256"], was["sha256"]);
        EXPECT_EQ(now["asset"], was["asset"]);
        EXPECT_EQ(now["note"], was["note"]);
        EXPECT_EQ(Slurp(fs::path(second) / now["file"].get<std::string>()),
                  Slurp(fs::path(first) / was["file"].get<std::string>()));
    }
}

// Texts a spreadsheet would run as formulas leave as text and come back as they were.
TEST_F(FleetExportTest, FormulaCellsAreExportedAsTextAndPlanTheSameFolderAgain) {
    const std::string roster = temp.File("roster.csv");
    std::ofstream(roster, std::ios::binary)
        << "label,T11,asset,note\n"
           "\"=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",600.9,@SN-1,+night\n"
           "Ward 2,539.0,-SN-2,'\t-1+1\n";
    const std::string first = temp.File("first");
    const CliRun plan =
        RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl", roster, "--out", first});
    ASSERT_EQ(plan.status, 0) << plan.err;
    const std::string exported = temp.File("exported.csv");
    const CliRun run = RunCli({"fleet", "export", first, "--out", exported});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(exported),
              "label,T11,asset,note\r\n"
              "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",600.9,'@SN-1,'+night\r\n"
              "Ward 2,539.0,'-SN-2,'\t-1+1\r\n");

    const std::string second = temp.File("second");
    ASSERT_EQ(RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl", exported, "--out",
                      second})
                  .status,
              0);
    const auto firstPlan = nlohmann::json::parse(Slurp(fs::path(first) / "plan.json"));
    const auto secondPlan = nlohmann::json::parse(Slurp(fs::path(second) / "plan.json"));
    EXPECT_EQ(firstPlan["pagers"][0]["label"], "=HYPERLINK(\"http://x\",\"y\")");
    EXPECT_EQ(firstPlan["pagers"][1]["note"], "\t-1+1");
    ASSERT_EQ(secondPlan["pagers"].size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
        for (const char* key : {"label", "asset", "note", "sha256"})
            EXPECT_EQ(secondPlan["pagers"][i][key], firstPlan["pagers"][i][key]) << key;
    const std::string again = temp.File("again.csv");
    ASSERT_EQ(RunCli({"fleet", "export", second, "--out", again}).status, 0);
    EXPECT_EQ(Slurp(again), Slurp(exported));
}

struct RefusedExport {
    std::string name;
    std::vector<std::string> args;  // after "fleet export"
    std::string message;            // part of stderr
};

TEST_F(FleetExportTest, WhatNoRosterCanMakeIsRefusedAndNothingWritten) {
    const std::string out = temp.File("refused.csv");
    const std::string shipped = MK843NB_FIXTURES "/shipped_default.tbl";
    const std::vector<RefusedExport> cases{
        {"another model's text",
         {MK843NB_FIXTURES "/other_model.tbl", "--template", shipped},
         MK843NB_FIXTURES "/other_model.tbl: a roster cannot make this table from the template: "
                          "byte 244 (ModelTag) would be 32, the table has 33"},

        {"a short table",
         {MK843NB_FIXTURES "/mk842_short_250.tbl", "--template", shipped},
         "mk842_short_250.tbl: not a table of 256 bytes (250)"},
        {"a table that cannot be read",
         {temp.File("none.tbl"), "--template", shipped},
         "Open Error!\n" + temp.File("none.tbl") + ": No such file or directory"},
        {"tables without a template", {shipped}, "give --template"},
        {"a folder that is no plan", {temp.Path()}, "is it a folder made by fleet plan?"},
    };
    for (const RefusedExport& c : cases) {
        std::vector<std::string> args{"fleet", "export", "--out", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = RunCli(args);
        EXPECT_NE(run.status, 0) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << "\n" << run.err;
        EXPECT_FALSE(fs::exists(out)) << c.name;
    }
}

TEST_F(FleetExportTest, ATableNeverSavedByThisProgramIsMadeAsTheWindowOpensItAndSaysSo) {
    const std::string shipped = MK843NB_FIXTURES "/shipped_default.tbl";
    const CliRun run =
        RunCli({"fleet", "export", shipped, "--out", temp.File("r.csv"), "--template", shipped});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "note: " + shipped +
                           ": opening it changes byte 121 (PLLR); the roster makes the table as "
                           "the window opens it\n");
    EXPECT_EQ(Slurp(temp.File("r.csv")), "label\r\nshipped_default\r\n");
}

// A plan.json whose template names something that never ends (the endless
// device, a named pipe with no writer) is refused at once, naming the file and
// why, and no roster is written; a plan.json that is itself a pipe too.
TEST_F(FleetExportTest, ATemplateOrPlanThatIsNoRegularFileIsRefusedAtOnce) {
    const std::string roster = temp.File("roster.csv");
    std::ofstream(roster) << "label,T11\nEngine 1,600.9\n";
    const std::string folder = temp.File("plan");
    ASSERT_EQ(
        RunCli({"fleet", "plan", MK843NB_FIXTURES "/shipped_default.tbl", roster, "--out", folder})
            .status,
        0);
    const fs::path manifest = fs::path(folder) / "plan.json";
    const std::string planned = Slurp(manifest);
    ASSERT_EQ(::mkfifo(temp.File("pipe.tbl").c_str(), 0600), 0);
    struct Case {
        std::string templateFile;  // "" for plan.json itself a named pipe
        std::string message;
    };
    for (const Case& c : {
             Case{"/dev/zero", "/dev/zero cannot be read (a device, not a regular file)"},
             Case{temp.File("pipe.tbl"),
                  temp.File("pipe.tbl") + " cannot be read (a named pipe, not a regular file)"},
             Case{"", manifest.string() + " cannot be read (a named pipe, not a regular file)"},
         }) {
        fs::remove(manifest);
        if (c.templateFile.empty()) {
            ASSERT_EQ(::mkfifo(manifest.c_str(), 0600), 0);
        } else {
            nlohmann::json plan = nlohmann::json::parse(planned);
            plan["template"]["file"] = c.templateFile;
            std::ofstream(manifest) << plan.dump(2);
        }
        const std::string out = temp.File("exported.csv");
        test::CliChild child({"fleet", "export", folder, "--out", out});
        const CliRun run = child.Wait(std::chrono::seconds(10));
        EXPECT_EQ(run.status, 1) << c.message << " (-1: it did not return)";
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

}  // namespace
}  // namespace mk843nb
