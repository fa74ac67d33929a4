#include "files/backup_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;
using test::TempDir;

// 2026-12-10 14:22:33.250 UTC
system_clock::time_point At(int secondsLater = 0) {
    return system_clock::from_time_t(1796912553) + std::chrono::milliseconds(250) +
           std::chrono::seconds(secondsLater);
}

BackupInfo Info(BackupKind kind, std::string model, std::string port, int secondsLater = 0) {
    BackupInfo info;
    info.time = At(secondsLater);
    info.kind = kind;
    info.port = std::move(port);
    info.firmwareVersion = "1.86";
    info.modelText = std::move(model);
    info.checksumOk = true;
    return info;
}

PagerImage Pattern(std::uint8_t seed) {
    PagerImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(seed + i);
    return image;
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(BackupNames, SortByTimeAndSayWhatTheyHold) {
    struct Case {
        BackupKind kind;
        std::string model;
        std::string version;
        std::string stem;
    };
    const Case cases[] = {
        {BackupKind::Read, "MK842 V3.8.5", "1.86", "20261210-142233-read-MK842_V3.8.5-v1.86"},
        {BackupKind::Write, "MK842 V3.8.5", "1.5", "20261210-142233-write-MK842_V3.8.5-v1.5"},
        {BackupKind::PreWrite, "MK842 V3.8.5", "1.86",
         "20261210-142233-pre-write-MK842_V3.8.5-v1.86"},
        // Nothing of a model text can leave the folder or hide the kind.
        {BackupKind::Read, "../x/y*", "1.86", "20261210-142233-read-.._x_y_-v1.86"},
        {BackupKind::Read, "", "", "20261210-142233-read-unknown-vunknown"},
    };
    for (const Case& c : cases) {
        BackupInfo info = Info(c.kind, c.model, "/dev/ttyUSB0");
        info.firmwareVersion = c.version;
        EXPECT_EQ(BackupFileStem(info), c.stem);
    }
}

TEST(BackupStore, StoresTheBytesAndASidecarSayingWhatTheyAre) {
    TempDir temp;
    BackupStore store(fs::path(temp.Path()) / "backups");  // created on first use
    BackupInfo info = Info(BackupKind::PreWrite, "MK842 V3.8.5", "/dev/ttyUSB0");
    info.portById = "/dev/serial/by-id/usb-board-if00-port0";
    info.checksumOk = false;
    const PagerImage image = Pattern(7);

    const BackupResult result = store.Store(image, info);
    ASSERT_TRUE(result.stored) << result.error;
    ASSERT_TRUE(result.backup);
    EXPECT_EQ(result.backup->table.filename(), "20261210-142233-pre-write-MK842_V3.8.5-v1.86.tbl");
    EXPECT_EQ(result.backup->sidecar.filename(),
              "20261210-142233-pre-write-MK842_V3.8.5-v1.86.json");
    const auto bytes = test::ReadFileBytes(result.backup->table.string());
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(image.begin(), image.end()));

    std::ifstream sidecar(result.backup->sidecar);
    const nlohmann::json json = nlohmann::json::parse(sidecar);
    EXPECT_EQ(json["time"], "2026-12-10T14:22:33.250Z");
    EXPECT_EQ(json["kind"], "pre-write");
    EXPECT_EQ(json["port"], "/dev/ttyUSB0");
    EXPECT_EQ(json["portById"], "/dev/serial/by-id/usb-board-if00-port0");
    EXPECT_EQ(json["firmwareVersion"], "1.86");
    EXPECT_EQ(json["model"], "MK842 V3.8.5");
    EXPECT_EQ(json["checksum"], "wrong");
    EXPECT_FALSE(json["programVersion"].get<std::string>().empty());
    // Nothing but the two files: no temporary left beside them.
    EXPECT_EQ(Names(store.Folder()).size(), 2u);

    const auto listed = store.List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].table, result.backup->table);
    EXPECT_EQ(listed[0].info.time, info.time);
    EXPECT_EQ(listed[0].info.kind, BackupKind::PreWrite);
    EXPECT_EQ(listed[0].info.portById, info.portById);
    EXPECT_FALSE(listed[0].info.checksumOk);
}

