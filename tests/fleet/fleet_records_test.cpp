// What a fleet keeps per pager: asset, note and kept fields in plan.json and
// the report (old folders still load), tagged backups, and a pager's history.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "files/backup_store.h"
#include "fleet/fleet_plan.h"
#include "fleet/fleet_report.h"
#include "fleet/pager_history.h"
#include "fleet/plan_folder.h"
#include "fleet_test_support.h"
#include "image/fields.h"
#include "test_files.h"

namespace mk843nb::fleet {
namespace {

namespace fs = std::filesystem;
const fs::path kTemplate = MK843NB_FIXTURES "/shipped_default.tbl";

TEST(FleetRecordsTest, PlanJsonCarriesAssetNoteAndTheKeepListAndOldPlansStillLoad) {
    test::TempDir temp;
    const std::string roster = "label,asset,note,RSSI\nA,SN-1,spare,\nB,,,0.5\n";
    PlanOptions options;
    options.keep = {"RSSI", "SSI"};
    const FleetPlan plan = BuildFleetPlan(kTemplate, ParseRoster(roster), options);
    ASSERT_TRUE(plan.errors.empty());
    ASSERT_EQ(WritePlanFolder(temp.Path(), plan,
                              {kTemplate, test::Slurp(kTemplate), "roster.csv", roster, false}),
              std::nullopt);
    const PlanLoad load = LoadPlanFolder(temp.Path());
    ASSERT_TRUE(load.manifest) << load.error;
    EXPECT_EQ(load.manifest->keep, (std::vector<std::string>{"RSSI", "SSI"}));
    ASSERT_EQ(load.manifest->pagers.size(), 2u);
    const PlanEntry& a = load.manifest->pagers[0];
    const PlanEntry& b = load.manifest->pagers[1];
    EXPECT_EQ(a.asset, "SN-1");
    EXPECT_EQ(a.note, "spare");
    EXPECT_EQ(load.manifest->KeptBy(a), (std::vector<std::string>{"RSSI", "SSI"}));
    EXPECT_EQ(load.manifest->KeptBy(b), std::vector<std::string>{"SSI"});

    // A plan written before these fields: no asset, no note, the default levels kept.
    nlohmann::json old = nlohmann::json::parse(test::Slurp(fs::path(temp.Path()) / "plan.json"));
    old.erase("keep");
    old.erase("userMode");
    for (auto& pager : old["pagers"]) {
        pager.erase("asset");
        pager.erase("note");
        pager.erase("keep");
    }
    std::ofstream(fs::path(temp.Path()) / "plan.json") << old.dump(2);
    const PlanLoad oldLoad = LoadPlanFolder(temp.Path());
    ASSERT_TRUE(oldLoad.manifest) << oldLoad.error;
    EXPECT_EQ(oldLoad.manifest->keep, kDefaultKeptFields);
    EXPECT_EQ(oldLoad.manifest->pagers[0].asset, "");
    EXPECT_EQ(oldLoad.manifest->KeptBy(oldLoad.manifest->pagers[1]), kDefaultKeptFields);
}

TEST(FleetRecordsTest, AReportBegunByAnEarlierVersionGainsTheNewColumnsAndKeepsItsLines) {
    test::TempDir temp;
    const fs::path folder = temp.Path();
    std::ofstream(folder / "report.csv", std::ios::binary)
        << "label,port,start,seconds,result,message,backup,sha256\r\n"
           "A,/dev/ttyUSB0,2026-01-01T10:00:00Z,2.6,written,Write Sucess !,/b/a.tbl,aa\r\n";
    std::ofstream(folder / "report.json")
        << R"({"pagers":[{"label":"A","port":"/dev/ttyUSB0","start":"2026-01-01T10:00:00Z",)"
           R"("seconds":2.6,"result":"written","message":"Write Sucess !","backup":"/b/a.tbl",)"
           R"("sha256":"aa"}]})";
    FleetReport report(folder);
    ASSERT_EQ(report.Load(), std::nullopt);
    ReportLine line{"B",
                    "/dev/ttyUSB1",
                    "2026-01-01T10:01:00Z",
                    2.7,
                    PagerResult::Written,
                    "Write Sucess !",
                    "/b/b.tbl",
                    "bb"};
    line.asset = "SN-2";
    line.note = "night, shift";
    line.kept = {{"RSSI", "0.82", true, "0.82", ""}, {"SSI", "0.80", false, "3.00", "refused"}};
    ASSERT_TRUE(report.Append(line));
    EXPECT_EQ(test::Slurp(folder / "report.csv"),
              "label,port,start,seconds,result,message,backup,sha256,asset,note,kept\r\n"
              "\"A\",\"/dev/ttyUSB0\",\"2026-01-01T10:00:00Z\",2.6,\"written\",\"Write Sucess "
              "!\",\"/b/a.tbl\",\"aa\",\"\",\"\",\"\"\r\n"
              "\"B\",\"/dev/ttyUSB1\",\"2026-01-01T10:01:00Z\",2.7,\"written\",\"Write Sucess "
              "!\",\"/b/b.tbl\",\"bb\",\"SN-2\",\"night, shift\",\"RSSI=0.82 SSI=0.80 (the "
              "pager's 3.00 refused)\"\r\n");

    FleetReport again(folder);
    ASSERT_EQ(again.Load(), std::nullopt);
    ASSERT_EQ(again.Lines().size(), 2u);
    const ReportLine& read = again.Lines()[1];
    EXPECT_EQ(read.asset, "SN-2");
    EXPECT_EQ(read.note, "night, shift");
    ASSERT_EQ(read.kept.size(), 2u);
    EXPECT_EQ(KeptValuesText(read.kept), KeptValuesText(line.kept));
    EXPECT_EQ(read.kept[1].refusal, "refused");
}

TEST(FleetRecordsTest, BackupSidecarsCarryThePagersTagsAndTheWritesResult) {
    BackupInfo info;
    info.kind = BackupKind::Write;
    info.tags = {"Engine 2", "SN-2", "cab"};
    info.result = "verified";
    test::TempDir temp;
    BackupStore store(temp.Path());
    const BackupResult stored = store.Store(PagerImage{}, info);
    ASSERT_TRUE(stored.stored) << stored.error;
    const std::vector<StoredBackup> listed = store.List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].info.tags.label, "Engine 2");
    EXPECT_EQ(listed[0].info.tags.asset, "SN-2");
    EXPECT_EQ(listed[0].info.tags.note, "cab");
    EXPECT_EQ(listed[0].info.result, "verified");
    // A sidecar without them (the window's, an older program's) has none.
    const auto plain = ParseBackupSidecar(R"({"time":"2026-01-01T10:00:00.000Z","kind":"read"})");
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->tags.empty());
    EXPECT_EQ(plain->result, "");
}

