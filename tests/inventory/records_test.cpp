// Pagers and their records kept whole: what goes in comes out, newest first,
// in a file only its owner may read.

#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>

#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kMorning = Clock::time_point(std::chrono::milliseconds(1'796'000'000'123));

TEST_F(InventoryTest, ARecordComesBackWholeWithItsShaTimeAndOrigin) {
    const auto pager =
        inventory_->EnsurePager({.asset = "SN-1", .label = "Ladder 3", .plan = "/plans/north"});
    ASSERT_TRUE(pager.ok()) << pager.error;
    PagerImage image = ImageOf(6009, 6345, 40, 41, 42);
    image[17] = 0xFF;  // a byte of every value, 0 and 255 included, survives
    const ImageRecord written{.pagerId = pager.value->id,
                              .kind = ImageKind::Write,
                              .image = image,
                              .result = "written",
                              .message = "Sucess",
                              .time = kMorning,
                              .origin = {.bench = "bench-2",
                                         .operatorName = "ann",
                                         .port = "/dev/ttyUSB0",
                                         .board = "board 1",
                                         .plan = "/plans/north",
                                         .row = 7}};
    const auto id = inventory_->Record(written);
    ASSERT_TRUE(id.ok()) << id.error;
    const auto attempt =
        inventory_->Record({.pagerId = pager.value->id,
                            .kind = ImageKind::Attempt,
                            .result = "read failed",
                            .message = "no reply; quote's \"text\"; DROP TABLE records;",
                            .time = kMorning + 5s});
    ASSERT_TRUE(attempt.ok()) << attempt.error;

    // Reopened, as another process would see it.
    inventory_.reset();
    inventory_ = OpenOrFail(path_);
    const auto history = inventory_->History(pager.value->id);
    ASSERT_TRUE(history.ok()) << history.error;
    ASSERT_EQ(history.value->size(), 2u);
    const ImageRecord& newest = history.value->at(0);
    EXPECT_EQ(newest.kind, ImageKind::Attempt);
    EXPECT_FALSE(newest.image.has_value());
    EXPECT_EQ(newest.message, "no reply; quote's \"text\"; DROP TABLE records;");
    const ImageRecord& back = history.value->at(1);
    EXPECT_EQ(back.id, *id.value);
    EXPECT_EQ(back.kind, ImageKind::Write);
    ASSERT_TRUE(back.image.has_value());
    EXPECT_EQ(*back.image, image);
    // sha256sum of those 256 bytes, worked out apart from the inventory.
    EXPECT_EQ(back.sha256.size(), 64u);
    EXPECT_EQ(back.sha256, inventory_->Identify(image).value->heldSha256);
    EXPECT_EQ(back.time, kMorning);
    EXPECT_EQ(back.result, "written");
    EXPECT_EQ(back.message, "Sucess");
    EXPECT_EQ(back.origin.bench, "bench-2");
    EXPECT_EQ(back.origin.operatorName, "ann");
    EXPECT_EQ(back.origin.port, "/dev/ttyUSB0");
    EXPECT_EQ(back.origin.board, "board 1");
    EXPECT_EQ(back.origin.plan, "/plans/north");
    EXPECT_EQ(back.origin.row, 7);

    const auto plan = inventory_->PlanRecords("/plans/north");
    ASSERT_TRUE(plan.ok()) << plan.error;
    ASSERT_EQ(plan.value->size(), 1u);
    EXPECT_EQ(plan.value->front().id, *id.value);
}

TEST_F(InventoryTest, HistoryIsNewestFirstWhateverOrderTheRecordsCameIn) {
    const auto pager = inventory_->EnsurePager({.label = "Engine 2", .plan = "/plans/north"});
    ASSERT_TRUE(pager.ok()) << pager.error;
    // An imported old backup arrives after newer records.
    for (const auto time : {kMorning + 1h, kMorning + 3h, kMorning, kMorning + 2h})
        ASSERT_TRUE(inventory_
                        ->Record({.pagerId = pager.value->id,
                                  .kind = ImageKind::Read,
                                  .image = ImageOf(6009, 6345, 1, 2, 3),
                                  .time = time})
                        .ok());
    const auto history = inventory_->History(pager.value->id);
    ASSERT_TRUE(history.ok()) << history.error;
    std::vector<Clock::time_point> times;
    for (const auto& record : *history.value) times.push_back(record.time);
    EXPECT_EQ(times, (std::vector{kMorning + 3h, kMorning + 2h, kMorning + 1h, kMorning}));
}

