// The plan folder on disk: whole or absent after a failed save, an existing
// folder keeping its old plan and its report, and a plan.json whose pagers
// repeat refused on loading as planning refuses them.

#include "fleet/plan_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "files/file_system_calls.h"
#include "fleet/fleet_plan.h"
#include "fleet/roster.h"
#include "fleet_test_support.h"
#include "test_files.h"

namespace mk843nb::fleet {
namespace {

namespace fs = std::filesystem;
const fs::path kTemplate = MK843NB_FIXTURES "/shipped_default.tbl";

// The disk fills up at the failAt-th write (counting from 1; 0 never).
class FullDiskCalls : public FileSystemCalls {
public:
    explicit FullDiskCalls(int failAt) : failAt_(failAt) {}
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (++writes_ == failAt_) {
            errno = ENOSPC;
            return -1;
        }
        return FileSystemCalls::Write(fd, data, size);
    }
    int Writes() const { return writes_; }

private:
    int failAt_;
    int writes_ = 0;
};

struct PlanFolderTest : testing::Test {
    FleetPlan Plan(int pagers) {
        roster = test::DistinctRoster(pagers);
        FleetPlan plan = BuildFleetPlan(kTemplate, ParseRoster(roster), {});
        EXPECT_TRUE(plan.errors.empty());
        return plan;
    }
    PlanSources Sources() const {
        return {kTemplate, test::Slurp(kTemplate), temp.File("roster.csv"), roster, false};
    }
    std::set<std::string> Names(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    test::TempDir temp;
    std::string roster;
};

TEST_F(PlanFolderTest, AFullDiskLeavesNoFolderOrTheOldPlanWhole) {
    const FleetPlan plan = Plan(16);
    // How many writes a whole plan takes, to fail each step of the way.
    FullDiskCalls counting(0);
    ASSERT_EQ(WritePlanFolder(temp.File("counted"), plan, Sources(), counting), std::nullopt);
    const int writes = counting.Writes();
    ASSERT_GE(writes, 17);

    const FleetPlan replan = Plan(3);
    for (const int failAt : {1, 9, writes}) {
        SCOPED_TRACE("the write that fails: " + std::to_string(failAt));
        // A new folder: nothing of it is left, not even a hidden working folder.
        const fs::path fresh = fs::path(temp.File("fresh")) / "plan";
        FullDiskCalls full(failAt);
        const auto error = WritePlanFolder(fresh, plan, Sources(), full);
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->find("Save Error! " + fresh.string() + "/"), std::string::npos) << *error;
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_TRUE(Names(fresh.parent_path()).empty());

        // An existing folder (planned before, with a report): its plan loads as it was.
        const fs::path kept = temp.File("kept-" + std::to_string(failAt));
        ASSERT_EQ(WritePlanFolder(kept, replan, Sources()), std::nullopt);
        std::ofstream(kept / "report.json") << "{}";
        const std::string oldPlan = test::Slurp(kept / kPlanFileName);
        const std::set<std::string> before = Names(kept);
        FullDiskCalls fullAgain(failAt);
        EXPECT_TRUE(WritePlanFolder(kept, plan, Sources(), fullAgain).has_value());
        EXPECT_EQ(test::Slurp(kept / kPlanFileName), oldPlan);
        EXPECT_EQ(Names(kept), before) << "no table of the new plan, no working folder";
        EXPECT_TRUE(LoadPlanFolder(kept).manifest);
    }
}

TEST_F(PlanFolderTest, PlanningAgainIntoAFolderReplacesThePlanAndKeepsTheReport) {
    const fs::path folder = temp.File("plan/");
    ASSERT_EQ(WritePlanFolder(folder, Plan(3), Sources()), std::nullopt);
    std::ofstream(folder / "report.json") << "{\"pagers\":[]}";
    ASSERT_EQ(WritePlanFolder(folder, Plan(5), Sources()), std::nullopt);
    const PlanLoad load = LoadPlanFolder(folder);
    ASSERT_TRUE(load.manifest) << load.error;
    EXPECT_EQ(load.manifest->pagers.size(), 5u);
    EXPECT_EQ(test::Slurp(folder / "report.json"), "{\"pagers\":[]}");
    EXPECT_EQ(Names(folder),
              (std::set<std::string>{"Pager 1.tbl", "Pager 2.tbl", "Pager 3.tbl", "Pager 4.tbl",
                                     "Pager 5.tbl", "plan.json", "report.json"}));
    EXPECT_EQ(Names(temp.Path()), std::set<std::string>{"plan"});
}

TEST_F(PlanFolderTest, APlanWhosePagersRepeatOrLieIsRefusedOnLoading) {
    using Edit = void (*)(nlohmann::json & pagers);
    struct Case {
        const char* what;
        Edit edit;
        std::string error;
    };
    const std::vector<Case> cases{
        {"one entry copied three times",
         [](nlohmann::json& pagers) {
             pagers = nlohmann::json::array({pagers[0], pagers[0], pagers[0]});
         },
         "line 2, 'Pager 1', label: the label appears on an earlier row"},
        {"two labels, one table file",
         [](nlohmann::json& pagers) { pagers[2]["file"] = pagers[0]["file"]; },
         "line 4, 'Pager 3', label: the label makes the same file name 'Pager 1.tbl' as "
         "'Pager 1' (line 2)"},
        {"two labels, one asset tag",
         [](nlohmann::json& pagers) {
             pagers[0]["asset"] = "SN-7";
             pagers[1]["asset"] = "SN-7";
         },
         "line 3, 'Pager 2', asset: the asset tag 'SN-7' is already 'Pager 1' (line 2)"},
        // Once converted to int without a look, which no build may do with a float this large.
        {"a line number far beyond any int",
         [](nlohmann::json& pagers) { pagers[1]["line"] = 2.11111e21; },
         "a line number is not a whole number of a roster"},
        {"a negative line number", [](nlohmann::json& pagers) { pagers[1]["line"] = -3; },
         "a line number is not a whole number of a roster"},
        {"a line number given as text", [](nlohmann::json& pagers) { pagers[1]["line"] = "3"; },
         "a line number is not a whole number of a roster"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = temp.File(c.what);
        ASSERT_EQ(WritePlanFolder(folder, Plan(3), Sources()), std::nullopt);
        nlohmann::json manifest = nlohmann::json::parse(test::Slurp(folder / kPlanFileName));
        c.edit(manifest["pagers"]);
        std::ofstream(folder / kPlanFileName) << manifest.dump(2);
        const PlanLoad load = LoadPlanFolder(folder);
        EXPECT_FALSE(load.manifest);
        EXPECT_EQ(load.error,
                  (folder / kPlanFileName).string() + " is not a usable plan: " + c.error);
    }
}

}  // namespace
}  // namespace mk843nb::fleet
