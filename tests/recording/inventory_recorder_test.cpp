// The Pager commands' records as the inventory stores them: each with the
// pager it is of (the one asked for, else the one recognised in the image
// read, else none) and where and by whom it was made.

#include "recording/inventory_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/pager_commands.h"
#include "in_process_board.h"
#include "inventory_fixture.h"
#include "recording_events.h"

namespace mk843nb::test {
namespace {

using inventory::ImageKind;
using inventory::ImageRecord;

PagerImage TableToWrite(std::uint8_t reminder) {
    PagerImage image = DefaultImage();
    image[70] = reminder;
    StoreChecksum(image);
    return image;
}

// One board with a pager on it, the commands recording into the inventory.
struct Bench {
    Bench(inventory::Inventory& inventory, const PagerImage& held)
        : board(line.Plug("ttyS0", held, Faults({}))),
          session([this] { return line.MakeChannel(); }, line.clock, events),
          recorder(inventory, {.bench = "bench-2",
                               .operatorName = "ann",
                               .port = "",
                               .board = "",
                               .plan = "",
                               .row = 0}),
          commands(
              session,
              [](const PagerImage&, const BackupInfo& info) {
                  return BackupResult{true, "", StoredBackup{"kept.tbl", "kept.json", info}};
              },
              recorder.Hook()) {
        session.SetPortTable({{{"ttyS0", ""}}, 0});
        session.SetDiagnoser([](const std::string&) { return PortDiagnosis{}; });
    }

    sim::InProcessLine line;
    sim::InProcessBoard& board;
    RecordingEvents events;
    LinkSession session;
    recording::InventoryRecorder recorder;
    PagerCommands commands;
};

class InventoryRecorderTest : public inventory::test::InventoryTest {
protected:
    std::vector<ImageRecord> HistoryOf(const std::string& key) {
        const auto pager = inventory_->FindPager(key);
        EXPECT_TRUE(pager.ok() && *pager.value) << key << ": " << pager.error;
        if (!pager.ok() || !*pager.value) return {};
        return *inventory_->History((**pager.value).id).value;
    }
};

TEST_F(InventoryRecorderTest, ARecordGoesToThePagerAskedForElseTheOneRecognised) {
    const PagerImage blank = PagerMemory(1, 86, "MK842 V3.8.5");

    // A fleet's row: the pager it names is made, and both records are its own.
    Bench fleet(*inventory_, blank);
    PagerImage engine = TableToWrite(60);
    WriteRequest row;
    row.backupFirst = true;
    row.tags = {.label = "Engine 2", .asset = "E-2", .note = "cab"};
    ASSERT_TRUE(fleet.commands.Write(engine, row).success());
    std::vector<ImageRecord> history = HistoryOf("E-2");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].kind, ImageKind::Write);
    EXPECT_EQ(history[0].result, "written");
    EXPECT_EQ(history[0].image, engine);
    EXPECT_EQ(history[1].kind, ImageKind::PreWrite);
    EXPECT_EQ(history[1].image, blank);
    for (const ImageRecord& record : history) {
        EXPECT_EQ(record.origin.bench, "bench-2");
        EXPECT_EQ(record.origin.operatorName, "ann");
        EXPECT_EQ(record.origin.port, "ttyS0");
    }

    // The same pager later, untagged: recognised by the image it holds, and
    // the Write after its pre-write read goes to it too.
    Bench bench(*inventory_, fleet.board.Memory());
    PagerImage again = TableToWrite(120);
    WriteRequest plain;
    plain.backupFirst = true;
    ASSERT_TRUE(bench.commands.Write(again, plain).success());
    ASSERT_TRUE(bench.recorder.LastIdentity().has_value());
    ASSERT_EQ(bench.recorder.LastIdentity()->pagers.size(), 1u);
    EXPECT_EQ(bench.recorder.LastIdentity()->pagers[0].label, "Engine 2");
    history = HistoryOf("Engine 2");
    ASSERT_EQ(history.size(), 4u);
    EXPECT_EQ(history[0].kind, ImageKind::Write);
    EXPECT_EQ(history[0].image, again);

    // A pager never seen (another address, other levels): recorded, and belonging to nobody.
    PagerImage other = inventory::test::ImageOf(6009, 6345, 40, 41, 42);
    other[1] = 1;
    other[2] = 86;
    StoreChecksum(other);
    Bench stranger(*inventory_, other);
    PagerImage read{};
    ASSERT_TRUE(stranger.commands.Read(read).success());
    EXPECT_TRUE(stranger.recorder.LastIdentity()->pagers.empty());
    const auto listed = inventory_->List({});
    ASSERT_TRUE(listed.ok()) << listed.error;
    EXPECT_EQ(listed.value->size(), 1u) << "only Engine 2";
    EXPECT_EQ(HistoryOf("Engine 2").size(), 4u);
}

// A pre-write read the caller declines (not the pager the row wants) is not
// put in the wanted pager's history.
TEST_F(InventoryRecorderTest, ADeclinedPreWriteReadStaysOutOfTheWantedPagersHistory) {
    Bench bench(*inventory_, PagerMemory(1, 86, "MK842 V3.8.5"));
    ASSERT_TRUE(
        inventory_->EnsurePager({.id = 0, .asset = "", .label = "Ladder 3", .plan = "", .note = ""})
            .ok());
    PagerImage image = TableToWrite(60);
    WriteRequest row;
    row.backupFirst = true;
    row.tags.label = "Ladder 3";
    row.proceed = [](const PagerImage&) { return false; };
    EXPECT_TRUE(bench.commands.Write(image, row).cancelled);
    EXPECT_TRUE(HistoryOf("Ladder 3").empty());
}

}  // namespace
}  // namespace mk843nb::test