TEST(BackupStore, TwoBackupsOfOneSecondKeepBothAndListNewestFirst) {
    TempDir temp;
    BackupStore store(temp.Path());
    BackupInfo first = Info(BackupKind::PreWrite, "MK842 V3.8.5", "/dev/ttyUSB0");
    BackupInfo second = first;
    second.time += std::chrono::milliseconds(400);  // same second, later
    ASSERT_TRUE(store.Store(Pattern(1), first).stored);
    const BackupResult result = store.Store(Pattern(2), second);
    ASSERT_TRUE(result.stored);
    EXPECT_EQ(result.backup->table.filename(),
              "20261210-142233-pre-write-MK842_V3.8.5-v1.86-2.tbl");
    ASSERT_TRUE(store.Store(Pattern(3), Info(BackupKind::Read, "MK842 V3.8.5", "/dev/ttyUSB0", -60))
                    .stored);

    const auto listed = store.List();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].info.time, second.time);
    EXPECT_EQ(listed[1].info.time, first.time);
    EXPECT_EQ(listed[2].info.kind, BackupKind::Read);
    EXPECT_EQ(test::ReadFileBytes(listed[0].table.string())[0], 2);
}

TEST(BackupStore, ListsTablesWithoutSidecarByTheirNameAndIgnoresOtherFiles) {
    TempDir temp;
    const PagerImage image = Pattern(0);
    test::WriteFileBytes(temp.File("20261209-080000-write-MK842_V3.8.5-v1.82.tbl"), image);
    // An unreadable sidecar counts as none.
    test::WriteFileBytes(temp.File("20261208-080000-read-MK842_V3.8.5-v1.86.tbl"), image);
    std::ofstream(temp.File("20261208-080000-read-MK842_V3.8.5-v1.86.json")) << "{ not json";
    // So does a named pipe in its place, at once: nothing will ever write to it.
    test::WriteFileBytes(temp.File("20261207-080000-read-MK842_V3.8.5-v1.86.tbl"), image);
    ASSERT_EQ(::mkfifo(temp.File("20261207-080000-read-MK842_V3.8.5-v1.86.json").c_str(), 0600), 0);
    test::WriteFileBytes(temp.File("pager.tbl"), image);
    test::WriteFileBytes(temp.File("notes.txt"), image);

    const auto listed = BackupStore(temp.Path()).List();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].info.kind, BackupKind::Write);
    EXPECT_EQ(listed[0].info.modelText, "MK842_V3.8.5");
    EXPECT_EQ(listed[0].info.firmwareVersion, "1.82");
    EXPECT_EQ(listed[1].info.kind, BackupKind::Read);
    EXPECT_EQ(listed[2].info.time, system_clock::from_time_t(1796630400));
    EXPECT_EQ(listed[0].info.time, system_clock::from_time_t(1796803200));
}

// Fleet runs tag backups with the roster's texts; a pager must not drop out
// of its history because its note was long.
TEST(BackupStore, ListsTheTagsOfEverySidecarItWrites) {
    struct Case {
        std::string name;
        std::string note;
        bool cut;
    };
    const std::vector<Case> cases{
        {"a note of 100 KiB", std::string(100 * 1024, 'n'), false},
        // ESC becomes six bytes (\u001b) in the JSON.
        {"a note of control characters", std::string(20000, '\x1b'), false},
        {"a note longer than any sidecar", std::string(kSidecarLimit, 'n'), true},
        {"a long note of two-byte characters",
         [] {
             std::string note;
             while (note.size() < kSidecarLimit) note += "\xC3\xBC";
             return note;
         }(),
         true},
    };
    for (const Case& c : cases) {
        TempDir temp;
        BackupInfo info = Info(BackupKind::PreWrite, "MK842 V3.8.5", "/dev/ttyUSB0");
        info.tags = {"Ward 3", "SN-3", c.note};
        const BackupResult stored = BackupStore(temp.Path()).Store(Pattern(1), info);
        ASSERT_TRUE(stored.stored) << c.name << ": " << stored.error;
        EXPECT_LE(fs::file_size(stored.backup->sidecar), kSidecarLimit) << c.name;
        const auto listed = BackupStore(temp.Path()).List();
        ASSERT_EQ(listed.size(), 1u) << c.name;
        EXPECT_EQ(listed[0].info.tags.label, "Ward 3") << c.name;
        EXPECT_EQ(listed[0].info.tags.asset, "SN-3") << c.name;
        const std::string& note = listed[0].info.tags.note;
        if (!c.cut) {
            EXPECT_EQ(note, c.note) << c.name;
            continue;
        }
        ASSERT_TRUE(note.ends_with("...")) << c.name;
        const std::string kept = note.substr(0, note.size() - 3);
        EXPECT_GT(kept.size(), kSidecarLimit / 2) << c.name;
        EXPECT_EQ(kept, c.note.substr(0, kept.size())) << c.name << ": cut inside a character";
    }
}