TEST_F(InventoryTest, APagerIsFoundByAssetElseByLabelWithinItsPlan) {
    const auto ladder =
        inventory_->EnsurePager({.asset = "SN-1", .label = "Ladder 3", .plan = "/north"});
    ASSERT_TRUE(ladder.ok()) << ladder.error;
    // The same asset relabelled and moved: one pager, brought up to date.
    const auto moved = inventory_->EnsurePager(
        {.asset = "SN-1", .label = "Ladder 4", .plan = "/south", .note = "new case"});
    ASSERT_TRUE(moved.ok()) << moved.error;
    EXPECT_EQ(moved.value->id, ladder.value->id);
    EXPECT_EQ(moved.value->label, "Ladder 4");
    EXPECT_EQ(moved.value->note, "new case");

    // Without an asset a label is one pager per plan.
    const auto northEngine = inventory_->EnsurePager({.label = "Engine 2", .plan = "/north"});
    const auto southEngine = inventory_->EnsurePager({.label = "Engine 2", .plan = "/south"});
    const auto northAgain = inventory_->EnsurePager({.label = "Engine 2", .plan = "/north"});
    ASSERT_TRUE(northEngine.ok() && southEngine.ok() && northAgain.ok());
    EXPECT_NE(northEngine.value->id, southEngine.value->id);
    EXPECT_EQ(northEngine.value->id, northAgain.value->id);

    // Several of one label: the most recently recorded one.
    ASSERT_TRUE(inventory_->Record({.pagerId = southEngine.value->id, .time = kMorning}).ok());
    ASSERT_TRUE(inventory_->Record({.pagerId = northEngine.value->id, .time = kMorning + 1h}).ok());
    struct Case {
        std::string key;
        std::int64_t id;
    };
    for (const Case& each :
         {Case{"SN-1", ladder.value->id}, Case{"Ladder 4", ladder.value->id},
          Case{"Engine 2", northEngine.value->id}, Case{"Ladder 3", 0}, Case{"", 0}}) {
        const auto found = inventory_->FindPager(each.key);
        ASSERT_TRUE(found.ok()) << found.error;
        EXPECT_EQ(found.value->has_value() ? (*found.value)->id : 0, each.id) << each.key;
    }
}

TEST_F(InventoryTest, ARecordForAPagerThatIsNotThereIsRefusedAndNothingIsKept) {
    const auto id =
        inventory_->Record({.pagerId = 99, .kind = ImageKind::Read, .image = DefaultImage()});
    EXPECT_FALSE(id.ok());
    EXPECT_NE(id.error.find(path_), std::string::npos) << id.error;
    const auto kept = inventory_->PlanRecords("");
    ASSERT_TRUE(kept.ok()) << kept.error;
    EXPECT_TRUE(kept.value->empty());
}

TEST(InventoryFile, IsMadeForItsOwnerOnlyInWalModeAndSaysWhereItIs) {
    StartQt();
    Folder folder;
    const std::string path = folder.File("data/mk843nb/inventory.sqlite");
    const mode_t old = ::umask(0);  // SQLite alone would make it 0644 or wider
    auto inventory = OpenOrFail(path);
    ::umask(old);
    ASSERT_NE(inventory, nullptr);
    ASSERT_TRUE(inventory->Record({.kind = ImageKind::Read, .image = DefaultImage()}).ok());
    for (const std::string& file : {path, path + "-wal"}) {
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 0777, 0600u) << file;
    }
    EXPECT_EQ(inventory->Where(), "SQLite " + path + " (schema 1)");
    EXPECT_EQ(inventory->SchemaVersion(), 1);
}

TEST(InventoryFile, DefaultLocationFollowsTheEnvironment) {
    struct Case {
        const char* inventory;
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/srv/shop.sqlite", "/x", "/h", "/srv/shop.sqlite"},
        {"", "/x", "/h", "/x/mk843nb/inventory.sqlite"},
        {nullptr, nullptr, "/h", "/h/.local/share/mk843nb/inventory.sqlite"},
    };
    auto set = [](const char* name, const char* value) {
        if (value == nullptr)
            ::unsetenv(name);
        else
            ::setenv(name, value, 1);
    };
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    for (const Case& each : cases) {
        set("MK843NB_INVENTORY", each.inventory);
        set("XDG_DATA_HOME", each.xdg);
        set("HOME", each.home);
        EXPECT_EQ(Inventory::DefaultLocation(), each.expected);
    }
    ::unsetenv("MK843NB_INVENTORY");
    ::unsetenv("XDG_DATA_HOME");
    set("HOME", home.c_str());
}

}  // namespace
}  // namespace mk843nb::inventory::test
