// A file that is cut short, not a database, read-only or on a full disk:
// every call says why, naming the file, and nothing already recorded is lost.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

// A small tmpfs of the test's own (mounting needs root; without it the test is skipped).
class Tmpfs {
public:
    Tmpfs(const std::string& at, const char* size) : at_(at) {
        std::filesystem::create_directories(at);
        mounted_ =
            ::mount("tmpfs", at.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
        if (!mounted_) why_ = std::strerror(errno);
    }
    ~Tmpfs() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;
    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    bool MakeReadOnly() {
        return ::mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::string at_;
    bool mounted_ = false;
    std::string why_;
};

// An inventory of a few pages: one pager with count images.
std::int64_t Fill(const std::string& path, int count) {
    auto inventory = OpenOrFail(path);
    if (!inventory) return 0;
    const auto pager = inventory->EnsurePager({.asset = "SN-1", .label = "Ladder 3"});
    for (int n = 0; n < count; ++n)
        EXPECT_TRUE(inventory
                        ->Record({.pagerId = pager.value->id,
                                  .kind = ImageKind::Read,
                                  .image = ImageOf(6009, 6345, 1, 2, 3,
                                                   static_cast<std::uint8_t>(n % 200))})
                        .ok());
    return pager.value->id;
}

bool Says(const std::string& error, const std::string& words) {
    return error.find(words) != std::string::npos;
}

TEST(InventoryFaults, AFileCutShortOrNotADatabaseIsRefusedAndLeftAsItIs) {
    StartQt();
    Folder folder;
    const std::string good = folder.File("good.sqlite");
    Fill(good, 200);  // closed: everything is in the main file
    const auto whole = FileBytes(good);
    ASSERT_GT(whole.size(), 40'000u);

    struct Case {
        const char* name;
        std::size_t keep;  // bytes of the good file kept; 0: text instead
        const char* says;
    };
    const Case cases[] = {
        {"cut to half", whole.size() / 2, "is not a whole inventory database"},
        {"cut inside its header", 60, "is not an inventory database (file is not a database)"},
        {"a text file", 0, "is not an inventory database (file is not a database)"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        const std::string path = folder.File(std::string(each.name) + ".sqlite");
        {
            std::ofstream out(path, std::ios::binary);
            if (each.keep == 0)
                out << "label,asset\nLadder 3,SN-1\n" << std::string(2000, 'x');
            else
                out.write(reinterpret_cast<const char*>(whole.data()),
                          static_cast<std::streamsize>(each.keep));
        }
        const auto before = FileBytes(path);
        const auto open = Inventory::Open(path);
        ASSERT_FALSE(open.ok());
        EXPECT_TRUE(Says(open.error, path)) << open.error;
        EXPECT_TRUE(Says(open.error, each.says)) << open.error;
        EXPECT_EQ(FileBytes(path), before);
    }
    EXPECT_EQ(FileBytes(good), whole);
}

TEST(InventoryFaults, AReadOnlyFileIsReadAndARecordIsRefusedSayingWhy) {
    StartQt();
    Folder folder;
    Tmpfs disk(folder.File("disk"), "4m");
    if (!disk.Mounted())
        GTEST_SKIP() << "a read-only file needs a read-only mount here (root): " << disk.Why();
    const std::string path = folder.File("disk/inventory.sqlite");
    const auto pagerId = Fill(path, 3);
    ASSERT_TRUE(disk.MakeReadOnly());
    const auto before = FileBytes(path);

    auto open = Inventory::Open(path);
    ASSERT_TRUE(open.ok()) << open.error;
    Inventory& inventory = **open.value;
    const auto history = inventory.History(pagerId);
    ASSERT_TRUE(history.ok()) << history.error;
    EXPECT_EQ(history.value->size(), 3u);
    const auto record = inventory.Record({.pagerId = pagerId, .image = DefaultImage()});
    ASSERT_FALSE(record.ok());
    EXPECT_TRUE(Says(record.error, "Cannot record an image in the inventory " + path))
        << record.error;
    EXPECT_TRUE(Says(record.error, "read-only")) << record.error;
    EXPECT_FALSE(inventory.ClaimRow("/plans/north", 1, "bench-1", ::getpid()).ok());
    EXPECT_EQ(FileBytes(path), before);
}

TEST(InventoryFaults, AFullDiskRefusesTheRecordThatDoesNotFitAndKeepsEveryOneBefore) {
    StartQt();
    Folder folder;
    Tmpfs disk(folder.File("disk"), "400k");
    if (!disk.Mounted())
        GTEST_SKIP() << "a full disk needs a small tmpfs here (root): " << disk.Why();
    const std::string path = folder.File("disk/inventory.sqlite");
    auto inventory = OpenOrFail(path);
    ASSERT_NE(inventory, nullptr);
    const auto pager = inventory->EnsurePager({.label = "Ladder 3"});
    ASSERT_TRUE(pager.ok()) << pager.error;

    int stored = 0;
    std::string error;
    for (int n = 0; n < 5000 && error.empty(); ++n) {
        const auto record = inventory->Record(
            {.pagerId = pager.value->id,
             .image = ImageOf(6009, 6345, 1, 2, 3, static_cast<std::uint8_t>(n % 200)),
             .message = std::string(300, 'm')});
        if (record.ok())
            ++stored;
        else
            error = record.error;
    }
    ASSERT_FALSE(error.empty()) << "the disk never filled";
    EXPECT_TRUE(
        Says(error, "Cannot record an image in the inventory " + path + ": the disk is full"))
        << error;

    const auto history = inventory->History(pager.value->id);
    ASSERT_TRUE(history.ok()) << history.error;
    EXPECT_EQ(history.value->size(), static_cast<std::size_t>(stored));
    inventory.reset();
    // Opened again on the full disk, as the next run would: all of them, and the latest image is
    // the last stored.
    auto again = OpenOrFail(path);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->History(pager.value->id).value->size(), static_cast<std::size_t>(stored));
}

}  // namespace
}  // namespace mk843nb::inventory::test