// Earlier versions wrote notes of any length into the sidecar.
TEST(BackupStore, ReadsALongSidecarAnEarlierVersionWrote) {
    TempDir temp;
    test::WriteFileBytes(temp.File("20261208-080000-pre-write-MK842_V3.8.5-v1.86.tbl"), Pattern(0));
    const nlohmann::json sidecar = {{"time", "2026-12-08T08:00:00.000Z"},
                                    {"kind", "pre-write"},
                                    {"port", "/dev/ttyUSB0"},
                                    {"label", "Ward 3"},
                                    {"note", std::string(600 * 1024, 'n')}};
    std::ofstream(temp.File("20261208-080000-pre-write-MK842_V3.8.5-v1.86.json"))
        << sidecar.dump(2);
    const auto listed = BackupStore(temp.Path()).List();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].info.tags.label, "Ward 3");
}

TEST(BackupNames, OnlyRealTimesAndKindsAreRead) {
    struct Case {
        std::string stem;
        bool backup;
    };
    const Case cases[] = {
        {"20261210-142233-read-MK842_V3.8.5-v1.86", true},
        {"20261210-142233-pre-write-MK842_V3.8.5-v1.86-2", true},
        {"20261210-142233-erase-MK842_V3.8.5-v1.86", false},
        {"20261310-142233-read-MK842_V3.8.5-v1.86", false},  // month 13
        {"88888880-088888888888888888888888888", false},     // a time no clock holds
        {"30001110-030000-read-MK842_V3.8.5-v1.86", false},  // after the clock's last year
        {"22620101-000000-read-MK842_V3.8.5-v1.86", true},   // within it
        {"pager", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BackupInfoFromName(c.stem).has_value(), c.backup) << c.stem;
    EXPECT_FALSE(ParseBackupSidecar(R"({"kind": "read", "time": "99999-99-99T99:99:99Z"})"));
    EXPECT_FALSE(ParseBackupSidecar(R"({"kind": "read"})"));
    EXPECT_FALSE(ParseBackupSidecar("[1, 2]"));
    const auto info = ParseBackupSidecar(R"({"kind": "write", "time": "2026-12-10T14:22:33.250Z",
                                              "port": 7, "checksum": "ok"})");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->time, At());
    EXPECT_EQ(info->port, "") << "a value of the wrong type counts as none";
    EXPECT_TRUE(info->checksumOk);
}

TEST(BackupStore, RetentionKeepsTheNewestAndTheLastThreeOfEveryPager) {
    TempDir temp;
    BackupStore store(temp.Path(), 4);
    // Pager B on ttyUSB1 was read long ago, twice; pager A on ttyUSB0 six times since.
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(
            store.Store(Pattern(0), Info(BackupKind::Read, "MK842 V3.8.5", "/dev/ttyUSB1", i))
                .stored);
    // Same model, another port that names the same board by its by-id path: one pager.
    BackupInfo byId = Info(BackupKind::Read, "MK842 V3.8.5", "/dev/ttyUSB7", 5);
    byId.portById = "/dev/serial/by-id/usb-C";
    ASSERT_TRUE(store.Store(Pattern(0), byId).stored);
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(
            store.Store(Pattern(0), Info(BackupKind::Read, "MK842 V3.8.5", "/dev/ttyUSB0", 10 + i))
                .stored);

    std::set<std::string> kept;
    for (const StoredBackup& backup : store.List()) kept.insert(backup.table.filename().string());
    const std::set<std::string> expected = {
        // the newest four (all of pager A)
        "20261210-142248-read-MK842_V3.8.5-v1.86.tbl",
        "20261210-142247-read-MK842_V3.8.5-v1.86.tbl",
        "20261210-142246-read-MK842_V3.8.5-v1.86.tbl",
        "20261210-142245-read-MK842_V3.8.5-v1.86.tbl",
        // beyond them, what the other pagers would otherwise lose
        "20261210-142238-read-MK842_V3.8.5-v1.86.tbl",
        "20261210-142234-read-MK842_V3.8.5-v1.86.tbl",
        "20261210-142233-read-MK842_V3.8.5-v1.86.tbl",
    };
    EXPECT_EQ(kept, expected);
    // Sidecars go with their tables.
    EXPECT_EQ(Names(temp.Path()).size(), 2 * expected.size());
}

