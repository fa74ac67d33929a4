// Backups, diff and the verify details of mk843nb-cli, against mk843nb-sim on a
// pseudo-terminal, with the backup store in a temporary folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "image/fields.h"
#include "image/pager_image.h"
#include "image/write_preparation.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

namespace fs = std::filesystem;

Bytes Image(const PagerImage& image) { return Bytes(image.begin(), image.end()); }

// The pager as the emulator starts it: the default image, version 1.86, checksum right.
PagerImage SimPager() {
    PagerImage image = DefaultImage();
    image[1] = 1;
    image[2] = 86;
    StoreChecksum(image);
    return image;
}

struct CliBackup : testing::Test {
    CliBackup() {
        const char* previous = ::getenv("MK843NB_BACKUP_DIR");
        if (previous) saved = previous;
        ::setenv("MK843NB_BACKUP_DIR", store.c_str(), 1);
    }
    ~CliBackup() override {
        if (saved.empty())
            ::unsetenv("MK843NB_BACKUP_DIR");
        else
            ::setenv("MK843NB_BACKUP_DIR", saved.c_str(), 1);
    }

    // The backups of the store with this word in their name, oldest first.
    std::vector<fs::path> Backups(const std::string& kind) const {
        std::vector<fs::path> found;
        if (!fs::exists(store)) return found;
        for (const auto& entry : fs::directory_iterator(store)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".tbl" &&
                name.compare(15, kind.size() + 2, "-" + kind + "-") == 0)
                found.push_back(entry.path());
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    nlohmann::json Sidecar(const fs::path& table) const {
        std::ifstream in(fs::path(table).replace_extension(".json"));
        return nlohmann::json::parse(in);
    }
    std::size_t WriteFrames(const SimProcess& sim) const {
        std::size_t writes = 0;
        for (const Bytes& frame : sim.Received()) writes += frame.size() > 11 && frame[11] == 0x53;
        return writes;
    }

    TempDir dir;
    std::string store = dir.File("backups");
    std::string saved;
};

TEST_F(CliBackup, ReadStoresThePagersBytesAsRead) {
    SimProcess sim({"--baud", "0"});
    const CliRun read = RunCli({"read", "--port", sim.DevicePath(), dir.File("a.tbl")});
    ASSERT_EQ(read.status, 0) << read.err;
    const auto reads = Backups("read");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(read.err, "") << "a backup taken says nothing";
    EXPECT_EQ(ReadFileBytes(reads[0].string()), Image(SimPager()));
    const nlohmann::json sidecar = Sidecar(reads[0]);
    EXPECT_EQ(sidecar["kind"], "read");
    EXPECT_EQ(sidecar["port"], sim.DevicePath());
    EXPECT_EQ(sidecar["firmwareVersion"], "1.86");
    EXPECT_EQ(sidecar["model"], "MK842 V3.8.5");
    EXPECT_EQ(sidecar["checksum"], "ok");
}

TEST_F(CliBackup, WriteBackupFirstKeepsWhatThePagerHeldAndWhatWasSent) {
    // The pager holds something else than the file about to be written.
    PagerImage held = SimPager();
    held[196] = 0x2D;  // T12 1153.4 Hz
    held[197] = 0x0E;
    StoreChecksum(held);
    const std::string heldFile = dir.File("held.tbl");
    WriteFileBytes(heldFile, Image(held));
    const std::string pagerFile = dir.File("pager.tbl");
    SimProcess sim({"--baud", "0", "--image", heldFile, "--save", pagerFile});
    const std::string file = dir.File("new.tbl");
    WriteFileBytes(file, Image(DefaultImage()));

    const CliRun write = RunCli({"write", "--backup-first", "--port", sim.DevicePath(), file});
    ASSERT_EQ(write.status, 0) << write.err;
    const auto before = Backups("pre-write");
    const auto sent = Backups("write");
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(ReadFileBytes(before[0].string()), Image(held));
    EXPECT_EQ(ReadFileBytes(sent[0].string()), ReadFileBytes(pagerFile)) << "as sent";
    EXPECT_EQ(Sidecar(before[0])["kind"], "pre-write");
    EXPECT_TRUE(Backups("read").empty()) << "the pre-write read is its own kind";

    // "What did this pager hold before I wrote it?": list, then show.
    const CliRun list = RunCli({"backups", "--kind", "pre-write"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find(before[0].string()), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find(sent[0].string()), std::string::npos) << list.out;
    const CliRun show = RunCli({"show", "--json", before[0].string()});
    EXPECT_EQ(nlohmann::json::parse(show.out)["T12"], "1153.4") << show.out;
}

// A backup whose sidecar someone else wrote, or an earlier version did from a
// roster with an escape sequence in its label and a note of 100 KiB.
TEST_F(CliBackup, HistoryAndBackupsShowTheTextsOfSidecarsWithTheirControlCharactersWrittenOut) {
    fs::create_directories(store);
    const std::string stem = store + "/20261208-080000-pre-write-MK842_V3.8.5-v1.86";
    WriteFileBytes(stem + ".tbl", Image(SimPager()));
    const nlohmann::json sidecar = {{"time", "2026-12-08T08:00:00.000Z"},
                                    {"kind", "pre-write"},
                                    {"port", "/dev/ttyUSB0\x1b]0;owned\x07"},
                                    {"label", "Ward\x1b[2J 3"},
                                    {"asset", "SN-3"},
                                    {"note", std::string(100 * 1024, 'n')}};
    std::ofstream(stem + ".json") << sidecar.dump(2);

    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases{
        {{"history", "SN-3"}, {"Ward\\x1b[2J 3 [SN-3]", "/dev/ttyUSB0\\x1b]0;owned\\x07"}},
        {{"backups", "--label", "Ward\x1b[2J 3"},
         {"'Ward\\x1b[2J 3' [SN-3]", "/dev/ttyUSB0\\x1b]0;owned\\x07"}},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, 0) << c.args[0] << ": " << run.err;
        for (const std::string& shown : c.shown)
            EXPECT_NE(run.out.find(shown), std::string::npos) << c.args[0] << ": " << run.out;
        EXPECT_EQ(run.out.find_first_of("\x1b\x07"), std::string::npos) << c.args[0];
    }
}

TEST_F(CliBackup, WriteWithoutBackupFirstSendsOnlyTheWritesFrames) {
    SimProcess sim({"--baud", "0"});
    const std::string file = dir.File("new.tbl");
    WriteFileBytes(file, Image(DefaultImage()));
    ASSERT_EQ(RunCli({"write", "--port", sim.DevicePath(), file}).status, 0);
    EXPECT_EQ(sim.Received().size(), 37u) << "ping, version, model, 32 writes, 2 verify reads";
    EXPECT_TRUE(Backups("pre-write").empty());
    EXPECT_EQ(Backups("write").size(), 1u);
}

TEST_F(CliBackup, WriteIsBackedUpAsSentEvenWhenItsVerifyFails) {
    SimProcess sim({"--baud", "0", "--fault", "bad-checksum:36"});
    const std::string file = dir.File("new.tbl");
    WriteFileBytes(file, Image(DefaultImage()));
    const CliRun write = RunCli({"write", "--port", sim.DevicePath(), file});
    EXPECT_EQ(write.status, 4) << "a bad reply, not a difference";
    EXPECT_NE(write.err.find("Verify Error !"), std::string::npos) << write.err;
    EXPECT_EQ(Backups("write").size(), 1u);
    EXPECT_EQ(ReadFileBytes(file), Image(DefaultImage())) << "FILE is not rewritten";
}

TEST_F(CliBackup, NoBackupFirstNoWrite) {
    const std::string file = dir.File("new.tbl");
    WriteFileBytes(file, Image(DefaultImage()));
    {
        // The pre-write read fails: its reason, and no write frame is sent.
        SimProcess sim({"--baud", "0", "--fault", "bad-checksum:5"});
        const CliRun write = RunCli({"write", "--backup-first", "--port", sim.DevicePath(), file});
        EXPECT_EQ(write.status, 4);
        EXPECT_NE(write.err.find("Read Error !"), std::string::npos) << write.err;
        EXPECT_NE(write.err.find("nothing was written"), std::string::npos) << write.err;
        EXPECT_EQ(WriteFrames(sim), 0u);
        EXPECT_TRUE(Backups("pre-write").empty());
    }
    {
        // The backup cannot be stored: the write does not start either.
        WriteFileBytes(dir.File("blocker"), Image(DefaultImage()));
        ::setenv("MK843NB_BACKUP_DIR", dir.File("blocker/backups").c_str(), 1);
        SimProcess sim({"--baud", "0"});
        const CliRun write = RunCli({"write", "--backup-first", "--port", sim.DevicePath(), file});
        EXPECT_EQ(write.status, 1);
        EXPECT_NE(write.err.find("blocker/backups"), std::string::npos) << write.err;
        EXPECT_EQ(WriteFrames(sim), 0u);
        EXPECT_EQ(sim.Received().size(), 5u) << "the read only";
    }
}

TEST_F(CliBackup, AHalfWrittenPagerIsKeptAsDamagedAndWrittenOver) {
    // A Write broken off by a hang-up: good frames, a wrong image checksum.
    const std::string half = dir.File("half.tbl");
    const std::string file = dir.File("new.tbl");
    WriteFileBytes(file, Image(DefaultImage()));
    {
        SimProcess sim({"--baud", "0", "--fault", "hangup:20", "--save", half});
        ASSERT_EQ(RunCli({"write", "--port", sim.DevicePath(), file}).status, 4);
    }
    const Bytes damaged = ReadFileBytes(half);
    ASSERT_EQ(damaged.size(), 256u);

    const std::string after = dir.File("after.tbl");
    SimProcess sim({"--baud", "0", "--image", half, "--save", after});
    const CliRun write = RunCli({"write", "--backup-first", "--port", sim.DevicePath(), file});
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(WriteFrames(sim), 32u);
    const auto kept = Backups("damaged");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(write.err.find(kept[0].string()), std::string::npos) << write.err;
    EXPECT_EQ(ReadFileBytes(kept[0].string()), damaged);
    EXPECT_EQ(Sidecar(kept[0])["kind"], "damaged");
    EXPECT_NE(Sidecar(kept[0])["reason"].get<std::string>().find("checksum"), std::string::npos);
    EXPECT_TRUE(Backups("pre-write").empty());
    EXPECT_EQ(ReadFileBytes(after), ReadFileBytes(file)) << "the whole image replaced";
    EXPECT_EQ(RunCli({"verify", "--port", sim.DevicePath(), file}).status, 0);
}

TEST_F(CliBackup, DiffOfTwoFiles) {
    const std::string a = dir.File("a.tbl");
    const std::string b = dir.File("b.tbl");
    PagerImage changed = DefaultImage();
    changed[48] |= 0x02;  // Duty2
    WriteFileBytes(a, Image(DefaultImage()));
    WriteFileBytes(b, Image(changed));

    const CliRun equal = RunCli({"diff", "--json", a, a});
    EXPECT_EQ(equal.status, 0) << equal.err;
    EXPECT_EQ(nlohmann::json::parse(equal.out), nlohmann::json::array());

    const CliRun json = RunCli({"diff", "--json", a, b});
    EXPECT_EQ(json.status, 5) << json.err;
    const nlohmann::json expected = nlohmann::json::parse(R"json([
        {"field": "Duty2", "page": "CALL", "caption": "CALL #2 ON", "a": "0", "b": "1",
         "derived": false, "bookkeeping": false},
        {"field": "W22", "page": "CALL", "caption": "CALL #2 TONE2 decoder word (W22)",
         "a": "4D07", "b": "8D07", "derived": true, "bookkeeping": false}])json");
    EXPECT_EQ(nlohmann::json::parse(json.out), expected);

