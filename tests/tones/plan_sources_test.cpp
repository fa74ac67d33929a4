// A tone plan read from table files, folders of them and fleet plan folders:
// each table file is one pager however it is reached.

#include "tone_sources/plan_sources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/table_io.h"
#include "fleet/plan_folder.h"
#include "image/fields.h"
#include "test_files.h"
#include "tones/plan_check.h"

namespace mk843nb::tones {
namespace {

namespace fs = std::filesystem;

PagerImage PagerWithCall(std::uint16_t tone1, std::uint16_t tone2) {
    PagerImage image = DefaultImage();
    SetFieldCode(image, FieldNamed("Duty1"), 1);
    SetFieldCode(image, FieldNamed("T11"), tone1);
    SetFieldCode(image, FieldNamed("T21"), tone2);
    return image;
}

// t/a.tbl and t/b.tbl, two pagers of their own; plan/, a fleet plan folder of
// 'Engine 1' and 'Engine 2'; links/ with a symbolic and a hard link to t/a.tbl.
class PlanSourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Path("t"));
        ASSERT_TRUE(WriteTableFile(Path("t/a.tbl"), PagerWithCall(6009, 6345)));
        ASSERT_TRUE(WriteTableFile(Path("t/b.tbl"), PagerWithCall(7073, 7468)));
        fleet::FleetPlan plan;
        plan.pagers.push_back({2, "Engine 1", "Engine 1.tbl", PagerWithCall(10069, 15135)});
        plan.pagers.push_back({3, "Engine 2", "Engine 2.tbl", PagerWithCall(11225, 11852)});
        fleet::PlanSources sources;
        sources.templateFile = Path("template.tbl");
        sources.rosterFile = Path("roster.csv");
        ASSERT_EQ(fleet::WritePlanFolder(Path("plan"), plan, sources), std::nullopt);
        fs::create_directories(Path("links"));
        fs::create_symlink(Path("t/a.tbl"), Path("links/symbolic.tbl"));
        fs::create_hard_link(Path("t/a.tbl"), Path("links/hard.tbl"));
    }

    std::string Path(const std::string& relative) const { return temp.File(relative); }

    test::TempDir temp;
};

TEST_F(PlanSourcesTest, ATableReachedTwiceIsOnePagerAndSaidOnce) {
    struct Case {
        std::vector<std::string> paths;
        std::vector<std::string> labels;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases{
        {{"t/a.tbl", "t/a.tbl"}, {"a.tbl"}, {"t/a.tbl is already in the plan: counted once"}},
        {{"plan", "./plan"},
         {"Engine 1", "Engine 2"},
         {"./plan is already in the plan: counted once"}},
        {{"plan", "plan/Engine 1.tbl"},
         {"Engine 1", "Engine 2"},
         {"plan/Engine 1.tbl is already in the plan: counted once"}},
        {{"t/a.tbl", "t"},
         {"a.tbl", "b.tbl"},
         {"t: 1 of its 2 table files are already in the plan: each counted once"}},
        {{"t/a.tbl", "links/symbolic.tbl", "t/../t/a.tbl"},
         {"a.tbl"},
         {"links/symbolic.tbl is already in the plan: counted once",
          "t/../t/a.tbl is already in the plan: counted once"}},
        {{"links"},
         {"hard.tbl"},
         {"links: 1 of its 2 table files are already in the plan: each "
          "counted once"}},
        {{"t", "plan"}, {"a.tbl", "b.tbl", "Engine 1", "Engine 2"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<fs::path> paths;
        for (const std::string& path : c.paths) paths.push_back(Path(path));
        const PlanSourcesRead read = ReadTonePlan(paths);
        ASSERT_EQ(read.error, "") << c.paths.front();
        std::vector<std::string> labels;
        for (const PlanPager& pager : read.plan.pagers) labels.push_back(pager.label);
        EXPECT_EQ(labels, c.labels) << c.paths.front() << ", " << c.paths.back();
        std::vector<std::string> notes;
        for (const std::string& note : c.notes) notes.push_back(Path(note));
        EXPECT_EQ(read.notes, notes) << c.paths.front() << ", " << c.paths.back();
        // No pager shares its address with itself.
        EXPECT_TRUE(CheckPlan(read.plan).problems.empty()) << c.paths.front();
    }
}

TEST_F(PlanSourcesTest, TwoFilesWithTheSameBytesAreTwoPagers) {
    fs::create_directories(Path("copy"));
    fs::copy_file(Path("t/a.tbl"), Path("copy/a.tbl"));
    const PlanSourcesRead read = ReadTonePlan({Path("t/a.tbl"), Path("copy/a.tbl")});
    ASSERT_EQ(read.error, "");
    EXPECT_TRUE(read.notes.empty());
    ASSERT_EQ(read.plan.pagers.size(), 2u);
    // One label for two pagers: each is named by its path.
    EXPECT_EQ(read.plan.pagers[0].label, Path("t/a.tbl"));
    EXPECT_EQ(read.plan.pagers[1].label, Path("copy/a.tbl"));
    const CheckResult check = CheckPlan(read.plan);
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_EQ(check.problems[0].kind, ProblemKind::SameAddress);
}

}  // namespace
}  // namespace mk843nb::tones