TEST(BackupStore, AFolderThatCannotBeMadeIsReportedAndLeavesNothing) {
    TempDir temp;
    test::WriteFileBytes(temp.File("file"), Pattern(0));
    BackupStore store(fs::path(temp.Path()) / "file" / "backups");
    const BackupResult result = store.Store(Pattern(0), Info(BackupKind::Read, "M", "/dev/x"));
    EXPECT_FALSE(result.stored);
    EXPECT_NE(result.error.find(store.Folder().string()), std::string::npos) << result.error;
    EXPECT_FALSE(result.backup);
    EXPECT_EQ(Names(temp.Path()), std::set<std::string>{"file"});
}

TEST(BackupStore, DefaultFolderFollowsTheEnvironment) {
    struct Case {
        const char* own;
        const char* xdg;
        const char* home;
        std::string folder;
    };
    const Case cases[] = {
        {"/srv/share/backups", "/x/data", "/home/u", "/srv/share/backups"},
        {"", "/x/data", "/home/u", "/x/data/mk843nb/backups"},
        {nullptr, "/x/data", "/home/u", "/x/data/mk843nb/backups"},
        {nullptr, "relative/data", "/home/u", "/home/u/.local/share/mk843nb/backups"},
        {nullptr, nullptr, "/home/u", "/home/u/.local/share/mk843nb/backups"},
    };
    const auto set = [](const char* name, const char* value) {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    };
    const auto saved = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto own = saved("MK843NB_BACKUP_DIR"), xdg = saved("XDG_DATA_HOME"),
               home = saved("HOME");
    for (const Case& c : cases) {
        set("MK843NB_BACKUP_DIR", c.own);
        set("XDG_DATA_HOME", c.xdg);
        set("HOME", c.home);
        EXPECT_EQ(BackupStore::DefaultFolder(), fs::path(c.folder)) << c.folder;
    }
    set("MK843NB_BACKUP_DIR", own ? own->c_str() : nullptr);
    set("XDG_DATA_HOME", xdg ? xdg->c_str() : nullptr);
    set("HOME", home ? home->c_str() : nullptr);
}

TEST(BackupStore, HowManyToKeepFollowsTheEnvironment) {
    const char* saved = std::getenv("MK843NB_BACKUP_KEEP");
    const std::optional<std::string> previous =
        saved ? std::optional<std::string>(saved) : std::nullopt;
    const std::pair<const char*, std::size_t> cases[] = {
        {nullptr, 500},
        {"", 500},
        {"20", 20},
        {"0", 500},
        {"-3", 500},
        {"12x", 500},
        {"99999999999999999999999", 500},
    };
    for (const auto& [value, keep] : cases) {
        if (value)
            ::setenv("MK843NB_BACKUP_KEEP", value, 1);
        else
            ::unsetenv("MK843NB_BACKUP_KEEP");
        EXPECT_EQ(BackupStore::DefaultKeep(), keep) << (value ? value : "(unset)");
    }
    if (previous)
        ::setenv("MK843NB_BACKUP_KEEP", previous->c_str(), 1);
    else
        ::unsetenv("MK843NB_BACKUP_KEEP");
}

TEST(BackupStore, APagerImageSaysWhatItIs) {
    PagerImage image = DefaultImage();
    image[1] = 1;
    image[2] = 86;
    StoreChecksum(image);
    const BackupInfo read = PagerBackupInfo(BackupKind::Read, image, "ttyS0");
    EXPECT_EQ(read.kind, BackupKind::Read);
    EXPECT_EQ(read.port, "/dev/ttyS0");
    EXPECT_EQ(read.firmwareVersion, "1.86");
    EXPECT_EQ(read.modelText, "MK842 V3.8.5");
    EXPECT_TRUE(read.checksumOk);
    EXPECT_EQ(read.portById, "");

    image[100] ^= 1;
    const BackupInfo sent =
        PagerBackupInfo(BackupKind::Write, image, "/dev/pts/3", "/dev/serial/by-id/usb-A-if00");
    EXPECT_EQ(sent.port, "/dev/pts/3");
    EXPECT_EQ(sent.portById, "/dev/serial/by-id/usb-A-if00");
    EXPECT_FALSE(sent.checksumOk);
}

TEST(BackupStore, ModelTextStopsAtTheFirstZero) {
    PagerImage image{};
    const std::string tag = "MK842 V3.8.5";
    std::copy(tag.begin(), tag.end(), image.begin() + kModelTagOffset);
    EXPECT_EQ(ImageModelText(image), "MK842 V3.8.5");
    image[kModelTagOffset + 2] = 0x07;
    EXPECT_EQ(ImageModelText(image), "MK?42 V3.8.5");
    image[kModelTagOffset] = 0;
    EXPECT_EQ(ImageModelText(image), "");
}

}  // namespace
}  // namespace mk843nb