    const CliRun text = RunCli({"diff", a, b});
    EXPECT_EQ(text.status, 5);
    EXPECT_EQ(text.out,
              "CALL  CALL #2 ON: 0 | 1\nCALL  CALL #2 TONE2 decoder word (W22): 4D07 | 8D07  "
              "(derived)\n2 fields differ\n");
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(RunCli({"diff", a, a}).out, "No field differs\n");

    const CliRun missing = RunCli({"diff", a, dir.File("none.tbl")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Open Error!"), std::string::npos) << missing.err;
    EXPECT_EQ(RunCli({"diff", a}).status, 2);
}

TEST_F(CliBackup, DiffAgainstThePagerReadsItAndKeepsTheRead) {
    SimProcess sim({"--baud", "0"});
    const std::string file = dir.File("f.tbl");
    PagerImage edited = SimPager();
    edited[192] = 0x1B;  // T11 700.0 Hz
    edited[193] = 0x58;
    WriteFileBytes(file, Image(edited));
    const CliRun diff = RunCli({"diff", "--json", "--port", sim.DevicePath(), file});
    EXPECT_EQ(diff.status, 5) << diff.err;
    const nlohmann::json list = nlohmann::json::parse(diff.out);
    ASSERT_EQ(list.size(), 1u) << diff.out;
    EXPECT_EQ(list[0]["field"], "T11");
    EXPECT_EQ(list[0]["a"], "669.9") << "a is the pager";
    EXPECT_EQ(list[0]["b"], "700.0");
    EXPECT_EQ(Backups("read").size(), 1u);

    WriteFileBytes(file, Image(SimPager()));
    EXPECT_EQ(RunCli({"diff", "--port", sim.DevicePath(), file}).status, 0);
}

// What Write keeps itself is no difference a user made: a pager restored
// from its backup compares equal to the backup, unless --all is asked for.
TEST_F(CliBackup, APagerRestoredFromItsBackupEqualsIt) {
    PagerImage pager = SimPager();
    pager[11] = 0;      // never written by this program
    pager[48] = 0xF1;   // call slots 5 to 8 switched on
    pager[63] = 94;     // "1.10 v"
    pager[104] = 0x80;  // call slot 5's priority
    StoreChecksum(pager);
    WriteFileBytes(dir.File("pager.tbl"), Image(pager));
    SimProcess sim({"--baud", "0", "--firmware", "1.85", "--image", dir.File("pager.tbl")});

    ASSERT_EQ(RunCli({"read", "--port", sim.DevicePath(), "backup.tbl"}, dir.Path()).status, 0);
    fs::copy_file(dir.File("backup.tbl"), dir.File("restore.tbl"));
    const CliRun restore = RunCli({"write", "--port", sim.DevicePath(), "restore.tbl"}, dir.Path());
    ASSERT_EQ(restore.status, 0) << restore.err;

    const CliRun diff = RunCli({"diff", "--port", sim.DevicePath(), "backup.tbl"}, dir.Path());
    EXPECT_EQ(diff.status, 0) << diff.out << diff.err;
    // a is the pager as restored, b the backup.
    EXPECT_EQ(diff.out.rfind("bookkeeping (kept by the program when it writes):\n"
                             "  (not shown)  WriteMark: 1 | 0\n"
                             "  (not shown)  CallDuty: 1 | 241\n"
                             "  Setting  Low Battery:  | 1.10 v\n"
                             "  (not shown)  Priority5: 0 | 1\n"
                             "  (not shown)  Checksum: ",
                             0),
              0u)
        << diff.out;
    EXPECT_TRUE(diff.out.ends_with(
        "\nNo field differs; 5 bookkeeping fields not counted (--all counts them)\n"))
        << diff.out;
    const CliRun all =
        RunCli({"diff", "--all", "--port", sim.DevicePath(), "backup.tbl"}, dir.Path());
    EXPECT_EQ(all.status, 5);
    EXPECT_NE(all.out.find("No field differs; 5 bookkeeping fields counted (--all)\n"),
              std::string::npos)
        << all.out;

    // A real change still counts, and is listed before the bookkeeping.
    ASSERT_EQ(RunCli({"set", "backup.tbl", "BS_Period=3"}, dir.Path()).status, 0);
    const CliRun changed = RunCli({"diff", "--port", sim.DevicePath(), "backup.tbl"}, dir.Path());
    EXPECT_EQ(changed.status, 5);
    EXPECT_EQ(changed.out.rfind("Config  Battery Save: 15 | 3\nbookkeeping", 0), 0u) << changed.out;
}

TEST_F(CliBackup, VerifyNamesTheFieldsThatDiffer) {
    SimProcess sim({"--baud", "0"});
    const std::string file = dir.File("f.tbl");
    // After a write the file holds exactly what the pager holds.
    WriteFileBytes(file, Image(SimPager()));
    ASSERT_EQ(RunCli({"write", "--port", sim.DevicePath(), file}).status, 0);
    const Bytes written = ReadFileBytes(file);

    Bytes edited = written;
    edited[48] |= 0x02;  // Duty2, in the first block
    WriteFileBytes(file, edited);
    const CliRun first = RunCli({"verify", "--port", sim.DevicePath(), file});
    EXPECT_EQ(first.status, 5);
    EXPECT_NE(first.err.find("Verify Error !\nCALL  CALL #2 ON: 1 | 0\n"), std::string::npos)
        << first.err;
    EXPECT_NE(first.err.find("(bytes 128 to 255 were not read back)"), std::string::npos)
        << first.err;

    edited = written;
    edited[192] = 0x1B;  // T11 700.0 Hz, in the second block
    edited[193] = 0x58;
    WriteFileBytes(file, edited);
    const CliRun second = RunCli({"verify", "--port", sim.DevicePath(), file});
    EXPECT_EQ(second.status, 5);
    EXPECT_EQ(second.err, "Verify Error !\nCALL  CALL #1 TONE1: 700.0 | 669.9\n");

    // A line failure is not a difference: the message stays alone.
    SimProcess faulty({"--baud", "0", "--fault", "bad-checksum:2"});
    const CliRun line = RunCli({"verify", "--port", faulty.DevicePath(), file});
    EXPECT_EQ(line.status, 4);
    EXPECT_EQ(line.err, "Verify Error !\n");
}

}  // namespace
}  // namespace mk843nb::test
