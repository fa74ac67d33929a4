// The inventory as mk843nb-cli records into it and reads from it, against
// mk843nb-sim on a pseudo-terminal, with the inventory and the backup folder
// in a temporary folder: read, write, identify, history, inventory where,
// list, show and import, and the writes refused when it cannot record.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "files/backup_store.h"
#include "image/fields.h"
#include "image/pager_image.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

Bytes Image(const PagerImage& image) { return Bytes(image.begin(), image.end()); }

// The pager as the emulator starts it: the default image, version 1.86, checksum right.
PagerImage SimPager() {
    PagerImage image = DefaultImage();
    image[1] = 1;
    image[2] = 86;
    StoreChecksum(image);
    return image;
}

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    ::gethostname(name, HOST_NAME_MAX);
    return name;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Sets an environment variable for the test's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* previous = ::getenv(name)) saved_ = previous;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

struct CliInventory : testing::Test {
    // What an earlier version kept: a fleet's Write backup of a labelled pager.
    void KeepOldBackup(const std::string& label, const std::string& asset,
                       const PagerImage& image) {
        BackupStore old(oldBackups);
        BackupInfo info;
        info.time = std::chrono::system_clock::now() - std::chrono::hours(24 * (++oldCount));
        info.kind = BackupKind::Write;
        info.port = "/dev/ttyUSB0";
        info.checksumOk = true;
        info.tags = {.label = label, .asset = asset, .note = ""};
        info.result = "verified";
        ASSERT_TRUE(old.Store(image, info).stored);
    }
    void Import() {
        const CliRun import = RunCli({"inventory", "import", oldBackups});
        ASSERT_EQ(import.status, 0) << import.err;
    }
    json Json(const std::vector<std::string>& args) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0 ? json::parse(run.out) : json();
    }
    std::size_t WriteFrames(const SimProcess& sim) const {
        std::size_t writes = 0;
        for (const Bytes& frame : sim.Received()) writes += frame.size() > 11 && frame[11] == 0x53;
        return writes;
    }
    std::string Table(const std::string& name, const PagerImage& image) {
        const std::string file = dir.File(name);
        WriteFileBytes(file, Image(image));
        return file;
    }

    TempDir dir;
    std::string inventoryFile = dir.File("inventory.sqlite");
    std::string oldBackups = dir.File("old-backups");
    ScopedEnv inventoryEnv{"MK843NB_INVENTORY", inventoryFile};
    ScopedEnv backupEnv{"MK843NB_BACKUP_DIR", dir.File("backups")};
    int oldCount = 0;
};

// identify: a pager never seen is unknown, with its address and levels; once
// the old backups are imported it is named, with its last record.
TEST_F(CliInventory, IdentifyNamesThePagerOnceTheInventoryKnowsIt) {
    SimProcess sim({"--baud", "0"});
    const PagerImage pager = SimPager();
    const std::string address =
        FieldText(pager, FieldNamed("T11")) + "/" + FieldText(pager, FieldNamed("T21"));

    const json unknown = Json({"identify", "--port", sim.DevicePath(), "--json"});
    EXPECT_EQ(unknown["answer"], "unknown");
    EXPECT_EQ(unknown["address"], address);
    EXPECT_EQ(unknown["levels"]["RSSI"], GetFieldCode(pager, FieldNamed("RSSI")));
    EXPECT_EQ(unknown["levels"]["SSI"], GetFieldCode(pager, FieldNamed("SSI")));
    EXPECT_EQ(unknown["levels"]["RSSI2"], GetFieldCode(pager, FieldNamed("RSSI2")));
    const CliRun text = RunCli({"identify", "--port", sim.DevicePath()});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Unknown pager"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Call 1: " + address + "; RSSI "), std::string::npos) << text.out;

    KeepOldBackup("Ladder 3", "A-1", pager);
    Import();
    const CliRun known = RunCli({"identify", "--port", sim.DevicePath()});
    EXPECT_EQ(known.status, 0) << known.err;
    EXPECT_NE(known.out.find("This is 'Ladder 3' [A-1]"), std::string::npos) << known.out;
    EXPECT_NE(known.out.find("Last record: "), std::string::npos) << known.out;
    const json one = Json({"identify", "--port", sim.DevicePath(), "--json"});
    EXPECT_EQ(one["answer"], "one");
    ASSERT_EQ(one["pagers"].size(), 1u);
    EXPECT_EQ(one["pagers"][0]["label"], "Ladder 3");
    ASSERT_TRUE(one["lastRecord"].is_object());
    EXPECT_EQ(one["lastRecord"]["kind"], "read") << "the identify before it was recorded";
}

