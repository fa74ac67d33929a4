// Backups and plan reports brought into the inventory, once however often asked.

#include <chrono>
#include <filesystem>
#include <fstream>

#include "files/backup_store.h"
#include "files/utc_time.h"
#include "fleet/fleet_report.h"
#include "inventory/inventory_import.h"
#include "inventory/plan_key.h"
#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kStart = Clock::time_point(std::chrono::seconds(1'796'000'000));

class ImportTest : public InventoryTest {
protected:
    void SetUp() override {
        InventoryTest::SetUp();
        backups_ = folder_.File("backups");
        plan_ = folder_.File("plans/north");
        std::filesystem::create_directories(plan_);
    }
    void Backup(BackupKind kind, const PagerImage& image, Clock::time_point time, PagerTags tags,
                std::string result = "") {
        BackupInfo info = PagerBackupInfo(kind, image, "/dev/ttyUSB0");
        info.time = time;
        info.tags = std::move(tags);
        info.result = std::move(result);
        const BackupResult stored = BackupStore(backups_).Store(image, info);
        ASSERT_TRUE(stored.stored) << stored.error;
    }
    void ReportLine(const std::string& label, fleet::PagerResult result, Clock::time_point start,
                    const std::string& asset = "") {
        fleet::FleetReport report(plan_);
        ASSERT_FALSE(report.Load().has_value());
        ASSERT_TRUE(
            report.Append({.label = label,
                           .port = "/dev/ttyUSB1",
                           .start = UtcTimeText(start),
                           .seconds = 4.5,
                           .result = result,
                           .message = result == fleet::PagerResult::Written ? "" : "Read Error !",
                           .backup = "",
                           .sha256 = std::string(64, 'a'),
                           .asset = asset}))
            << report.WriteFailure();
    }
    ImportSummary ImportAll() {
        const auto summary = ImportFolders(*inventory_, {backups_, plan_});
        EXPECT_TRUE(summary.ok()) << summary.error;
        return summary.value.value_or(ImportSummary{});
    }
    std::vector<ImageRecord> HistoryOf(const std::string& key) {
        const auto pager = inventory_->FindPager(key);
        EXPECT_TRUE(pager.ok() && pager.value->has_value()) << key;
        if (!pager.ok() || !pager.value->has_value()) return {};
        return inventory_->History((*pager.value)->id).value.value_or(std::vector<ImageRecord>{});
    }
    std::string backups_;
    std::string plan_;
};

TEST_F(ImportTest, BackupsAndReportLinesAreRecordedOnceHoweverOftenImported) {
    const PagerImage before = ImageOf(6000, 6300, 30, 30, 30);
    const PagerImage sent = ImageOf(6009, 6345, 30, 30, 30);
    Backup(BackupKind::PreWrite, before, kStart,
           {.label = "Ladder 3", .asset = "SN-1", .note = ""});
    Backup(BackupKind::Write, sent, kStart + 5s, {.label = "Ladder 3", .asset = "SN-1", .note = ""},
           "verified");
    Backup(BackupKind::Read, ImageOf(7000, 7300, 1, 2, 3), kStart + 1h, {});
    ReportLine("Ladder 3", fleet::PagerResult::Written, kStart - 1s, "SN-1");
    ReportLine("Engine 2", fleet::PagerResult::ReadFailed, kStart + 2min);

    const ImportSummary first = ImportAll();
    EXPECT_EQ(first.added, 5);
    EXPECT_EQ(first.known, 0);
    EXPECT_TRUE(first.problems.empty());
    const ImportSummary second = ImportAll();
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.known, 5);
    EXPECT_EQ(ImportSummaryText(second), "0 records added, 5 already in the inventory.");

    // The pager's history holds its backups and its report line, and outlives the backups.
    std::filesystem::remove_all(backups_);
    const auto ladder = HistoryOf("SN-1");
    ASSERT_EQ(ladder.size(), 3u);
    EXPECT_EQ(ladder[0].kind, ImageKind::Write);
    EXPECT_EQ(ladder[0].result, "written");
    EXPECT_EQ(ladder[0].image, sent);
    EXPECT_EQ(ladder[1].kind, ImageKind::PreWrite);
    EXPECT_EQ(ladder[1].image, before);
    EXPECT_EQ(ladder[2].origin.plan, PlanKeyOf(plan_));
    EXPECT_FALSE(ladder[2].image.has_value());

    const auto engine = HistoryOf("Engine 2");
    ASSERT_EQ(engine.size(), 1u);
    EXPECT_EQ(engine[0].kind, ImageKind::Attempt);
    EXPECT_EQ(engine[0].result, "read failed");
    EXPECT_EQ(engine[0].message, "Read Error !");
    EXPECT_EQ(engine[0].time, kStart + 2min);

    // And the pager placed again is known: its imported Write is what it holds.
    const auto identity = inventory_->Identify(sent);
    ASSERT_TRUE(identity.ok()) << identity.error;
    EXPECT_TRUE(identity.value->HoldsLastWrite());
}

TEST_F(ImportTest, AReportLineARunAlreadyRecordedIsNotRecordedAgain) {
    const auto pager = inventory_->EnsurePager({.label = "A-1", .plan = PlanKeyOf(plan_)});
    ASSERT_TRUE(pager.ok()) << pager.error;
    // The run recorded its write into the inventory, then wrote its report from it.
    ASSERT_TRUE(inventory_
                    ->Record({.pagerId = pager.value->id,
                              .kind = ImageKind::Write,
                              .image = DefaultImage(),
                              .result = "written",
                              .time = kStart + 3s,
                              .origin = {.plan = PlanKeyOf(plan_), .row = 1}})
                    .ok());
    ReportLine("A-1", fleet::PagerResult::Written, kStart);
    const auto summary = ImportFolders(*inventory_, {plan_});
    ASSERT_TRUE(summary.ok()) << summary.error;
    EXPECT_EQ(summary.value->added, 0);
    EXPECT_EQ(summary.value->known, 1);
    EXPECT_EQ(inventory_->PlanRecords(PlanKeyOf(plan_)).value->size(), 1u);
}

TEST_F(ImportTest, WhatCannotBeReadIsNamedAndTheRestIsImported) {
    Backup(BackupKind::Read, DefaultImage(), kStart,
           {.label = "Ladder 3", .asset = "", .note = ""});
    const auto listed = BackupStore(backups_).List();
    ASSERT_EQ(listed.size(), 1u);
    // A second backup whose table lost its end.
    const auto cut = listed[0].table.parent_path() / "20261211-101010-read-MK842_V3.8.5-v1.86.tbl";
    std::ofstream(cut, std::ios::binary) << std::string(100, '\1');
    const auto summary = ImportFolders(*inventory_, {backups_});
    ASSERT_TRUE(summary.ok()) << summary.error;
    EXPECT_EQ(summary.value->added, 1);
    ASSERT_EQ(summary.value->problems.size(), 1u);
    EXPECT_NE(summary.value->problems[0].find(cut.string() + ": not a whole table (100 bytes)"),
              std::string::npos)
        << summary.value->problems[0];

    const auto missing = ImportFolders(*inventory_, {folder_.File("nowhere")});
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("nowhere: it is not a folder"), std::string::npos)
        << missing.error;
}

}  // namespace
}  // namespace mk843nb::inventory::test