TEST(FleetRecordsTest, AHistoryPairsEachPreWriteBackupWithItsWriteOnThatPort) {
    test::TempDir temp;
    BackupStore store(temp.Path());
    const auto at = [](int minute) {
        return std::chrono::system_clock::from_time_t(1767261600 + 60 * minute);
    };
    PagerImage sent =
        BuildFleetPlan(kTemplate, ParseRoster("label,T11\nA,600.9\n"), {}).pagers.at(0).image;
    const PagerTags engine{"Engine 2", "SN-2", ""};
    const PagerTags other{"Engine 3", "SN-3", ""};
    const auto store_ = [&](int minute, BackupKind kind, const std::string& port,
                            const PagerTags& tags, const std::string& result) {
        BackupInfo info;
        info.time = at(minute);
        info.kind = kind;
        info.port = port;
        info.tags = tags;
        info.result = result;
        ASSERT_TRUE(store.Store(sent, info).stored);
    };
    store_(0, BackupKind::PreWrite, "/dev/ttyUSB0", engine, "");
    store_(1, BackupKind::PreWrite, "/dev/ttyUSB1", other, "");  // another pager, another board
    store_(1, BackupKind::Write, "/dev/ttyUSB0", engine, "verify failed");
    store_(2, BackupKind::Write, "/dev/ttyUSB1", other, "verified");
    store_(5, BackupKind::Damaged, "/dev/ttyUSB1", engine, "");
    store_(6, BackupKind::Write, "/dev/ttyUSB1", engine, "verified");
    store_(9, BackupKind::PreWrite, "/dev/ttyUSB0", engine, "");  // nothing was sent after it
    store_(10, BackupKind::Read, "/dev/ttyUSB0", {}, "");         // the window's, untagged

    for (const std::string key : {"Engine 2", "SN-2"}) {
        const std::vector<Programming> history = PagerHistory(store.List(), key);
        ASSERT_EQ(history.size(), 3u) << key;
        EXPECT_EQ(history[0].port, "/dev/ttyUSB0");
        EXPECT_EQ(history[0].result, "verify failed");
        EXPECT_EQ(history[0].time, at(0));
        EXPECT_EQ(history[0].tones, (std::vector<std::string>{"1: 600.9/707.3"}));
        EXPECT_NE(history[0].before.filename().string().find("pre-write"), std::string::npos);
        EXPECT_NE(history[0].sent.filename().string().find("-write-"), std::string::npos);
        EXPECT_EQ(history[1].port, "/dev/ttyUSB1");
        EXPECT_EQ(history[1].result, "written");
        EXPECT_NE(history[1].before.filename().string().find("damaged"), std::string::npos);
        EXPECT_EQ(history[2].result, "no write recorded")
            << "the Write backup may have been lost to a full disk";
        EXPECT_TRUE(history[2].sent.empty());
        EXPECT_TRUE(history[2].tones.empty());
    }
    EXPECT_TRUE(PagerHistory(store.List(), "Engine").empty());
}

}  // namespace
}  // namespace mk843nb::fleet