// A memory failing its checksum (a Write broken off) is said, and still looked
// up by its address and levels.
TEST_F(CliInventory, IdentifyLooksUpADamagedMemoryByItsAddressAndLevels) {
    PagerImage damaged = SimPager();
    damaged[100] ^= 0x5A;
    SimProcess sim({"--baud", "0", "--image", Table("damaged.tbl", damaged)});
    const json answer = Json({"identify", "--port", sim.DevicePath(), "--json"});
    EXPECT_EQ(answer["damaged"], true);
    EXPECT_EQ(answer["answer"], "unknown");
    EXPECT_EQ(answer["address"],
              FieldText(damaged, FieldNamed("T11")) + "/" + FieldText(damaged, FieldNamed("T21")));
    const CliRun text = RunCli({"identify", "--port", sim.DevicePath()});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(text.out.starts_with("The pager's memory fails its checksum.\n")) << text.out;
}

// read and write record every image with bench, operator and port; show lists
// them newest first, list finds the pager by each filter.
TEST_F(CliInventory, ReadAndWriteAreRecordedAndShownNewestFirst) {
    KeepOldBackup("Ladder 3", "A-1", SimPager());
    Import();
    SimProcess sim({"--baud", "0"});
    const CliRun read =
        RunCli({"--operator", "ann", "read", "--port", sim.DevicePath(), dir.File("a.tbl")});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.err, "") << "a record stored says nothing";
    // --operator may also follow the command's name.
    const CliRun write = RunCli({"write", "--operator", "bob", "--backup-first", "--port",
                                 sim.DevicePath(), Table("new.tbl", DefaultImage())});
    ASSERT_EQ(write.status, 0) << write.err;

    const json shown = Json({"inventory", "show", "A-1", "--json"});
    EXPECT_EQ(shown["label"], "Ladder 3");
    const json& records = shown["records"];
    ASSERT_EQ(records.size(), 4u) << shown.dump(2);
    const struct {
        const char* kind;
        const char* result;
        const char* operatorName;
    } expected[] = {
        {"write", "written", "bob"}, {"pre-write", "read", "bob"}, {"read", "read", "ann"}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i]["kind"], expected[i].kind);
        EXPECT_EQ(records[i]["result"], expected[i].result);
        EXPECT_EQ(records[i]["operator"], expected[i].operatorName);
        EXPECT_EQ(records[i]["bench"], HostName());
        EXPECT_EQ(records[i]["port"], sim.DevicePath());
        EXPECT_EQ(records[i]["sha256"].get<std::string>().size(), 64u);
    }
    EXPECT_EQ(records[3]["kind"], "write") << "the imported backup, oldest";
    const CliRun text = RunCli({"inventory", "show", "Ladder 3"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(Lines(text.out), 5u) << text.out;
    EXPECT_LT(text.out.find("  written  "), text.out.find("  pre-write  ")) << text.out;

    const CliRun csv = RunCli({"inventory", "list", "--csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_TRUE(csv.out.starts_with("label,asset,plan,note,utc,kind,result,bench,operator,"))
        << csv.out;
    EXPECT_EQ(Lines(csv.out), 2u) << csv.out;
    EXPECT_NE(csv.out.find("Ladder 3,A-1,"), std::string::npos) << csv.out;

    const PagerImage written = DefaultImage();
    const std::string address =
        FieldText(written, FieldNamed("T11")) + "/" + FieldText(written, FieldNamed("T21"));
    const struct {
        std::vector<std::string> filter;
        std::size_t pagers;
    } filters[] = {
        {{}, 1},
        {{"--label", "Ladder 3"}, 1},
        {{"--label", "Engine 2"}, 0},
        {{"--asset", "A-1"}, 1},
        {{"--address", address}, 1},
        {{"--address", "1000.0/1200.0"}, 0},
    };
    for (const auto& f : filters) {
        std::vector<std::string> args{"inventory", "list", "--json"};
        args.insert(args.end(), f.filter.begin(), f.filter.end());
        const json list = Json(args);
        EXPECT_EQ(list.size(), f.pagers) << list.dump(2);
    }
    EXPECT_EQ(RunCli({"inventory", "list", "--address", "loud"}).status, 2);
    EXPECT_EQ(RunCli({"inventory", "list", "--json", "--csv"}).status, 2);
    EXPECT_EQ(RunCli({"inventory", "show", "Nobody"}).status, 1);
}

// The backup folder keeps one backup; the inventory keeps every record, failed
// attempts included, and history reads them from it.
TEST_F(CliInventory, HistorySurvivesTheBackupFoldersPruning) {
    const ScopedEnv keepOne("MK843NB_BACKUP_KEEP", "1");
    KeepOldBackup("Ladder 3", "A-1", SimPager());
    Import();
    fs::remove_all(oldBackups);
    {
        SimProcess sim({"--baud", "0"});
        for (int i = 0; i < 3; ++i) {
            const CliRun write = RunCli({"write", "--backup-first", "--port", sim.DevicePath(),
                                         Table("new.tbl", DefaultImage())});
            ASSERT_EQ(write.status, 0) << write.err;
        }
    }
    {
        // Another board, the same pager (as the emulator starts it): a write frame refused.
        SimProcess sim({"--baud", "0", "--fault", "bad-ack:20"});
        const CliRun failed = RunCli({"write", "--backup-first", "--port", sim.DevicePath(),
                                      Table("new.tbl", DefaultImage())});
        ASSERT_EQ(failed.status, 4) << failed.err;
    }
    std::size_t backups = 0;
    for (const auto& entry : fs::directory_iterator(dir.File("backups")))
        backups += entry.path().extension() == ".tbl";

    const json history = Json({"history", "Ladder 3", "--json"});
    ASSERT_EQ(history.size(), 1u + 3 * 2 + 2) << history.dump(2);
    EXPECT_LT(backups, history.size()) << "the folder was pruned, the records were not";
    EXPECT_EQ(history.front()["port"], "/dev/ttyUSB0") << "oldest first: the imported backup";
    EXPECT_EQ(history.back()["result"], "write failed");
    EXPECT_EQ(history.back()["bench"], HostName());
    EXPECT_NE(history.back()["message"].get<std::string>().find("Write Error !"),
              std::string::npos);
    const CliRun text = RunCli({"history", "A-1"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(Lines(text.out), history.size());
    EXPECT_NE(text.out.find("write failed"), std::string::npos) << text.out;
}

// A pager the inventory does not know is looked up in the backup folder.
TEST_F(CliInventory, HistoryFallsBackToTheBackupsOfAPagerTheInventoryDoesNotKnow) {
    const ScopedEnv backups("MK843NB_BACKUP_DIR", oldBackups);
    KeepOldBackup("Engine 2", "", SimPager());
    const CliRun text = RunCli({"history", "Engine 2"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Engine 2  /dev/ttyUSB0  written"), std::string::npos) << text.out;
    const CliRun none = RunCli({"history", "Engine 9"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no programming of 'Engine 9'"), std::string::npos) << none.err;
}

// Nothing is programmed that cannot be recorded: a read-only or damaged
// inventory file refuses every write before a frame goes out (with or without
// the pre-write read), while a read goes on and says it was not recorded.
TEST_F(CliInventory, AWriteIsRefusedWhenTheInventoryCannotRecord) {
    enum class Damage { ReadOnly, NotADatabase };
    const struct {
        const char* what;
        Damage damage;
        std::string says;
    } cases[] = {
        {"read-only", Damage::ReadOnly, ""},
        {"not a database", Damage::NotADatabase, "Cannot open the inventory"},
    };
    const bool root = ::geteuid() == 0;
    const uid_t nobody = 65534;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir place;
        ASSERT_EQ(::chmod(place.Path().c_str(), 0777), 0);
        const std::string file = place.File("inventory.sqlite");
        const ScopedEnv inventory("MK843NB_INVENTORY", file);
        const ScopedEnv backups("MK843NB_BACKUP_DIR", place.File("backups"));
        if (c.damage == Damage::ReadOnly) {
            ASSERT_EQ(RunCli({"inventory", "where"}).status, 0);
            ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
        } else {
            std::ofstream(file) << std::string(4096, 'x');
        }
        const std::string before = ReadFileText(file);
        SimProcess sim({"--baud", "0"});
        ASSERT_EQ(::chmod(sim.DevicePath().c_str(), 0666), 0);
        const std::string table = Table("new.tbl", DefaultImage());
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
        // Root writes whatever the permissions say: a read-only file is tried as an ordinary user.
        const auto run = [&](std::vector<std::string> args) {
            return root ? RunCliAs(nobody, nobody, args, place.Path()) : RunCli(args);
        };
        for (const std::vector<std::string>& write :
             {std::vector<std::string>{"write", "--port", sim.DevicePath(), table},
              std::vector<std::string>{"write", "--backup-first", "--port", sim.DevicePath(),
                                       table}}) {
            const CliRun refused = run(write);
            EXPECT_EQ(refused.status, 1) << refused.err;
            EXPECT_NE(refused.err.find("Nothing was written"), std::string::npos) << refused.err;
            EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        }
        EXPECT_EQ(WriteFrames(sim), 0u);
        EXPECT_TRUE(sim.Received().empty()) << "refused before the port was opened";

        const CliRun read = run({"read", "--port", sim.DevicePath(), place.File("a.tbl")});
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_NE(read.err.find("This is not recorded in the inventory."), std::string::npos)
            << read.err;
        EXPECT_EQ(ReadFileText(file), before) << "the inventory's file is as it was";
    }
}

// --inventory names the file, relative to the working folder, before or after
// the command's name; inventory where says which one is in use.
TEST_F(CliInventory, WhereSaysWhichInventoryIsInUse) {
    const CliRun byDefault = RunCli({"inventory", "where"});
    ASSERT_EQ(byDefault.status, 0) << byDefault.err;
    EXPECT_NE(byDefault.out.find(inventoryFile), std::string::npos) << byDefault.out;
    EXPECT_TRUE(fs::exists(inventoryFile));

    const CliRun given = RunCli({"--inventory", "other.sqlite", "inventory", "where"}, dir.Path());
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_NE(given.out.find(dir.File("other.sqlite")), std::string::npos) << given.out;
    const CliRun after = RunCli({"inventory", "where", "--inventory", "third.sqlite"}, dir.Path());
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_NE(after.out.find(dir.File("third.sqlite")), std::string::npos) << after.out;

    // Imported twice, recorded once.
    KeepOldBackup("Ladder 3", "A-1", SimPager());
    Import();
    const CliRun again = RunCli({"inventory", "import", oldBackups});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Json({"inventory", "show", "Ladder 3", "--json"})["records"].size(), 1u);
}

}  // namespace
}  // namespace mk843nb::test
