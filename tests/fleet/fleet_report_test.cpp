// The run report's files: written by the program's one atomic writer, so a
// report the user made private stays private, and a new one follows the umask.

#include "fleet/fleet_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "fleet/plan_folder.h"
#include "test_files.h"

namespace mk843nb::fleet {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return 0;
    return status.st_mode & 07777;
}

ReportLine Line(const std::string& label) {
    ReportLine line;
    line.label = label;
    line.port = "/dev/ttyUSB0";
    line.start = "2026-12-10T13:25:06Z";
    line.result = PagerResult::Written;
    return line;
}

TEST(FleetReportFiles, KeepTheirModeAndNewOnesFollowTheUmask) {
    const test::TempDir folder;
    const fs::path csv = fs::path(folder.Path()) / kReportCsvName;
    const fs::path json = fs::path(folder.Path()) / kReportJsonName;

    const mode_t previous = ::umask(027);
    FleetReport report(folder.Path());
    ASSERT_FALSE(report.Load());
    const bool first = report.Append(Line("Ward 1"));
    ::umask(previous);
    ASSERT_TRUE(first);
    EXPECT_EQ(ModeOf(csv), 0640u);
    EXPECT_EQ(ModeOf(json), 0640u);

    // The user keeps the report to themselves; the next line does not undo that.
    ASSERT_EQ(::chmod(csv.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(json.c_str(), 0600), 0);
    ASSERT_TRUE(report.Append(Line("Ward 2")));
    EXPECT_EQ(ModeOf(csv), 0600u);
    EXPECT_EQ(ModeOf(json), 0600u);

    FleetReport again(folder.Path());
    ASSERT_FALSE(again.Load());
    EXPECT_EQ(again.Lines().size(), 2u);
}

// The run's report.json and the plan's plan.json, when they are a named pipe
// with no writer or a link to the endless device, are refused at once with
// the file's name and why, instead of waiting or reading without end.
TEST(FleetFolderFiles, ThatAreNoRegularFileAreRefusedAtOnceWithTheirNameAndWhy) {
    struct Case {
        std::string name;
        bool pipe;  // else a link to /dev/zero
        std::string why;
    };
    for (const Case& c : {
             Case{"a named pipe", true, "a named pipe, not a regular file"},
             Case{"the endless device", false, "a device, not a regular file"},
         }) {
        const test::TempDir folder;
        const fs::path report = fs::path(folder.Path()) / kReportJsonName;
        const fs::path plan = fs::path(folder.Path()) / kPlanFileName;
        for (const fs::path& path : {report, plan}) {
            if (c.pipe)
                ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            else
                fs::create_symlink("/dev/zero", path);
        }
        FleetReport reader(folder.Path());
        EXPECT_EQ(reader.Load(), report.string() + " cannot be read: " + c.why) << c.name;
        const PlanLoad load = LoadPlanFolder(folder.Path());
        EXPECT_FALSE(load.manifest) << c.name;
        EXPECT_EQ(load.error, plan.string() + " cannot be read (" + c.why +
                                  "): is it a folder made by fleet plan?")
            << c.name;
    }
}

// A plan or report damaged by hand is named with what is wrong in plain words,
// never with the JSON library's own tags, and nothing is taken from it.
TEST(FleetFilesDamaged, SayWhatIsWrongWithoutTheLibrarysTags) {
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case plans[] = {
        {"[1, 2]", "found an array where an object belongs"},
        {"{\"version\": 1, \"pagers\": \"x\"}", ""},  // any plain reason
        {"{\"pagers\": 5}", ""},
        {"{", "parse error at line 1"},
    };
    for (const Case& c : plans) {
        const test::TempDir folder;
        std::ofstream(fs::path(folder.Path()) / kPlanFileName) << c.text;
        const PlanLoad load = LoadPlanFolder(folder.Path());
        EXPECT_FALSE(load.manifest) << c.text;
        const std::string prefix =
            (fs::path(folder.Path()) / kPlanFileName).string() + " is not a usable plan: ";
        EXPECT_EQ(load.error.substr(0, prefix.size()), prefix) << load.error;
        EXPECT_EQ(load.error.find("json.exception"), std::string::npos) << load.error;
        EXPECT_GT(load.error.size(), prefix.size() + 8) << load.error;
        if (*c.reason != '\0') {
            EXPECT_EQ(load.error.substr(prefix.size(), std::string(c.reason).size()), c.reason)
                << load.error;
        }
    }
    const Case reports[] = {
        {"{\"pagers\": [{\"label\": 7, \"result\": \"written\"}]}",
         "a value's type must be string, but is number"},
        {"{\"pagers\": [\"Ward 1\"]}", "found a string where an object belongs"},
        {"{}", "key 'pagers' not found"},
    };
    for (const Case& c : reports) {
        const test::TempDir folder;
        std::ofstream(fs::path(folder.Path()) / kReportJsonName) << c.text;
        FleetReport report(folder.Path());
        const auto error = report.Load();
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(*error, (fs::path(folder.Path()) / kReportJsonName).string() +
                              " is not a usable report: " + c.reason);
        EXPECT_TRUE(report.Lines().empty());
    }
}

// Every reason a line cannot be added names the file and why, for the run's message.
TEST(FleetReportFiles, AFailedAppendSaysWhichFileAndWhy) {
    const test::TempDir folder;
    fs::create_directory(fs::path(folder.Path()) / kReportJsonName);
    FleetReport report(folder.Path());
    EXPECT_FALSE(report.Append(Line("Ward 1")));
    EXPECT_EQ(report.WriteFailure(), (fs::path(folder.Path()) / kReportJsonName).string() +
                                         ": a folder of that name is in the way");
}

}  // namespace
}  // namespace mk843nb::fleet
